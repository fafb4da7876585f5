#include "common/ErrorCode.h"
#include "platform/Grid.h"
#include "platform/QxError.h"
#include "common/Mouse.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

using qx::Grid;

namespace {

// A shown 5 x 3 grid whose cells hold "r,c".
struct Filled {
    Grid g;
    Filled(int rows = 5, int cols = 3)
    {
        g.set_Cols(cols);
        g.set_Rows(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                g.set_TextMatrix(r, c, QString("%1,%2").arg(r).arg(c));
        g.resize(300, 200);
        g.show();
        QApplication::processEvents();
    }
    QPoint cellCentre(int r, int c) { return g.visualRect(g.model()->index(r, c)).center(); }
};

} // namespace

TEST(Grid, StartsAsTwoByTwoWithOneFixedRow)
{
    Grid g;
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.FixedCols(), 0);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.TextMatrix(1, 1), "");
}

TEST(Grid, CellsOutsideTheGridFail)
{
    Filled f;
    struct Case {
        const char *what;
        std::function<void()> call;
    } cases[] = {
        {"row -1", [&] { f.g.TextMatrix(-1, 0); }},
        {"row = Rows", [&] { f.g.TextMatrix(5, 0); }},
        {"col = Cols", [&] { f.g.set_TextMatrix(0, 3, "x"); }},
        {"ColWidth past end", [&] { f.g.ColWidth(3); }},
        {"RowHeight past end", [&] { f.g.set_RowHeight(5, 240); }},
        {"Row past end", [&] { f.g.set_Row(5); }},
        {"Col negative", [&] { f.g.set_Col(-1); }},
        {"alignment column", [&] { f.g.set_ColAlignment(3, 4); }},
    };
    for (const auto &c : cases)
        EXPECT_EQ(qx::test::errorCode(c.call), qx::ErrSubscript) << c.what;
    EXPECT_EQ(qx::test::errorCode([&] { f.g.set_Rows(0); }), qx::ErrInvalidProperty) << "fewer rows than fixed";
    EXPECT_EQ(qx::test::errorCode([&] { f.g.set_ColAlignment(0, 10); }), qx::ErrInvalidProperty);
    EXPECT_EQ(f.g.TextMatrix(4, 2), "4,2") << "failed calls change nothing";
}

TEST(Grid, RowsGrowEmptyAndShrinkDropsRowsAndClampsTheCurrentRow)
{
    Filled f;
    f.g.set_Row(4);
    f.g.set_Rows(7);
    EXPECT_EQ(f.g.TextMatrix(4, 2), "4,2");
    EXPECT_EQ(f.g.TextMatrix(6, 0), "");
    f.g.set_Rows(3);
    EXPECT_EQ(f.g.Rows(), 3);
    EXPECT_EQ(f.g.Row(), 2);
    EXPECT_EQ(f.g.TextMatrix(2, 1), "2,1");
    f.g.set_Cols(5);
    EXPECT_EQ(f.g.TextMatrix(2, 1), "2,1") << "adding columns keeps the cells";
    EXPECT_EQ(f.g.TextMatrix(2, 4), "");
}

TEST(Grid, WidthsAndHeightsKeepTheirTwipsAndSizeTheCells)
{
    Filled f;
    EXPECT_EQ(f.g.ColWidth(2), Grid::DefaultColWidth);
    f.g.set_ColWidth(1, 798);
    f.g.set_RowHeight(2, 450);
    EXPECT_EQ(f.g.ColWidth(1), 798);
    EXPECT_EQ(f.g.columnWidth(1), 53);
    EXPECT_EQ(f.g.RowHeight(2), 450);
    EXPECT_EQ(f.g.rowHeight(2), 30);
    f.g.set_Cols(4);
    EXPECT_EQ(f.g.columnWidth(1), 53) << "column count changes keep the widths";
    EXPECT_EQ(f.g.rowHeight(2), 30);
    f.g.set_Width(3345);
    EXPECT_EQ(f.g.width(), 223);
    EXPECT_EQ(f.g.Width(), 3345);
}

TEST(Grid, CellBackColorFollowsTheCurrentCellAndClearEmptiesTextAndColours)
{
    Filled f;
    f.g.set_ColAlignment(1, Grid::AlignCenterCenter);
    f.g.set_ColWidth(1, 700);
    f.g.set_Row(3);
    f.g.set_Col(0);
    f.g.set_CellBackColor(0xFF);
    f.g.set_Col(1);
    EXPECT_EQ(f.g.CellBackColor(), 0u) << "a cell without a colour of its own";
    f.g.set_Col(0);
    EXPECT_EQ(f.g.CellBackColor(), 0xFFu);
    EXPECT_EQ(f.g.model()->data(f.g.model()->index(3, 0), Qt::BackgroundRole).value<QBrush>().color(),
              QColor(255, 0, 0));

    f.g.Clear();
    EXPECT_EQ(f.g.CellBackColor(), 0u);
    EXPECT_EQ(f.g.TextMatrix(0, 0), "") << "fixed cells are cleared too";
    EXPECT_EQ(f.g.TextMatrix(4, 2), "");
    EXPECT_EQ(f.g.Rows(), 5);
    EXPECT_EQ(f.g.ColWidth(1), 700);
    EXPECT_EQ(f.g.ColAlignment(1), Grid::AlignCenterCenter);
}

TEST(Grid, ColumnAlignmentPlacesTheText)
{
    Filled f;
    struct Case {
        int align;
        QString text;
        Qt::Alignment want;
    } cases[] = {
        {Grid::AlignLeftTop, "x", Qt::AlignLeft | Qt::AlignTop},
        {Grid::AlignCenterCenter, "x", Qt::AlignHCenter | Qt::AlignVCenter},
        {Grid::AlignRightBottom, "x", Qt::AlignRight | Qt::AlignBottom},
        {Grid::AlignGeneral, "12.5", Qt::AlignRight | Qt::AlignVCenter},
        {Grid::AlignGeneral, "D-CC", Qt::AlignLeft | Qt::AlignVCenter},
    };
    for (const auto &c : cases) {
        f.g.set_ColAlignment(2, c.align);
        f.g.set_TextMatrix(1, 2, c.text);
        const auto got = f.g.model()->data(f.g.model()->index(1, 2), Qt::TextAlignmentRole)
                             .value<Qt::Alignment>();
        EXPECT_EQ(got, c.want) << c.align << " " << c.text.toStdString();
    }
}

TEST(Grid, MouseDownReportsTheCellAndAClickMakesItCurrent)
{
    Filled f;
    std::vector<std::tuple<int, int, int>> downs;  // button, row, col
    int clicks = 0, doubles = 0;
    QObject::connect(&f.g, &Grid::MouseDown, [&](int b, int, int, int) {
        downs.emplace_back(b, f.g.MouseRow(), f.g.MouseCol());
    });
    QObject::connect(&f.g, &Grid::Click, [&] { ++clicks; });
    QObject::connect(&f.g, &Grid::DblClick, [&] { ++doubles; });

    const QPoint p = f.cellCentre(3, 2);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonPress, p);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonRelease, p);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], std::make_tuple(1, 3, 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f.g.Row(), 3);
    EXPECT_EQ(f.g.Col(), 2);

    // A double click: press, release, double, release gives one Click and one DblClick.
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonPress, p);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonRelease, p);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonDblClick, p);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonRelease, p);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubles, 1);

    // A right button press reports the button but does not move the current cell.
    const QPoint q = f.cellCentre(1, 0);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonPress, q, Qt::RightButton);
    qx::test::sendMouse(f.g.viewport(), QEvent::MouseButtonRelease, q, Qt::RightButton);
    EXPECT_EQ(downs.back(), std::make_tuple(2, 1, 0));
    EXPECT_EQ(f.g.Row(), 3);
    EXPECT_EQ(clicks, 2);

    // The keys keep the current cell out of the header row.
    f.g.set_Row(1);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&f.g, &up);
    EXPECT_EQ(f.g.Row(), 1);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&f.g, &down);
    EXPECT_EQ(f.g.Row(), 2);
}

TEST(Grid, TheFixedRowStaysOnTopWhenTheGridScrolls)
{
    Filled f(40, 3);
    f.g.set_Row(39);
    f.g.verticalScrollBar()->setValue(f.g.verticalScrollBar()->maximum());
    QApplication::processEvents();
    ASSERT_GT(f.g.verticalScrollBar()->value(), 0);

    // The top of the viewport shows row 0, and a press there reports row 0.
    QWidget *top = f.g.childAt(f.g.viewport()->mapTo(&f.g, QPoint(20, 3)));
    ASSERT_NE(top, nullptr);
    ASSERT_NE(top, f.g.viewport());
    int row = -2;
    QObject::connect(&f.g, &Grid::MouseDown, [&](int, int, int, int) { row = f.g.MouseRow(); });
    qx::test::sendMouse(top, QEvent::MouseButtonPress, QPoint(20, 3));
    qx::test::sendMouse(top, QEvent::MouseButtonRelease, QPoint(20, 3));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(f.g.Row(), 39) << "a header press does not move the current cell";

    // Without fixed rows nothing covers the cells.
    f.g.set_FixedRows(0);
    QApplication::processEvents();
    EXPECT_EQ(f.g.childAt(f.g.viewport()->mapTo(&f.g, QPoint(20, 3))), f.g.viewport());
}
