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
//
// The zoomed view draws the points inside its x window and, where the
// window ends between two points, the point beyond each end, so the curve
// reaches the plot area's edges (drawing clips it there).
//
// Where the thinning step spans a quarter of a block of points
// (PointEnvelope) or more, the whole blocks in the way are read by their
// summaries instead, in groups of about two steps: each group adds its
// lowest and its highest point in the order they came (one out of range is
// skipped), so no peak is lost between visited points. The points before
// the first whole block and after the last group (the newest readings) are
// read one by one in runs of a group's size and drawn the same way, so a
// spike among them shows at once. A group or run holding a gap is read
// point by point: every stretch between gaps adds its lowest and highest
// point and each gap ends the piece, so no line crosses a gap. The points
// drawn stay about as many as thinning draws, and a picture of millions of
// points reads the summaries side by side rather than points scattered over
// the store.
void buildPath(const CurveRec &c, const ChartProps &p, const Mapper &map, int W, std::vector<QPoint> &out,
               std::vector<size_t> &starts);

} // namespace qx::curves
