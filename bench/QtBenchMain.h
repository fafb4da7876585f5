#pragma once
// main() of a benchmark that makes widgets: a QApplication (on the offscreen
// platform unless QT_QPA_PLATFORM names another) around Google Benchmark's
// run of every registered benchmark.
#include <QApplication>
#include <benchmark/benchmark.h>

namespace qx::bench {

inline int runWithQt(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace qx::bench
