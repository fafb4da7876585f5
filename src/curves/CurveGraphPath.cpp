#include "curves/CurveGraphPath.h"

#include <algorithm>
#include <cmath>

namespace qx::curves {

namespace {

class PathBuilder {
public:
    PathBuilder(const ChartProps &p, const Mapper &map, int axis, std::vector<QPoint> &out,
                std::vector<size_t> &starts)
        : map_(map), minY_(p.MinY[axis]), maxY_(p.MaxY[axis]), yStep_(p.YStep), out_(out), starts_(starts)
    {
    }
    static bool isGap(const DataPoint &d) { return std::isnan(d.x) || std::isnan(d.y); }
    bool inRange(const DataPoint &d) const { return !isGap(d) && d.y >= minY_ && d.y <= maxY_; }
    bool open() const { return open_; }
    // Moves the pen to the point: a new piece begins there.
    void start(const DataPoint &d)
    {
        const QPoint q = map_(d.x, d.y);
        starts_.push_back(out_.size());
        out_.push_back(q);
        prevY_ = q.y();
        open_ = true;
    }
    // Draws on to the point (a new piece when the curve was broken).
    void join(const DataPoint &d)
    {
        if (!open_) {
            start(d);
            return;
        }
        const QPoint q = map_(d.x, d.y);
        if (yStep_)
            push(QPoint(q.x(), prevY_));
        push(q);
        prevY_ = q.y();
    }
    // A point that is not a number: the piece drawn so far ends.
    void breakOff() { open_ = false; }

private:
    void push(QPoint q)
    {
        if (out_.back() != q)
            out_.push_back(q);
    }
    const Mapper &map_;
    float minY_, maxY_;
    bool yStep_;
    bool open_ = false;
    int prevY_ = 0;
    std::vector<QPoint> &out_;
    std::vector<size_t> &starts_;
};

} // namespace

void buildPath(const CurveRec &c, const ChartProps &p, const Mapper &map, int W, std::vector<QPoint> &out,
               std::vector<size_t> &starts)
{
    out.clear();
    starts.clear();
    const int64_t n = c.DpCnt;
    if (n < 1)
        return;
    const int axis = c.AxesY >= 0 && c.AxesY <= 2 ? c.AxesY : 0;
    PathBuilder path(p, map, axis, out, starts);
    const DataPoint *d = c.Dp.data();
    auto visit = [&](const DataPoint &pt) {
        if (PathBuilder::isGap(pt))
            path.breakOff();
        else if (path.inRange(pt))
            path.join(pt);
    };
    // A group of blocks goes through its lowest and highest point in their
    // order; a gap in it ends the piece before them.
    auto visitGroup = [&](const BlockSummary &g) {
        if (g.gap)
            path.breakOff();
        if (!g.any)
            return;
        const DataPoint &a = g.lowFirst ? g.low : g.high, &b = g.lowFirst ? g.high : g.low;
        if (path.inRange(a))
            path.join(a);
        if (path.inRange(b))
            path.join(b);
    };
    // Points from .. to read one by one: each run between gaps goes through
    // its lowest and highest point in their order, and every gap ends the
    // piece, so nothing is drawn across it.
    auto visitRuns = [&](int64_t from, int64_t to) {
        LowHigh run;
        auto flush = [&] {
            visitGroup(run.done());
            run = LowHigh{};
        };
        for (int64_t j = from; j <= to; ++j) {
            const DataPoint &pt = d[j];
            if (PathBuilder::isGap(pt)) {
                if (run.s.any)
                    flush();
                path.breakOff();
                continue;
            }
            run.take(pt, j);
        }
        if (run.s.any)
            flush();
    };
    constexpr int64_t B = PointEnvelope::BlockPoints;
    const int64_t whole = std::min<int64_t>(c.Env.blocks(), n / B);
    // Blocks a group holds at thinning step s: about 2 s points, two of them
    // drawn, as many as thinning draws. Less than a block: no groups.
    auto perGroup = [](int64_t s) { return (2 * s + B / 2) / B; };
    // Visits points from .. to at step s. When s calls for groups, the whole
    // blocks among them are read as groups and the points before and after
    // them (the newest readings among them) in runs of a group's size, so
    // every part of the curve keeps its peaks alike.
    auto walk = [&](int64_t from, int64_t to, int64_t s) {
        const int64_t per = perGroup(s);
        if (per < 1 || from > to) {
            for (int64_t j = from; j <= to; j += s)
                visit(d[j]);
            return;
        }
        const int64_t size = per * B;
        const int64_t firstBlock = (from + B - 1) / B;
        const int64_t groups = std::max<int64_t>(0, (std::min(whole, (to + 1) / B) - firstBlock) / per);
        const int64_t tail = groups > 0 ? (firstBlock + groups * per) * B : from;
        if (groups > 0)
            visitRuns(from, firstBlock * B - 1); // less than a block
        for (int64_t k = 0; k < groups; ++k) {
            const int64_t b0 = firstBlock + k * per, b1 = b0 + per;
            const BlockSummary g = c.Env.span(int32_t(b0), int32_t(b1));
            if (g.gap)
                visitRuns(b0 * B, b1 * B - 1); // no line across the gap
            else
                visitGroup(g);
        }
        if (to + 1 - tail > 2 * size) {
            // Points not summarised (for want of memory): read by step.
            for (int64_t j = tail; j <= to; j += s)
                visit(d[j]);
            return;
        }
        for (int64_t j = tail; j <= to; j += size)
            visitRuns(j, std::min(to, j + size - 1));
    };

    if (!p.Large) {
        // Point 0 starts the path whether or not it is in range; thinning
        // visits from point 1, groups from block 0 (point 0 again is no
        // new pixel).
        if (!PathBuilder::isGap(d[0]))
            path.start(d[0]);
        const int64_t s = thinStep(n, W);
        walk(perGroup(s) >= 1 ? 0 : 1, n - 1, s);
        if (path.inRange(d[n - 1]))
            path.join(d[n - 1]);
        return;
    }

    // The window's points and, where the window ends between two points,
    // the one beyond each end: the curve runs on to the plot area's edge
    // (where drawing clips it).
    const PointSpan span = zoomSpan(c, p.MinX, p.MaxX);
    int64_t first = span.first, last = span.last;
    if (first == last + 1 && first > 0) {
        // The window falls between two points: the line between them.
        first = last;
        last = first + 1;
    } else {
        if (first > 0 && first <= last && d[first].x > p.MinX)
            --first;
        if (last + 1 < n && d[last + 1].x >= p.MaxX && !(d[last].x >= p.MaxX))
            ++last;
    }
    // The first visited point in range starts the path.
    walk(first, last, thinStep(last - first + 1, W));
    if (!starts.empty() && path.inRange(d[last]))
        path.join(d[last]);
}

} // namespace qx::curves
