#pragma once
// Sends one mouse event to a widget, as a user's press, move, release or
// double click at a point of the widget (global position mapped from it
// unless given).
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

namespace qx::test {

inline void sendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button, QPoint global)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void sendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(w, type, at, button, w->mapToGlobal(at));
}

// A mouse event as the window system delivers a user's (a spontaneous
// event): a press also moves the keyboard focus as a real click does.
inline void userMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::instance()->notify(w, &e);
}

} // namespace qx::test
