#pragma once
// The chart's axis properties, value-to-pixel mapping and the layout of its
// frame (axis lines, ticks, labels, grids, watermark), as plain arithmetic:
// nothing here paints, so it is tested without a screen.
//
// Geometry of a picture W x H pixels: the plot area runs from x = 50 to
// W - RightMargin and from y = 40 to H - 50; RightMargin is 100 while both
// right value axes are shown, else 50.
#include "platform/Colors.h"

#include <QLine>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace qx::curves {

struct ChartProps {
    float MinX = 0, MaxX = 60;
    float MinY[3] = {0, 0, 0};
    float MaxY[3] = {20, 10, 100};
    int32_t XDiv = 10;
    int32_t YDiv[3] = {10, 10, 10};
    int16_t xBarType = 0;
    int16_t GridType1 = 0, GridType2 = 2;
    uint32_t GridColor = qx::rgb(100, 100, 100);
    uint32_t BackColor = 0xFFFFFF;
    uint32_t AxesColor = 0;
    bool ShowAxesY1 = true, ShowAxesY2 = false;
    QString AxesY1Txt = QStringLiteral("[A]");
    QString AxesY2Txt = QStringLiteral("[W]");
    int16_t Line = 2;
    bool YStep = false;
    bool Large = false;

    bool BothAxesY() const { return ShowAxesY1 && ShowAxesY2; }
    int RightMargin() const { return BothAxesY() ? 100 : 50; }
    bool operator==(const ChartProps &) const = default;
};

// Units per pixel of the x axis and of value axes 0 to 2.
struct Scales {
    float XScale = 0;
    float YScale[3] = {0, 0, 0};
};
Scales computeScales(const ChartProps &p, int W, int H, int RM);

// Pixel coordinates are held inside +-PixelBand, so a zero span, an infinite
// or a huge value maps to a point far outside the picture instead of
// overflowing; a value that maps to no number at all lands on the axis origin.
constexpr int PixelBand = 32000;

// Value point on one value axis -> pixel of the picture.
struct Mapper {
    float minX = 0, xScale = 1, minY = 0, yScale = 1;
    int H = 0;
    QPoint operator()(float x, float y) const;
};
Mapper mapperFor(const ChartProps &p, const Scales &s, int axis, int H);

// One text of the frame: its top-left corner and measured size.
struct TextItem {
    QString text;
    QPoint topLeft;
    QSize size;
};

struct FrameLayout {
    int RightMargin = 50;
    std::vector<QLine> axisLines; // axis lines and ticks, axis pen
    std::vector<TextItem> labels; // axis labels and unit texts, axis colour
    std::vector<QLine> halfGrid;  // GridType2 pen
    std::vector<QLine> majorGrid; // GridType1 pen
    TextItem watermark;           // grid colour
};

// Fewest pixels between two x labels; a label that would come closer to
// the last one shown is left out.
constexpr int MinLabelGap = 4;
// Most that two value labels (or a label and the unit text) stacked on one
// axis may overlap, as a share of the lower text's height: the blank rows
// above a digit (two of the frame font's 13, as the unit stands over the top
// label on a default chart). A label that would overlap more is left out.
constexpr double MaxLabelOverlap = 1.0 / 6;

// Width and height of a text in the frame's font.
using TextMeasure = std::function<QSize(const QString &)>;

FrameLayout layoutFrame(const ChartProps &p, int W, int H, const TextMeasure &measure);

// Text of an x label for the whole-number value v: hh:mm:ss when xBarType is
// 0 (hours not limited to two digits, a minus before a negative time, as
// -00:01:48), else the plain number.
QString xLabelText(double v, int xBarType);

// The watermark of the plot area.
inline const QString WatermarkText = QStringLiteral("VELTRIX");

} // namespace qx::curves
