#pragma once
// Placing a window on the screen.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qx {

// Centres the window on the primary screen, raised by `aboveTwips` twips.
inline void centreOnScreen(QWidget *w, int aboveTwips = 0)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const QSize f = w->frameGeometry().size();
        w->move(s.left() + (s.width() - f.width()) / 2, s.top() + (s.height() - f.height()) / 2 - aboveTwips / 15);
    }
}

} // namespace qx
