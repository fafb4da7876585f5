#pragma once
// Counts the paint events a widget receives.
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace qx::test {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace qx::test
