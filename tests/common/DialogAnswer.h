#pragma once
// Answers a window that the program shows and waits for (with the event loop
// running): the action runs as soon as the window is shown, from inside the
// wait. A window that never comes is not waited for: the answer is dropped
// when this object goes.
#include "platform/FormHolder.h"

#include <QTimer>
#include <functional>

namespace qx::test {

template <class D>
class DialogAnswer {
public:
    DialogAnswer(qx::FormHolder<D> &holder, std::function<void(D &)> act)
    {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this, &holder, act] {
            if (holder.isOpen()) {
                timer_.stop();
                answered_ = true;
                act(holder.get());
            }
        });
        timer_.start();
    }
    bool answered() const { return answered_; }

private:
    QTimer timer_;
    bool answered_ = false;
};

} // namespace qx::test
