#pragma once
// Small helpers that every window uses to place and colour its controls:
// geometry given in twips, text and fill colours given as 0x00BBGGRR.
#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace qx {

// A rectangle given as left, top, width, height in twips, in pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

// The colour of a control's text (labels and text boxes alike).
inline void setTextColor(QWidget *w, uint32_t color)
{
    QPalette pal = w->palette();
    const QColor c = oleToColor(color);
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::Text, c);
    w->setPalette(pal);
}

// A control that paints its own background in the given colour.
inline void setFillColor(QWidget *w, uint32_t color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, oleToColor(color));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// Centres a window on the primary screen (its frame when it has one).
inline void centreOnScreen(QWidget *w)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const QSize outer = w->frameSize().isValid() ? w->frameSize() : w->size();
        w->move(s.left() + (s.width() - outer.width()) / 2, s.top() + (s.height() - outer.height()) / 2);
    }
}

} // namespace qx
