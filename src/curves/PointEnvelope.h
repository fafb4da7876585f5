#pragma once
// The lowest and the highest point of every whole block of a curve's points,
// kept up to date as points are added. A picture of millions of points
// reads these summaries, a few kilobytes side by side, instead of single
// points scattered over the whole store (a cache and page miss each).
#include "curves/PointStore.h"

#include <cstdint>
#include <vector>

namespace qx::curves {

// One block of points, or several following one another.
struct BlockSummary {
    DataPoint low, high; // the points of smallest and largest y (the first of equals)
    bool lowFirst = true; // low comes before high (or is the same point)
    bool gap = false;     // some point's x or y is not a number
    bool any = false;     // some point is a number in x and y (low and high are valid)
};

// Gathers a BlockSummary's low and high from points taken in order (the
// points must be numbers; `at` is their place, rising).
struct LowHigh {
    BlockSummary s;
    int64_t lowAt = 0, highAt = 0;
    void take(const DataPoint &p, int64_t at)
    {
        if (!s.any) {
            s.low = s.high = p;
            lowAt = highAt = at;
            s.any = true;
            return;
        }
        if (p.y < s.low.y) {
            s.low = p;
            lowAt = at;
        }
        if (p.y > s.high.y) {
            s.high = p;
            highAt = at;
        }
    }
    BlockSummary done() const
    {
        BlockSummary r = s;
        r.lowFirst = lowAt <= highAt;
        return r;
    }
};

class PointEnvelope {
public:
    static constexpr int32_t BlockPoints = 256;

    // Summarised blocks: points 0 .. blocks() * BlockPoints - 1.
    int32_t blocks() const { return int32_t(blocks_.size()); }
    // Summarises the whole blocks of the first `count` points at d that are
    // not summarised yet (as many as memory allows).
    void extend(const DataPoint *d, int32_t count);
    // Point n at d changed: its block, when summarised, is summarised again.
    void changed(const DataPoint *d, int32_t n);
    void clear() { blocks_.clear(); }
    // Blocks from .. to - 1 (0 <= from < to <= blocks()) as one.
    BlockSummary span(int32_t from, int32_t to) const;

private:
    static BlockSummary summarise(const DataPoint *d);
    std::vector<BlockSummary> blocks_;
};

} // namespace qx::curves
