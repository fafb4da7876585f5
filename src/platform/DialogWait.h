#pragma once
// Waiting for a window the program shows without blocking: the caller's code
// resumes when that window has finished (closed by any means, or destroyed),
// while the event loop keeps running timers, serial polling and the other
// windows. Each wait ends only on its own window, so one window closing
// never releases another's wait.
class QDialog;

namespace qx {

// Shows the dialog (when it is not visible) and dispatches events until it
// emits finished or is destroyed. Returns at once when d is null.
void waitForDialog(QDialog *d);

} // namespace qx
