// Layout of the device views, minimising and restoring with the floating
// readout, the meter window and the notification icon.
#include "MainFixture.h"

#include "curves/CurveGraph.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "platform/Numbers.h"

#include <QFrame>
#include <QListWidget>
#include <QToolBar>

using namespace qx;
using qx::test::MainFixture;

namespace {

QRect tw(int left, int top, int width, int height)
{
    return QRect(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

} // namespace

TEST_F(MainFixture, ViewsFollowTheWindowSize)
{
    frmMain &w = load();
    w.show();
    w.menuAddDev_Click();
    for (QSize size : {QSize(900, 640), QSize(1200, 800)}) {
        w.resize(size);
        const int W = pxToTwips(w.centralWidget()->width());
        const int H = pxToTwips(w.centralWidget()->height());
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(QStringLiteral("%1x%2 device %3").arg(size.width()).arg(size.height()).arg(i).toStdString());
            const int frameW = W - 100, frameH = H - 500;
            EXPECT_EQ(w.frmDev(i).geometry(), tw(0, 480, frameW, frameH));
            const int gridH = w.gridRun(i).Height();
            const int chartW = frameW - 3495 - 100, chartH = frameH - gridH - 150;
            EXPECT_EQ(w.CurveGraph(i).geometry(), tw(50, 0, chartW, chartH));
            EXPECT_EQ(w.gridRun(i).pos(), tw(50, chartH + 100, 0, 0).topLeft());
            EXPECT_EQ(w.gridRun(i).Width(), chartW);
            const int panelL = 50 + chartW + 100;
            EXPECT_EQ(w.DevCtrl(i).geometry(), tw(panelL, 0, 3495, 7575));
            EXPECT_EQ(w.lstInfo(i).geometry(), tw(panelL, 7675, 3395, frameH - 7675));
            // Columns 2 to 6 share what columns 0, 7 and 8 leave; column 1 is 2.5 times as wide.
            const int col = num::toInt((chartW - 2800) / 7.5);
            for (int c = 2; c <= 6; ++c)
                EXPECT_EQ(w.gridRun(i).ColWidth(c), col);
            EXPECT_EQ(w.gridRun(i).ColWidth(1), num::toInt(col * 2.5));
            EXPECT_EQ(w.gridRun(i).ColWidth(0), 1300);
            EXPECT_EQ(w.gridRun(i).ColWidth(8), 750);
            EXPECT_EQ(w.gridAutolist(i).geometry(), tw(panelL, 0, 3395, chartH + 100 + gridH));
            EXPECT_EQ(w.gridAutolist(i).ColWidth(0), 650);
            EXPECT_EQ(w.gridAutolist(i).ColWidth(2), num::toInt((3395 - 950) / 3.0));
        }
        EXPECT_EQ(w.tabDev->width(), twipsToPx(W + 50));
        EXPECT_EQ(w.tlbSys->pos(), QPoint(twipsToPx(1620), 0));
    }
    // Too small a window gives empty views, not a failure.
    w.resize(200, 150);
    EXPECT_EQ(w.CurveGraph(0).width(), 0);
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
