#include "curves/CurveGraphRender.h"

#include "curves/CurveGraphPath.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

namespace qx::curves {

QFont frameFont()
{
    // A small sans-serif font with a character cell of about 13 pixels.
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

Qt::PenStyle penStyleOf(int style)
{
    switch (style) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

namespace {

void drawText(QPainter &g, const TextItem &t, const QColor &back, const QFontMetrics &fm)
{
    // Texts stand on an opaque box of the background colour.
    const QRect box(t.topLeft, t.size);
    g.fillRect(box, back);
    g.drawText(t.topLeft.x(), t.topLeft.y() + fm.ascent(), t.text);
}

// A pen `width` chart pixels wide on a buffer of the given pixel ratio:
// whole buffer pixels, at least one.
QPen linePen(const QColor &colour, int width, qreal ratio, Qt::PenStyle style = Qt::SolidLine,
             Qt::PenCapStyle cap = Qt::FlatCap)
{
    QPen pen(colour, std::max(1, int(std::lround(width * ratio))), style, cap, Qt::RoundJoin);
    pen.setCosmetic(true);
    return pen;
}

// Lines on a scaled buffer are centred on the middle of the chart pixel
// they run along, so a one-pixel line at x = 45 covers what pixel 45 covers.
void centreOnPixels(QPainter &g, qreal ratio)
{
    if (ratio != 1)
        g.setTransform(QTransform::fromTranslate(0.5, 0.5));
}

// A narrow pen w pixels wide is the one-pixel line laid again w - 1 pixels
// to the right and w - 1 pixels down: the raster engine draws one-pixel
// lines several times faster than it strokes wide ones. On a scaled buffer
// the pen is stroked in buffer pixels instead.
void drawPolyline(QPainter &g, const QPoint *pts, int count, const QColor &colour, int width, qreal ratio)
{
    if (ratio != 1) {
        g.setPen(linePen(colour, width, ratio, Qt::SolidLine, Qt::RoundCap));
        centreOnPixels(g, ratio);
        g.drawPolyline(pts, count);
        g.resetTransform();
        return;
    }
    if (width > 3) {
        g.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        g.drawPolyline(pts, count);
        return;
    }
    g.setPen(QPen(colour, 0));
    const int back = (width - 1) / 2;
    for (int d = 0; d < 2 * width - 1; ++d) {
        const int dx = d < width ? d : 0, dy = d < width ? 0 : d - width + 1;
        g.setTransform(QTransform::fromTranslate(dx - back, dy - back));
        g.drawPolyline(pts, count);
    }
    g.resetTransform();
}

} // namespace

QRect curveClip(QSize size, const ChartProps &p)
{
    const int width = std::clamp<int>(p.Line, 1, 50);
    const int before = (width - 1) / 2, after = width / 2;
    return QRect(QPoint(50 - before, 40 - before),
                 QPoint(size.width() - p.RightMargin() + after, size.height() - 50 + after));
}

QImage CurveRenderer::buffer(QSize size, qreal ratio)
{
    if (size.isEmpty())
        return {};
    if (!(ratio > 0))
        ratio = 1;
    QImage img(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)), QImage::Format_RGB32);
    if (img.isNull())
        return img;
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::white);
    return img;
}

void CurveRenderer::prepare(QSize size, qreal ratio, const ChartProps &p, const CurveTable *t, const QFont &font)
{
    size_ = size;
    ratio_ = ratio > 0 ? ratio : 1;
    props_ = p;
    font_ = font;
    curves_.clear();
    if (size.isEmpty())
        return;
    const bool kept = !frame_.isNull() && frame_.devicePixelRatio() == ratio_ && frameSize_ == size &&
                      frameProps_ == p && frameFont_ == font;
    if (!kept)
        keepFrame(size, p, font); // null when memory is short: drawn at each paint
    width_ = std::clamp<int>(p.Line, 1, 50);
    clip_ = curveClip(size, p);
    if (!t)
        return;
    const int W = size.width(), H = size.height();
    const Scales s = computeScales(p, W, H, p.RightMargin());
    for (int c = 0; c < t->CurveCount(); ++c) {
        const CurveRec &curve = t->curve(c);
        if (!curve.ShowCurve || curve.DpCnt < 1)
            continue;
        CurvePath path;
        path.colour = oleToColor(curve.LineColor);
        buildPath(curve, p, mapperFor(p, s, curve.AxesY, H), W, path.points, path.starts);
        // Stretches of 16 points, so a paint of part of the chart
        // (the cursor line moving) draws only those that come near it.
        constexpr size_t Points = 16;
        for (size_t k = 0; k < path.starts.size(); ++k) {
            const size_t from = path.starts[k];
            const size_t to = k + 1 < path.starts.size() ? path.starts[k + 1] : path.points.size();
            for (size_t a = from; a + 1 < to; a += Points) {
                const size_t b = std::min(to, a + Points + 1);
                int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
                for (size_t j = a; j < b; ++j) {
                    const QPoint q = path.points[j];
                    left = std::min(left, q.x());
                    right = std::max(right, q.x());
                    top = std::min(top, q.y());
                    bottom = std::max(bottom, q.y());
                }
                path.stretches.push_back({a, b, QRect(QPoint(left, top), QPoint(right, bottom))});
            }
        }
        curves_.push_back(std::move(path));
    }
}

void CurveRenderer::keepFrame(QSize size, const ChartProps &p, const QFont &font)
{
    frame_ = buffer(size, ratio_);
    if (!frame_.isNull()) {
        QPainter g(&frame_);
        paintFrame(g, size, ratio_, p, font);
    }
    frameSize_ = size;
    frameProps_ = p;
    frameFont_ = font;
}

void CurveRenderer::paint(QPainter &g, const QRegion &exposed)
{
    if (size_.isEmpty())
        return;
    if (frame_.isNull())
        keepFrame(size_, props_, font_); // let go while hidden: drawn again as it was prepared
    if (frame_.isNull())
        paintFrame(g, size_, ratio_, props_, font_); // no memory to keep it
    else
        g.drawImage(QPointF(0, 0), frame_);
    if (curves_.empty() || !exposed.intersects(clip_))
        return;
    g.save();
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setClipRect(clip_);
    const bool whole = QRegion(clip_).subtracted(exposed).isEmpty();
    for (const CurvePath &c : curves_) {
        if (whole) {
            for (size_t k = 0; k < c.starts.size(); ++k) {
                const size_t from = c.starts[k], to = k + 1 < c.starts.size() ? c.starts[k + 1] : c.points.size();
                if (to - from >= 2)
                    drawPolyline(g, c.points.data() + from, int(to - from), c.colour, width_, ratio_);
            }
            continue;
        }
        // A part of the picture: the stretches that come near it (within
        // a line's width).
        for (const Stretch &st : c.stretches)
            if (exposed.intersects(st.box.adjusted(-width_, -width_, width_, width_)))
                drawPolyline(g, c.points.data() + st.from, int(st.to - st.from), c.colour, width_, ratio_);
    }
    g.restore();
}

void CurveRenderer::drawInto(QImage &img)
{
    if (img.isNull())
        return;
    QPainter g(&img);
    paint(g, QRect(QPoint(0, 0), size_));
}

void CurveRenderer::drawFrame(QImage &img, QSize size, const ChartProps &p, const QFont &font)
{
    prepare(size, img.devicePixelRatio(), p, nullptr, font);
    drawInto(img);
}

void CurveRenderer::drawChart(QImage &img, QSize size, const ChartProps &p, const CurveTable &t, const QFont &font)
{
    prepare(size, img.devicePixelRatio(), p, &t, font);
    drawInto(img);
}

void CurveRenderer::paintFrame(QPainter &g, QSize size, qreal ratio, const ChartProps &p, const QFont &font)
{
    const int W = size.width(), H = size.height();
    g.save();
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setFont(font);
    const QFontMetrics fm(font);
    const FrameLayout f = layoutFrame(p, W, H, [&](const QString &s) { return QSize(fm.horizontalAdvance(s), fm.height()); });

    const QColor back = oleToColor(p.BackColor), axes = oleToColor(p.AxesColor), grid = oleToColor(p.GridColor);
    // The whole surface: a scaled one may reach a fraction of a pixel past W x H.
    g.fillRect(QRectF(0, 0, std::ceil(W * ratio) / ratio, std::ceil(H * ratio) / ratio), back);

    g.setPen(ratio == 1 ? QPen(axes, 1, Qt::SolidLine, Qt::FlatCap) : linePen(axes, 1, ratio));
    centreOnPixels(g, ratio);
    g.drawLines(f.axisLines.data(), int(f.axisLines.size()));
    g.resetTransform();
    for (const TextItem &t : f.labels)
        drawText(g, t, back, fm);

    auto gridPen = [&](int type) {
        return ratio == 1 ? QPen(grid, 1, penStyleOf(type), Qt::FlatCap) : linePen(grid, 1, ratio, penStyleOf(type));
    };
    centreOnPixels(g, ratio);
    g.setPen(gridPen(p.GridType2));
    g.drawLines(f.halfGrid.data(), int(f.halfGrid.size()));
    g.setPen(gridPen(p.GridType1));
    g.drawLines(f.majorGrid.data(), int(f.majorGrid.size()));
    g.resetTransform();

    g.setPen(grid);
    drawText(g, f.watermark, back, fm);
    g.restore();
}

} // namespace qx::curves
