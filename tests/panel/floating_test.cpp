// The floating readout and meter windows.
#include "common/FakeUi.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "panel/LCDisp.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "common/Mouse.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

void doubleClick(QWidget *w) { qx::test::sendMouse(w, QEvent::MouseButtonDblClick, QPoint(3, 3)); }

// Unloads both windows after each test.
struct Windows : ::testing::Test {
    ~Windows() override
    {
        frmDispForm().unload();
        frmMeterForm().unload();
    }
};

} // namespace

TEST_F(Windows, MeterOpenFollowsTheMetersLoadNotItsVisibility)
{
    ASSERT_FALSE(frmMeterForm().isLoaded());
    qx::MeterOpen = false;
    // Touching a control loads the window without showing it.
    frmMeterForm()->lcdCurM->set_Value("0.1234");
    EXPECT_TRUE(frmMeterForm().isLoaded());
    EXPECT_FALSE(frmMeterForm()->isVisible());
    EXPECT_TRUE(qx::MeterOpen);
    frmMeterForm()->show();
    frmMeterForm()->hide();
    EXPECT_TRUE(qx::MeterOpen) << "hidden, still loaded";
    frmMeterForm().unload();
    EXPECT_FALSE(qx::MeterOpen);

    // The floating readout sets no flag.
    frmDispForm().get();
    EXPECT_FALSE(qx::MeterOpen);
}

TEST_F(Windows, LoadPlacesTheWindowAndTakesTheFirstPanelsColours)
{
    DevCtrl first, second;
    first.set_Index(0);
    second.set_Index(1);
    qx::CurDev = 1;
    first.set_VolColor(0x00AA00);
    first.set_CurColor(0x0000AA);
    first.set_PwrColor(0xAA0000);
    second.set_VolColor(0x111111);

    for (FloatingReadout *w : {static_cast<FloatingReadout *>(&frmDispForm().get()),
                               static_cast<FloatingReadout *>(&frmMeterForm().get())}) {
        EXPECT_EQ(w->lcdVolM->SegmentLitColor(), 0x00AA00u);
        EXPECT_EQ(w->lcdVolM->SegmentLitColorNeg(), 0x00AA00u);
        EXPECT_EQ(w->lcdCurM->SegmentLitColorNeg(), 0x0000AAu);
        EXPECT_EQ(w->lcdPwrM->SegmentLitColor(), 0xAA0000u);
        EXPECT_EQ(FloatingReadout::textColor(w->lblVolM), 0x00AA00u);
        EXPECT_EQ(w->lcdD1M->SegmentLitColor(), 0xC000u) << "capacity keeps its design colour";
        EXPECT_EQ(w->lcdD2M->SegmentLitColor(), 0xC0C000u);
        EXPECT_EQ(w->lblTitle->text(), "QM-20");

        const QRect s = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(w->x(), s.left() + (s.width() - w->width()) / 2);
        EXPECT_EQ(w->y(), s.top() + (s.height() - w->height()) / 3);
        EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    }
    EXPECT_EQ(frmDispForm()->size(), QSize(256, 111));
    EXPECT_EQ(frmMeterForm()->size(), QSize(279, 113));
    EXPECT_EQ(frmMeterForm()->lblD1M->text(), "D+");
    EXPECT_EQ(frmDispForm()->lblD2M->text(), "Wh");
    qx::CurDev = 0;
}

TEST_F(Windows, DoubleClicksPickColoursAndCancelChangesNothing)
{
    qx::test::FakeUi fake;
    frmDisp &d = frmDispForm().get();
    const uint32_t before = d.lcdD1M->SegmentLitColor();
    doubleClick(d.lblD1M);  // no answer scripted: cancelled
    EXPECT_EQ(fake.colorRequests, 1);
    EXPECT_EQ(d.lcdD1M->SegmentLitColor(), before);

    fake.colorAnswers = {0x123456, 0x654321};
    doubleClick(d.lblCurM);
    EXPECT_EQ(d.lcdCurM->SegmentLitColor(), 0x123456u);
    EXPECT_EQ(d.lcdCurM->SegmentLitColorNeg(), 0x123456u);
    EXPECT_EQ(FloatingReadout::textColor(d.lblCurM), 0x123456u);
    doubleClick(d.lblTitle);
    EXPECT_EQ(FloatingReadout::textColor(d.lblTitle), 0x654321u);

    // The meter picks colours on its data-line labels only.
    frmMeter &m = frmMeterForm().get();
    fake.colorAnswers = {0xABCDEF};
    doubleClick(m.lblVolM);
    EXPECT_EQ(fake.colorRequests, 3);
    doubleClick(m.lblD2M);
    EXPECT_EQ(m.lcdD2M->SegmentLitColor(), 0xABCDEFu);

    // Chosen colours are not kept: the next load takes the design ones again.
    frmDispForm().unload();
    EXPECT_EQ(frmDispForm()->lcdD1M->SegmentLitColor(), 0xC000u);
}

TEST_F(Windows, DraggingTheTitleMovesTheWindow)
{
    frmDisp &d = frmDispForm().get();
    d.move(100, 100);
    const QPoint start = d.lblTitle->mapToGlobal(QPoint(10, 10));
    qx::test::sendMouse(d.lblTitle, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, start);
    qx::test::sendMouse(d.lblTitle, QEvent::MouseMove, QPoint(40, 5), Qt::LeftButton, start + QPoint(30, -5));
    qx::test::sendMouse(d.lblTitle, QEvent::MouseButtonRelease, QPoint(40, 5), Qt::LeftButton, start + QPoint(30, -5));
    EXPECT_EQ(d.pos(), QPoint(130, 95));
    qx::test::sendMouse(d.lblTitle, QEvent::MouseMove, QPoint(90, 90), Qt::LeftButton, start + QPoint(80, 80));
    EXPECT_EQ(d.pos(), QPoint(130, 95)) << "no drag after the button is up";
}

TEST_F(Windows, ReadoutsNeverDropALeadingDigit)
{
    frmDisp &d = frmDispForm().get();
    frmMeter &m = frmMeterForm().get();
    const struct {
        LCDisp *lcd;
        const char *value;
        int cells;
    } cases[] = {
        {d.lcdD1M, "1000.0", 5},   // capacity of 1000 Ah and more
        {d.lcdD2M, "12345.6", 6},  // energy far past it
        {d.lcdD1M, "10.000", 5},   // 9.9996 rounded up under "0.000"
        {d.lcdD2M, "100.00", 5},   // 99.996 rounded up under "00.00"
        {d.lcdVolM, "100.00", 5},
        {m.lcdPwrM, "1000.00", 6},
        {d.lcdD1M, "9.999", 4},
        {m.lcdD1M, "-.---", 4},
    };
    for (const auto &c : cases) {
        c.lcd->set_Value(QLatin1String(c.value));
        EXPECT_EQ(c.lcd->NumDigits(), c.cells) << c.value;
        for (int i = 0; i < c.lcd->NumDigits(); ++i) {
            const QRect r = c.lcd->cellRect(false, i);
            EXPECT_GE(r.left(), 0) << c.value << " cell " << i;
            EXPECT_LT(r.right(), c.lcd->width()) << c.value << " cell " << i;
        }
    }
    EXPECT_EQ(d.lcdD1M->SegmentHeight(), 12) << "a value that fits again has the design digits";
}
