#pragma once
// Small helpers that every window uses to place and colour its controls:
// geometry given in twips, text and fill colours given as 0x00BBGGRR.
#include "platform/Colors.h"

#include <QPalette>
#include <QRect>
#include <QWidget>
#include <type_traits>

namespace qx {

// A rectangle given as left, top, width, height in twips, in pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

// A control of type W on parent, named (unless name is null) and placed at
// r (pixels), with the caption when the type takes one (labels, buttons,
// check and option boxes, frames, text boxes).
template <class W>
W *control(QWidget *parent, const char *name, const QRect &r, const QString &caption = QString())
{
    W *w = nullptr;
    if constexpr (std::is_constructible_v<W, QString, QWidget *>)
        w = new W(caption, parent);
    else
        w = new W(parent);
    if (name)
        w->setObjectName(QLatin1String(name));
    w->setGeometry(r);
    return w;
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
