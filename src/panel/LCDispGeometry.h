#pragma once
// Geometry of the seven-segment readout: cell sizes, where each segment of a
// cell lies, the ten segment shapes of a digit group, the places of the
// decimal point, colon and thousands marks, the rounded outline and the
// background gradient. Pure computation: nothing here paints on a screen.
// Regions follow the convention that right and bottom edges lie outside.
#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QRegion>
#include <QSize>
#include <array>
#include <cstdint>
#include <optional>

namespace qx::lcd {

// The ten segment shapes of one digit group.
enum RegionIndex : int {
    HexVertical = 0,
    HexHorizontal = 1,
    TrapTop = 2,
    TrapRight = 3,
    TrapBottom = 4,
    TrapLeft = 5,
    RectVertical = 6,
    RectHorizontal = 7,
    PointMark = 8,     // decimal point and colon dots
    ThousandsMark = 9
};
using Regions = std::array<QRegion, 10>;

// Segment styles.
enum SegmentStyleKind : int { StyleHex = 0, StyleTrapezoid = 1, StyleRect = 2 };

// Sizes of one digit group: segment length h, segment width w, the gap g
// between segments, and the style.
struct GroupSizes {
    int h = 0, w = 0, g = 0, style = StyleRect;
};

// The size of one cell; nothing for an unknown style.
std::optional<QSize> cellSize(const GroupSizes &s);

// Segment a..g of a cell whose top left is the origin: the region painted
// and where its top left corner goes.
struct SegmentPlace {
    int region;
    QPoint at;
};
std::optional<std::array<SegmentPlace, 7>> segmentPlaces(const GroupSizes &s);

// The eight-point hexagon of a segment width x height (horizontal when
// height <= width); its thickness is at least 4 and even.
QPolygon hexPolygon(int width, int height);
// Trapezoid region 2 (top), 3 (right), 4 (bottom) or 5 (left) of a group
// with segment length h and width w.
QPolygon trapezoidPolygon(int region, int h, int w);
// All ten shapes of a group; yOffset shapes the comma mark. Mark kinds: 0
// comma shape, 1 square; any other kind gives an empty mark.
Regions makeRegions(int h, int w, int yOffset, int decimalKind, int thousandsKind);

// The one pixel wide band just inside the region's edge (the outline of an
// unfilled segment).
QRegion innerFrame(const QRegion &r);

// The rectangle (x1, y1)-(x2, y2) with each corner rounded by its radius.
QRegion roundedRegion(int x1, int y1, int x2, int y2, int rTL, int rTR, int rBL, int rBR);

// Where a decimal point or thousands mark of the given kind goes after a
// cell at cellX (cell size cw x ch, group y offset yOff, segment width w,
// digit gap gap); nothing for an unknown kind.
std::optional<QPoint> markPlace(int kind, int cellX, QSize cell, int yOff, int w, int gap, int style);
// The upper and lower colon dots after a cell at cellX.
std::array<QPoint, 2> colonPlaces(int cellX, int cw, int yOff, int h, int w, int gap);

// A two-colour gradient of w x h pixels (colours 0x00BBGGRR, system colours
// already resolved). angle 90 runs colour 1 at the bottom to colour 2 at
// the top, 180 across the width; middle-out runs 1 -> 2 -> 1. A null image
// when either size is below 1.
QImage fillGradient(int w, int h, uint32_t c1, uint32_t c2, float angle, bool middleOut);

} // namespace lcd
