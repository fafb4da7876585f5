// Layout of the device views, minimising and restoring with the floating
// readout, the meter window and the notification icon.
#include "MainFixture.h"

#include "common/Mouse.h"
#include "curves/CurveGraph.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "platform/Numbers.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QAction>
#include <QToolBar>

using namespace qx;
using qx::test::MainFixture;

namespace {

// Resizes the window so that its inner (client) area is w x h pixels.
void resizeClient(frmMain &w, int width, int height)
{
    const QSize frame = w.size() - w.centralWidget()->size();
    w.resize(width + frame.width(), height + frame.height());
}

// Whether the widget lies whole inside the window's inner area.
bool reachable(const frmMain &w, const QWidget *c)
{
    const QRect inWindow(c->mapTo(w.centralWidget(), QPoint(0, 0)), c->size());
    return c->isVisible() && w.centralWidget()->rect().contains(inWindow);
}

} // namespace

TEST_F(MainFixture, ViewsFollowTheWindowSize)
{
    frmMain &w = load();
    w.show();
    w.menuAddDev_Click();
    // Sizes in twips worked out by hand from the layout rules (15 twips a
    // pixel, pixels cut): panel 3495 x 7575, result grid 900 high.
    const struct {
        QSize client;      // pixels: W x H twips = 15 times that
        QRect frame, chart;
        QPoint grid;
        int gridW;
        int panelL;        // pixels
        QRect list, autolist;
        int col, col1, tabW;
    } cases[] = {
        // W 14400, H 9000: frame 14300 x 8500, chart 10705 x 7450, grid top
        // 7550, panel left 10855, list 7675 down, 825 high; columns
        // (10705 - 2800) / 7.5 = 1054 and 2635; list grid 8450 high.
        {{960, 600}, {0, 32, 953, 566}, {3, 0, 713, 496}, {3, 503}, 10705, 723, {723, 511, 226, 55},
         {723, 0, 226, 563}, 1054, 2635, 963},
        // W 18000, H 12000: frame 17900 x 11500, chart 14305 x 10450, grid
        // top 10550, panel left 14455, list 3825 high; columns 1534 and 3835.
        {{1200, 800}, {0, 32, 1193, 766}, {3, 0, 953, 696}, {3, 703}, 14305, 963, {963, 511, 226, 255},
         {963, 0, 226, 763}, 1534, 3835, 1203},
    };
    for (const auto &c : cases) {
        for (int i = 0; i < 2; ++i)
            w.gridRun(i).set_Height(900);
        resizeClient(w, c.client.width(), c.client.height());
        ASSERT_EQ(w.centralWidget()->size(), c.client);
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(QStringLiteral("%1x%2 device %3").arg(c.client.width()).arg(c.client.height()).arg(i).toStdString());
            EXPECT_EQ(w.frmDev(i).geometry(), c.frame);
            EXPECT_EQ(w.CurveGraph(i).geometry(), c.chart);
            EXPECT_EQ(w.gridRun(i).pos(), c.grid);
            EXPECT_EQ(w.gridRun(i).Width(), c.gridW);
            EXPECT_EQ(w.DevCtrl(i).geometry(), QRect(c.panelL, 0, 233, 505));
            EXPECT_EQ(w.lstInfo(i).geometry(), c.list);
            for (int col = 2; col <= 6; ++col)
                EXPECT_EQ(w.gridRun(i).ColWidth(col), c.col);
            EXPECT_EQ(w.gridRun(i).ColWidth(1), c.col1);
            EXPECT_EQ(w.gridRun(i).ColWidth(0), 1300);
            EXPECT_EQ(w.gridRun(i).ColWidth(7), 750);
            EXPECT_EQ(w.gridRun(i).ColWidth(8), 750);
            EXPECT_EQ(w.gridAutolist(i).geometry(), c.autolist);
            EXPECT_EQ(w.gridAutolist(i).ColWidth(0), 650);
            for (int col = 1; col <= 3; ++col)
                EXPECT_EQ(w.gridAutolist(i).ColWidth(col), 815) << "(3395 - 650 - 300) / 3";
        }
        EXPECT_EQ(w.tabDev->width(), c.tabW);
        EXPECT_EQ(w.tlbSys->pos(), QPoint(108, 0)) << "1620 twips: two tabs";
    }
}

TEST_F(MainFixture, TheSmallestWindowKeepsEveryPanelControlAndTheToolbarInReach)
{
    frmMain &w = load();
    w.show();
    // Ten tabs put the toolbar furthest right: 9 x 800 + 820 = 8020 twips.
    for (int i = 1; i < 10; ++i)
        w.menuAddDev_Click();
    ASSERT_EQ(w.tlbSys->x(), 534);
    w.resize(640, 480);
    EXPECT_EQ(w.DevCtrl(0).height(), 505);
    for (QAction *a : w.tlbSys->actions())
        EXPECT_TRUE(reachable(w, w.tlbSys->widgetForAction(a))) << a->toolTip().toStdString();
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        w.tabDev->set_SelectedIndex(i + 1);
        const QList<QWidget *> controls = w.DevCtrl(i).findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *c : controls) {
            if (!c->isVisible() || c->isWindow() || !c->isEnabled() || c->focusPolicy() == Qt::NoFocus)
                continue;
            EXPECT_TRUE(reachable(w, c)) << c->objectName().toStdString();
            ++checked;
        }
        EXPECT_GT(checked, 5);
        QWidget *connect = w.DevCtrl(i).findChild<QWidget *>("cmdConn");
        ASSERT_NE(connect, nullptr);
        EXPECT_TRUE(reachable(w, connect));
        // Below the panel, the information list shows its first three
        // lines (status, START/STOP, temperature) whole.
        QListWidget &list = w.lstInfo(i);
        EXPECT_TRUE(reachable(w, &list));
        for (int line = 0; line < 3; ++line)
            EXPECT_TRUE(list.viewport()->rect().contains(list.visualItemRect(list.item(line)))) << "line " << line;
    }
}

TEST_F(MainFixture, AnAddedTabStacksItsLegendsWithLegendsOn)
{
    frmMain &w = load();
    w.show();
    OptSla = 1;
    w.menuAddDev_Click();
    w.menuAddDev_Click();
    for (int i = 1; i <= 2; ++i) {
        SCOPED_TRACE(i);
        const ::CurveGraph &chart = w.CurveGraph(i);
        const QLabel *volt = chart.lblLegend(0), *current = chart.lblLegend(1);
        // (on its chart: the tab itself is not shown)
        ASSERT_TRUE(volt->isVisibleTo(&chart));
        ASSERT_TRUE(current->isVisibleTo(&chart));
        // "Current" right under "Voltage", near the chart's right edge, not
        // over the voltage labels at its left.
        EXPECT_EQ(volt->pos(), QPoint(chart.width() - 120, 73));
        EXPECT_EQ(current->pos(), QPoint(volt->x(), volt->y() + volt->height() + 5));
    }
}

TEST_F(MainFixture, TheInformationListKeepsNoSelectionAndNoSideScrollBar)
{
    frmMain &w = load();
    w.show();
    QListWidget &list = w.lstInfo(0);
    // The news scrolling through line 0: wider than the list.
    w.set_lstInfoLine(0, 0, QString(40, QLatin1Char(' ')) + QString(200, QLatin1Char('N')));
    w.set_lstInfoLine(0, 1, QStringLiteral(" Device1: START"));
    QWidget *vp = list.viewport();
    const QPoint onLine1 = list.visualItemRect(list.item(1)).center();
    qx::test::userMouse(vp, QEvent::MouseButtonPress, onLine1);
    qx::test::userMouse(vp, QEvent::MouseButtonRelease, onLine1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(list.selectedItems().isEmpty());
    EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
    // The clicked line looks as the others do: no highlight behind it.
    const QImage shot = vp->grab().toImage();
    const QColor highlight = list.palette().color(QPalette::Highlight);
    const QRect line = list.visualItemRect(list.item(1));
    int marked = 0;
    for (int x = line.left(); x < line.right(); ++x)
        marked += shot.pixelColor(x, line.center().y()) == highlight;
    EXPECT_EQ(marked, 0);
}

struct Minimise : MainFixture {
    frmMain &w = load();
    Minimise() { w.show(); }
    bool iconShown() { return tray::iconOf(&w, 0) != nullptr; }
    bool dispShown() { return frmDispForm().isLoaded() && frmDispForm()->isVisible(); }
    void minimise()
    {
        w.showMinimized();
        QCoreApplication::processEvents();  // the window goes behind its icon after the event
    }
};

TEST_F(Minimise, FloatingWindowsAndIconFollowTheOptions)
{
    const struct {
        const char *what;
        bool disp, conn, meter, hide, trayAvailable;
        bool dispShown, meterShown, mainHidden;
    } cases[] = {
        {"readout for a connected device", true, true, false, false, true, true, false, false},
        {"no readout without a connection", true, false, false, false, true, false, false, false},
        {"meter open: no readout, meter stays", true, true, true, false, true, false, true, false},
        {"readout off: meter hidden", false, true, true, false, true, false, false, false},
        {"hidden behind the icon", false, false, false, true, true, false, false, true},
        {"no notification area: just minimised", true, true, false, true, false, true, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        OptDisp = c.disp;
        OptHide = c.hide;
        tray::setAvailableOverride(c.trayAvailable);
        w.DevCtrl(0).set_Conn(c.conn);
        if (c.meter)
            frmMeterForm()->show();
        minimise();
        EXPECT_EQ(w.Minimized, 1);
        EXPECT_EQ(dispShown(), c.dispShown);
        EXPECT_EQ(frmMeterForm().isLoaded() && frmMeterForm()->isVisible(), c.meterShown);
        EXPECT_EQ(w.isHidden(), c.mainHidden);
        EXPECT_EQ(iconShown(), c.mainHidden);

        // Back to normal: from the icon when hidden, else as a window.
        if (c.mainHidden)
            w.trayMouseDown(tray::CodeLeftDown);
        else
            w.showNormal();
        QCoreApplication::processEvents();
        EXPECT_EQ(w.Minimized, 0);
        EXPECT_FALSE(w.isHidden());
        EXPECT_FALSE(w.isMinimized());
        EXPECT_FALSE(iconShown());
        EXPECT_FALSE(dispShown());
        EXPECT_EQ(frmMeterForm().isLoaded() && frmMeterForm()->isVisible(), c.meter) << "meter shown again";
        frmMeterForm().unload();
    }
}

TEST_F(Minimise, OnlyALeftClickOnTheIconRestores)
{
    OptHide = true;
    tray::setAvailableOverride(true);
    minimise();
    ASSERT_TRUE(w.isHidden());
    for (int code : {tray::CodeLeftDouble, tray::CodeRightDown, tray::CodeMiddleDown}) {
        w.trayMouseDown(code);
        EXPECT_TRUE(w.isHidden()) << code;
        EXPECT_TRUE(iconShown()) << code;
        EXPECT_EQ(w.Minimized, 1);
    }
    w.trayMouseDown(tray::CodeLeftDown);
    EXPECT_FALSE(w.isHidden());
    EXPECT_FALSE(iconShown());

    // A second minimise works the same way again.
    minimise();
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(iconShown());
}
