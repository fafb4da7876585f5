// The data viewer: files overlaid in time and capacity modes, the summary
// grid, axes scaled to all files, the colour and axis-type dialogs, refused
// files leaving everything as it was, Clear, titles and legends, pictures and
// the viewer's log.
#include "ViewerFixture.h"

#include "common/Mouse.h"
#include "common/QtPrint.h"
#include "curves/ColorSwatch.h"
#include "curves/frmCurve.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolTip>
#include <QStyle>
#include <QHelpEvent>

using namespace qx;
using namespace qx::curves;
using qx::test::DialogAnswer;
using qx::test::ViewerFixture;
using qx::test::viewerFixture;

namespace {

// Everything a refused file must leave as it was.
struct Snapshot {
    int files, curves, rows, height;
    QStringList cells, legends;
    std::vector<int32_t> points;
    float minX, maxX, minY0, maxY0, minY1, maxY1;
    bool size;

    explicit Snapshot(const frmData &v)
    {
        const CurveGraph &g = v.CurveGraph();
        files = v.FileCount;
        curves = g.CurveCount();
        rows = v.gridRun->Rows();
        height = v.height();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < SummaryColumns; ++c)
                cells << v.gridRun->TextMatrix(r, c);
        for (int c = 0; c < curves; ++c) {
            legends << g.LegendText(c);
            points.push_back(g.DpCnt(c));
        }
        minX = g.MinX(), maxX = g.MaxX();
        minY0 = g.MinY(0), maxY0 = g.MaxY(0), minY1 = g.MinY(1), maxY1 = g.MaxY(1);
        size = g.Size();
    }
    bool operator==(const Snapshot &o) const
    {
        return files == o.files && curves == o.curves && rows == o.rows && height == o.height && cells == o.cells &&
               legends == o.legends && points == o.points && minX == o.minX && maxX == o.maxX &&
               minY0 == o.minY0 && maxY0 == o.maxY0 && minY1 == o.minY1 && maxY1 == o.maxY1 && size == o.size;
    }
};

} // namespace

struct Viewer : ViewerFixture {
    frmData &v = openViewer();
    CurveGraph &g = v.CurveGraph();
};

TEST_F(Viewer, LoadsAsDesignedAfterTheAxisQuestion)
{
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(v.windowTitle(), "V--A--Second");
    EXPECT_FALSE(v.XAxisCap);
    EXPECT_EQ(v.FileCount, 0);
    EXPECT_EQ(g.CurveCount(), 5);
    EXPECT_EQ(g.LegendText(0), "Voltage1");
    EXPECT_EQ(g.LegendText(1), "Current1");
    EXPECT_EQ(g.LegendText(2), "Temp1");
    EXPECT_TRUE(g.Size());
    EXPECT_TRUE(v.menuCur->isChecked());
    EXPECT_FALSE(v.menuLa->isChecked());
    ASSERT_EQ(v.gridRun->Rows(), 2);
    const char *headers[] = {"Device", "Mode", "Begin Volt", "Cutoff Volt", "Capacity", "Energy", "Avg Volt", "Title"};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(v.gridRun->TextMatrix(0, c), headers[c]);
    // Layout: grid under the chart, title column taking what the others
    // leave inside the grid's frame.
    const QRect chart = g.geometry(), grid = v.gridRun->geometry();
    EXPECT_EQ(chart.left(), grid.left());
    EXPECT_EQ(chart.width(), grid.width());
    int columns = 0;
    for (int c = 0; c < 8; ++c)
        columns += v.gridRun->ColWidth(c);
    EXPECT_EQ(columns + pxToTwips(2 * v.gridRun->frameWidth()), v.gridRun->Width());
    EXPECT_LT(chart.bottom(), grid.top());

    // Showing it again brings the same window forward; nothing is asked.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frmData::showViewer();
    EXPECT_EQ(&frmDataForm().get(), &v);
    EXPECT_FALSE(frmTypeForm().isLoaded());
}

TEST_F(Viewer, ThreeFilesOverlaidOnTheTimeAxis)
{
    const int h0 = v.height();
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    EXPECT_EQ(ui.fileRequests.back().title, "Open Data");
    EXPECT_EQ(ui.fileRequests.back().filter, "csv file(*.csv)|*.csv");
    ASSERT_TRUE(open(v, viewerFixture("two_channel_ch2.csv")));
    ASSERT_TRUE(open(v, viewerFixture("step_program.dat")));
    EXPECT_EQ(v.FileCount, 3);
    EXPECT_EQ(g.CurveCount(), 15);
    EXPECT_FALSE(g.Size()) << "no mouse zoom with more than one file";
    ASSERT_EQ(v.gridRun->Rows(), 4);
    EXPECT_EQ(v.height(), h0 + 2 * twipsToPx(v.gridRun->RowHeight(0)));

    const QStringList rows[] = {
        {"QM-20", "D-CC", "4.200V", "3.000V", "5mAh", "19mWh", "3.90V", "Cell A"},
        {"QM-52", "C-Liion", "3.600V", "", "33.33333mAh", "127mWh", "3.8V", "Pack B channel 2"},
        {"", "", "", "", "500mAh", "5750mWh", "11.5V", "Steps"},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(v.gridRun->TextMatrix(r + 1, c), rows[r][c]) << r << "," << c;

    for (int f = 0; f < 3; ++f) {
        const int b = 5 * f;
        EXPECT_EQ(g.LegendText(b), QStringLiteral("Voltage%1").arg(f + 1));
        EXPECT_EQ(g.LegendText(b + 1), QStringLiteral("Current%1").arg(f + 1));
        EXPECT_TRUE(g.ShowCurve(b));
        EXPECT_TRUE(g.ShowCurve(b + 1));
        EXPECT_FALSE(g.ShowCurve(b + 3));
        EXPECT_FALSE(g.ShowCurve(b + 4));
        EXPECT_EQ(g.CurveAxesY(b), 0);
        EXPECT_EQ(g.CurveAxesY(b + 1), 1);
    }
    EXPECT_EQ(g.DpCnt(0), 4);
    EXPECT_EQ(g.DpCnt(5), 3);
    EXPECT_EQ(g.DpCnt(10), 2);
    EXPECT_EQ(g.DpCnt(13), 2);
    EXPECT_FLOAT_EQ(g.DpY(13, 1), 0.5f); // 500 mAh at 3600 s
    EXPECT_EQ(g.xBarType(), 0);

    // Axes over all three files: time to 3600 s, 3.5..12.1 V and 0.4..2.1 A
    // widened to whole tenths of 0.5 V and 0.5 A.
    EXPECT_FLOAT_EQ(g.MinX(), 0);
    EXPECT_FLOAT_EQ(g.MaxX(), 3600);
    EXPECT_FLOAT_EQ(g.MinY(0), 3.3f);
    EXPECT_FLOAT_EQ(g.MaxY(0), 12.3f);
    EXPECT_FLOAT_EQ(g.MinY(1), 0.4f);
    EXPECT_FLOAT_EQ(g.MaxY(1), 2.4f);
}

TEST_F(ViewerFixture, CapacityAxisReadsCapacityAtTheVoltagesPoint)
{
    frmData &v = openViewer(true);
    CurveGraph &g = v.CurveGraph();
    EXPECT_EQ(v.windowTitle(), "V--A--mAh");
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    EXPECT_EQ(g.xBarType(), 1);
    EXPECT_FLOAT_EQ(g.MaxX(), 5); // 5 mAh reached
    EXPECT_FLOAT_EQ(g.DpX(0, 3), 5);
    EXPECT_FLOAT_EQ(g.DpX(3, 3), 18); // capacity itself stays against seconds

    // A right press at the right end of the plot: the last line's voltage,
    // current, capacity and energy together.
    QCoreApplication::processEvents();
    QWidget *s = g.picGraph();
    const QPoint at(s->width() - g.RightMargin() - 1, s->height() / 2);
    test::sendMouse(s, QEvent::MouseButtonPress, at, Qt::RightButton);
    EXPECT_EQ(g.DispCaption(), "3.600V   1.000A\r0.005Ah 0.019Wh");
    test::sendMouse(s, QEvent::MouseButtonRelease, at, Qt::RightButton);
}

TEST_F(Viewer, ColourDialogSetsTheNewCurvesAndVoltageLegend)
{
    ASSERT_TRUE(open(v, viewerFixture("worked_example.csv")));
    ui.colorAnswers = {0x00FF00, -1};
    ASSERT_TRUE(open(v, viewerFixture("worked_example.csv"), [](frmColor &d) {
        // A later file starts from the colours of a new block: blue and red.
        EXPECT_EQ(d.windowTitle(), "Curve Color");
        EXPECT_EQ(d.VolIdx, 5);
        EXPECT_EQ(d.CurIdx, 6);
        EXPECT_EQ(swatchColor(d.lblVolColor), 0xFF0000u);
        EXPECT_EQ(swatchColor(d.lblCurColor), 0x0000FFu);
        EXPECT_EQ(d.txtVol->text(), "Voltage2");
        d.lblVolColor_Click(); // green chosen
        d.lblCurColor_Click(); // picker cancelled: stays red
        d.txtVol->setText("Cell 2");
        d.cmdOK->click();
    }));
    EXPECT_EQ(g.CurveLineColor(5), 0x00FF00u);
    EXPECT_EQ(g.CurveLineColor(6), 0x0000FFu);
    EXPECT_EQ(g.LegendText(5), "Cell 2");
    EXPECT_EQ(g.LegendText(6), "Current2");

    // Cancel keeps what the chart gave the new curves; the file still loads.
    ASSERT_TRUE(open(v, viewerFixture("worked_example.csv"), [](frmColor &d) {
        d.txtVol->setText("ignored");
        d.cmdCancel->click();
    }));
    EXPECT_EQ(v.FileCount, 3);
    EXPECT_EQ(g.LegendText(10), "Voltage3");
    EXPECT_EQ(g.CurveLineColor(10), 0xFF0000u);
}

TEST_F(Viewer, RefusedFilesLeaveTheViewerAsItWasAndSayWhy)
{
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    const struct {
        const char *name;
        QByteArray bytes;
        const char *says;
    } cases[] = {
        {"no_data.csv", "-----------QX Tester Software-----------\r\nDevice:QM-20\r\n", "the file has no data line"},
        {"header_only.csv", "Time(S),Cur(A),Vol(V)\r\n", "the file has no data line"},
        {"bad_number.csv", "Device:QM-99\r\n0,1.00,4.000\r\n5,1.00,four\r\n", "line 3: \"four\" is not a number"},
        {"missing.csv", "0,1.00,4.000\r\n5,1.00\r\n", "line 2: the line has fewer than three fields"},
        {"huge.csv", "0,1.00,4.000\r\n" + QByteArray(200000, '7') + "\r\n", "line 2: the line is longer than 65536"},
        {"empty.csv", "", "the file has no data line"},
    };
    const Snapshot before(v);
    const bool fine = frmData::FineCurAxis;
    for (const auto &c : cases) {
        home.write(QLatin1String(c.name), c.bytes);
        ui.msgs.clear();
        EXPECT_FALSE(open(v, home.file(QLatin1String(c.name)))) << c.name << ": no colour dialog for a refused file";
        EXPECT_TRUE(Snapshot(v) == before) << c.name;
        EXPECT_EQ(frmData::FineCurAxis, fine);
        ASSERT_EQ(ui.msgs.size(), 1u) << c.name;
        EXPECT_EQ(ui.msgs[0].title, "Prompt");
        EXPECT_EQ(ui.msgs[0].style, MbCritical);
        EXPECT_TRUE(ui.msgs[0].text.contains(QLatin1String(c.name))) << ui.msgs[0].text.toStdString();
        EXPECT_TRUE(ui.msgs[0].text.contains(QString::fromUtf8(c.says))) << ui.msgs[0].text.toStdString();
    }
    EXPECT_TRUE(v.menuBar()->isEnabled());
    // Each refusal is logged in the viewer's log.
    const QStringList log = QString::fromUtf8(home.read("qx.log")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), int(std::size(cases)));
    EXPECT_TRUE(log[2].contains(":[ErrOpenData]")) << log[2].toStdString();
    EXPECT_TRUE(log[2].contains("bad_number.csv: line 3: \"four\" is not a number")) << log[2].toStdString();

    // A good file afterwards goes to the next row and block as usual.
    ASSERT_TRUE(open(v, viewerFixture("worked_example.csv")));
    EXPECT_EQ(v.FileCount, 2);
    EXPECT_EQ(v.gridRun->TextMatrix(2, 4), "2.777778mAh");
}

TEST_F(Viewer, TheEleventhFileIsRefusedAndClearStartsAgainAtRowOne)
{
    const int h0 = v.height();
    for (int f = 0; f < 10; ++f)
        ASSERT_TRUE(open(v, viewerFixture("worked_example.csv"))) << f;
    EXPECT_EQ(g.CurveCount(), 50);
    EXPECT_EQ(v.gridRun->Rows(), 11);
    const Snapshot full(v);
    ui.msgs.clear();
    EXPECT_FALSE(open(v, viewerFixture("one_channel.csv")));
    ASSERT_EQ(ui.msgTexts(), QStringList{"Beyond the maximum display number!"});
    EXPECT_EQ(ui.msgs[0].style, MbInformation);
    EXPECT_TRUE(Snapshot(v) == full);

    // Cancel keeps everything; OK empties the chart and the grid, back to one row.
    ui.msgAnswers = {MrCancel};
    v.menuClear->trigger();
    EXPECT_EQ(v.FileCount, 10);
    ui.msgAnswers = {MrOk};
    v.menuClear->trigger();
    EXPECT_EQ(ui.msgs.back().text, "Clear Curve?");
    EXPECT_EQ(ui.msgs.back().style, MbOkCancel | MbInformation);
    EXPECT_EQ(v.FileCount, 0);
    EXPECT_EQ(g.CurveCount(), 5);
    EXPECT_EQ(g.DpCnt(0), 0);
    EXPECT_TRUE(g.Size());
    EXPECT_EQ(v.gridRun->Rows(), 2);
    EXPECT_EQ(v.gridRun->TextMatrix(1, 4), "");
    EXPECT_EQ(v.height(), h0);

    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    EXPECT_EQ(v.gridRun->Rows(), 2);
    EXPECT_EQ(v.gridRun->TextMatrix(1, 0), "QM-20");
    EXPECT_EQ(v.height(), h0);
}

namespace {

// The cells of the summary grid that it cuts short (as "390.5..."), as
// "row,column: text".
QStringList cutCells(const Grid &grid)
{
    QStringList cut;
    const QFontMetrics fm = grid.fontMetrics();
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    for (int r = 0; r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c) {
            const QString text = grid.TextMatrix(r, c);
            // The cell's text as the view draws it: inside its margins, left
            // of the grid line.
            const int room = grid.columnWidth(c) - 1 - 2 * margin;
            if (fm.elidedText(text, Qt::ElideRight, room) != text)
                cut << QStringLiteral("%1,%2: %3").arg(r).arg(c).arg(text);
        }
    return cut;
}

} // namespace

TEST_F(Viewer, TheSummaryGridShowsEveryValueWhole)
{
    // Values wider than the designed columns: a pack of a hundred cells.
    home.write(QStringLiteral("pack.csv"), "Device:QM-52\r\nMode:C-Liion\r\nBegin Volt:390.555V\r\n"
                                           "Cutoff Volt:385.125V\r\nCapacity:35996mAh\r\nEnergy:13940512mWh\r\n"
                                           "Avg Volt:387.27V\r\nTitle:Pack\r\nTime(S),Cur(A),Vol(V)\r\n"
                                           "0,1.00,390.555\r\n6,1.00,385.125\r\n");
    ASSERT_TRUE(open(v, home.file(QStringLiteral("pack.csv"))));
    ASSERT_TRUE(open(v, viewerFixture("two_channel_ch2.csv")));
    EXPECT_EQ(v.gridRun->TextMatrix(1, ColBeginVolt), "390.555V");
    EXPECT_EQ(v.gridRun->TextMatrix(1, ColEnergy), "13940512mWh");
    EXPECT_EQ(cutCells(*v.gridRun), QStringList());
    // The grid still fits the window, the title column inside its frame.
    const QRect inside = v.gridRun->contentsRect();
    EXPECT_LE(v.gridRun->columnViewportPosition(ColTitle) + v.gridRun->columnWidth(ColTitle), inside.width());
    EXPECT_TRUE(v.centralWidget()->rect().contains(v.gridRun->geometry()));

    // A title longer than its column shows whole as the cell's tooltip.
    v.gridRun->set_TextMatrix(2, ColTitle, QString(200, QLatin1Char('T')));
    QWidget *cells = v.gridRun->viewport();
    const QPoint at = v.gridRun->visualRect(v.gridRun->model()->index(2, ColTitle)).center();
    QHelpEvent tip(QEvent::ToolTip, at, cells->mapToGlobal(at));
    QApplication::sendEvent(cells, &tip);
    EXPECT_EQ(QToolTip::text(), QString(200, QLatin1Char('T')));
    QToolTip::hideText();
}

TEST_F(Viewer, AtItsSmallestTheViewerKeepsChartAndEveryGridRowInSight)
{
    for (int files : {0, 1, 10}) {
        SCOPED_TRACE(files);
        while (v.FileCount < files)
            ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
        v.resize(60, 60);
        QCoreApplication::processEvents();
        const QWidget *client = v.centralWidget();
        const QRect chart = g.geometry(), grid = v.gridRun->geometry();
        EXPECT_TRUE(client->rect().contains(chart));
        EXPECT_TRUE(client->rect().contains(grid));
        EXPECT_LT(chart.bottom(), grid.top());
        EXPECT_GE(chart.height(), 160);
        // Every row of the grid, and the title column, within the grid.
        const int last = v.gridRun->Rows() - 1;
        EXPECT_LE(v.gridRun->rowViewportPosition(last) + v.gridRun->rowHeight(last),
                  v.gridRun->viewport()->height());
        EXPECT_GT(v.gridRun->columnWidth(ColTitle), 0);
        EXPECT_EQ(cutCells(*v.gridRun), QStringList());
    }
}

// Ten files with their legends shown, at the opening size and at the
// smallest the window allows: every legend drawn, apart from the others, on
// its own background (the chart's grid and curves do not show through it),
// and inside the axis lines, which run 5 pixels outside the plot area (x 50
// to W - 50, y 40 to H - 50) with the axes' labels beyond them. The chart
// takes the height the grid's rows and the margins (300 twips) leave.
TEST_F(Viewer, TenFilesKeepEveryLegendReadableAndClearOfTheAxes)
{
    for (int f = 0; f < 10; ++f)
        ASSERT_TRUE(open(v, viewerFixture("one_channel.csv"))) << f;
    v.menuLa->trigger();
    ASSERT_TRUE(v.menuLa->isChecked());
    QCoreApplication::processEvents();
    for (const QSize size : {v.size(), QSize(60, 60)}) {
        v.resize(size);
        QCoreApplication::processEvents();
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(v.width()).arg(v.height()).toStdString());
        const int W = g.picGraph()->width(), H = g.picGraph()->height();
        const QRect inside(QPoint(46, 41), QPoint(W - 50 + 4, H - 46));
        const QImage shot = v.Capture(false).convertToFormat(QImage::Format_RGB32);
        std::vector<QRect> seen;
        for (int file = 0; file < 10; ++file)
            for (const int c : {5 * file, 5 * file + 1}) {
                QLabel *l = g.lblLegend(c);
                ASSERT_TRUE(l->isVisible()) << c;
                const QRect r = l->geometry();
                EXPECT_TRUE(inside.contains(r)) << g.LegendText(c).toStdString() << " at " << r.x() << "," << r.y();
                for (const QRect &o : seen)
                    EXPECT_FALSE(r.intersects(o)) << g.LegendText(c).toStdString();
                seen.push_back(r);
                const QImage own = l->grab().toImage().convertToFormat(QImage::Format_RGB32);
                EXPECT_TRUE(shot.copy(r) == own) << g.LegendText(c).toStdString() << " shows the chart through";
            }
        int rows = 2 * v.gridRun->frameWidth();
        for (int r = 0; r < v.gridRun->Rows(); ++r)
            rows += v.gridRun->rowHeight(r);
        EXPECT_GE(g.height(), v.centralWidget()->height() - rows - twipsToPx(300) - 1);
    }
}

TEST_F(Viewer, ModelQM30SnapsTheCurrentAxisToFineSteps)
{
    ASSERT_TRUE(open(v, viewerFixture("qm30.csv")));
    EXPECT_TRUE(frmData::FineCurAxis);
    // 0.2..0.4 A is a whole number of 0.005 A steps.
    EXPECT_FLOAT_EQ(g.MinY(1), 0.2f);
    EXPECT_FLOAT_EQ(g.MaxY(1), 0.4f);
    EXPECT_FLOAT_EQ(g.MinY(0), 4.7f);
    EXPECT_FLOAT_EQ(g.MaxY(0), 5.2f);
    ui.msgAnswers = {MrOk};
    v.menuClear->trigger();
    EXPECT_TRUE(frmData::FineCurAxis) << "kept through Clear";
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    EXPECT_FALSE(frmData::FineCurAxis);
    frmData::FineCurAxis = false;
}

TEST_F(ViewerFixture, ZeroSpansStillDrawAndAZeroWidthZoomIsRefused)
{
    frmData &v = openViewer(true);
    CurveGraph &g = v.CurveGraph();
    // One point, no current: no time and no capacity span at all.
    home.write("one.csv", "0,0.00,4.000\r\n");
    ASSERT_TRUE(open(v, home.file("one.csv")));
    EXPECT_FLOAT_EQ(g.MinX(), 0);
    EXPECT_FLOAT_EQ(g.MaxX(), 0);
    QCoreApplication::processEvents();
    const QImage pic = g.Picture();
    ASSERT_FALSE(pic.isNull());
    // The frame is drawn: axes and labels in black on the white background.
    int black = 0, white = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            const QRgb p = pic.pixel(x, y) & 0xFFFFFF;
            black += p == 0;
            white += p == 0xFFFFFF;
        }
    EXPECT_GT(black, 500);
    EXPECT_GT(white, pic.width() * pic.height() / 2);

    // A rubber band over the plot: its ends coincide on an axis of no width.
    ASSERT_TRUE(g.Size());
    QWidget *s = g.picGraph();
    test::sendMouse(s, QEvent::MouseButtonPress, QPoint(100, 100));
    test::sendMouse(s, QEvent::MouseMove, QPoint(300, 300));
    test::sendMouse(s, QEvent::MouseButtonRelease, QPoint(300, 300));
    EXPECT_FALSE(g.Large());
    EXPECT_FLOAT_EQ(g.MaxX(), 0);
}

TEST_F(Viewer, TitleLegendAndGridTitleEdits)
{
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    ui.inputAnswers = {QString("Run 7"), QString(), std::nullopt};
    v.menuTitle->trigger();
    EXPECT_EQ(g.TitleText(), "Run 7");
    EXPECT_EQ(ui.inputs.back().prompt, "Please input new title");
    EXPECT_EQ(ui.inputs.back().title, "Prompt");
    v.CurveGraph_DblClick(); // empty answer
    v.CurveGraph_DblClick(); // cancelled
    EXPECT_EQ(g.TitleText(), "Run 7");
    EXPECT_EQ(ui.inputs.back().defaultText, "Run 7");

    ui.inputAnswers = {QString("Cell A volts")};
    Q_EMIT g.LblClick(0);
    EXPECT_EQ(ui.inputs.back().prompt, "Please input new label");
    EXPECT_EQ(ui.inputs.back().defaultText, "Voltage1");
    EXPECT_EQ(g.LegendText(0), "Cell A volts");

    // A click on the title column of a file row edits that cell only.
    QCoreApplication::processEvents();
    Grid &grid = *v.gridRun;
    const QRect cell7 = grid.visualRect(grid.model()->index(1, 7));
    const QRect cell3 = grid.visualRect(grid.model()->index(1, 3));
    ui.inputAnswers = {QString("Renamed")};
    const size_t asked = ui.inputs.size();
    test::sendMouse(grid.viewport(), QEvent::MouseButtonPress, cell3.center());
    test::sendMouse(grid.viewport(), QEvent::MouseButtonRelease, cell3.center());
    EXPECT_EQ(ui.inputs.size(), asked);
    test::sendMouse(grid.viewport(), QEvent::MouseButtonPress, cell7.center());
    test::sendMouse(grid.viewport(), QEvent::MouseButtonRelease, cell7.center());
    ASSERT_EQ(ui.inputs.size(), asked + 1);
    EXPECT_EQ(ui.inputs.back().defaultText, "Cell A");
    EXPECT_EQ(grid.TextMatrix(1, 7), "Renamed");
}

TEST_F(Viewer, CurrentAndLabelEntriesShowAndHideEveryBlock)
{
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    ASSERT_TRUE(open(v, viewerFixture("worked_example.csv")));
    v.menuLa->trigger();
    EXPECT_TRUE(v.menuLa->isChecked());
    for (int b : {0, 5}) {
        EXPECT_TRUE(g.ShowLegend(b));
        EXPECT_TRUE(g.ShowLegend(b + 1));
    }
    v.menuCur->trigger();
    EXPECT_FALSE(v.menuCur->isChecked());
    EXPECT_FALSE(g.ShowAxesY1());
    for (int b : {0, 5}) {
        EXPECT_FALSE(g.ShowCurve(b + 1));
        EXPECT_FALSE(g.ShowLegend(b + 1));
        EXPECT_TRUE(g.ShowLegend(b));
    }
    // A file opened now comes without its current curve.
    ASSERT_TRUE(open(v, viewerFixture("worked_example.csv")));
    EXPECT_TRUE(g.ShowCurve(10));
    EXPECT_FALSE(g.ShowCurve(11));
}

TEST_F(Viewer, PicturesAreRenderedFromTheChartAndGrid)
{
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    QCoreApplication::processEvents();
    const QRect chart = g.geometry(), grid = v.gridRun->geometry();

    ui.fileAnswers = {home.file("with-grid")};
    v.menuCapture->trigger();
    const auto &req = ui.fileRequests.back();
    EXPECT_TRUE(req.save);
    EXPECT_EQ(req.title, "Save Picture");
    EXPECT_EQ(req.filter, "bmp file(*.bmp)|*.bmp");
    EXPECT_TRUE(QRegularExpression("^\\d{4}(-\\d{1,2}){5}$").match(req.defaultName).hasMatch())
        << req.defaultName.toStdString();
    QImage with(home.file("with-grid.bmp"));
    ASSERT_FALSE(with.isNull());
    EXPECT_EQ(with.size(), QSize(chart.width() + 3, grid.bottom() + 1 - chart.top() + 3));
    const QImage chartPic = g.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(with.convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(0, 0), chart.size())), chartPic);
    const QImage gridPic = v.gridRun->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(with.convertToFormat(QImage::Format_RGB32).copy(QRect(grid.topLeft() - chart.topLeft(), grid.size())),
              gridPic);

    // "Save Curve": the chart alone, named after the file's device; a name
    // ending in ".BMP" keeps its ending as it stands.
    ui.fileAnswers = {home.file("alone.BMP")};
    v.menuSavePic->trigger();
    EXPECT_EQ(ui.fileRequests.back().title, "Save Curve");
    EXPECT_TRUE(ui.fileRequests.back().defaultName.endsWith("-QM-20"));
    EXPECT_TRUE(QFile::exists(home.file("alone.BMP")));
    EXPECT_FALSE(QFile::exists(home.file("alone.BMP.bmp")));
    QImage alone(home.file("alone.BMP"));
    ASSERT_FALSE(alone.isNull());
    EXPECT_EQ(alone.size(), QSize(chart.width() + 3, chart.height()));

    // A folder that does not exist: logged and told.
    EXPECT_TRUE(ui.msgs.empty());
    ui.fileAnswers = {home.file("no/such/folder/x.bmp")};
    v.menuSavePic->trigger();
    EXPECT_TRUE(QString::fromUtf8(home.read("qx.log")).contains(":[ErrSavePic]"));
    ASSERT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
    EXPECT_EQ(ui.msgs.back().style, MbCritical);
}

TEST_F(Viewer, CoordinateDialogSetsOnlyTheViewersChart)
{
    ASSERT_TRUE(open(v, viewerFixture("one_channel.csv")));
    v.menuXY->trigger();
    ASSERT_TRUE(frmCurve2Form().isLoaded());
    frmCurve2 &d = frmCurve2Form().get();
    EXPECT_EQ(d.txtVL->text(), "3.4");
    EXPECT_EQ(d.txtVH->text(), "4.4");
    EXPECT_EQ(d.txtTime2->text(), "18");
    d.txtVL->setText("0.2");
    d.txtVH->setText("0.3");
    d.txtTime2->setText("3600");
    d.cmdOK->click();
    EXPECT_TRUE(ui.msgs.empty()) << ui.msgTexts().join("|").toStdString();
    EXPECT_FLOAT_EQ(g.MinY(0), 0.2f);
    EXPECT_FLOAT_EQ(g.MaxY(0), 0.3f);
    EXPECT_FLOAT_EQ(g.MaxX(), 3600);
    EXPECT_FALSE(QFile::exists(home.file("qx.ini")));
}

// Legends renamed to long texts (83 and 96 characters, 560 pixels and
// more), at three sizes of the window: the narrowest, once as short as
// allowed (two columns of legends) and once tall (one column); and wide
// enough for them.
// Each legend stays inside the axis lines, apart from every other legend; a
// long one too wide for the room is cut short with an ellipsis, its tooltip
// and the legend text holding the whole text, and shows whole where it fits.
TEST_F(Viewer, ALongLegendIsCutShortToItsColumn)
{
    for (int f = 0; f < 4; ++f)
        ASSERT_TRUE(open(v, viewerFixture("one_channel.csv"))) << f;
    v.menuLa->trigger();
    const QString longText = QStringLiteral("Cell 7 of the old pack, discharged at 2 A after a week on the shelf at 25 degrees C");
    ASSERT_EQ(longText.size(), 83);
    const QString second = QStringLiteral("Second file: ") + longText;
    ui.inputAnswers = {longText, second};
    // Renamed by a double click, as the user does: the click before it
    // places nothing, the legend stays in the stack.
    for (const int k : {0, 6}) {
        QLabel *l = g.lblLegend(k);
        test::sendMouse(l, QEvent::MouseButtonPress, {4, 4});
        test::sendMouse(l, QEvent::MouseButtonRelease, {4, 4});
        test::sendMouse(l, QEvent::MouseButtonDblClick, {4, 4});
        test::sendMouse(l, QEvent::MouseButtonRelease, {4, 4});
        ASSERT_FALSE(g.LegendMoved(k));
    }
    ASSERT_EQ(g.LegendText(0), longText);
    ASSERT_EQ(g.LegendText(6), second);
    const struct {
        QSize size;
        bool cut;
    } cases[] = {{QSize(60, 60), true}, {QSize(60, 900), true}, {QSize(900, 600), false}};
    for (const auto &c : cases) {
        v.resize(c.size);
        QCoreApplication::processEvents();
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(v.width()).arg(v.height()).toStdString());
        const int W = g.picGraph()->width(), H = g.picGraph()->height();
        const QRect inside(QPoint(46, 41), QPoint(W - 50 + 4, H - 46));
        std::vector<QRect> seen;
        for (int file = 0; file < 4; ++file)
            for (const int k : {5 * file, 5 * file + 1}) {
                const QLabel *l = g.lblLegend(k);
                ASSERT_TRUE(l->isVisible()) << k;
                const QRect r = l->geometry();
                EXPECT_TRUE(inside.contains(r)) << k << " at " << r.x() << "," << r.y() << ", " << r.width() << " wide";
                for (const QRect &o : seen)
                    EXPECT_FALSE(r.intersects(o)) << k;
                seen.push_back(r);
            }
        for (const int k : {0, 6}) {
            const QLabel *l = g.lblLegend(k);
            const QString whole = QStringLiteral("---- ") + g.LegendText(k);
            if (!c.cut) {
                EXPECT_EQ(l->text(), whole);
                EXPECT_EQ(l->toolTip(), "");
                continue;
            }
            EXPECT_TRUE(l->text().endsWith(QChar(0x2026))) << l->text().toStdString();
            EXPECT_TRUE(whole.startsWith(l->text().chopped(1))) << l->text().toStdString();
            EXPECT_GT(l->text().size(), 40) << "most of the text is left";
            EXPECT_EQ(l->toolTip(), g.LegendText(k));
        }
        // The others keep their texts whole.
        EXPECT_EQ(g.lblLegend(1)->text(), "---- Current1");
        EXPECT_EQ(g.lblLegend(1)->toolTip(), "");
    }
}
