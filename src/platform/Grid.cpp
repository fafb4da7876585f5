#include "platform/Grid.h"

#include "platform/Colors.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

#include <QAbstractTableModel>
#include <QFontMetricsF>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <cmath>

namespace qx {

// The cells of a grid: text and an optional background per cell; the grid
// tells it which rows and columns are fixed and how columns align.
class GridModel : public QAbstractTableModel {
public:
    struct Cell {
        QString text;
        uint32_t back = 0;
        bool hasBack = false;
    };

    explicit GridModel(QObject *parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(cells.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : cols;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Cell &cell = cells[size_t(index.row())][size_t(index.column())];
        switch (role) {
        case Qt::DisplayRole:
            return cell.text;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentOf(index.column(), cell.text));
        case Qt::BackgroundRole:
            if (cell.hasBack)
                return QBrush(oleToColor(cell.back));
            if (isFixed(index.row(), index.column()))
                return QBrush(oleToColor(SysButtonFace));
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled;
    }

    bool isFixed(int row, int col) const { return row < fixedRows || col < fixedCols; }

    Qt::Alignment alignmentOf(int col, const QString &text) const
    {
        const int a = col < int(align.size()) ? align[size_t(col)] : Grid::AlignGeneral;
        Qt::Alignment h = Qt::AlignLeft;
        Qt::Alignment v = Qt::AlignVCenter;
        switch (a / 3) {
        case 0: h = Qt::AlignLeft; break;
        case 1: h = Qt::AlignHCenter; break;
        case 2: h = Qt::AlignRight; break;
        default: h = num::isNumeric(text) ? Qt::AlignRight : Qt::AlignLeft; break;
        }
        if (a < 9) {
            switch (a % 3) {
            case 0: v = Qt::AlignTop; break;
            case 1: v = Qt::AlignVCenter; break;
            default: v = Qt::AlignBottom; break;
            }
        }
        return h | v;
    }

    void resize(int newRows, int newCols)
    {
        const int oldRows = int(cells.size());
        if (newCols != cols) {
            beginResetModel();
            for (auto &r : cells)
                r.resize(size_t(newCols));
            cols = newCols;
            align.resize(size_t(newCols), Grid::AlignGeneral);
            endResetModel();
        }
        if (newRows > oldRows) {
            beginInsertRows({}, oldRows, newRows - 1);
            cells.resize(size_t(newRows), std::vector<Cell>(size_t(cols)));
            endInsertRows();
        } else if (newRows < oldRows) {
            beginRemoveRows({}, newRows, oldRows - 1);
            cells.resize(size_t(newRows));
            endRemoveRows();
        }
    }

    void cellChanged(int row, int col) { Q_EMIT dataChanged(index(row, col), index(row, col)); }
    void allChanged()
    {
        if (!cells.empty() && cols > 0)
            Q_EMIT dataChanged(index(0, 0), index(int(cells.size()) - 1, cols - 1));
    }

    std::vector<std::vector<Cell>> cells;
    std::vector<int> align;
    int cols = 0;
    int fixedRows = 0;
    int fixedCols = 0;
};

namespace {
int buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}
} // namespace

Grid::Grid(QWidget *parent) : QTableView(parent), model_(new GridModel(this)), frozen_(nullptr)
{
    // 240 twips, or what the font needs.
    defaultRowHeight_ = std::max(240, pxToTwips(fontMetrics().height() + 2));
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    // The fixed rows: a second view of the same cells laid over the top of
    // the viewport, scrolled sideways with the grid but never vertically.
    frozen_ = new QTableView(this);
    frozen_->setModel(model_);
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->horizontalHeader()->hide();
    frozen_->verticalHeader()->hide();
    frozen_->horizontalHeader()->setMinimumSectionSize(0);
    frozen_->verticalHeader()->setMinimumSectionSize(0);
    frozen_->setSelectionMode(QAbstractItemView::NoSelection);
    frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setWordWrap(false);
    frozen_->viewport()->setMouseTracking(true);
    frozen_->viewport()->installEventFilter(this);
    viewport()->stackUnder(frozen_);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, frozen_->horizontalScrollBar(),
            &QScrollBar::setValue);

    model_->fixedRows = fixedRows_;
    model_->fixedCols = fixedCols_;
    set_Cols(2);
    set_Rows(2);
    syncCurrent();
}

Grid::~Grid() = default;

namespace {
// An index into rows or columns of count entries.
void checkIndex(int i, int count)
{
    if (i < 0 || i >= count)
        qx::raise(ErrSubscript);
}

// A width or height in twips; negative sizes are refused.
int checkedTwips(int twips)
{
    if (twips < 0)
        qx::raise(ErrInvalidProperty);
    return twips;
}
} // namespace

void Grid::checkCell(int row, int col) const
{
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        qx::raise(ErrSubscript);
}

QString Grid::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    return model_->cells[size_t(row)][size_t(col)].text;
}

void Grid::set_TextMatrix(int row, int col, const QString &text)
{
    checkCell(row, col);
    QString &cell = model_->cells[size_t(row)][size_t(col)].text;
    // Writing what a cell holds repaints nothing (the result row is written
    // on every reading, most of its cells as they were).
    if (cell == text)
        return;
    cell = text;
    model_->cellChanged(row, col);
}

int Grid::Rows() const { return int(model_->cells.size()); }
int Grid::Cols() const { return model_->cols; }

void Grid::set_Rows(int n)
{
    if (n < fixedRows_ || n < 0)
        qx::raise(ErrInvalidProperty);
    const int old = Rows();
    model_->resize(n, Cols());
    rowHeight_.resize(size_t(n), defaultRowHeight_);
    for (int r = old; r < n; ++r)
        applyRowHeight(r);
    if (row_ >= n)
        row_ = n - 1;
    if (row_ < 0)
        row_ = 0;
    layoutFrozen();
    syncCurrent();
}

void Grid::set_Cols(int n)
{
    if (n < fixedCols_ || n < 0)
        qx::raise(ErrInvalidProperty);
    colWidth_.resize(size_t(n), DefaultColWidth);
    model_->resize(Rows(), n);
    for (int c = 0; c < n; ++c)
        applyColWidth(c);
    for (int r = 0; r < Rows(); ++r)
        applyRowHeight(r);
    if (col_ >= n)
        col_ = n - 1;
    if (col_ < 0)
        col_ = 0;
    layoutFrozen();
    syncCurrent();
}

void Grid::set_FixedRows(int n)
{
    if (n < 0 || n > Rows())
        qx::raise(ErrInvalidProperty);
    fixedRows_ = n;
    model_->fixedRows = n;
    model_->allChanged();
    layoutFrozen();
}

void Grid::set_FixedCols(int n)
{
    if (n < 0 || n > Cols())
        qx::raise(ErrInvalidProperty);
    fixedCols_ = n;
    model_->fixedCols = n;
    model_->allChanged();
}

int Grid::ColWidth(int col) const
{
    checkIndex(col, Cols());
    return colWidth_[size_t(col)];
}

void Grid::set_ColWidth(int col, int twips)
{
    checkIndex(col, Cols());
    colWidth_[size_t(col)] = checkedTwips(twips);
    applyColWidth(col);
}

int Grid::textMargin() const
{
    // The item view draws a cell's text this far in from each side.
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

int Grid::TextWidth(int col) const
{
    checkIndex(col, Cols());
    // Whole pixels at least as wide as the text's fractional width: the view
    // cuts a text that lacks a fraction of a pixel.
    const QFontMetricsF fm(font());
    int widest = 0;
    for (const auto &row : model_->cells)
        widest = std::max(widest, int(std::ceil(fm.horizontalAdvance(row[size_t(col)].text))));
    // The text, its margins and the grid line.
    return pxToTwips(widest + 2 * textMargin() + 1);
}

bool Grid::showCutText(QEvent *event, const QTableView *view)
{
    auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex idx = view->indexAt(help->pos());
    if (!idx.isValid()) {
        QToolTip::hideText();
        return true;
    }
    const QString text = model_->cells[size_t(idx.row())][size_t(idx.column())].text;
    const int room = view->columnWidth(idx.column()) - 2 * textMargin() - 1;
    if (QFontMetricsF(font()).horizontalAdvance(text) > room)
        QToolTip::showText(help->globalPos(), text, view->viewport(), view->visualRect(idx));
    else
        QToolTip::hideText();
    return true;
}

bool Grid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        return showCutText(event, this);
    return QTableView::viewportEvent(event);
}

int Grid::RowHeight(int row) const
{
    checkIndex(row, Rows());
    return rowHeight_[size_t(row)];
}

void Grid::set_RowHeight(int row, int twips)
{
    checkIndex(row, Rows());
    rowHeight_[size_t(row)] = checkedTwips(twips);
    applyRowHeight(row);
    layoutFrozen();
}

int Grid::ColAlignment(int col) const
{
    checkIndex(col, Cols());
    return model_->align[size_t(col)];
}

void Grid::set_ColAlignment(int col, int align)
{
    checkIndex(col, Cols());
    if (align < 0 || align > AlignGeneral)
        qx::raise(ErrInvalidProperty);
    model_->align[size_t(col)] = align;
    model_->allChanged();
}

void Grid::set_Row(int row)
{
    checkIndex(row, Rows());
    row_ = row;
    syncCurrent();
}

void Grid::set_Col(int col)
{
    checkIndex(col, Cols());
    col_ = col;
    syncCurrent();
}

uint32_t Grid::CellBackColor() const
{
    checkCell(row_, col_);
    const auto &cell = model_->cells[size_t(row_)][size_t(col_)];
    return cell.hasBack ? cell.back : 0;
}

void Grid::set_CellBackColor(uint32_t color)
{
    checkCell(row_, col_);
    auto &cell = model_->cells[size_t(row_)][size_t(col_)];
    cell.back = color;
    cell.hasBack = true;
    model_->cellChanged(row_, col_);
}

void Grid::Clear()
{
    for (auto &r : model_->cells)
        for (auto &cell : r)
            cell = GridModel::Cell{};
    model_->allChanged();
}

// The twips last set are read back as long as the size they gave stands.
namespace {
int keptTwips(int twips, int px) { return twipsToPx(twips) == px ? twips : pxToTwips(px); }
} // namespace

int Grid::Width() const { return keptTwips(widthTw_, width()); }
int Grid::Height() const { return keptTwips(heightTw_, height()); }

void Grid::set_Width(int twips)
{
    widthTw_ = checkedTwips(twips);
    resize(twipsToPx(twips), height());
}

void Grid::set_Height(int twips)
{
    heightTw_ = checkedTwips(twips);
    resize(width(), twipsToPx(twips));
}

void Grid::applyRowHeight(int row)
{
    const int px = twipsToPx(rowHeight_[size_t(row)]);
    setRowHeight(row, px);
    frozen_->setRowHeight(row, px);
    frozen_->setRowHidden(row, row >= fixedRows_);
}

void Grid::applyColWidth(int col)
{
    const int px = twipsToPx(colWidth_[size_t(col)]);
    setColumnWidth(col, px);
    frozen_->setColumnWidth(col, px);
}

void Grid::layoutFrozen()
{
    if (!frozen_)
        return;
    int h = 0;
    for (int r = 0; r < Rows(); ++r) {
        frozen_->setRowHidden(r, r >= fixedRows_);
        if (r < fixedRows_)
            h += rowHeight(r);
    }
    frozen_->setVisible(h > 0);
    const int f = frameWidth();
    frozen_->setGeometry(f, f, viewport()->width(), std::min(h, viewport()->height()));
    frozen_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
}

void Grid::resizeEvent(QResizeEvent *e)
{
    QTableView::resizeEvent(e);
    layoutFrozen();
}

void Grid::updateGeometries()
{
    QTableView::updateGeometries();
    layoutFrozen();
}

void Grid::syncCurrent()
{
    if (Rows() == 0 || Cols() == 0)
        return;
    const QModelIndex want = model_->index(row_, col_);
    if (currentIndex() != want)
        setCurrentIndex(want);
}

QModelIndex Grid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (!next.isValid() || Rows() <= fixedRows_ || Cols() <= fixedCols_)
        return next;
    return model_->index(std::max(next.row(), fixedRows_), std::max(next.column(), fixedCols_));
}

void Grid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        row_ = current.row();
        col_ = current.column();
    }
}

void Grid::trackMouse(const QPoint &viewPos, const QTableView *view)
{
    const QModelIndex idx = view->indexAt(viewPos);
    mouseRow_ = idx.isValid() ? idx.row() : -1;
    mouseCol_ = idx.isValid() ? idx.column() : -1;
}

bool Grid::handlePress(QMouseEvent *e, const QTableView *view)
{
    trackMouse(e->position().toPoint(), view);
    // A click on a scrolling cell makes it the current cell.
    if (mouseRow_ >= fixedRows_ && mouseCol_ >= fixedCols_ && e->button() == Qt::LeftButton) {
        row_ = mouseRow_;
        col_ = mouseCol_;
        syncCurrent();
    }
    pressed_ = true;
    const QPoint inGrid = view->viewport()->mapTo(this, e->position().toPoint());
    Q_EMIT MouseDown(buttonCode(e->button()), shiftCode(e->modifiers()), pxToTwips(inGrid.x()),
                     pxToTwips(inGrid.y()));
    return true;
}

bool Grid::handleRelease(QMouseEvent *e)
{
    if (!pressed_)
        return false;
    pressed_ = false;
    if (swallowRelease_) {
        swallowRelease_ = false;
        return true;
    }
    if (e->button() == Qt::LeftButton)
        Q_EMIT Click();
    return true;
}

bool Grid::handleDouble(QMouseEvent *e, const QTableView *view)
{
    trackMouse(e->position().toPoint(), view);
    pressed_ = true;
    swallowRelease_ = true;
    if (e->button() == Qt::LeftButton)
        Q_EMIT DblClick();
    return true;
}

void Grid::mousePressEvent(QMouseEvent *e)
{
    setFocus(Qt::MouseFocusReason);
    handlePress(e, this);
}

void Grid::mouseReleaseEvent(QMouseEvent *e) { handleRelease(e); }

void Grid::mouseDoubleClickEvent(QMouseEvent *e) { handleDouble(e, this); }

void Grid::mouseMoveEvent(QMouseEvent *e)
{
    trackMouse(e->position().toPoint(), this);
    QTableView::mouseMoveEvent(e);
}

bool Grid::eventFilter(QObject *watched, QEvent *event)
{
    if (frozen_ && watched == frozen_->viewport()) {
        if (event->type() == QEvent::ToolTip)
            return showCutText(event, frozen_);
        if (event->type() == QEvent::Wheel) {
            // Scrolling over the header rows scrolls the grid.
            QApplication::sendEvent(viewport(), event);
            return true;
        }
        auto *me = dynamic_cast<QMouseEvent *>(event);
        switch (me ? event->type() : QEvent::None) {
        case QEvent::MouseButtonPress:
            setFocus(Qt::MouseFocusReason);
            return handlePress(me, frozen_);
        case QEvent::MouseButtonRelease:
            return handleRelease(me);
        case QEvent::MouseButtonDblClick:
            return handleDouble(me, frozen_);
        case QEvent::MouseMove:
            trackMouse(me->position().toPoint(), frozen_);
            return false;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace qx
