#pragma once
// The information list of a device tab: a fixed set of one-line entries
// whose texts change (the status line every second, START/STOP, "No
// Reply"). A changed entry repaints its own line only; the list's layout is
// not redone for it, as the item view would do for any change of an item's
// data (the lines keep their places, a longer text is clipped by the view).
#include <QListWidget>

namespace qx {

class InfoList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
};

} // namespace qx
