// Frame layout, value-to-pixel mapping and curve paths of the chart, on a
// fixed picture size with fixed text metrics (5 pixels per character, 12
// high, unless a test says otherwise). Expected pixels are worked out by
// hand.
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphPath.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <limits>

using namespace qx::curves;

namespace {

constexpr int CharW = 5, CharH = 12;

FrameLayout layout(const ChartProps &p, int W = 600, int H = 300, int charW = CharW)
{
    return layoutFrame(p, W, H, [charW](const QString &s) { return QSize(charW * int(s.size()), CharH); });
}

// The x labels (texts with "00:" or digits only, below the plot) in order.
std::vector<TextItem> xLabels(const FrameLayout &f, int H = 300)
{
    std::vector<TextItem> out;
    for (const TextItem &t : f.labels)
        if (t.topLeft.y() > H - 50)
            out.push_back(t);
    return out;
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

// The pieces of a curve's path on a picture W x H.
std::vector<std::vector<QPoint>> pathOf(const CurveRec &c, const ChartProps &p, int W = 600, int H = 290)
{
    const Scales s = computeScales(p, W, H, p.RightMargin());
    std::vector<QPoint> out;
    std::vector<size_t> starts;
    buildPath(c, p, mapperFor(p, s, c.AxesY, H), W, out, starts);
    std::vector<std::vector<QPoint>> pieces;
    for (size_t k = 0; k < starts.size(); ++k)
        pieces.emplace_back(out.begin() + long(starts[k]),
                            out.begin() + long(k + 1 < starts.size() ? starts[k + 1] : out.size()));
    return pieces;
}

using Pieces = std::vector<std::vector<QPoint>>;

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

    // x labels 00:00:00 .. 00:01:00 (40 pixels wide) centred on ticks every
    // 50 pixels, half their height below y = H - 38.
    const char *times[] = {"00:00:00", "00:00:06", "00:00:12", "00:00:18", "00:00:24", "00:00:30",
                           "00:00:36", "00:00:42", "00:00:48", "00:00:54", "00:01:00"};
    for (int i = 0; i <= 10; ++i) {
        const TextItem *t = find(f, times[i]);
        ASSERT_NE(t, nullptr) << times[i];
        EXPECT_EQ(t->topLeft, QPoint(50 + 50 * i - 20, 268)) << times[i];
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
    EXPECT_EQ(find(f, "[V]")->topLeft, QPoint(34 - 15, 24));
    EXPECT_EQ(find(f, "[A]")->topLeft, QPoint(566, 24));
    EXPECT_EQ(find(f, "[W]"), nullptr);
    EXPECT_EQ(f.watermark.text, WatermarkText);
    EXPECT_EQ(f.watermark.topLeft, QPoint(550 - 35 - 5, 50));
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
    // Before the start of a run: a sign before the time.
    EXPECT_EQ(xLabelText(-108, 0), "-00:01:48");
    EXPECT_EQ(xLabelText(-3725, 0), "-01:02:05");
    EXPECT_EQ(xLabelText(-0.4, 0), "00:00:00");
    EXPECT_EQ(xLabelText(-108, 1), "-108");
    EXPECT_EQ(xLabelText(1e30, 1).size(), 16); // held where whole numbers stay exact
    ChartProps p;
    p.xBarType = 1;
    p.MaxX = 2500;
    const FrameLayout f = layout(p);
    for (int i = 0; i <= 10; ++i)
        EXPECT_NE(find(f, QString::number(250 * i)), nullptr) << 250 * i;
}

TEST(ChartFrame, CrowdedTimeLabelsAreLeftOutNeverDrawnOverEachOther)
{
    // Labels 48 pixels wide (6 per character): on ticks 50 apart they would
    // leave 2 pixels, fewer than the 4 a label keeps from the last one shown.
    const struct {
        int W;
        std::vector<std::pair<const char *, int>> shown; // text and left edge
    } cases[] = {
        {600, {{"00:00:00", 26}, {"00:00:12", 126}, {"00:00:24", 226}, {"00:00:36", 326}, {"00:00:48", 426},
               {"00:01:00", 526}}},
        // Ticks 25 apart: every third label.
        {350, {{"00:00:00", 26}, {"00:00:18", 101}, {"00:00:36", 176}, {"00:00:54", 251}}},
        // Ticks 90 apart: all of them.
        {1000, {{"00:00:00", 26}, {"00:00:06", 116}, {"00:00:12", 206}, {"00:00:18", 296}, {"00:00:24", 386},
                {"00:00:30", 476}, {"00:00:36", 566}, {"00:00:42", 656}, {"00:00:48", 746}, {"00:00:54", 836},
                {"00:01:00", 926}}},
    };
    for (const auto &c : cases) {
        const FrameLayout f = layout(ChartProps{}, c.W, 300, 6);
        std::vector<std::pair<QString, int>> got;
        for (const TextItem &t : xLabels(f))
            got.emplace_back(t.text, t.topLeft.x());
        std::vector<std::pair<QString, int>> want;
        for (const auto &[text, x] : c.shown)
            want.emplace_back(QString::fromLatin1(text), x);
        EXPECT_EQ(got, want) << "W = " << c.W;
        int ticks = 0;
        for (QLine l : f.axisLines)
            ticks += l.y1() == 255 && l.y2() == 261;
        EXPECT_EQ(ticks, 11) << "every tick stays";
    }
    // Whatever the width, no label comes closer than 4 pixels to the one
    // before it.
    for (int W = 120; W <= 1300; W += 7) {
        const std::vector<TextItem> labels = xLabels(layout(ChartProps{}, W, 300, 6));
        ASSERT_FALSE(labels.empty());
        for (size_t k = 1; k < labels.size(); ++k)
            EXPECT_GE(labels[k].topLeft.x() - (labels[k - 1].topLeft.x() + labels[k - 1].size.width()), 4)
                << "W = " << W;
    }
}

// The texts of one value axis (labels and unit), from the bottom up.
std::vector<std::pair<QString, int>> axisTexts(const FrameLayout &f, int left)
{
    std::vector<std::pair<QString, int>> out;
    for (const TextItem &t : f.labels)
        if ((left < 0 ? t.topLeft.x() + t.size.width() == 34 : t.topLeft.x() == left))
            out.emplace_back(t.text, t.topLeft.y());
    std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    return out;
}

TEST(ChartFrame, ValueLabelsOfAShortChartAreThinnedAndTheUnitKeepsClear)
{
    // Labels 12 high; two may overlap by 2 rows (a sixth) at most.
    using Texts = std::vector<std::pair<QString, int>>;
    const struct {
        int H;
        Texts left, right; // text and top, bottom up
    } cases[] = {
        // Divisions 7 apart: every second label. The unit, half a division
        // above the top label (30.5 -> 30), would overlap it by 8; it moves
        // up to overlap by 2: 34 - 12 + 2 = 24.
        {160,
         {{"0.00", 104}, {"4.00", 90}, {"8.00", 76}, {"12.00", 62}, {"16.00", 48}, {"20.00", 34}, {"[V]", 24}},
         {{"0.00", 104}, {"2.00", 90}, {"4.00", 76}, {"6.00", 62}, {"8.00", 48}, {"10.00", 34}, {"[A]", 24}}},
        // Divisions 2 apart: the next label shown must start 10 rows higher,
        // five divisions up.
        {110, {{"0.00", 54}, {"10.00", 44}, {"20.00", 34}, {"[V]", 24}}, {{"0.00", 54}, {"5.00", 44}, {"10.00", 34}, {"[A]", 24}}},
        // Divisions 15 apart: every label; the unit (26.5 -> 26) moves up two.
        {240,
         {{"0.00", 184}, {"2.00", 169}, {"4.00", 154}, {"6.00", 139}, {"8.00", 124}, {"10.00", 109}, {"12.00", 94},
          {"14.00", 79}, {"16.00", 64}, {"18.00", 49}, {"20.00", 34}, {"[V]", 24}},
         {}},
    };
    for (const auto &c : cases) {
        const FrameLayout f = layout(ChartProps{}, 600, c.H);
        EXPECT_EQ(axisTexts(f, -1), c.left) << "H = " << c.H;
        if (!c.right.empty()) {
            EXPECT_EQ(axisTexts(f, 566), c.right) << "H = " << c.H;
        }
        int ticks = 0;
        for (QLine l : f.axisLines)
            ticks += l.x1() == 45 && l.x2() == 39;
        EXPECT_EQ(ticks, 11) << "every tick stays, H = " << c.H;
    }
}

TEST(ChartFrame, UnitTextsStayInsideThePictureAtEveryHeight)
{
    // 1000 high: half a division above the top label is 950 - 91 x 10.5 - 6
    // = -11.5, above the picture; the unit stands at its top edge instead.
    const FrameLayout tall = layout(ChartProps{}, 600, 1000);
    EXPECT_EQ(find(tall, "[V]")->topLeft, QPoint(19, 0));
    EXPECT_EQ(find(tall, "[A]")->topLeft, QPoint(566, 0));
    EXPECT_NE(find(tall, "20.00"), nullptr);

    // Whatever the height, with both right axes: every text inside the
    // picture, and no two texts of one axis overlapping by more than two
    // rows.
    ChartProps p;
    p.ShowAxesY2 = true;
    for (int H = 100; H <= 1600; H += 11) {
        const FrameLayout f = layout(p, 600, H);
        for (const TextItem &t : f.labels)
            EXPECT_GE(t.topLeft.y(), 0) << t.text.toStdString() << ", H = " << H;
        for (int left : {-1, 516, 566}) {
            const auto texts = axisTexts(f, left);
            ASSERT_GE(texts.size(), 2u) << "H = " << H;
            EXPECT_EQ(texts.back().first, left < 0 ? "[V]" : left == 516 ? "[A]" : "[W]");
            for (size_t k = 1; k < texts.size(); ++k)
                EXPECT_LE(texts[k].second + CharH - texts[k - 1].second, 2)
                    << texts[k].first.toStdString() << " over " << texts[k - 1].first.toStdString() << ", H = " << H;
        }
    }
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

// Paths on a picture 600 x 290: x 0..60 over pixels 50..550 (x / 0.12 + 50),
// y 0..20 over pixels 240..40 (240 - 10 y).
TEST(ChartPath, OutOfRangePointsAreSkippedAndJoinedAcross)
{
    ChartProps p;
    // y 25 lies above MaxY 20 and is skipped; 20 and 0 are the range's ends
    // and drawn; point 0 below MinY still starts the path.
    const CurveRec c = curveOf({{0, -2}, {6, 1}, {12, 25}, {18, 20}, {24, 0}});
    EXPECT_EQ(pathOf(c, p), (Pieces{{{50, 260}, {100, 230}, {200, 40}, {250, 240}}}));

    // One point draws nothing visible; two in range make one line.
    EXPECT_EQ(pathOf(curveOf({{3, 3}}), p), (Pieces{{{75, 210}}}));
    EXPECT_EQ(pathOf(curveOf({{3, 3}, {9, 4}}), p), (Pieces{{{75, 210}, {125, 200}}}));

    // A staircase holds each value until the next point.
    p.YStep = true;
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {12, 2}, {24, 1}}), p),
              (Pieces{{{50, 230}, {150, 230}, {150, 220}, {250, 220}, {250, 230}}}));
}

TEST(ChartPath, APointThatIsNoNumberBreaksTheCurve)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ChartProps p;
    // Not joined to the axis origin (50, 240), nor across: the curve stops
    // before the point and goes on after it.
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {6, 2}, {12, nan}, {18, 3}, {24, 4}}), p),
              (Pieces{{{50, 230}, {100, 220}}, {{200, 210}, {250, 200}}}));
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {6, 2}, {nan, 5}, {18, 3}, {24, 4}}), p),
              (Pieces{{{50, 230}, {100, 220}}, {{200, 210}, {250, 200}}}));
    // A first point that is no number starts nothing; the next one does.
    EXPECT_EQ(pathOf(curveOf({{nan, 1}, {6, 2}, {12, 3}}), p), (Pieces{{{100, 220}, {150, 210}}}));
    // An out-of-range point after the break is skipped as always.
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {6, nan}, {12, 30}, {18, 3}, {24, 4}}), p),
              (Pieces{{{50, 230}}, {{200, 210}, {250, 200}}}));
    // A staircase starts its new piece at the next point's own level.
    p.YStep = true;
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {12, 2}, {18, nan}, {24, 1}, {36, 3}}), p),
              (Pieces{{{50, 230}, {150, 230}, {150, 220}}, {{250, 230}, {350, 230}, {350, 210}}}));
    // The zoomed view breaks the same way.
    p.YStep = false;
    p.Large = true;
    p.MinX = 6;
    p.MaxX = 36; // x 6..36 over 50..550: (x - 6) / 0.06 + 50
    // x 40, the first point past the window, is drawn too: (40 - 6) / 0.06 + 50 = 616.7.
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {6, 2}, {12, 3}, {15, nan}, {18, 4}, {24, 5}, {40, 1}}), p),
              (Pieces{{{50, 220}, {150, 210}}, {{250, 200}, {350, 190}, {617, 230}}}));
}

TEST(ChartPath, ThinningVisitsEveryStepAndTheLastPoint)
{
    // 5000 points on a picture 500 wide: step 4, so points 0, 1, 5, 9, ...,
    // 4997 and the last one, 4999. x 0..100 over pixels 50..450, so point j
    // is at 4 j + 50; y = j mod 20 at 240 - 10 y.
    ChartProps p;
    p.MaxX = 100;
    CurveTable t;
    for (int j = 0; j < 5000; ++j)
        t.AddXY(0, float(j), float(j % 20));
    const Pieces got = pathOf(t.curve(0), p, 500, 290);
    ASSERT_EQ(got.size(), 1u);
    const std::vector<QPoint> &path = got[0];
    ASSERT_EQ(path.size(), 1252u); // 0, 1250 visited, 4999
    EXPECT_EQ(path[0], QPoint(50, 240));
    EXPECT_EQ(path[1], QPoint(54, 230));     // point 1
    EXPECT_EQ(path[2], QPoint(70, 190));     // point 5
    EXPECT_EQ(path[3], QPoint(86, 150));     // point 9
    EXPECT_EQ(path[1250], QPoint(20038, 70)); // point 4997, y 17
    EXPECT_EQ(path[1251], QPoint(20046, 50)); // point 4999, y 19
}

// A million points over x 0..60 (x = 60 j / 1e6) at y 5, on the picture
// 600 x 290: a peak between two thinned visits still shows, in the order
// the points came.
TEST(ChartPath, AMillionPointsKeepTheirPeaksGapsAndOrder)
{
    constexpr int N = 1'000'000;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto yOf = [](int j) {
        switch (j) {
        case 300'007: return 15.0f; // x 18.00042: pixel (200, 90), up ...
        case 300'100: return 1.0f;  // ... then down to (200, 230)
        case 600'050: return 2.0f;  // x 36.003: down to (350, 220) ...
        case 600'090: return 12.0f; // ... then up to (350, 120)
        case 800'000: return 25.0f; // above MaxY 20: left out
        default: return 5.0f;       // row 190
        }
    };
    std::vector<DataPoint> pts(N);
    for (int j = 0; j < N; ++j)
        pts[size_t(j)] = {float(60.0 * j / N), yOf(j)};
    pts[450'000].y = nan; // x 27: the curve breaks there

    CurveTable added, taken;
    for (const DataPoint &d : pts)
        added.AddXY(0, d.x, d.y);
    PointStore store;
    for (const DataPoint &d : pts)
        store.push_back(d);
    taken.TakePoints(0, std::move(store));

    ChartProps p;
    const Pieces got = pathOf(added.curve(0), p);
    EXPECT_EQ(pathOf(taken.curve(0), p), got);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].front(), QPoint(50, 190));
    EXPECT_EQ(got[1].back(), QPoint(550, 190));
    // No more points than thinning (4 a pixel column), none above the plot.
    size_t drawn = 0;
    for (const auto &piece : got) {
        drawn += piece.size();
        for (QPoint q : piece)
            EXPECT_GE(q.y(), 40) << q.x();
    }
    EXPECT_LE(drawn, 4u * 600);
    auto at = [&](QPoint q) {
        const auto k = std::find(got[0].begin(), got[0].end(), q);
        return k == got[0].end() ? -1 : int(k - got[0].begin());
    };
    EXPECT_LT(at(QPoint(200, 90)), at(QPoint(200, 230)));
    EXPECT_GE(at(QPoint(200, 90)), 0);
    const auto later = std::find(got[1].begin(), got[1].end(), QPoint(350, 220));
    ASSERT_NE(later, got[1].end());
    EXPECT_NE(std::find(later, got[1].end(), QPoint(350, 120)), got[1].end());

    // A point changed afterwards shows: x 6 at (100, 60).
    added.setDpY(0, 100'000, 18);
    const Pieces changed = pathOf(added.curve(0), p);
    EXPECT_NE(std::find(changed[0].begin(), changed[0].end(), QPoint(100, 60)), changed[0].end());

    // Zoomed to x 6..54 (800 000 points): x 18.00042 at (x - 6) / 0.096 + 50.
    p.Large = true;
    p.MinX = 6;
    p.MaxX = 54;
    const Pieces zoomed = pathOf(added.curve(0), p);
    ASSERT_EQ(zoomed.size(), 2u);
    const auto up = std::find(zoomed[0].begin(), zoomed[0].end(), QPoint(175, 90));
    ASSERT_NE(up, zoomed[0].end());
    EXPECT_NE(std::find(up, zoomed[0].end(), QPoint(175, 230)), zoomed[0].end());
    EXPECT_EQ(zoomed[0].front(), QPoint(50, 60)); // point 100 000, changed above
}

// The zoomed view draws the points in its window and the first one beyond
// each end where the window ends between points, so the curve runs to the
// plot area's edges (clipped there when painted).
TEST(ChartPath, ZoomedViewDrawsTheWindowAndOnToItsEdges)
{
    ChartProps p;
    p.Large = true;
    // x 12..18 over 50..550 (0.012 a pixel) lies between x 10 and x 20: the
    // line between them, from (10 - 12) / 0.012 + 50 = -116.7 to 716.7.
    p.MinX = 12;
    p.MaxX = 18;
    EXPECT_EQ(pathOf(curveOf({{0, 1}, {10, 2}, {20, 1}}), p), (Pieces{{{-117, 220}, {717, 230}}}));

    // x 10..40 over 50..550: (x - 10) / 0.06 + 50. x 10 and x 40 lie on the
    // window's ends: nothing beyond them is needed; x 20 is out of range
    // and skipped.
    p.MinX = 10;
    p.MaxX = 40;
    const CurveRec c = curveOf({{0, 1}, {10, 2}, {20, 30}, {30, 3}, {40, 4}});
    EXPECT_EQ(pathOf(c, p), (Pieces{{{50, 220}, {383, 210}, {550, 200}}}));

    // x 13..37 (0.048 a pixel): x 10 and x 40 lie beyond its ends, 62.5
    // pixels left of 50 and 562.5 right of it (halves to even); x 30 at
    // 354.2 + 50.
    p.MinX = 13;
    p.MaxX = 37;
    EXPECT_EQ(pathOf(c, p), (Pieces{{{-12, 220}, {404, 210}, {612, 200}}}));

    // No visited point in range: nothing.
    p.MinY[0] = 100;
    p.MaxY[0] = 200;
    EXPECT_TRUE(pathOf(c, p).empty());
}
