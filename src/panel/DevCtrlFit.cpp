#include "panel/DevCtrlFit.h"

#include "panel/LCDisp.h"
#include "panel/LCDispGeometry.h"
#include "panel/LCDispText.h"

#include <algorithm>

#include <QWidget>

namespace qx::panel {

MainPart mainPart(const QString &value)
{
    QString main = qx::lcd::splitValue(qx::lcd::normaliseValue(value), 0).main;
    const bool colon = main.contains(QLatin1Char(':'));
    // The readout removes the first decimal separator and the first colon.
    qx::lcd::takeSeparator(main, 1, u".,");
    qx::lcd::takeSeparator(main, 1, u":");
    return {int(main.size()), colon};
}

namespace {

int groupWidth(int cells, int h, int w, int g, int style, int gap)
{
    const auto cell = qx::lcd::cellSize(qx::lcd::GroupSizes{h, w, g, style});
    const int cw = cell ? cell->width() : 0;
    return cells * cw + (cells - 1) * gap;
}

int cellHeight(int h, int w, int g, int style)
{
    const auto cell = qx::lcd::cellSize(qx::lcd::GroupSizes{h, w, g, style});
    return cell ? cell->height() : 0;
}
} // namespace

DigitGeometry fitDigits(const DigitGeometry &design, int cells, int roomPx, int segmentWidth,
                        int segmentGap, int style, bool colon)
{
    if (cells <= design.numDigits)
        return design;
    DigitGeometry fit = design;
    fit.numDigits = std::min(cells, qx::lcd::MaxDigits);
    const int minH = 4, minGap = colon ? std::max(design.interDigitGap, 2) : 2;
    int h = design.segmentHeight, gap = std::min(design.interDigitGap, minGap);
    bool found = false;
    // Shrink the gap first, then the segments, two pixels at a time.
    for (int tryH = design.segmentHeight; tryH >= minH && !found; tryH -= 2) {
        for (int tryGap = design.interDigitGap; tryGap >= minGap; --tryGap) {
            if (groupWidth(fit.numDigits, tryH, segmentWidth, segmentGap, style, tryGap) <= roomPx) {
                h = tryH;
                gap = tryGap;
                found = true;
                break;
            }
        }
    }
    if (!found) {
        h = minH;
        gap = colon ? minGap : 1;
    }
    fit.segmentHeight = h;
    fit.interDigitGap = gap;
    const int drop = cellHeight(design.segmentHeight, segmentWidth, segmentGap, style) -
                     cellHeight(h, segmentWidth, segmentGap, style);
    fit.yOffset = design.yOffset + drop / 2;
    return fit;
}

ReadoutFit::ReadoutFit(LCDisp *lcd) : QObject(lcd), lcd_(lcd)
{
    capture();
    connect(lcd, &LCDisp::PropertyChanged, this, [this](const QString &name) {
        if (name == QLatin1String("Value"))
            refit();
    });
}

void ReadoutFit::capture()
{
    design_ = DigitGeometry{lcd_->NumDigits(), lcd_->SegmentHeight(), lcd_->InterDigitGap(),
                            lcd_->YOffset()};
}

int ReadoutFit::roomPx() const
{
    const int left = lcd_->BorderWidth() + lcd_->XOffset();
    const bool exponent = lcd_->ShowExponent() && lcd_->NumDigitsExp() > 0;
    const int right = exponent ? lcd_->BorderWidth() + lcd_->XOffsetExp() - 2
                               : lcd_->width() - lcd_->BorderWidth();
    return right - left;
}

void ReadoutFit::refit()
{
    if (busy_)
        return;
    struct Busy {
        bool &b;
        explicit Busy(bool &f) : b(f) { b = true; }
        ~Busy() { b = false; }
    } busy(busy_);
    const DigitGeometry now{lcd_->NumDigits(), lcd_->SegmentHeight(), lcd_->InterDigitGap(),
                            lcd_->YOffset()};
    const Inputs in{lcd_->Value(), roomPx(), lcd_->SegmentWidth(), lcd_->InterSegmentGap(), lcd_->SegmentStyle(),
                    design_};
    // The same value in the same room as at the last fit, which the readout
    // still has: nothing to work out again (a reading sets every readout).
    if (last_ && last_->in == in && last_->want == now)
        return;
    const MainPart part = mainPart(in.value);
    const DigitGeometry want =
        fitDigits(design_, part.cells, in.room, in.segmentWidth, in.segmentGap, in.style, part.colon);
    last_ = Fit{in, want};
    if (!(want == now))
        lcd_->set_MainDigits(want.segmentHeight, want.interDigitGap, want.yOffset, want.numDigits);
}

void setReadoutColor(LCDisp *lcd, uint32_t color)
{
    lcd->set_SegmentLitColor(color);
    lcd->set_SegmentLitColorNeg(color);
}

qx::PropertyBag readoutDesign(int digits, int expDigits, uint32_t lit, uint32_t litNeg,
                              const QString &value)
{
    qx::PropertyBag bag;
    bag.WriteProperty("NumDigits", digits);
    bag.WriteProperty("NumDigitsExp", expDigits);
    bag.WriteProperty("SegmentStyle", 0);
    bag.WriteProperty("SegmentHeight", 12);
    bag.WriteProperty("SegmentWidth", 4);
    bag.WriteProperty("SegmentHeightExp", 8);
    bag.WriteProperty("SegmentWidthExp", 4);
    bag.WriteProperty("XOffset", 0);
    bag.WriteProperty("SegmentLitColor", lit);
    bag.WriteProperty("SegmentLitColorNeg", litNeg);
    bag.WriteProperty("Value", value);
    return bag;
}

LCDisp *placeReadout(QWidget *parent, const QString &name, const QRect &r,
                     const qx::PropertyBag &design)
{
    auto *lcd = new LCDisp(parent);
    lcd->setObjectName(name);
    lcd->setGeometry(r);
    lcd->ReadProperties(design);
    new ReadoutFit(lcd);
    return lcd;
}

} // namespace panel
