// The step program engine: the step page's Start/Stop and Clear, and the
// one-second tick that runs the program's rows one after the other on the
// device, writing one result row per row run.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "mainwin/device/EngineCommands.h"
#include "services/Module3.h"
#include "services/State.h"
#include "services/Timer.h"
#include "panel/DevCtrl.h"
#include "platform/Colors.h"
#include "platform/Numbers.h"
#include "tools/ToolPanel.h"

using namespace qx;

namespace {

constexpr int StepRows = 10;
constexpr int MarkedRows = 5;  // only the first five rows are marked
constexpr uint32_t DischargeColour = 0x00C000;
constexpr uint32_t ChargeColour = 0x0000FF;
constexpr uint32_t OtherColour = 0x00C0C0;

QString waitText() { return Module3::LangText(QStringLiteral("Wait")); }
QString cycleText() { return Module3::LangText(QStringLiteral("Cycle")); }

// Capacity and energy as the step table shows them.
QString amount(float v) { return num::format(v, v < 10 ? u"0.000" : u"0.00"); }

} // namespace

void frmMain::DevCtrl_StepClrClick(int Index) { DevCtrl(Index).StepSetClr(); }

void frmMain::DevCtrl_StepTestClick(int Index)
{
    DeviceState &d = dev(Index);
    ::DevCtrl &p = DevCtrl(Index);
    const int chn = qx::tools::panelChannel(&p);
    if (!d.StepOn) {
        if (p.tStepSet(1, 1).isEmpty())
            return;
        p.set_StepTmrEnable(true);
        p.set_StepCmd(QStringLiteral("Stop"));
        d.StepTick = 0;
        d.StepNo = 1;
        d.StepCycle = 1;
        d.StepPhase = 0;
        d.StepConfirm = 0;
        d.StepOn = true;
        d.Chained = false;
        p.set_StepEnable(false);
        CurveGraph(Index).ClearAll();
        p.StepListClr();
        return;
    }
    d.Chained = false;
    d.StepOn = false;
    for (int r = 1; r <= MarkedRows; ++r)
        p.set_StepColor(r, SysButtonFace);
    if (p.StopEnable())
        engine::stopCommand(*this, Index, chn);
    RunStartPt[Index][chn] = 0;
    p.set_StepTmrEnable(false);
    p.set_StepCmd(QStringLiteral("Start"));
    p.set_StepEnable(true);
    // A monitored channel keeps its curve timer and seconds counter.
    if (lstInfoLine(Index, 3 + chn).isEmpty()) {
        p.set_TmrCurveEnable(chn, false);
        Timer::TickStop(Index, chn);
    }
}

void frmMain::stepResult(int Index, int chn, bool wait)
{
    ::DevCtrl &p = DevCtrl(Index);
    const ChannelState &c = chan(Index, chn);
    p.set_tStepList(2, wait ? QStringLiteral("0") : amount(c.Cap));
    p.set_tStepList(3, wait ? QStringLiteral("0") : amount(c.Energy));
}

void frmMain::stepMarkRows(int Index, int row)
{
    ::DevCtrl &p = DevCtrl(Index);
    const int mode = dev(Index).StepMode;
    const uint32_t colour = mode <= LastDisMode[Index]   ? DischargeColour
                            : mode <= LastChgMode[Index] ? ChargeColour
                                                         : OtherColour;
    for (int r = 1; r <= MarkedRows; ++r)
        p.set_StepColor(r, r == row ? colour : uint32_t(SysButtonFace));
}

void frmMain::stepLoadRow(int Index, int chn)
{
    DeviceState &d = dev(Index);
    ::DevCtrl &p = DevCtrl(Index);
    const int r = d.StepNo;
    const QString modeText = p.tStepSet(r, 1);
    const bool wait = modeText == waitText();
    if (wait) {
        d.StepMode = p.ModeCnt();
    } else {
        for (int i = 0; i < p.ModeCnt(); ++i)
            if (p.ModeTxt(i) == modeText) {
                d.StepMode = i;
                break;
            }
    }
    if (d.StepMode == LastChgMode[Index] && CvFlag[Index])
        d.StepSecs = 0;  // column 4 holds a cut-off current
    else
        d.StepSecs = num::toInt(num::toDouble(p.tStepSet(r, 4)) * 60);

    p.set_tStepList(0, QStringLiteral("%1-%2").arg(d.StepCycle).arg(d.StepNo));
    p.set_tStepList(1, modeText);
    if (!wait) {
        p.set_tMode(modeText);
        p.set_tSval(chn, p.tStepSet(r, 2));
        p.set_tSlmt(chn, p.tStepSet(r, 3));
        p.set_tStim(chn, p.tStepSet(r, 4));
        if (p.RunEnable())
            engine::runCommand(*this, Index, chn);
    }
    stepResult(Index, chn, wait);
    // After the run command: the first row starts a fresh run, later rows continue it.
    d.Chained = true;
    d.StepPhase = 1;
    d.StepConfirm = 0;
    stepMarkRows(Index, r);
}

void frmMain::stepRowEnded(int Index, int chn)
{
    DeviceState &d = dev(Index);
    ::DevCtrl &p = DevCtrl(Index);
    stepResult(Index, chn, d.StepMode == p.ModeCnt());
    const int n = d.StepNo + 1;
    bool done = n > StepRows || p.tStepSet(n, 1).isEmpty();
    if (!done) {
        if (p.tStepSet(n, 1) == cycleText()) {
            // Rows after a "Cycle" row are never run.
            if (num::val(p.tStepSet(n, 4)) > d.StepCycle) {
                ++d.StepCycle;
                d.StepNo = 1;
            } else {
                done = true;
            }
        } else {
            d.StepNo = n;
        }
    }
    if (!done)
        p.StepListAdd();
    else
        DevCtrl_StepTestClick(Index);
    d.StepPhase = 0;
    d.StepTick = 0;
}

void frmMain::DevCtrl_StepTmrOn(int Index)
{
    DeviceState &d = dev(Index);
    if (!d.StepOn)
        return;
    bool running = false;
    try {
        ::DevCtrl &p = DevCtrl(Index);
        const int chn = qx::tools::panelChannel(&p);
        running = Running[Index][chn];
        if (running) {
            ++d.StepTick;
            if (d.StepSecs > 0 && d.StepTick >= d.StepSecs && p.StopEnable())
                engine::stopCommand(*this, Index, chn);  // the row's time is up
            stepResult(Index, chn, false);
            d.StepPhase = 2;
        } else if (d.StepPhase == 0) {
            stepLoadRow(Index, chn);
        } else if (d.StepPhase == 1) {
            if (d.StepMode == p.ModeCnt()) {
                ++d.StepTick;
                if (d.StepTick >= d.StepSecs)
                    d.StepPhase = 2;
            } else if (p.RunEnable()) {
                engine::runCommand(*this, Index, chn);
                if (d.StepConfirm < 3) {
                    ++d.StepConfirm;
                } else {
                    d.StepPhase = 2;  // given up after the fourth repeated start
                    d.StepConfirm = 0;
                }
            }
        } else {
            stepRowEnded(Index, chn);
        }
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrStepTmrOn(%1 %2 %3)")
                   .arg(Index)
                   .arg(running ? QStringLiteral("True") : QStringLiteral("False"))
                   .arg(d.StepPhase),
               QString::fromUtf8(e.what()));
    }
}
