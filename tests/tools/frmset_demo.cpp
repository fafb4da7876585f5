// Opens the step-program editor over the main window for screenshots:
//   tools_frmset_demo empty|program|cells|aftercycle [--home DIR]
// empty: a device with no program yet; program: a program of five steps
// (discharge, wait, constant-voltage charge, cycle) on a one-channel load;
// cells: a charger whose step 2 charges by cells; aftercycle: a program
// whose step 3 follows its "Cycle" row (OK says it will not run).
#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "common/DemoHome.h"
#include "platform/KeyedTabBar.h"

#include <QApplication>
#include <QTimer>

namespace {

void identify(frmMain &w, int type)
{
    const qx::models::ModelRow m = qx::models::modelRow(type, 0);
    qx::DevType[0] = type;
    qx::MaxCur[0] = m.maxCur.value_or(10);
    qx::MaxVol[0] = m.maxVol.value_or(30);
    qx::MinCur[0] = m.minCur;
    qx::MinVol[0] = m.minVol;
    qx::CurScale[0] = m.curScale;
    qx::VolScale[0] = m.volScale;
    qx::PwrScale[0] = m.pwrScale;
    qx::LastDisMode[0] = m.lastDisMode;
    qx::LastChgMode[0] = m.lastChgMode;
    qx::CvFlag[0] = m.cvFlag;
    DevCtrl &p = w.DevCtrl(0);
    p.ModeClr();
    for (const QString &t : m.modes)
        p.ModeAdd(qx::Module3::LangText(t));
    p.set_tMode(p.ModeTxt(0));
    p.TabClear();
    const QStringList keys = qx::models::pageKeys(m.pages);
    for (int i = 0; i < keys.size(); ++i)
        p.TabAdd(i + 1, keys[i]);
    if (auto *tabs = p.findChild<qx::KeyedTabBar *>())
        tabs->set_SelectedIndex(int(keys.size()));
}

void row(DevCtrl &p, int r, const char *mode, const char *set, const char *lmt, const char *third)
{
    const char *cells[] = {mode, set, lmt, third};
    for (int c = 1; c <= 4; ++c)
        p.set_tStepSet(r, c, QLatin1String(cells[c - 1]));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("program");
    const qx::test::DemoHome home(args);

    frmMain &w = frmMainForm().get();
    w.show();
    DevCtrl &p = w.DevCtrl(0);
    if (what == QLatin1String("cells")) {
        identify(w, 2);
        row(p, 1, "D-CC", "1.00", "0.90", "0");
        row(p, 2, "C-NiMh", "0.50", "8", "120");
    } else {
        identify(w, 7);
        if (what == QLatin1String("program")) {
            row(p, 1, "D-CC", "2.00", "3.00", "60");
            row(p, 2, "Wait", "0.00", "0.00", "10");
            row(p, 3, "C-CV", "1.50", "4.20", "0.10");
            row(p, 4, "D-CP", "25", "3.00", "30");
            row(p, 5, "Cycle", "0.00", "0.00", "3");
        } else if (what == QLatin1String("aftercycle")) {
            row(p, 1, "D-CC", "2.00", "3.00", "60");
            row(p, 2, "Cycle", "0.00", "0.00", "3");
            row(p, 3, "C-CV", "1.50", "4.20", "0.10");
        }
    }
    // The editor opens as the panel's Set button opens it.
    QTimer::singleShot(300, &w, [&w] { w.DevCtrl_StepSetClick(0); });
    return app.exec();
}
