#pragma once
// The seven-segment readout: shows a short text (a reading, a time) as a row
// of seven-segment digit cells with an optional exponent group to their
// right, drawn on a back buffer with a gradient or picture background, a
// border and rounded corners. Hosts set Value and the colours at run time;
// every property setter stores its value, tells the host (PropertyChanged)
// and redraws what it affects. Only cells whose character changed are
// repainted when Value changes. A control that is not visible (its tab is
// not the selected one) draws nothing: the value is kept and drawn when
// the control is shown, painted or its surface is read.
#include "panel/LCDispGeometry.h"
#include "panel/LCDispProps.h"

#include <QImage>
#include <QPainter>
#include <QList>
#include <QRegion>
#include <QWidget>
#include <array>
#include <cstdint>
#include <type_traits>
#include <vector>

class LCDisp : public QWidget {
    Q_OBJECT
public:
    explicit LCDisp(QWidget *parent = nullptr);

    // Properties in interface order: getter X(), setter set_X(v). Setters
    // of NumDigits (1-50), NumDigitsExp (0-5), ThousandsGrouping (1 or
    // more), of the segment sizes, gaps and border width (0-1000) and of
    // the corner radii (0-32767) refuse values outside their range with
    // qx::QxError(ErrInvalidProperty) (380) and change nothing. A radius is
    // drawn at most as large as the control.
    float BackAngle() const { return p_.BackAngle; }
    void set_BackAngle(float v) { setProp(&qx::lcd::LCDispProps::BackAngle, v); }
    uint32_t BackColor1() const { return p_.BackColor1; }
    void set_BackColor1(uint32_t v) { setProp(&qx::lcd::LCDispProps::BackColor1, v); }
    uint32_t BackColor2() const { return p_.BackColor2; }
    void set_BackColor2(uint32_t v) { setProp(&qx::lcd::LCDispProps::BackColor2, v); }
    bool BackMiddleOut() const { return p_.BackMiddleOut; }
    void set_BackMiddleOut(bool v) { setProp(&qx::lcd::LCDispProps::BackMiddleOut, v); }
    uint32_t BorderColor() const { return p_.BorderColor; }
    void set_BorderColor(uint32_t v) { setProp(&qx::lcd::LCDispProps::BorderColor, v); }
    int BorderWidth() const { return p_.BorderWidth; }
    void set_BorderWidth(int v) { setProp(&qx::lcd::LCDispProps::BorderWidth, v); }
    uint32_t BurnInColor() const { return p_.BurnInColor; }
    void set_BurnInColor(uint32_t v) { setProp(&qx::lcd::LCDispProps::BurnInColor, v); }
    uint32_t BurnInColorNeg() const { return p_.BurnInColorNeg; }
    void set_BurnInColorNeg(uint32_t v) { setProp(&qx::lcd::LCDispProps::BurnInColorNeg, v); }
    int CurveBottomLeft() const { return p_.CurveBottomLeft; }
    void set_CurveBottomLeft(int v) { setProp(&qx::lcd::LCDispProps::CurveBottomLeft, v); }
    int CurveBottomRight() const { return p_.CurveBottomRight; }
    void set_CurveBottomRight(int v) { setProp(&qx::lcd::LCDispProps::CurveBottomRight, v); }
    int CurveTopLeft() const { return p_.CurveTopLeft; }
    void set_CurveTopLeft(int v) { setProp(&qx::lcd::LCDispProps::CurveTopLeft, v); }
    int CurveTopRight() const { return p_.CurveTopRight; }
    void set_CurveTopRight(int v) { setProp(&qx::lcd::LCDispProps::CurveTopRight, v); }
    int DecimalSeparator() const { return p_.DecimalSeparator; }
    void set_DecimalSeparator(int v) { setProp(&qx::lcd::LCDispProps::DecimalSeparator, v); }
    int InterDigitGap() const { return p_.InterDigitGap; }
    void set_InterDigitGap(int v) { setProp(&qx::lcd::LCDispProps::InterDigitGap, v); }
    int InterDigitGapExp() const { return p_.InterDigitGapExp; }
    void set_InterDigitGapExp(int v) { setProp(&qx::lcd::LCDispProps::InterDigitGapExp, v); }
    int InterSegmentGap() const { return p_.InterSegmentGap; }
    void set_InterSegmentGap(int v) { setProp(&qx::lcd::LCDispProps::InterSegmentGap, v); }
    int InterSegmentGapExp() const { return p_.InterSegmentGapExp; }
    void set_InterSegmentGapExp(int v) { setProp(&qx::lcd::LCDispProps::InterSegmentGapExp, v); }
    int NumDigits() const { return p_.NumDigits; }
    void set_NumDigits(int v) { setProp(&qx::lcd::LCDispProps::NumDigits, v); }
    int NumDigitsExp() const { return p_.NumDigitsExp; }
    void set_NumDigitsExp(int v) { setProp(&qx::lcd::LCDispProps::NumDigitsExp, v); }
    const QImage &Picture() const { return p_.Picture; }
    void set_Picture(const QImage &v) { setProp(&qx::lcd::LCDispProps::Picture, v); }
    int PictureMode() const { return p_.PictureMode; }
    void set_PictureMode(int v) { setProp(&qx::lcd::LCDispProps::PictureMode, v); }
    float Seg3DAngle() const { return p_.Seg3DAngle; }
    void set_Seg3DAngle(float v) { setProp(&qx::lcd::LCDispProps::Seg3DAngle, v); }
    uint32_t Seg3DColor1() const { return p_.Seg3DColor1; }
    void set_Seg3DColor1(uint32_t v) { setProp(&qx::lcd::LCDispProps::Seg3DColor1, v); }
    uint32_t Seg3DColor2() const { return p_.Seg3DColor2; }
    void set_Seg3DColor2(uint32_t v) { setProp(&qx::lcd::LCDispProps::Seg3DColor2, v); }
    bool Seg3DMiddleOut() const { return p_.Seg3DMiddleOut; }
    void set_Seg3DMiddleOut(bool v) { setProp(&qx::lcd::LCDispProps::Seg3DMiddleOut, v); }
    int SegmentFillStyle() const { return p_.SegmentFillStyle; }
    void set_SegmentFillStyle(int v) { setProp(&qx::lcd::LCDispProps::SegmentFillStyle, v); }
    int SegmentHeight() const { return p_.SegmentHeight; }
    void set_SegmentHeight(int v) { setProp(&qx::lcd::LCDispProps::SegmentHeight, v); }
    int SegmentHeightExp() const { return p_.SegmentHeightExp; }
    void set_SegmentHeightExp(int v) { setProp(&qx::lcd::LCDispProps::SegmentHeightExp, v); }
    uint32_t SegmentLitColor() const { return p_.SegmentLitColor; }
    void set_SegmentLitColor(uint32_t v) { setProp(&qx::lcd::LCDispProps::SegmentLitColor, v); }
    uint32_t SegmentLitColorNeg() const { return p_.SegmentLitColorNeg; }
    void set_SegmentLitColorNeg(uint32_t v) { setProp(&qx::lcd::LCDispProps::SegmentLitColorNeg, v); }
    int SegmentStyle() const { return p_.SegmentStyle; }
    void set_SegmentStyle(int v) { setProp(&qx::lcd::LCDispProps::SegmentStyle, v); }
    int SegmentStyleExp() const { return p_.SegmentStyleExp; }
    void set_SegmentStyleExp(int v) { setProp(&qx::lcd::LCDispProps::SegmentStyleExp, v); }
    int SegmentWidth() const { return p_.SegmentWidth; }
    void set_SegmentWidth(int v) { setProp(&qx::lcd::LCDispProps::SegmentWidth, v); }
    int SegmentWidthExp() const { return p_.SegmentWidthExp; }
    void set_SegmentWidthExp(int v) { setProp(&qx::lcd::LCDispProps::SegmentWidthExp, v); }
    bool ShowBurnIn() const { return p_.ShowBurnIn; }
    void set_ShowBurnIn(bool v) { setProp(&qx::lcd::LCDispProps::ShowBurnIn, v); }
    bool ShowExponent() const { return p_.ShowExponent; }
    void set_ShowExponent(bool v) { setProp(&qx::lcd::LCDispProps::ShowExponent, v); }
    bool ShowThousandsSeparator() const { return p_.ShowThousandsSeparator; }
    void set_ShowThousandsSeparator(bool v) { setProp(&qx::lcd::LCDispProps::ShowThousandsSeparator, v); }
    int Theme() const { return p_.Theme; }
    void set_Theme(int v);
    int ThousandsGrouping() const { return p_.ThousandsGrouping; }
    void set_ThousandsGrouping(int v) { setProp(&qx::lcd::LCDispProps::ThousandsGrouping, v); }
    int ThousandsSeparator() const { return p_.ThousandsSeparator; }
    void set_ThousandsSeparator(int v) { setProp(&qx::lcd::LCDispProps::ThousandsSeparator, v); }
    const QString &Value() const { return p_.Value; }
    void set_Value(const QString &v);
    int XOffset() const { return p_.XOffset; }
    void set_XOffset(int v) { setProp(&qx::lcd::LCDispProps::XOffset, v); }
    int XOffsetExp() const { return p_.XOffsetExp; }
    void set_XOffsetExp(int v) { setProp(&qx::lcd::LCDispProps::XOffsetExp, v); }
    int YOffset() const { return p_.YOffset; }
    void set_YOffset(int v) { setProp(&qx::lcd::LCDispProps::YOffset, v); }
    int YOffsetExp() const { return p_.YOffsetExp; }
    void set_YOffsetExp(int v) { setProp(&qx::lcd::LCDispProps::YOffsetExp, v); }

    // Sets the main group's segment height, digit gap, vertical offset and
    // digit count (in that order, each told as its own setter tells it) and
    // rebuilds once for the four instead of once for each.
    void set_MainDigits(int segmentHeight, int interDigitGap, int yOffset, int numDigits);

    // Persistence: reads every property (missing keys take their defaults,
    // out-of-range values are brought into range) and redraws; writes every
    // property that differs from its default.
    void ReadProperties(const qx::PropertyBag &bag);
    void WriteProperties(qx::PropertyBag &bag) const;
    const qx::lcd::LCDispProps &props() const { return p_; }

    // The back buffer the control shows (the "surface"), brought to the
    // control's size first.
    const QImage &surface()
    {
        drawPending();
        return surface_;
    }
    // The rectangle of main (exponent false) or exponent cell i; empty when
    // there is no such cell.
    QRect cellRect(bool exponent, int i) const;
    // Cells repainted by the last drawing of each group (a value waiting
    // to be drawn is drawn first).
    struct PaintLog {
        QList<int> main, exponent;
    };
    const PaintLog &lastPainted()
    {
        drawPending();
        return painted_;
    }

Q_SIGNALS:
    // A property was set (the host marks itself modified).
    void PropertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    template <class T, class V>
    void setProp(T qx::lcd::LCDispProps::*member, const V &v);
    static const qx::lcd::PropInfo &propInfo(const qx::lcd::Field &f);
    static void checkRange(const qx::lcd::PropInfo &info, long long v);
    void applyEffect(qx::lcd::Effect e);

    // Building (on property changes and resizes).
    void rebuild();
    void buildSegmentImages();
    void buildGradient(); // the background gradient, when its inputs changed
    void layoutCells();
    void composeBackground(); // background, picture and border onto the surface
    void paintPicture(QPainter &p);
    void paintBorder(QPainter &p);
    void redraw();
    // A resize re-makes the memory images, the layout and the drawing; also
    // checked before drawing, since a hidden control hears of its new size
    // only when shown. True when it rebuilt.
    bool followSize();

    // Drawing a value: renderValue draws it now when the control is
    // visible, else marks it for drawPending, which drawValue does.
    void renderValue(bool force);
    void drawPending();
    void drawValue(bool force);
    void drawMainCells(QPainter &p, QString text, bool force, QRegion &dirty);
    void drawExponentCells(QPainter &p, const QString &text, bool force, QRegion &dirty);
    void paintCell(QPainter &p, int group, int cellX, QChar c);
    void paintSegment(QPainter &p, int group, int index, QPoint at, bool lit);
    void restoreBackground(QPainter &p, const QRegion &r);
    QRect wipeRect(int group, int cellX) const;
    QRegion cellArea(int group, int i) const;

    struct Group {
        qx::lcd::GroupSizes sizes;
        int yOffset = 0;
        QSize cell;
        std::vector<int> cellX;
        qx::lcd::Regions regions;
        int wipeTop = 0, wipeBottom = -1; // rows a cell's wipe spans, made with the regions
        QImage horizontal, vertical;      // shaded fills
        QString last;                // characters as last drawn
        // What the fills and the regions were made from: a rebuild that
        // changes neither (a digit count, a gap) keeps them.
        std::array<int64_t, 5> fillsFrom{-1}, regionsFrom{-1};
    };
    Group &group(int g) { return g == 0 ? main_ : exp_; }
    const Group &group(int g) const { return g == 0 ? main_ : exp_; }

    qx::lcd::LCDispProps p_;
    Group main_, exp_;
    QImage surface_, background_, gradient_, pointImage_;
    std::array<int64_t, 6> gradientFrom_{-1}; // what gradient_ was made from
    QSize builtSize_;
    QColor lit_, unlit_;
    bool negative_ = false;
    bool holdEffects_ = false; // setProp stores and tells, the caller rebuilds
    bool pending_ = false, pendingForce_ = false; // a drawing put off while hidden
    QRegion pointDrawn_, colonDrawn_;
    std::vector<QRegion> marksDrawn_;
    QRegion mask_;
    PaintLog painted_;
};

template <class T, class V>
void LCDisp::setProp(T qx::lcd::LCDispProps::*member, const V &v)
{
    const qx::lcd::PropInfo &info = propInfo(qx::lcd::Field(member));
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
        checkRange(info, static_cast<long long>(v));
    p_.*member = static_cast<T>(v);
    Q_EMIT PropertyChanged(QLatin1String(info.name));
    if (!holdEffects_)
        applyEffect(info.effect);
}
