// Device tabs: "Add Device" up to ten tabs with views of their own, the tab
// click and the two-channel set-up.
#include "MainFixture.h"

#include "DevSim.h"
#include "curves/CurveGraph.h"
#include "link/PortWatch.h"
#include "link/PortScan.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QFrame>
#include <QListWidget>
#include <QTimer>
#include <QToolBar>
#include <set>

using namespace qx;
using qx::test::MainFixture;

namespace {

// The toolbar's left edge, to the pixel that holds the twips value.
bool toolbarAt(const frmMain &w, int twips) { return w.tlbSys->x() == twipsToPx(twips); }

bool inFront(const QFrame &frame)
{
    // The last frame among the window's children is drawn on top.
    const QWidget *top = nullptr;
    for (QObject *o : frame.parentWidget()->children())
        if (auto *f = qobject_cast<QFrame *>(o); f && f->objectName().startsWith("frmDev_"))
            top = f;
    return top == &frame;
}

} // namespace

TEST_F(MainFixture, TenTabsCanBeAddedAndAnEleventhCannot)
{
    frmMain &w = load();
    w.show();
    w.menuAddDev_Click();
    EXPECT_EQ(DevCount, 2);
    EXPECT_EQ(w.tabDev->Caption(2), "Device2");
    EXPECT_EQ(w.tabDev->Key(2), "dev2");
    EXPECT_TRUE(toolbarAt(w, 1620));
    for (int i = 0; i < 8; ++i)
        w.menuAddDev_Click();
    EXPECT_EQ(DevCount, 10);
    EXPECT_EQ(w.viewCount(), 10);
    EXPECT_EQ(w.tabDev->Count(), 10);
    EXPECT_EQ(w.tabDev->Caption(10), "Device10");
    EXPECT_EQ(w.tabDev->Key(10), "dev10");
    EXPECT_TRUE(toolbarAt(w, 8020));
    EXPECT_FALSE(w.menuAddDev->isEnabled());

    w.menuAddDev_Click();
    EXPECT_EQ(DevCount, 10);
    EXPECT_EQ(w.tabDev->Count(), 10);
    EXPECT_THROW(w.DevCtrl(10), QxError);
    EXPECT_THROW(w.CurveGraph(-1), QxError);

    // Adding changes neither the selection nor the frame in front.
    EXPECT_EQ(CurDev, 0);
    EXPECT_EQ(w.tabDev->SelectedIndex(), 1);
    EXPECT_TRUE(inFront(w.frmDev(0)));
}

TEST_F(MainFixture, EachTabHasViewsOfItsOwn)
{
    frmMain &w = load();
    w.menuAddDev_Click();
    w.menuAddDev_Click();

    std::set<const void *> seen;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        for (const void *v : {(const void *)&w.DevCtrl(i), (const void *)&w.CurveGraph(i),
                              (const void *)&w.gridRun(i), (const void *)&w.gridAutolist(i),
                              (const void *)&w.lstInfo(i), (const void *)&w.tmrComm(i),
                              (const void *)&w.tmrConn(i), (const void *)&w.tmrRecv(i)})
            EXPECT_TRUE(seen.insert(v).second);
        EXPECT_EQ(w.DevCtrl(i).Index(), i);
        EXPECT_EQ(DevCtrl::find(i), &w.DevCtrl(i));
        EXPECT_EQ(w.DevCtrl(i).parentWidget(), &w.frmDev(i));
        EXPECT_EQ(w.CurveGraph(i).parentWidget(), &w.frmDev(i));
        EXPECT_EQ(w.frmDev(i).geometry(), w.frmDev(0).geometry());
        EXPECT_EQ(w.CurveGraph(i).geometry(), w.CurveGraph(0).geometry());
        EXPECT_EQ(w.gridRun(i).geometry(), w.gridRun(0).geometry());
        EXPECT_EQ(w.DevCtrl(i).geometry(), w.DevCtrl(0).geometry());
    }

    // A new tab's views as "Add Device" leaves them.
    DevCtrl &p = w.DevCtrl(2);
    EXPECT_FALSE(p.Dev2S());
    EXPECT_EQ(p.tMode(), "No Device");
    EXPECT_EQ(p.tSval(0), "00.00");
    EXPECT_EQ(p.tStim(0), "0");
    EXPECT_EQ(w.gridRun(2).TextMatrix(0, 4), "Capacity");
    EXPECT_EQ(w.gridRun(2).TextMatrix(1, 0), "No Device");
    EXPECT_EQ(w.gridRun(2).ColWidth(0), 1300);
    EXPECT_EQ(w.gridRun(2).ColWidth(1), w.gridRun(0).ColWidth(1));
    EXPECT_EQ(w.gridRun(2).ColWidth(6), w.gridRun(0).ColWidth(6));
    EXPECT_EQ(w.lstInfo(2).count(), 7);
    EXPECT_FALSE(w.gridAutolist(2).isVisibleTo(&w.frmDev(2)));
    EXPECT_EQ(w.gridAutolist(2).ColAlignment(3), Grid::AlignCenterCenter);
    EXPECT_FALSE(w.tmrComm(2).isActive());
    EXPECT_EQ(w.tmrConn(2).interval(), 1000);
    EXPECT_EQ(w.tmrRecv(2).interval(), 500);
    EXPECT_EQ(w.CurveGraph(2).TitleText(), "QX Tester Software");

    // Writing to one device's views leaves the others alone.
    w.DevCtrl(1).set_tSval(0, "1.25");
    w.CurveGraph(1).AddXY(0, 1, 2);
    w.gridRun(1).set_TextMatrix(1, 0, "QM-01");
    w.set_lstInfoLine(1, 1, " Device2: START");
    for (int i : {0, 2}) {
        EXPECT_EQ(w.DevCtrl(i).tSval(0), "00.00");
        EXPECT_EQ(w.CurveGraph(i).DpCnt(0), 0);
        EXPECT_EQ(w.gridRun(i).TextMatrix(1, 0), "No Device");
        EXPECT_EQ(w.lstInfoLine(i, 1), "");
    }
    EXPECT_EQ(w.CurveGraph(1).DpCnt(0), 1);
    EXPECT_THROW(w.set_lstInfoLine(1, 7, "x"), QxError);
}

TEST_F(MainFixture, NewTabTakesTheDisplaySettingsInForce)
{
    frmMain &w = load("[DATA]\nVCOL0=65280\nLINE=1\nSLA=1\n[CURVE]\nVY0=2\nVY1=8\n");
    // As the display settings dialog would have changed every chart.
    CurveGraph &first = w.CurveGraph(0);
    first.set_BackColor(0x102030);
    first.set_GridColor(0x405060);
    first.set_AxesColor(0x708090);
    first.set_GridType1(2);
    first.set_GridType2(0);
    first.set_ShowCurve(2, true);
    first.set_CurveAxesY(2, 1);
    // Ranges move with the readings; a new chart starts from the settings file.
    first.set_MaxY(0, 40);
    w.menuAddDev_Click();

    const CurveGraph &g = w.CurveGraph(1);
    EXPECT_EQ(g.BackColor(), 0x102030u);
    EXPECT_EQ(g.GridColor(), 0x405060u);
    EXPECT_EQ(g.AxesColor(), 0x708090u);
    EXPECT_EQ(g.GridType1(), 2);
    EXPECT_EQ(g.GridType2(), 0);
    EXPECT_TRUE(g.ShowCurve(2));
    EXPECT_EQ(g.CurveAxesY(2), 1);
    EXPECT_EQ(g.CurveLineColor(0), 65280u);
    EXPECT_EQ(g.Line(), 1);
    EXPECT_TRUE(g.ShowLegend(0));
    EXPECT_FLOAT_EQ(g.MinY(0), 2);
    EXPECT_FLOAT_EQ(g.MaxY(0), 8);
    EXPECT_EQ(g.DpCnt(0), 0);
}

TEST_F(MainFixture, TabClickSelectsTheDeviceAndBringsItsFrameToTheFront)
{
    frmMain &w = load();
    w.menuAddDev_Click();
    w.menuAddDev_Click();
    w.tabDev->set_SelectedIndex(3);
    EXPECT_EQ(CurDev, 2);
    EXPECT_TRUE(inFront(w.frmDev(2)));
    w.frmDev(0).raise();
    w.tabDev->set_SelectedIndex(3);  // the tab already selected
    EXPECT_EQ(CurDev, 2);
    EXPECT_TRUE(inFront(w.frmDev(2)));
    w.menuAddDev_Click();
    EXPECT_EQ(CurDev, 2);
    EXPECT_TRUE(inFront(w.frmDev(2)));
}

TEST_F(MainFixture, NewTabChoosesTheStoredPortAsStored)
{
    sim::DevSim com3({.home = home.path(), .com = 3, .type = 10});
    sim::DevSim com5({.home = home.path(), .com = 5, .type = 10});
    ASSERT_TRUE(com3.start()) << com3.error().toStdString();
    ASSERT_TRUE(com5.start()) << com5.error().toStdString();
    frmMain &w = load("[COMM]\nPORT2=5\nPORT3=05\n");
    w.menuAddDev_Click();
    w.menuAddDev_Click();
    w.menuAddDev_Click();
    EXPECT_EQ(w.DevCtrl(1).tPort(), "COM5");
    EXPECT_EQ(w.DevCtrl(2).tPort(), scanPorts().first) << "COM05 is never listed";
    EXPECT_EQ(w.DevCtrl(3).tPort(), scanPorts().first) << "PORT4 missing: COM2 unless absent";
    EXPECT_GE(w.DevCtrl(3).PortCnt(), 2);
}

TEST_F(MainFixture, TwoChannelSetUpExtendsChartAndResultGrid)
{
    frmMain &w = load("[DATA]\nVCOL1=32768\nCCOL1=8388736\nSLA=1\n");
    w.menuAddDev_Click();
    w.menuAddDev_Click();
    w.menuAddDev_Click();
    CurveGraph &g = w.CurveGraph(3);
    g.set_ShowCurve(2, true);
    g.set_CurveAxesY(2, 1);
    for (int pass = 0; pass < 2; ++pass) {  // the set-up may run on every identification pass
        SCOPED_TRACE(pass);
        w.InitDual(3);
        EXPECT_EQ(g.CurveCount(), 10);
        const QStringList legends{"Voltage1", "Current1", "Temp1", "", "", "Voltage2", "Current2", "Temp2"};
        for (int k : {0, 1, 2, 5, 6, 7})
            EXPECT_EQ(g.LegendText(k), legends[k]);
        EXPECT_EQ(g.CurveLineColor(5), 32768u);
        EXPECT_EQ(g.CurveLineColor(6), 8388736u);
        EXPECT_EQ(g.CurveLineColor(7), 8388736u);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(g.CurveAxesY(5 + k), g.CurveAxesY(k));
            EXPECT_EQ(g.ShowCurve(5 + k), g.ShowCurve(k));
        }
        for (int k : {0, 1, 5, 6})
            EXPECT_TRUE(g.ShowLegend(k));
        Grid &grid = w.gridRun(3);
        EXPECT_EQ(grid.TextMatrix(2, 0), "No Device");
        grid.set_Row(2);
        grid.set_Col(7);
        EXPECT_EQ(grid.CellBackColor(), 32768u);
        grid.set_Col(8);
        EXPECT_EQ(grid.CellBackColor(), 8388736u);
    }
    EXPECT_EQ(w.CurveGraph(0).CurveCount(), 5) << "other devices stay one-channel";
    EXPECT_THROW(w.InitDual(4), QxError);
}
