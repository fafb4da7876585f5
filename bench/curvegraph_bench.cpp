// Chart drawing cost against the number of points: ten shown curves of 1e4,
// 1e5 and 1e6 points each, in the normal view, in a zoomed view, and for a
// cursor move. The cost should follow the picture's width, not the points.
#include "curves/CurveGraph.h"
#include "common/Mouse.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

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

} // namespace

BENCHMARK(BM_NormalView)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomedView)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CursorMove)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) { return qx::bench::runWithQt(argc, argv); }
