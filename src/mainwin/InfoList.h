#pragma once
// The information list of a device tab: a fixed set of one-line entries
// whose texts change (the status line every second, START/STOP, "No
// Reply"). A changed entry repaints its own line only; the list's layout is
// not redone for it, as the item view would do for any change of an item's
// data (the lines keep their places, a longer text is clipped by the view).
// The line's place is kept from its first change until the list is laid
// out anew: the item view would work it out again from the text's size
// (shaping the text) for every change.
#include <QListWidget>

#include <vector>

namespace qx {

class InfoList : public QListWidget {
    Q_OBJECT
public:
    // Every line is one line of the list's font, so all are as high as the
    // first: the view then finds a line's place without shaping its text
    // (its width is the view's, as any line of a list going down is).
    explicit InfoList(QWidget *parent = nullptr);

    void doItemsLayout() override;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    // The band of the viewport that a line's changes repaint.
    QRect lineBand(const QModelIndex &index);

    struct Place {
        QRect rect; // viewport coordinates, at the offsets below
        int dx = 0, dy = 0;
    };
    std::vector<Place> places_;
};

} // namespace qx
