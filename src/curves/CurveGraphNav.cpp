#include "curves/CurveGraphNav.h"

#include "platform/Numbers.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace qx::curves {

namespace {

double r(double v) { return std::nearbyint(v); }

// A whole number for a scroll bar, inside the bar's range.
int barInt(double v)
{
    if (std::isnan(v))
        return 0;
    return int(r(std::clamp(v, 0.0, double(INT_MAX / 2))));
}

} // namespace

bool zoomToBand(ChartProps &p, ZoomState &z, const QRect &band, const Scales &s, int H)
{
    const int L = band.left(), T = band.top(), BW = band.width(), BH = band.height();
    if (BW <= MinZoomBand || BH <= MinZoomBand)
        return false;
    const float newMinX = float(r(double(L - 50) * s.XScale + p.MinX));
    const float newMaxX = float(r(double(L + BW - 50) * s.XScale + p.MinX));
    const float width = newMaxX - newMinX;
    if (!std::isfinite(newMinX) || !std::isfinite(newMaxX) || !(width > 0))
        return false; // a band narrower than one unit of x: no zoom
    float newMinY[2], newMaxY[2];
    for (int a = 0; a < 2; ++a) {
        newMinY[a] = float(double(H - T - BH - 50) * s.YScale[a] + p.MinY[a]);
        newMaxY[a] = float(double(H - T - 50) * s.YScale[a] + p.MinY[a]);
    }
    z.FullMinX = p.MinX;
    z.FullMaxX = p.MaxX;
    p.MinX = newMinX;
    p.MaxX = newMaxX;
    for (int a = 0; a < 2; ++a) {
        z.FullMinY[a] = p.MinY[a];
        z.FullMaxY[a] = p.MaxY[a];
        p.MinY[a] = newMinY[a];
        p.MaxY[a] = newMaxY[a];
    }
    z.ZoomWidth = p.MaxX - p.MinX;
    return true;
}

ZoomState saveFull(const ChartProps &p)
{
    ZoomState z;
    z.FullMinX = p.MinX;
    z.FullMaxX = p.MaxX;
    for (int a = 0; a < 2; ++a) {
        z.FullMinY[a] = p.MinY[a];
        z.FullMaxY[a] = p.MaxY[a];
    }
    z.ZoomWidth = p.MaxX - p.MinX;
    return z;
}

void restoreFull(ChartProps &p, const ZoomState &z)
{
    p.MinX = z.FullMinX;
    p.MaxX = z.FullMaxX;
    for (int a = 0; a < 2; ++a) {
        p.MinY[a] = z.FullMinY[a];
        p.MaxY[a] = z.FullMaxY[a];
    }
}

ScrollSetup scrollForZoom(const ChartProps &p, const ZoomState &z)
{
    ScrollSetup b;
    if (!(z.ZoomWidth > 0))
        return b;
    b.maximum = barInt((double(z.FullMaxX) - z.FullMinX) * 10 / z.ZoomWidth);
    if (b.maximum > 10)
        b.maximum -= 10;
    b.value = barInt((double(p.MinX) - z.FullMinX) * 10 / z.ZoomWidth);
    return b;
}

void panTo(ChartProps &p, const ZoomState &z, int v)
{
    const double steps = std::clamp(r(double(v) * z.ZoomWidth), -9.0e15, 9.0e15);
    p.MinX = z.FullMinX + float(int64_t(steps) / 10);
    if (p.MinX >= z.FullMaxX)
        p.MinX = z.FullMaxX - z.ZoomWidth;
    p.MaxX = p.MinX + z.ZoomWidth;
    if (std::fmod(r(p.MaxX), 2.0) == 1.0)
        p.MaxX += 1;
    if (p.MaxX > z.FullMaxX)
        p.MaxX = z.FullMaxX;
}

double cursorValueX(const ChartProps &p, double X, int W, int RM)
{
    const double plotW = double(W) - 50 - RM;
    if (plotW == 0)
        return r(p.MinX);
    return r((X - 50) * (double(p.MaxX) - p.MinX) / plotW + p.MinX);
}

QString readoutText(float v0, float v1, float v2, float v3)
{
    auto f = [](float v) { return num::format(v, v < 10 ? u"0.000" : u"00.00"); };
    return num::format(v0, u"0.000") + (v0 < 10 ? QStringLiteral("V   ") : QStringLiteral("V  ")) + f(v1) +
           u'A' + u'\r' + f(v2) + QStringLiteral("Ah ") + f(v3) + QStringLiteral("Wh");
}

QString cursorReadout(const CurveTable &t, const ChartProps &p, double X, int W, int RM)
{
    const double xd = cursorValueX(p, X, W, RM);
    // The first visited point at or right of the cursor that holds a
    // number: a point whose value is not a number (or is infinite) gives no
    // reading, so the read-out never shows one.
    auto found = [&](int curve) -> int32_t {
        if (curve >= t.CurveCount())
            return -1;
        const CurveRec &c = t.curve(curve);
        const int32_t s = thinStep(c.DpCnt, W);
        for (int32_t j = firstVisitedAtOrAbove(c, xd, s); j >= 0 && j < c.DpCnt; j += s) {
            const DataPoint &d = c.Dp[size_t(j)];
            if (d.x >= xd && std::isfinite(d.y))
                return j;
            if (j > c.DpCnt - 1 - s)
                break;
        }
        return -1;
    };
    auto yAt = [&](int curve, int32_t j) -> float {
        if (j < 0 || curve >= t.CurveCount() || j >= t.curve(curve).DpCnt)
            return 0;
        const float y = t.curve(curve).Dp[size_t(j)].y;
        return std::isfinite(y) ? y : 0.0f;
    };
    const int32_t j0 = found(0);
    float v[4];
    v[0] = yAt(0, j0);
    v[1] = yAt(1, found(1));
    if (p.xBarType != 0) {
        v[2] = yAt(3, j0);
        v[3] = yAt(4, j0);
    } else {
        v[2] = yAt(3, found(3));
        v[3] = yAt(4, found(4));
    }
    return readoutText(v[0], v[1], v[2], v[3]);
}

QPoint legendDrop(QPointF topLeft, QSize legend, QSize surface)
{
    const double maxLeft = std::max(0, surface.width() - legend.width());
    const double maxTop = std::max(0, surface.height() - legend.height());
    auto snap = [](double v, double most) {
        v = std::isnan(v) ? 0 : std::clamp(v, 0.0, most);
        return int(r(v)) / 5 * 5;
    };
    return QPoint(snap(topLeft.x(), maxLeft), snap(topLeft.y(), maxTop));
}

namespace {

// The column of each legend, as legendColumns stacks them (heights only),
// and the widest legend of each column.
struct LegendColumnPlan {
    std::vector<int> column, widths;
    std::vector<int> y;
};

LegendColumnPlan planColumns(const QRect &first, const std::vector<QSize> &legends, int bottom)
{
    LegendColumnPlan plan;
    plan.column.resize(legends.size());
    plan.y.resize(legends.size());
    plan.widths = {first.width()};
    int y = first.bottom() + 1 + LegendGap, inColumn = 1;
    for (size_t k = 0; k < legends.size(); ++k) {
        const QSize s = legends[k];
        if (y + s.height() > bottom && inColumn > 0) {
            plan.widths.push_back(0);
            y = first.top();
            inColumn = 0;
        }
        plan.column[k] = int(plan.widths.size()) - 1;
        plan.widths.back() = std::max(plan.widths.back(), s.width());
        plan.y[k] = y;
        y += s.height() + LegendGap;
        ++inColumn;
    }
    return plan;
}

} // namespace

std::vector<QPoint> legendColumns(const QRect &first, const std::vector<QSize> &legends, int bottom)
{
    const LegendColumnPlan plan = planColumns(first, legends, bottom);
    // Each column left of the one before.
    std::vector<int> lefts{first.left()};
    for (size_t c = 1; c < plan.widths.size(); ++c)
        lefts.push_back(lefts.back() - LegendColumnGap - plan.widths[c]);
    std::vector<QPoint> at(legends.size());
    for (size_t k = 0; k < legends.size(); ++k)
        at[k] = QPoint(lefts[size_t(plan.column[k])], plan.y[k]);
    return at;
}

int legendWidthCap(const QRect &first, const std::vector<QSize> &legends, int bottom, int room)
{
    std::vector<int> widths = planColumns(first, legends, bottom).widths;
    const int gaps = LegendColumnGap * (int(widths.size()) - 1);
    int64_t total = gaps;
    for (int w : widths)
        total += w;
    if (total <= room)
        return INT_MAX;
    // Cut the widest columns to one width, the least cut that fits: with
    // the k narrowest columns kept, the others share what is left.
    std::sort(widths.begin(), widths.end());
    int64_t kept = 0;
    const int count = int(widths.size());
    for (int k = 0; k < count; ++k) {
        const int64_t share = (int64_t(room) - gaps - kept) / (count - k);
        if (share < widths[size_t(k)])
            return int(std::max<int64_t>(1, share));
        kept += widths[size_t(k)];
    }
    return 1;
}

} // namespace qx::curves
