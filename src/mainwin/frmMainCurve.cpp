// Curve points of a channel and the automatic scaling of the device chart.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "link/ModelTable.h"
#include "services/State.h"
#include "mainwin/CurveScale.h"

#include <exception>

using qx::curves::Curve;
using qx::curves::curveSlot;

namespace {

// Steps 1 to 5 of adding a point: extremes, voltage sum, three curve points.
void addPoint(frmMain &w, int32_t x, float v, float i, float p, int Index, int chn)
{
    using namespace qx;
    using curvescale::Pair;
    ::CurveGraph &g = w.CurveGraph(Index);
    DeviceState &d = dev(Index);
    ChannelState &c = chan(Index, chn);
    const float xs = float(x);
    // Voltage, current and third value, each on its own axis k.
    struct Axis {
        float *max, *min;
        float value, margin;
    };
    const Axis axes[] = {{&d.PlotVMax, &d.PlotVMin, v, 0.1f}, {&d.PlotIMax, &d.PlotIMin, i, 0.1f},
                         {&d.PlotY2Max, &d.PlotY2Min, p, 1.0f}};
    for (int k = 0; k < 3; ++k) {
        const Axis &a = axes[k];
        Pair pr{*a.max, *a.min};
        curvescale::seed(pr, a.value, OptScale, g.MaxY(k), g.MinY(k));
        curvescale::widen(pr, a.value, a.margin);
        *a.max = pr.max;
        *a.min = pr.min;
    }
    c.VolSum = c.VolSum + v;
    g.AddXY(curveSlot(chn, Curve::Voltage), xs, curvescale::pictureRound(v, 3));
    g.AddXY(curveSlot(chn, Curve::Current), xs, curvescale::pictureRound(i, CurScale[Index] == 100 ? 2 : 3));
    g.AddXY(curveSlot(chn, Curve::PowerOrTemp), xs, curvescale::pictureRound(p, 1));
}

} // namespace

void frmMain::CurveAddPoint(int32_t x, float v, float i, float p, int Index, int chn)
{
    try {
        addPoint(*this, x, v, i, p, Index, chn);
        CurveAutoScale(Index);
        CurveGraph(Index).DrawCurve();
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrCurve"), QString::fromUtf8(e.what()));
    }
}

void frmMain::CurveAddPointQuiet(int32_t x, float v, float i, float p, int Index, int chn)
{
    try {
        addPoint(*this, x, v, i, p, Index, chn);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrCurve2"), QString::fromUtf8(e.what()));
    }
}

void frmMain::CurveAutoScale(int Index)
{
    using namespace qx;
    ::CurveGraph &g = CurveGraph(Index);
    const DeviceState &d = dev(Index);
    g.set_MaxX(curvescale::timeAxisEnd(g.MaxX(), d.CurveMaxT));
    const auto apply = [&g](int k, float bottom, float top) {
        if (g.MinY(k) != bottom)
            g.set_MinY(k, bottom);
        if (g.MaxY(k) != top)
            g.set_MaxY(k, top);
    };
    const curvescale::Range volt = curvescale::axis({d.PlotVMax, d.PlotVMin}, 0.5f);
    apply(0, volt.bottom, volt.top);
    const float curStep = models::hasFineCurrent(DevType[Index]) ? 0.05f : 0.5f;
    const curvescale::Range cur = curvescale::axis({d.PlotIMax, d.PlotIMin}, curStep);
    apply(1, cur.bottom, cur.top);
    apply(2, d.PlotY2Min, d.PlotY2Max);
}
