// The main window's command surface: the menu entries and toolbar keys of
// this folder, the colour cells of the result grids and the title edit on
// the charts. Entries that open other folders' windows are wired where
// those windows are reached (frmMainSettings.cpp, frmMainUpdate.cpp, ...).
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "services/Module1.h"
#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "mainwin/frmAbout.h"
#include "panel/DevCtrl.h"
#include "platform/AppVersion.h"
#include "platform/Colors.h"
#include "platform/FileEnding.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/UiServices.h"
#include "tools/ToolPanel.h"

#include <QAction>
#include <QDateTime>
#include <QToolBar>

using qx::curves::Curve;
using qx::curves::curveSlot;

void frmMain::wireMenuEvents()
{
    const struct {
        QAction *action;
        const char *tag;
        void (frmMain::*handler)();
    } entries[] = {
        {menuOpenCfg, "menuOpenCfg_Click", &frmMain::menuOpenCfg_Click},
        {menuSaveCfg, "menuSaveCfg_Click", &frmMain::menuSaveCfg_Click},
        {menuSavePic, "menuSavePic_Click", &frmMain::menuSavePic_Click},
        {menuCapture, "menuCapture_Click", &frmMain::menuCapture_Click},
        {menuExit, "menuExit_Click", &frmMain::menuExit_Click},
        {menuClear, "menuClear_Click", &frmMain::menuClear_Click},
        {menuSearch, "menuSearch_Click", &frmMain::menuSearch_Click},
        {menuTitle, "menuTitle_Click", &frmMain::menuTitle_Click},
        {menuTemp, "menuTemp_Click", &frmMain::menuTemp_Click},
        {menuSimp, "menuSimp_Click", &frmMain::menuSimp_Click},
        {menuUnSimp, "menuUnSimp_Click", &frmMain::menuUnSimp_Click},
        {menuHelp, "menuHelp_Click", &frmMain::menuHelp_Click},
        {menuCDT, "menuCDT_Click", &frmMain::menuCDT_Click},
        {menuAbout, "menuAbout_Click", &frmMain::menuAbout_Click},
    };
    for (const auto &e : entries)
        wireEntry(e.action, e.tag, e.handler);
    for (QAction *a : tlbSys->actions()) {
        const QString key = a->data().toString();
        connect(a, &QAction::triggered, this,
                [this, key] { qx::guarded(QStringLiteral("tlbSys_ButtonClick"), [&] { tlbSys_ButtonClick(key); }); });
    }
}

void frmMain::wireEntry(QAction *entry, const char *tag, void (frmMain::*handler)())
{
    qx::onSignal(entry, &QAction::triggered, this, tag, handler);
}

QString frmMain::askSavePath(const QString &word, const QString &filter, const QString &ext)
{
    using namespace qx;
    const int dev = CurDev;
    const ::DevCtrl &p = DevCtrl(dev);
    const int chn = qx::tools::panelChannel(&p);
    QString title = Module3::LangText(word + QStringLiteral("--Device%1").arg(dev + 1));
    QString name =
        Module4::DateStamp(QDateTime::currentDateTime()) + QLatin1Char('-') + gridRun(dev).TextMatrix(chn + 1, resultgrid::Model);
    if (p.Dev2S()) {
        title += QStringLiteral("-Channel%1").arg(chn + 1);
        name += QStringLiteral("-%1").arg(chn + 1);
    }
    QString path = Module4::ShowFileDialog(this, true, title, filter, name, QString(), QString());
    // "x.CFG" keeps its ending as it stands.
    return path.isEmpty() ? path : withEnding(path, ext);
}

void frmMain::connectViewEvents(int n)
{
    connect(&gridRun(n), &qx::Grid::MouseDown, this,
            [this, n] { qx::guarded(QStringLiteral("gridRun_MouseDown"), [&] { gridRun_MouseDown(n); }); });
    connect(&CurveGraph(n), &::CurveGraph::DblClick, this,
            [this, n] { qx::guarded(QStringLiteral("CurveGraph_DblClick"), [&] { CurveGraph_DblClick(n); }); });
}

void frmMain::tlbSys_ButtonClick(const QString &key)
{
    const struct {
        const char *key;
        void (frmMain::*handler)();
    } commands[] = {
        {"opendat", &frmMain::menuOpenData_Click}, {"savedat", &frmMain::menuSaveData_Click},
        {"savepic", &frmMain::menuCapture_Click},  {"setting", &frmMain::menuShow_Click},
        {"about", &frmMain::menuAbout_Click},      {"com", &frmMain::menuSearch_Click},
    };
    try {
        for (const auto &c : commands)
            if (key == QLatin1String(c.key)) {
                (this->*c.handler)();
                return;
            }
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrTlb(%1)").arg(key), QString::fromUtf8(e.what()));
    }
}

void frmMain::menuExit_Click() { close(); }

void frmMain::menuClear_Click()
{
    using namespace qx;
    if (promptBox(QStringLiteral("Clear Curve?"), MbOkCancel | MbInformation) != MrOk)
        return;
    const int d = CurDev;
    CurveGraph(d).ClearAll();
    for (int c = 0; c < ChnSlots; ++c) {
        TotalSecs[d][c].store(0);
        RunStartPt[d][c] = 0;
    }
    // The third axis keeps its extremes.
    DeviceState &s = dev(d);
    s.PlotVMax = s.PlotVMin = s.PlotIMax = s.PlotIMin = 0;
    s.CurveMaxT = 0;
}

void frmMain::menuSearch_Click()
{
    if (DevCtrl(qx::CurDev).Conn())
        return;
    ScanPorts(qx::CurDev);
    qx::promptBox(QStringLiteral("Search comm port finished"), qx::MbInformation);
}

namespace {

// The title input; an empty answer (or Cancel) keeps the title.
void askTitle(const ::CurveGraph &current, ::CurveGraph &target)
{
    const std::optional<QString> t =
        qx::ui().inputBox(QStringLiteral("Please input new title"), QStringLiteral("Prompt"), current.TitleText());
    if (t && !t->isEmpty())
        target.set_TitleText(*t);
}

} // namespace

void frmMain::menuTitle_Click() { askTitle(CurveGraph(qx::CurDev), CurveGraph(qx::CurDev)); }

void frmMain::CurveGraph_DblClick(int Index) { askTitle(CurveGraph(qx::CurDev), CurveGraph(Index)); }

void frmMain::menuTemp_Click()
{
    qx::Module1::WriteIni(qx::IniFile, QStringLiteral("AUTO"), QStringLiteral("TEMP"),
                          menuTemp->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
}

void frmMain::menuSimp_Click()
{
    menuSimp->setChecked(true);
    menuUnSimp->setChecked(false);
    qx::LangTrad = 0;
    qx::Module1::WriteIni(qx::IniFile, QStringLiteral("LANGUAGE"), QStringLiteral("LANG"), QStringLiteral("0"));
}

void frmMain::menuUnSimp_Click()
{
    menuUnSimp->setChecked(true);
    menuSimp->setChecked(false);
    qx::LangTrad = 1;
    qx::Module1::WriteIni(qx::IniFile, QStringLiteral("LANGUAGE"), QStringLiteral("LANG"), QStringLiteral("1"));
}

void frmMain::menuHelp_Click() { qx::openWebPage(qx::app::webAddress()); }

void frmMain::menuCDT_Click() { qx::openWebPage(qx::app::partnerAddress()); }

void frmMain::menuAbout_Click() { frmAboutForm().showOrRaise(); }

void frmMain::gridRun_MouseDown(int Index)
{
    using namespace qx;
    try {
        Grid &g = gridRun(Index);
        const int row = g.MouseRow(), col = g.MouseCol();
        if (col != resultgrid::CurveV && col != resultgrid::CurveA)
            return;
        // Only a channel's row: row 1, and row 2 on a two-channel device.
        if (row != 1 && !(row == 2 && DevCtrl(Index).Dev2S()))
            return;
        g.set_Row(row);
        g.set_Col(col);
        // The dialog opens at the cell's colour.
        const int32_t picked = Module4::PickColor(int32_t(oleResolve(g.CellBackColor())));
        if (picked >= 0)
            g.set_CellBackColor(uint32_t(picked));
        const int k = row - 1;
        const uint32_t colour = g.CellBackColor();
        ::CurveGraph &chart = CurveGraph(Index);
        if (col == resultgrid::CurveV) {
            chart.set_CurveLineColor(curveSlot(k, Curve::Voltage), colour);
            DevCtrl(Index).set_VolColor(chart.CurveLineColor(curveSlot(0, Curve::Voltage)));
            Module1::WriteIni(IniFile, QStringLiteral("DATA"), QStringLiteral("VCOL%1").arg(k), QString::number(colour));
        } else {
            chart.set_CurveLineColor(curveSlot(k, Curve::Current), colour);
            DevCtrl(Index).set_CurColor(chart.CurveLineColor(curveSlot(0, Curve::Current)));
            Module1::WriteIni(IniFile, QStringLiteral("DATA"), QStringLiteral("CCOL%1").arg(k), QString::number(colour));
        }
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrCol"), QString::fromUtf8(e.what()));
    }
}
