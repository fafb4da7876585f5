#pragma once
// The default instance of a window: touching it loads it (hidden, running
// its load handler in the constructor), unload() destroys it. One holder per
// window class that the program addresses by name (frmDisp, frmMeter, ...).
#include <QPointer>
#include <QWidget>

namespace qx {

template <class W>
class FormHolder {
public:
    // The loaded instance; loads it (not shown) when it is not loaded.
    W &get()
    {
        if (!w_)
            w_ = new W();
        return *w_;
    }
    W *operator->() { return &get(); }
    bool isLoaded() const { return !w_.isNull(); }
    // Loaded and shown (a dialog that has closed may still await deletion).
    bool isOpen() const { return w_ && w_->isVisible(); }
    // When the window is open: brings it to the front and returns true.
    bool raiseIfOpen()
    {
        if (!isOpen())
            return false;
        w_->raise();
        w_->activateWindow();
        return true;
    }
    // Shows the window without blocking: an open one comes to the front,
    // otherwise a fresh one is shown.
    W &showOrRaise()
    {
        if (!raiseIfOpen())
            fresh().show();
        return get();
    }
    // A window to show anew: a loaded one that is no longer shown (closed,
    // awaiting its deletion) is destroyed first, so it cannot come back.
    W &fresh()
    {
        if (w_ && !w_->isVisible())
            unload();
        return get();
    }
    // Closes and destroys the instance; the next get() loads a fresh one.
    void unload()
    {
        if (w_) {
            W *w = w_.data();
            w_.clear();
            w->hide();
            delete w;
        }
    }

private:
    QPointer<W> w_;
};

} // namespace qx
