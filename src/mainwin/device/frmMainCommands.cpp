// The panel's commands on a channel's test: Run, Set, Stop, and a new mode.
// None waits for the device: only the receive routine learns from its
// frames whether a channel runs, and counts and ends its test.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "link/Frames.h"
#include "link/ModelTable.h"
#include "services/Refusal.h"
#include "services/StartRules.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

using qx::curves::Curve;
using qx::curves::curveSlot;

bool frmMain::DevCtrl_RunClick(int Index, int chn)
{
    using namespace qx;
    // The start frame goes first: a start that cannot be built or sent
    // leaves the panel, the chart, the counters and the run log as they are.
    if (!SendStart(Index, chn, Frames::OpStart))
        return false;
    beginRun(Index, chn, DevCtrl(Index).tVol(chn));
    return true;
}

void frmMain::beginRun(int Index, int chn, const QString &beginVolt)
{
    using namespace qx;
    ::DevCtrl &p = DevCtrl(Index);
    ::CurveGraph &g = CurveGraph(Index);
    DeviceState &d = dev(Index);
    ChannelState &c = chan(Index, chn);

    if (!d.Chained) {
        // A fresh run starts its channel's curves anew.
        if (!p.Dev2S() && g.CurveCount() == 2 * curves::CurvesPerSet)
            for (const Curve k : curves::AllCurves)
                g.Clear(curveSlot(1, k));
        for (const Curve k : curves::AllCurves)
            g.Clear(curveSlot(chn, k));
        // The other channel of a two-channel device may be recording into
        // the same chart: its axes stay.
        bool shared = false;
        if (p.Dev2S())
            for (int j = 0; j < 2; ++j)
                shared = shared || g.DpCnt(curveSlot(j, Curve::Current)) > 0;
        if (!shared) {
            float vMax = 0, vMin = 0, iMax = 0;
            if (OptScale == 1) {
                const int m = c.Mode;
                if (m <= LastDisMode[Index]) {
                    vMax = c.Vol;
                    vMin = float(num::val(p.tSlmt(chn)));
                } else if (m <= LastChgMode[Index]) {
                    vMax = float(num::val(p.tSlmt(chn)));
                    vMin = c.Vol;
                    iMax = float(num::val(p.tSval(chn)));
                }
            }
            d.PlotVMax = vMax;
            d.PlotVMin = vMin;
            d.PlotIMax = iMax;
            d.PlotIMin = 0;
            d.CurveMaxT = 0;
            d.PlotY2Max = 0;
            d.PlotY2Min = 0;
        }
        g.set_MinX(0);
        TotalSecs[Index][chn].store(0);
    }

    TestSecs[Index][chn].store(0);
    resetRun(c);

    g.set_YStep(false);
    if (g.Large())
        g.set_Large(false);
    g.set_Size(false);
    RunStartPt[Index][chn] = g.DpCnt(curveSlot(chn, Curve::Current));

    SetRunState(false, Index);
    AdjButtonsFor(Index, false);

    // A begin voltage marks the run as started by this program.
    Grid &grid = gridRun(Index);
    grid.set_TextMatrix(chn + 1, resultgrid::BeginVolt, beginVolt + QLatin1Char('V'));
    grid.set_TextMatrix(chn + 1, resultgrid::CutoffVolt, QString());
    grid.set_TextMatrix(chn + 1, resultgrid::Mode,
                        p.tMode() + QStringLiteral("  ") + p.tSval(chn) + p.lSvalt(chn) + QStringLiteral("  ") +
                            p.tSlmt(chn) + p.lSlmtt(chn));
    WriteRunLogHeader(Index, chn);
}

void frmMain::runClicked(int Index, int chn)
{
    using namespace qx;
    if (DevCtrl_RunClick(Index, chn))
        return;
    // A start frame that cannot be built from the setting boxes is told as
    // the boxes' own checks tell a value they refuse.
    const ::DevCtrl &p = DevCtrl(Index);
    startrules::Values v;
    Verdict why = Verdict::Accepted;
    try {
        startrules::convert(deviceLimits(Index), chan(Index, chn).Mode, {p.tSval(chn), p.tSlmt(chn), p.tStim(chn)}, v);
    } catch (const QxError &e) {
        why = e.code() == ErrTypeMismatch ? Verdict::NotNumber : Verdict::OutOfRange;
    }
    tell(why);
}

void frmMain::DevCtrl_SetClick(int Index, int chn)
{
    SendStart(Index, chn, qx::Frames::OpAdjust);
    qx::chan(Index, chn).SetRefresh = 1;
}

bool frmMain::DevCtrl_StopClick(int Index, int chn)
{
    const bool sent = SendStop(Index, chn);
    SetRunState(true, Index);
    AdjButtonsFor(Index, true);
    return sent;
}

void frmMain::DevCtrl_ModeClick(int Index)
{
    using namespace qx;
    ::DevCtrl &p = DevCtrl(Index);
    const int m = p.ModeIdx();
    ChannelState &c0 = chan(Index, 0);
    if (c0.Mode == m)
        return;
    c0.Mode = m;
    const int T = DevType[Index];
    if (T == models::NoType) {
        c0.SetVal = 0;
        c0.SetLmt = 0;
    } else {
        // Mode 1 starts at 1 W but where it charges cells, holds a constant
        // voltage (type 8) or reads the USB tester's meter.
        const bool powerMode = m == models::PowerMode && !models::chargesByCells(T) && T != 8 && !models::isUsbTester(T);
        c0.SetVal = powerMode ? 1 : num::toInt(float(CurScale[Index]) * MinCur[Index]);
        const bool cellMode = models::chargesByCells(T) && models::isCellMode(m);
        c0.SetLmt = cellMode ? 1 : num::toInt(float(VolScale[Index]) * MinVol[Index]);
    }
    c0.SetTim = 0;
    ShowModeFields(Index, 0);
    if (p.Dev2S()) {
        // Both channels of a two-channel device share the mode list.
        ChannelState &c1 = chan(Index, 1);
        c1.Mode = m;
        c1.SetVal = 0;
        c1.SetLmt = 0;
        c1.SetTim = 0;
        ShowModeFields(Index, 1);
    }
}
