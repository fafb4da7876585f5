#include "mainwin/InfoList.h"

#include <QAccessible>
#include <QEvent>

#include <algorithm>

namespace qx {

InfoList::InfoList(QWidget *parent) : QListWidget(parent) { setUniformItemSizes(true); }

void InfoList::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    // One line without an editor: its kept place.
    if (topLeft.isValid() && topLeft == bottomRight && !QAccessible::isActive() && !indexWidget(topLeft) &&
        !isPersistentEditorOpen(topLeft)) {
        const QRect band = lineBand(topLeft);
        if (band.isEmpty()) {
            QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
            return;
        }
        if (viewport()->rect().intersects(band))
            viewport()->update(band);
        return;
    }
    // The item view's own handling (editors, the changed rectangle); the
    // list view's would lay every line out again and repaint them all.
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

QRect InfoList::lineBand(const QModelIndex &index)
{
    const int row = index.row();
    if (row >= int(places_.size()))
        places_.resize(size_t(row) + 1);
    Place &p = places_[size_t(row)];
    const int dx = horizontalOffset(), dy = verticalOffset();
    if (p.rect.isEmpty() || p.dx != dx || p.dy != dy) {
        // Kept only from a line with text: an empty one has no height of
        // its own to go by.
        if (index.data().toString().isEmpty())
            return {};
        p = Place{visualRect(index), dx, dy};
    }
    // To the view's right edge: a line is as wide as the view (its text
    // clipped there), whatever its text.
    return QRect(p.rect.left(), p.rect.top(), std::max(p.rect.width(), viewport()->width() - p.rect.left()),
                 p.rect.height());
}

void InfoList::doItemsLayout()
{
    places_.clear();
    QListWidget::doItemsLayout();
}

void InfoList::rowsInserted(const QModelIndex &parent, int start, int end)
{
    places_.clear();
    QListWidget::rowsInserted(parent, start, end);
}

void InfoList::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    places_.clear();
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

void InfoList::resizeEvent(QResizeEvent *e)
{
    places_.clear();
    QListWidget::resizeEvent(e);
}

void InfoList::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange)
        places_.clear();
    QListWidget::changeEvent(e);
}

} // namespace qx
