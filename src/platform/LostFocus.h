#pragma once
// A text box's "lost focus": the focus moved to another control of the
// program. Another window taking the focus, or a pop-up menu, is no loss of
// focus (the box gets it back when its window is active again).
#include <QEvent>
#include <QFocusEvent>

namespace qx {

inline bool lostFocus(const QEvent *e)
{
    if (e->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(e)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace qx
