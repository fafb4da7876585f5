// The result data file, line by line: summary and step-list variants, the
// three separators, the column lines, the data lines of the run; the names
// of the automatic save and of the "Save Data" dialog; failed saves.
#include "MainFixture.h"

#include "common/Files.h"
#include "common/FullDisk.h"
#include "common/StderrPipe.h"

#include "curves/CurveGraph.h"
#include "services/ErrLog.h"
#include "services/Module4.h"
#include "mainwin/ResultFile.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>

using namespace qx;
using test::readFile;

namespace {

QByteArray crlf(std::initializer_list<const char *> lines)
{
    QByteArray out;
    for (const char *l : lines)
        out += QByteArray(l) + "\r\n";
    return out;
}

class DataFile : public test::MainFixture {
protected:
    DataFile()
    {
        // A file dialog that answers later than 20 ms is taken at its word.
        previousTicks = Module4::setTickSource([t = int64_t(0)]() mutable { return t += 100; });
    }
    ~DataFile() override { Module4::setTickSource(previousTicks); }

    frmMain &w = load();
    DevCtrl &p = w.DevCtrl(0);
    Module4::TickSource previousTicks;

    void summary(int row, const char *model)
    {
        const char *cells[] = {model, "D-CC", "4.150V", "3.000V", "1500mAh", "5.80Wh", "3.870V"};
        for (int c = 0; c < 7; ++c)
            w.gridRun(0).set_TextMatrix(row, c, cells[c]);
    }
    // Points (x, current, voltage, third value) on the channel's curves.
    void points(int chn, std::initializer_list<std::array<float, 4>> pts)
    {
        for (const auto &pt : pts) {
            w.CurveGraph(0).AddXY(chn * 5, pt[0], pt[2]);
            w.CurveGraph(0).AddXY(chn * 5 + 1, pt[0], pt[1]);
            w.CurveGraph(0).AddXY(chn * 5 + 2, pt[0], pt[3]);
        }
    }
    QString path(const char *name) const { return home.file(QLatin1String(name)); }
    QByteArray errLog() const { return home.read(QStringLiteral("Log/") + errLogFileName(QDate::currentDate())); }
};

} // namespace

TEST_F(DataFile, SummaryCommaOneChannel)
{
    OptCsv = true;
    OptCsvT = 0;
    CurScale[0] = 100;
    summary(1, "QM-01");
    w.CurveGraph(0).set_TitleText("Battery 7");
    // the run starts at the second point
    points(0, {{5, 2.5f, 4.5f, 0}, {6, 1.004f, 4.1234f, 0}, {8.7f, 0.996f, 3.9984f, 0}, {10, 1.2f, 3.5f, 0}});
    RunStartPt[0][0] = 1;
    ASSERT_TRUE(w.WriteDataFile(0, 0, path("a.csv")));
    EXPECT_EQ(readFile(path("a.csv")), crlf({
                                           "-----------QX Tester Software-----------",
                                           "Device:QM-01",
                                           "Mode:D-CC",
                                           "Begin Volt:4.150V",
                                           "Cutoff Volt:3.000V",
                                           "Capacity:1500mAh",
                                           "Energy:5.80Wh",
                                           "Avg Volt:3.870V",
                                           "Title:Battery 7",
                                           "------------Curve Data--------------",
                                           "Time(S),Cur(A),Vol(V)",
                                           "0,1.00,4.123",
                                           "2,1.00,3.998",
                                           "4,1.20,3.500",
                                       }));
}

TEST_F(DataFile, SemicolonWithTemperatureOnChannelTwo)
{
    OptCsv = true;
    OptCsvT = 1;
    CurScale[0] = 1000;
    dev(0).HasTemp = true;
    w.menuTemp->setChecked(true);
    w.InitDual(0);
    summary(1, "QM-13");
    summary(2, "QM-14");
    points(0, {{3, 9, 9, 9}});
    points(1, {{100, 0.5f, 3.7f, 27.46f}, {101, 0.4994f, 3.69f, 27.44f}});
    ASSERT_TRUE(w.WriteDataFile(0, 1, path("b.csv")));
    // the summary of the channel's own row, its own points only
    const QByteArray b = readFile(path("b.csv"));
    EXPECT_TRUE(b.startsWith(crlf({"-----------QX Tester Software-----------", "Device:QM-14"})));
    EXPECT_TRUE(b.endsWith(crlf({"Title:QX Tester Software",
                                 "------------Curve Data--------------",
                                 "Time(S);Cur(A);Vol(V);Temp(C)",
                                 "0;0.500;3.700;27.5",
                                 "1;0.499;3.690;27.4"})));
    // The temperature column needs the menu entry checked as well.
    w.menuTemp->setChecked(false);
    ASSERT_TRUE(w.WriteDataFile(0, 1, path("b.csv")));
    EXPECT_TRUE(readFile(path("b.csv")).endsWith(crlf({"Time(S);Cur(A);Vol(V)", "0;0.500;3.700", "1;0.499;3.690"})));
}

TEST_F(DataFile, TabSeparatedMilliampereHeaderAndEmptyRun)
{
    OptCsv = false;
    DevType[0] = 40;
    CurScale[0] = 1000;
    summary(1, "QM-34");
    ASSERT_TRUE(w.WriteDataFile(0, 0, path("c.dat")));
    EXPECT_TRUE(readFile(path("c.dat")).endsWith(crlf({"Title:QX Tester Software",
                                                       "------------Curve Data--------------",
                                                       "Time(S)\tCur(mA)\tVol(V)"})));
    points(0, {{0, 12.345f, 1.5f, 0}});
    ASSERT_TRUE(w.WriteDataFile(0, 0, path("c.dat")));
    EXPECT_TRUE(readFile(path("c.dat")).endsWith(crlf({"Time(S)\tCur(mA)\tVol(V)", "0\t12.345\t1.500"})));
}

TEST_F(DataFile, StepListAfterAFinishedStepProgram)
{
    OptCsv = true;
    OptCsvT = 0;
    summary(1, "QM-01");
    p.StepListClr();
    const char *rows[][4] = {{"1-1", "D-CC", "1.500", "5.800"}, {"1-2", "", "", ""}, {"1-3", "Wait", "0", "0"}};
    for (const auto &r : rows) {
        for (int c = 0; c < 4; ++c)
            p.set_tStepList(c, r[c]);
        p.StepListAdd();
    }
    p.TabClear();
    p.TabAdd(1, "key1");
    p.TabAdd(2, "key3");
    auto *tabs = p.findChild<KeyedTabBar *>(QStringLiteral("tabDev"));
    tabs->set_SelectedIndex(tabs->IndexOfKey("key3"));
    ASSERT_EQ(p.Test(), 3);

    ASSERT_TRUE(w.WriteDataFile(0, 0, path("d.csv")));
    EXPECT_EQ(readFile(path("d.csv")), crlf({
                                           "-----------QX Tester Software-----------",
                                           "*Step,Mode,Capacity,Energy",
                                           "*1-1,D-CC,1.500,5.800",
                                           "*1-3,Wait,0,0",
                                           "Title:QX Tester Software",
                                           "------------Curve Data--------------",
                                           "Time(S),Cur(A),Vol(V)",
                                       }));
    // During the program, or on another page, the summary is written.
    dev(0).Chained = true;
    ASSERT_TRUE(w.WriteDataFile(0, 0, path("d.csv")));
    EXPECT_TRUE(readFile(path("d.csv")).contains("\r\nDevice:QM-01\r\n"));
    dev(0).Chained = false;
    tabs->set_SelectedIndex(1);
    ASSERT_TRUE(w.WriteDataFile(0, 0, path("d.csv")));
    EXPECT_TRUE(readFile(path("d.csv")).contains("\r\nDevice:QM-01\r\n"));
}

TEST_F(DataFile, FailedWriteKeepsTheEarlierFileAndIsLogged)
{
    summary(1, "QM-01");
    home.write("e.csv", "earlier\r\n");
    // a current curve that fell behind the voltage curve
    w.CurveGraph(0).AddXY(0, 1, 4);
    EXPECT_FALSE(w.WriteDataFile(0, 0, path("e.csv")));
    EXPECT_EQ(readFile(path("e.csv")), "earlier\r\n");
    EXPECT_TRUE(errLog().contains("[ErrWriteData]")) << errLog().toStdString();

    // a target that cannot be a file
    QDir(home.path()).mkdir("taken.csv");
    EXPECT_FALSE(w.WriteDataFile(0, 0, path("taken.csv")));
    // nothing left behind beside it
    EXPECT_EQ(QDir(home.path()).entryList({"taken*"}, QDir::AllEntries | QDir::Hidden), QStringList{"taken.csv"});
}

TEST_F(DataFile, SaveDataOnAFullDiskKeepsTheEarlierFileAndSaysSo)
{
    OptCsv = true;
    OptCsvT = 0;
    summary(1, "QM-01");
    points(0, {{0, 1, 4, 0}, {1, 1, 3.9f, 0}});
    home.write("kept.csv", "earlier\r\n");
    ui.fileAnswers = {path("kept.csv")};
    {
        test::FullDisk full(200);
        w.menuSaveData->trigger();
    }
    EXPECT_EQ(readFile(path("kept.csv")), "earlier\r\n");
    EXPECT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
    EXPECT_TRUE(errLog().contains("[ErrWriteData]" + path("kept.csv").toUtf8() + ": File too large"))
        << errLog().toStdString();
    EXPECT_EQ(QDir(home.path()).entryList({"*.csv", ".*.csv*"}, QDir::Files | QDir::Hidden), QStringList{"kept.csv"});
}

TEST_F(DataFile, AnAutomaticSaveNeverReplacesAFile)
{
    OptCsv = true;
    OptCsvT = 0;
    summary(1, "QM-01");
    points(0, {{0, 1, 4, 0}});
    // Another instance's result of the same second, model, tab and channel.
    const QDateTime t(QDate(2024, 3, 5), QTime(9, 7, 3));
    QDir(home.path()).mkpath("Data");
    home.write("Data/2024-3-5-9-7-3-QM-01-1-1.csv", "the other instance's\r\n");
    EXPECT_EQ(w.AutoSaveData(0, 0, t), home.file("Data/2024-3-5-9-7-3-QM-01-1-1-2.csv"));
    EXPECT_EQ(w.AutoSaveData(0, 0, t), home.file("Data/2024-3-5-9-7-3-QM-01-1-1-3.csv"));
    EXPECT_EQ(home.read("Data/2024-3-5-9-7-3-QM-01-1-1.csv"), "the other instance's\r\n");
    EXPECT_TRUE(home.read("Data/2024-3-5-9-7-3-QM-01-1-1-3.csv").endsWith("0,1.00,4.000\r\n"));
}

TEST_F(DataFile, AnAutomaticSaveOnAFullDiskLeavesNoShortFileAndIsTold)
{
    OptCsv = true;
    OptCsvT = 0;
    summary(1, "QM-01");
    for (int s = 0; s < 60; ++s)
        points(0, {{float(s), 1, 4 - s * 0.01f, 0}});
    const QDateTime t(QDate(2024, 3, 5), QTime(9, 7, 3));
    QDir(home.path()).mkpath("Data");
    test::StderrPipe err;
    {
        // Room for an entry of the error log, not for the result file.
        test::FullDisk full(600);
        EXPECT_EQ(w.AutoSaveData(0, 0, t), "");
        // A second failure in the same run is not told again.
        EXPECT_EQ(w.AutoSaveData(0, 0, t), "");
    }
    EXPECT_EQ(QDir(home.file("Data")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_EQ(w.lstInfoLine(0, 5), " Device1: Data not saved");
    const QString file = home.file("Data/2024-3-5-9-7-3-QM-01-1-1.csv");
    EXPECT_EQ(err.linesWith("not saved"),
              QStringList{"qx-tester: Device1: Data not saved: " + file + ": File too large"});
    const QString entry = "[ErrWriteData]" + file + ": File too large";
    EXPECT_EQ(errLog().count(entry.toUtf8()), 1) << errLog().toStdString();

    // The channel's next run starts with a clear line.
    w.WriteRunLogHeader(0, 0);
    EXPECT_EQ(w.lstInfoLine(0, 5), "");
}

TEST_F(DataFile, Names)
{
    const QDateTime t(QDate(2024, 3, 5), QTime(9, 7, 3));
    EXPECT_EQ(resultfile::autoName(t, "QM-01", 0, 0, true), "2024-3-5-9-7-3-QM-01-1-1.csv");
    EXPECT_EQ(resultfile::autoName(t, "QM-13", 3, 1, false), "2024-3-5-9-7-3-QM-13-4-2.dat");
    EXPECT_EQ(resultfile::dialogName(t, "QM-01", 0, 0, false), "2024-3-5-9-7-3-QM-01-1-1");
    EXPECT_EQ(resultfile::dialogName(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 0)), "QM-13", 1, 1, true),
              "2024-12-31-23-59-0-QM-13-2-2-2");
}

TEST_F(DataFile, AutomaticSaveCreatesDataWhenMissing)
{
    OptCsv = false;
    summary(1, "QM-01");
    QDir(home.file("Data")).removeRecursively();
    ASSERT_FALSE(QDir(home.file("Data")).exists());
    points(0, {{7, 1, 4, 0}});

    const QString saved = w.AutoSaveData(0, 0);
    ASSERT_FALSE(saved.isEmpty());
    const QString name = QFileInfo(saved).fileName();
    EXPECT_EQ(QFileInfo(saved).absolutePath(), QDir(home.file("Data")).absolutePath());
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}(-\d{1,2}){5}-QM-01-1-1\.dat$)").match(name).hasMatch()) << name.toStdString();
    EXPECT_TRUE(readFile(saved).endsWith(crlf({"Time(S)\tCur(A)\tVol(V)", "0\t1.00\t4.000"})));

    // A folder that cannot be made: logged, nothing saved.
    QDir(home.file("Data")).removeRecursively();
    home.write("Data", "a file in the way");
    EXPECT_TRUE(w.AutoSaveData(0, 0).isEmpty());
    EXPECT_TRUE(errLog().contains("[ErrSaveData]"));
}

TEST_F(DataFile, SaveDataDialog)
{
    OptCsv = true;
    OptCsvT = 0;
    summary(1, "QM-01");
    struct Case {
        const char *chosen, *written;
    } cases[] = {{"test", "test.csv"}, {"test.CSV", "test.CSV"}, {"test.csv", "test.csv"}, {"t.Csv", "t.Csv"}};
    for (const Case &c : cases) {
        ui.fileAnswers = {path(c.chosen)};
        w.menuSaveData->trigger();
        EXPECT_TRUE(QFile::exists(path(c.written))) << c.chosen;
        QFile::remove(path(c.written));
    }
    ASSERT_EQ(ui.fileRequests.size(), 4u);
    const FileDialogRequest &r = ui.fileRequests.back();
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title, "Save Data--Device1");
    EXPECT_EQ(r.filter, "csv file(*.csv)|*.csv");
    EXPECT_TRUE(r.defaultName.endsWith("-QM-01-1-1")) << r.defaultName.toStdString();
    EXPECT_TRUE(ui.msgs.empty());

    // ".dat" when the option is off; a cancelled dialog writes nothing.
    OptCsv = false;
    ui.fileAnswers = {QString()};
    w.menuSaveData->trigger();
    EXPECT_EQ(ui.fileRequests.back().filter, "data file(*.dat)|*.dat");

    // Two channels, channel 2 shown: title and name carry the channel.
    w.InitDual(0);
    p.set_Dev2S(true);
    summary(2, "QM-13");
    p.findChild<QRadioButton *>("optChn1")->click();
    ASSERT_EQ(p.chn(), "1");
    ui.fileAnswers = {path("two")};
    w.menuSaveData->trigger();
    EXPECT_EQ(ui.fileRequests.back().title, "Save Data--Device1-Channel2");
    EXPECT_TRUE(ui.fileRequests.back().defaultName.endsWith("-QM-13-1-2-2"));
    EXPECT_TRUE(readFile(path("two.dat")).contains("\r\nDevice:QM-13\r\n"));

    // A running channel: nothing at all.
    const size_t asked = ui.fileRequests.size();
    Running[0][1] = true;
    w.menuSaveData->trigger();
    EXPECT_EQ(ui.fileRequests.size(), asked);
    Running[0][1] = false;

    // A failed save is told to the user.
    QDir(home.path()).mkdir("busy.dat");
    ui.fileAnswers = {path("busy.dat")};
    w.menuSaveData->trigger();
    ASSERT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
    EXPECT_EQ(ui.msgs.back().style, MbCritical);
}
