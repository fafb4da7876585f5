#pragma once
// The program's command line: --help, --version and --home FOLDER, beside
// the options Qt itself takes (-platform, -style, ...), which QApplication
// removes from the arguments before the second look.
#include <QString>
#include <QStringList>
#include <optional>

namespace qx::app {

// First look, before any application object exists, at the raw arguments:
// answers --help and --version (printed on stdout, exit 0) and refuses a
// --home without a folder (usage on stderr, exit 2) without needing a
// display. Returns the exit code when the program must end here.
std::optional<int> preflightCommandLine(int argc, char *argv[]);

// Second look, at the arguments QApplication left: an option or argument
// the program does not know prints the usage on stderr and gives exit 2.
// Otherwise `home` receives the --home folder (empty when not given).
std::optional<int> parseCommandLine(const QStringList &args, QString &home);

} // namespace qx::app
