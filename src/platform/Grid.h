#pragma once
// The one grid control of the program: a table of text cells addressed by
// row and column from 0, where the first FixedRows rows (and FixedCols
// columns) are header cells. Fixed rows stay in place when the grid scrolls.
// Widths and heights are in twips (15 per pixel), colours 0x00BBGGRR.
// CellBackColor works on the current cell (Row, Col), as the program's grid
// code expects: set Row and Col first, then the colour.
//
// An index outside the grid fails with QxError(ErrSubscript); a value a
// property cannot take fails with QxError(ErrInvalidProperty).
#include <QTableView>
#include <cstdint>
#include <vector>

class QAbstractTableModel;

namespace qx {

class GridModel;

class Grid : public QTableView {
    Q_OBJECT
public:
    // Column alignments (ColAlignment).
    enum Align : int {
        AlignLeftTop = 0, AlignLeftCenter = 1, AlignLeftBottom = 2,
        AlignCenterTop = 3, AlignCenterCenter = 4, AlignCenterBottom = 5,
        AlignRightTop = 6, AlignRightCenter = 7, AlignRightBottom = 8,
        AlignGeneral = 9 // text left, numbers right, vertically centred
    };
    static constexpr int DefaultColWidth = 960;  // twips

    // A new grid has 2 rows, 2 columns, one fixed row and no fixed column.
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    QString TextMatrix(int row, int col) const;
    void set_TextMatrix(int row, int col, const QString &text);

    int Rows() const;
    void set_Rows(int n);   // at least FixedRows; new rows are empty
    int Cols() const;
    void set_Cols(int n);   // at least FixedCols
    int FixedRows() const { return fixedRows_; }
    void set_FixedRows(int n);   // 0 to Rows
    int FixedCols() const { return fixedCols_; }
    void set_FixedCols(int n);   // 0 to Cols

    int ColWidth(int col) const;            // twips
    void set_ColWidth(int col, int twips);
    // Twips column col needs to show the text of every one of its cells
    // whole in the grid's font. A cell whose text its column cuts short
    // shows the whole text as its tooltip.
    int TextWidth(int col) const;
    int RowHeight(int row) const;           // twips
    void set_RowHeight(int row, int twips);
    int ColAlignment(int col) const;
    void set_ColAlignment(int col, int align);

    // Current cell.
    int Row() const { return row_; }
    void set_Row(int row);
    int Col() const { return col_; }
    void set_Col(int col);
    // Background of the current cell; 0 when it has none of its own.
    uint32_t CellBackColor() const;
    void set_CellBackColor(uint32_t color);

    // Cell under the mouse at its last event over the grid; -1 outside the cells.
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

    // Empties every cell: texts and cell backgrounds; rows, columns, widths
    // and alignments stay.
    void Clear();

    // Outer size in twips (the value set is read back while the size stands).
    int Width() const;
    void set_Width(int twips);
    int Height() const;
    void set_Height(int twips);

Q_SIGNALS:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt;
    // x, y in twips within the grid. MouseRow/MouseCol are set before.
    void MouseDown(int button, int shift, int x, int y);
    void Click();
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void updateGeometries() override;
    bool viewportEvent(QEvent *event) override;
    // The keys move the current cell among the scrolling cells only.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void checkCell(int row, int col) const;
    int textMargin() const;
    // The tooltip of the cell at pos of view: its text when cut short.
    bool showCutText(QEvent *event, const QTableView *view);
    void applyRowHeight(int row);
    void applyColWidth(int col);
    void layoutFrozen();
    void syncCurrent();
    // Mouse handling shared by the grid and its frozen header rows.
    void trackMouse(const QPoint &viewPos, const QTableView *view);
    bool handlePress(QMouseEvent *e, const QTableView *view);
    bool handleRelease(QMouseEvent *e);
    bool handleDouble(QMouseEvent *e, const QTableView *view);

    GridModel *model_;
    QTableView *frozen_;
    std::vector<int> colWidth_;   // twips
    std::vector<int> rowHeight_;  // twips
    int defaultRowHeight_;        // twips
    int widthTw_ = -1, heightTw_ = -1;
    int fixedRows_ = 1;
    int fixedCols_ = 0;
    int row_ = 1;
    int col_ = 0;
    int mouseRow_ = -1;
    int mouseCol_ = -1;
    bool pressed_ = false;
    bool swallowRelease_ = false;
};

} // namespace qx
