// Frame layout, value-to-pixel mapping and curve paths of the chart, on a
// fixed picture size with fixed text metrics (6 pixels per character, 12 high).
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphPath.h"

#include <gtest/gtest.h>
#include <chrono>

using namespace qx::curves;

namespace {

constexpr int CharW = 6, CharH = 12;

FrameLayout layout(const ChartProps &p, int W = 600, int H = 300)
{
    return layoutFrame(p, W, H, [](const QString &s) { return QSize(CharW * int(s.size()), CharH); });
}

const TextItem *find(const FrameLayout &f, const QString &text)
{
    for (const TextItem &t : f.labels)
        if (t.text == text)
            return &t;
    return nullptr;
}

bool hasLabel(const FrameLayout &f, const QString &text, QPoint topLeft)
{
    for (const TextItem &t : f.labels)
        if (t.text == text && t.topLeft == topLeft)
            return true;
    return false;
}

bool hasLine(const std::vector<QLine> &lines, QLine l)
{
    return std::find(lines.begin(), lines.end(), l) != lines.end();
}

std::vector<QPoint> pathOf(const CurveRec &c, const ChartProps &p, int W = 600, int H = 300)
{
    const Scales s = computeScales(p, W, H, p.RightMargin());
    std::vector<QPoint> out;
    buildPath(c, p, mapperFor(p, s, c.AxesY, H), W, out);
    return out;
}

CurveRec curveOf(std::initializer_list<DataPoint> pts)
{
    CurveTable t;
    for (auto d : pts)
        t.AddXY(0, d.x, d.y);
    return t.curve(0);
}

} // namespace

TEST(ChartFrame, DefaultAxesLabelsAndWatermark)
{
    const ChartProps p;
    const FrameLayout f = layout(p);
    EXPECT_EQ(f.RightMargin, 50);
    for (QLine l : {QLine(45, 40, 45, 250), QLine(50, 255, 550, 255), QLine(555, 250, 555, 40)})
        EXPECT_TRUE(hasLine(f.axisLines, l)) << l.x1() << "," << l.y1();

    // x labels 00:00:00 .. 00:01:00 centred on ticks every 50 pixels, half
    // their height below y = H - 38.
    for (int i = 0; i <= 10; ++i) {
        const QString text = i == 10 ? QStringLiteral("00:01:00") : QStringLiteral("00:00:%1").arg(6 * i, 2, 10, QChar('0'));
        const TextItem *t = find(f, text);
        ASSERT_NE(t, nullptr) << text.toStdString();
        EXPECT_EQ(t->topLeft, QPoint(50 + 50 * i - 24, 268)) << text.toStdString();
        EXPECT_TRUE(hasLine(f.axisLines, QLine(50 + 50 * i, 255, 50 + 50 * i, 261)));
    }
    // Left labels 0.00 .. 20.00 ending 16 pixels left of the plot area, ticks
    // at y = 250, 229, ..., 40; right labels 0.00 .. 10.00 from x = 566.
    for (int k = 0; k <= 10; ++k) {
        const int ty = 250 - 21 * k;
        const QString left = QString::number(2.0 * k, 'f', 2), right = QString::number(1.0 * k, 'f', 2);
        EXPECT_TRUE(hasLabel(f, left, QPoint(34 - CharW * int(left.size()), ty - 6))) << left.toStdString();
        EXPECT_TRUE(hasLabel(f, right, QPoint(566, ty - 6))) << right.toStdString();
        EXPECT_TRUE(hasLine(f.axisLines, QLine(45, ty, 39, ty)));
        EXPECT_TRUE(hasLine(f.axisLines, QLine(555, ty, 561, ty)));
    }
    // Units half a division above the top labels: 250 - 21 * 10.5 - 6 = 23.5 -> 24.
    EXPECT_EQ(find(f, "[V]")->topLeft, QPoint(34 - 18, 24));
    EXPECT_EQ(find(f, "[A]")->topLeft, QPoint(566, 24));
    EXPECT_EQ(find(f, "[W]"), nullptr);
    EXPECT_EQ(f.watermark.text, WatermarkText);
    EXPECT_EQ(f.watermark.topLeft, QPoint(550 - CharW * 7 - 5, 50));
}

TEST(ChartFrame, RightAxesByVisibility)
{
    struct {
        bool y1, y2;
        int rm;
        std::vector<int> axisX; // right axis lines
        int y1Left, y2Left;     // label x, -1 when absent
    } cases[] = {
        {true, true, 100, {505, 555}, 516, 566},
        {false, true, 50, {555}, -1, 566},
        {false, false, 50, {}, -1, -1},
    };
    for (const auto &c : cases) {
        ChartProps p;
        p.ShowAxesY1 = c.y1;
        p.ShowAxesY2 = c.y2;
        p.MaxY[2] = 50;
        const FrameLayout f = layout(p);
        EXPECT_EQ(f.RightMargin, c.rm);
        int rightLines = 0;
        for (QLine l : f.axisLines)
            rightLines += l.x1() == l.x2() && l.y1() == 250 && l.y2() == 40;
        EXPECT_EQ(rightLines, int(c.axisX.size()));
        for (int x : c.axisX)
            EXPECT_TRUE(hasLine(f.axisLines, QLine(x, 250, x, 40))) << x;
        const TextItem *a1 = find(f, "[A]");
        const TextItem *a2 = find(f, "[W]");
        EXPECT_EQ(a1 ? a1->topLeft.x() : -1, c.y1Left);
        EXPECT_EQ(a2 ? a2->topLeft.x() : -1, c.y2Left);
        if (c.y2) {
            EXPECT_NE(find(f, "50.0"), nullptr); // value axis 2 uses one decimal
        }
    }
}

TEST(ChartFrame, XLabelTexts)
{
    EXPECT_EQ(xLabelText(3725, 0), "01:02:05");
    EXPECT_EQ(xLabelText(360000, 0), "100:00:00");
    EXPECT_EQ(xLabelText(1e30, 1).size(), 16); // held where whole numbers stay exact
    ChartProps p;
    p.xBarType = 1;
    p.MaxX = 2500;
    const FrameLayout f = layout(p);
    for (int i = 0; i <= 10; ++i)
        EXPECT_NE(find(f, QString::number(250 * i)), nullptr) << 250 * i;
}

TEST(ChartFrame, GridsReachTheLastLineAndNeverRunAway)
{
    const FrameLayout f = layout(ChartProps{});
    // Major grid: 11 horizontal lines 250 .. 40 and 11 vertical 50 .. 550.
    ASSERT_EQ(f.majorGrid.size(), 22u);
    EXPECT_TRUE(hasLine(f.majorGrid, QLine(50, 40, 550, 40)));
    EXPECT_TRUE(hasLine(f.majorGrid, QLine(550, 250, 550, 40)));
    // Half-division grid: 10 each way, between the major lines.
    ASSERT_EQ(f.halfGrid.size(), 20u);
    EXPECT_TRUE(hasLine(f.halfGrid, QLine(50, 240, 550, 240)));
    EXPECT_TRUE(hasLine(f.halfGrid, QLine(75, 250, 75, 40)));

    // Single-precision steps that would fall just short of the last line.
    for (auto [w, h] : {std::pair{153, 102}, {159, 107}, {701, 407}}) {
        const FrameLayout g = layout(ChartProps{}, w, h);
        EXPECT_EQ(g.majorGrid.size(), 22u) << w << "x" << h;
        EXPECT_TRUE(hasLine(g.majorGrid, QLine(50, 40, w - 50, 40))) << w << "x" << h;
        EXPECT_TRUE(hasLine(g.majorGrid, QLine(w - 50, h - 50, w - 50, 40))) << w << "x" << h;
    }

    // Pictures with no room for a plot: the grid loops end (an endless one
    // runs into the test's time limit).
    for (auto [w, h] : {std::pair{100, 90}, {0, 0}, {60, 40}, {101, 91}}) {
        const FrameLayout g = layout(ChartProps{}, w, h);
        EXPECT_LE(g.majorGrid.size() + g.halfGrid.size(), 48u) << w << "x" << h;
    }
}

TEST(ChartMapping, RangeEndsAndTheSafeBand)
{
    const ChartProps p;
    const Scales s = computeScales(p, 600, 300, 50);
    EXPECT_FLOAT_EQ(s.XScale, 60.0f / 500);
    const Mapper m = mapperFor(p, s, 0, 300);
    EXPECT_EQ(m(0, 0), QPoint(50, 250));
    EXPECT_EQ(m(60, 20), QPoint(550, 40));
    EXPECT_EQ(m(30, 10), QPoint(300, 145));

    // A zero span, huge and non-numeric values all land inside the band.
    ChartProps flat;
    flat.MaxX = flat.MinX = 5;
    flat.MaxY[0] = flat.MinY[0] = 1;
    const Mapper f = mapperFor(flat, computeScales(flat, 600, 300, 50), 0, 300);
    EXPECT_EQ(f(5, 1), QPoint(50, 250)); // nothing to divide: the origin
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (QPoint q : {f(6, 2), f(4, 0), m(1e30f, -1e30f), m(inf, nan), m(-inf, inf)}) {
        EXPECT_LE(std::abs(q.x()), PixelBand);
        EXPECT_LE(std::abs(q.y()), PixelBand);
    }
    EXPECT_EQ(m(1e30f, 0).x(), PixelBand);
}

TEST(ChartPath, OutOfRangePointsAreSkippedAndJoinedAcross)
{
    ChartProps p;
    // y 25 lies above MaxY 20 and is skipped; 20 and 0 are the range's ends
    // and drawn; point 0 below MinY still starts the path.
    const CurveRec c = curveOf({{0, -2}, {6, 1}, {12, 25}, {18, 20}, {24, 0}});
    const Mapper m = mapperFor(p, computeScales(p, 600, 300, 50), 0, 300);
    const std::vector<QPoint> want = {m(0, -2), m(6, 1), m(18, 20), m(24, 0)};
    EXPECT_EQ(pathOf(c, p), want);

    // One point draws nothing visible; two in range make one line.
    EXPECT_EQ(pathOf(curveOf({{3, 3}}), p).size(), 1u);
    EXPECT_EQ(pathOf(curveOf({{3, 3}, {9, 4}}), p).size(), 2u);

    // A staircase holds each value until the next point.
    p.YStep = true;
    const std::vector<QPoint> stairs = pathOf(curveOf({{0, 1}, {10, 2}, {20, 1}}), p);
    const std::vector<QPoint> wantStairs = {m(0, 1), QPoint(m(10, 2).x(), m(0, 1).y()), m(10, 2),
                                            QPoint(m(20, 1).x(), m(10, 2).y()), m(20, 1)};
    EXPECT_EQ(stairs, wantStairs);
}

TEST(ChartPath, ThinningVisitsEveryStepAndTheLastPoint)
{
    // 5000 points on a picture 500 wide: step 4, so points 0, 1, 5, 9, ...,
    // 4997 and the last one, 4999. x is spread so that every point has a
    // pixel column of its own.
    ChartProps p;
    p.MaxX = 100;
    CurveTable t;
    for (int j = 0; j < 5000; ++j)
        t.AddXY(0, float(j), float(j % 20));
    const int W = 500, H = 300;
    const Mapper m = mapperFor(p, computeScales(p, W, H, 50), 0, H);
    std::vector<QPoint> want = {m(0, 0)};
    for (int j = 1; j <= 4999; j += 4)
        want.push_back(m(float(j), float(j % 20)));
    want.push_back(m(4999, 4999 % 20));
    EXPECT_EQ(pathOf(t.curve(0), p, W, H), want);
}

TEST(ChartPath, ZoomedViewDrawsTheWindowOnly)
{
    ChartProps p;
    p.Large = true;
    p.MinX = 12;
    p.MaxX = 18;
    EXPECT_TRUE(pathOf(curveOf({{0, 1}, {10, 2}, {20, 1}}), p).empty()); // last before first

    p.MinX = 10;
    p.MaxX = 40;
    // first = x 10, last = x 30; x 20 is out of range and skipped; x 40 lies
    // outside the window.
    const CurveRec c = curveOf({{0, 1}, {10, 2}, {20, 30}, {30, 3}, {40, 4}});
    const Mapper m = mapperFor(p, computeScales(p, 600, 300, 50), 0, 300);
    const std::vector<QPoint> want = {m(10, 2), m(30, 3)};
    EXPECT_EQ(pathOf(c, p), want);

    // No visited point in range: nothing.
    p.MinY[0] = 100;
    p.MaxY[0] = 200;
    EXPECT_TRUE(pathOf(c, p).empty());
}
