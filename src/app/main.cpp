// The program: the splash first, then the main window; closing the main
// window ends the program.
#include "curves/frmData.h"
#include "services/ErrLog.h"
#include "platform/AppVersion.h"
#include "mainwin/frmAbout.h"
#include "mainwin/frmLogo.h"
#include "mainwin/frmMain.h"
#include "mainwin/frmMsg.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/AppHome.h"
#include "app/CommandLine.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    // Judged before QApplication, which ends the program when it finds no
    // display.
    QString home;
    if (const auto rc = qx::app::parseCommandLine(argc, argv, home))
        return *rc;
    QApplication app(argc, argv);
    QApplication::setApplicationName(qx::app::programTitle());
    // Ties the windows to the installed desktop entry (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.QxTester"));
    QApplication::setWindowIcon(QIcon(programLogo(64)));
    // The main window decides when the program ends, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    qx::initHome(home);
    qx::installErrLogSink();

    auto *splash = new frmLogo([] { frmMainForm()->show(); });
    splash->show();
    const int rc = app.exec();

    unloadCurveWindows();
    frmMsgForm().unload();
    frmAboutForm().unload();
    frmMeterForm().unload();
    frmDispForm().unload();
    frmMainForm().unload();
    return rc;
}
