#pragma once
// The pixel path of one curve: the points to join, thinned to a few per
// pixel column, with out-of-range points skipped and, for staircases, the
// held level before each step. Plain arithmetic, no painting.
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphData.h"

#include <QPoint>
#include <vector>

namespace qx::curves {

// Fills `out` with the polyline of curve c on a picture W pixels wide
// (normal view, or the zoomed view while p.Large). Consecutive equal pixels
// are merged, so a result of fewer than two points draws nothing.
void buildPath(const CurveRec &c, const ChartProps &p, const Mapper &map, int W, std::vector<QPoint> &out);

} // namespace qx::curves
