// The automatic current sweep: the auto page's Start/Stop, its one-second
// tick, the cut-off voltage check and the enlarged result table.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "link/ModelTable.h"
#include "mainwin/device/EngineCommands.h"
#include "services/Module3.h"
#include "services/Refusal.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/Numbers.h"
#include "tools/ToolPanel.h"

#include <QListWidget>

using namespace qx;

namespace {

// A sweep setting that must be a number; names it in the failure.
float sweepNumber(const QString &text, const char *what)
{
    if (!num::isNumeric(text))
        throw QxError(ErrTypeMismatch, QStringLiteral("%1 is not a number: \"%2\"").arg(QLatin1String(what), text));
    return num::toSingle(text);
}

} // namespace

void frmMain::connectEngines(int n)
{
    ::DevCtrl *p = &DevCtrl(n);
    connect(p, &::DevCtrl::AutoTestClick, this, [this, p] { DevCtrl_AutoTestClick(p->Index()); });
    connect(p, &::DevCtrl::AutoTmrOn, this, [this, p] { DevCtrl_AutoTmrOn(p->Index()); });
    connect(p, &::DevCtrl::AutoVolLostFocus, this, [this, p] { DevCtrl_AutoVolLostFocus(p->Index()); });
    connect(p, &::DevCtrl::AutoListClick, this, [this, p] { DevCtrl_AutoListClick(p->Index()); });
    connect(p, &::DevCtrl::AutoSaveClick, this, [this, p] { DevCtrl_AutoSaveClick(p->Index()); });
    connect(p, &::DevCtrl::StepTestClick, this, [this, p] { DevCtrl_StepTestClick(p->Index()); });
    connect(p, &::DevCtrl::StepTmrOn, this, [this, p] { DevCtrl_StepTmrOn(p->Index()); });
    connect(p, &::DevCtrl::StepClrClick, this, [this, p] { DevCtrl_StepClrClick(p->Index()); });
    connect(&gridAutolist(n), &Grid::DblClick, this,
            [this, p] { guarded(QStringLiteral("gridAutolist_DblClick"), [&] { gridAutolist_DblClick(p->Index()); }); });
}

void frmMain::DevCtrl_AutoTestClick(int Index)
{
    DeviceState &d = dev(Index);
    try {
        ::DevCtrl &p = DevCtrl(Index);
        if (!d.AutoOn) {
            const int chn = qx::tools::panelChannel(&p);
            // Everything the sweep will use is checked before the device starts.
            const float c1 = sweepNumber(p.tAutoC1(), "start current");
            const float c2 = sweepNumber(p.tAutoC2(), "stop current");
            const float step = sweepNumber(p.tAutoStep(), "current step");
            const float time = sweepNumber(p.tAutoTime(), "step time");
            if (c1 < 0 || c2 < 0)
                throw QxError(ErrInvalidCall, QStringLiteral("negative current"));
            if (!(step > 0))
                throw QxError(ErrInvalidCall, QStringLiteral("current step not positive"));
            if (time < 0)
                throw QxError(ErrInvalidCall, QStringLiteral("negative step time"));
            const int32_t stepSecs = num::toInt(p.AutoOptSec() ? double(time) : double(time) * 60);

            d.AutoCur = c1;
            d.AutoEnd = c2;
            d.AutoUp = c1 <= c2;
            d.AutoChn = chn;
            p.set_tMode(p.ModeTxt(models::CcMode));
            p.set_tSval(chn, p.tAutoC1());
            p.set_tSlmt(chn, p.tAutoVol());
            p.set_tStim(chn, QStringLiteral("0"));
            engine::runCommand(*this, Index, chn);
            d.AutoTick = 0;
            d.AutoStepSecs = stepSecs;
            p.set_AutoTmrEnable(true);
            p.set_AutoCmd(QStringLiteral("Stop"));
            p.AutoListClr();
            d.AutoOn = true;
            d.AutoBusy = true;
            CurveGraph(Index).set_YStep(true);
        } else {
            const int chn = d.AutoChn;
            p.set_AutoTmrEnable(false);
            p.set_tSval(chn, num::format(d.AutoCur, u"0.00"));
            engine::stopCommand(*this, Index, chn);
            p.set_AutoCmd(QStringLiteral("Start"));
            d.AutoOn = false;
            d.AutoBusy = false;
        }
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrAutoClick"), QString::fromUtf8(e.what()));
    }
}

void frmMain::autoFillRow(int Index, int chn)
{
    ::DevCtrl &p = DevCtrl(Index);
    const QString cur = p.tCur(chn), vol = p.tVol(chn);
    const double i = num::val(cur), v = num::val(vol);
    p.set_tAutoList(1, num::format(i, u"0.00"));
    p.set_tAutoList(2, num::format(v, u"0.00"));
    p.set_tAutoList(3, num::format(v * i, u"0.0"));
}

void frmMain::autoEnded(int Index)
{
    ::DevCtrl &p = DevCtrl(Index);
    p.set_AutoTmrEnable(false);
    p.set_AutoCmd(QStringLiteral("Start"));
    dev(Index).AutoOn = false;
    dev(Index).AutoBusy = false;
}

void frmMain::DevCtrl_AutoTmrOn(int Index)
{
    DeviceState &d = dev(Index);
    if (!d.AutoOn)
        return;
    ::DevCtrl &p = DevCtrl(Index);
    // The sweep's own channel, whatever the panel shows now.
    const int chn = d.AutoChn;
    if (d.AutoTick == 0 && num::single(num::val(p.tCur(chn))) != d.AutoCur)
        RemoteSet(Index, d.AutoCur, chn);
    ++d.AutoTick;
    if (!Running[Index][chn]) {
        // The device stopped by itself: no stop frame.
        autoEnded(Index);
        autoFillRow(Index, chn);
        return;
    }
    autoFillRow(Index, chn);
    if (d.AutoTick >= d.AutoStepSecs) {
        const float step = num::single(num::val(p.tAutoStep()));
        d.AutoCur = d.AutoUp ? d.AutoCur + step : d.AutoCur - step;
        d.AutoTick = 0;
    }
    const bool over = d.AutoUp ? d.AutoEnd + 0.01f < d.AutoCur : d.AutoEnd - 0.01f > d.AutoCur;
    if (over) {
        p.set_AutoTmrEnable(false);
        engine::stopCommand(*this, Index, chn);
        autoEnded(Index);
        autoFillRow(Index, chn);
        return;
    }
    if (d.AutoTick == 0) {
        p.AutoListAdd();
        RemoteSet(Index, d.AutoCur, chn);
    }
}

void frmMain::DevCtrl_AutoVolLostFocus(int Index)
{
    if (DevType[Index] == qx::models::NoType)
        return;
    ::DevCtrl &p = DevCtrl(Index);
    const QString text = p.tAutoVol();
    if (!num::isNumeric(text)) {
        tell(Verdict::NotNumber);
        return;
    }
    const float v = num::single(num::toDouble(text));
    if (v < MinVol[Index] || v > MaxVol[Index]) {
        tell(Verdict::OutOfRange);
        p.set_tAutoVol(num::format(MinVol[Index], u"0.00"));
    }
}

void frmMain::DevCtrl_AutoListClick(int Index)
{
    if (dev(Index).AutoBusy)
        return;
    ::DevCtrl &p = DevCtrl(Index);
    Grid &g = gridAutolist(Index);
    p.setVisible(false);
    lstInfo(Index).setVisible(false);
    g.Clear();
    g.set_Rows(41);
    g.setVisible(true);
    for (int r = 0; r < p.AutoRunCnt(); ++r) {
        if (p.tAutoRun(r, 1).isEmpty())
            break;
        if (r >= g.Rows())
            g.set_Rows(r + 1);
        for (int c = 0; c <= 3; ++c)
            g.set_TextMatrix(r, c, p.tAutoRun(r, c));
        if (r >= 40)
            g.set_Rows(g.Rows() + 1);
    }
}

void frmMain::gridAutolist_DblClick(int Index)
{
    gridAutolist(Index).setVisible(false);
    DevCtrl(Index).setVisible(true);
    lstInfo(Index).setVisible(true);
}
