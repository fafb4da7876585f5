// The main road end to end against the simulated device on a
// pseudo-terminal, with the program's own timers: connect and
// identification, a discharge test from Start to the device's cut-off with
// its automatic result file, disconnect with and without stopping, ports
// that cannot be had, a device that falls silent or hangs up mid-test, and
// a disk that is full at Connect or fills up mid-test. Tests that wait for
// seconds to pass shorten the program's second.
#include "SimLinkFixture.h"

#include "DevSim.h"
#include "common/FullDisk.h"
#include "common/ShortSecond.h"
#include "common/StderrPipe.h"
#include "link/COMM.h"
#include "link/PortWatch.h"
#include "mainwin/frmMsg.h"

#include <QAction>
#include <QLabel>

#include <memory>

using namespace qx;

namespace {

class LinkE2E : public test::SimLinkFixture {
protected:

    // A simulated device of type `type` on COM3 (replacing the one before).
    sim::DevSim &device(int type, int firmware = 320, int paramFrames = 2)
    {
        sim.reset();
        sim::DevSimOptions o;
        o.home = home.path();
        o.com = 3;
        o.type = type;
        o.firmware = firmware;
        o.paramFrames = paramFrames;
        o.rate = 10;      // frames per second and channel
        o.speed = 0.01;   // the battery hardly moves until a test moves it
        sim = std::make_unique<sim::DevSim>(o);
        EXPECT_TRUE(sim->start()) << sim->error().toStdString();
        // A cell of 3.96 V without internal resistance: the same voltage under load.
        sim->withDevice([](sim::SimDevice &d) {
            for (int c = 0; c < 2; ++c) {
                d.channel(c).battery.rOhm = 0;
                d.channel(c).battery.soc = 0.8;
            }
        });
        return *sim;
    }
    bool waitFor(const std::function<bool()> &pred, int ms = 10000) { return test::waitUntil(pred, ms); }
    // A command the tab sends from its timers (the event loop runs meanwhile).
    bool waitForCommand(int op)
    {
        return waitFor([&] {
            for (const sim::SimCommand &c : sim->commands())
                if (c.valid && c.op == op)
                    return true;
            return false;
        });
    }

    // Type 21 ("QM-16", "D-CC" only) connected and identified (in a main
    // window opened here unless the test has opened it), its settings 1.00 A
    // down to 3.50 V without a time limit, and started.
    void startDischarge()
    {
        device(21);
        if (!w)
            open();
        choosePort(0, 3);
        clickConnect();
        ASSERT_TRUE(waitFor([&] { return identified() && w->DevCtrl(0).tVol(0) == "03.96"; }));
        DevCtrl &p = w->DevCtrl(0);
        p.set_tSval(0, QStringLiteral("1.00"));
        p.set_tSlmt(0, QStringLiteral("3.50"));
        p.set_tStim(0, QStringLiteral("0"));
        button(0, "cmdRun")->click();
        ASSERT_TRUE(sim->waitForCommand(Frames::OpStart, 3000));
        ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: START" && points(0) >= 3; }));
    }
    // The simulated cell drops below the cut-off with 1.234 Ah taken out.
    void cutOff()
    {
        sim->withDevice([](sim::SimDevice &d) {
            d.channel(0).capacityAh = 1.234;
            d.channel(0).battery.soc = 0.2;
        });
    }
    std::vector<int> ops() const
    {
        std::vector<int> out;
        for (const sim::SimCommand &c : sim->commands())
            out.push_back(c.commandByte);
        return out;
    }
    // The run log's header and data lines (not the program's own records).
    int logLines() const
    {
        int n = 0;
        for (const QString &l : fileLines(QStringLiteral("qx-QM-16-COM3-1-1.bak")))
            n += !(l.startsWith(QLatin1String("Settings:")) || l.startsWith(QLatin1String("End:")));
        return n;
    }

};

} // namespace

TEST_F(LinkE2E, ConnectIdentifiesEveryKindOfModel)
{
    const QStringList A{"D-CC", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV"};
    const QStringList pages123{"key1:Single Test", "key2:Auto Test", "key3:Cycle Test"};
    const QStringList pages12{"key1:Single Test", "key2:Auto Test"};
    const QStringList page1{"key1:Single Test"};
    const struct {
        const char *what;
        int type, firmware, paramFrames;
        const char *name;
        QStringList modes, pages;
        bool dual;
        float maxVol, minCur;
        const char *axis;
    } cases[] = {
        {"one channel", 1, 320, 2, "QM-01", A, pages123, false, 15, 0.1f, "[A]"},
        {"two channels", 17, 320, 2, "QM-13", {"D-CC", "D-CP"}, pages12, true, 15, 0.03f, "[A]"},
        {"two channels", 18, 320, 2, "QM-14", {"D-CC", "D-CP"}, pages12, true, 15, 0.05f, "[A]"},
        {"USB tester by a data frame", 26, 320, 0, "QM-21", {"D-CC", "Meter"}, pages12, false, 13.5f, 0.03f, "[A]"},
        {"USB tester by a parameter frame", 26, 320, 2, "QM-20", {"D-CC", "Meter"}, pages12, false, 21, 0.01f, "[A]"},
        {"unknown type", 43, 320, 2, "No Device", {"D-CC"}, page1, false, 30, 0.1f, "[A]"},
        {"meter", 51, 320, 2, "No Device", {"Meter"}, page1, false, 30, 0.1f, "[mA]"},
    };
    open();
    choosePort(0, 3);
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + std::to_string(c.type));
        device(c.type, c.firmware, c.paramFrames);
        clickConnect();
        ASSERT_TRUE(connected());
        // Identified, and with the parameter frames the device sends first taken in.
        ASSERT_TRUE(waitFor([&] { return identified() && dev(0).ParCount >= c.paramFrames; }));
        ASSERT_TRUE(sim->waitForCommand(Frames::OpConnect, 1000));
        EXPECT_EQ(modes(), c.modes);
        EXPECT_EQ(pages(), c.pages);
        EXPECT_EQ(w->DevCtrl(0).Dev2S(), c.dual);
        EXPECT_EQ(cell(0, 1, 0), c.name);
        if (c.dual) {
            EXPECT_EQ(cell(0, 2, 0), c.name);
        }
        EXPECT_FLOAT_EQ(MaxVol[0], c.maxVol);
        EXPECT_FLOAT_EQ(MinCur[0], c.minCur);
        EXPECT_EQ(w->CurveGraph(0).AxesY1Txt(), c.axis);
        EXPECT_TRUE(w->tmrComm(0).isActive());
        // Disconnect: an idle device is not asked about.
        const size_t asked = ui.msgs.size();
        clickConnect();
        ASSERT_TRUE(sim->waitForCommand(Frames::OpDisconnect, 3000));
        EXPECT_EQ(ui.msgs.size(), asked);
        EXPECT_FALSE(connected());
        EXPECT_FALSE(w->tmrComm(0).isActive());
        EXPECT_EQ(modes(), QStringList({"No Device"}));
        EXPECT_EQ(pages(), page1);
        EXPECT_EQ(cell(0, 1, 0), "No Device");
    }
    EXPECT_EQ(home.read(QStringLiteral("qx.ini")).contains("PORT1=3"), true);
}

TEST_F(LinkE2E, DischargeTestRunsToTheCutoffAndSavesItsResultFile)
{
    test::ShortSecond second{250};
    startDischarge();
    // The start frame: 1.00 A = 0:100, 3.50 V = 1:110, no time limit.
    const sim::SimCommand start = sim->commands().back();
    EXPECT_EQ(start.commandByte, 0x01);
    EXPECT_EQ(std::vector<int>(start.d.begin(), start.d.end()), std::vector<int>({0, 100, 1, 110, 0, 0}));
    EXPECT_EQ(start.checksum, 0x0A);
    // Readings presented while it runs.
    DevCtrl &p = w->DevCtrl(0);
    EXPECT_EQ(p.tVol(0), "03.96");
    EXPECT_EQ(p.tCur(0), "01.00");
    EXPECT_EQ(p.tPwr(0), "03.96");
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.00A  3.50V");
    EXPECT_EQ(cell(0, 1, 2), "03.96V");
    EXPECT_TRUE(p.StopEnable());
    EXPECT_FALSE(p.RunEnable());
    ASSERT_TRUE(waitFor([&] { return TotalSecs[0][0].load() >= 2; }));

    cutOff();
    ASSERT_TRUE(waitFor([&] { return dataFiles().size() == 1; }));
    EXPECT_EQ(sim->channel(0).endReason, "cutoff");
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: STOP"; }));
    EXPECT_TRUE(p.RunEnable());
    EXPECT_FALSE(p.StopEnable());
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_EQ(frmMsgForm()->lblMsg->text(), "STOP");

    const QStringList lines = fileLines(QStringLiteral("Data/") + dataFiles()[0]);
    const QStringList head{
        "-----------QX Tester Software-----------",
        "Device:QM-16",
        "Mode:D-CC  1.00A  3.50V",
        "Begin Volt:03.96V",
        "Cutoff Volt:03.24V",
        "Capacity:1234mAh",
        "Energy:4887mWh",
        "Avg Volt:3.96V",
        "Title:QX Tester Software",
        "------------Curve Data--------------",
        "Time(S),Cur(A),Vol(V)",
    };
    ASSERT_GT(lines.size(), head.size() + 2);
    EXPECT_EQ(lines.mid(0, int(head.size())), head);
    // The run's start point, a reading for every frame while it ran, and the
    // frame that ended it, each second by second from 0.
    const QStringList data = lines.mid(int(head.size()));
    EXPECT_EQ(data.size(), points(0));
    EXPECT_EQ(data.first(), "0,1.00,3.960");
    EXPECT_TRUE(data.last().endsWith(QLatin1String(",0.00,3.240"))) << data.last().toStdString();
    int last = 0;
    for (int i = 0; i < data.size(); ++i) {
        const QStringList f = data[i].split(QLatin1Char(','));
        ASSERT_EQ(f.size(), 3) << data[i].toStdString();
        bool ok = false;
        const int t = f[0].toInt(&ok);
        EXPECT_TRUE(ok && t >= last) << data[i].toStdString();
        last = t;
        if (i > 0 && i + 1 < data.size()) {
            EXPECT_EQ(f.mid(1).join(QLatin1Char(',')), "1.00,3.960") << i;
        }
    }
    EXPECT_GE(last, 2);
}

TEST_F(LinkE2E, DisconnectAsksBeforeStoppingARunningTest)
{
    startDischarge();
    // Cancel: the device goes on with its test; the link ends all the same.
    sim->clearCommands();
    ui.msgAnswers.push_back(test::FakeUi::Enter); // Cancel is the default
    clickConnect();
    ASSERT_FALSE(ui.msgs.empty());
    EXPECT_EQ(ui.msgs.back().text, "Stop running?");
    EXPECT_EQ(ui.msgs.back().style, MbOkCancel | MbQuestion | MbDefaultButton2);
    EXPECT_EQ(ui.msgs.back().title, "Prompt");
    ASSERT_TRUE(sim->waitForCommand(Frames::OpDisconnect, 3000));
    EXPECT_EQ(ops(), std::vector<int>({0x06}));
    EXPECT_TRUE(sim->channel(0).running);
    EXPECT_FALSE(connected());
    EXPECT_EQ(cell(0, 1, 2), "");

    // Connected again, the running test is taken over from its run log.
    const int logged = logLines();
    sim->clearCommands();
    clickConnect();
    ASSERT_TRUE(waitForCommand(Frames::OpContinue));
    ASSERT_TRUE(waitFor([&] { return logLines() > logged && w->DevCtrl(0).StopEnable(); }));
    EXPECT_EQ(cell(0, 1, 2), "03.96V");

    // OK: the stop frame, then the disconnect frame.
    sim->clearCommands();
    ui.msgAnswers.push_back(MrOk);
    clickConnect();
    ASSERT_TRUE(sim->waitForCommand(Frames::OpDisconnect, 3000));
    EXPECT_EQ(ops(), std::vector<int>({0x02, 0x06}));
    EXPECT_FALSE(sim->channel(0).running);
    EXPECT_EQ(sim->channel(0).endReason, "stop");
}

TEST_F(LinkE2E, DisconnectStopsBothChannelsOfATwoChannelDevice)
{
    device(17);
    open();
    choosePort(0, 3);
    clickConnect();
    ASSERT_TRUE(waitFor([&] { return identified(); }));
    DevCtrl &p = w->DevCtrl(0);
    for (int c = 0; c < 2; ++c) {
        p.set_tSval(c, QStringLiteral("0.50"));
        p.set_tSlmt(c, QStringLiteral("3.00"));
        ASSERT_TRUE(w->DevCtrl_RunClick(0, c));
    }
    ASSERT_TRUE(waitFor([&] { return sim->channel(0).running && sim->channel(1).running && p.StopEnable(); }));
    sim->clearCommands();
    ui.msgAnswers.push_back(MrOk);
    clickConnect();
    ASSERT_TRUE(sim->waitForCommand(Frames::OpDisconnect, 3000));
    EXPECT_EQ(ops(), std::vector<int>({0x02, 0xA2, 0x06}));
    EXPECT_FALSE(sim->channel(0).running);
    EXPECT_FALSE(sim->channel(1).running);
    EXPECT_EQ(cell(0, 1, 0), "No Device");
    EXPECT_EQ(cell(0, 2, 0), "No Device");
}

TEST_F(LinkE2E, PortThatCannotBeHadGivesWrongPort)
{
    device(21);
    open();
    choosePort(0, 3);
    // Held by another program.
    int32_t other = COMM::OpenComm(3);
    ASSERT_NE(other, 0);
    clickConnect();
    ASSERT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.msgs[0].text, "Wrong Port!");
    EXPECT_EQ(ui.msgs[0].style, MbCritical);
    EXPECT_EQ(ui.msgs[0].title, "Prompt");
    EXPECT_FALSE(connected());
    EXPECT_FALSE(w->tmrComm(0).isActive());
    COMM::CloseComm(other);

    // Held by another tab of this program.
    clickConnect();
    ASSERT_TRUE(connected());
    choosePort(1, 3);
    clickConnect(1);
    ASSERT_EQ(ui.msgs.size(), 2u);
    EXPECT_EQ(ui.msgs[1].text, "Wrong Port!");
    EXPECT_FALSE(connected(1));
    EXPECT_FALSE(w->tmrComm(1).isActive());
    EXPECT_FALSE(w->tmrConn(1).isActive());
    EXPECT_TRUE(waitFor([&] { return identified(0); }));

    // No port to name.
    w->DevCtrl(1).PortClr();
    clickConnect(1);
    ASSERT_EQ(ui.msgs.size(), 3u);
    EXPECT_EQ(ui.msgs[2].text, "Wrong Port!");
    EXPECT_FALSE(connected(1));
    EXPECT_TRUE(errLog().contains(QLatin1String("[Conn]")));
}

TEST_F(LinkE2E, PortThatHangsUpMidTestEndsTheLinkAndKeepsTheRun)
{
    startDischarge();
    sim->withDevice([](sim::SimDevice &d) { d.channel(0).capacityAh = 0.5; });
    ASSERT_TRUE(waitFor([&] { return cell(0, 1, 4) == "500mAh"; }));
    sim->hangUp();
    ASSERT_TRUE(waitFor([&] { return !connected(); }));
    EXPECT_EQ(info(0, 1), " Device1: Port Lost");
    EXPECT_FALSE(w->tmrComm(0).isActive());
    EXPECT_TRUE(errLog().contains(QLatin1String("COM3: the port hung up")));
    const int kept = points(0);
    const int logged = logLines();
    EXPECT_GE(kept, 3);
    EXPECT_EQ(logged, 6 + kept - 1); // header, then a line per reading (the start point has none)
    // Nothing more is recorded, not in the time of three more looks the
    // watch would take at a port.
    test::runTimersDueWithin(3 * PortWatch::PollMs);
    EXPECT_EQ(points(0), kept);

    // What was recorded can be saved.
    EXPECT_TRUE(w->menuSaveData->isEnabled());
    // (asked twice when the first answer comes at once)
    ui.fileAnswers = {home.file(QStringLiteral("lost.csv")), home.file(QStringLiteral("lost.csv"))};
    w->menuSaveData_Click();
    const QStringList saved = fileLines(QStringLiteral("lost.csv"));
    ASSERT_EQ(saved.size(), 11 + kept);
    // The summary of the part recorded, as the result row kept it.
    EXPECT_EQ(saved.mid(1, 7), QStringList({"Device:QM-16", "Mode:D-CC  1.00A  3.50V", "Begin Volt:03.96V",
                                            "Cutoff Volt:", "Capacity:500mAh", "Energy:1980mWh",
                                            "Avg Volt:3.96V"}));
    EXPECT_EQ(saved[11], "0,1.00,3.960");
    // The tab connects again (once a device is there), and a test the
    // device still runs is taken over.
    device(21);
    sim->withDevice([](sim::SimDevice &d) {
        sim::SimChannel &c = d.channel(0);
        c.running = true;
        c.setVal = 100;
        c.setLmt = 350;
    });
    clickConnect();
    EXPECT_TRUE(waitFor([&] { return identified(); }));
    ASSERT_TRUE(waitForCommand(Frames::OpContinue));
    EXPECT_EQ(cell(0, 1, 2), "03.96V");
}

TEST_F(LinkE2E, SilentDeviceIsShownAndItsTestGoesOnWhenItReportsAgain)
{
    test::ShortSecond second{250};
    open();
    EXPECT_EQ(w->silenceMs(), 5000) << "the program's limit";
    w->setSilenceMs(500);
    startDischarge();
    sim->setSilent(true);
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: No Reply"; }));
    EXPECT_TRUE(errLog().contains(QLatin1String("COM3: no reply for 0.5 s"))) << errLog().toStdString();
    // The run time goes on by two seconds; the curve takes no reading
    // without a frame.
    const int kept = points(0);
    QStringList shown{w->DevCtrl(0).tTime(0)};
    ASSERT_TRUE(waitFor([&] {
        if (w->DevCtrl(0).tTime(0) != shown.last())
            shown << w->DevCtrl(0).tTime(0);
        return shown.size() == 3;
    }));
    EXPECT_EQ(points(0), kept);
    EXPECT_TRUE(connected());

    sim->setSilent(false);
    ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: START" && points(0) > kept; }));
    cutOff();
    ASSERT_TRUE(waitFor([&] { return dataFiles().size() == 1; }));
    const QStringList lines = fileLines(QStringLiteral("Data/") + dataFiles()[0]);
    EXPECT_EQ(lines.size(), 11 + points(0));
    EXPECT_EQ(logLines(), 6 + points(0) - 1);
    // The program saw the run end, with the device's count.
    EXPECT_EQ(fileLines(QStringLiteral("qx-QM-16-COM3-1-1.bak")).last().toStdString(),
              QStringLiteral("End:%1,%2").arg(TestSecs[0][0].load()).arg(double(chan(0, 0).Cap), 0, 'f', 7).toStdString());
}

TEST_F(LinkE2E, AFullDiskAtConnectKeepsEverySetting)
{
    device(21);
    // Settings of some size, as a program that has run for a while has.
    QByteArray ini = "[AUTO]\r\nSAVE=True\r\nMSG=True\r\n[DATA]\r\n";
    for (int k = 0; k < 60; ++k)
        ini += "VCOL" + QByteArray::number(k) + "=16711680\r\n";
    open(ini);
    choosePort(0, 3);
    const QByteArray before = home.read(QStringLiteral("qx.ini"));
    ASSERT_GT(before.size(), 1000);
    {
        // Room for the error log's entry, not for the settings.
        test::FullDisk full(1000);
        clickConnect();
        ASSERT_TRUE(waitFor([&] { return identified(); }));
    }
    EXPECT_EQ(home.read(QStringLiteral("qx.ini")), before);
    EXPECT_TRUE(errLog().contains("[ErrIni]" + home.file(QStringLiteral("qx.ini")) + ": File too large"))
        << errLog().toStdString();
    // With room again the next Connect remembers its port.
    clickConnect();
    ASSERT_TRUE(sim->waitForCommand(Frames::OpDisconnect, 3000));
    clickConnect();
    ASSERT_TRUE(waitFor([&] { return identified(); }));
    const QByteArray after = home.read(QStringLiteral("qx.ini"));
    EXPECT_TRUE(after.startsWith(before.left(before.indexOf("[DATA]"))));
    EXPECT_TRUE(after.contains("\r\nPORT1=3\r\n"));
    EXPECT_TRUE(after.contains(before.mid(before.indexOf("[DATA]"))));
}

TEST_F(LinkE2E, ADiskThatFillsUpMidTestIsToldWhileTheTestGoesOn)
{
    startDischarge();
    ASSERT_TRUE(waitFor([&] { return logLines() >= 6 + 3; }));
    test::StderrPipe err;
    {
        // Nothing can grow any more, the error log neither.
        test::FullDisk full(0);
        ASSERT_TRUE(waitFor([&] { return info(0, 5) == " Device1: Run log not saved"; }));
        // Readings and curves go on; the run log stays where it stopped.
        const int shown = points(0), logged = logLines();
        ASSERT_TRUE(waitFor([&] { return points(0) >= shown + 5; }));
        EXPECT_EQ(logLines(), logged);
        EXPECT_EQ(w->DevCtrl(0).tCur(0), "01.00");
        // The end of the test cannot be saved either.
        cutOff();
        ASSERT_TRUE(waitFor([&] { return info(0, 1) == " Device1: STOP"; }));
        EXPECT_EQ(info(0, 5), " Device1: Files not saved");
    }
    EXPECT_EQ(QDir(home.file(QStringLiteral("Data"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    // One line on the error output for each, however many readings were lost.
    const QStringList told = err.linesWith(QStringLiteral("not saved"));
    ASSERT_EQ(told.size(), 2) << told.join('\n').toStdString();
    EXPECT_EQ(told[0], "qx-tester: Device1: Run log not saved: " + home.file(QStringLiteral("qx-QM-16-COM3-1-1.bak")) +
                           ": File too large");
    EXPECT_TRUE(told[1].startsWith("qx-tester: Device1: Data not saved: " + home.file(QStringLiteral("Data/"))));
    EXPECT_TRUE(told[1].endsWith("-QM-16-1-1.csv: File too large")) << told[1].toStdString();
}
