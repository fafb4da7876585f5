#include "curves/CurveGraphRender.h"

#include "curves/CurveGraphPath.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

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

void CurveRenderer::drawFrame(QImage &img, QSize size, const ChartProps &p, const QFont &font)
{
    if (img.isNull())
        return;
    const bool kept = !frame_.isNull() && frame_.size() == img.size() && frame_.format() == img.format() &&
                      frame_.devicePixelRatio() == img.devicePixelRatio() && frameSize_ == size &&
                      frameProps_ == p && frameFont_ == font;
    if (!kept) {
        frame_ = QImage(img.size(), img.format());
        if (frame_.isNull()) {
            paintFrame(img, size, p, font); // no memory to keep it: drawn each time
            return;
        }
        frame_.setDevicePixelRatio(img.devicePixelRatio());
        paintFrame(frame_, size, p, font);
        frameSize_ = size;
        frameProps_ = p;
        frameFont_ = font;
    }
    // Same size and format: the pixels copied as they are.
    uchar *to = img.bits();
    if (!to)
        return;
    std::memcpy(to, frame_.constBits(), size_t(frame_.sizeInBytes()));
}

void CurveRenderer::paintFrame(QImage &img, QSize size, const ChartProps &p, const QFont &font)
{
    const int W = size.width(), H = size.height();
    const qreal ratio = img.devicePixelRatio();
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setFont(font);
    const QFontMetrics fm(font);
    const FrameLayout f = layoutFrame(p, W, H, [&](const QString &s) { return QSize(fm.horizontalAdvance(s), fm.height()); });

    const QColor back = oleToColor(p.BackColor), axes = oleToColor(p.AxesColor), grid = oleToColor(p.GridColor);
    // The whole buffer: a scaled one may reach a fraction of a pixel past W x H.
    g.fillRect(QRectF(QPointF(0, 0), img.deviceIndependentSize()), back);

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
}

void CurveRenderer::drawChart(QImage &img, QSize size, const ChartProps &p, const CurveTable &t, const QFont &font)
{
    drawFrame(img, size, p, font);
    if (img.isNull())
        return;
    const int W = size.width(), H = size.height();
    const Scales s = computeScales(p, W, H, p.RightMargin());
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing, false);
    const int width = std::clamp<int>(p.Line, 1, 50);
    for (int c = 0; c < t.CurveCount(); ++c) {
        const CurveRec &curve = t.curve(c);
        if (!curve.ShowCurve || curve.DpCnt < 1)
            continue;
        buildPath(curve, p, mapperFor(p, s, curve.AxesY, H), W, path_, pieces_);
        const QColor colour = oleToColor(curve.LineColor);
        for (size_t k = 0; k < pieces_.size(); ++k) {
            const size_t from = pieces_[k], to = k + 1 < pieces_.size() ? pieces_[k + 1] : path_.size();
            if (to - from >= 2)
                drawPolyline(g, path_.data() + from, int(to - from), colour, width, img.devicePixelRatio());
        }
    }
}

} // namespace qx::curves
