// Running and idle look of a device panel and the shared menu entries, the
// calibration window's point buttons, and the automatic-test page's lists.
#include "mainwin/frmMain.h"

#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Numbers.h"
#include "tools/frmAdj.h"
#include "tools/ToolPanel.h"

#include <QAction>
#include <QPushButton>
#include <exception>

void frmMain::SetRunState(bool idle, int Index)
{
    using namespace qx;
    ::DevCtrl &p = DevCtrl(Index);
    const bool chained = dev(Index).Chained;
    if (idle) {
        p.set_RunEnable(true);
        p.set_StopEnable(false);
        p.set_ContEnable(true);
        p.set_SetEnable(false);
        // Between the rows of a step program the rest keeps its running look.
        if (chained)
            return;
        p.set_ModeEnable(true);
        p.set_MonitorEnable(true);
        // Clear Curve and the data files wait until no channel of the device
        // runs any more (the device may not have reported a stop yet, or
        // the other channel of a two-channel device still runs).
        const bool running = Running[Index][0] || (p.Dev2S() && Running[Index][1]);
        setMenuLook(Index, running ? runningMenuLook() : idleMenuLook(p.Conn()));
        return;
    }
    p.set_RunEnable(false);
    p.set_ContEnable(false);
    p.set_StopEnable(true);
    const int c = qx::tools::panelChannel(&p);
    if (chan(Index, c).Mode == qx::models::CcMode && !chained)
        p.set_SetEnable(true);
    p.set_ModeEnable(false);
    p.set_MonitorEnable(false);
    setMenuLook(Index, runningMenuLook());
}

frmMain::MenuLook frmMain::runningMenuLook() { return MenuLook{false, false, false, false, false, false, false, false, false}; }

frmMain::MenuLook frmMain::idleMenuLook(bool connected)
{
    return MenuLook{connected, connected, true, true, true, true, true, true, true};
}

void frmMain::setMenuLook(int Index, const MenuLook &look)
{
    menuLook_.at(size_t(Index)) = look;
    if (Index == qx::CurDev)
        ShowSharedMenus();
}

void frmMain::unlinkedMenus(int Index)
{
    // Nothing is recorded from the device any more: its data may be saved
    // or cleared; the device's own tools wait for the next link.
    MenuLook m = menuLook_.at(size_t(Index));
    m.openData = m.saveData = m.clear = m.curve = m.swSet = true;
    m.res = m.qc = false;
    setMenuLook(Index, m);
}

void frmMain::ShowSharedMenus()
{
    const MenuLook &m = menuLook_.at(size_t(qx::CurDev));
    const std::pair<QAction *, bool> entries[] = {
        {menuOpenCfg, m.openCfg}, {menuSaveCfg, m.saveCfg}, {menuOpenData, m.openData},
        {menuSaveData, m.saveData}, {menuClear, m.clear},     {menuCurve, m.curve},
        {menuRes, m.res},           {menuQc, m.qc},           {menuSwSet, m.swSet},
    };
    for (const auto &[entry, enabled] : entries)
        entry->setEnabled(enabled);
}

void frmMain::AdjButtons(bool flag)
{
    frmAdj &w = frmAdjForm().get();
    w.cmdVL->setEnabled(flag);
    w.cmdVH->setEnabled(flag);
    w.cmdCH->setEnabled(!flag);
    w.cmdCL->setEnabled(!flag);
}

void frmMain::AdjButtonsCurDev()
{
    using namespace qx;
    const ::DevCtrl &p = DevCtrl(CurDev);
    const int c = qx::tools::panelChannel(&p);
    AdjButtons(!Running[CurDev][c]);
}

void frmMain::AdjButtonsFor(int Index, bool flag)
{
    if (Index == qx::CurDev)
        AdjButtons(flag);
}

void frmMain::AutoListInit(int Index)
{
    using namespace qx;
    try {
        ::DevCtrl &p = DevCtrl(Index);
        const bool fine = models::hasFineCurrent(DevType[Index]);
        const float r = fine ? 0.01f : 0.1f;
        const float slack = fine ? 0.001f : 0.01f;
        const float top = MaxCur[Index] + slack;
        int count = 0;
        for (float x = r; x <= top; x += r)
            ++count;
        // The lists as built before are left as they are: every
        // identification asks for them, and a 100 A model has 2000 entries.
        AutoLists &built = autoLists_.at(size_t(Index));
        const bool refill = built.count != count || built.fine != fine;
        if (refill) {
            built = AutoLists{};
            p.AutoC1Clr();
            p.AutoC2Clr();
            p.AutoStepClr();
            p.AutoTimeClr();
            // The k-th entry is k times the resolution with one decimal, or
            // two on the fine-current model ("12.3", "0.05").
            const auto entry = [fine](int k) {
                const int unit = fine ? 100 : 10;
                return QString::number(k / unit) + QLatin1Char('.') +
                       QString::number(k % unit).rightJustified(fine ? 2 : 1, QLatin1Char('0'));
            };
            for (int k = 1; k <= count; ++k) {
                const QString text = entry(k);
                p.AutoC1Add(text);
                p.AutoC2Add(text);
            }
            int k = 1;
            for (float x = r; x <= 1 + slack; x += r, ++k)
                p.AutoStepAdd(entry(k));
        }
        const QString first = fine ? QStringLiteral("0.01") : QStringLiteral("0.1");
        p.set_tAutoC1(first);
        p.set_tAutoC2(first);
        p.set_tAutoStep(first);

        if (refill) {
            for (int t = 2; t <= 100; t += 2)
                p.AutoTimeAdd(QString::number(t));
            built = AutoLists{fine, count};
        }
        p.set_tAutoTime(QStringLiteral("2"));

        const QString dcc = Module3::LangText(QStringLiteral("D-CC"));
        p.AutoModeClr();
        p.AutoModeAdd(dcc);
        p.set_tAutoMode(dcc);

        if (num::isNumeric(p.tAutoVol()))
            p.set_tAutoVol(num::format(num::toDouble(p.tAutoVol()), u"0.00"));
        p.AutoListClr();
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrAutoInit"), QString::fromUtf8(e.what()));
    }
}
