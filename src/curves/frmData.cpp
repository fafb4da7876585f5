#include "curves/frmData.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "curves/MainViews.h"
#include "curves/frmColor.h"
#include "curves/frmCurve.h"
#include "curves/frmType.h"
#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "platform/AppHome.h"
#include "platform/FileEnding.h"
#include "platform/DialogWait.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/Picture.h"
#include "platform/Placement.h"
#include "platform/QxError.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"
#include "platform/WidgetStyle.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QGuiApplication>

using namespace qx;
using namespace qx::curves;

bool frmData::FineCurAxis = false;

namespace {

// Design size of the client area (twips) with one file row.
constexpr int ClientWidth = 12000;
constexpr int ClientHeight = 8000;
constexpr int MaxFiles = 10;

const char *const Headers[SummaryColumns] = {"Device", "Mode", "Begin Volt", "Cutoff Volt",
                                             "Capacity", "Energy", "Avg Volt", "Title"};
// Designed widths of columns 0 to 6 (twips); a column whose texts need more
// gets what they need. The title column takes the rest of the grid, at
// least TitleWidth.
constexpr int Widths[SummaryColumns - 1] = {1100, 2200, 1000, 1000, 1100, 1100, 1000};
constexpr int TitleWidth = 1000;
// The chart keeps at least this height (twips) when the window shrinks.
constexpr int MinChartHeight = 2400;

QAction *entry(QMenu *menu, const char *name, const char *caption)
{
    QAction *a = menu->addAction(QLatin1String(caption));
    a->setObjectName(QLatin1String(name));
    return a;
}

QString prompt() { return QStringLiteral("Prompt"); }

QString oneLine(QString s)
{
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

} // namespace

frmData::frmData()
{
    setObjectName(QStringLiteral("frmData"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildMenus();
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    chart_ = new ::CurveGraph(client);
    chart_->setObjectName(QStringLiteral("CurveGraph"));
    gridRun = new Grid(client);
    gridRun->setObjectName(QStringLiteral("gridRun"));
    gridRun->set_Cols(SummaryColumns);
    gridRun->set_Rows(2);
    gridRun->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridRun->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(chart_, &::CurveGraph::DblClick, this,
            [this] { guarded(QStringLiteral("frmData.CurveGraph_DblClick"), [this] { CurveGraph_DblClick(); }); });
    connect(chart_, &::CurveGraph::LblClick, this, [this](int i) {
        guarded(QStringLiteral("frmData.CurveGraph_LblClick"), [&] { CurveGraph_LblClick(i); });
    });
    connect(gridRun, &Grid::Click, this, [this] { gridRun_Click(); });

    resize(twipsToPx(ClientWidth), twipsToPx(ClientHeight) + menuBar()->sizeHint().height());
    baseHeight_ = height();
}

frmData::~frmData()
{
    // The viewer's dialogs go with it.
    frmColorForm().unload();
    frmTypeForm().unload();
    frmCurve2Form().unload();
}

void frmData::buildMenus()
{
    QMenuBar *bar = menuBar();
    mnuFile = bar->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    menuOpenData = entry(mnuFile, "menuOpenData", "Open Data");
    menuSavePic = entry(mnuFile, "menuSavePic", "Save Curve");
    menuCapture = entry(mnuFile, "menuCapture", "Save Picture");
    mnuCurve = bar->addMenu(QStringLiteral("Curve"));
    mnuCurve->setObjectName(QStringLiteral("mnuCurve"));
    menuCur = entry(mnuCurve, "menuCur", "Current");
    menuCur->setCheckable(true);
    menuCur->setChecked(true);
    menuLa = entry(mnuCurve, "menuLa", "Label");
    menuLa->setCheckable(true);
    mnuCurve->addSeparator();
    menuTitle = entry(mnuCurve, "menuTitle", "Title");
    menuXY = entry(mnuCurve, "menuXY", "Coordinate Settings");
    menuClear = entry(mnuCurve, "menuClear", "Clear");

    const struct {
        QAction *action;
        const char *tag;
        void (frmData::*handler)();
    } handlers[] = {
        {menuOpenData, "frmData.menuOpenData_Click", &frmData::menuOpenData_Click},
        {menuSavePic, "frmData.menuSavePic_Click", &frmData::menuSavePic_Click},
        {menuCapture, "frmData.menuCapture_Click", &frmData::menuCapture_Click},
        {menuCur, "frmData.menuCur_Click", &frmData::menuCur_Click},
        {menuLa, "frmData.menuLa_Click", &frmData::menuLa_Click},
        {menuTitle, "frmData.menuTitle_Click", &frmData::menuTitle_Click},
        {menuXY, "frmData.menuXY_Click", &frmData::menuXY_Click},
        {menuClear, "frmData.menuClear_Click", &frmData::menuClear_Click},
    };
    for (const auto &h : handlers) {
        const QString tag = QLatin1String(h.tag);
        auto handler = h.handler;
        connect(h.action, &QAction::triggered, this, [this, tag, handler] { guarded(tag, [&] { (this->*handler)(); }); });
    }
}

// ------------------------------------------------------------------ loading

void frmData::showViewer()
{
    static bool loading = false;
    if (loading) {
        // The axis-type question of the load is still open.
        if (frmTypeForm().isOpen())
            frmTypeForm().get().raise();
        return;
    }
    if (frmDataForm().isOpen()) {
        frmData &d = frmDataForm().get();
        d.showNormal();
        d.raise();
        d.activateWindow();
        return;
    }
    frmDataForm().unload(); // a viewer that never finished loading
    loading = true;
    QPointer<frmData> d(&frmDataForm().get());
    const bool loaded = d->Form_Load();
    loading = false;
    if (d && loaded) {
        d->show();
        d->Form_Resize();
    }
}

bool frmData::Form_Load()
{
    gridRun->set_Height(2 * gridRun->RowHeight(0) + pxToTwips(2 * gridRun->frameWidth()));
    for (int c = 0; c < SummaryColumns; ++c) {
        gridRun->set_TextMatrix(0, c, QLatin1String(Headers[c]));
        gridRun->set_ColAlignment(c, Grid::AlignCenterCenter);
        if (c < SummaryColumns - 1)
            gridRun->set_ColWidth(c, Widths[c]);
    }
    centreOnScreen(this, 200);

    FileCount = 0;
    ranges = DataRanges{};
    XAxisCap = false;

    // The axis type, asked before the window shows.
    QPointer<frmData> self(this);
    busy_ = true;
    DlgDone = false;
    waitForDialog(&frmTypeForm().fresh());
    if (!self)
        return false;
    busy_ = false;
    if (closePending_)
        return false;

    setWindowTitle(Module3::LangText(XAxisCap ? QStringLiteral("V--A--mAh") : QStringLiteral("V--A--Second")));
    ::CurveGraph &g = *chart_;
    const QString n = QString::number(FileCount + 1);
    g.set_LegendText(curveSlot(0, Curve::Voltage), Module3::LangText(QStringLiteral("Voltage") + n));
    g.set_LegendText(curveSlot(0, Curve::Current), Module3::LangText(QStringLiteral("Current") + n));
    g.set_LegendText(curveSlot(0, Curve::PowerOrTemp), Module3::LangText(QStringLiteral("Temp") + n));
    copyFirstChartStyle(g);
    g.set_ShowAxesY1(menuCur->isChecked());
    g.set_Size(true);
    g.ClearAll();
    return true;
}

// ------------------------------------------------------------------- layout

void frmData::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    guarded(QStringLiteral("frmData.Form_Resize"), [this] { Form_Resize(); });
}

int frmData::fitGrid()
{
    // Columns 0 to 6 as wide as their texts need (at least as designed).
    int fixed = 0;
    for (int c = 0; c < ColTitle; ++c) {
        const int w = std::max(Widths[c], gridRun->TextWidth(c));
        if (gridRun->ColWidth(c) != w)
            gridRun->set_ColWidth(c, w);
        fixed += w;
    }
    // The smallest window keeps the chart and every row of the grid in sight,
    // and the chart tall enough for its legends to stack inside the plot
    // area (when no height is enough, the legends are too wide to stack).
    const int minWidth = twipsToPx(200 + fixed + TitleWidth) + 2 * gridRun->frameWidth() + 1;
    const int legends = chart_->LegendsHeight(twipsToPx(pxToTwips(minWidth) - 200));
    const int chartHeight = std::max(MinChartHeight, legends > 0 ? pxToTwips(legends + 1) : 0);
    centralWidget()->setMinimumSize(minWidth, twipsToPx(gridRun->Height() + 300 + chartHeight) + 1);
    return fixed;
}

void frmData::Form_Resize()
{
    const int fixed = fitGrid();
    const QWidget *client = centralWidget();
    const int cw = pxToTwips(client->width()), ch = pxToTwips(client->height());
    const int gridW = cw - 200;
    const int gridTop = ch - gridRun->Height() - 100;
    const int chartH = gridTop - 200;
    // Inside the grid's frame, the title column takes what the others leave.
    const int titleW = gridW - fixed - pxToTwips(2 * gridRun->frameWidth());
    // A window not yet grown to its minimum keeps the last layout.
    if (titleW < 0 || chartH <= 0)
        return;
    gridRun->move(twipsToPx(100), twipsToPx(gridTop));
    gridRun->set_Width(gridW);
    chart_->setGeometry(twipsRect(100, 100, gridW, chartH));
    gridRun->set_ColWidth(ColTitle, titleW);
}

void frmData::placeTop()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(x(), s.top() + (s.height() - frameGeometry().height()) / 2 - twipsToPx(200));
    }
}

int frmData::rowHeightPx() const { return twipsToPx(gridRun->RowHeight(0)); }

void frmData::growGrid()
{
    gridRun->set_Rows(gridRun->Rows() + 1);
    gridRun->set_Height(gridRun->Height() + gridRun->RowHeight(0));
    if (!isMaximized() && !isFullScreen()) {
        resize(width(), height() + rowHeightPx());
        placeTop();
    }
    Form_Resize();
}

// --------------------------------------------------------------- open data

void frmData::menuOpenData_Click()
{
    if (busy_)
        return;
    const QString filter = OptCsv ? QStringLiteral("csv file(*.csv)|*.csv") : QStringLiteral("data file(*.dat)|*.dat");
    const QString path = Module4::ShowFileDialog(this, false, QStringLiteral("Open Data"), filter, QString(),
                                                 QString(), QString());
    if (path.isEmpty())
        return;
    OpenFile(path);
}

void frmData::OpenFile(const QString &path)
{
    if (busy_)
        return;
    if (FileCount >= MaxFiles) {
        ui().msgBox(Module3::LangText(QStringLiteral("Beyond the maximum display number!")), MbInformation,
                    Module3::LangText(prompt()));
        return;
    }

    // The whole file first: nothing changes unless it reads completely.
    ReadOptions opt;
    opt.fallbackSeparator = separatorForName(path, OptCsvT);
    opt.xAxisCap = XAxisCap;
    opt.ranges = ranges;
    ResultData r;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        r = readResultFile(path, opt);
        QApplication::restoreOverrideCursor();
    }
    if (!r.ok) {
        const QString where = r.errorLine > 0 ? QStringLiteral("line %1: ").arg(r.errorLine) : QString();
        ui().msgBox(Module3::LangText(QStringLiteral("The file was not opened:")) + QStringLiteral("\n") +
                        QFileInfo(path).fileName() + QStringLiteral("\n") + where + r.error,
                    MbCritical, Module3::LangText(prompt()));
        ErrLog(QStringLiteral("ErrOpenData"), path + QStringLiteral(": ") + where + r.error);
        return;
    }

    ::CurveGraph &g = *chart_;
    busy_ = true;
    menuBar()->setEnabled(false);
    if (FileCount > 0) {
        if (g.Large())
            g.set_Large(false);
        g.set_Size(false); // no mouse zoom with more than one file
        g.set_CurveCount(g.CurveCount() + CurvesPerSet);
        growGrid();
    }
    const int v = lastSetSlot(g.CurveCount(), Curve::Voltage), i = lastSetSlot(g.CurveCount(), Curve::Current);
    const int cap = lastSetSlot(g.CurveCount(), Curve::Capacity), energy = lastSetSlot(g.CurveCount(), Curve::Energy);
    const QString n = QString::number(FileCount + 1);
    g.set_LegendText(v, Module3::LangText(QStringLiteral("Voltage") + n));
    g.set_LegendText(i, Module3::LangText(QStringLiteral("Current") + n));
    g.set_CurveAxesY(v, 0);
    g.set_CurveAxesY(i, 1);

    // Colours and legend of the new curves.
    QPointer<frmData> self(this);
    DlgDone = false;
    waitForDialog(&frmColorForm().fresh());
    if (!self)
        return;
    busy_ = false;
    menuBar()->setEnabled(true);
    if (closePending_) {
        close();
        return;
    }

    g.set_MinX(0);
    if (XAxisCap)
        g.set_xBarType(1);
    g.TakePoints(v, std::move(r.volt), r.xRising);
    g.TakePoints(i, std::move(r.curr), r.xRising);
    g.TakePoints(cap, std::move(r.cap), r.tRising);
    g.TakePoints(energy, std::move(r.energy), r.tRising);
    const int row = FileCount + 1;
    for (int c = 0; c < SummaryColumns; ++c)
        gridRun->set_TextMatrix(row, c, r.cells[size_t(c)]);
    Form_Resize(); // the columns widen to values that need it
    if (r.deviceStated)
        FineCurAxis = r.cells[ColDevice] == QStringLiteral("QM-30");
    ranges = r.ranges;

    g.set_ShowCurve(v, true);
    g.set_ShowCurve(i, menuCur->isChecked());
    applyLegends();
    AutoScale();
    g.DrawCurve();
    FileCount = FileCount + 1;
}

void frmData::applyLegends()
{
    ::CurveGraph &g = *chart_;
    const bool la = menuLa->isChecked(), cur = menuCur->isChecked();
    for (int file = 0; file < g.CurveCount() / CurvesPerSet; ++file) {
        g.set_ShowLegend(curveSlot(file, Curve::Current), la && cur);
        g.set_ShowLegend(curveSlot(file, Curve::Voltage), la);
    }
    layoutLegends();
}

void frmData::layoutLegends()
{
    // Setting the first file's third legend (never shown here) lays the
    // shown legends out in a column, as a resize of the chart does.
    const int third = curveSlot(0, Curve::PowerOrTemp);
    chart_->set_ShowLegend(third, chart_->ShowLegend(third));
    fitGrid(); // the legends shown may need a taller chart
}

void frmData::AutoScale()
{
    ::CurveGraph &g = *chart_;
    if (g.MaxX() != float(ranges.XMax))
        g.set_MaxX(float(ranges.XMax));
    const AxisEnds v = scaleAxis(ranges.VMax, ranges.VMin, VoltUnit);
    const AxisEnds i = scaleAxis(ranges.IMax, ranges.IMin, FineCurAxis ? FineCurrentUnit : CurrentUnit);
    if (g.MinY(0) != v.bottom)
        g.set_MinY(0, v.bottom);
    if (g.MaxY(0) != v.top)
        g.set_MaxY(0, v.top);
    if (g.MinY(1) != i.bottom)
        g.set_MinY(1, i.bottom);
    if (g.MaxY(1) != i.top)
        g.set_MaxY(1, i.top);
}

// -------------------------------------------------------- titles, legends

void frmData::menuTitle_Click() { CurveGraph_DblClick(); }

void frmData::CurveGraph_DblClick()
{
    const auto s = ui().inputBox(QStringLiteral("Please input new title"), prompt(), chart_->TitleText());
    if (s && !s->isEmpty())
        chart_->set_TitleText(*s);
}

void frmData::CurveGraph_LblClick(int Index)
{
    const auto s = ui().inputBox(QStringLiteral("Please input new label"), prompt(), chart_->LegendText(Index));
    if (s && !s->isEmpty()) {
        chart_->set_LegendText(Index, *s);
        layoutLegends(); // the new width may change the columns
    }
}

void frmData::gridRun_Click()
{
    try {
        const int row = gridRun->MouseRow(), col = gridRun->MouseCol();
        if (col != ColTitle || row < 1)
            return;
        const auto s = ui().inputBox(QStringLiteral("Please input new title"), prompt(), gridRun->TextMatrix(row, col));
        if (s && !s->isEmpty())
            gridRun->set_TextMatrix(row, col, *s);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrTitle2"), QString::fromStdString(e.what()));
    }
}

void frmData::menuCur_Click()
{
    ::CurveGraph &g = *chart_;
    const bool cur = menuCur->isChecked();
    g.set_ShowAxesY1(cur);
    for (int file = 0; file < g.CurveCount() / CurvesPerSet; ++file) {
        g.set_ShowCurve(curveSlot(file, Curve::Current), cur);
        g.set_ShowLegend(curveSlot(file, Curve::Current), menuLa->isChecked() && cur);
    }
    layoutLegends();
    g.DrawCurve();
}

void frmData::menuLa_Click() { applyLegends(); }

void frmData::menuXY_Click()
{
    if (frmCurve2Form().isOpen()) {
        frmCurve2Form().get().raise();
        return;
    }
    frmCurve2Form().fresh().show();
}

// -------------------------------------------------------------------- clear

void frmData::menuClear_Click()
{
    if (busy_)
        return;
    if (ui().msgBox(Module3::LangText(QStringLiteral("Clear Curve?")), MbOkCancel | MbInformation,
                    Module3::LangText(prompt())) != MrOk)
        return;
    ::CurveGraph &g = *chart_;
    g.ClearAll();
    for (int r = 1; r <= FileCount; ++r)
        for (int c = 0; c < SummaryColumns; ++c)
            gridRun->set_TextMatrix(r, c, QString());
    // Back to one file row, in the grid and in the window.
    const int extra = gridRun->Rows() - 2;
    if (extra > 0) {
        gridRun->set_Rows(2);
        gridRun->set_Height(gridRun->Height() - extra * gridRun->RowHeight(0));
        fitGrid(); // a smaller minimum first, so the window can shrink
        if (!isMaximized() && !isFullScreen()) {
            resize(width(), std::max(baseHeight_, height() - extra * rowHeightPx()));
            placeTop();
        }
    }
    Form_Resize();
    g.set_CurveCount(CurvesPerSet);
    FileCount = 0;
    ranges = DataRanges{};
    g.set_Size(true);
}

// ----------------------------------------------------------------- pictures

QImage frmData::Capture(bool withGrid)
{
    const QRect c = chart_->geometry();
    const int w = c.width() + twipsToPx(50);
    const int h = withGrid ? gridRun->geometry().bottom() + 1 - c.top() + twipsToPx(50) : c.height();
    return picture::render(QRect(c.topLeft(), QSize(std::max(w, 1), std::max(h, 1))),
                           {chart_, withGrid ? gridRun : nullptr}, palette().color(QPalette::Window));
}

QString frmData::pictureName() const { return Module4::DateStamp(QDateTime::currentDateTime()); }

bool frmData::savePicture(const QString &title, const QString &defaultName, bool withGrid, const QString &tag)
{
    QString path = Module4::ShowFileDialog(this, true, Module3::LangText(title),
                                           QStringLiteral("bmp file(*.bmp)|*.bmp"), defaultName, QString(), QString());
    if (path.isEmpty())
        return true;
    path = withEnding(path, u"bmp");
    QApplication::processEvents();
    QApplication::processEvents();
    QString reason;
    if (!picture::saveBmp(Capture(withGrid), path, &reason)) {
        ErrLog(tag, QStringLiteral("the picture cannot be written to ") + path + QStringLiteral(": ") + reason);
        promptBox(QStringLiteral("Save failed!"), MbCritical);
        return false;
    }
    return true;
}

void frmData::menuCapture_Click()
{
    savePicture(QStringLiteral("Save Picture"), pictureName(), true, QStringLiteral("ErrCapture"));
}

void frmData::menuSavePic_Click()
{
    try {
        // The default name ends with the Device cell of the last file opened.
        const QString device = gridRun->TextMatrix(std::max(FileCount, 1), ColDevice);
        savePicture(QStringLiteral("Save Curve"), pictureName() + QStringLiteral("-") + device, false,
                    QStringLiteral("ErrSavePic"));
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrSavePic"), QString::fromStdString(e.what()));
    }
}

// ---------------------------------------------------------------- log, close

void frmData::ErrLog(const QString &tag, const QString &description)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = now.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') +
                         now.time().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(":[") + oneLine(tag) +
                         QLatin1Char(']') + oneLine(description) + QStringLiteral("\r\n");
    savefile::append(homePath(QStringLiteral("qx.log")), line.toUtf8());
}

void frmData::closeEvent(QCloseEvent *e)
{
    if (busy_) {
        // A dialog of an open is waiting: close it first; the open then
        // ends and closes the viewer.
        closePending_ = true;
        e->ignore();
        if (frmColorForm().isOpen())
            frmColorForm().get().reject();
        if (frmTypeForm().isOpen())
            frmTypeForm().get().reject();
        return;
    }
    QMainWindow::closeEvent(e);
}

qx::FormHolder<frmData> &frmDataForm()
{
    static qx::FormHolder<frmData> holder;
    return holder;
}
