#pragma once
// Small helpers that every window uses to place and colour its controls:
// geometry given in twips, text and fill colours given as 0x00BBGGRR.
#include "platform/Colors.h"

#include <QPalette>
#include <QRect>
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

} // namespace qx
