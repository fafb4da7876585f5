// A curve's point store: points kept through every growth with little room
// held beyond them, spare points reading as zero until written, and copies
// and moves that keep or hand over the points.
#include "curves/PointStore.h"

#include <gtest/gtest.h>

using namespace qx::curves;

namespace {

DataPoint pointAt(size_t k) { return {float(k), float(k % 977) * 0.5f}; }

} // namespace

TEST(PointStore, GrowsPointByPointKeepingEveryPointInAtMostNineBytesEach)
{
    PointStore s;
    EXPECT_EQ(s.data(), nullptr);
    constexpr size_t N = 300'000;
    for (size_t k = 0; k < N; ++k) {
        s.push_back(pointAt(k));
        if (k + 1 >= 10'000) {
            ASSERT_LE(s.capacity() * sizeof(DataPoint), 9 * (k + 1)) << "after " << k + 1 << " points";
        }
    }
    ASSERT_EQ(s.size(), N);
    for (size_t k = 0; k < N; ++k) {
        ASSERT_EQ(s[k].x, pointAt(k).x) << k;
        ASSERT_EQ(s[k].y, pointAt(k).y) << k;
    }
    EXPECT_EQ(s.back().x, float(N - 1));
    s.shrink_to_fit();
    EXPECT_GE(s.capacity(), N);
    EXPECT_EQ(s[N - 1].x, float(N - 1));
    s.clear();
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(s.capacity(), 0u);
}

TEST(PointStore, SparePointsReadZeroUntilWrittenAndCutPointsStayForgotten)
{
    PointStore s;
    for (size_t k = 0; k < 10; ++k)
        s.push_back({1, 1});
    // Far beyond the memory held: reads zero, takes memory once written.
    s.resize(100'000);
    EXPECT_EQ(s[50'000].x, 0.0f);
    EXPECT_EQ(s[99'999].y, 0.0f);
    s.set(99'999, {7, 8});
    EXPECT_EQ(s[99'999].y, 8.0f);
    EXPECT_EQ(s[99'998].y, 0.0f);
    EXPECT_EQ(s[9].x, 1.0f);

    // Cutting back and growing again: what was cut reads zero, in memory or not.
    s.resize(5);
    s.resize(100'000);
    for (size_t k : {5u, 9u, 99'999u})
        EXPECT_EQ(s[k].x, 0.0f) << k;
    EXPECT_EQ(s[4].x, 1.0f);
}

TEST(PointStore, CopiesAreTheirOwnAndMovesHandTheMemoryOver)
{
    PointStore a;
    for (size_t k = 0; k < 3000; ++k)
        a.push_back(pointAt(k));
    a.resize(4001); // spare points go with the copy
    PointStore b = a;
    b.set(0, {-1, -1});
    b.set(4000, {5, 5});
    EXPECT_EQ(a[0].x, 0.0f);
    EXPECT_EQ(a[4000].x, 0.0f);
    ASSERT_EQ(b.size(), 4001u);
    EXPECT_EQ(b[2999].x, 2999.0f);

    const DataPoint *memory = b.data();
    PointStore c = std::move(b);
    EXPECT_EQ(c.data(), memory);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.data(), nullptr);
    a = c;
    EXPECT_EQ(a[4000].x, 5.0f);
    EXPECT_NE(a.data(), c.data());
    a = std::move(c);
    EXPECT_EQ(a.data(), memory);
}
