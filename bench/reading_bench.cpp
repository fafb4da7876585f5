// Cost of presenting readings: ten two-channel devices, each channel
// reporting, through ShowReading with everything it does (readouts, lists,
// result rows, chart points and scaling, one run-log line per reading) and
// the drawing that follows in the event loop. The shown tab's chart holds
// 1e5 points per curve before the measurement starts; the other tabs'
// charts are behind it and must not draw. Reported per reading: the
// process's CPU time, and the share of one core at one reading per channel
// per second (20 readings/s).
#include "common/PaintCounter.h"
#include "curves/CurveGraph.h"
#include "mainwin/ModelSetup.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/Grid.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>

namespace {

constexpr int Devices = 10;
constexpr int Channels = 2;

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Device Index identified as a two-channel device (type 18), both channels running
// a test that this program started.
void setUpDevice(frmMain &w, int Index)
{
    using namespace qx;
    test::identifyAs(w, Index, 18);
    DevCtrl &p = w.DevCtrl(Index);
    for (int c = 0; c < Channels; ++c) {
        ChannelState &s = chan(Index, c);
        s.Mode = 0;
        s.SetVal = 1000;
        s.SetLmt = 3000;
        w.ShowModeFields(Index, c);
        w.gridRun(Index).set_TextMatrix(c + 1, 2, QStringLiteral("4.100V"));
        w.WriteRunLogHeader(Index, c);
        Running[Index][c] = true;
        p.set_TmrCurveEnable(c, true);
    }
}

void BM_ShowReading(benchmark::State &state)
{
    using namespace qx;
    QTemporaryDir home;
    setHomeDir(home.path());
    resetState();
    frmMain &w = frmMainForm().get();
    for (int i = 0; i < Devices; ++i)
        setUpDevice(w, i);
    w.show();
    QApplication::processEvents();

    // The shown chart's history: n points on each of its ten curves.
    const int64_t n = state.range(0);
    CurveGraph &shown = w.CurveGraph(0);
    for (int64_t j = 0; j < n; ++j) {
        const float t = float(j) * 0.1f;
        for (int c = 0; c < Channels; ++c) {
            shown.AddXY(c * 5, t, 4.0f - float(j) * 1e-6f);
            shown.AddXY(c * 5 + 1, t, 1.0f);
            shown.AddXY(c * 5 + 2, t, 4.0f);
            shown.AddXY(c * 5 + 3, t, float(j) * 1e-6f);
            shown.AddXY(c * 5 + 4, t, float(j) * 4e-6f);
        }
    }
    const int32_t start = int32_t(float(n) * 0.1f) + 1;
    for (int i = 0; i < Devices; ++i)
        for (int c = 0; c < Channels; ++c) {
            TestSecs[i][c].store(start);
            TotalSecs[i][c].store(start);
        }
    for (int c = 0; c < Channels; ++c)
        w.DevCtrl_TmrCurveOn(0, c);
    shown.DrawCurve();
    QApplication::processEvents();
    test::PaintCounter shownPaints(shown.picGraph()), hiddenPaints(w.CurveGraph(1).picGraph());

    double cpu = 0;
    int64_t readings = 0;
    int32_t secs = start;
    for (auto _ : state) {
        ++secs;
        const double t0 = processCpuSeconds();
        // One reading per channel; each device's frames come in its own
        // receive tick, so the event loop turns after each device.
        for (int i = 0; i < Devices; ++i) {
            for (int c = 0; c < Channels; ++c) {
                TestSecs[i][c].store(secs);
                TotalSecs[i][c].store(secs);
                ChannelState &s = chan(i, c);
                s.Vol = 4.0f - float(secs % 1000) * 1e-4f - float(i) * 0.01f;
                s.Cur = 1.0f + float(c) * 0.5f;
                s.Cap = float(secs) / 3600.0f;
                w.ShowReading(i, c);
            }
            // The panel's display and curve ticks of this second.
            for (int c = 0; c < Channels; ++c) {
                w.DevCtrl_TmrShowOn(i, c);
                w.DevCtrl_TmrCurveOn(i, c);
            }
            QApplication::processEvents();
        }
        cpu += processCpuSeconds() - t0;
        readings += Devices * Channels;
    }
    const double perReading = cpu / double(readings);
    state.counters["cpu_us_per_reading"] = perReading * 1e6;
    state.counters["core_pct_at_20_per_s"] = perReading * 20 * 100;
    state.counters["readings"] = double(readings);
    state.counters["shown_chart_paints"] = shownPaints.paints;
    state.counters["hidden_chart_paints"] = hiddenPaints.paints;
    state.counters["shown_x_span_s"] = shown.MaxX() - shown.MinX();
    frmMainForm().unload();
    resetState();
}

} // namespace

BENCHMARK(BM_ShowReading)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(300);

int main(int argc, char **argv) { return qx::bench::runWithQt(argc, argv); }
