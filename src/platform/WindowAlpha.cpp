#include "platform/WindowAlpha.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace qx {

void setWindowAlpha(QWidget *w, int alpha)
{
    w->setWindowOpacity(std::clamp(alpha, 0, 255) / 255.0);
#if QT_CONFIG(xcb)
    // On X11 the opacity is a window property; send it now.
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        if (xcb_connection_t *c = x11->connection())
            xcb_flush(c);
#endif
}

bool fadeStep(QWidget *w, int &alpha, int step, int limit)
{
    const int next = alpha + step;
    if (step > 0 ? next > limit : next < limit)
        return false;
    alpha = next;
    setWindowAlpha(w, alpha);
    return true;
}

QuitAfterFade::QuitAfterFade(QObject *parent, std::function<bool()> fading)
    : QObject(parent), fading_(std::move(fading))
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool QuitAfterFade::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && fading_())
        waiting_ = true;
    return QObject::eventFilter(watched, event);
}

void QuitAfterFade::fadeOver()
{
    if (waiting_)
        QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::quit(); });
}

} // namespace qx
