#pragma once
// Constant opacity of a top-level window, as the window system holds it.
// Qt queues the change on the display connection; it is sent at once here,
// so a fade reaches the screen on every step and not only when some other
// activity (a mouse move) happens to send the queue.
#include <QObject>
#include <functional>

class QWidget;

namespace qx {

// Holds the program's end for a window that fades out before it closes:
// a quit request that comes while `fading` says so is noted (the window
// refuses the close request that follows, which cancels the quit), and
// fadeOver() then asks for the quit again.
class QuitAfterFade : public QObject {
public:
    QuitAfterFade(QObject *parent, std::function<bool()> fading);
    void fadeOver();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool()> fading_;
    bool waiting_ = false;
};

// Opacity of window w: alpha 0 (invisible) to 255 (opaque); values outside
// are held to that range.
void setWindowAlpha(QWidget *w, int alpha);

// One step of a fade: alpha moves by step (negative for a fade-out) and
// window w takes it at once; when the step would take alpha above limit
// (fading in) or below it (fading out), alpha stays and the answer is false:
// the fade is over.
bool fadeStep(QWidget *w, int &alpha, int step, int limit);

} // namespace qx
