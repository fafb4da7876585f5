// Opens the calibration or the resistance-test window over the main window
// for screenshots:
//   tools_adjres_demo adj|adj2|res [--home DIR]
// adj: a one-channel load at 12.345 V, idle (voltage points); adj2: channel
// 2 of a two-channel load while it runs (current points); res: a 5 A load
// with a cell of 3.9 V. Both windows come from their menu entries.
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "common/DemoHome.h"

#include <QAction>
#include <QApplication>
#include <QRadioButton>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("adj");
    const qx::test::DemoHome home(args);

    frmMain &w = frmMainForm().get();
    w.show();
    DevCtrl &p = w.DevCtrl(0);
    qx::DevType[0] = 5;
    qx::DevVer[0] = 300;
    qx::CurScale[0] = 1000;
    qx::MaxCur[0] = 5;
    qx::MaxVol[0] = 30;
    qx::chan(0, 0).Vol = 3.9f;
    w.menuAdj->setEnabled(true);
    w.menuRes->setVisible(true);
    w.menuRes->setEnabled(true);
    if (what == QLatin1String("adj2")) {
        p.set_Dev2S(true);
        p.findChild<QRadioButton *>(QStringLiteral("optChn1"))->click();
        qx::Running[0][1] = true;
    }
    p.set_tVol(0, QStringLiteral("12.345"));
    if (what == QLatin1String("res"))
        QTimer::singleShot(300, &w, [&w] { w.menuRes->trigger(); });
    else
        QTimer::singleShot(300, &w, [&w] { w.menuAdj->trigger(); });
    return app.exec();
}
