#include "panel/LCDispProps.h"

#include <algorithm>
#include <limits>

namespace qx::lcd {

namespace {
using P = LCDispProps;
constexpr int S = MaxSegmentSize;
constexpr int O = MaxOffset;
constexpr int R = MaxRadius;
constexpr bool Size = true;
constexpr int IntMax = std::numeric_limits<int>::max();

const std::array<PropInfo, 45> kProps = {{
    {"BackAngle", &P::BackAngle, Effect::Background},
    {"BackColor1", &P::BackColor1, Effect::Background},
    {"BackColor2", &P::BackColor2, Effect::Background},
    {"BackMiddleOut", &P::BackMiddleOut, Effect::Background},
    {"BorderColor", &P::BorderColor, Effect::Redraw},
    {"BorderWidth", &P::BorderWidth, Effect::Redraw, 0, S, Size},
    {"BurnInColor", &P::BurnInColor, Effect::Rebuild},
    {"BurnInColorNeg", &P::BurnInColorNeg, Effect::Rebuild},
    {"CurveBottomLeft", &P::CurveBottomLeft, Effect::Redraw, 0, R, Size},
    {"CurveBottomRight", &P::CurveBottomRight, Effect::Redraw, 0, R, Size},
    {"CurveTopLeft", &P::CurveTopLeft, Effect::Redraw, 0, R, Size},
    {"CurveTopRight", &P::CurveTopRight, Effect::Redraw, 0, R, Size},
    {"DecimalSeparator", &P::DecimalSeparator, Effect::Rebuild},
    {"InterDigitGap", &P::InterDigitGap, Effect::Rebuild, 0, S, Size},
    {"InterDigitGapExp", &P::InterDigitGapExp, Effect::Rebuild, 0, S, Size},
    {"InterSegmentGap", &P::InterSegmentGap, Effect::Rebuild, 0, S, Size},
    {"InterSegmentGapExp", &P::InterSegmentGapExp, Effect::Rebuild, 0, S, Size},
    {"NumDigits", &P::NumDigits, Effect::Rebuild, 1, MaxDigits},
    {"NumDigitsExp", &P::NumDigitsExp, Effect::Rebuild, 0, MaxDigitsExp},
    {"Picture", &P::Picture, Effect::Picture},
    {"PictureMode", &P::PictureMode, Effect::Rebuild},
    {"Seg3DAngle", &P::Seg3DAngle, Effect::None},
    {"Seg3DColor1", &P::Seg3DColor1, Effect::RebuildRedraw},
    {"Seg3DColor2", &P::Seg3DColor2, Effect::RebuildRedraw},
    {"Seg3DMiddleOut", &P::Seg3DMiddleOut, Effect::None},
    {"SegmentFillStyle", &P::SegmentFillStyle, Effect::Rebuild},
    {"SegmentHeight", &P::SegmentHeight, Effect::Rebuild, 0, S, Size},
    {"SegmentHeightExp", &P::SegmentHeightExp, Effect::Rebuild, 0, S, Size},
    {"SegmentLitColor", &P::SegmentLitColor, Effect::Rebuild},
    {"SegmentLitColorNeg", &P::SegmentLitColorNeg, Effect::Rebuild},
    {"SegmentStyle", &P::SegmentStyle, Effect::Rebuild},
    {"SegmentStyleExp", &P::SegmentStyleExp, Effect::Rebuild},
    {"SegmentWidth", &P::SegmentWidth, Effect::Rebuild, 0, S, Size},
    {"SegmentWidthExp", &P::SegmentWidthExp, Effect::Rebuild, 0, S, Size},
    {"ShowBurnIn", &P::ShowBurnIn, Effect::Rebuild},
    {"ShowExponent", &P::ShowExponent, Effect::Rebuild},
    {"ShowThousandsSeparator", &P::ShowThousandsSeparator, Effect::Rebuild},
    {"Theme", &P::Theme, Effect::Theme},
    {"ThousandsGrouping", &P::ThousandsGrouping, Effect::Value, 1, IntMax},
    {"ThousandsSeparator", &P::ThousandsSeparator, Effect::Value},
    {"Value", &P::Value, Effect::Text},
    {"XOffset", &P::XOffset, Effect::Rebuild, -O, O},
    {"XOffsetExp", &P::XOffsetExp, Effect::Rebuild, -O, O},
    {"YOffset", &P::YOffset, Effect::Rebuild, -O, O},
    {"YOffsetExp", &P::YOffsetExp, Effect::Rebuild, -O, O},
}};

// The columns of the preset table: what the six presets do not share.
struct Preset {
    uint32_t back, burnIn, lit;
    int style, segH, segW, segHExp, segWExp, gap, gapExp, segGap, xOffsetExp;
    int widthTw, heightTw;
};
constexpr std::array<Preset, 6> kPresets = {{
    {0, 0x60, 0xFF, 0, 8, 4, 5, 3, 4, 2, 0, 335, 5715, 450},
    {0, 0x60, 0xFF, 0, 12, 4, 8, 4, 6, 2, 1, 490, 8355, 630},
    {0xE0E0E0, 0xD0D0D0, 0, 1, 12, 4, 6, 3, 4, 2, 1, 370, 6525, 570},
    {0xE0E0E0, 0xD0D0D0, 0, 1, 14, 4, 8, 4, 6, 2, 1, 455, 7875, 630},
    {0, 0x505000, 0xFFFF00, 2, 8, 3, 6, 3, 6, 2, 0, 355, 6045, 465},
    {0, 0x5050, 0xFFFF, 2, 4, 2, 4, 2, 4, 3, 0, 195, 3525, 300},
}};
} // namespace

const std::array<PropInfo, 45> &propTable() { return kProps; }

const PropInfo *findProp(QStringView name)
{
    for (const PropInfo &pi : kProps)
        if (name.compare(QLatin1String(pi.name), Qt::CaseInsensitive) == 0)
            return &pi;
    return nullptr;
}

std::optional<QSize> applyTheme(LCDispProps &p, int theme)
{
    if (theme < 1 || theme > int(kPresets.size()))
        return std::nullopt;
    const Preset &t = kPresets[size_t(theme - 1)];
    p.BackAngle = 90;
    p.BackMiddleOut = true;
    p.BorderColor = 0xFF0000;
    p.BorderWidth = 1;
    p.CurveTopLeft = p.CurveTopRight = p.CurveBottomLeft = p.CurveBottomRight = 0;
    p.DecimalSeparator = 1;
    p.NumDigits = 20;
    p.NumDigitsExp = 4;
    p.Picture = QImage();
    p.PictureMode = 0;
    p.SegmentFillStyle = 1;
    p.SegmentStyleExp = 2;
    p.InterSegmentGapExp = 0;
    p.ShowBurnIn = true;
    p.ShowExponent = true;
    p.ShowThousandsSeparator = false;
    p.ThousandsGrouping = 3;
    p.ThousandsSeparator = 0;
    p.XOffset = 5;
    p.YOffset = 5;
    p.YOffsetExp = 5;
    p.BackColor1 = p.BackColor2 = t.back;
    p.BurnInColor = p.BurnInColorNeg = t.burnIn;
    p.SegmentLitColor = p.SegmentLitColorNeg = t.lit;
    p.SegmentStyle = t.style;
    p.SegmentHeight = t.segH;
    p.SegmentWidth = t.segW;
    p.SegmentHeightExp = t.segHExp;
    p.SegmentWidthExp = t.segWExp;
    p.InterDigitGap = t.gap;
    p.InterDigitGapExp = t.gapExp;
    p.InterSegmentGap = t.segGap;
    p.XOffsetExp = t.xOffsetExp;
    return QSize(t.widthTw, t.heightTw);
}

LCDispProps readProps(const qx::PropertyBag &bag)
{
    const LCDispProps def;
    LCDispProps p;
    for (const PropInfo &pi : kProps) {
        const QString key = QLatin1String(pi.name);
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(p.*member)>;
                if constexpr (std::is_same_v<T, float>)
                    p.*member = bag.readFloat(key, def.*member);
                else if constexpr (std::is_same_v<T, uint32_t>)
                    p.*member = bag.readColor(key, def.*member);
                else if constexpr (std::is_same_v<T, bool>)
                    p.*member = bag.readBool(key, def.*member);
                else if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, int32_t>) {
                    const int v = std::is_same_v<T, int16_t> ? bag.readInt16(key, def.*member)
                                                             : bag.readInt(key, def.*member);
                    if (pi.lo > pi.hi)
                        p.*member = T(v);
                    else if (pi.size && v < 0)
                        p.*member = def.*member;
                    else
                        p.*member = T(std::clamp(v, pi.lo, pi.hi));
                }
                else if constexpr (std::is_same_v<T, QString>)
                    p.*member = bag.readString(key, def.*member);
                else
                    p.*member = bag.readImage(key);
            },
            pi.field);
    }
    if (p.SegmentStyle == 0 || p.SegmentStyle == 1) {
        if (p.SegmentWidth % 2 != 0)
            ++p.SegmentWidth;
        if (p.SegmentHeight % 2 != 0)
            ++p.SegmentHeight;
    }
    return p;
}

void writeProps(const LCDispProps &p, qx::PropertyBag &bag)
{
    const LCDispProps def;
    for (const PropInfo &pi : kProps) {
        const QString key = QLatin1String(pi.name);
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(p.*member)>;
                if constexpr (std::is_same_v<T, QImage>) {
                    if ((p.*member).isNull())
                        bag.remove(key);
                    else
                        bag.WriteProperty(key, p.*member);
                } else {
                    bag.WriteProperty(key, QVariant::fromValue(p.*member), QVariant::fromValue(def.*member));
                }
            },
            pi.field);
    }
}

} // namespace lcd
