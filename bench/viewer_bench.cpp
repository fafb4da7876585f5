// Data viewer loading: ten result files of 1e6 data lines each, read (once
// each), checked, summarised and appended to the chart's curve storage,
// against a bare std::from_chars parse of the same bytes in the same run.
// Target: the viewer's load within 2x of the bare parse, and 8 bytes per
// stored point (four curves per file: voltage, current, capacity, energy).
//
// Counters: bare_s and viewer_s (seconds of this thread's CPU time for all
// ten files, the best of the iterations, so that other work on a busy
// machine disturbs the figures less), ratio (viewer / bare), bytes_per_point
// (storage of the loaded curves). The benchmark's own time is wall time.
#include "curves/CurveGraphData.h"
#include "curves/ResultReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <charconv>
#include <chrono>
#include <ctime>
#include <cstring>
#include <string>
#include <vector>

using namespace qx::curves;

namespace {

constexpr int Files = 10;
constexpr int Lines = 1'000'000;

struct Corpus {
    QTemporaryDir dir;
    std::vector<QString> paths;
    std::vector<std::string> bytes;

    Corpus()
    {
        for (int f = 0; f < Files; ++f) {
            std::string b = "-----------QX Tester Software-----------\r\nDevice:QM-20\r\nMode:D-CC\r\n"
                            "Title:bench\r\n------------bench--------------\r\nTime(S),Cur(A),Vol(V)\r\n";
            b.reserve(size_t(Lines) * 20 + 256);
            char line[64];
            for (int t = 0; t < Lines; ++t) {
                const double cur = 1.0 + 0.001 * ((t * 7 + f) % 500);
                const double vol = 4.2 - 1.2 * t / Lines + 0.001 * (t % 13);
                const int n = std::snprintf(line, sizeof line, "%d,%.3f,%.3f\r\n", t, cur, vol);
                b.append(line, size_t(n));
            }
            const QString path = dir.filePath(QStringLiteral("run%1.csv").arg(f));
            QFile out(path);
            if (out.open(QIODevice::WriteOnly))
                out.write(b.data(), qint64(b.size()));
            paths.push_back(path);
            bytes.push_back(std::move(b));
        }
    }
};

Corpus &corpus()
{
    static Corpus c;
    return c;
}

// The bare parse: split at line ends, three numbers per data line, a sum so
// that nothing is optimised away.
double bareParse(const std::string &b)
{
    double sum = 0;
    const char *p = b.data(), *end = p + b.size();
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *e = nl ? nl : end;
        const char *le = e > p && e[-1] == '\r' ? e - 1 : e;
        if (p < le && *p >= '0' && *p <= '9') {
            float v[3];
            const char *q = p;
            for (int k = 0; k < 3 && q < le; ++k) {
                auto r = std::from_chars(q, le, v[k]);
                q = r.ptr + 1;
            }
            sum += double(v[0]) + v[1] + v[2];
        }
        p = e + 1;
    }
    return sum;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of the calling thread, in seconds.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_ViewerLoadTenFiles(benchmark::State &state)
{
    Corpus &c = corpus();
    double bareBest = 1e300, viewerBest = 1e300, bytesPerPoint = 0;
    for (auto _ : state) {
        const double c0 = threadSeconds();
        double s = 0;
        for (const std::string &b : c.bytes)
            s += bareParse(b);
        benchmark::DoNotOptimize(s);
        const auto t1 = std::chrono::steady_clock::now();
        const double c1 = threadSeconds();

        CurveTable table;
        table.setCurveCount(Files * 5);
        ReadOptions opt;
        for (int f = 0; f < Files; ++f) {
            ResultData r = readResultFile(c.paths[size_t(f)], opt);
            if (!r.ok) {
                state.SkipWithError(r.error.toStdString().c_str());
                return;
            }
            opt.ranges = r.ranges;
            const int v = 5 * f;
            table.TakePoints(v, std::move(r.volt), r.xRising);
            table.TakePoints(v + 1, std::move(r.curr), r.xRising);
            table.TakePoints(v + 3, std::move(r.cap), r.tRising);
            table.TakePoints(v + 4, std::move(r.energy), r.tRising);
            benchmark::DoNotOptimize(r.cells);
        }
        const auto t2 = std::chrono::steady_clock::now();
        const double c2 = threadSeconds();

        double stored = 0, points = 0;
        for (int k = 0; k < table.CurveCount(); ++k) {
            stored += double(table.curve(k).Dp.capacity()) * sizeof(DataPoint);
            points += table.DpCnt(k);
        }
        bytesPerPoint = stored / points;
        bareBest = std::min(bareBest, c1 - c0);
        viewerBest = std::min(viewerBest, c2 - c1);
        state.SetIterationTime(seconds(t2 - t1));
    }
    state.counters["bare_s"] = bareBest;
    state.counters["viewer_s"] = viewerBest;
    state.counters["ratio"] = viewerBest / bareBest;
    state.counters["bytes_per_point"] = bytesPerPoint;
}
BENCHMARK(BM_ViewerLoadTenFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
