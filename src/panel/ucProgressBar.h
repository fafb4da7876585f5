#pragma once
// A progress bar drawn from two pictures: the back picture shows the empty
// bar and gives the control its size, the filled part of the fore picture
// is copied over it, and a caption (the value, a percentage or a custom
// text) is printed centred on top.
#include "platform/PropertyBag.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>

class ucProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit ucProgressBar(QWidget *parent = nullptr);

    // Caption by CaptionFormat: 1 the value; 2 and 5 the filled share
    // (Value - Min) / (Max - Min) as "0%", 3 and 6 as "0.0%", 4 and 7 as
    // "0.00%"; 99 CaptionCustom; anything else none.
    const QString &CaptionCustom() const { return captionCustom_; }
    void set_CaptionCustom(const QString &v);
    int CaptionFormat() const { return captionFormat_; }
    void set_CaptionFormat(int v);
    const QImage &BarPictureFore() const { return fore_; }
    void set_BarPictureFore(const QImage &v);
    const QImage &BarPictureBack() const { return back_; }
    void set_BarPictureBack(const QImage &v);
    bool Enabled() const { return isEnabled(); }
    void set_Enabled(bool v) { setEnabled(v); }
    QFont Font() const { return font(); }
    void set_Font(const QFont &v);
    // Colour 0x00BBGGRR or a system colour.
    uint32_t FontColor() const { return fontColor_; }
    void set_FontColor(uint32_t v);
    // Max must stay above Min and Min below Max (qx::QxError 380 otherwise,
    // nothing changes); a range that does not fit 32 bits is an overflow.
    // Writing Max below Value brings Value down to Max.
    int Max() const { return max_; }
    void set_Max(int v);
    // Writing Min also writes Value = Min.
    int Min() const { return min_; }
    void set_Min(int v);
    // 0 horizontal (fills from the left), 1 vertical (fills from the bottom).
    int Orientation() const { return orientation_; }
    void set_Orientation(int v) { orientation_ = v; }
    // Min..Max, else qx::QxError 380. Raises Change when it differs from the
    // value last reported, then ArrivedLast at Max or ArrivedFirst at Min.
    int Value() const { return value_; }
    void set_Value(int v);
    // Pointer shape code (16 bits; 0 default, 99 the MouseIcon picture).
    int MousePointer() const { return mousePointer_; }
    void set_MousePointer(int v);
    const QImage &MouseIcon() const { return mouseIcon_; }
    void set_MouseIcon(const QImage &v);

    void Refresh();
    // The caption as drawn by the last Refresh.
    const QString &caption() const { return caption_; }
    const QImage &surface() const { return surface_; }

    // Loading sets every value as stored (no checks, no events), then lays
    // out and repaints; saving leaves out values equal to their defaults.
    void ReadProperties(const qx::PropertyBag &bag);
    void WriteProperties(qx::PropertyBag &bag) const;

Q_SIGNALS:
    void Click();
    void ArrivedFirst();
    void ArrivedLast();
    void Change();

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void layout();
    void applyPointer();
    QString captionText() const;

    QString captionCustom_;
    int captionFormat_ = 0;
    QImage fore_, back_, mouseIcon_;
    uint32_t fontColor_;
    int max_ = 100, min_ = 0, orientation_ = 0, value_ = 0;
    int mousePointer_ = 0;
    int lastReported_ = 0;
    QString caption_;
    QImage surface_;
};
