#include "tools/frmQC.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "curves/MainViews.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/Numbers.h"
#include "platform/Placement.h"
#include "platform/UiServices.h"
#include "platform/WidgetStyle.h"
#include "tools/MainOps.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

using qx::curves::Curve;
using qx::curves::curveSlot;

using namespace qx;

namespace {

// Designed heights and tops (twips) of the parts Form_Resize leaves alone.
constexpr int ChartHeight = 4200;
constexpr int GridTop = 4400;
constexpr int GridHeight = 1380;
constexpr int FrameTop = 5880;
constexpr int FrameHeight = 1560;
constexpr int InnerWidth = 9600;
constexpr int InnerHeight = 7560;

} // namespace

frmQC::frmQC()
{
    setObjectName(QStringLiteral("frmQC"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("QC2.0 测试"));
    buildControls();
    resize(twipsToPx(InnerWidth), twipsToPx(InnerHeight) + menuBar()->sizeHint().height());

    // Form_Load.
    centreOnScreen(this);
    writeHeaders(false);
    ::CurveGraph &g = *CurveGraph;
    g.set_MinY(0, 3);
    g.set_MaxY(0, 13);
    g.set_MinY(1, 0);
    g.set_MaxY(1, 2.5f);
    g.set_MinX(0);
    g.set_MaxX(15);
    g.set_xBarType(1);
    const int vol = curveSlot(0, Curve::Voltage), cur = curveSlot(0, Curve::Current);
    g.set_LegendText(vol, QStringLiteral("Voltage"));
    g.set_LegendText(cur, QStringLiteral("Current"));
    g.set_CurveAxesY(vol, 0);
    g.set_CurveAxesY(cur, 1);
    for (int c : {vol, cur}) {
        g.set_ShowCurve(c, true);
        g.set_ShowLegend(c, true);
    }
    curves::copyFirstChartStyle(g);
    g.set_Size(true);
    g.ClearAll();
    PlotX = 0;
}

frmQC::~frmQC() { Form_Unload(); }

void frmQC::buildControls()
{
    menu_File = menuBar()->addMenu(QStringLiteral("File"));
    menu_File->setObjectName(QStringLiteral("menu_File"));
    menuSave = menu_File->addAction(QStringLiteral("Save Test")); // no action of its own
    menuSave->setObjectName(QStringLiteral("menuSave"));
    menuTitle = menu_File->addAction(QStringLiteral("Modify Title"));
    menuTitle->setObjectName(QStringLiteral("menuTitle"));
    menuClear = menu_File->addAction(QStringLiteral("Clear Test"));
    menuClear->setObjectName(QStringLiteral("menuClear"));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    CurveGraph = control<::CurveGraph>(client, "CurveGraph", twipsRect(100, 100, InnerWidth - 200, ChartHeight));
    gridList = control<Grid>(client, "gridList", twipsRect(100, GridTop, InnerWidth - 200, GridHeight));
    gridList->set_Rows(4);
    gridList->set_Cols(7);
    gridList->set_FixedRows(1);
    gridList->set_FixedCols(1);
    gridList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Frame1 = control<QGroupBox>(client, "Frame1", twipsRect(100, FrameTop, InnerWidth - 200, FrameHeight));
    const char *const levelNames[] = {"opt5V", "opt9V", "opt12V"};
    const char *const levelCaptions[] = {"5V输出:", "9V输出:", "12V输出:"};
    QRadioButton **levels[] = {&opt5V, &opt9V, &opt12V};
    const std::span<QCheckBox *> boxes[] = {chk5, chk9, chk12};
    const char *const boxNames[] = {"chk5", "chk9", "chk12"};
    for (int l = 0; l < qc::LoadLevels; ++l) {
        const int top = 240 + 420 * l;
        *levels[l] = control<QRadioButton>(Frame1, levelNames[l], twipsRect(240, top, 1320, 330),
                                          QString::fromUtf8(levelCaptions[l]));
        const std::span<const float> currents = qc::loadLevel(l).box;
        for (size_t i = 0; i < boxes[l].size(); ++i) {
            const QString caption = num::format(currents[i], u"0.0") + QLatin1Char('A');
            QCheckBox *b = control<QCheckBox>(Frame1, nullptr, twipsRect(1680 + 1020 * int(i), top, 960, 330), caption);
            b->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(boxNames[l])).arg(i));
            b->setChecked(true);
            boxes[l][i] = b;
        }
    }
    opt5V->setChecked(true);
    cmdTest = control<QPushButton>(Frame1, "cmdTest", twipsRect(7320, 480, 1500, 600), QStringLiteral("测试"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);

    onSignal(cmdTest, &QPushButton::clicked, this, "frmQC.cmdTest_Click", &frmQC::cmdTest_Click);
    onSignal(Timer1, &QTimer::timeout, this, "frmQC.Timer1_Timer", &frmQC::Timer1_Timer);
    onSignal(menuClear, &QAction::triggered, this, "frmQC.menuClear_Click", &frmQC::menuClear_Click);
    onSignal(menuTitle, &QAction::triggered, this, "frmQC.menuTitle_Click", &frmQC::menuTitle_Click);
}

void frmQC::writeHeaders(bool cleared)
{
    const char *const top[] = {"QC2.0", cleared ? "空载" : "Open", "0.5A", "1.0A", "1.5A", "2.0A", "2.2A"};
    for (int c = 0; c < 7; ++c)
        gridList->set_TextMatrix(0, c, QString::fromUtf8(top[c]));
    const char *const rows[] = {"5V", "9V", "12V"};
    for (int r = 0; r < 3; ++r)
        gridList->set_TextMatrix(r + 1, 0,
                                 QString::fromUtf8(rows[r]) + (cleared ? QStringLiteral("输出") : QStringLiteral(" Out")));
}

void frmQC::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    guarded(QStringLiteral("frmQC.Form_Resize"), [this] { Form_Resize(); });
}

void frmQC::Form_Resize()
{
    const int width = pxToTwips(centralWidget()->width()) - 200;
    if (width <= 0)
        return;
    CurveGraph->setGeometry(twipsToPx(100), twipsToPx(100), twipsToPx(width), CurveGraph->height());
    gridList->move(twipsToPx(100), gridList->y());
    gridList->set_Width(width);
    Frame1->resize(twipsToPx(width), Frame1->height());
    // A seventh of the width and a quarter of the height inside the grid's
    // border, in whole pixels, so that every cell shows without scrolling.
    const int border = 2 * gridList->frameWidth();
    const int colWidth = pxToTwips((twipsToPx(width) - border) / 7);
    for (int c = 0; c < 7; ++c) {
        gridList->set_ColWidth(c, colWidth);
        gridList->set_ColAlignment(c, Grid::AlignCenterCenter);
    }
    const int rowHeight = pxToTwips((twipsToPx(gridList->Height()) - border) / 4);
    for (int r = 0; r < 4; ++r)
        gridList->set_RowHeight(r, rowHeight);
}

int frmQC::chosenLevel() const
{
    if (opt9V->isChecked())
        return 1;
    if (opt12V->isChecked())
        return 2;
    return 0;
}

void frmQC::lockLevels(bool locked)
{
    for (QRadioButton *o : {opt5V, opt9V, opt12V})
        o->setEnabled(!locked);
}

void frmQC::cmdTest_Click()
{
    std::array<uint32_t, qc::LoadLevels> ticked{};
    const std::span<QCheckBox *const> boxes[] = {chk5, chk9, chk12};
    for (int l = 0; l < qc::LoadLevels; ++l)
        for (size_t i = 0; i < boxes[l].size(); ++i)
            if (boxes[l][i]->checkState() == Qt::Checked)
                ticked[size_t(l)] |= 1u << i;
    test_.begin(ticked);
    TestDev = CurDev;
    Timer1->start();
    cmdTest->setEnabled(false);
    menuClear->setEnabled(false);
    lockLevels(true);
}

void frmQC::plot(float v, float i)
{
    CurveGraph->AddXY(curveSlot(0, Curve::Voltage), float(PlotX), v);
    CurveGraph->AddXY(curveSlot(0, Curve::Current), float(PlotX), i);
}

void frmQC::Timer1_Timer()
{
    ::DevCtrl *panel = ::DevCtrl::find(TestDev);
    // The readings as the panel shows them at each use.
    const auto V = [&] { return panel ? panel->tVol(0) : QString(); };
    const auto I = [&] { return panel ? panel->tCur(0) : QString(); };
    const auto reading = [](const QString &text) { return float(num::val(text)); };

    plot(reading(V()), reading(I()));
    ++PlotX;
    const int level = chosenLevel();
    const qc::LoadLevel &lv = qc::loadLevel(level);
    // Once started, the channel must still be running: a device that has
    // ended the test (its cut-off, a fault) reads no load any more.
    if (test_.TestStep > 0 && !Running[TestDev][0]) {
        deviceEnded(level);
        plot(reading(V()), reading(I()));
        CurveGraph->DrawCurve();
        promptBox(QStringLiteral("The device ended the test!"), MbInformation);
        return;
    }
    const qc::LoadTest::Step step = test_.tick(level);
    if (step.column > 0)
        gridList->set_TextMatrix(lv.row, step.column, V());
    tools::MainOps *ops = tools::mainOps();
    const QString current = num::format(step.current, u"00.00");
    switch (step.action) {
    case qc::LoadTest::Action::Start:
        if (panel) {
            panel->set_tSval(0, current);
            panel->set_tSlmt(0, QLatin1String(lv.limit));
            panel->set_tStim(0, QStringLiteral("0"));
        }
        if (ops)
            ops->RunClick(TestDev, 0);
        break;
    case qc::LoadTest::Action::Adjust:
        if (panel)
            panel->set_tSval(0, current);
        if (ops)
            ops->RemoteSet(TestDev, 0, step.current);
        break;
    case qc::LoadTest::Action::End:
        endTest();
        break;
    }
    plot(reading(V()), reading(I()));
    CurveGraph->DrawCurve();
}

void frmQC::endTest(bool stopLoad)
{
    Timer1->stop();
    cmdTest->setEnabled(true);
    menuClear->setEnabled(true);
    lockLevels(false);
    if (!stopLoad)
        return;
    if (tools::MainOps *ops = tools::mainOps())
        ops->StopClick(TestDev, 0);
}

void frmQC::deviceEnded(int level)
{
    // The currents from the one applied last on were not measured: their
    // cells stay empty, whatever an earlier test left there.
    const qc::LoadTest::List &l = test_.list(level);
    const int row = qc::loadLevel(level).row;
    for (int k = std::max(test_.TestStep - 1, 0); k < qc::ListSize && l.cur[size_t(k)] > 0; ++k)
        gridList->set_TextMatrix(row, l.col[size_t(k)], QString());
    endTest(false);
}

void frmQC::menuClear_Click()
{
    CurveGraph->ClearAll();
    PlotX = 0;
    gridList->Clear();
    writeHeaders(true);
}

void frmQC::menuTitle_Click()
{
    const std::optional<QString> answer =
        ui().inputBox(QStringLiteral("Please input new title"), QStringLiteral("Prompt"), CurveGraph->TitleText());
    if (answer && !answer->isEmpty())
        CurveGraph->set_TitleText(*answer);
}

void frmQC::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    // A test still running leaves no load switched on.
    if (Timer1->isActive())
        endTest();
}

void frmQC::closeEvent(QCloseEvent *e)
{
    guarded(QStringLiteral("frmQC.Form_Unload"), [this] { Form_Unload(); });
    e->accept();
}

qx::FormHolder<frmQC> &frmQCForm()
{
    static qx::FormHolder<frmQC> holder;
    return holder;
}
