// Curve table: point storage and growth, curve count changes, index errors,
// and the searches that the zoomed view and the cursor rely on.
#include "curves/CurveGraphData.h"
#include "common/ErrorCode.h"
#include "platform/QxError.h"

#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

using namespace qx;
using namespace qx::curves;

TEST(CurveTable, SlotsGrowByThousandsAndKeepThePoints)
{
    CurveTable t;
    EXPECT_TRUE(t.curve(0).Dp.empty()); // never given a point: no slots at all
    EXPECT_EQ(test::errorCode([&] { t.DpX(0, 0); }), ErrSubscript);

    struct { int points; size_t slots; } steps[] = {{1, 1001}, {1000, 1001}, {1001, 2001}, {2000, 2001}, {2001, 3001}};
    int added = 0;
    for (auto s : steps) {
        for (; added < s.points; ++added)
            t.AddXY(0, float(added), float(added) * 0.5f);
        EXPECT_EQ(t.DpCnt(0), s.points);
        EXPECT_EQ(t.curve(0).Dp.size(), s.slots) << s.points;
    }
    for (int n : {0, 999, 1000, 1999, 2000})
        EXPECT_EQ(t.DpY(0, n), float(n) * 0.5f) << n;
    EXPECT_EQ(t.DpX(0, 2001), 0.0f); // a spare slot reads as zero
    EXPECT_EQ(test::errorCode([&] { t.DpX(0, 3001); }), ErrSubscript);

    t.setDpY(0, 5, 42.0f);
    EXPECT_EQ(t.DpY(0, 5), 42.0f);
    EXPECT_EQ(t.DpX(0, 5), 5.0f);
    // The last spare slot takes a value as well, until a point lands there.
    t.setDpY(0, 3000, 9.0f);
    EXPECT_EQ(t.DpY(0, 3000), 9.0f);
    EXPECT_EQ(t.DpX(0, 3000), 0.0f);
    EXPECT_EQ(t.DpY(0, 2999), 0.0f);
    for (; added <= 3000; ++added)
        t.AddXY(0, float(added), 1.0f);
    EXPECT_EQ(t.DpY(0, 3000), 1.0f);
    EXPECT_EQ(t.DpX(0, 3000), 3000.0f);

    t.Clear(0);
    EXPECT_EQ(t.DpCnt(0), 0);
    EXPECT_EQ(t.curve(0).Dp.size(), 2u);
    t.AddXY(0, 1, 1);
    EXPECT_EQ(t.curve(0).Dp.size(), 1001u);
}

TEST(CurveTable, BadIndexesAreRefusedBeforeAnyChange)
{
    CurveTable t;
    t.AddXY(1, 1, 2);
    const std::function<void()> bad[] = {
        [&] { t.AddXY(-1, 0, 0); }, [&] { t.AddXY(5, 0, 0); },   [&] { t.Clear(5); },
        [&] { t.DpCnt(-1); },       [&] { t.DpX(1, -1); },       [&] { t.DpY(1, 1001); },
        [&] { t.setDpY(1, -1, 3); }, [&] { t.setDpY(7, 0, 3); },
    };
    for (const auto &f : bad)
        EXPECT_EQ(test::errorCode(f), ErrSubscript);
    EXPECT_EQ(t.DpCnt(1), 1);
    EXPECT_EQ(t.DpY(1, 0), 2.0f);
}

TEST(CurveTable, CurveCountKeepsPointsAndRecoloursTheNewestBlock)
{
    CurveTable t;
    EXPECT_EQ(t.curve(0).LineColor, CurveTable::Blue);
    EXPECT_EQ(t.curve(1).LineColor, CurveTable::Red);

    t.setCurveCount(10);
    for (int i = 0; i < 5; ++i)
        t.AddXY(i, float(i), float(i));
    t.curve(0).LineColor = 0x00FF00;
    t.curve(3).ShowLegend = true;
    t.curve(3).AxesY = 2;
    EXPECT_EQ(t.curve(5).LineColor, CurveTable::Blue);
    EXPECT_EQ(t.curve(6).LineColor, CurveTable::Red);
    EXPECT_EQ(t.curve(7).LineColor, 0u);

    t.setCurveCount(5);
    EXPECT_EQ(t.CurveCount(), 5);
    EXPECT_EQ(t.curve(0).LineColor, CurveTable::Blue); // the host's colour gives way
    EXPECT_FALSE(t.curve(3).ShowLegend);
    EXPECT_EQ(t.curve(3).AxesY, 2);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(t.DpCnt(i), 1);

    t.setCurveCount(70);
    EXPECT_EQ(t.CurveCount(), 50);
    EXPECT_EQ(t.DpY(4, 0), 4.0f);
    t.setCurveCount(0);
    EXPECT_EQ(t.CurveCount(), 1);
    EXPECT_EQ(t.DpCnt(0), 1);

    t.ClearAll();
    EXPECT_EQ(t.DpCnt(0), 0);

    // Fewer than five curves make no block: curve 0 keeps its colour.
    CurveTable four;
    four.setCurveCount(4);
    EXPECT_EQ(four.curve(0).LineColor, CurveTable::Blue);
    EXPECT_EQ(four.curve(1).LineColor, CurveTable::Red);
}

TEST(CurveTable, ThinningStep)
{
    struct { int64_t n; double w; int32_t s; } cases[] = {
        {5000, 500, 4}, {4000, 500, 3}, {3000, 500, 2}, {1000, 500, 2}, {800, 500, 1},
        {0, 500, 1},    {999, 500, 1},  {1000000, 0, 250001}, {5, -3, 2},
    };
    for (auto c : cases)
        EXPECT_EQ(thinStep(c.n, c.w), c.s) << c.n << " on " << c.w;
}

TEST(CurveTable, BisectedSearchesAgreeWithTheScan)
{
    // The same points searched with the rising flag set (bisection) and
    // cleared (scan) give the same answers.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> step(0.0f, 3.0f);
    CurveTable t;
    float x = -20;
    for (int i = 0; i < 3000; ++i) {
        t.AddXY(0, x, 0);
        x += (i % 50 == 0) ? 0.0f : step(rng); // with runs of equal x
    }
    ASSERT_TRUE(t.curve(0).xRising);
    CurveRec scan = t.curve(0);
    scan.xRising = false;

    std::uniform_real_distribution<float> at(-40.0f, x + 20);
    for (int k = 0; k < 400; ++k) {
        const float a = at(rng), b = at(rng);
        for (int32_t s : {1, 3, 7})
            EXPECT_EQ(firstVisitedAtOrAbove(t.curve(0), a, s), firstVisitedAtOrAbove(scan, a, s)) << a << " step " << s;
        const PointSpan fast = zoomSpan(t.curve(0), std::min(a, b), std::max(a, b));
        const PointSpan slow = zoomSpan(scan, std::min(a, b), std::max(a, b));
        EXPECT_EQ(fast.first, slow.first);
        EXPECT_EQ(fast.last, slow.last);
        const PointSpan fastInv = zoomSpan(t.curve(0), std::max(a, b), std::min(a, b));
        const PointSpan slowInv = zoomSpan(scan, std::max(a, b), std::min(a, b));
        EXPECT_EQ(fastInv.first, slowInv.first);
        EXPECT_EQ(fastInv.last, slowInv.last);
    }
}

TEST(CurveTable, ZoomSpanAndFallingX)
{
    CurveTable t;
    for (float x : {0.0f, 10.0f, 20.0f})
        t.AddXY(0, x, 1);
    struct { float lo, hi; int32_t first, last; } cases[] = {
        {12, 18, 2, 1}, // the window falls between two points: last before first
        {-5, 100, 0, 2}, {0, 10, 0, 0}, {-10, -5, 0, 0}, {25, 30, 0, 2}, {5, 15, 1, 1},
    };
    for (auto c : cases) {
        const PointSpan s = zoomSpan(t.curve(0), c.lo, c.hi);
        EXPECT_EQ(s.first, c.first) << c.lo << ".." << c.hi;
        EXPECT_EQ(s.last, c.last) << c.lo << ".." << c.hi;
    }
    t.AddXY(0, 5, 1); // x falls back: searches scan from now on
    EXPECT_FALSE(t.curve(0).xRising);
    EXPECT_EQ(firstVisitedAtOrAbove(t.curve(0), 15, 1), 2);
    t.Clear(0);
    EXPECT_TRUE(t.curve(0).xRising);
    EXPECT_EQ(firstVisitedAtOrAbove(t.curve(0), 0, 1), -1);
}

TEST(CurveTable, AddPointsMatchesAddXYWithExactStorage)
{
    for (int n : {1, 999, 1000, 1001, 2500}) {
        CurveTable a, b;
        std::vector<DataPoint> pts;
        for (int k = 0; k < n; ++k)
            pts.push_back({float(k % 700), float(k) * 0.25f}); // x falls back at 700
        a.AddXY(0, -1, 9);
        b.AddXY(0, -1, 9);
        for (const DataPoint &p : pts)
            a.AddXY(0, p.x, p.y);
        b.AddPoints(0, pts.data(), int32_t(pts.size()));
        ASSERT_EQ(b.DpCnt(0), a.DpCnt(0)) << n;
        EXPECT_EQ(b.curve(0).Dp.size(), a.curve(0).Dp.size()) << n;
        // 8 bytes a point: no room held beyond the page of the last point.
        EXPECT_GE(b.curve(0).Dp.capacity(), size_t(b.DpCnt(0))) << n;
        EXPECT_LT((b.curve(0).Dp.capacity() - size_t(b.DpCnt(0))) * sizeof(DataPoint), size_t(::sysconf(_SC_PAGESIZE)))
            << n;
        EXPECT_EQ(b.curve(0).xRising, a.curve(0).xRising) << n;
        for (int k = 0; k <= n; ++k) {
            EXPECT_EQ(b.DpX(0, k), a.DpX(0, k));
            EXPECT_EQ(b.DpY(0, k), a.DpY(0, k));
        }
    }
}

TEST(CurveTable, TakePointsAdoptsTheStorageOfAnEmptyCurve)
{
    CurveTable t;
    PointStore pts;
    for (int k = 0; k < 1500; ++k)
        pts.push_back(DataPoint{1, 2});
    const DataPoint *storage = pts.data();
    t.TakePoints(0, std::move(pts));
    EXPECT_EQ(t.DpCnt(0), 1500);
    EXPECT_EQ(t.curve(0).Dp.data(), storage) << "no copy";
    EXPECT_EQ(t.curve(0).Dp.size(), 2001u); // the slots AddXY would leave
    EXPECT_TRUE(t.curve(0).xRising);
    // A curve that has points appends a copy instead.
    PointStore one;
    one.push_back({0, 5});
    t.TakePoints(0, std::move(one));
    EXPECT_EQ(t.DpCnt(0), 1501);
    EXPECT_FALSE(t.curve(0).xRising);
    EXPECT_EQ(t.DpY(0, 1500), 5.0f);
}
