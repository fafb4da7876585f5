#include "panel/frmDisp.h"

#include "services/Module4.h"
#include "panel/DevCtrl.h"
#include "panel/DevCtrlFit.h"
#include "panel/LCDisp.h"
#include "platform/Colors.h"
#include "platform/Guard.h"
#include "platform/PropertyBag.h"
#include "platform/WidgetStyle.h"
#include "platform/WindowAlpha.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QScreen>

namespace {

constexpr uint32_t WindowGrey = 0xE0E0E0;
constexpr uint32_t TitleGrey = 0x404040;
constexpr uint32_t VolBlue = 0xFF0000;
constexpr uint32_t CurRed = 0xFF;
constexpr uint32_t CurDarkRed = 0xC0;
constexpr uint32_t PwrOrange = 0x80FF;
constexpr uint32_t D1Green = 0xC000;
constexpr uint32_t D2Cyan = 0xC0C000;

// A readout whose background, border and unlit segments blend into the window.
LCDisp *readout(QWidget *parent, const char *name, const QRect &r, int digits, uint32_t lit,
                uint32_t litNeg, const char *value)
{
    qx::PropertyBag bag = qx::panel::readoutDesign(digits, 0, lit, litNeg, QLatin1String(value));
    bag.WriteProperty("YOffset", 3);
    bag.WriteProperty("YOffsetExp", 4);
    for (const char *key : {"BackColor1", "BackColor2", "BorderColor", "BurnInColor", "BurnInColorNeg"})
        bag.WriteProperty(QLatin1String(key), WindowGrey);
    return qx::panel::placeReadout(parent, QLatin1String(name), r, bag);
}

QLabel *unitLabel(QWidget *parent, const char *name, const char *caption, int left, int top,
                  uint32_t color)
{
    auto *l = new QLabel(QLatin1String(caption), parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(qx::twipsRect(left, top, 435, 375));
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPointSizeF(13.5);
    // A wide desktop face gets smaller until the caption fits its place.
    while (f.pointSizeF() > 8 && QFontMetrics(f).horizontalAdvance(l->text()) > l->width())
        f.setPointSizeF(f.pointSizeF() - 0.5);
    l->setFont(f);
    // No fill of its own: the label reaches a few pixels into its readout,
    // whose last digit must stay visible under it.
    qx::setTextColor(l, color);
    return l;
}

QFrame *line(QWidget *parent, const char *name, const QRect &r)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(r);
    qx::setFillColor(f, TitleGrey);
    return f;
}

} // namespace

uint32_t FloatingReadout::textColor(const QLabel *label)
{
    return qx::colorToOle(label->palette().color(QPalette::WindowText));
}

FloatingReadout::FloatingReadout(const Layout &l)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QString::fromUtf8(l.caption));
    setFixedSize(qx::twipsToPx(l.width), qx::twipsToPx(l.height));
    qx::setFillColor(this, WindowGrey);

    lblTitle = new QLabel(QStringLiteral("QM-20"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(qx::twipsRect(120, 120, 1875, 375));
    QFont title(QStringLiteral("Serif"));
    title.setStyleHint(QFont::Serif);
    title.setBold(true);
    title.setPointSize(18);
    lblTitle->setFont(title);
    qx::setTextColor(lblTitle, TitleGrey);
    lblTitle->installEventFilter(this);
    Line1 = line(this, "Line1", QRect(qx::twipsToPx(120), qx::twipsToPx(480) - 1, qx::twipsToPx(2040 - 120), 2));
    Line2 = line(this, "Line2", QRect(qx::twipsToPx(2040) - 1, qx::twipsToPx(120), 2, qx::twipsToPx(1560 - 120)));

    lcdVolM = readout(this, "lcdVolM", qx::twipsRect(2160, 120, l.valueWidth, 495), l.digits, VolBlue, VolBlue, l.volDesign);
    lcdCurM = readout(this, "lcdCurM", qx::twipsRect(2160, 600, l.valueWidth, 495), l.digits, CurRed, CurDarkRed, l.curDesign);
    lcdPwrM = readout(this, "lcdPwrM", qx::twipsRect(2160, 1080, l.valueWidth, 495), l.digits, PwrOrange, PwrOrange, l.pwrDesign);
    lcdD1M = readout(this, "lcdD1M", qx::twipsRect(l.d12Left, 600, 1245, 495), 4, D1Green, D1Green, "0.000");
    lcdD2M = readout(this, "lcdD2M", qx::twipsRect(l.d12Left, 1080, 1245, 495), 4, D2Cyan, D2Cyan, "0.000");
    lblVolM = unitLabel(this, "lblVolM", " V", l.unitLeft, 240, VolBlue);
    lblCurM = unitLabel(this, "lblCurM", " A", l.unitLeft, 720, CurRed);
    lblPwrM = unitLabel(this, "lblPwrM", " W", l.unitLeft, 1200, PwrOrange);
    lblD1M = unitLabel(this, "lblD1M", l.d1Caption, l.d12UnitLeft, 720, D1Green);
    lblD2M = unitLabel(this, "lblD2M", l.d2Caption, l.d12UnitLeft, 1200, D2Cyan);

    if (l.unitColourChoice) {
        colourLabels_[size_t(colourLabelCount_++)] = {lblVolM, lcdVolM};
        colourLabels_[size_t(colourLabelCount_++)] = {lblCurM, lcdCurM};
        colourLabels_[size_t(colourLabelCount_++)] = {lblPwrM, lcdPwrM};
    }
    colourLabels_[size_t(colourLabelCount_++)] = {lblD1M, lcdD1M};
    colourLabels_[size_t(colourLabelCount_++)] = {lblD2M, lcdD2M};
    for (int i = 0; i < colourLabelCount_; ++i)
        colourLabels_[size_t(i)].first->installEventFilter(this);

    // Form_Load.
    placeOnScreen();
    takePanelColours();
    SetAlpha(200);
}

void FloatingReadout::placeOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    move(s.left() + (s.width() - width()) / 2, s.top() + (s.height() - height()) / 3);
}

void FloatingReadout::takePanelColours()
{
    // The first device's panel decides, whichever device is selected.
    const DevCtrl *panel = DevCtrl::find(0);
    if (!panel)
        return;
    const std::pair<QLabel *, LCDisp *> pairs[] = {{lblVolM, lcdVolM}, {lblCurM, lcdCurM}, {lblPwrM, lcdPwrM}};
    const uint32_t colours[] = {panel->VolColor(), panel->CurColor(), panel->PwrColor()};
    for (int i = 0; i < 3; ++i) {
        qx::panel::setReadoutColor(pairs[i].second, colours[i]);
        qx::setTextColor(pairs[i].first, colours[i]);
    }
}

void FloatingReadout::SetAlpha(int alpha) { qx::setWindowAlpha(this, alpha); }

void FloatingReadout::RoundWindow(int cornerWidth, int cornerHeight)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), cornerWidth / 2.0, cornerHeight / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

bool FloatingReadout::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate) {
        // Form_Activate: back on top, rounded again.
        raise();
        RoundWindow(30, 30);
    }
    return QWidget::event(e);
}

void FloatingReadout::showEvent(QShowEvent *e)
{
    RoundWindow(30, 30);
    QWidget::showEvent(e);
}

void FloatingReadout::pickTitleColour()
{
    const int32_t c = qx::Module4::PickColor();
    if (c < 0)
        return;
    qx::setTextColor(lblTitle, uint32_t(c));
    qx::setFillColor(Line1, uint32_t(c));
    qx::setFillColor(Line2, uint32_t(c));
}

void FloatingReadout::pickUnitColour(QLabel *label, LCDisp *lcd)
{
    const int32_t c = qx::Module4::PickColor();
    if (c < 0)
        return;
    qx::panel::setReadoutColor(lcd, uint32_t(c));
    qx::setTextColor(label, uint32_t(c));
}

bool FloatingReadout::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (watched == lblTitle) {
        auto *me = dynamic_cast<QMouseEvent *>(event);
        switch (me ? type : QEvent::None) {
        case QEvent::MouseButtonPress:
            dragging_ = true;
            dragStart_ = me->globalPosition().toPoint();
            windowStart_ = pos();
            return true;
        case QEvent::MouseMove:
            if (dragging_)
                move(windowStart_ + (me->globalPosition().toPoint() - dragStart_));
            return true;
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            return true;
        case QEvent::MouseButtonDblClick:
            qx::guarded(QStringLiteral("FloatingReadout"), [&] { pickTitleColour(); });
            return true;
        default:
            break;
        }
    } else if (type == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < colourLabelCount_; ++i)
            if (colourLabels_[size_t(i)].first == watched) {
                const auto &entry = colourLabels_[size_t(i)];
                qx::guarded(QStringLiteral("FloatingReadout"), [&] { pickUnitColour(entry.first, entry.second); });
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

frmDisp::frmDisp()
    : FloatingReadout(Layout{3840, 1665, "Form1", 4, 1245, 120, 3360, 1440, "00.00", "0.000", "00.00",
                             "Ah", "Wh", true})
{
    setObjectName(QStringLiteral("frmDisp"));
}

qx::FormHolder<frmDisp> &frmDispForm()
{
    static qx::FormHolder<frmDisp> holder;
    return holder;
}
