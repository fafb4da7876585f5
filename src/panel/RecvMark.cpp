#include "panel/RecvMark.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qx::panel {

RecvMark::RecvMark(QWidget *parent) : QFrame(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent)
        parent->installEventFilter(this);
}

void RecvMark::setLit(bool on)
{
    if (on == lit_)
        return;
    lit_ = on;
    update();
}

const QPixmap &RecvMark::behind()
{
    const qreal ratio = devicePixelRatioF();
    if (behind_.isNull() || behind_.devicePixelRatio() != ratio || behind_.deviceIndependentSize() != QSizeF(size())) {
        QPixmap pm(size() * ratio);
        pm.setDevicePixelRatio(ratio);
        pm.fill(Qt::transparent);
        if (QWidget *p = parentWidget()) {
            // The parent as it is seen through the mark: its background
            // (what the window behind it shows, in its palette) and its own
            // painting, without its children.
            p->render(&pm, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
        }
        behind_ = pm;
    }
    return behind_;
}

void RecvMark::paintEvent(QPaintEvent *)
{
    if (!lit_)
        behind(); // before this mark's painter begins
    QPainter g(this);
    if (lit_)
        g.fillRect(rect(), palette().color(QPalette::Window));
    else
        g.drawPixmap(0, 0, behind_);
    const qreal ratio = devicePixelRatioF();
    const int t = std::max(1, int(std::lround(ratio)));
    const int w = int(width() * ratio), h = int(height() * ratio);
    g.scale(1 / ratio, 1 / ratio);
    const QColor c = palette().color(QPalette::WindowText);
    g.fillRect(0, 0, w, t, c);
    g.fillRect(0, h - t, w, t, c);
    g.fillRect(0, 0, t, h, c);
    g.fillRect(w - t, 0, t, h, c);
}

void RecvMark::resizeEvent(QResizeEvent *e)
{
    behind_ = QPixmap();
    QFrame::resizeEvent(e);
}

void RecvMark::moveEvent(QMoveEvent *e)
{
    behind_ = QPixmap();
    QFrame::moveEvent(e);
}

void RecvMark::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::ParentChange:
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
        behind_ = QPixmap();
        break;
    default:
        break;
    }
    QFrame::changeEvent(e);
}

bool RecvMark::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == parentWidget()) {
        switch (e->type()) {
        case QEvent::Resize:
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::EnabledChange:
        case QEvent::FontChange:
        case QEvent::ScreenChangeInternal:
            behind_ = QPixmap();
            if (!lit_)
                update();
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, e);
}

} // namespace qx::panel
