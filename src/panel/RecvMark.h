#pragma once
// The receive mark of a device panel: a small box that lights while frames
// arrive. Its outline is laid in whole screen pixels along its inside edge
// (one per 100% of scale): on a screen scaled by a fraction the frame's own
// pen lands partly outside the mark, and a side goes missing.
//
// The mark paints every pixel of its own (lit: its Window colour; dark: a
// picture of what lies behind it, taken from its parent once and again only
// when the parent's look may have changed), so that lighting it or letting
// it go dark repaints the mark alone: a see-through mark would have its
// parent frame (the group box, drawn through the style) and the button it
// touches painted again with every frame that arrives.
#include <QFrame>
#include <QPixmap>

namespace qx::panel {

class RecvMark : public QFrame {
public:
    explicit RecvMark(QWidget *parent);

    bool lit() const { return lit_; }
    // Repaints the mark only when the state changes.
    void setLit(bool on);

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *e) override;
    void moveEvent(QMoveEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    const QPixmap &behind();

    bool lit_ = false;
    QPixmap behind_; // the parent's background and own painting under the mark
};

} // namespace qx::panel
