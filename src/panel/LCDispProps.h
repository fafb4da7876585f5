#pragma once
// The 45 properties of the seven-segment readout, their defaults, the six
// display presets and their persisted form. Plain data: nothing here draws.
#include "platform/PropertyBag.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <variant>

namespace qx::lcd {

// What a setter does after storing its value.
enum class Effect : char {
    Background = 'B', // rebuild the background gradient, then redraw
    Redraw = 'D',     // redraw background, border and value
    Rebuild = 'R',    // rebuild, then draw the value forced
    RebuildRedraw = 'S',
    Value = 'V',      // draw the value forced, nothing rebuilt
    None = 'N',       // stored and persisted only
    Picture = 'P',
    Theme = 'T',
    Text = 'X'        // Value: drawn without forcing
};

// Field order is the interface order; defaults are preset 5's values.
struct LCDispProps {
    float BackAngle = 90;
    uint32_t BackColor1 = 0;
    uint32_t BackColor2 = 0;
    bool BackMiddleOut = true;
    uint32_t BorderColor = 0xFF0000;
    int16_t BorderWidth = 1;
    uint32_t BurnInColor = 0x505000;
    uint32_t BurnInColorNeg = 0x505000;
    int32_t CurveBottomLeft = 0;
    int32_t CurveBottomRight = 0;
    int32_t CurveTopLeft = 0;
    int32_t CurveTopRight = 0;
    int32_t DecimalSeparator = 1;   // 0 comma shape, 1 square point
    int32_t InterDigitGap = 6;
    int32_t InterDigitGapExp = 2;
    int32_t InterSegmentGap = 0;
    int32_t InterSegmentGapExp = 0;
    int32_t NumDigits = 20;         // 1 to 50
    int32_t NumDigitsExp = 4;       // 0 to 5
    QImage Picture;
    int32_t PictureMode = 0;        // 0 regular, 1 stretched, 2 tiled
    float Seg3DAngle = 90;
    uint32_t Seg3DColor1 = 0;
    uint32_t Seg3DColor2 = 0xC0C0C0;
    bool Seg3DMiddleOut = true;
    int32_t SegmentFillStyle = 1;   // 0 outline, 1 filled, 2 shaded
    int32_t SegmentHeight = 8;
    int32_t SegmentHeightExp = 6;
    uint32_t SegmentLitColor = 0xFFFF00;
    uint32_t SegmentLitColorNeg = 0xFFFF00;
    int32_t SegmentStyle = 2;       // 0 hexagonal, 1 trapezoidal, 2 rectangular
    int32_t SegmentStyleExp = 2;
    int32_t SegmentWidth = 3;
    int32_t SegmentWidthExp = 3;
    bool ShowBurnIn = true;
    bool ShowExponent = true;
    bool ShowThousandsSeparator = false;
    int32_t Theme = 5;
    int32_t ThousandsGrouping = 3;  // at least 1
    int32_t ThousandsSeparator = 0; // 0 comma shape, 1 square
    QString Value = QStringLiteral("1234567890");
    int32_t XOffset = 5;
    int32_t XOffsetExp = 355;
    int32_t YOffset = 5;
    int32_t YOffsetExp = 5;
};

// Limits the control keeps so that no value can make it draw outside its
// tables or build images without end.
constexpr int MaxDigits = 50;
constexpr int MaxDigitsExp = 5;
constexpr int MaxSegmentSize = 1000; // segment length and width, gaps, border width
constexpr int MaxOffset = 32767;     // offsets, either sign
constexpr int MaxRadius = 32767;     // corner radii; drawn at most the control's size

using Field = std::variant<float LCDispProps::*, uint32_t LCDispProps::*, bool LCDispProps::*,
                           int16_t LCDispProps::*, int32_t LCDispProps::*, QString LCDispProps::*,
                           QImage LCDispProps::*>;

struct PropInfo {
    const char *name;
    Field field;
    Effect effect;
    // Accepted range of a whole-number property (lo > hi: any value).
    int lo = 1, hi = 0;
    // A size in pixels (0 up): a negative one is refused by the setter and
    // counts as missing when read, so its default applies.
    bool size = false;
};

// All 45 properties in interface order.
const std::array<PropInfo, 45> &propTable();
// The entry of a property (name matched without regard to case), or nullptr.
const PropInfo *findProp(QStringView name);

// Applies preset 1 to 6 to p and returns the control's size in twips; any
// other theme changes nothing and gives no size. Theme itself is not set.
std::optional<QSize> applyTheme(LCDispProps &p, int theme);

// Reads every property with its default. A negative size counts as missing
// (its default applies); other values outside a property's range are
// brought into it; with segment style 0 or 1 an odd main segment width or
// height is raised by one.
LCDispProps readProps(const qx::PropertyBag &bag);
// Writes every property; values equal to their defaults are not stored.
void writeProps(const LCDispProps &p, qx::PropertyBag &bag);

} // namespace lcd
