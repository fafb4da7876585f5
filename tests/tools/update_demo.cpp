// The main window with a simulated boot loader on COM3, for screenshots of
// the firmware update:
//   tools_update_demo [--pace BYTES_PER_SECOND] [--type T] [--variant V] [--home DIR]
// The boot loader answers at the given pace (873 is 9600 baud with even
// parity; 0 at once). Open "System > Firmware Update", then Identify and
// Update.
#include "SimBootLoader.h"

#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const auto option = [&](const char *name, const QString &def) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i > 0 && i + 1 < args.size() ? args[i + 1] : def;
    };
    QTemporaryDir temp;
    const QString home = option("--home", temp.path());
    qx::setHomeDir(home);
    QDir(home).mkdir(QStringLiteral("Log"));

    qx::sim::SimBootLoader boot({.home = home,
                                 .com = 3,
                                 .type = option("--type", QStringLiteral("10")).toInt(),
                                 .variant = option("--variant", QStringLiteral("310")).toInt(),
                                 .bytesPerSecond = option("--pace", QStringLiteral("873")).toInt()});
    if (!boot.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(boot.error()));
        return 1;
    }
    std::printf("%s\n", qPrintable(boot.slavePath()));
    std::fflush(stdout);

    frmMain &w = frmMainForm().get();
    w.DevCtrl(0).set_tPort(QStringLiteral("COM3"));
    w.show();
    const int rc = app.exec();
    frmMainForm().unload();
    return rc;
}
