// Reading the small text files a user opens: a step file of ten rows (42
// lines) and a parameter file (7 lines), each from the disk as the program
// opens them, and the same step file written in GBK on Windows.
#include "services/StepFile.h"
#include "mainwin/CfgFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QByteArray stepFile(const QByteArray &cellText)
{
    QByteArray b = "----------QX Step File--------------\r\nDEV:7\r\n";
    for (int r = 1; r <= 10; ++r) {
        const QByteArray row = QByteArray::number(r).rightJustified(2, '0');
        b += row + "1:" + QByteArray::number(r % 3) + "\r\n";
        b += row + "2:1.50\r\n" + row + "3:" + cellText + "\r\n" + row + "4:60\r\n";
    }
    return b;
}

struct Files {
    QTemporaryDir dir;
    QString step = dir.filePath("prog.stp");
    QString gbk = dir.filePath("gbk.stp");
    QString cfg = dir.filePath("cell.cfg");
    Files()
    {
        write(step, stepFile("3.20"));
        write(gbk, stepFile("\xB5\xE7\xB3\xD8"));
        write(cfg, "---------QX Tester Software--------\r\nD:QM-01\r\nT:Pack 12\r\nS:1.500\r\nL:3.00\r\n"
                   "M:120\r\n----------QX Parameter File----------\r\n");
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
};

Files &files()
{
    static Files f;
    return f;
}

const qx::stepfile::ModeList Modes{{"D-CC", "D-CP", "C-CV"}, "Wait", "Cycle"};

void readStep(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(qx::stepfile::read(f, 7, Modes));
    }
}

void BM_StepFile(benchmark::State &state) { readStep(state, files().step); }
BENCHMARK(BM_StepFile)->Unit(benchmark::kMicrosecond);

void BM_StepFileInGbk(benchmark::State &state) { readStep(state, files().gbk); }
BENCHMARK(BM_StepFileInGbk)->Unit(benchmark::kMicrosecond);

void BM_ParameterFile(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(files().cfg);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(qx::cfgfile::read(f, QStringLiteral("QM-01")));
    }
}
BENCHMARK(BM_ParameterFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
