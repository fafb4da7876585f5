// Chart drawing cost against the number of points: ten shown curves of 1e4
// to 1e7 points each, in the normal view, in a zoomed view, and for a cursor
// move; and a reading (a point added to each curve, then drawn). The cost
// should follow the picture's width, not the points.
//
// And the memory of the points: ten curves filled point by point (as a
// running test fills them) in a fresh process, with counters in bytes per
// stored point at 1e4, 1e5, 1e6 and 1e7 points a curve: reserved_N (the
// growth of the process's data segment, touched or not) and resident_N
// (pages in memory); worst_reserved is the highest reserved figure seen from
// 1e4 to 1e7 points, sampled every 250 points a curve and so just after
// every growth of the storage, worst_at the point count where it was seen.
#include "curves/CurveGraph.h"
#include "curves/CurveGraphData.h"
#include "common/Mouse.h"
#include "ProcessMemory.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr int Curves = 10;

// A shown 1000 x 600 chart with ten curves of n points over one hour.
std::unique_ptr<CurveGraph> makeChart(int64_t n)
{
    auto g = std::make_unique<CurveGraph>();
    g->resize(1000, 600);
    g->set_CurveCount(Curves);
    g->set_ShowAxesY2(true);
    for (int c = 0; c < Curves; ++c) {
        g->set_ShowCurve(c, true);
        g->set_ShowLegend(c, true);
        g->set_LegendText(c, QStringLiteral("Curve %1").arg(c));
        g->set_CurveAxesY(c, c % 3);
        g->set_CurveLineColor(c, uint32_t(0x102030 * (c + 1)) & 0xFFFFFF);
    }
    g->set_MaxX(3630);
    g->set_MaxY(0, 20);
    g->set_MaxY(1, 10);
    g->set_MaxY(2, 100);
    for (int64_t j = 0; j < n; ++j) {
        const float t = float(3600.0 * double(j) / double(n));
        for (int c = 0; c < Curves; ++c) {
            const float top = c % 3 == 0 ? 20.0f : (c % 3 == 1 ? 10.0f : 100.0f);
            g->AddXY(c, t, top * (0.5f + 0.4f * std::sin(t / 200.0f + float(c))));
        }
    }
    g->set_Size(true);
    g->show();
    QApplication::processEvents();
    g->DrawCurve();
    g->picGraph()->repaint();
    return g;
}

// Draws and shows the chart once; the picture must have been drawn anew.
void drawOnce(CurveGraph &g, benchmark::State &state)
{
    g.DrawCurve();
    g.picGraph()->repaint();
    if (!g.picGraph()->isVisible() || !g.windowHandle() || !g.windowHandle()->isExposed())
        state.SkipWithError("chart not on screen");
}

// Redraws of the chart in the normal view or zoomed to the middle fifth of
// the time axis.
void redraws(benchmark::State &state, bool zoomed)
{
    auto g = makeChart(state.range(0));
    if (zoomed) {
        QWidget *s = g->picGraph();
        qx::test::sendMouse(s, QEvent::MouseButtonPress, {450, 100}, Qt::LeftButton);
        qx::test::sendMouse(s, QEvent::MouseMove, {630, 500}, Qt::LeftButton);
        qx::test::sendMouse(s, QEvent::MouseButtonRelease, {630, 500}, Qt::LeftButton);
        if (!g->Large())
            state.SkipWithError("no zoom");
    }
    for (auto _ : state)
        drawOnce(*g, state);
}

// A reading: one new point on every curve, then the chart drawn and shown
// (the frame unchanged).
void BM_Reading(benchmark::State &state)
{
    auto g = makeChart(state.range(0));
    float t = 3600;
    for (auto _ : state) {
        t = t >= 3629 ? 3600 : t + 0.01f;
        for (int c = 0; c < Curves; ++c)
            g->AddXY(c, t, c % 3 == 0 ? 10.0f : (c % 3 == 1 ? 5.0f : 50.0f));
        drawOnce(*g, state);
    }
}

void BM_NormalView(benchmark::State &state) { redraws(state, false); }
void BM_ZoomedView(benchmark::State &state) { redraws(state, true); }

void BM_CursorMove(benchmark::State &state)
{
    auto g = makeChart(state.range(0));
    QWidget *s = g->picGraph();
    qx::test::sendMouse(s, QEvent::MouseButtonPress, {100, 300}, Qt::RightButton);
    int x = 100;
    for (auto _ : state) {
        x = x >= 880 ? 100 : x + 7;
        qx::test::sendMouse(s, QEvent::MouseMove, {x, 300}, Qt::RightButton);
        QApplication::processEvents();
    }
    qx::test::sendMouse(s, QEvent::MouseButtonRelease, {x, 300}, Qt::RightButton);
}

// Fills ten curves to 1e7 points each; returns, for each of 1e4 .. 1e7,
// reserved and resident bytes a point, then the worst reserved figure from
// 1e4 on and the count where it was seen.
std::vector<double> fillAndMeasure()
{
    constexpr int64_t Sizes[] = {10'000, 100'000, 1'000'000, 10'000'000};
    constexpr int64_t Sample = 250;
    {
        // The code and the libraries it runs fault in first (a forked
        // process maps its parent's code pages afresh), not counted below.
        qx::curves::CurveTable warm;
        for (int j = 0; j < 5000; ++j)
            warm.AddXY(0, float(j), 0);
        qx::bench::memoryNow();
    }
    qx::curves::CurveTable t;
    t.setCurveCount(Curves);
    const qx::bench::MemoryFigures before = qx::bench::memoryNow();
    std::vector<double> at;
    double worstReserved = 0, worstAt = 0;
    size_t next = 0;
    for (int64_t j = 0; j < Sizes[3]; ++j) {
        const float x = float(j) * 0.36f;
        for (int c = 0; c < Curves; ++c)
            t.AddXY(c, x, float(c) + float(j % 1000) * 0.001f);
        const int64_t count = j + 1;
        const bool decade = count == Sizes[next];
        if (count < Sizes[0] || (count % Sample != 1 && !decade))
            continue;
        const qx::bench::MemoryFigures now = qx::bench::memoryNow();
        const double points = double(count) * Curves;
        const double reserved = (now.reserved - before.reserved) / points;
        if (reserved > worstReserved) {
            worstReserved = reserved;
            worstAt = double(count);
        }
        if (decade) {
            at.insert(at.end(), {reserved, (now.resident - before.resident) / points});
            ++next;
        }
    }
    at.insert(at.end(), {worstReserved, worstAt});
    return at;
}

void BM_PointMemory(benchmark::State &state)
{
    std::vector<double> m;
    for (auto _ : state)
        m = qx::bench::inChild(fillAndMeasure);
    if (m.size() != 10) {
        state.SkipWithError("the measuring process failed");
        return;
    }
    const char *sizes[] = {"1e4", "1e5", "1e6", "1e7"};
    for (size_t k = 0; k < 4; ++k) {
        state.counters[std::string("reserved_") + sizes[k]] = m[2 * k];
        state.counters[std::string("resident_") + sizes[k]] = m[2 * k + 1];
    }
    state.counters["worst_reserved"] = m[8];
    state.counters["worst_at"] = m[9];
}

} // namespace

BENCHMARK(BM_Reading)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NormalView)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomedView)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CursorMove)->Arg(10000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointMemory)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv) { return qx::bench::runWithQt(argc, argv); }
