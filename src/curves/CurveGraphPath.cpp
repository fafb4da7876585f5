#include "curves/CurveGraphPath.h"

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

    if (!p.Large) {
        // Point 0 starts the path whether or not it is in range.
        if (!PathBuilder::isGap(d[0]))
            path.start(d[0]);
        const int64_t s = thinStep(n, W);
        for (int64_t j = 1; j <= n - 1; j += s)
            visit(d[j]);
        if (path.inRange(d[n - 1]))
            path.join(d[n - 1]);
        return;
    }

    const PointSpan span = zoomSpan(c, p.MinX, p.MaxX);
    const int64_t first = span.first, last = span.last;
    const int64_t s = thinStep(last - first + 1, W);
    // The first visited point in range starts the path.
    for (int64_t j = first; j <= last; j += s)
        visit(d[j]);
    if (!starts.empty() && path.inRange(d[last]))
        path.join(d[last]);
}

} // namespace qx::curves
