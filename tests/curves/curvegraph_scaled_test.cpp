// The chart on a screen scaled to 200% (a 4K monitor): drawn with the
// screen's pixels, sharp beside the widgets around it, while a saved picture
// keeps the chart's own size and looks as it does at 100%.
#include "curves/CurveGraph.h"
#include "curves/CurveGraphRender.h"
#include "platform/Picture.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace qx::curves;

namespace {

// Before the test main makes its application.
const bool scaled = [] {
    qputenv("QT_SCALE_FACTOR", "2");
    return true;
}();

const QRgb Red = qRgb(255, 0, 0), Black = qRgb(0, 0, 0);

bool dark(QRgb c) { return qGray(c) < 128; }

// A 600 x 300 chart in a window, with curve 1 (red) rising across the plot.
struct ScaledChart : ::testing::Test {
    ScaledChart()
    {
        host.resize(600, 300);
        g.setGeometry(0, 0, 600, 300);
        g.set_ShowCurve(1, true);
        g.AddXY(1, 0, 0);
        g.AddXY(1, 60, 20);
        g.DrawCurve();
        host.show();
    }
    QWidget host;
    CurveGraph g{&host};
};

} // namespace

TEST_F(ScaledChart, IsDrawnWithTheScreensPixels)
{
    ASSERT_TRUE(scaled);
    ASSERT_EQ(g.picGraph()->devicePixelRatioF(), 2.0);
    const QImage img = g.Picture();
    ASSERT_EQ(img.size(), QSize(1200, 600));
    EXPECT_EQ(img.devicePixelRatio(), 2.0);

    // The left axis (x = 45) is two screen pixels wide, the curve (2 wide)
    // four or five across its slope at x = 300.
    EXPECT_EQ(img.pixel(90, 200), Black);
    EXPECT_EQ(img.pixel(91, 200), Black);
    EXPECT_NE(img.pixel(89, 200), Black);
    EXPECT_NE(img.pixel(92, 200), Black);
    int red = 0;
    for (int y = 0; y < 600; ++y)
        red += img.pixel(600, y) == Red;
    EXPECT_GE(red, 4);
    EXPECT_LE(red, 5);

    // The labels left of the axis are drawn with the screen's pixels: in a
    // picture drawn at 100% and doubled every run of ink starts on an even
    // column.
    int oddStarts = 0;
    for (int y = 60; y < 520; ++y)
        for (int x = 1; x < 68; ++x)
            oddStarts += x % 2 && dark(img.pixel(x, y)) && !dark(img.pixel(x - 1, y));
    EXPECT_GT(oddStarts, 20);
}

TEST_F(ScaledChart, ASavedPictureIsTheChartAt100Percent)
{
    const QImage saved = qx::picture::render(g.geometry(), {&g}, Qt::white);
    ASSERT_EQ(saved.size(), QSize(600, 300));

    // The same chart drawn without scaling.
    CurveTable t;
    t.curve(1).ShowCurve = true;
    t.AddXY(1, 0, 0);
    t.AddXY(1, 60, 20);
    QImage plain = CurveRenderer::buffer(QSize(600, 300), 1);
    CurveRenderer().drawChart(plain, QSize(600, 300), ChartProps{}, t, frameFont());

    const QRect title = g.lblTitle()->geometry();
    int differ = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x)
            if (!title.contains(x, y) && saved.pixel(x, y) != plain.pixel(x, y))
                ++differ;
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(saved.pixel(45, 100), Black);
    EXPECT_NE(saved.pixel(44, 100), Black);
    EXPECT_NE(saved.pixel(46, 100), Black);
}
