#include "panel/ucProgressBar.h"

#include "platform/Colors.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <limits>

namespace {
bool fits32(long long v) { return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max(); }

// Pointer shape codes to Qt shapes (0 default and 99 custom are handled apart).
Qt::CursorShape pointerShape(int code)
{
    switch (code) {
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 5:
    case 15: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}
} // namespace

ucProgressBar::ucProgressBar(QWidget *parent)
    : QWidget(parent)
    , fontColor_(qx::SysButtonText)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Refresh();
}

void ucProgressBar::set_CaptionCustom(const QString &v)
{
    captionCustom_ = v;
    Refresh();
}

void ucProgressBar::set_CaptionFormat(int v)
{
    captionFormat_ = v;
    Refresh();
}

void ucProgressBar::set_BarPictureFore(const QImage &v)
{
    fore_ = v;
    layout();
}

void ucProgressBar::set_BarPictureBack(const QImage &v)
{
    back_ = v;
    layout();
}

void ucProgressBar::set_Font(const QFont &v)
{
    setFont(v);
    Refresh();
}

void ucProgressBar::set_FontColor(uint32_t v)
{
    fontColor_ = v;
    Refresh();
}

void ucProgressBar::set_Max(int v)
{
    if (v <= min_)
        qx::raise(qx::ErrInvalidProperty);
    if (!fits32(static_cast<long long>(v) - min_))
        qx::raise(qx::ErrOverflow);
    max_ = v;
    if (value_ > max_)
        set_Value(max_); // the value never stays above the bar's end
    else
        Refresh();
}

void ucProgressBar::set_Min(int v)
{
    if (v >= max_)
        qx::raise(qx::ErrInvalidProperty);
    if (!fits32(static_cast<long long>(max_) - v))
        qx::raise(qx::ErrOverflow);
    min_ = v;
    set_Value(v);
}

void ucProgressBar::set_Value(int v)
{
    if (v < min_ || v > max_)
        qx::raise(qx::ErrInvalidProperty);
    value_ = v;
    Refresh();
    if (v != lastReported_) {
        lastReported_ = v;
        Q_EMIT Change();
        if (v == max_)
            Q_EMIT ArrivedLast();
        else if (v == min_)
            Q_EMIT ArrivedFirst();
    }
}

void ucProgressBar::set_MousePointer(int v)
{
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        qx::raise(qx::ErrOverflow);
    mousePointer_ = v;
    applyPointer();
}

void ucProgressBar::set_MouseIcon(const QImage &v)
{
    mouseIcon_ = v;
    applyPointer();
}

void ucProgressBar::applyPointer()
{
    if (mousePointer_ == 0)
        unsetCursor();
    else if (mousePointer_ == 99)
        mouseIcon_.isNull() ? unsetCursor() : setCursor(QCursor(QPixmap::fromImage(mouseIcon_)));
    else
        setCursor(pointerShape(mousePointer_));
}

QString ucProgressBar::captionText() const
{
    const double range = double(max_) - double(min_);
    const double share = range > 0 ? (double(value_) - double(min_)) / range : 0;
    const auto percent = [&](const char *picture) {
        return range > 0 ? qx::num::format(share * 100, QString::fromLatin1(picture)) + QLatin1Char('%') : QString();
    };
    switch (captionFormat_) {
    case 1: return QString::number(value_);
    case 2:
    case 5: return percent("0");
    case 3:
    case 6: return percent("0.0");
    case 4:
    case 7: return percent("0.00");
    case 99: return captionCustom_;
    default: return QString();
    }
}

void ucProgressBar::Refresh()
{
    const int W = width(), H = height();
    surface_ = QImage(std::max(W, 1), std::max(H, 1), QImage::Format_RGB32);
    surface_.fill(palette().color(QPalette::Window));
    QPainter p(&surface_);
    if (!back_.isNull())
        p.drawImage(0, 0, back_);

    // The filled part of the fore picture, left to right or bottom up.
    const double range = double(max_) - double(min_);
    const double fill = double(value_) - double(min_);
    if (!fore_.isNull() && range > 0) {
        const auto portion = [&](int size) {
            const double v = qx::num::roundHalfEven(fill / range * size);
            return int(std::clamp(v, 0.0, double(size)));
        };
        QRect r;
        if (orientation_ == 0)
            r = QRect(0, 0, portion(W), H);
        else if (orientation_ == 1)
            r = QRect(0, H - portion(H), W, portion(H));
        r &= fore_.rect();
        if (!r.isEmpty()) // an empty source would mean the whole picture
            p.drawImage(r.topLeft(), fore_, r);
    }

    caption_ = captionText();
    if (!caption_.isEmpty()) {
        p.setFont(font());
        p.setPen(qx::oleToColor(fontColor_));
        const QFontMetrics fm(font());
        const int x = (W - fm.horizontalAdvance(caption_)) / 2;
        const int y = (H - fm.height()) / 2;
        p.drawText(x, y + fm.ascent(), caption_);
    }
    p.end();
    update();
}

void ucProgressBar::layout()
{
    // The control takes the size of its back picture.
    if (!back_.isNull())
        setFixedSize(back_.size());
    Refresh();
}

void ucProgressBar::ReadProperties(const qx::PropertyBag &bag)
{
    captionCustom_ = bag.readString(QStringLiteral("CaptionCustom"), QString());
    captionFormat_ = bag.readInt(QStringLiteral("CaptionFormat"), 0);
    max_ = bag.readInt(QStringLiteral("Max"), 100);
    min_ = bag.readInt(QStringLiteral("Min"), 0);
    orientation_ = bag.readInt(QStringLiteral("Orientation"), 0);
    value_ = bag.readInt(QStringLiteral("Value"), 0);
    setEnabled(bag.readBool(QStringLiteral("Enabled"), true));
    fontColor_ = bag.readColor(QStringLiteral("FontColor"), qx::SysButtonText);
    mouseIcon_ = bag.readImage(QStringLiteral("MouseIcon"));
    QFont f;
    if (bag.contains(QStringLiteral("Font")) && f.fromString(bag.readString(QStringLiteral("Font"), QString())))
        setFont(f);
    else
        setFont(QFont()); // the container's font
    fore_ = bag.readImage(QStringLiteral("BarPictureFore"));
    back_ = bag.readImage(QStringLiteral("BarPictureBack"));
    mousePointer_ = bag.readInt16(QStringLiteral("MousePointer"), 0);
    lastReported_ = min_;
    applyPointer();
    layout();
}

void ucProgressBar::WriteProperties(qx::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("CaptionCustom"), captionCustom_, QString());
    bag.WriteProperty(QStringLiteral("CaptionFormat"), captionFormat_, 0);
    bag.WriteProperty(QStringLiteral("Max"), max_, 100);
    bag.WriteProperty(QStringLiteral("Min"), min_, 0);
    bag.WriteProperty(QStringLiteral("Orientation"), orientation_, 0);
    bag.WriteProperty(QStringLiteral("Value"), value_, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
    bag.WriteProperty(QStringLiteral("FontColor"), fontColor_, uint32_t(qx::SysButtonText));
    bag.WriteProperty(QStringLiteral("MousePointer"), mousePointer_, 0);
    const auto image = [&bag](const char *key, const QImage &img) {
        if (img.isNull())
            bag.remove(QLatin1String(key));
        else
            bag.WriteProperty(QLatin1String(key), img);
    };
    image("MouseIcon", mouseIcon_);
    image("BarPictureFore", fore_);
    image("BarPictureBack", back_);
    if (testAttribute(Qt::WA_SetFont))
        bag.WriteProperty(QStringLiteral("Font"), font().toString());
    else
        bag.remove(QStringLiteral("Font"));
}

void ucProgressBar::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    p.drawImage(e->rect(), surface_, e->rect());
}

void ucProgressBar::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    layout();
}

void ucProgressBar::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT Click();
}
