// The test engines end to end against the simulated device on a
// pseudo-terminal, with the receive routine and the program's own timers:
// an automatic current sweep with its result file, a step program of a
// discharge, a wait, a charge and a cycle with its step table, a program
// typed into the step editor and run, and a failure inside Run from the
// panel's own button, logged while the program goes on, and a Start under a
// locale whose decimal mark is ",".
//
// The program's second is shortened here and the simulated device runs as
// much faster, so every test reads in seconds of the program.
#include "SimLinkFixture.h"

#include "DevSim.h"
#include "common/DecimalComma.h"
#include "common/QtPrint.h"
#include "common/ShortSecond.h"
#include "common/UserInput.h"
#include "link/COMM.h"
#include "platform/Guard.h"
#include "tools/frmSet.h"

#include <QComboBox>
#include <QLineEdit>

#include <memory>

using namespace qx;
using test::choose;
using test::type;

namespace {

class EnginesE2E : public test::SimLinkFixture {
protected:
    void TearDown() override
    {
        frmSetForm().unload();
        closeDevices();
        setUnhandledSink(previousSink);
        LinkFixture::TearDown();
    }

    // A simulated device of type `type` on COM3, connected through the
    // panel and identified. Its cell shows 3.96 V at rest and `rOhm` of
    // internal resistance; it holds so much that no test here moves its
    // voltage. It sends ten frames a second; `speed` is simulated seconds
    // per second.
    void connectDevice(int type, double speed, double rOhm)
    {
        sim::DevSimOptions o;
        o.home = home.path();
        o.com = 3;
        o.type = type;
        o.rate = 10 * test::ShortSecond::perRealSecond();
        o.speed = speed * test::ShortSecond::perRealSecond();
        sim = std::make_unique<sim::DevSim>(o);
        ASSERT_TRUE(sim->start()) << sim->error().toStdString();
        sim->withDevice([rOhm](sim::SimDevice &d) {
            sim::Battery &b = d.channel(0).battery;
            b.rOhm = rOhm;
            b.soc = 0.8;
            b.capacityAh = 1000;
        });
        open();
        choosePort(0, 3);
        clickConnect();
        ASSERT_TRUE(waitFor([&] { return identified() && w->DevCtrl(0).tVol(0).toDouble() == 3.96; }));
        sim->clearCommands();
    }
    bool waitFor(const std::function<bool()> &pred, int ms = 15000) { return test::waitUntil(pred, ms); }
    DevCtrl &p() { return w->DevCtrl(0); }
    template <class T>
    T *control(const char *name)
    {
        T *c = p().findChild<T *>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void showPage(int pos) { p().findChild<KeyedTabBar *>(QStringLiteral("tabDev"))->set_SelectedIndex(pos); }

    // Every command the device received since it was identified, as the
    // bytes on the wire ("FA ... F8"), the elapsed-minutes frames left out.
    std::vector<std::string> received() const
    {
        std::vector<std::string> out;
        for (const sim::SimCommand &c : sim->commands()) {
            if (c.op == Frames::OpMinutes)
                continue;
            QString s = QStringLiteral("FA %1").arg(c.commandByte, 2, 16, QLatin1Char('0'));
            for (uint8_t b : c.d)
                s += QStringLiteral(" %1").arg(b, 2, 16, QLatin1Char('0'));
            s += QStringLiteral(" %1 F8").arg(c.checksum, 2, 16, QLatin1Char('0'));
            out.push_back(s.toUpper().toStdString());
        }
        return out;
    }
    // received() once everything written so far has arrived: a marker
    // frame (elapsed minutes, left out) is written and waited for.
    std::vector<std::string> receivedSoFar()
    {
        int markers = 0;
        for (const sim::SimCommand &c : sim->commands())
            markers += c.op == Frames::OpMinutes;
        EXPECT_TRUE(w->SendTime(0, 0));
        EXPECT_TRUE(sim->waitForCommand(Frames::OpMinutes, 5000, markers + 1));
        return received();
    }
    std::string autoRow(int r)
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << p().tAutoRun(r, c);
        return cells.join(QLatin1Char('|')).toStdString();
    }
    std::string stepRow(int r)
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << p().tStepList(r, c);
        return cells.join(QLatin1Char('|')).toStdString();
    }
    QStringList programRow(int r)
    {
        QStringList l;
        for (int c = 1; c <= 4; ++c)
            l << p().tStepSet(r, c);
        return l;
    }

    test::ShortSecond second{250};
    ErrorSink previousSink = setUnhandledSink({});
};

} // namespace

TEST_F(EnginesE2E, SweepStepsTheCurrentFromC1ToC2AndSavesItsResultFile)
{
    // QM-05 with 0.1 ohm: 3.86 V at 1.0 A, 3.81 V at 1.5 A, 3.76 V at 2.0 A.
    connectDevice(7, 0.01, 0.1);
    showPage(2);
    const struct {
        const char *what;
        const char *cutoff;
        std::vector<std::string> frames;
        std::vector<std::string> rows;
        QStringList file;  // the result file's step lines
        const char *endReason;
    } cases[] = {
        {"up to C2",
         "3.50",
         {"FA 01 00 64 01 6E 00 00 0A F8",   // start: D-CC, 1.00 A, 3.50 V, no time limit
          "FA 07 00 96 01 6E 00 00 0E F8",   // 1.50 A after two seconds
          "FA 07 00 C8 01 6E 00 00 A0 F8",   // 2.00 A after two more
          "FA 02 00 00 00 00 00 00 02 F8"},  // 2.50 A would pass C2: stopped
         {"1|1.00|3.86|3.9", "2|1.50|3.81|5.7", "3|2.00|3.76|7.5"},
         {"1,1.00,3.86", "2,1.50,3.81", "3,2.00,3.76"},
         "stop"},
        {"the device stops at its cut-off voltage",
         "3.78",
         {"FA 01 00 64 01 8A 00 00 EE F8", "FA 07 00 96 01 8A 00 00 1A F8",
          "FA 07 00 C8 01 8A 00 00 44 F8",   // 2.00 A: 3.76 V is below the cut-off
          "FA 07 00 C8 01 8A 00 00 44 F8"},  // the idle reading differs: set again; no stop frame
         {"1|1.00|3.86|3.9", "2|1.50|3.81|5.7", "3|0.00|3.96|0.0"},
         {"1,1.00,3.86", "2,1.50,3.81", "3,0.00,3.96"},
         "cutoff"},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        sim->clearCommands();
        // Picked and typed as a user does.
        choose(control<QComboBox>("cmbC1Auto"), QStringLiteral("1.0"));
        choose(control<QComboBox>("cmbC2Auto"), QStringLiteral("2.0"));
        choose(control<QComboBox>("cmbStepAuto"), QStringLiteral("0.5"));
        choose(control<QComboBox>("cmbTimeAuto"), QStringLiteral("2"));
        type(control<QLineEdit>("txtVolAuto"), QLatin1String(c.cutoff));
        control<QPushButton>("cmdStartAuto")->click();
        EXPECT_EQ(p().AutoCmd(), "Stop");
        ASSERT_TRUE(waitFor([&] { return p().AutoCmd() == "Start"; }, 20000));
        ASSERT_TRUE(waitFor([&] { return !sim->channel(0).running && !w->DevCtrl(0).StopEnable(); }));
        EXPECT_EQ(sim->channel(0).endReason, c.endReason);
        EXPECT_EQ(receivedSoFar(), c.frames);
        EXPECT_EQ(autoRow(0), "Index|Curr(A)|Volt(V)|Pwr(W)");
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(autoRow(r), c.rows[size_t(r - 1)]) << r;
        EXPECT_EQ(autoRow(4), "|||");

        // The page's Save button writes the result file.
        const QString name = QStringLiteral("sweep%1.csv").arg(++n);
        ui.fileAnswers = {home.file(name), home.file(name)};
        control<QPushButton>("cmdSave")->click();
        EXPECT_EQ(fileLines(name), QStringList({"Device:QM-05", "Mode:Auto Test",
                                                "----------QX Auto Test--------------", "Index,Curr(A),Volt(V)"}) +
                                       c.file);
    }
}

TEST_F(EnginesE2E, StepProgramRunsADischargeAWaitAndAChargeTwiceAndFillsTheStepTable)
{
    // QM-01 without internal resistance: 3.96 V whatever the current. At 40
    // simulated seconds per second a row of one minute, ended by the
    // device's own time limit, runs for 1.5 s.
    connectDevice(1, 40, 0);
    showPage(3);
    const std::array<const char *, 4> rows[] = {
        {"D-CC", "1.00", "3.00", "1"},    // 1.00 A down to 3.00 V for a minute
        {"Wait", "0.00", "0.00", "0.02"}, // 1.2 s, rounded to 1
        {"C-NiMh", "0.50", "1", "1"},     // 0.50 A into one cell for a minute
        {"Cycle", "0.00", "0.00", "2"},   // two passes
        {"D-CC", "5.00", "1.00", "1"},    // never runs
    };
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 4; ++c)
            p().set_tStepSet(r, c, QLatin1String(rows[r - 1][size_t(c - 1)]));
    control<QPushButton>("cmdStartStep")->click();
    EXPECT_EQ(p().StepCmd(), "Stop");
    ASSERT_TRUE(waitFor([&] { return p().StepCmd() == "Start"; }, 40000));

    // Each test row started once with the values of its row, none stopped:
    // the device's own time limit ended them.
    const std::string dcc = "FA 01 00 64 01 3C 00 01 59 F8";    // D-CC, 1.00 A, 3.00 V, 1 min
    const std::string nimh = "FA 11 00 32 00 01 00 01 23 F8";   // C-NiMh, 0.50 A, 1 cell, 1 min
    EXPECT_EQ(receivedSoFar(), std::vector<std::string>({dcc, nimh, dcc, nimh}));
    EXPECT_EQ(sim->channel(0).endReason, "time");
    // 1.00 A for 60 s is 17 mAh, 0.50 A 8 mAh; the energy is 3.96 V times that.
    EXPECT_EQ(stepRow(0), "Step|Mode|Capacity|Energy");
    EXPECT_EQ(stepRow(1), "1-1|D-CC|0.017|0.067");
    EXPECT_EQ(stepRow(2), "1-2|Wait|0|0");
    EXPECT_EQ(stepRow(3), "1-3|C-NiMh|0.008|0.032");
    EXPECT_EQ(stepRow(4), "2-1|D-CC|0.017|0.067");
    EXPECT_EQ(stepRow(5), "2-2|Wait|0|0");
    EXPECT_EQ(stepRow(6), "2-3|C-NiMh|0.008|0.032");
    EXPECT_EQ(stepRow(7), "|||");
    // The program's end leaves the panel idle without the STOP notice.
    EXPECT_TRUE(p().RunEnable());
    EXPECT_FALSE(p().StopEnable());
    EXPECT_FALSE(p().StepTmrEnable());
    EXPECT_FALSE(frmMsgForm().isLoaded() && frmMsgForm()->isVisible());

    // Saved from the step page, the result data file carries the step table
    // and the rows' readings on one time axis.
    ui.fileAnswers = {home.file(QStringLiteral("program.csv")), home.file(QStringLiteral("program.csv"))};
    w->menuSaveData_Click();
    const QStringList lines = fileLines(QStringLiteral("program.csv"));
    const QStringList head{
        "-----------QX Tester Software-----------",
        "*Step,Mode,Capacity,Energy",
        "*1-1,D-CC,0.017,0.067",
        "*1-2,Wait,0,0",
        "*1-3,C-NiMh,0.008,0.032",
        "*2-1,D-CC,0.017,0.067",
        "*2-2,Wait,0,0",
        "*2-3,C-NiMh,0.008,0.032",
        "Title:QX Tester Software",
        "------------Curve Data--------------",
        "Time(S),Cur(A),Vol(V)",
    };
    ASSERT_GT(lines.size(), head.size());
    EXPECT_EQ(lines.mid(0, int(head.size())), head);
    // Second by second from the first row's start to the last row's end;
    // the currents, each run of equal ones once, in the order of the rows.
    QStringList currents;
    int last = 0;
    for (const QString &line : lines.mid(int(head.size()))) {
        const QStringList f = line.split(QLatin1Char(','));
        ASSERT_EQ(f.size(), 3) << line.toStdString();
        EXPECT_GE(f[0].toInt(), last) << line.toStdString();
        last = f[0].toInt();
        EXPECT_EQ(f[2], "3.960") << line.toStdString();
        if (currents.isEmpty() || currents.last() != f[1])
            currents << f[1];
    }
    EXPECT_EQ(currents, QStringList({"1.00", "0.00", "0.50", "0.00", "1.00", "0.00", "0.50", "0.00"}));
    EXPECT_GE(last, 8);  // four rows of 1.5 s and two waits of 1 s at least
}

TEST_F(EnginesE2E, ProgramTypedIntoTheStepEditorRunsOnTheDevice)
{
    // QM-05 without internal resistance, 40 simulated seconds per second.
    connectDevice(7, 40, 0);
    showPage(3);
    bool edited = false;
    QTimer::singleShot(100, [&] {
        ASSERT_TRUE(frmSetForm().isLoaded());
        frmSet &f = frmSetForm().get();
        const auto step = [&](const char *mode, const char *set, const char *lmt, const char *third) {
            choose(f.cmbMode, QLatin1String(mode));
            type(f.txtSet, QLatin1String(set));
            type(f.txtLmt, QLatin1String(lmt));
            type(f.txtLmt2, QLatin1String(third));
            f.cmdSet->click();  // Add: the next step opens
        };
        step("D-CC", "1.50", "3.20", "1");
        step("D-CP", "5", "3.00", "1");
        step("C-CV", "0.80", "4.20", "0.50");
        f.cmdOK->click();
        edited = true;
    });
    control<QPushButton>("cmdSetStep")->click();  // returns when the editor has closed
    ASSERT_TRUE(edited);
    EXPECT_TRUE(ui.msgs.empty());
    EXPECT_EQ(programRow(1), QStringList({"D-CC", "1.50", "3.20", "1"}));
    EXPECT_EQ(programRow(2), QStringList({"D-CP", "5", "3.00", "1"}));
    EXPECT_EQ(programRow(3), QStringList({"C-CV", "0.80", "4.20", "0.50"}));
    EXPECT_EQ(programRow(4), QStringList({"", "", "", ""}));

    control<QPushButton>("cmdStartStep")->click();
    // The constant-voltage charge has no time limit: it runs until the user
    // stops the program while the panel shows it running.
    ASSERT_TRUE(waitFor([&] { return stepRow(3).starts_with("1-3|C-CV|") && p().tCur(0) == "00.80" && p().StopEnable(); },
                        30000));
    control<QPushButton>("cmdStartStep")->click();
    ASSERT_TRUE(waitFor([&] { return !sim->channel(0).running; }));
    EXPECT_EQ(sim->channel(0).endReason, "stop");
    EXPECT_EQ(p().StepCmd(), "Start");
    EXPECT_EQ(receivedSoFar(), std::vector<std::string>({
                              "FA 01 00 96 01 50 00 01 C7 F8",  // D-CC, 1.50 A, 3.20 V, 1 min
                              "FA 11 00 05 01 3C 00 01 28 F8",  // D-CP, 5 W, 3.00 V, 1 min
                              "FA 21 00 50 01 B4 00 32 06 F8",  // C-CV, 0.80 A, 4.20 V, down to 0.50 A
                              "FA 02 00 00 00 00 00 00 02 F8",  // stopped by the user
                          }));
    // 1.50 A for 60 s is 25 mAh; 5 W at 3.96 V is 1.26 A, 21 mAh in 60 s.
    EXPECT_EQ(stepRow(1), "1-1|D-CC|0.025|0.099");
    EXPECT_EQ(stepRow(2), "1-2|D-CP|0.021|0.083");
    EXPECT_EQ(stepRow(4), "|||");
}

TEST_F(EnginesE2E, FailureInsideRunFromThePanelsButtonIsLoggedAndTheProgramGoesOn)
{
    // Start-up makes the error log the sink of failures no handler traps.
    installErrLogSink();
    connectDevice(7, 0.01, 0);
    // The run log cannot be created: a folder holds its name.
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("qx-QM-05-COM3-1-1.bak")));
    showPage(1);
    type(control<QLineEdit>("txtSval"), QStringLiteral("1.00"));
    type(control<QLineEdit>("txtSlmt"), QStringLiteral("3.50"));
    type(control<QLineEdit>("txtStim"), QStringLiteral("0"));
    control<QPushButton>("cmdRun")->click();

    // The start frame went out before the failure; the failure is in the
    // log and on the tab.
    ASSERT_TRUE(sim->waitForCommand(Frames::OpStart, 3000));
    EXPECT_EQ(received(), std::vector<std::string>({"FA 01 00 64 01 6E 00 00 0A F8"}));
    const QString entry = QStringLiteral("2024-03-05 09:07:03 V1.8.9:[ErrBak]") + home.path() +
                          QStringLiteral("/qx-QM-05-COM3-1-1.bak: ");
    EXPECT_TRUE(errLog().contains(entry)) << errLog().toStdString();
    EXPECT_EQ(info(0, 5), " Device1: Run log not saved");
    // The test runs and is shown; the panel's Stop ends it.
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: START" && points(1) >= 3; }));
    EXPECT_EQ(p().tCur(0), "01.00");
    EXPECT_TRUE(p().StopEnable());
    control<QPushButton>("cmdStop")->click();
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: STOP" && p().RunEnable(); }));
    EXPECT_EQ(sim->channel(0).endReason, "stop");
}

TEST_F(EnginesE2E, StartUnderADecimalCommaLocaleSendsTheValuesTyped)
{
    // Started with LANG=de_DE.UTF-8: the C library's decimal mark is ",",
    // the program's numbers keep ".".
    test::DecimalComma german;
    if (!german.ok())
        GTEST_SKIP() << german.why();
    connectDevice(7, 0.01, 0);
    showPage(1);
    type(control<QLineEdit>("txtSval"), QStringLiteral("1.50"));
    type(control<QLineEdit>("txtSlmt"), QStringLiteral("2.75"));
    type(control<QLineEdit>("txtStim"), QStringLiteral("0"));
    EXPECT_EQ(p().tSval(0), "1.50");
    EXPECT_EQ(p().tSlmt(0), "2.75");
    control<QPushButton>("cmdRun")->click();

    // 1.50 A = 0:150, 2.75 V = 1:35 (240 units a pair), no time limit.
    ASSERT_TRUE(sim->waitForCommand(Frames::OpStart, 3000));
    EXPECT_EQ(received(), std::vector<std::string>({"FA 01 00 96 01 23 00 00 B5 F8"}));
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: START" && points(1) >= 2; }));
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.50A  2.75V");
    EXPECT_EQ(p().tCur(0), "01.50");
    control<QPushButton>("cmdStop")->click();
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: STOP" && p().RunEnable(); }));
}
