#pragma once
// Paints the chart into its back buffer: the frame (background, axes,
// labels, units, grids, watermark) and then every shown curve as one
// polyline, thinned to a few points per pixel column. Plain raster drawing,
// no antialiasing.
//
// The buffer may have more pixels than the chart (a scaled screen: its
// device pixel ratio): the layout stays in the chart's own pixels, texts are
// drawn at the buffer's resolution and lines keep whole buffer pixels, the
// chart's widths times the ratio, rounded (so at 125% a one-pixel line is
// one pixel everywhere, never one here and two there).
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphData.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <vector>

namespace qx::curves {

// The font of the frame's texts (axis labels, units, watermark).
QFont frameFont();

// Qt pen style of a platform pen style number (0 solid, 1 dash, 2 dot,
// 3 dash-dot, 4 dash-dot-dot, 5 none).
Qt::PenStyle penStyleOf(int style);

// The frame of the last drawing is kept: a drawing for the same size, pixel
// ratio, properties and font copies it instead of drawing the grid, axes
// and labels again, so a new reading costs its curves only.
class CurveRenderer {
public:
    // The frame alone (an emptied chart) of a chart `size` pixels large.
    void drawFrame(QImage &img, QSize size, const ChartProps &p, const QFont &font);
    // The frame and every shown curve.
    void drawChart(QImage &img, QSize size, const ChartProps &p, const CurveTable &t, const QFont &font);

    // A white buffer for a chart of `size` pixels at the device pixel ratio
    // `ratio` (its pixels: the size times the ratio, rounded up).
    static QImage buffer(QSize size, qreal ratio);

    // Lets the kept frame go (a hidden chart holds one picture, not two).
    void dropFrame() { frame_ = QImage(); }

private:
    static void paintFrame(QImage &img, QSize size, const ChartProps &p, const QFont &font);

    QImage frame_; // the kept frame, drawn for:
    QSize frameSize_;
    ChartProps frameProps_;
    QFont frameFont_;
    std::vector<QPoint> path_; // reused between passes
    std::vector<size_t> pieces_;
};

} // namespace qx::curves
