#pragma once
// The program's command line: --help, --version and --home FOLDER, beside
// the options Qt itself takes (-platform, -style, -geometry, ...).
#include <QString>
#include <QStringList>
#include <optional>

namespace qx::app {

// Judges the raw arguments before any application object exists, so that
// nothing here needs a display: --help and --version print on stdout and
// give exit 0; an option or argument that neither the program nor Qt
// takes, a Qt option without its value and a --home without a folder print
// the usage on stderr and give exit 2. Returns the exit code when the
// program must end here; otherwise `home` receives the --home folder (empty
// when not given).
std::optional<int> parseCommandLine(int argc, char *argv[], QString &home);

} // namespace qx::app
