#include "curves/CurveGraphAxes.h"

#include "platform/Numbers.h"

#include <algorithm>
#include <cmath>

namespace qx::curves {

namespace {

// Nearest whole number (halves to even), held inside the pixel band.
int px(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::nearbyint(std::clamp(v, double(-PixelBand), double(PixelBand))));
}

// Whole-number value of a label, kept where 64-bit arithmetic is exact.
double wholeValue(double v)
{
    if (std::isnan(v))
        return 0;
    return std::nearbyint(std::clamp(v, -9.0e15, 9.0e15));
}

// Grid lines stepping from `start` by `step` (single precision, as the frame
// has always stepped) while `inside` holds; bounded so that a degenerate
// picture (no height or width left for the plot) cannot loop for ever.
template <class Inside, class Emit>
void gridRun(float start, float step, int div, Inside inside, Emit emit)
{
    const int most = 2 * std::max(div, 0) + 2;
    float v = start;
    for (int k = 0; k < most && inside(v); ++k, v += step)
        emit(v);
}

// Two texts of one value axis, one above the other, overlap by no more than
// MaxLabelOverlap of the lower one's height (a text's box holds blank rows
// above its digits, and the digits leave the rows below the baseline empty).
bool standApart(const TextItem &a, const TextItem &b)
{
    const int overlap = std::min(a.topLeft.y() + a.size.height(), b.topLeft.y() + b.size.height()) -
                        std::max(a.topLeft.y(), b.topLeft.y());
    const int lowerHeight = a.topLeft.y() > b.topLeft.y() ? a.size.height() : b.size.height();
    return overlap <= 0 || overlap <= lowerHeight * MaxLabelOverlap;
}

} // namespace

Scales computeScales(const ChartProps &p, int W, int H, int RM)
{
    Scales s;
    s.XScale = (p.MaxX - p.MinX) / float(W - 50 - RM);
    for (int i = 0; i < 3; ++i)
        s.YScale[i] = (p.MaxY[i] - p.MinY[i]) / float(H - 90);
    return s;
}

QPoint Mapper::operator()(float x, float y) const
{
    const float dx = (x - minX) / xScale;
    const float dy = (y - minY) / yScale;
    // Rounded offsets first, then the origin, as the frame's labels are placed.
    const int ox = px(dx), oy = px(dy);
    return QPoint(std::clamp(ox + 50, -PixelBand, PixelBand), std::clamp(H - (oy + 50), -PixelBand, PixelBand));
}

Mapper mapperFor(const ChartProps &p, const Scales &s, int axis, int H)
{
    axis = std::clamp(axis, 0, 2);
    return Mapper{p.MinX, s.XScale, p.MinY[axis], s.YScale[axis], H};
}

QString xLabelText(double v, int xBarType)
{
    v = wholeValue(v);
    if (xBarType != 0)
        return num::format(v, u"0");
    // Before the start of a run the time counts back: a sign, then the
    // time of the value's size.
    const bool negative = v < 0;
    const auto t = int64_t(std::fabs(v));
    const QString h = num::format(double(t / 3600), u"00");
    const QString m = num::format(double((t % 3600) / 60), u"00");
    const QString s = num::format(double(t % 60), u"00");
    return (negative ? QStringLiteral("-") : QString()) + h + u':' + m + u':' + s;
}

FrameLayout layoutFrame(const ChartProps &p, int W, int H, const TextMeasure &measure)
{
    FrameLayout f;
    const int RM = p.RightMargin();
    f.RightMargin = RM;
    const double w = W, h = H;
    auto text = [&](const QString &t) { return TextItem{t, {}, measure(t)}; };

    // Axis lines, 5 pixels outside the plot area.
    f.axisLines.emplace_back(45, 40, 45, H - 50);
    f.axisLines.emplace_back(50, H - 45, W - RM, H - 45);
    if (p.ShowAxesY1 || p.ShowAxesY2)
        f.axisLines.emplace_back(W - RM + 5, H - 50, W - RM + 5, 40);
    if (p.BothAxesY())
        f.axisLines.emplace_back(W - RM / 2 + 5, H - 50, W - RM / 2 + 5, 40);

    // x labels and ticks. A label that would come closer than
    // MinLabelGap to the last one shown is left out (its tick stays), so a
    // narrow chart shows every second or third label instead of a run of
    // digits.
    if (p.XDiv > 0) {
        int lastRight = 0;
        bool any = false;
        for (int i = 0; i <= p.XDiv; ++i) {
            const double tx = (w - 50 - RM) / p.XDiv * i + 50;
            const double v = (double(p.MaxX) - p.MinX) / p.XDiv * i + p.MinX;
            TextItem t = text(xLabelText(v, p.xBarType));
            t.topLeft = QPoint(px(tx - t.size.width() / 2.0), px(h - 50 + 12 + t.size.height() / 2.0));
            if (!any || t.topLeft.x() >= lastRight + MinLabelGap) {
                lastRight = t.topLeft.x() + t.size.width();
                any = true;
                f.labels.push_back(t);
            }
            f.axisLines.emplace_back(px(tx), H - 45, px(tx), H - 39);
        }
    }

    // Value axis labels, ticks and unit text; labelLeft is the labels' left
    // edge (null for the left axis, whose labels end 16 pixels left of the
    // plot area), tickX where the ticks of a right axis start. Labels are
    // taken from the bottom up; one that would overlap the last one shown by
    // more than MaxLabelOverlap of its height is left out (its tick stays),
    // so a short chart shows every second or third value instead of a smear
    // of digits. The unit stands half a division above the top label, moved
    // up as far as it must to keep clear of it, but never above the
    // picture's top edge; where even that is too close, the top labels give
    // way to it.
    auto valueAxis = [&](int a, const QString &picture, const QString &unit, const double *labelLeft, double tickX) {
        const int div = p.YDiv[a];
        if (div <= 0)
            return;
        auto placed = [&](const QString &s, double ty) {
            TextItem t = text(s);
            const int left = labelLeft ? px(*labelLeft) : 34 - t.size.width();
            t.topLeft = QPoint(left, px(ty - t.size.height() / 2.0));
            return t;
        };
        std::vector<TextItem> shown;
        for (int k = 0; k <= div; ++k) {
            const double ty = (h - 50) - (h - 90) / div * k;
            const double v = (double(p.MaxY[a]) - p.MinY[a]) / div * k + p.MinY[a];
            const TextItem t = placed(num::format(v, picture), ty);
            if (shown.empty() || standApart(t, shown.back()))
                shown.push_back(t);
            const int y = px(ty);
            if (labelLeft)
                f.axisLines.emplace_back(px(tickX), y, px(tickX + 6), y);
            else
                f.axisLines.emplace_back(45, y, 39, y);
        }
        TextItem u = placed(unit, (h - 50) - (h - 90) / div * (div + 0.5));
        if (!shown.empty()) {
            const TextItem &top = shown.back();
            const int clear = top.topLeft.y() - u.size.height() + int(top.size.height() * MaxLabelOverlap);
            u.topLeft.setY(std::min(u.topLeft.y(), clear));
        }
        u.topLeft.setY(std::max(u.topLeft.y(), 0));
        while (!shown.empty() && !standApart(shown.back(), u))
            shown.pop_back();
        f.labels.insert(f.labels.end(), shown.begin(), shown.end());
        f.labels.push_back(u);
    };
    valueAxis(0, QStringLiteral("0.00"), QStringLiteral("[V]"), nullptr, 0);
    if (p.ShowAxesY1) {
        const double left = w - RM + 16;
        valueAxis(1, QStringLiteral("0.00"), p.AxesY1Txt, &left, w - RM + 5);
    }
    if (p.ShowAxesY2) {
        const int R2 = p.BothAxesY() ? int(std::nearbyint(RM / 2.0)) : RM;
        const double left = w - R2 + 16;
        valueAxis(2, QStringLiteral("0.0"), p.AxesY2Txt, &left, w - R2 + 5);
    }

    // Grids: the half-division grid, then the major grid. The horizontal
    // lines follow the left axis's divisions only.
    const float plotH = float(H - 90), plotW = float(W - 50 - RM);
    const int right = px(w - RM);
    auto horizontal = [&](std::vector<QLine> &out, float start) {
        if (p.YDiv[0] <= 0 || plotH <= 0)
            return;
        const float step = -plotH / float(p.YDiv[0]) + 0.0001f;
        gridRun(start, step, p.YDiv[0], [](float y) { return y >= 40; },
                [&](float y) { out.emplace_back(50, px(y), right, px(y)); });
    };
    auto vertical = [&](std::vector<QLine> &out, float start) {
        if (p.XDiv <= 0 || plotW <= 0)
            return;
        const float step = plotW / float(p.XDiv) - 0.0001f;
        gridRun(start, step, p.XDiv, [&](float x) { return x <= float(W - RM); },
                [&](float x) { out.emplace_back(px(x), H - 50, px(x), 40); });
    };
    if (p.YDiv[0] > 0)
        horizontal(f.halfGrid, float(H - 50) - plotH / float(2 * p.YDiv[0]));
    if (p.XDiv > 0)
        vertical(f.halfGrid, 50.0f + plotW / float(2 * p.XDiv));
    horizontal(f.majorGrid, float(H - 50));
    vertical(f.majorGrid, 50.0f);

    // Watermark: inside the plot area, 5 pixels from its right edge.
    f.watermark = text(WatermarkText);
    f.watermark.topLeft = QPoint(px(w - RM - f.watermark.size.width() - 5), 50);
    return f;
}

} // namespace qx::curves
