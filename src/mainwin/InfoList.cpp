#include "mainwin/InfoList.h"

namespace qx {

void InfoList::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // The item view's own handling (editors, the changed rectangle); the
    // list view's would lay every line out again and repaint them all.
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

} // namespace qx
