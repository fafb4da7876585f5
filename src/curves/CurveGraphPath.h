#pragma once
// The pixel path of one curve: the points to join, thinned to a few per
// pixel column, with out-of-range points skipped and, for staircases, the
// held level before each step. Plain arithmetic, no painting.
#include "curves/CurveGraphAxes.h"
#include "curves/CurveGraphData.h"

#include <QPoint>
#include <cstddef>
#include <vector>

namespace qx::curves {

// The polyline of curve c on a picture W pixels wide (normal view, or the
// zoomed view while p.Large), in pieces: `out` holds the points of every
// piece one after the other and `starts` the index in `out` where each
// piece begins. A visited point whose x or y is not a number breaks the
// curve: the piece ends before it and the next point drawn starts a new
// one (out-of-range points are skipped and joined across as before).
// Consecutive equal pixels are merged, so a piece of fewer than two points
// draws nothing.
void buildPath(const CurveRec &c, const ChartProps &p, const Mapper &map, int W, std::vector<QPoint> &out,
               std::vector<size_t> &starts);

} // namespace qx::curves
