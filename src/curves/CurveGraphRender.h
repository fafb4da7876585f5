#pragma once
// Paints the chart into its back buffer: the frame (background, axes,
// labels, units, grids, watermark) and then every shown curve as one
// polyline, thinned to a few points per pixel column. Plain raster drawing,
// no antialiasing.
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

class CurveRenderer {
public:
    // The frame alone (an emptied chart).
    void drawFrame(QImage &img, const ChartProps &p, const QFont &font);
    // The frame and every shown curve.
    void drawChart(QImage &img, const ChartProps &p, const CurveTable &t, const QFont &font);

private:
    std::vector<QPoint> path_; // reused between passes
    std::vector<size_t> pieces_;
};

} // namespace qx::curves
