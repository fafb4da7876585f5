#include "curves/CurveGraphPath.h"

namespace qx::curves {

namespace {

class PathBuilder {
public:
    PathBuilder(const ChartProps &p, const Mapper &map, int axis, std::vector<QPoint> &out)
        : map_(map), minY_(p.MinY[axis]), maxY_(p.MaxY[axis]), yStep_(p.YStep), out_(out)
    {
    }
    bool inRange(const DataPoint &d) const { return d.y >= minY_ && d.y <= maxY_; }
    void start(const DataPoint &d)
    {
        const QPoint q = map_(d.x, d.y);
        push(q);
        prevY_ = q.y();
    }
    void join(const DataPoint &d)
    {
        const QPoint q = map_(d.x, d.y);
        if (yStep_)
            push(QPoint(q.x(), prevY_));
        push(q);
        prevY_ = q.y();
    }

private:
    void push(QPoint q)
    {
        if (out_.empty() || out_.back() != q)
            out_.push_back(q);
    }
    const Mapper &map_;
    float minY_, maxY_;
    bool yStep_;
    int prevY_ = 0;
    std::vector<QPoint> &out_;
};

} // namespace

void buildPath(const CurveRec &c, const ChartProps &p, const Mapper &map, int W, std::vector<QPoint> &out)
{
    out.clear();
    const int64_t n = c.DpCnt;
    if (n < 1)
        return;
    const int axis = c.AxesY >= 0 && c.AxesY <= 2 ? c.AxesY : 0;
    PathBuilder path(p, map, axis, out);
    const DataPoint *d = c.Dp.data();

    if (!p.Large) {
        // Point 0 starts the path whether or not it is in range.
        path.start(d[0]);
        const int64_t s = thinStep(n, W);
        for (int64_t j = 1; j <= n - 1; j += s)
            if (path.inRange(d[j]))
                path.join(d[j]);
        if (path.inRange(d[n - 1]))
            path.join(d[n - 1]);
        return;
    }

    const PointSpan span = zoomSpan(c, p.MinX, p.MaxX);
    const int64_t first = span.first, last = span.last;
    const int64_t s = thinStep(last - first + 1, W);
    bool started = false;
    for (int64_t j = first; j <= last; j += s) {
        if (!path.inRange(d[j]))
            continue;
        if (started)
            path.join(d[j]);
        else
            path.start(d[j]);
        started = true;
    }
    if (started && path.inRange(d[last]))
        path.join(d[last]);
}

} // namespace qx::curves
