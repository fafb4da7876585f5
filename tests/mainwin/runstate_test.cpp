// Running and idle look of the panel and the shared menu entries, the
// calibration window's point buttons, and the automatic-test page's lists.
#include "MainFixture.h"

#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "tools/frmAdj.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace qx;

namespace {

class RunState : public test::MainFixture {
protected:
    void SetUp() override { w = &load(); }

    // "RSCTM": Run, Stop, Continue, Set, Monitor enabled (1) or not (0), then
    // the mode box.
    std::string panel(int Index = 0)
    {
        const DevCtrl &p = w->DevCtrl(Index);
        std::string s;
        for (bool b : {p.RunEnable(), p.StopEnable(), p.ContEnable(), p.SetEnable(), p.MonitorEnable(), p.ModeEnable()})
            s += b ? '1' : '0';
        return s;
    }
    // OpenCfg SaveCfg OpenData SaveData Clear Curve Res Qc SwSet.
    std::string menus()
    {
        std::string s;
        for (QAction *a : {w->menuOpenCfg, w->menuSaveCfg, w->menuOpenData, w->menuSaveData, w->menuClear,
                           w->menuCurve, w->menuRes, w->menuQc, w->menuSwSet})
            s += a->isEnabled() ? '1' : '0';
        return s;
    }
    // VL VH CL CH.
    std::string adj()
    {
        const frmAdj &a = frmAdjForm().get();
        std::string s;
        for (const QPushButton *b : {a.cmdVL, a.cmdVH, a.cmdCL, a.cmdCH})
            s += b->isEnabled() ? '1' : '0';
        return s;
    }
    QStringList entries(const char *combo)
    {
        auto *c = w->DevCtrl(0).findChild<QComboBox *>(QLatin1String(combo));
        QStringList l;
        for (int i = 0; c && i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    }

    frmMain *w = nullptr;
};

} // namespace

TEST_F(RunState, RunningAndIdleLook)
{
    DevCtrl &p = w->DevCtrl(0);
    // Shown as for a model with the resistance test (hidden entries stay disabled).
    w->menuRes->setVisible(true);
    w->menuQc->setVisible(true);
    chan(0, 0).Mode = 0;
    w->SetRunState(false, 0);
    EXPECT_EQ(panel(), "010100"); // Stop and Adjust
    EXPECT_EQ(menus(), "000000000");

    // Idle on a panel whose device is not connected: no parameter entries.
    w->SetRunState(true, 0);
    EXPECT_EQ(panel(), "101011");
    EXPECT_EQ(menus(), "001111111");
    p.set_Conn(true);
    w->SetRunState(true, 0);
    EXPECT_EQ(menus(), "111111111");

    // Another mode, after an idle call: Adjust stays disabled.
    chan(0, 0).Mode = 1;
    w->SetRunState(false, 0);
    EXPECT_EQ(panel(), "010000");

    // Between the rows of a step program: only the four buttons change.
    chan(0, 0).Mode = 0;
    dev(0).Chained = true;
    w->SetRunState(false, 0);
    EXPECT_EQ(panel(), "010000"); // no Adjust during a step program
    w->SetRunState(true, 0);
    EXPECT_EQ(panel(), "101000");
    EXPECT_EQ(menus(), "000000000");
}

TEST_F(RunState, SharedMenusShowTheSelectedDevicesLook)
{
    w->menuRes->setVisible(true);
    w->menuQc->setVisible(true);
    w->menuAddDev_Click();
    for (int i = 0; i < 2; ++i)
        w->DevCtrl(i).set_Conn(true);
    w->SetRunState(true, 0);
    ASSERT_EQ(menus(), "111111111");
    // The other tab's test starts: the selected device's entries stay.
    Running[1][0] = true;
    w->SetRunState(false, 1);
    EXPECT_EQ(menus(), "111111111");
    w->tabDev->set_SelectedIndex(2);
    EXPECT_EQ(menus(), "000000000");
    // Its idle frames of the other tab change nothing here.
    w->SetRunState(true, 0);
    EXPECT_EQ(menus(), "000000000");
    w->tabDev->set_SelectedIndex(1);
    EXPECT_EQ(menus(), "111111111");

    // Stop pressed on a device that has not reported the stop yet: the
    // entries wait for its idle report.
    Running[0][0] = true;
    w->SetRunState(false, 0);
    w->SetRunState(true, 0);
    EXPECT_EQ(menus(), "000000000");
    Running[0][0] = false;
    w->SetRunState(true, 0);
    EXPECT_EQ(menus(), "111111111");

    // A two-channel panel showing its idle channel 2 while channel 1 runs.
    DevCtrl &p = w->DevCtrl(0);
    p.set_Dev2S(true);
    p.findChild<QRadioButton *>(QStringLiteral("optChn1"))->setChecked(true);
    Running[0][0] = true;
    w->SetRunState(true, 0);
    EXPECT_EQ(panel(), "101011") << "the shown channel's buttons are idle";
    EXPECT_EQ(menus(), "000000000");
}

TEST_F(RunState, AdjustFollowsTheChannelThePanelSelects)
{
    DevCtrl &p = w->DevCtrl(0);
    p.set_Dev2S(true);
    p.findChild<QRadioButton *>(QStringLiteral("optChn1"))->setChecked(true); // channel 2
    chan(0, 0).Mode = 0;
    chan(0, 1).Mode = 1;
    w->SetRunState(false, 0); // channel 1 started in mode 0
    EXPECT_EQ(panel(), "010000");
    p.findChild<QRadioButton *>(QStringLiteral("optChn0"))->setChecked(true);
    w->SetRunState(false, 0);
    EXPECT_EQ(panel(), "010100");
}

TEST_F(RunState, CalibrationButtonsFollowTheSelectedDevice)
{
    EXPECT_FALSE(frmAdjForm().isLoaded());
    w->AdjButtons(true);
    ASSERT_TRUE(frmAdjForm().isLoaded());
    const frmAdj *first = &frmAdjForm().get();
    EXPECT_FALSE(first->isVisible()); // loaded hidden
    EXPECT_EQ(adj(), "1100");
    w->AdjButtons(false);
    EXPECT_EQ(&frmAdjForm().get(), first); // loaded once
    EXPECT_EQ(adj(), "0011");

    // Two tabs; the second is selected and runs.
    w->menuAddDev_Click();
    CurDev = 1;
    Running[1][0] = true;
    Running[0][0] = false;
    w->AdjButtonsCurDev();
    EXPECT_EQ(adj(), "0011");
    // Commands and frames of the other tab leave the buttons alone.
    w->AdjButtonsFor(0, true);
    EXPECT_EQ(adj(), "0011");
    w->AdjButtonsCurDev();
    EXPECT_EQ(adj(), "0011");
    w->AdjButtonsFor(1, true);
    EXPECT_EQ(adj(), "1100");

    // A two-channel device: the channel its panel selects.
    DevCtrl &p = w->DevCtrl(1);
    p.set_Dev2S(true);
    p.findChild<QRadioButton *>(QStringLiteral("optChn1"))->setChecked(true);
    w->AdjButtonsCurDev();
    EXPECT_EQ(adj(), "1100"); // channel 2 idle
    Running[1][1] = true;
    w->AdjButtonsCurDev();
    EXPECT_EQ(adj(), "0011");
}

TEST_F(RunState, AutomaticTestListsForTheMaximumCurrent)
{
    DevCtrl &p = w->DevCtrl(0);
    DevType[0] = 1;
    MaxCur[0] = 2.5f;
    p.set_tAutoVol(QStringLiteral("1"));
    w->AutoListInit(0);
    w->AutoListInit(0); // a second identification gives the same lists
    QStringList c1 = entries("cmbC1Auto");
    ASSERT_EQ(c1.size(), 25);
    EXPECT_EQ(c1.first().toStdString(), "0.1");
    EXPECT_EQ(c1[9].toStdString(), "1.0");
    EXPECT_EQ(c1.last().toStdString(), "2.5");
    EXPECT_EQ(entries("cmbC2Auto"), c1);
    EXPECT_EQ(entries("cmbStepAuto").join(' ').toStdString(), "0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1.0");
    const QStringList t = entries("cmbTimeAuto");
    ASSERT_EQ(t.size(), 50);
    EXPECT_EQ(t.first().toStdString(), "2");
    EXPECT_EQ(t.last().toStdString(), "100");
    EXPECT_EQ(entries("cmbModeAuto").join('|').toStdString(), "D-CC");
    EXPECT_EQ(p.tAutoC1().toStdString(), "0.1");
    EXPECT_EQ(p.tAutoC2().toStdString(), "0.1");
    EXPECT_EQ(p.tAutoStep().toStdString(), "0.1");
    EXPECT_EQ(p.tAutoTime().toStdString(), "2");
    EXPECT_EQ(p.tAutoMode().toStdString(), "D-CC");
    EXPECT_EQ(p.tAutoVol().toStdString(), "1.00");
    EXPECT_EQ(p.AutoRunCnt(), 11);
    EXPECT_EQ(p.tAutoRun(0, 1).toStdString(), "Curr(A)");

    // Type 35: steps of 0.01 A.
    DevType[0] = 35;
    MaxCur[0] = 1;
    p.set_tAutoVol(QStringLiteral("abc"));
    w->AutoListInit(0);
    c1 = entries("cmbC1Auto");
    ASSERT_EQ(c1.size(), 100);
    EXPECT_EQ(c1.first().toStdString(), "0.01");
    EXPECT_EQ(c1.last().toStdString(), "1.00");
    EXPECT_EQ(entries("cmbStepAuto").size(), 100);
    EXPECT_EQ(p.tAutoC1().toStdString(), "0.01");
    EXPECT_EQ(p.tAutoVol().toStdString(), "abc");
    // As many entries in steps of 0.1 A are other entries.
    DevType[0] = 1;
    MaxCur[0] = 10;
    w->AutoListInit(0);
    c1 = entries("cmbC1Auto");
    ASSERT_EQ(c1.size(), 100);
    EXPECT_EQ(c1.last().toStdString(), "10.0");
    EXPECT_EQ(entries("cmbStepAuto").size(), 10);

    // A 100 A model: 1000 entries up to 100.0.
    DevType[0] = 34;
    MaxCur[0] = 100;
    w->AutoListInit(0);
    c1 = entries("cmbC1Auto");
    ASSERT_EQ(c1.size(), 1000);
    EXPECT_EQ(c1.last().toStdString(), "100.0");
}

TEST_F(RunState, AutomaticTestListsFailingAreLogged)
{
    fixErrLogClock();
    DevType[0] = 1;
    MaxCur[0] = 0; // no current entries: the default choice is not in the list
    w->AutoListInit(0);
    EXPECT_TRUE(entries("cmbC1Auto").isEmpty());
    EXPECT_TRUE(errLog().contains("[ErrAutoInit]"));
}
