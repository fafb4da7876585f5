// Data viewer loading: ten result files of 1e6 data lines each, read (once
// each), checked, summarised and handed to the chart's curve storage, against
// two bare std::from_chars parses of the same bytes in the same run: one that
// only parses (the bytes already in memory), and one that also stores the
// same points (four a data line, into fresh arrays sized beforehand).
// Target: the viewer's load within 2x of the storing parse and within 3x of
// the parse alone; its peak memory the stored points plus a bounded buffer.
//
// The storing parse and the viewer's load each run in a fresh process, so
// that their points land in memory never touched before, as in a program
// that loads its first files. Counters (medians of the iterations):
// bare_s, stored_s, viewer_s (seconds of the thread's CPU time, page faults
// included, for all ten files), ratio_stored (viewer / storing parse),
// ratio_bare (viewer / parse alone), points_MB (the loaded points' storage),
// peak_MB (rise of the resident high-water mark during the load),
// peak_over_points_MB (the difference), bytes_per_point (storage of the
// loaded curves a point). The benchmark's own time is the viewer's wall time.
#include "curves/CurveGraphData.h"
#include "curves/ResultReader.h"
#include "ProcessMemory.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <charconv>
#include <chrono>
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
    QString warmPath; // a short file read before a measured load

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
        warmPath = dir.filePath(QStringLiteral("warm.csv"));
        QFile warm(warmPath);
        if (warm.open(QIODevice::WriteOnly))
            warm.write(QByteArray::fromStdString(bytes[0].substr(0, 20000)));
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

// The parse storing the same points as the viewer: voltage and current
// against the time, capacity and energy sums against the time.
double storingParse(const std::string &b, std::vector<DataPoint> (&out)[4])
{
    for (auto &v : out)
        v.resize(size_t(Lines));
    size_t k = 0;
    double cap = 0, energy = 0, prev = 0;
    const char *p = b.data(), *end = p + b.size();
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *e = nl ? nl : end;
        const char *le = e > p && e[-1] == '\r' ? e - 1 : e;
        if (p < le && *p >= '0' && *p <= '9' && k < size_t(Lines)) {
            float v[3];
            const char *q = p;
            for (int n = 0; n < 3 && q < le; ++n) {
                auto r = std::from_chars(q, le, v[n]);
                q = r.ptr + 1;
            }
            cap += (double(v[0]) - prev) * v[1];
            energy += (double(v[0]) - prev) * v[1] * v[2];
            prev = v[0];
            out[0][k] = {v[0], v[2]};
            out[1][k] = {v[0], v[1]};
            out[2][k] = {v[0], float(cap)};
            out[3][k] = {v[0], float(energy)};
            ++k;
        }
        p = e + 1;
    }
    return cap + energy;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The viewer's load of the ten files in this process: CPU seconds, wall
// seconds, stored bytes, peak rise (bytes) and bytes a point; nothing when a
// file fails.
std::vector<double> viewerLoad()
{
    Corpus &c = corpus();
    {
        // The code and the libraries it runs fault in first (a forked
        // process maps its parent's code pages afresh), not counted below.
        CurveTable warm;
        ResultData r = readResultFile(c.warmPath, ReadOptions{});
        warm.TakePoints(0, std::move(r.volt), r.xRising);
        qx::bench::memoryNow();
    }
    const qx::bench::MemoryFigures before = qx::bench::memoryNow();
    qx::bench::resetPeak();
    const auto w0 = std::chrono::steady_clock::now();
    const double c0 = qx::bench::threadSeconds();
    CurveTable table;
    table.setCurveCount(Files * 5);
    ReadOptions opt;
    for (int f = 0; f < Files; ++f) {
        ResultData r = readResultFile(c.paths[size_t(f)], opt);
        if (!r.ok)
            return {};
        opt.ranges = r.ranges;
        const int v = 5 * f;
        table.TakePoints(v, std::move(r.volt), r.xRising);
        table.TakePoints(v + 1, std::move(r.curr), r.xRising);
        table.TakePoints(v + 3, std::move(r.cap), r.tRising);
        table.TakePoints(v + 4, std::move(r.energy), r.tRising);
        benchmark::DoNotOptimize(r.cells);
    }
    const double c1 = qx::bench::threadSeconds();
    const auto w1 = std::chrono::steady_clock::now();
    const qx::bench::MemoryFigures after = qx::bench::memoryNow();
    double stored = 0, points = 0;
    for (int k = 0; k < table.CurveCount(); ++k) {
        stored += double(table.curve(k).Dp.capacity()) * sizeof(DataPoint);
        points += table.DpCnt(k);
    }
    return {c1 - c0, seconds(w1 - w0), stored, after.peak - before.resident, stored / points};
}

void BM_ViewerLoadTenFiles(benchmark::State &state)
{
    Corpus &c = corpus();
    std::vector<double> bare, storing, viewer, stored, peak, perPoint;
    for (auto _ : state) {
        const double c0 = qx::bench::threadSeconds();
        double s = 0;
        for (const std::string &b : c.bytes)
            s += bareParse(b);
        benchmark::DoNotOptimize(s);
        bare.push_back(qx::bench::threadSeconds() - c0);

        const std::vector<double> st = qx::bench::inChild([&] {
            const double t0 = qx::bench::threadSeconds();
            std::vector<std::vector<DataPoint>> keep(Files * 4);
            double sum = 0;
            for (int f = 0; f < Files; ++f) {
                std::vector<DataPoint> out[4];
                sum += storingParse(c.bytes[size_t(f)], out);
                for (int k = 0; k < 4; ++k)
                    keep[size_t(4 * f + k)] = std::move(out[k]);
            }
            benchmark::DoNotOptimize(sum);
            return std::vector<double>{qx::bench::threadSeconds() - t0};
        });
        const std::vector<double> vw = qx::bench::inChild(viewerLoad);
        if (st.size() != 1 || vw.size() != 5) {
            state.SkipWithError("a measuring process failed");
            return;
        }
        storing.push_back(st[0]);
        viewer.push_back(vw[0]);
        state.SetIterationTime(vw[1]);
        stored.push_back(vw[2]);
        peak.push_back(vw[3]);
        perPoint.push_back(vw[4]);
    }
    constexpr double MB = 1 << 20;
    state.counters["bare_s"] = median(bare);
    state.counters["stored_s"] = median(storing);
    state.counters["viewer_s"] = median(viewer);
    state.counters["ratio_stored"] = median(viewer) / median(storing);
    state.counters["ratio_bare"] = median(viewer) / median(bare);
    state.counters["points_MB"] = median(stored) / MB;
    state.counters["peak_MB"] = median(peak) / MB;
    state.counters["peak_over_points_MB"] = (median(peak) - median(stored)) / MB;
    state.counters["bytes_per_point"] = median(perPoint);
}
BENCHMARK(BM_ViewerLoadTenFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
