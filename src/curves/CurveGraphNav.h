#pragma once
// Arithmetic of the chart's interaction: the cursor read-out, the rubber-band
// zoom with its restore, the panning scroll bar and the legend drop. No
// painting and no widgets here.
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphData.h"

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace qx::curves {

// The ranges saved when a zoom begins (value axes 0 and 1; axis 2 keeps its
// range through zoom, pan and restore) and the width of the zoomed window.
struct ZoomState {
    float FullMinX = 0, FullMaxX = 60;
    float FullMinY[2] = {0, 0};
    float FullMaxY[2] = {20, 10};
    float ZoomWidth = 0;
};

// A band needs more than this many pixels of width and of height to zoom.
constexpr int MinZoomBand = 10;

// Zooms to the band (in pixels of a picture H high) with the scales of the
// last drawing: saves the full ranges and sets the zoomed ones (x ends
// rounded to whole numbers). Returns false, changing nothing, when the band
// is too small or its rounded x ends leave no width.
bool zoomToBand(ChartProps &p, ZoomState &z, const QRect &band, const Scales &s, int H);

// The present ranges as the full ones of a zoom whose window they are.
ZoomState saveFull(const ChartProps &p);

// Puts the full ranges back (Large is the caller's business).
void restoreFull(ChartProps &p, const ZoomState &z);

// Scroll bar of the zoomed view: one step is a tenth of the zoomed window.
struct ScrollSetup {
    int maximum = 0;
    int value = 0;
};
ScrollSetup scrollForZoom(const ChartProps &p, const ZoomState &z);

// Moves the zoomed window to scroll-bar value v.
void panTo(ChartProps &p, const ZoomState &z, int v);

// The x value (whole number) under pixel column X of a picture W wide.
double cursorValueX(const ChartProps &p, double X, int W, int RM);

// The read-out at pixel column X: voltage and current (curves 0 and 1) on the
// first line, capacity and energy (curves 3 and 4) on the second, separated
// by a carriage return. Each curve gives the first of its thinned points at
// or right of the cursor. While the x axis is not time (xBarType != 0) the
// capacity and energy curves run against seconds, so they are read at the
// point found on the voltage curve.
QString cursorReadout(const CurveTable &t, const ChartProps &p, double X, int W, int RM);

// The read-out text of four readings.
QString readoutText(float v0, float v1, float v2, float v3);

// Where a dragged legend lands: its outline's top-left kept inside the
// surface (so the legend stays within reach), rounded to whole pixels and cut
// to the 5-pixel grid.
QPoint legendDrop(QPointF topLeft, QSize legend, QSize surface);

// Gap between stacked legends, and between their columns.
constexpr int LegendGap = 5, LegendColumnGap = 10;

// Where the stacked legends go, in order: each under the one before,
// LegendGap apart, starting under `first` (legend 0's place, which heads
// the first column). A legend that would reach below `bottom` (the plot
// area's lower edge) starts a new column at the height of `first`, left of
// the column before by the new column's widest legend and LegendColumnGap;
// a column holds one legend at least. Legends of a column share its left
// edge.
std::vector<QPoint> legendColumns(const QRect &first, const std::vector<QSize> &legends, int bottom);

// The widest a legend may be for those columns to stand side by side in
// `room` pixels (LegendColumnGap apart): INT_MAX when they fit as they are,
// else the width to which the widest columns are cut, the narrower ones
// keeping theirs (at least 1).
int legendWidthCap(const QRect &first, const std::vector<QSize> &legends, int bottom, int room);

} // namespace qx::curves
