// Opens the main window's windows in a given state for screenshots:
//   mainwin_mainwin_demo splash|main|three|dual|about|msg|mini [--home DIR]
// main: the window as it starts; three: three tabs, the second selected and
// identified as a one-channel charger; dual: a two-channel device; about:
// the About box over the main window; msg: the STOP pop-up; mini: the main
// window minimised with the floating readout.
#include "link/Module3.h"
#include "link/State.h"
#include "mainwin/frmAbout.h"
#include "mainwin/frmLogo.h"
#include "mainwin/frmMain.h"
#include "mainwin/frmMsg.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/KeyedTabBar.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

namespace {

void identify(frmMain &w, int i, int type, bool two, const QStringList &modes)
{
    qx::DevType[i] = type;
    qx::CurScale[i] = 100;
    qx::VolScale[i] = 100;
    qx::PwrScale[i] = 1;
    qx::LastDisMode[i] = 0;
    qx::LastChgMode[i] = int(modes.size()) - 1;
    DevCtrl &p = w.DevCtrl(i);
    p.set_Dev2S(two);
    p.set_Conn(true);
    p.ModeClr();
    for (const QString &m : modes)
        p.ModeAdd(qx::Module3::LangText(m));
    if (two)
        w.InitDual(i);
    for (int c = 0; c < (two ? 2 : 1); ++c) {
        qx::ChannelState &ch = qx::chan(i, c);
        ch.Mode = c;
        ch.SetVal = 150 + 50 * c;
        ch.SetLmt = 300;
        ch.SetTim = 60;
        w.ShowModeFields(i, c);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("main");
    QTemporaryDir temp;
    const int homeArg = int(args.indexOf(QStringLiteral("--home")));
    qx::setHomeDir(homeArg > 0 && homeArg + 1 < args.size() ? args[homeArg + 1] : temp.path());

    if (what == QLatin1String("splash")) {
        (new frmLogo([] {}))->show();
        return app.exec();
    }
    if (what == QLatin1String("msg")) {
        qx::OptMsg = true;
        frmMsg::Show(QStringLiteral("STOP"));
        return app.exec();
    }

    frmMain &w = frmMainForm().get();
    w.show();
    if (what == QLatin1String("three")) {
        w.menuAddDev_Click();
        w.menuAddDev_Click();
        identify(w, 1, 2, false, {"D-CC", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV"});
        w.tabDev->set_SelectedIndex(2);
    } else if (what == QLatin1String("dual")) {
        identify(w, 0, 17, true, {"D-CC", "D-CP"});
    } else if (what == QLatin1String("about")) {
        frmAboutForm()->show();
    } else if (what == QLatin1String("mini")) {
        qx::OptDisp = true;
        w.DevCtrl(0).set_Conn(true);
        QTimer::singleShot(300, &w, [&w] { w.showMinimized(); });
    }
    const int rc = app.exec();
    frmMainForm().unload();
    return rc;
}
