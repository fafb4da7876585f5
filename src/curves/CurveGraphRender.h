#pragma once
// Paints the chart: the frame (background, axes, labels, units, grids,
// watermark) and then every shown curve as one polyline, thinned to a few
// points per pixel column and clipped to the plot area. Plain raster
// drawing, no antialiasing.
//
// The surface may have more pixels than the chart (a scaled screen: its
// device pixel ratio): the layout stays in the chart's own pixels, texts are
// drawn at the surface's resolution and lines keep whole surface pixels, the
// chart's widths times the ratio, rounded (so at 125% a one-pixel line is
// one pixel everywhere, never one here and two there).
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphData.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <vector>

class QPainter;

namespace qx::curves {

// The font of the frame's texts (axis labels, units, watermark).
QFont frameFont();

// Qt pen style of a platform pen style number (0 solid, 1 dash, 2 dot,
// 3 dash-dot, 4 dash-dot-dot, 5 none).
Qt::PenStyle penStyleOf(int style);

// The area curves are drawn in on a chart W x H pixels large with a line
// `width` pixels wide: the plot area (x 50 to W - RightMargin, y 40 to
// H - 50), and beyond its edges as far as a line along an edge reaches
// (its width less one: half of it left and above, the rest right and below),
// so no curve crosses the axes or their labels.
QRect curveClip(QSize size, const ChartProps &p);

// Makes the chart's picture and paints it. The frame of the last picture is
// kept: a picture for the same size, pixel ratio, properties and font
// reuses it instead of drawing the grid, axes and labels again, so a new
// reading costs its curves only. The curves' paths are made once per
// picture and drawn over the kept frame wherever the picture is painted:
// the frame is copied once, straight to the painted surface.
class CurveRenderer {
public:
    // Makes the picture of a chart `size` pixels large at the pixel ratio
    // `ratio`: the frame, and the shown curves of t (none when t is null,
    // an emptied chart).
    void prepare(QSize size, qreal ratio, const ChartProps &p, const CurveTable *t, const QFont &font);
    // Paints the prepared picture with g, whose device has the prepared
    // pixel ratio; `exposed` (chart pixels) is the part that needs it.
    void paint(QPainter &g, const QRegion &exposed);
    bool prepared() const { return !size_.isEmpty(); }
    QSize size() const { return size_; }
    qreal ratio() const { return ratio_; }

    // The frame alone (an emptied chart) of a chart `size` pixels large,
    // into img (made by buffer()).
    void drawFrame(QImage &img, QSize size, const ChartProps &p, const QFont &font);
    // The frame and every shown curve, into img.
    void drawChart(QImage &img, QSize size, const ChartProps &p, const CurveTable &t, const QFont &font);

    // A white buffer for a chart of `size` pixels at the device pixel ratio
    // `ratio` (its pixels: the size times the ratio, rounded up).
    static QImage buffer(QSize size, qreal ratio);

    // Lets the kept frame go (a hidden chart holds no picture); the next
    // paint draws it again.
    void dropFrame() { frame_ = QImage(); }

private:
    static void paintFrame(QPainter &g, QSize size, qreal ratio, const ChartProps &p, const QFont &font);
    void drawInto(QImage &img);
    // Paints the frame into a new kept frame (null when memory is short).
    void keepFrame(QSize size, const ChartProps &p, const QFont &font);

    QImage frame_; // the kept frame, drawn for:
    QSize frameSize_;
    ChartProps frameProps_;
    QFont frameFont_;
    // The prepared picture.
    QSize size_;
    qreal ratio_ = 1;
    ChartProps props_;
    QFont font_;
    // A stretch of a path: points from .. to - 1 (the next stretch of the
    // piece starts at its last point) and the pixels they span.
    struct Stretch {
        size_t from, to;
        QRect box;
    };
    struct CurvePath {
        QColor colour;
        std::vector<QPoint> points; // the pieces one after the other
        std::vector<size_t> starts; // where each piece begins
        std::vector<Stretch> stretches;
    };
    std::vector<CurvePath> curves_;
    int width_ = 1;
    QRect clip_;
};

} // namespace qx::curves
