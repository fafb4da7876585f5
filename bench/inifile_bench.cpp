// Settings reads on a large settings file (about 49 MB, 49000 sections of
// 20 keys): the first read parses the file, later reads of an unchanged file
// reuse the parse.
#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

struct BigIni {
    QTemporaryDir dir;
    QString path = dir.filePath("qx.ini");
    BigIni()
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return;
        f.write(";--------QX Config File----------\r\n");
        for (int s = 0; s < 49000; ++s) {
            QByteArray b = "[SEC" + QByteArray::number(s) + "]\r\n";
            for (int k = 0; k < 20; ++k)
                b += "KEY" + QByteArray::number(k) + "=value " + QByteArray::number(s * 100 + k) +
                     " padding padding padding\r\n";
            f.write(b);
        }
    }
    // A new modification time: the next read parses the file anew.
    void touch(long n) const
    {
        const timespec t[2] = {{1000000000 + n, 0}, {1000000000 + n, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0);
    }
};

BigIni &big()
{
    static BigIni b;
    return b;
}

void BM_FirstRead(benchmark::State &state)
{
    big();
    long n = 0;
    for (auto _ : state) {
        big().touch(++n);
        benchmark::DoNotOptimize(qx::profile::read(big().path, "SEC48999", "KEY19"));
    }
}
BENCHMARK(BM_FirstRead)->Unit(benchmark::kMillisecond);

void BM_ReadOfUnchangedFile(benchmark::State &state)
{
    qx::profile::read(big().path, "SEC0", "KEY0");
    int i = 0;
    for (auto _ : state) {
        ++i;
        benchmark::DoNotOptimize(
            qx::profile::read(big().path, QStringLiteral("SEC%1").arg(i % 49000), QStringLiteral("KEY%1").arg(i % 20)));
    }
}
BENCHMARK(BM_ReadOfUnchangedFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
