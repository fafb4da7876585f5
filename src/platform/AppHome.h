#pragma once
// The program's home folder: where qx.ini, Data, Log, the run logs and the
// error log live ("beside the program"), and where ports/COMn links are
// looked up. Chosen once at start-up:
//   --home DIR on the command line, else $QX_HOME, else the executable's
//   folder when writable, else $XDG_DATA_HOME/qx-tester (~/.local/share/qx-tester).
#include <QString>

namespace qx {

// Picks the home folder (the --home option's folder when given, else the
// environment and the executable's place), creates it when missing and
// remembers it. Returns the chosen path.
QString initHome(const QString &homeOption);
// Sets the home folder directly (tests use a temporary folder).
void setHomeDir(const QString &dir);
// The home folder without a trailing separator.
QString homeDir();
// homeDir() + "/" + name.
QString homePath(const QString &name);
// True when files can be made in the home folder (created first when
// missing): a test file is made there and removed again.
bool homeWritable();

} // namespace qx
