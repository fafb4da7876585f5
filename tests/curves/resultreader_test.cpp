// Reading result files for the data viewer: the program's own files (one-
// and two-channel, "," ";" and TAB), the worked example, line ends, the
// separator taken from the file, a file read once (a pipe reads too), the
// summary cells computed where the file states none, sums over a million
// lines, and a table of malformed files.
#include "curves/ResultReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>

using namespace qx::curves;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(QX_TESTS_DIR "/curves/data/") + QLatin1String(name);
}

ResultData read(const char *name, bool cap = false, char fallback = ',')
{
    ReadOptions o;
    o.xAxisCap = cap;
    o.fallbackSeparator = fallback;
    return readResultFile(fixture(name), o);
}

ResultData parse(const std::string &bytes, char fallback = ',')
{
    ReadOptions o;
    o.fallbackSeparator = fallback;
    return parseResultBytes(bytes, o);
}

// Writes bytes to a new file at path; false when it cannot.
bool writeFile(const QString &path, const std::string &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

struct Pt {
    float x, y;
};

void expectPoints(const PointStore &got, std::initializer_list<Pt> want, const char *what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    size_t k = 0;
    for (const Pt &p : want) {
        EXPECT_FLOAT_EQ(got[k].x, p.x) << what << " point " << k;
        EXPECT_FLOAT_EQ(got[k].y, p.y) << what << " point " << k;
        ++k;
    }
}

} // namespace

TEST(ResultReader, OneChannelFileKeepsItsStatedSummaryAndGivesFourCurves)
{
    const ResultData r = read("one_channel.csv");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const QString cells[] = {"QM-20", "D-CC", "4.200V", "3.000V", "5mAh", "19mWh", "3.90V", "Cell A"};
    for (int c = 0; c < SummaryColumns; ++c)
        EXPECT_EQ(r.cells[size_t(c)], cells[c]) << c;
    EXPECT_TRUE(r.deviceStated);
    EXPECT_EQ(r.separator, ',');
    EXPECT_EQ(r.lines, 4);
    expectPoints(r.volt, {{0, 4.2f}, {6, 4.0f}, {12, 3.8f}, {18, 3.6f}}, "voltage");
    expectPoints(r.curr, {{0, 1}, {6, 1}, {12, 1}, {18, 1}}, "current");
    // 6000 mA·s per step of 6 s at 1 A: 0, 1.667, 3.333, 5 mAh, kept in Ah.
    expectPoints(r.cap, {{0, 0}, {6, 0.002f}, {12, 0.003f}, {18, 0.005f}}, "capacity");
    // Energy = capacity x running average voltage: 0, 24600, 48000, 70200 mW·s
    // (the last just below 70200 with single-precision readings: 19.49999 mWh).
    expectPoints(r.energy, {{0, 0}, {6, 0.007f}, {12, 0.013f}, {18, 0.019f}}, "energy");
    EXPECT_EQ(r.ranges.XMax, 18);
    EXPECT_FLOAT_EQ(r.ranges.VMax, 4.3f);
    EXPECT_FLOAT_EQ(r.ranges.VMin, 3.5f);
    EXPECT_FLOAT_EQ(r.ranges.IMax, 1.1f);
    EXPECT_FLOAT_EQ(r.ranges.IMin, 0.9f);
}

TEST(ResultReader, CapacityAxisPutsTheChargeReachedOnX)
{
    const ResultData r = read("one_channel.csv", true);
    ASSERT_TRUE(r.ok);
    expectPoints(r.volt, {{0, 4.2f}, {6000 / 3600.0f, 4.0f}, {12000 / 3600.0f, 3.8f}, {5, 3.6f}}, "voltage");
    // Capacity and energy stay against seconds.
    EXPECT_FLOAT_EQ(r.cap[3].x, 18);
    EXPECT_EQ(r.ranges.XMax, 5);
}

TEST(ResultReader, TwoChannelFileWithTemperatureAndSemicolonsGetsComputedCells)
{
    // Written with ";" while the setting says ",": the file's own column line decides.
    const ResultData r = read("two_channel_ch2.csv", false, ',');
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.separator, ';');
    const QString cells[] = {"QM-52", "C-Liion", "3.600V", "", "33.33333mAh", "127mWh", "3.8V", "Pack B channel 2"};
    for (int c = 0; c < SummaryColumns; ++c)
        EXPECT_EQ(r.cells[size_t(c)], cells[c]) << c;
    expectPoints(r.volt, {{0, 3.6f}, {30, 3.8f}, {60, 4.0f}}, "voltage (temperature ignored)");
    expectPoints(r.curr, {{0, 2}, {30, 2}, {60, 2}}, "current");
}

TEST(ResultReader, StepProgramDatFileSkipsItsStepLines)
{
    const ResultData r = read("step_program.dat", false, '\t');
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.separator, '\t');
    EXPECT_FALSE(r.deviceStated);
    const QString cells[] = {"", "", "", "", "500mAh", "5750mWh", "11.5V", "Steps"};
    for (int c = 0; c < SummaryColumns; ++c)
        EXPECT_EQ(r.cells[size_t(c)], cells[c]) << c;
    EXPECT_EQ(r.lines, 2);
}

TEST(ResultReader, WorkedExampleTwoPointsTenSecondsApart)
{
    const ResultData r = read("worked_example.csv");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_DOUBLE_EQ(r.capacity, 10000);
    EXPECT_EQ(r.cells[ColCapacity], "2.777778mAh");
    EXPECT_EQ(r.cells[ColAvgVolt], "4V");
    EXPECT_EQ(r.cells[ColEnergy], "11mWh");
}

TEST(ResultReader, SummaryCellsFromComputedOrStatedCapacity)
{
    const struct {
        const char *bytes;
        const char *cap, *energy;
    } cases[] = {
        // 1 A for 37800 s is 10500 mAh: shown in Ah, energy in Wh.
        {"0,1.00,4.000\r\n37800,1.00,4.000\r\n", "10.50Ah", "42.00Wh"},
        // 1 A for 35996.4 s (rounded times: 35996 s) is 9998.9 mAh: still mAh.
        {"0,1.00,4.000\r\n35996,1.00,4.000\r\n", "9998.889mAh", "39996mWh"},
        // A capacity stated in Ah without energy: energy from it and the average.
        {"Capacity:1.234Ah\r\n0,1.00,4.000\r\n10,1.00,4.000\r\n", "1.234Ah", "4.94Wh"},
        // A stated energy stays.
        {"Energy:7mWh\r\n0,1.00,4.000\r\n10,1.00,4.000\r\n", "2.777778mAh", "7mWh"},
        // A capacity with neither unit leaves the energy cell empty.
        {"Capacity:12 units\r\n0,1.00,4.000\r\n", "12 units", ""},
        // A key line with one character after the colon is skipped, two are kept.
        {"Mode:a\r\nTitle:ab\r\n0,1.00,4.000\r\n", "0mAh", "0mWh"},
    };
    for (const auto &c : cases) {
        const ResultData r = parse(c.bytes);
        ASSERT_TRUE(r.ok) << c.bytes << r.error.toStdString();
        EXPECT_EQ(r.cells[ColCapacity], QLatin1String(c.cap)) << c.bytes;
        EXPECT_EQ(r.cells[ColEnergy], QLatin1String(c.energy)) << c.bytes;
    }
    const ResultData r = parse("Mode:a\r\nTitle:ab\r\n0,1.00,4.000\r\n");
    EXPECT_EQ(r.cells[ColMode], "");
    EXPECT_EQ(r.cells[ColTitle], "ab");
}

TEST(ResultReader, LineEndsCrLfLfAndCrReadAlike)
{
    const char *lines[] = {"Device:QM-20", "Time(S),Cur(A),Vol(V)", "0,1.00,4.000", "10,1.00,3.900"};
    for (const char *end : {"\r\n", "\n", "\r"}) {
        std::string bytes;
        for (const char *l : lines)
            bytes += std::string(l) + end;
        bytes.pop_back(); // no line end after the last line either
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ends.csv"));
        ASSERT_TRUE(writeFile(path, bytes));
        for (const ResultData &r : {parse(bytes), readResultFile(path, ReadOptions{})}) {
            ASSERT_TRUE(r.ok) << r.error.toStdString();
            EXPECT_EQ(r.cells[ColDevice], "QM-20");
            ASSERT_EQ(r.lines, 2);
            ASSERT_EQ(r.volt.size(), 2u);
            EXPECT_FLOAT_EQ(r.volt[1].y, 3.9f);
        }
    }
}

TEST(ResultReader, BlockEdgesDoNotSplitOrDoubleLines)
{
    // More than 1 MiB, a CR LF falling on each offset around the 1 MiB mark
    // (where a reader working in blocks of that size would split it).
    std::string bytes = "Time(S),Cur(A),Vol(V)\r\n";
    int n = 0;
    while (bytes.size() < (1u << 20) + 100) {
        bytes += std::to_string(n) + ",1.00,4.000\r\n";
        ++n;
    }
    for (size_t pad = 0; pad < 24; ++pad) {
        std::string b = std::string(pad, '\r') + bytes;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.csv"));
        ASSERT_TRUE(writeFile(path, b));
        ReadOptions o;
        const ResultData r = readResultFile(path, o);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        ASSERT_EQ(r.lines, n) << pad;
        EXPECT_FLOAT_EQ(r.volt.back().x, float(n - 1));
    }
}

TEST(ResultReader, AMillionLinesSumInDoublePrecision)
{
    // 1 A at 3.7 V for 999999 s: 277777.5 mAh, average exactly 3.70 V.
    std::string bytes;
    bytes.reserve(20'000'000);
    for (int t = 0; t < 1'000'000; ++t)
        bytes += std::to_string(t) + ",1.000,3.700\r\n";
    const ResultData r = parse(bytes);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lines, 1'000'000);
    EXPECT_EQ(r.cells[ColAvgVolt], "3.7V");
    EXPECT_EQ(r.cells[ColCapacity], "277.78Ah");
    EXPECT_EQ(r.cells[ColEnergy], "1027.79Wh");
}

TEST(ResultReader, MalformedFilesNameTheLineAndWhatIsWrong)
{
    const struct {
        std::string bytes;
        int64_t line;
        const char *error;
    } cases[] = {
        {"", 0, "the file has no data line"},
        {"Device:QM-20\r\nTime(S),Cur(A),Vol(V)\r\n", 0, "the file has no data line"},
        {"Time(S),Cur(A),Vol(V)\r\n0,1.00,4.000\r\n5,1.00,4.1x0\r\n", 3, "\"4.1x0\" is not a number"},
        {"0,1.00,4.000\r\n5,1.00\r\n", 2, "the line has fewer than three fields separated by \",\""},
        {"0;1.00;4.000\r\n5;;\r\n", 2, "the line has fewer than three fields separated by \";\""},
        {"0,1.00,\r\n", 1, "a field is empty"},
        {"12345\r\n", 1, "the line has fewer than three fields separated by \",\""},
        {"0,nan,4.000\r\n", 1, "\"nan\" is not a number"},
        {"0,1.00,4.000\r\n1e12,1.00,4.000\r\n", 2, "the time is out of range"},
        {"Capacity:lotsmAh\r\n0,1.00,4.000\r\n", 1, "the capacity \"lotsmAh\" is not a number"},
        {"0,1.00,4.000\r\n" + std::string(100000, 'x') + "\r\n", 2, "the line is longer than 65536 characters"},
        {"0,1.00,4.000\r\nTitle:" + std::string(3 << 20, 'x'), 2, "the line is longer than 65536 characters"},
    };
    // From memory and from a file read in blocks alike.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.csv"));
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(path, c.bytes));
        for (const ResultData &r : {parse(c.bytes), readResultFile(path, ReadOptions{})}) {
            EXPECT_FALSE(r.ok) << c.bytes.substr(0, 60);
            EXPECT_EQ(r.errorLine, c.line) << c.bytes.substr(0, 60);
            EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.bytes.substr(0, 60);
            EXPECT_TRUE(r.volt.empty() && r.curr.empty() && r.cap.empty() && r.energy.empty());
        }
    }
    ReadOptions o;
    const ResultData missing = readResultFile(fixture("no_such_file.csv"), o);
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.error.startsWith("the file cannot be opened")) << missing.error.toStdString();
}

TEST(ResultReader, TextWrittenOnWindowsReadsInItsCodePage)
{
    const ResultData r = parse("Device:QM-20\r\nMode:Entladen \xB5" "A\r\nTitle:Akku Pr\xFC" "fung 5\xB0" "C\r\n"
                               "0,1.00,4.000\r\n");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.cells[ColMode], QString::fromUtf8("Entladen µA"));
    EXPECT_EQ(r.cells[ColTitle], QString::fromUtf8("Akku Prüfung 5°C"));
    const ResultData gbk = parse("Title:\xB5\xE7\xB3\xD8\xB2\xE2\xCA\xD4\r\nDevice:QM-20\r\n0,1.00,4.000\r\n");
    ASSERT_TRUE(gbk.ok) << gbk.error.toStdString();
    EXPECT_EQ(gbk.cells[ColTitle], QString::fromUtf8("电池测试"));
    EXPECT_EQ(gbk.cells[ColDevice], "QM-20");
    // UTF-8 stays UTF-8; the error names a field as written.
    EXPECT_EQ(parse("Title:\xE7\x94\xB5\xE6\xB1\xA0 Pr\xC3\xBC" "fung\r\n0,1.00,4.000\r\n").cells[ColTitle],
              QString::fromUtf8("电池 Prüfung"));
    EXPECT_EQ(parse("0,1.00,4.0\xB0\r\n").error, QString::fromUtf8("\"4.0°\" is not a number"));
}

TEST(ResultReader, FileIsReadOnceSoAPipeReadsToo)
{
    // A named pipe gives its bytes only once: a reader that goes back to the
    // start of the file for a second pass finds nothing there.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    std::thread writer([&] {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("Device:QM-20\r\nTime(S),Cur(A),Vol(V)\r\n0,1.00,4.000\r\n10,1.00,3.900\r\n");
    });
    const ResultData r = readResultFile(path, ReadOptions{});
    writer.join();
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.cells[ColDevice], "QM-20");
    expectPoints(r.volt, {{0, 4}, {10, 3.9f}}, "voltage");
}

TEST(ResultReader, SeparatorFromTheFileElseFromTheSetting)
{
    // No column line: the first data line shows the separator.
    EXPECT_EQ(parse("0\t1.00\t4.000\r\n", ',').separator, '\t');
    // A column line wins over the data lines.
    EXPECT_EQ(parse("Time(S);Cur(A);Vol(V)\r\n0;1.00;4.000\r\n").separator, ';');
    EXPECT_EQ(separatorForName(QStringLiteral("a.csv"), 0), ',');
    EXPECT_EQ(separatorForName(QStringLiteral("a.CSV"), 1), ';');
    EXPECT_EQ(separatorForName(QStringLiteral("a.Csv"), 0), ',');
    EXPECT_EQ(separatorForName(QStringLiteral("a.dat"), 0), '\t');
}

TEST(ResultReader, TimesWithDecimalsOrExponentsStillRead)
{
    const ResultData r = parse("0,1.00,4.000\r\n2.5,1.00,4.000\r\n1e1,1.00,4.000\r\n007,1.00,4.000\r\n");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    expectPoints(r.volt, {{0, 4}, {2.5f, 4}, {10, 4}, {7, 4}}, "voltage");
    EXPECT_FALSE(r.xRising);
}
