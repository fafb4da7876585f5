#include "curves/PointEnvelope.h"

#include <cmath>
#include <new>

namespace qx::curves {

namespace {

// Joins b, which follows a, into a.
void merge(BlockSummary &a, const BlockSummary &b)
{
    a.gap = a.gap || b.gap;
    if (!b.any)
        return;
    if (!a.any) {
        const bool gap = a.gap;
        a = b;
        a.gap = gap;
        return;
    }
    // Ties keep the earlier point. The order of low and high follows the
    // block each comes from, or that block's own order when both do.
    const bool lowFromB = b.low.y < a.low.y, highFromB = b.high.y > a.high.y;
    if (lowFromB)
        a.low = b.low;
    if (highFromB)
        a.high = b.high;
    if (lowFromB && highFromB)
        a.lowFirst = b.lowFirst;
    else if (lowFromB || highFromB)
        a.lowFirst = highFromB;
}

} // namespace

BlockSummary PointEnvelope::summarise(const DataPoint *d)
{
    LowHigh lh;
    bool gap = false;
    for (int32_t k = 0; k < BlockPoints; ++k) {
        const DataPoint p = d[k];
        if (std::isnan(p.x) || std::isnan(p.y))
            gap = true;
        else
            lh.take(p, k);
    }
    BlockSummary s = lh.done();
    s.gap = gap;
    return s;
}

void PointEnvelope::extend(const DataPoint *d, int32_t count)
{
    // Summaries that cannot be had for want of memory are made by a later
    // call; until then their points are read one by one.
    try {
        for (int32_t b = blocks(); (int64_t(b) + 1) * BlockPoints <= count; ++b)
            blocks_.push_back(summarise(d + int64_t(b) * BlockPoints));
    } catch (const std::bad_alloc &) {
    }
}

void PointEnvelope::changed(const DataPoint *d, int32_t n)
{
    const int32_t b = n / BlockPoints;
    if (n >= 0 && b < blocks())
        blocks_[size_t(b)] = summarise(d + int64_t(b) * BlockPoints);
}

BlockSummary PointEnvelope::span(int32_t from, int32_t to) const
{
    BlockSummary s = blocks_[size_t(from)];
    for (int32_t b = from + 1; b < to; ++b)
        merge(s, blocks_[size_t(b)]);
    return s;
}

} // namespace qx::curves
