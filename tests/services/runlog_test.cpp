// The run-log file: header and data lines as written, appending after a
// torn last line (also one left by someone else while the writer holds the
// file open), a new run's header under a writer that holds the old file,
// a log moved aside while held, and reading back every well-formed line.
#include "common/TempHome.h"
#include "services/RunLog.h"
#include "platform/QxError.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qx;

namespace {

class RunLogFile : public ::testing::Test {
protected:
    QString path(const char *name = "qx-QM-01-COM3-1-1.bak") const { return home.file(QLatin1String(name)); }
    void write(const QByteArray &bytes) const { home.write(QStringLiteral("qx-QM-01-COM3-1-1.bak"), bytes); }
    QByteArray bytes() const { return home.read(QStringLiteral("qx-QM-01-COM3-1-1.bak")); }
    void append(const QString &line) { writer.append(path(), line); }

    test::TempHome home;
    runlog::LineWriter writer; // one channel's, kept from line to line
};

const QByteArray Header = "-----------QX Tester Software------------\r\n"
                          "Device:QM-01\r\n"
                          "Mode:D-CC  1.50A  3.00V\r\n"
                          "Begin Volt:12.60V\r\n"
                          "------------Run Log--------------\r\n"
                          "Time(S)\tCur(A)\tVol(V)\r\n";

runlog::Header header()
{
    runlog::Header h;
    h.deviceCaption = QStringLiteral("Device");
    h.model = QStringLiteral("QM-01");
    h.modeCaption = QStringLiteral("Mode");
    h.mode = QStringLiteral("D-CC  1.50A  3.00V");
    h.beginCaption = QStringLiteral("Begin Volt");
    h.beginVolt = QStringLiteral("12.60V");
    return h;
}

} // namespace

TEST_F(RunLogFile, HeaderAndLinesAsWritten)
{
    write("an old run\r\n1\t9.99\t9.999\r\n");
    runlog::writeHeader(path(), header());
    append(runlog::dataLine(1, 1.5f, QStringLiteral("00.00"), 12.34f, std::nullopt));
    append(runlog::dataLine(2, 0.056f, QStringLiteral("0.000"), 4.1f, 25.35f));
    EXPECT_EQ(bytes(), Header + "1\t01.50\t12.340\r\n"
                                "2\t0.056\t4.100\t25.4\r\n");

    EXPECT_EQ(runlog::columnLine(true, false).toStdString(), "Time(S)\tCur(A)\tVol(V)\tTemp(C)");
    EXPECT_EQ(runlog::columnLine(false, true).toStdString(), "Time(S)\tCur(mA)\tVol(V)");
    EXPECT_EQ(runlog::columnLine(true, true).toStdString(), "Time(S)\tCur(A)\tVol(V)\tTemp(C)");
}

TEST_F(RunLogFile, AppendingCutsATornLastLineOff)
{
    // A crash in the middle of a line: the fragment is cut, never glued to.
    write(Header + "1\t01.50\t12.340\r\n2\t01.5");
    append(QStringLiteral("3\t01.50\t12.300"));
    EXPECT_EQ(bytes(), Header + "1\t01.50\t12.340\r\n3\t01.50\t12.300\r\n");

    // A line that lost only its line end, or its LF after the CR.
    write(Header + "1\t01.50\t12.340\r");
    append(QStringLiteral("2\t01.50\t12.300"));
    EXPECT_EQ(bytes(), Header + "2\t01.50\t12.300\r\n");

    // A file that is one fragment; an empty file; a file ending in LF only.
    write("-----------QX Tes");
    append(QStringLiteral("1\t01.50\t12.340"));
    EXPECT_EQ(bytes(), "1\t01.50\t12.340\r\n");
    write("");
    append(QStringLiteral("1\t01.50\t12.340"));
    EXPECT_EQ(bytes(), "1\t01.50\t12.340\r\n");
    write("x\n");
    append(QStringLiteral("1\t01.50\t12.340"));
    EXPECT_EQ(bytes(), "x\n1\t01.50\t12.340\r\n");

    // A fragment longer than the block the cut reads backwards with.
    write(Header + "1\t01.50\t12.340\r\n" + QByteArray(10000, '7'));
    append(QStringLiteral("2\t01.50\t12.300"));
    EXPECT_EQ(bytes(), Header + "1\t01.50\t12.340\r\n2\t01.50\t12.300\r\n");
}

TEST_F(RunLogFile, AFileThatCannotBeWrittenFails)
{
    const QString missing = home.file(QStringLiteral("no-folder/qx.bak"));
    EXPECT_THROW(runlog::writeHeader(missing, header()), QxError);
    EXPECT_THROW(writer.append(missing, QStringLiteral("1\t01.50\t12.340")), QxError);
    // The writer then takes another file as if new.
    append(QStringLiteral("1\t01.50\t12.340"));
    EXPECT_EQ(bytes(), "1\t01.50\t12.340\r\n");
}

TEST_F(RunLogFile, ANewRunsHeaderReplacesTheFileTheWriterHolds)
{
    // A run's lines, then the next run of the channel on the same file:
    // its header starts the file again and its lines follow that header,
    // with or without the writer let go in between.
    for (const bool letGo : {false, true}) {
        SCOPED_TRACE(letGo);
        runlog::writeHeader(path(), header());
        append(QStringLiteral("1\t01.50\t12.340"));
        append(QStringLiteral("2\t01.50\t12.300"));
        if (letGo)
            writer.close();
        runlog::writeHeader(path(), header());
        append(QStringLiteral("1\t00.50\t4.100"));
        EXPECT_EQ(bytes(), Header + "1\t00.50\t4.100\r\n");
    }
    // A log removed while held is made again.
    QFile::remove(path());
    append(QStringLiteral("7\t00.50\t4.000"));
    EXPECT_EQ(bytes(), "7\t00.50\t4.000\r\n");
    // A writer given another channel's file leaves the first one as it is.
    writer.append(path("qx-QM-01-COM3-1-2.bak"), QStringLiteral("8\t00.50\t3.900"));
    EXPECT_EQ(bytes(), "7\t00.50\t4.000\r\n");
    EXPECT_EQ(home.read(QStringLiteral("qx-QM-01-COM3-1-2.bak")), "8\t00.50\t3.900\r\n");
}

TEST_F(RunLogFile, ALogMovedAsideKeepsItsLinesAndTheRunGoesOnUnderItsName)
{
    // The user keeps a copy of the log by renaming it while the test runs:
    // the copy holds the lines so far, the next lines make the log anew
    // under the run's name (where Continue looks for it).
    runlog::writeHeader(path(), header());
    append(QStringLiteral("1\t01.50\t12.340"));
    append(QStringLiteral("2\t01.50\t12.300"));
    ASSERT_TRUE(QFile::rename(path(), path("kept.bak")));
    append(QStringLiteral("3\t01.50\t12.260"));
    EXPECT_EQ(home.read(QStringLiteral("kept.bak")), Header + "1\t01.50\t12.340\r\n2\t01.50\t12.300\r\n");
    EXPECT_EQ(bytes(), "3\t01.50\t12.260\r\n");
}

TEST_F(RunLogFile, ReadingTakesEveryWellFormedLine)
{
    write(Header + "1\t01.50\t12.340\r\n"
                   "\r\n"
                   "2\t01.50\t12.300\n"       // LF alone
                   "3\t01.5\r\n"              // a field missing
                   "4\t01.50\t12.2x0\r\n"     // not a number
                   "5\t01.49\t12.250\t3\r\n"  // a fourth field, without a temperature column
                   "6\t01.49\t12.240\r\n"
                   "7\t01.4");                // torn
    const auto c = runlog::read(path());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->model.value().toStdString(), "QM-01");
    EXPECT_EQ(c->mode.value().toStdString(), "D-CC  1.50A  3.00V");
    EXPECT_EQ(c->beginVolt.value().toStdString(), "12.60V");
    ASSERT_EQ(c->points.size(), 3u);
    const int secs[] = {1, 2, 6};
    const double vols[] = {12.34, 12.30, 12.24};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(c->points[i].t, secs[i]);
        EXPECT_DOUBLE_EQ(c->points[i].vol, vols[i]);
    }
    EXPECT_DOUBLE_EQ(c->points[2].cur, 1.49);
    EXPECT_EQ(c->skipped, (std::vector<int>{10, 11, 12, 14}));
}

TEST_F(RunLogFile, TemperatureColumnAndHeaderValues)
{
    // With a temperature column every data line has four fields.
    write("Device:Q\r\n"               // 8 characters: no model
          "Mode:D\r\n"                 // 6 characters: no mode
          "Begin Volt:1\r\n"           // 12 characters: no begin voltage
          "Time(S)\tCur(A)\tVol(V)\tTemp(C)\r\n"
          "10\t00.50\t3.700\t25.0\r\n"
          "11\t00.50\t3.690\r\n"       // three fields: glued or cut
          "12\t00.50\t3.680\t25.1\r\n");
    const auto c = runlog::read(path());
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->model);
    EXPECT_FALSE(c->mode);
    EXPECT_FALSE(c->beginVolt);
    ASSERT_EQ(c->points.size(), 2u);
    EXPECT_EQ(c->points[1].t, 12);
    EXPECT_EQ(c->skipped, std::vector<int>{6});

    write("Device:QM\r\nMode:D-\r\nBegin Volt:1V\r\n");
    const auto d = runlog::read(path());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->model.value().toStdString(), "QM");
    EXPECT_EQ(d->mode.value().toStdString(), "D-");
    EXPECT_EQ(d->beginVolt.value().toStdString(), "1V");
    EXPECT_TRUE(d->points.empty());
    EXPECT_TRUE(d->skipped.empty());

    EXPECT_FALSE(runlog::read(home.file(QStringLiteral("none.bak"))));
}

TEST_F(RunLogFile, TheProgramsRecordsAreReadBackAndLeaveTheDataAsItIs)
{
    write(Header + "Settings:0,150,300,0\r\n"
                   "1\t01.50\t12.340\r\n"
                   "Carried:0.0107000\r\n"
                   "2\t01.50\t12.300\r\n"
                   "Settings:0,100,300,0\r\n"
                   "Settings:0,1x0,300\r\n" // malformed: passed over
                   "End:2,0.0009000\r\n");
    std::optional<runlog::Contents> c = runlog::read(path());
    ASSERT_TRUE(c);
    ASSERT_EQ(c->points.size(), 2u);
    EXPECT_TRUE(c->skipped.empty());
    ASSERT_TRUE(c->settings);
    EXPECT_EQ(*c->settings, (RunSettings{0, 100, 300, 0}));
    EXPECT_DOUBLE_EQ(c->carried, 0.0107);
    EXPECT_TRUE(c->ended);
    // The device's count at the end, not the lines' 1.5 A for two seconds.
    EXPECT_DOUBLE_EQ(runlog::charge(*c), 0.0009);

    // A line after the end record: the run went on (a Continue), its charge
    // from the end's count on.
    append(QStringLiteral("3\t01.50\t12.280"));
    c = runlog::read(path());
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->ended);
    EXPECT_NEAR(runlog::charge(*c), 0.0009 + 1.5 / 3600, 1e-12);
    // Without an end record: the lines' charge from second 0.
    write(Header + "1\t01.50\t12.340\r\n2\t01.50\t12.300\r\n");
    EXPECT_NEAR(runlog::charge(*runlog::read(path())), 3.0 / 3600, 1e-12);
    // As written.
    EXPECT_EQ(runlog::settingsRecord({2, 1000, 400, 5}).toStdString(), "Settings:2,1000,400,5");
    EXPECT_EQ(runlog::carriedRecord(0.0107).toStdString(), "Carried:0.0107000");
    EXPECT_EQ(runlog::endRecord(36, 0.01).toStdString(), "End:36,0.0100000");
}
