// The device tabs: one set of views per tab, "Add Device", the tab click and
// the two-channel set-up of a chart and its result grid.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "services/Module1.h"
#include "services/Module3.h"
#include "link/PortWatch.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "platform/AppVersion.h"
#include "mainwin/ChartSettings.h"
#include "mainwin/InfoList.h"
#include "panel/DevCtrl.h"
#include "platform/Colors.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "platform/WidgetStyle.h"

#include <QAction>
#include <QFrame>
#include <QListWidget>
#include <QTimer>
#include <QToolBar>

using qx::curves::Curve;
using qx::curves::curveSlot;

namespace {

constexpr int InfoLines = 7;
constexpr int PanelWidth = 3495;   // twips, as designed
constexpr int PanelHeight = 7575;
constexpr int FrameTop = 480;      // below the tabs

QTimer *deviceTimer(QObject *parent, const char *name, int n, int ms)
{
    auto *t = new QTimer(parent);
    t->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(n));
    t->setInterval(ms);
    return t;
}

void copyGeometry(QWidget *to, const QWidget *from) { to->setGeometry(from->geometry()); }

} // namespace

void frmMain::createDeviceViews(int n)
{
    DeviceViews v;
    v.frmDev = new QFrame(client_);
    v.frmDev->setObjectName(QStringLiteral("frmDev_%1").arg(n));
    v.frmDev->setAutoFillBackground(true);
    v.panel = new ::DevCtrl(v.frmDev);
    v.panel->setObjectName(QStringLiteral("DevCtrl_%1").arg(n));
    v.panel->set_Index(n);
    v.chart = new ::CurveGraph(v.frmDev);
    v.chart->setObjectName(QStringLiteral("CurveGraph_%1").arg(n));
    v.gridRun = new qx::Grid(v.frmDev);
    v.gridRun->setObjectName(QStringLiteral("gridRun_%1").arg(n));
    v.gridRun->set_Rows(3);
    v.gridRun->set_Cols(qx::resultgrid::Columns);
    v.gridRun->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v.gridRun->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v.lstInfo = new qx::InfoList(v.frmDev);
    v.lstInfo->setObjectName(QStringLiteral("lstInfo_%1").arg(n));
    for (int i = 0; i < InfoLines; ++i)
        v.lstInfo->addItem(QString());
    // A read-out, not a choice: a click (which opens the news link) marks no
    // line, and the news scrolling through line 0 brings no scroll bar.
    v.lstInfo->setSelectionMode(QAbstractItemView::NoSelection);
    v.lstInfo->setFocusPolicy(Qt::NoFocus);
    v.lstInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v.lstInfo->setTextElideMode(Qt::ElideNone);
    hookInfoList(v.lstInfo, n);
    v.gridAutolist = new qx::Grid(v.frmDev);
    v.gridAutolist->setObjectName(QStringLiteral("gridAutolist_%1").arg(n));
    v.gridAutolist->set_Cols(4);
    for (int c = 0; c < 4; ++c)
        v.gridAutolist->set_ColAlignment(c, qx::Grid::AlignCenterCenter);
    v.gridAutolist->hide();
    // The port watch and the device's timers stay off until Connect.
    v.tmrComm = new qx::PortWatch(this);
    v.tmrComm->setObjectName(QStringLiteral("tmrComm_%1").arg(n));
    v.tmrConn = deviceTimer(this, "tmrConn", n, 1000);
    v.tmrRecv = deviceTimer(this, "tmrRecv", n, 500);

    if (n == 0) {
        // Design positions; Form_Resize places everything for the window's size.
        v.frmDev->setGeometry(qx::twipsRect(0, FrameTop, 14300, 9100));
        v.chart->setGeometry(qx::twipsRect(50, 0, 10500, 7900));
        v.panel->setGeometry(qx::twipsRect(10650, 0, PanelWidth, PanelHeight));
    } else {
        const DeviceViews &first = views(0);
        copyGeometry(v.frmDev, first.frmDev);
        copyGeometry(v.panel, first.panel);
        copyGeometry(v.chart, first.chart);
        copyGeometry(v.gridRun, first.gridRun);
        copyGeometry(v.lstInfo, first.lstInfo);
        copyGeometry(v.gridAutolist, first.gridAutolist);
    }
    views_[size_t(n)] = v;
    viewCount_ = n + 1;
    connectInputsSteps(n);
    connectPanel(n);
    connectEngines(n);
    connectViewEvents(n);
    v.frmDev->show();
}

void frmMain::clearPanel(int n)
{
    ::DevCtrl &p = DevCtrl(n);
    // A list that already holds no device alone is left as it is (each
    // entry added is measured for the box's width).
    if (p.ModeCnt() != 1 || p.ModeTxt(0) != QStringLiteral("No Device")) {
        p.ModeClr();
        p.ModeAdd(QStringLiteral("No Device"));
    }
    p.set_tMode(QStringLiteral("No Device"));
    for (int c = 0; c < 2; ++c) {
        p.set_tSval(c, QStringLiteral("00.00"));
        p.set_tSlmt(c, QStringLiteral("00.00"));
        p.set_tStim(c, QStringLiteral("0"));
    }
}

void frmMain::setupResultGrid(int n)
{
    qx::Grid &g = gridRun(n);
    // The panel's compact face: the column widths are fixed in twips, and
    // the headers "CurveV" and "CurveA" must fit their 750 twips whole.
    g.setFont(::DevCtrl::compactFont());
    using namespace qx::resultgrid;
    const char *headers[Columns] = {"Device", "Mode", "Begin Volt", "Cutoff Volt", "Capacity",
                                    "Energy", "Avg Volt", "CurveV", "CurveA"};
    for (int c = 0; c < Columns; ++c)
        g.set_TextMatrix(0, c, QLatin1String(headers[c]));
    g.set_TextMatrix(1, Model, QStringLiteral("No Device"));
    if (n > 0) {
        g.set_ColWidth(Mode, gridRun(0).ColWidth(Mode));
        g.set_ColWidth(AvgVolt, gridRun(0).ColWidth(AvgVolt));
    }
    g.set_ColWidth(CurveV, 750);
    g.set_ColWidth(CurveA, 750);
    g.set_ColWidth(Model, 1300);
    for (int c = 0; c < Columns; ++c)
        g.set_ColAlignment(c, qx::Grid::AlignCenterCenter);
}

void frmMain::paintColourCells(int n, int row, uint32_t volColour, uint32_t curColour)
{
    qx::Grid &g = gridRun(n);
    g.set_Row(row);
    g.set_Col(qx::resultgrid::CurveV);
    g.set_CellBackColor(volColour);
    g.set_Col(qx::resultgrid::CurveA);
    g.set_CellBackColor(curColour);
}

void frmMain::setupChart(int n, const qx::mainwin::ChartSettings &s)
{
    ::CurveGraph &g = CurveGraph(n);
    ::DevCtrl &p = DevCtrl(n);
    g.set_TitleText(qx::app::programTitle());
    const int vol = curveSlot(0, Curve::Voltage), cur = curveSlot(0, Curve::Current),
              third = curveSlot(0, Curve::PowerOrTemp);
    g.set_CurveCount(qx::curves::CurvesPerSet);
    g.set_LegendText(vol, qx::Module3::LangText(QStringLiteral("Voltage")));
    g.set_LegendText(cur, qx::Module3::LangText(QStringLiteral("Current")));
    g.set_LegendText(third, qx::Module3::LangText(QStringLiteral("Temp")));
    g.set_CurveLineColor(vol, s.vcol0);
    g.set_CurveLineColor(cur, s.ccol0);
    g.set_CurveLineColor(third, g.CurveLineColor(cur));
    g.set_Line(s.line);
    if (n == 0) {
        for (const Curve k : qx::curves::AxisCurves) {
            g.set_CurveAxesY(curveSlot(0, k), int(k));
            g.set_ShowCurve(curveSlot(0, k), k != Curve::PowerOrTemp);
        }
        g.set_GridType1(s.gridType1);
        g.set_GridType2(s.gridType2);
        g.set_BackColor(s.bcol);
        g.set_GridColor(s.gcol);
        g.set_AxesColor(s.acol);
        p.set_PwrColor(s.pcol);
        p.set_TimeColor(s.tcol);
    } else {
        // The display settings are common to every tab: the first chart and
        // panel carry the ones in force.
        const ::CurveGraph &first = CurveGraph(0);
        for (const Curve k : qx::curves::AxisCurves) {
            g.set_CurveAxesY(curveSlot(0, k), first.CurveAxesY(curveSlot(0, k)));
            g.set_ShowCurve(curveSlot(0, k), first.ShowCurve(curveSlot(0, k)));
        }
        g.set_GridType1(first.GridType1());
        g.set_GridType2(first.GridType2());
        g.set_BackColor(first.BackColor());
        g.set_GridColor(first.GridColor());
        g.set_AxesColor(first.AxesColor());
        p.set_PwrColor(DevCtrl(0).PwrColor());
        p.set_TimeColor(DevCtrl(0).TimeColor());
    }
    p.set_VolColor(g.CurveLineColor(vol));
    p.set_CurColor(g.CurveLineColor(cur));
    paintColourCells(n, 1, g.CurveLineColor(vol), g.CurveLineColor(cur));
    // The axis ranges of the settings file, on every tab's chart.
    if (s.volt) {
        g.set_MinY(0, s.volt->lo);
        g.set_MaxY(0, s.volt->hi);
    }
    if (s.curr) {
        g.set_MinY(1, s.curr->lo);
        g.set_MaxY(1, s.curr->hi);
    }
    if (s.time) {
        g.set_MinX(s.time->lo);
        g.set_MaxX(s.time->hi);
    }
    g.ClearAll();
    g.set_ShowLegend(vol, qx::OptSla != 0);
    g.set_ShowLegend(cur, qx::OptSla != 0);
}

void frmMain::menuAddDev_Click()
{
    using namespace qx;
    if (DevCount >= MaxDevTabs)
        return;
    DevCount = DevCount + 1;
    const int n = DevCount - 1;

    createDeviceViews(n);
    DevCtrl(n).set_Dev2S(false);
    clearPanel(n);
    setupResultGrid(n);
    setupChart(n, mainwin::readChartSettings(IniFile));

    if (DevCount == MaxDevTabs)
        menuAddDev->setEnabled(false);

    ScanPorts(n);
    const QString stored = qx::Module1::ReadIni(IniFile, QStringLiteral("COMM"), QStringLiteral("PORT%1").arg(n + 1),
                                            QStringLiteral("2"));
    choosePort(n, QStringLiteral("COM") + stored);

    tabDev->Add(DevCount, QStringLiteral("dev%1").arg(DevCount), QStringLiteral("Device%1").arg(DevCount));
    Form_Resize();
    // The selected device's frame stays in front: CurDev has not changed.
    showDeviceFrame(CurDev);
}

void frmMain::tabDev_Click()
{
    qx::CurDev = tabDev->SelectedIndex() - 1;
    showDeviceFrame(qx::CurDev);
    ShowSharedMenus();
}

void frmMain::showDeviceFrame(int Index)
{
    // The others are hidden, not only covered: a tab that is not shown
    // paints nothing. Its views still take every reading and show them as
    // they stand when the tab is picked.
    frmDev(Index).show();
    frmDev(Index).raise();
    for (int i = 0; i < viewCount_; ++i)
        if (i != Index)
            frmDev(i).hide();
}

void frmMain::InitDual(int Index)
{
    using namespace qx;
    ::CurveGraph &g = CurveGraph(Index);
    g.set_CurveCount(2 * curves::CurvesPerSet);
    for (int chn = 0; chn < 2; ++chn) {
        const QString n = QString::number(chn + 1);
        g.set_LegendText(curveSlot(chn, Curve::Voltage), Module3::LangText(QStringLiteral("Voltage") + n));
        g.set_LegendText(curveSlot(chn, Curve::Current), Module3::LangText(QStringLiteral("Current") + n));
        g.set_LegendText(curveSlot(chn, Curve::PowerOrTemp), Module3::LangText(QStringLiteral("Temp") + n));
    }
    const int vol1 = curveSlot(1, Curve::Voltage), cur1 = curveSlot(1, Curve::Current);
    const mainwin::ChartSettings s = mainwin::readChartSettings(IniFile);
    g.set_CurveLineColor(vol1, s.vcol1);
    g.set_CurveLineColor(cur1, s.ccol1);
    g.set_CurveLineColor(curveSlot(1, Curve::PowerOrTemp), g.CurveLineColor(cur1));
    // Channel 1's curves follow channel 0's axes (the third one included).
    for (const Curve k : curves::AxisCurves) {
        g.set_CurveAxesY(curveSlot(1, k), g.CurveAxesY(curveSlot(0, k)));
        g.set_ShowCurve(curveSlot(1, k), g.ShowCurve(curveSlot(0, k)));
    }
    for (int chn = 0; chn < 2; ++chn) {
        g.set_ShowLegend(curveSlot(chn, Curve::Voltage), OptSla != 0);
        g.set_ShowLegend(curveSlot(chn, Curve::Current), OptSla != 0);
    }
    gridRun(Index).set_TextMatrix(2, resultgrid::Model, qx::Module3::LangText(QStringLiteral("No Device")));
    paintColourCells(Index, 2, g.CurveLineColor(vol1), g.CurveLineColor(cur1));
}
