// The chart control as a widget: drawing into its picture, paint scheduling,
// properties and their errors, legend layout and dragging, cursor, zoom and
// pan through real mouse events.
#include "curves/CurveGraph.h"
#include "common/ErrorCode.h"
#include "platform/QxError.h"
#include "common/Mouse.h"
#include "common/PaintCounter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <functional>
#include <utility>

using namespace qx;

namespace {

void drag(QWidget *w, Qt::MouseButton button, QPoint from, QPoint to)
{
    qx::test::sendMouse(w, QEvent::MouseButtonPress, from, button);
    qx::test::sendMouse(w, QEvent::MouseMove, to, button);
    qx::test::sendMouse(w, QEvent::MouseButtonRelease, to, button);
}


bool hasColour(const QImage &img, QRgb c)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c)
                return true;
    return false;
}

// A 600 x 300 chart, shown, five curves with legends 0 to 4 shown.
class Chart : public ::testing::Test {
protected:
    void SetUp() override
    {
        g.resize(600, 300);
        for (int i = 0; i < 5; ++i) {
            g.set_LegendText(i, QStringLiteral("Curve%1").arg(i));
            g.set_ShowLegend(i, true);
        }
        g.show();
    }
    QLabel *legend(int i) { return g.lblLegend(i); }
    CurveGraph g;
};

} // namespace

TEST_F(Chart, DrawsFrameAndCurvesAndEmptiesThemAgain)
{
    const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0), grid = qRgb(100, 100, 100);
    g.set_CurveLineColor(1, 0x0000FF);
    g.set_ShowCurve(1, true);
    g.AddXY(1, 0, 0);
    g.AddXY(1, 60, 20);
    g.DrawCurve();
    QImage img = g.Picture();
    ASSERT_EQ(img.size(), QSize(600, 300));
    EXPECT_EQ(img.pixel(300, 145), red);  // middle of the diagonal
    EXPECT_EQ(img.pixel(45, 100), black); // left axis
    EXPECT_EQ(img.pixel(100, 60), grid);  // major grid, x = 100
    EXPECT_EQ(img.pixel(300, 20), qRgb(255, 255, 255));
    EXPECT_FLOAT_EQ(g.XScale(), 0.12f);
    EXPECT_EQ(g.RightMargin(), 50);

    // A hidden curve draws nothing. On axis 1 (0 .. 10) the point at 20 is
    // out of range and skipped, leaving a lone point; (60, 10) lands on the
    // top right corner again.
    g.set_ShowCurve(1, false);
    g.DrawCurve();
    EXPECT_FALSE(hasColour(g.Picture(), red));
    g.set_ShowCurve(1, true);
    g.set_CurveAxesY(1, 1);
    g.DrawCurve();
    EXPECT_FALSE(hasColour(g.Picture(), red));
    g.Clear(1);
    g.AddXY(1, 0, 0);
    g.AddXY(1, 60, 10);
    g.DrawCurve();
    EXPECT_EQ(g.Picture().pixel(300, 145), red);

    g.ClearAll();
    img = g.Picture();
    EXPECT_FALSE(hasColour(img, red));
    EXPECT_EQ(img.pixel(45, 100), black);
    EXPECT_EQ(g.DpCnt(1), 0);
}

TEST_F(Chart, DegenerateRangesAndHugeValuesStillDraw)
{
    g.set_ShowCurve(0, true);
    g.AddXY(0, 5, 1);
    g.AddXY(0, 1e30f, -1e30f);
    g.AddXY(0, std::numeric_limits<float>::quiet_NaN(), 2);
    struct { float minX, maxX, minY, maxY; uint32_t back; } cases[] = {
        {5, 5, 0, 20, 0x00FFFF},  // no x span
        {0, 60, 1, 1, 0xFF00FF},  // no y span
        {0, 1e-30f, -1e38f, 1e38f, 0xFFFF00},
    };
    for (auto c : cases) {
        g.set_MinX(c.minX);
        g.set_MaxX(c.maxX);
        g.set_MinY(0, c.minY);
        g.set_MaxY(0, c.maxY);
        g.set_BackColor(c.back);
        g.DrawCurve();
        // The pass completes: the new background shows.
        EXPECT_EQ(g.Picture().pixel(300, 20), oleToColor(c.back).rgb()) << c.maxX;
    }
}

// The frame kept between drawings follows every change that alters it: after
// each change the picture is the one a new chart with the same settings
// draws.
TEST_F(Chart, TheKeptFrameFollowsEveryChangeOfTheFrame)
{
    const std::pair<const char *, std::function<void(CurveGraph &)>> changes[] = {
        {"x range", [](CurveGraph &c) { c.set_MaxX(3600); }},
        {"time as numbers", [](CurveGraph &c) { c.set_xBarType(1); }},
        {"value range", [](CurveGraph &c) { c.set_MaxY(0, 5); }},
        {"second axis", [](CurveGraph &c) { c.set_MaxY(1, 2.5f); }},
        {"both right axes", [](CurveGraph &c) { c.set_ShowAxesY2(true); }},
        {"unit text", [](CurveGraph &c) { c.set_AxesY1Txt(QStringLiteral("[mA]")); }},
        {"background", [](CurveGraph &c) { c.set_BackColor(0x202020); }},
        {"axes colour", [](CurveGraph &c) { c.set_AxesColor(0x00C0C0); }},
        {"grid colour", [](CurveGraph &c) { c.set_GridColor(0xFF00FF); }},
        {"grid style", [](CurveGraph &c) { c.set_GridType1(2); }},
        {"size", [](CurveGraph &c) { c.resize(640, 280); }},
    };
    auto curve = [](CurveGraph &c) {
        c.set_ShowCurve(0, true);
        c.AddXY(0, 0, 1);
        c.AddXY(0, 30, 4);
    };
    for (const auto &[what, change] : changes) {
        CurveGraph drawn, fresh;
        for (CurveGraph *c : {&drawn, &fresh}) {
            c->resize(600, 300);
            curve(*c);
            c->show();
        }
        drawn.DrawCurve();
        drawn.Picture();
        drawn.AddXY(0, 45, 2); // a reading: the kept frame is used
        drawn.DrawCurve();
        drawn.Picture();
        change(drawn);
        drawn.DrawCurve();
        fresh.AddXY(0, 45, 2);
        change(fresh);
        fresh.DrawCurve();
        EXPECT_TRUE(drawn.Picture() == fresh.Picture()) << what;
    }
}

// A new reading raises no legend while nothing lies over them; once the
// cursor read-out has come over them, the next drawing puts them on top.
TEST_F(Chart, LegendsAreRaisedOnlyWhenCovered)
{
    struct Raises : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            count += e->type() == QEvent::ZOrderChange;
            return false;
        }
    } raises;
    for (int i = 0; i < 5; ++i) {
        g.set_ShowCurve(i, true);
        legend(i)->installEventFilter(&raises);
    }
    g.DrawCurve();
    const QObjectList &stack = g.picGraph()->children();
    const auto top = [&] { return QObjectList(stack.end() - 5, stack.end()); };
    const QObjectList expected{legend(0), legend(1), legend(2), legend(3), legend(4)};
    EXPECT_EQ(top(), expected);

    raises.count = 0;
    for (int k = 0; k < 5; ++k) {
        g.AddXY(0, float(k), 1);
        g.DrawCurve();
    }
    EXPECT_EQ(raises.count, 0);

    qx::test::sendMouse(g.picGraph(), QEvent::MouseButtonPress, {300, 150}, Qt::RightButton);
    ASSERT_TRUE(g.lblDisp()->isVisible());
    EXPECT_EQ(stack.back(), g.lblDisp());
    g.DrawCurve();
    EXPECT_EQ(top(), expected);
    qx::test::sendMouse(g.picGraph(), QEvent::MouseButtonRelease, {300, 150}, Qt::RightButton);
}

TEST_F(Chart, DrawRequestsCoalesceAndAHiddenChartWaits)
{
    qx::test::PaintCounter count(g.picGraph());
    QApplication::processEvents();
    count.paints = 0;
    for (int k = 0; k < 3; ++k) {
        g.AddXY(0, float(k), 1);
        g.DrawCurve();
    }
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 1);

    g.hide();
    count.paints = 0;
    g.DrawCurve();
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 0);
    g.show();
    QApplication::processEvents();
    EXPECT_GE(count.paints, 1);
}

TEST_F(Chart, PropertiesAndTheirErrors)
{
    g.set_LegendText(1, QStringLiteral("Current1"));
    EXPECT_EQ(legend(1)->text(), "---- Current1");
    EXPECT_EQ(g.LegendText(1), "Current1");

    g.set_ShowAxesY2(true);
    EXPECT_TRUE(g.BothAxesY());
    g.set_ShowAxesY1(false);
    EXPECT_FALSE(g.BothAxesY());

    g.set_TitleText(QStringLiteral("A much longer title than the one before"));
    EXPECT_NEAR(g.lblTitle()->x(), (600 - g.lblTitle()->width()) / 2.0, 0.5);
    EXPECT_EQ(g.TitleText(), "A much longer title than the one before");

    g.set_CurveCount(10);
    g.AddXY(7, 1, 2);
    EXPECT_NE(g.lblLegend(9), nullptr);
    EXPECT_EQ(g.CurveLineColor(5), qx::curves::CurveTable::Blue);
    g.set_CurveCount(5);
    const std::function<void()> subscript[] = {
        [&] { g.lblLegend(7); },        [&] { g.LegendText(5); },     [&] { g.set_LegendText(-1, "x"); },
        [&] { g.DpX(7, 0); },           [&] { g.MaxY(3); },           [&] { g.set_MinY(-1, 0); },
        [&] { g.set_ShowLegend(5, true); }, [&] { g.CurveLineColor(5); }, [&] { g.YScale(3); },
    };
    for (const auto &f : subscript)
        EXPECT_EQ(test::errorCode(f), ErrSubscript);
    EXPECT_EQ(test::errorCode([&] { g.set_CurveAxesY(0, 3); }), ErrInvalidProperty);
    EXPECT_EQ(g.CurveAxesY(0), 0);

    // Leaving a zoom that was never begun keeps the ranges.
    g.set_MaxX(500);
    g.set_Large(false);
    EXPECT_EQ(g.MaxX(), 500);
}

TEST_F(Chart, LegendsStackAndRestackOnLayout)
{
    const int h = legend(0)->height();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(legend(i)->pos(), QPoint(480, 73 + i * (h + 5))) << i;

    g.set_ShowLegend(3, false); // hides 3 only, leaving a gap
    EXPECT_TRUE(legend(3)->isHidden());
    EXPECT_EQ(legend(4)->y(), 73 + 4 * (h + 5));
    g.set_ShowLegend(2, false); // lays out again: 4 moves right under 1
    EXPECT_EQ(legend(4)->y(), 73 + 2 * (h + 5));

    g.set_ShowAxesY2(true);
    g.resize(700, 320);
    EXPECT_EQ(legend(0)->pos(), QPoint(700 - 170, 73));
    EXPECT_EQ(legend(1)->x(), 530);
}

TEST_F(Chart, ALegendShownLaterTakesItsPlaceInTheStack)
{
    // Shown after the layout (as a host sets its legends after adding a
    // chart): under the legends before it, not where it was made.
    g.set_CurveCount(10);
    g.set_LegendText(5, QStringLiteral("Voltage2"));
    g.set_LegendText(6, QStringLiteral("Current2"));
    g.set_ShowLegend(5, true);
    g.set_ShowLegend(6, true);
    // Their column starts at x = 480 unless its widest legend would reach
    // the right axis line at x = 555: then it ends two pixels before it.
    const int h = legend(5)->height();
    const int x = std::min(480, 553 - std::max(legend(5)->width(), legend(6)->width()) + 1);
    EXPECT_EQ(legend(5)->pos(), QPoint(x, 73 + h + 5));
    EXPECT_EQ(legend(6)->pos(), QPoint(x, 73 + 2 * (h + 5)));
}

TEST_F(Chart, ManyLegendsStayAboveTheTimeLabelsApartFromEachOther)
{
    g.set_CurveCount(25);
    for (int i = 0; i < 25; ++i) {
        g.set_LegendText(i, QStringLiteral("Voltage%1").arg(i + 1));
        g.set_ShowLegend(i, true);
    }
    g.resize(600, 301); // lays the chart out
    for (int i = 0; i < 25; ++i) {
        const QRect r = legend(i)->geometry();
        EXPECT_LE(r.bottom(), 250) << i;
        EXPECT_GE(r.left(), 0) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(r.intersects(legend(j)->geometry())) << i << " on " << j;
    }
}

TEST_F(Chart, DraggedLegendsSnapStayAndRemainInReach)
{
    // A click without moving snaps the legend to the 5-pixel grid.
    qx::test::sendMouse(legend(0), QEvent::MouseButtonPress, {4, 4}, Qt::LeftButton);
    qx::test::sendMouse(legend(0), QEvent::MouseButtonRelease, {4, 4}, Qt::LeftButton);
    EXPECT_EQ(legend(0)->pos(), QPoint(480, 70));
    EXPECT_TRUE(g.LegendMoved(0));

    // A drag far off the chart leaves the legend at the edge.
    const QSize sz = legend(1)->size();
    qx::test::sendMouse(legend(1), QEvent::MouseButtonPress, {4, 4}, Qt::LeftButton);
    EXPECT_TRUE(g.ShapeLegend(1)->isVisible());
    qx::test::sendMouse(legend(1), QEvent::MouseMove, {900, 900}, Qt::LeftButton);
    EXPECT_TRUE(QRect(0, 0, 600, 300).contains(g.ShapeLegend(1)->geometry()));
    qx::test::sendMouse(legend(1), QEvent::MouseButtonRelease, {900, 900}, Qt::LeftButton);
    EXPECT_FALSE(g.ShapeLegend(1)->isVisible());
    EXPECT_EQ(legend(1)->pos(), QPoint((600 - sz.width()) / 5 * 5, (300 - sz.height()) / 5 * 5));

    // A right press drags nothing.
    const QPoint before = legend(2)->pos();
    drag(legend(2), Qt::RightButton, {4, 4}, {-100, 40});
    EXPECT_EQ(legend(2)->pos(), before);
    EXPECT_FALSE(g.LegendMoved(2));

    // Placed legends keep their place on later layouts, unless the chart
    // shrinks past them; legend 2 now stacks right under legend 0's place.
    drag(legend(3), Qt::LeftButton, {4, 4}, {-300, -40});
    const QPoint placed = legend(3)->pos();
    g.resize(620, 320);
    EXPECT_EQ(legend(3)->pos(), placed);
    EXPECT_EQ(legend(0)->pos(), QPoint(480, 70));
    EXPECT_EQ(legend(2)->pos(), QPoint(480, 70 + legend(0)->height() + 5));
    g.resize(300, 150);
    EXPECT_TRUE(QRect(0, 0, 300, 150).contains(legend(1)->geometry()));
}

// A legend the user placed and then renamed to a text wider than the plot
// area: on the next layout (a 600 x 301 chart, axis lines at x 45 and 555)
// it keeps its height, moves left to the left axis and is cut to end two
// pixels before the right one: x 47 to 553, 507 wide.
TEST_F(Chart, APlacedLegendTooWideMovesLeftAndIsCutShort)
{
    drag(legend(2), Qt::LeftButton, {4, 4}, {-200, 60});
    ASSERT_TRUE(g.LegendMoved(2));
    const int y = legend(2)->y();
    const QString text(120, QLatin1Char('W'));
    g.set_LegendText(2, text);
    g.resize(600, 301);
    const QRect r = legend(2)->geometry();
    EXPECT_EQ(r.left(), 47);
    EXPECT_EQ(r.width(), 507);
    EXPECT_EQ(r.y(), y);
    EXPECT_TRUE(legend(2)->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(legend(2)->toolTip(), text);
    EXPECT_EQ(g.LegendText(2), text);
    EXPECT_TRUE(g.LegendMoved(2));
}

TEST_F(Chart, CursorReadOut)
{
    QWidget *s = g.picGraph();
    for (int j = 0; j <= 60; ++j) {
        g.AddXY(0, float(j), 3.5f);
        g.AddXY(1, float(j), 12.5f);
    }
    g.DrawCurve();
    qx::test::sendMouse(s, QEvent::MouseButtonPress, {300, 150}, Qt::RightButton);
    EXPECT_TRUE(g.Line1()->isVisible());
    EXPECT_EQ(g.Line1()->x(), 300);
    EXPECT_TRUE(g.lblDisp()->isVisible());
    EXPECT_EQ(g.lblDisp()->pos(), QPoint(305, 130));
    EXPECT_EQ(g.DispCaption(), "3.500V   12.50A\r0.000Ah 0.000Wh");

    qx::test::sendMouse(s, QEvent::MouseMove, {540, 150}, Qt::RightButton); // near the right edge: read-out on the left
    EXPECT_EQ(g.Line1()->x(), 540);
    EXPECT_EQ(g.lblDisp()->x() + g.lblDisp()->width(), 535);
    qx::test::sendMouse(s, QEvent::MouseMove, {580, 150}, Qt::RightButton); // outside: stays
    EXPECT_EQ(g.Line1()->x(), 540);
    qx::test::sendMouse(s, QEvent::MouseButtonRelease, {580, 150}, Qt::RightButton);
    EXPECT_FALSE(g.Line1()->isVisible());
    EXPECT_FALSE(g.lblDisp()->isVisible());

    for (QPoint outside : {QPoint(50, 150), QPoint(300, 40), QPoint(300, 250), QPoint(550, 150)}) {
        qx::test::sendMouse(s, QEvent::MouseButtonPress, outside, Qt::RightButton);
        EXPECT_FALSE(g.Line1()->isVisible()) << outside.x() << "," << outside.y();
    }
}

TEST_F(Chart, ZoomPanAndRestoreByMouse)
{
    QWidget *s = g.picGraph();
    g.set_MaxY(2, 50);
    g.DrawCurve();

    drag(s, Qt::LeftButton, {100, 60}, {300, 160}); // zoom not allowed yet
    EXPECT_FALSE(g.Large());
    EXPECT_FALSE(g.shpRect()->isVisible());

    g.set_Size(true);
    drag(s, Qt::LeftButton, {100, 60}, {110, 160}); // exactly 10 wide: no zoom
    EXPECT_FALSE(g.Large());
    EXPECT_FALSE(g.shpRect()->isVisible());

    qx::test::sendMouse(s, QEvent::MouseButtonPress, {100, 60}, Qt::LeftButton);
    qx::test::sendMouse(s, QEvent::MouseMove, {300, 160}, Qt::LeftButton);
    EXPECT_EQ(g.shpRect()->geometry(), QRect(100, 60, 200, 100));
    qx::test::sendMouse(s, QEvent::MouseButtonRelease, {300, 160}, Qt::LeftButton);
    ASSERT_TRUE(g.Large());
    // Band 6 .. 30 s; the bar (maximum r(600 / 24) - 10 = 15) takes the value
    // r(2.5) = 2, which pans the window's left end onto its step: 4 .. 28.
    EXPECT_EQ(g.HScroll1()->maximum(), 15);
    EXPECT_EQ(g.HScroll1()->value(), 2);
    EXPECT_EQ(g.MinX(), 4);
    EXPECT_EQ(g.MaxX(), 28);
    EXPECT_TRUE(g.HScroll1()->isVisible());
    EXPECT_EQ(g.picGraph()->height() + g.HScroll1()->height(), 300);
    EXPECT_FLOAT_EQ(g.MaxY(0), 190 * 20.0f / 210);
    EXPECT_EQ(g.MaxY(2), 50);

    g.HScroll1()->setValue(5); // r(120) \ 10 = 12: 12 .. 36
    EXPECT_EQ(g.MinX(), 12);
    EXPECT_EQ(g.MaxX(), 36);

    qx::test::sendMouse(s, QEvent::MouseButtonPress, {200, 100}, Qt::LeftButton); // restores, starts no band
    EXPECT_FALSE(g.Large());
    EXPECT_FALSE(g.shpRect()->isVisible());
    EXPECT_FALSE(g.HScroll1()->isVisible());
    EXPECT_EQ(g.MinX(), 0);
    EXPECT_EQ(g.MaxX(), 60);
    EXPECT_EQ(g.MaxY(0), 20);
    EXPECT_EQ(g.picGraph()->height(), 300);
    qx::test::sendMouse(s, QEvent::MouseButtonRelease, {200, 100}, Qt::LeftButton);

    // A host leaving the zoom gets the full ranges back too.
    drag(s, Qt::LeftButton, {100, 60}, {300, 160});
    ASSERT_TRUE(g.Large());
    g.set_Large(false);
    EXPECT_EQ(g.MaxX(), 60);
    EXPECT_EQ(g.MaxY(1), 10);
}

TEST_F(Chart, AZoomedViewTheHostEnteredIsLeftForTheRangesItHadSet)
{
    QWidget *s = g.picGraph();
    g.set_MinX(100);
    g.set_MaxX(200);
    g.set_MinY(0, 2);
    g.set_MaxY(0, 12);
    g.set_MinY(1, 1);
    g.set_MaxY(1, 5);
    g.set_Size(true);
    g.set_Large(true);
    g.DrawCurve();
    ASSERT_TRUE(g.HScroll1()->isVisible());
    // The user's left press in the plot area leaves the zoomed view.
    qx::test::sendMouse(s, QEvent::MouseButtonPress, {200, 100}, Qt::LeftButton);
    qx::test::sendMouse(s, QEvent::MouseButtonRelease, {200, 100}, Qt::LeftButton);
    EXPECT_FALSE(g.Large());
    EXPECT_EQ(g.MinX(), 100);
    EXPECT_EQ(g.MaxX(), 200);
    EXPECT_EQ(g.MinY(0), 2);
    EXPECT_EQ(g.MaxY(0), 12);
    EXPECT_EQ(g.MinY(1), 1);
    EXPECT_EQ(g.MaxY(1), 5);
    // So does the host's own leaving.
    g.set_Large(true);
    g.set_Large(false);
    EXPECT_EQ(g.MinX(), 100);
    EXPECT_EQ(g.MaxY(1), 5);
}

TEST_F(Chart, TheCursorReadOutSkipsPointsThatHoldNoNumber)
{
    QWidget *s = g.picGraph();
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (int j = 0; j <= 60; ++j) {
        g.AddXY(0, float(j), j == 30 ? nan : 1 + 0.1f * float(j));
        g.AddXY(1, float(j), nan);
        g.AddXY(3, float(j), j < 40 ? inf : 0.5f);
        g.AddXY(4, float(j), -inf);
    }
    g.DrawCurve();
    // Pixel 300 is x 30: the voltage there is no number, the next point's
    // (x 31) is read; current, capacity up to x 39 and energy read nothing.
    qx::test::sendMouse(s, QEvent::MouseButtonPress, {300, 150}, Qt::RightButton);
    EXPECT_EQ(g.DispCaption(), "4.100V   0.000A\r0.500Ah 0.000Wh");
    EXPECT_FALSE(g.lblDisp()->text().contains("nan", Qt::CaseInsensitive));
    EXPECT_FALSE(g.lblDisp()->text().contains("inf", Qt::CaseInsensitive));
    qx::test::sendMouse(s, QEvent::MouseButtonRelease, {300, 150}, Qt::RightButton);
}

TEST_F(Chart, FourCurvesKeepTheColoursTheyHave)
{
    // No five-curve block: nothing is coloured blue or red anew.
    g.set_CurveCount(4);
    EXPECT_EQ(g.CurveLineColor(0), 0xFF0000u);
    EXPECT_EQ(g.CurveLineColor(1), 0x0000FFu);
    g.set_ShowCurve(0, true);
    g.AddXY(0, 0, 0);
    g.AddXY(0, 60, 20);
    g.DrawCurve();
    EXPECT_EQ(g.Picture().pixel(300, 145), qRgb(0, 0, 255)) << "curve 0 stays blue";
    g.set_CurveCount(3);
    EXPECT_EQ(g.CurveLineColor(0), 0xFF0000u);
}

TEST_F(Chart, TimeLabelsOfANarrowChartStandApart)
{
    // 600 pixels: ticks 50 apart, closer than the labels are wide.
    ASSERT_EQ(g.picGraph()->width(), 600);
    g.DrawCurve();
    const QImage img = g.Picture();
    const QFontMetrics fm(qx::curves::frameFont());
    // The label row: dark pixels column by column.
    std::vector<bool> ink(600, false);
    for (int y = 268; y < 268 + fm.height(); ++y)
        for (int x = 0; x < 600; ++x)
            if (qGray(img.pixel(x, y)) < 160)
                ink[size_t(x)] = true;
    // Labels are runs of ink with fewer than 4 empty columns inside.
    std::vector<std::pair<int, int>> labels; // first and last column
    for (int x = 0; x < 600; ++x) {
        if (!ink[size_t(x)])
            continue;
        if (!labels.empty() && x - labels.back().second <= 4)
            labels.back().second = x;
        else
            labels.emplace_back(x, x);
    }
    ASSERT_GE(labels.size(), 6u) << "every second label at least";
    for (const auto &[first, last] : labels) {
        EXPECT_LT(last - first, 60) << "labels run together at " << first;
        const int centre = (first + last) / 2;
        EXPECT_LE(std::abs((centre - 50 + 25) % 50 - 25), 3) << "a label centred on a tick, at " << centre;
    }
}

TEST(ChartTexts, ValueAxisTextsAreWholeAndApartAtEveryHeight)
{
    const QFontMetrics fm(qx::curves::frameFont());
    for (QSize size : {QSize(220, 160), QSize(600, 1000)}) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        CurveGraph g;
        g.resize(size);
        g.show();
        g.DrawCurve();
        const QImage img = g.Picture();
        // The left axis's texts end at x = 34: runs of rows with ink there,
        // and the leftmost ink of each run.
        struct Run {
            int first, last, left;
        };
        std::vector<Run> runs;
        for (int y = 0; y < size.height() - 45; ++y) {
            int left = -1;
            for (int x = 34; x >= 0; --x)
                if (qGray(img.pixel(x, y)) < 160)
                    left = x;
            if (left < 0)
                continue;
            if (!runs.empty() && runs.back().last == y - 1) {
                runs.back().last = y;
                runs.back().left = std::min(runs.back().left, left);
            } else {
                runs.push_back({y, y, left});
            }
        }
        ASSERT_GE(runs.size(), 4u);
        // On top the unit "[V]", narrower than the labels.
        EXPECT_GE(runs.front().left, 34 - fm.horizontalAdvance(QStringLiteral("[V]")) - 1);
        // Every text whole and apart: no taller than one line of text (not
        // run together), no shorter than a digit (not cut by the picture's
        // edge or by the box of the text above).
        for (const Run &r : runs) {
            EXPECT_LE(r.last - r.first + 1, fm.height()) << "texts run together at row " << r.first;
            EXPECT_GE(r.last - r.first + 1, fm.capHeight()) << "a text cut short at row " << r.first;
        }
    }
}

namespace {

const QRgb Blue = qRgb(0, 0, 255), Red = qRgb(255, 0, 0);

// The chart as it shows on screen: the widget rendered into an image.
QImage shown(CurveGraph &g)
{
    QApplication::processEvents();
    QImage img(g.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    g.render(&img);
    return img;
}

// Pixels of colour c outside r (or inside it), as "x,y" (the first few).
std::string pixels(const QImage &img, QRgb c, const QRect &r, bool in)
{
    std::string found;
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c && r.contains(x, y) == in && ++count <= 5)
                found += std::to_string(x) + "," + std::to_string(y) + " ";
    return found;
}

std::string outside(const QImage &img, QRgb c, const QRect &r) { return pixels(img, c, r, false); }

// Voltage (curve 0, blue) rising 0 .. 20 V and current (curve 1, red) at
// 5 A over a 60 s run, a point a second; no legends, so every blue or red
// pixel is a curve's.
struct RunChart : Chart {
    void SetUp() override
    {
        Chart::SetUp();
        for (int i = 0; i < 5; ++i)
            g.set_ShowLegend(i, false);
        g.set_CurveLineColor(0, 0xFF0000);
        g.set_CurveLineColor(1, 0x0000FF);
        g.set_ShowCurve(0, true);
        g.set_ShowCurve(1, true);
        g.set_CurveAxesY(1, 1);
        for (int s = 0; s <= 60; ++s) {
            g.AddXY(0, float(s), float(s) / 3);
            g.AddXY(1, float(s), 5);
        }
    }
};

} // namespace

// A time range that leaves part of the run out (10 .. 40 s of 60, as the
// coordinate dialog sets it): the curves end at the plot area's edges (x 50
// to 550, y 40 to 250), never on the axes (x 45, 555) or their labels. A
// line of width w keeps its width along the edges: w - 1 more pixels right
// and below.
TEST_F(RunChart, ANarrowTimeRangeKeepsTheCurvesInsideThePlotArea)
{
    g.set_MinX(10);
    g.set_MaxX(40);
    for (int width : {1, 2}) {
        SCOPED_TRACE(width);
        g.set_Line(width);
        g.DrawCurve();
        const QImage img = shown(g);
        const QRect plot(QPoint(50, 40), QPoint(550 + width - 1, 250 + width - 1));
        EXPECT_EQ(outside(img, Blue, plot), "");
        EXPECT_EQ(outside(img, Red, plot), "");
        // 5 A of 10 on the right axis: row 250 - 105 = 145, edge to edge.
        for (int x : {50, 300, 550})
            EXPECT_EQ(img.pixel(x, 145), Red) << x;
        // The voltage at 10 s (3.33 V) and 40 s (13.33 V): rows 215 and 110.
        EXPECT_EQ(img.pixel(50, 215), Blue);
        EXPECT_EQ(img.pixel(550, 110), Blue);
    }
}

// A zoom by the mouse: the band 100 .. 300 across x 6 .. 30 s, panned to
// 4 .. 28 s (see ZoomPanAndRestoreByMouse). The curves run to both edges of
// the plot area and not past them.
TEST_F(RunChart, AZoomedViewDrawsTheCurvesToThePlotAreasEdgesAndNoFurther)
{
    g.Clear(1);
    for (int s = 0; s <= 60; s += 5) // points 5 s apart: none on the window's ends
        g.AddXY(1, float(s), 5);
    g.set_Line(1);
    g.set_Size(true);
    g.DrawCurve();
    drag(g.picGraph(), Qt::LeftButton, {100, 60}, {300, 160});
    ASSERT_TRUE(g.Large());
    ASSERT_EQ(g.MinX(), 4);
    ASSERT_EQ(g.MaxX(), 28);
    const int H = g.picGraph()->height();
    const QImage img = shown(g).copy(0, 0, 600, H);
    const QRect plot(QPoint(50, 40), QPoint(550, H - 50));
    EXPECT_EQ(outside(img, Blue, plot), "");
    EXPECT_EQ(outside(img, Red, plot), "");
    // The current is level: its row in the middle is its row at both edges.
    int row = -1;
    for (int y = 0; y < H && row < 0; ++y)
        if (img.pixel(300, y) == Red)
            row = y;
    ASSERT_GT(row, 40);
    EXPECT_EQ(img.pixel(50, row), Red);
    EXPECT_EQ(img.pixel(550, row), Red);
    EXPECT_NE(img.pixel(551, row), Red);
}

// A million readings over 60 s on the 600 x 300 chart: the newest few
// hundred (after the last whole group of summarised blocks) are drawn by
// their lowest and highest points like the rest. Curve 0: 5 V with one
// reading of 18 V among the newest; curve 1: 4 V, then no reading at the
// middle of the run, 12 V, no reading again among the newest, 4 V.
TEST(ChartLongRun, TheNewestReadingsKeepTheirSpikesAndGapsStayOpen)
{
    constexpr int N = 1'000'600; // 3908 whole blocks of 256, 152 more
    constexpr int Spike = N - 100, Gap1 = 500'100, Gap2 = N - 300;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CurveGraph g;
    g.resize(600, 300);
    for (int i = 0; i < 2; ++i)
        g.set_ShowCurve(i, true);
    g.set_CurveLineColor(0, 0xFF0000);
    g.set_CurveLineColor(1, 0x0000FF);
    qx::curves::PointStore volts, steps;
    for (int j = 0; j < N; ++j) {
        const float x = float(60.0 * j / N);
        volts.push_back({x, j == Spike ? 18.0f : 5.0f});
        steps.push_back({x, j == Gap1 || j == Gap2 ? nan : (j > Gap1 && j < Gap2 ? 12.0f : 4.0f)});
    }
    g.TakePoints(0, std::move(volts));
    g.TakePoints(1, std::move(steps));
    g.show();
    g.DrawCurve();
    const QImage img = shown(g);
    // The spike (x 59.994, pixel 550) reaches 18 V: row 250 - 189 = 61.
    bool spike = false;
    for (int x = 545; x <= 551; ++x)
        spike = spike || img.pixel(x, 61) == Blue;
    EXPECT_TRUE(spike);
    // 12 V is row 124 (and 125), 4 V row 208 (and 209). Around the gaps
    // (x 29.99: pixel 300; x 59.98: pixel 550) nothing joins the levels.
    for (int x : {300, 550})
        EXPECT_EQ(pixels(img, Red, QRect(QPoint(x - 4, 128), QPoint(x + 1, 204)), true), "") << x;
    // The levels themselves are drawn.
    EXPECT_EQ(img.pixel(200, 208), Red);
    EXPECT_EQ(img.pixel(400, 124), Red);
    EXPECT_EQ(img.pixel(400, 198), Blue);
}
