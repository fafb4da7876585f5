#include "curves/CurveGraphData.h"

#include "curves/CurveSlots.h"
#include "platform/QxError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace qx::curves {

namespace {

void freshSlots(CurveRec &c)
{
    c.Dp.clear();
    c.Dp.resize(2);
    c.DpCnt = 0;
    c.xRising = true;
    c.Env.clear();
}

// Slots that AddXY leaves after `count` points (count >= 1): the last growth
// happened when the count stood at the multiple of GrowBy just below it.
size_t slotsFor(int64_t count)
{
    return size_t((count - 1) / CurveTable::GrowBy * CurveTable::GrowBy + CurveTable::GrowBy + 1);
}

} // namespace

CurveTable::CurveTable() { setCurveCount(CurvesPerSet); }

void CurveTable::setCurveCount(int n)
{
    n = std::clamp(n, 1, MaxCurves);
    curves_.resize(size_t(n));
    for (auto &c : curves_)
        c.ShowLegend = false;
    // The voltage and current curves of the newest five-curve block; with
    // fewer than five curves there is no such block and nothing is coloured.
    if (n >= CurvesPerSet) {
        curves_[size_t(lastSetSlot(n, Curve::Voltage))].LineColor = Blue;
        curves_[size_t(lastSetSlot(n, Curve::Current))].LineColor = Red;
    }
}

CurveRec &CurveTable::curve(int Index)
{
    if (Index < 0 || Index >= CurveCount())
        raise(ErrSubscript);
    return curves_[size_t(Index)];
}

const CurveRec &CurveTable::curve(int Index) const
{
    return const_cast<CurveTable *>(this)->curve(Index);
}

void CurveTable::AddXY(int Index, float x, float y)
{
    CurveRec &c = curve(Index);
    if (c.DpCnt == std::numeric_limits<int32_t>::max())
        raise(ErrOverflow);
    try {
        c.Dp.set(size_t(c.DpCnt), DataPoint{x, y});
    } catch (const std::bad_alloc &) {
        raise(ErrOutOfMemory);
    }
    if (c.DpCnt % GrowBy == 0)
        c.Dp.resize(size_t(c.DpCnt) + GrowBy + 1);
    if (c.DpCnt > 0 && !(x >= c.Dp.data()[c.DpCnt - 1].x))
        c.xRising = false;
    ++c.DpCnt;
    if (c.DpCnt % PointEnvelope::BlockPoints == 0)
        c.Env.extend(c.Dp.data(), c.DpCnt);
}

void CurveTable::AddPoints(int Index, const DataPoint *points, int32_t n)
{
    CurveRec &c = curve(Index);
    if (n <= 0)
        return;
    if (n > std::numeric_limits<int32_t>::max() - c.DpCnt)
        raise(ErrOverflow);
    const int64_t count = int64_t(c.DpCnt) + n;
    try {
        c.Dp.reserve(size_t(count));
    } catch (const std::bad_alloc &) {
        raise(ErrOutOfMemory);
    }
    const size_t slots = slotsFor(count);
    if (slots > c.Dp.size())
        c.Dp.resize(slots);
    DataPoint *to = c.Dp.data() + c.DpCnt;
    bool rising = c.xRising;
    for (int32_t k = 0; k < n; ++k) {
        const DataPoint d = points[k];
        if (c.DpCnt + k > 0 && !(d.x >= to[k - 1].x))
            rising = false;
        to[k] = d;
    }
    c.xRising = rising;
    c.DpCnt = int32_t(count);
    c.Env.extend(c.Dp.data(), c.DpCnt);
}

void CurveTable::TakePoints(int Index, PointStore &&points, std::optional<bool> xRising)
{
    CurveRec &c = curve(Index);
    const size_t most = size_t(std::numeric_limits<int32_t>::max());
    try {
        points.reserve(std::min(points.size(), most)); // every point to take held in memory
    } catch (const std::bad_alloc &) {
        raise(ErrOutOfMemory);
    }
    if (c.DpCnt > 0 || points.empty() || points.size() > most) {
        AddPoints(Index, points.data(), int32_t(std::min(points.size(), most)));
        return;
    }
    const auto n = int32_t(points.size());
    const DataPoint *d = points.data();
    bool rising = xRising.value_or(true);
    for (int32_t k = 1; !xRising && k < n && rising; ++k)
        rising = d[k].x >= d[k - 1].x;
    points.resize(slotsFor(n));
    c.Dp = std::move(points);
    c.DpCnt = n;
    c.xRising = rising;
    c.Env.clear();
    c.Env.extend(c.Dp.data(), n);
}

void CurveTable::Clear(int Index) { freshSlots(curve(Index)); }

void CurveTable::ClearAll()
{
    for (auto &c : curves_)
        freshSlots(c);
}

DataPoint CurveTable::slot(int Index, int32_t n) const
{
    const CurveRec &c = curve(Index);
    if (n < 0 || size_t(n) >= c.Dp.size())
        raise(ErrSubscript);
    return c.Dp[size_t(n)];
}

float CurveTable::DpX(int Index, int32_t n) const { return slot(Index, n).x; }
float CurveTable::DpY(int Index, int32_t n) const { return slot(Index, n).y; }

void CurveTable::setDpY(int Index, int32_t n, float y)
{
    DataPoint d = slot(Index, n); // checks
    d.y = y;
    try {
        CurveRec &c = curves_[size_t(Index)];
        c.Dp.set(size_t(n), d); // a spare slot may need memory
        if (n < c.DpCnt)
            c.Env.changed(c.Dp.data(), n);
    } catch (const std::bad_alloc &) {
        raise(ErrOutOfMemory);
    }
}

int32_t thinStep(int64_t n, double w)
{
    if (!(w >= 1))
        w = 1;
    const double s = std::nearbyint(double(n) / (4.0 * w) + 1.0);
    const double most = double(std::max<int64_t>(n, 1));
    return int32_t(std::clamp(s, 1.0, std::min(most, double(std::numeric_limits<int32_t>::max()))));
}

int32_t firstVisitedAtOrAbove(const CurveRec &c, double xd, int32_t s)
{
    const int32_t n = c.DpCnt;
    if (n <= 0 || s < 1)
        return -1;
    const int32_t steps = (n - 1) / s; // visited points are k * s, k = 0 .. steps
    const DataPoint *d = c.Dp.data();
    auto at = [&](int32_t k) { return double(d[size_t(k) * size_t(s)].x); };
    if (c.xRising) {
        int32_t lo = 0, hi = steps + 1; // first k with x >= xd lies in [lo, hi]
        while (lo < hi) {
            const int32_t mid = lo + (hi - lo) / 2;
            if (at(mid) >= xd)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo <= steps ? lo * s : -1;
    }
    for (int32_t k = 0; k <= steps; ++k)
        if (at(k) >= xd)
            return k * s;
    return -1;
}

PointSpan zoomSpan(const CurveRec &c, float minX, float maxX)
{
    const int32_t n = c.DpCnt;
    PointSpan span{0, n - 1};
    if (n <= 0)
        return span;
    const DataPoint *begin = c.Dp.data(), *end = begin + n;
    if (c.xRising) {
        const int32_t jMax = int32_t(std::partition_point(begin, end, [&](const DataPoint &p) { return !(p.x >= maxX); }) - begin);
        const int32_t jMin = int32_t(std::partition_point(begin, end, [&](const DataPoint &p) { return !(p.x >= minX); }) - begin);
        span.first = (jMin < n && jMin <= jMax) ? jMin : 0;
        span.last = jMax == n ? n - 1 : (jMax == 0 ? 0 : jMax - 1);
        return span;
    }
    int32_t first = -1;
    for (int32_t j = 0; j < n; ++j) {
        const float x = begin[j].x;
        if (first < 0 && x >= minX)
            first = j;
        if (x >= maxX) {
            span.last = j == 0 ? 0 : j - 1;
            break;
        }
    }
    span.first = first < 0 ? 0 : first;
    return span;
}

} // namespace qx::curves
