// "Parameter Calibration" and "Resistance Test": the calibration window
// (loaded once, hidden between uses) and the resistance-test window (one per
// opening, waited for), each with the device tab strip disabled while open.
#include "mainwin/frmMain.h"

#include "services/ErrLog.h"
#include "link/ModelTable.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/DialogWait.h"
#include "platform/KeyedTabBar.h"
#include "platform/UiServices.h"
#include "tools/frmAdj.h"
#include "tools/frmRes.h"
#include "tools/ToolPanel.h"

#include <QAction>
#include <QPointer>
#include <QScopeGuard>

#include <exception>

void frmMain::wireAdjResMenus()
{
    wireEntry(menuAdj, "menuAdj_Click", &frmMain::menuAdj_Click);
    wireEntry(menuRes, "menuRes_Click", &frmMain::menuRes_Click);
}

std::function<void(bool)> frmMain::tabsSwitch()
{
    const QPointer<qx::KeyedTabBar> tabs(tabDev);
    return [tabs](bool on) {
        if (tabs)
            tabs->setEnabled(on);
    };
}

void frmMain::menuAdj_Click()
{
    using namespace qx;
    // Only a notice: the calibration goes ahead whatever the answer.
    promptBox(QStringLiteral("Calibrate Parameter?"), MbInformation);
    ::DevCtrl &p = DevCtrl(CurDev);
    AdjButtonsCurDev();
    tabDev->setEnabled(false);
    p.set_ChnEnable(false);
    // Until the window shows (it gives them back when it closes), a failure
    // gives the tab strip and the channel choice back.
    auto restore = qScopeGuard([this, &p] {
        tabDev->setEnabled(true);
        p.set_ChnEnable(true);
    });
    frmAdj &w = frmAdjForm().get();
    w.host.setTabsEnabled = tabsSwitch();
    w.Form_Load();
    w.show();
    w.raise();
    w.activateWindow();
    restore.dismiss();
    menuAdj->setEnabled(false);
    AdjOpen = true;
}

void frmMain::menuRes_Click()
{
    using namespace qx;
    if (frmResForm().raiseIfOpen())
        return;
    const auto tabs = tabsSwitch();
    try {
        if (DevType[CurDev] == models::NoType) {
            promptBox(QStringLiteral("Please connect device first"), MbCritical);
            return;
        }
        if (chan(CurDev, qx::tools::panelChannel(&DevCtrl(CurDev))).Vol > 4.5f) {
            promptBox(QStringLiteral("Resistance test only support single battery"), MbCritical);
            return;
        }
        DlgDone = false;
        tabs(false);
        // Every way out of here, a failure too, gives the tab strip back.
        const auto restore = qScopeGuard([&tabs] { tabs(true); });
        frmRes &w = frmResForm().fresh();
        w.host.setTabsEnabled = tabs;
        w.show();
        w.raise();
        w.activateWindow();
        waitForDialog(&w);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrRes"), QString::fromStdString(e.what()));
    }
}
