#pragma once
// The chart's curve table: up to 50 curves, each a growing list of (x, y)
// points with its axis, colour and visibility. No painting here.
//
// Point storage follows the control's array model: a curve that was never
// given a point has no slots; Clear leaves two spare slots; AddXY grows the
// slots to DpCnt + 1001 whenever DpCnt is a multiple of 1000. Slots from DpCnt
// on are spare (zero) and may be read. The points live in a PointStore:
// spare slots take no memory until written, and the memory held grows by
// small steps without copying, so a long run keeps about 8 bytes a point.
#include "curves/PointEnvelope.h"
#include "curves/PointStore.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qx::curves {

struct CurveRec {
    PointStore Dp; // size() is the number of slots
    int32_t DpCnt = 0;
    int16_t AxesY = 0;
    bool ShowCurve = false;
    uint32_t LineColor = 0;
    bool ShowLegend = false;
    // x never decreases over points 0 .. DpCnt - 1: searches may bisect.
    bool xRising = true;
    // Lowest and highest of each whole block of points 0 .. DpCnt - 1.
    PointEnvelope Env;
};

// Range of point indexes that the zoomed view draws (inclusive).
struct PointSpan {
    int32_t first = 0;
    int32_t last = 0;
};

class CurveTable {
public:
    static constexpr int MaxCurves = 50;
    static constexpr int GrowBy = 1000;

    CurveTable(); // five empty curves, default colours

    int CurveCount() const { return int(curves_.size()); }
    // Clamps n to 1..50, keeps the curves that remain (points included), hides
    // every legend and colours curves n - 5 blue and n - 4 red (with fewer
    // than five curves, none).
    void setCurveCount(int n);

    // Curve Index; QxError(ErrSubscript) outside 0 .. CurveCount - 1.
    CurveRec &curve(int Index);
    const CurveRec &curve(int Index) const;

    void AddXY(int Index, float x, float y);
    // Appends n points at once, leaving the curve as n calls of AddXY would
    // (same points, same slot count) but growing the storage only once, to
    // exactly the points held.
    void AddPoints(int Index, const DataPoint *points, int32_t n);
    // The same for a store of points (all its size() points); when the curve
    // is empty the store becomes the curve's, so nothing is copied. xRising:
    // whether the caller has found x never decreasing (unknown: checked here).
    void TakePoints(int Index, PointStore &&points, std::optional<bool> xRising = std::nullopt);
    void Clear(int Index);
    void ClearAll();

    int32_t DpCnt(int Index) const { return curve(Index).DpCnt; }
    // Point n of the curve's slots; QxError(ErrSubscript) outside them.
    float DpX(int Index, int32_t n) const;
    float DpY(int Index, int32_t n) const;
    void setDpY(int Index, int32_t n, float y);

    // Colour rule of the newest five-curve block.
    static constexpr uint32_t Blue = 0xFF0000;
    static constexpr uint32_t Red = 0x0000FF;

private:
    DataPoint slot(int Index, int32_t n) const;
    std::vector<CurveRec> curves_;
};

// Thinning step for n points on a picture w pixels wide: r(n / (4 w) + 1),
// at least 1.
int32_t thinStep(int64_t n, double w);

// The first of the points 0, s, 2s, ... (below DpCnt) whose x >= xd, or -1.
// Bisects when the curve's x never decreases.
int32_t firstVisitedAtOrAbove(const CurveRec &c, double xd, int32_t s);

// Zoomed view: first = the first point with x >= minX; last = the point before
// the first one with x >= maxX (0 when that is point 0, DpCnt - 1 when there is
// none); first is 0 when no point up to that one reaches minX. Needs DpCnt >= 1.
PointSpan zoomSpan(const CurveRec &c, float minX, float maxX);

} // namespace qx::curves
