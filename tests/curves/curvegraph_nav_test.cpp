// Cursor read-out, zoom, scroll-bar pan and legend drop arithmetic.
#include "curves/CurveGraphNav.h"

#include <gtest/gtest.h>

using namespace qx::curves;

TEST(ChartReadout, Text)
{
    EXPECT_EQ(readoutText(3.75f, 1.25f, 0.5f, 12.5f), "3.750V   1.250A\r0.500Ah 12.50Wh");
    EXPECT_EQ(readoutText(12.5f, 10.0f, 9.9996f, 0), "12.500V  10.00A\r10.000Ah 0.000Wh");
    EXPECT_EQ(readoutText(0, 0, 0, 0), "0.000V   0.000A\r0.000Ah 0.000Wh");
}

TEST(ChartReadout, ReadsTheFirstThinnedPointAtOrRightOfTheCursor)
{
    // Picture 600 wide, x 0..60 over pixels 50..550: pixel 50 + 50k is x 6k.
    CurveTable t;
    const ChartProps p;
    for (int j = 0; j <= 10; ++j) {
        const float x = float(10 + 4 * j); // x 10, 14, ..., 50
        t.AddXY(0, x, 3.0f + 0.1f * j);
        t.AddXY(1, x, 1.0f + 0.5f * j);
        t.AddXY(2, x, 99);
        t.AddXY(3, x, 0.01f * j);
        t.AddXY(4, x, 10.0f + j);
    }
    struct { double X; QString text; } cases[] = {
        {100, "3.000V   1.000A\r0.000Ah 10.00Wh"}, // x 6: left of the first point
        {200, "3.200V   2.000A\r0.020Ah 12.00Wh"}, // x 18: the point at x 18
        {210, "3.300V   2.500A\r0.030Ah 13.00Wh"}, // x 19.2 -> 19: the next point, x 22
        {500, "0.000V   0.000A\r0.000Ah 0.000Wh"}, // x 54: right of the last point
    };
    for (const auto &c : cases)
        EXPECT_EQ(cursorReadout(t, p, c.X, 600, 50), c.text) << c.X;
    EXPECT_EQ(cursorValueX(p, 210, 600, 50), 19);
    EXPECT_EQ(cursorValueX(p, 300, 100, 50), 0); // no plot width: the left end

    // Fewer than five curves: the missing ones read 0.
    CurveTable two;
    two.setCurveCount(2);
    two.AddXY(0, 0, 4);
    two.AddXY(1, 0, 2);
    EXPECT_EQ(cursorReadout(two, p, 60, 600, 50), "0.000V   0.000A\r0.000Ah 0.000Wh");
    EXPECT_EQ(cursorReadout(two, p, 50, 600, 50), "4.000V   2.000A\r0.000Ah 0.000Wh");
}

TEST(ChartReadout, CapacityAxisReadsCapacityAndEnergyAtTheCursorsPoint)
{
    // x of curves 0 and 1 is the capacity in mAh; curves 3 and 4 keep seconds.
    CurveTable t;
    ChartProps p;
    p.xBarType = 1;
    p.MaxX = 600; // pixel 50 + k is x k * 1.2
    for (int j = 0; j < 6; ++j) {
        const float seconds = 100.0f * j, mAh = 50.0f * j;
        t.AddXY(0, mAh, 4.0f - 0.1f * j);
        t.AddXY(1, mAh, 1.5f);
        t.AddXY(3, seconds, mAh / 1000);
        t.AddXY(4, seconds, mAh * 4 / 1000);
    }
    // Cursor at x 150 mAh: the fourth point (200 s, 0.150 Ah, 0.600 Wh); read
    // against seconds the capacity would come from the point at 200 s instead.
    EXPECT_EQ(cursorReadout(t, p, 50 + 125, 600, 50), "3.700V   1.500A\r0.150Ah 0.600Wh");
    p.xBarType = 0;
    EXPECT_EQ(cursorReadout(t, p, 50 + 125, 600, 50), "3.700V   1.500A\r0.100Ah 0.400Wh");
}

TEST(ChartZoom, BandToRanges)
{
    ChartProps p;
    p.MinY[2] = 5;
    p.MaxY[2] = 50;
    ZoomState z;
    const Scales s = computeScales(p, 600, 300, 50); // 0.12 s and 20/210 V per pixel
    // Too small (exactly 10 pixels), or narrower than one unit of x so that
    // the rounded ends coincide: nothing changes.
    struct { QRect band; float maxX; } small[] = {
        {QRect(100, 60, 10, 100), 60}, {QRect(100, 60, 200, 10), 60}, {QRect(100, 60, 100, 100), 0.5f}};
    for (auto c : small) {
        ChartProps q;
        q.MaxX = c.maxX;
        ZoomState zq;
        EXPECT_FALSE(zoomToBand(q, zq, c.band, computeScales(q, 600, 300, 50), 300)) << c.band.width();
        EXPECT_EQ(q.MinX, 0);
        EXPECT_EQ(q.MaxX, c.maxX);
        EXPECT_EQ(q.MaxY[0], 20);
    }

    ASSERT_TRUE(zoomToBand(p, z, QRect(100, 60, 200, 100), s, 300));
    EXPECT_EQ(p.MinX, 6); // r(50 * 0.12)
    EXPECT_EQ(p.MaxX, 30);
    EXPECT_FLOAT_EQ(p.MinY[0], 90 * 20.0f / 210);
    EXPECT_FLOAT_EQ(p.MaxY[0], 190 * 20.0f / 210);
    EXPECT_FLOAT_EQ(p.MinY[1], 90 * 10.0f / 210);
    EXPECT_FLOAT_EQ(p.MaxY[1], 190 * 10.0f / 210);
    EXPECT_EQ(p.MinY[2], 5); // value axis 2 keeps its range
    EXPECT_EQ(p.MaxY[2], 50);
    EXPECT_EQ(z.FullMinX, 0);
    EXPECT_EQ(z.FullMaxX, 60);
    EXPECT_EQ(z.FullMaxY[0], 20);
    EXPECT_EQ(z.FullMaxY[1], 10);
    EXPECT_EQ(z.ZoomWidth, 24);

    restoreFull(p, z);
    EXPECT_EQ(p.MinX, 0);
    EXPECT_EQ(p.MaxX, 60);
    EXPECT_EQ(p.MinY[0], 0);
    EXPECT_EQ(p.MaxY[0], 20);
    EXPECT_EQ(p.MaxY[1], 10);
}

TEST(ChartZoom, ScrollBarAndPan)
{
    ChartProps p;
    ZoomState z;
    z.FullMinX = 100;
    z.FullMaxX = 200;
    z.ZoomWidth = 30;
    p.MinX = 100;
    const ScrollSetup b = scrollForZoom(p, z);
    EXPECT_EQ(b.maximum, 23); // r(33.3) - 10
    EXPECT_EQ(b.value, 0);
    panTo(p, z, 0);
    EXPECT_EQ(p.MinX, 100);
    EXPECT_EQ(p.MaxX, 130);

    struct { float fullMin, fullMax, width; int v; float minX, maxX; } cases[] = {
        {1, 100, 30, 8, 25, 56},    // 25 to 55: an odd right end grows by one
        {1, 90, 30, 23, 70, 90},    // cut at the full range's right end
        {0, 50, 30, 17, 20, 50},    // 51 -> 52 -> cut to 50
        {0, 100, 30, 40, 70, 100},  // left end at the right end: one window back
        {0, 100, 7.5f, 3, 2, 9.5f}, // r(22.5) = 22, \ 10 = 2; 9.5 rounds to 10, even: kept
    };
    for (auto c : cases) {
        ZoomState zc;
        zc.FullMinX = c.fullMin;
        zc.FullMaxX = c.fullMax;
        zc.ZoomWidth = c.width;
        ChartProps q;
        panTo(q, zc, c.v);
        EXPECT_EQ(q.MinX, c.minX) << c.v;
        EXPECT_EQ(q.MaxX, c.maxX) << c.v;
    }
    ZoomState none;
    EXPECT_EQ(scrollForZoom(p, none).maximum, 0); // no width: no steps
}

TEST(ChartLegend, DropSnapsToTheGridAndStaysOnTheSurface)
{
    const QSize legend(80, 16), surface(600, 300);
    struct { QPointF at; QPoint drop; } cases[] = {
        {{12.6, 33.4}, {10, 30}},   {{480, 73}, {480, 70}},   {{-200, -9}, {0, 0}},
        {{900, 500}, {520, 280}},   {{517.7, 283.9}, {515, 280}}, {{qQNaN(), 50}, {0, 50}},
    };
    for (auto c : cases)
        EXPECT_EQ(legendDrop(c.at, legend, surface), c.drop) << c.at.x() << "," << c.at.y();
    EXPECT_EQ(legendDrop({40, 40}, QSize(700, 400), surface), QPoint(0, 0)); // larger than the surface
}

TEST(ChartLegend, StackedLegendsTurnIntoColumnsAboveTheTimeLabels)
{
    // Legend 0 at (480, 73), 70 x 15; the others 15 high, 5 apart.
    const QRect first(480, 73, 70, 15);
    auto sized = [](std::initializer_list<int> widths) {
        std::vector<QSize> out;
        for (int w : widths)
            out.emplace_back(w, 15);
        return out;
    };
    using Points = std::vector<QPoint>;
    // Down to 150: three fit under legend 0 (the third ends at 148); the
    // next three start a column at 73, left of the first by its widest
    // legend (90) and 10.
    EXPECT_EQ(legendColumns(first, sized({60, 80, 50, 90, 40, 70}), 150),
              (Points{{480, 93}, {480, 113}, {480, 133}, {380, 73}, {380, 93}, {380, 113}}));
    // Room enough: one column, as the layout has always stacked them.
    EXPECT_EQ(legendColumns(first, sized({60, 80}), 250), (Points{{480, 93}, {480, 113}}));
    // No room under legend 0 at all: one legend a column.
    EXPECT_EQ(legendColumns(first, sized({60, 80}), 80), (Points{{410, 73}, {320, 73}}));
    EXPECT_TRUE(legendColumns(first, {}, 80).empty());
}
