#pragma once
// Constant opacity of a top-level window, as the window system holds it.
// Qt queues the change on the display connection; it is sent at once here,
// so a fade reaches the screen on every step and not only when some other
// activity (a mouse move) happens to send the queue.
class QWidget;

namespace qx {

// Opacity of window w: alpha 0 (invisible) to 255 (opaque); values outside
// are held to that range.
void setWindowAlpha(QWidget *w, int alpha);

} // namespace qx
