// Continue after the program lost its record of a run (a crash): the run
// log is read back, every well-formed line restores the channel's curves,
// counters and result cells, the device is told to continue, and new lines
// go on in the same log. A test the device ran on while no program read it
// is taken over with the device's charge and time. Monitor records curves
// without a test.
#include "LinkFixture.h"
#include "SimLinkFixture.h"
#include "RanOnFixture.h"
#include "ReadingFixture.h"

#include "DevSim.h"
#include "common/Loopback.h"
#include "common/RawPty.h"
#include "common/ShortSecond.h"
#include "curves/CurveGraph.h"
#include "link/COMM.h"
#include "platform/Numbers.h"
#include "platform/Second.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>

#include <cmath>
#include <csignal>
#include <memory>

using namespace qx;

namespace {

const QByteArray Header = "-----------QX Tester Software------------\r\n"
                          "Device:QM-01\r\n"
                          "Mode:D-CC  1.50A  3.00V\r\n"
                          "Begin Volt:12.60V\r\n"
                          "------------Run Log--------------\r\n"
                          "Time(S)\tCur(A)\tVol(V)\r\n";
const QByteArray Lines = "1\t01.50\t12.340\r\n"
                         "2\t01.50\t12.300\r\n"
                         "3\t01.50\t12.280\r\n"
                         "4\t01.49\t12.250\r\n";

class Continue : public test::ReadingFixture {
protected:
    void SetUp() override
    {
        ReadingFixture::SetUp();
        ASSERT_TRUE(pty.ok());
        PortHandle[0] = COMM::OpenComm(3);
        ASSERT_NE(PortHandle[0], 0);
    }
    void TearDown() override
    {
        COMM::CloseComm(PortHandle[0]);
        ReadingFixture::TearDown();
    }
    std::string next() { return test::hexText(pty.read(10)).toStdString(); }
    void expectNothingSent()
    {
        w->SendConnect(0);
        EXPECT_EQ(next(), "FA 05 00 00 00 00 00 00 05 F8");
    }
    void click(const char *button)
    {
        auto *b = w->DevCtrl(0).findChild<QPushButton *>(QLatin1String(button));
        ASSERT_NE(b, nullptr);
        b->setEnabled(true);
        b->click();
    }

    test::RawPty pty{home.path(), 3};
};

} // namespace

TEST_F(Continue, AfterACrashTheRunResumesFromTheWellFormedLines)
{
    model(0, 1);
    settings(0, 0, 0, 150, 300, 0);
    // Left by the crash: the log with a torn last line; the restarted
    // program has other points on the chart and an old cut-off cell.
    home.write(QStringLiteral("qx-QM-01-COM3-1-1.bak"), Header + Lines + "5\t01.4");
    w->CurveAddPoint(0, 9.0f, 0.5f, 4.5f, 0, 0);
    w->gridRun(0).set_TextMatrix(1, 3, QStringLiteral("11.00V"));

    click("cmdCont");

    EXPECT_EQ(next(), "FA 08 00 96 01 3C 00 00 A3 F8"); // continue, with the panel's settings
    EXPECT_EQ(points(0), "1,12.34 2,12.3 3,12.28 4,12.25");
    EXPECT_EQ(points(1), "1,1.5 2,1.5 3,1.5 4,1.49");
    EXPECT_EQ(points(2), "1,0 2,0 3,0 4,0");
    EXPECT_EQ(points(3), "1,0 2,0.001 3,0.001 4,0.002");
    EXPECT_EQ(points(4), "1,0.005 2,0.01 3,0.015 4,0.02");
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.50A  3.00V");
    EXPECT_EQ(cell(0, 1, 2), "12.60V");
    EXPECT_EQ(cell(0, 1, 3), "");
    EXPECT_EQ(cell(0, 1, 6), "12.29V");
    EXPECT_EQ(TestSecs[0][0].load(), 4);
    EXPECT_EQ(TotalSecs[0][0].load(), 4);
    EXPECT_EQ(dev(0).CurveMaxT, 4);
    EXPECT_EQ(w->CurveGraph(0).MaxX(), 30.0f); // 5 to 30 s ahead already
    EXPECT_FALSE(w->DevCtrl(0).RunEnable()); // running look
    EXPECT_TRUE(w->DevCtrl(0).StopEnable());
    const QStringList log = errLines();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("[ErrCont]")) << log[0].toStdString();
    EXPECT_TRUE(log[0].contains("(line 11)")) << log[0].toStdString();

    // The device continues: new readings join the curve and the same log,
    // the torn fragment cut off first.
    Running[0][0] = true;
    w->DevCtrl(0).set_TmrCurveEnable(0, true);
    frame(0, 0, 5, 12.22f, 1.49f, 25, 0.0021f);
    EXPECT_EQ(points(0), "1,12.34 2,12.3 3,12.28 4,12.25 5,12.22");
    EXPECT_EQ(cell(0, 1, 6), "12.29V");
    EXPECT_EQ(home.read(QStringLiteral("qx-QM-01-COM3-1-1.bak")), Header + Lines + "5\t01.49\t12.220\r\n");
}

TEST_F(Continue, OnOneChannelTheOtherChannelKeepsItsRun)
{
    model(0, 17);
    settings(0, 0, 0, 1234, 3000, 0);
    settings(0, 1, 0, 500, 3000, 0);
    runStarted(0, 0, "3.900V");
    frame(0, 0, 1, 3.8f, 1.234f, 0, 0);
    frame(0, 0, 2, 3.7f, 1.234f, 0, 0.0007f);
    const ChannelState before = chan(0, 0);
    const std::string ch0 = points(0);

    home.write(QStringLiteral("qx-QM-13-COM3-1-2.bak"), "Device:QM-13\r\n"
                                                        "Time(S)\tCur(A)\tVol(V)\r\n"
                                                        "10\t0.500\t4.000\r\n"
                                                        "20\t0.500\t3.900\r\n");
    w->DevCtrl_ContClick(0, 1);
    EXPECT_EQ(points(0), ch0);
    EXPECT_EQ(chan(0, 0).Energy, before.Energy);
    EXPECT_EQ(chan(0, 0).VolSum, before.VolSum);
    EXPECT_EQ(cell(0, 1, 6), "3.85V");
    EXPECT_EQ(w->CurveGraph(0).DpCnt(5), 2);
    EXPECT_EQ(cell(0, 2, 6), "3.95V"); // from channel 2's own points
    EXPECT_EQ(TotalSecs[0][1].load(), 20);
    EXPECT_EQ(TotalSecs[0][0].load(), 2);
    EXPECT_EQ(dev(0).CurveMaxT, 20);
    EXPECT_EQ(pty.read(10)[1], 0xA8); // continue on channel 2
}

TEST_F(Continue, LogsThatGiveNothingToResume)
{
    model(0, 1);
    settings(0, 0, 0, 150, 300, 0);
    // No log: nothing happens.
    w->CurveAddPoint(0, 9.0f, 0.5f, 4.5f, 0, 0);
    w->DevCtrl_ContClick(0, 0);
    EXPECT_EQ(w->CurveGraph(0).DpCnt(0), 1);
    expectNothingSent();

    // A header only, or only malformed lines: the curves are emptied,
    // nothing is sent.
    home.write(QStringLiteral("qx-QM-01-COM3-1-1.bak"), Header);
    w->DevCtrl_ContClick(0, 0);
    EXPECT_EQ(w->CurveGraph(0).DpCnt(0), 0);
    expectNothingSent();
    home.write(QStringLiteral("qx-QM-01-COM3-1-1.bak"), Header + "1\tx\t1\r\n2\t1.0\r\n");
    w->DevCtrl_ContClick(0, 0);
    expectNothingSent();
    EXPECT_TRUE(chan(0, 0).BakName.isEmpty());
    EXPECT_TRUE(errLog().contains("2 line(s) skipped (line 7, 8)")) << errLog().toStdString();

    // Temperature columns load like three-field lines; lines with the same
    // seconds add points but no charge.
    home.write(QStringLiteral("qx-QM-01-COM3-1-1.bak"), "Time(S)\tCur(A)\tVol(V)\tTemp(C)\r\n"
                                                        "3600\t01.00\t12.000\t25.0\r\n"
                                                        "3600\t01.00\t12.000\t25.0\r\n"
                                                        "7200\t01.00\t11.000\t25.0\r\n");
    w->DevCtrl_ContClick(0, 0);
    EXPECT_EQ(points(3), "3600,1 3600,1 7200,2");
    EXPECT_EQ(points(4), "3600,12 3600,12 7200,23");
    EXPECT_EQ(cell(0, 1, 6), "11.67V");
    EXPECT_EQ(next().substr(0, 5), "FA 08");
}

TEST_F(Continue, UsbTesterFromFirmwareThreeTwentyIsStartedAgain)
{
    model(0, 26, 320);
    settings(0, 0, 0, 1000, 400, 0);
    home.write(QStringLiteral("qx-QM-20-COM3-1-1.bak"), Header + "3600\t1.000\t5.100\r\n");
    w->DevCtrl_ContClick(0, 0);
    EXPECT_EQ(next().substr(0, 5), "FA 01"); // a start, op 1
    EXPECT_EQ(cell(0, 1, 0), "QM-01"); // the log's model line
    EXPECT_EQ(num::general(chan(0, 0).Cap).toStdString(), "1"); // the carried-over charge
    // The tester's charge is the program's count: it goes on from the log's
    // last second, 36 s at 2.5 A adding 25 mAh.
    Running[0][0] = true;
    w->DevCtrl(0).set_TmrCurveEnable(0, true);
    frame(0, 0, 3636, 5.1f, 2.5f);
    EXPECT_EQ(cell(0, 1, 4), "1025mAh");
}

TEST_F(Continue, MonitorRecordsCurvesWithoutATest)
{
    model(0, 1);
    DevCtrl &p = w->DevCtrl(0);
    p.set_RunEnable(true);
    w->DevCtrl_MonitorClick(0, 0); // before two parameter frames: nothing
    EXPECT_FALSE(p.TmrCurveEnable(0));
    dev(0).ParCount = 2;
    p.set_RunEnable(false); // the channel runs: nothing
    w->DevCtrl_MonitorClick(0, 0);
    EXPECT_FALSE(p.TmrCurveEnable(0));

    p.set_RunEnable(true);
    w->CurveGraph(0).AddXY(0, 125.4f, 12.0f);
    click("cmdMonitor");
    EXPECT_TRUE(p.TmrCurveEnable(0));
    EXPECT_NE(TickId[0][0].load(), 0);
    EXPECT_EQ(TickFlag[0][0].load(), 0); // only the total counts
    EXPECT_EQ(TotalSecs[0][0].load(), 125); // the curve goes on where it stopped
    EXPECT_EQ(info(0, 3), " Device1: Monitor ON");
    frame(0, 0, 126, 12.1f, 0, 25, 0); // idle readings become points, no log line
    EXPECT_EQ(w->CurveGraph(0).DpCnt(0), 2);
    EXPECT_EQ(w->CurveGraph(0).DpX(0, 1), 126.0f);

    click("cmdMonitor");
    EXPECT_FALSE(p.TmrCurveEnable(0));
    EXPECT_EQ(TickId[0][0].load(), 0);
    EXPECT_EQ(info(0, 3), "");
    EXPECT_EQ(w->CurveGraph(0).DpCnt(0), 2); // the curves stay
    expectNothingSent();

    // A two-channel device names the channel.
    model(1, 17);
    dev(1).ParCount = 2;
    w->DevCtrl(1).set_RunEnable(true);
    w->DevCtrl_MonitorClick(1, 1);
    EXPECT_EQ(info(1, 4), " Channel2: Monitor ON");
    EXPECT_EQ(TotalSecs[1][1].load(), 0);
    w->DevCtrl_MonitorClick(1, 1);
}

namespace {

// The program started anew beside a simulated device that still runs a
// test the program's run log recorded, and that reports its firmware
// version: its first frames after the connect are parameter frames.
class TakeOver : public test::SimLinkFixture {};

} // namespace

TEST_F(TakeOver, DeviceReportingAVersionIsContinuedWithItsOwnSettings)
{
    const struct {
        int type;
        const char *log;         // the run log's name
        int32_t setVal, setLmt;  // what the device runs: D-CC, no time limit
        const char *frame;       // the take-over frame on the wire
    } cases[] = {
        // 1.00 A down to 3.50 V: continue (op 8).
        {21, "qx-QM-16-COM3-1-1.bak", 100, 350, "FA 08 00 64 01 6E 00 00 03 F8"},
        // A USB tester from firmware 3.20 is started again (op 1): 1.000 A, 4.00 V.
        {26, "qx-QM-20-COM3-1-1.bak", 1000, 400, "FA 01 04 28 01 A0 00 00 8C F8"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type);
        sim::DevSimOptions o;
        o.home = home.path();
        o.type = c.type;
        o.firmware = 320;
        o.rate = 10;
        o.speed = 0.01;
        sim = std::make_unique<sim::DevSim>(o);
        ASSERT_TRUE(sim->start()) << sim->error().toStdString();
        sim->withDevice([&](sim::SimDevice &d) {
            sim::SimChannel &ch = d.channel(0);
            ch.running = true;
            ch.mode = 0;
            ch.setVal = c.setVal;
            ch.setLmt = c.setLmt;
            ch.setTim = 0;
        });
        home.write(QString::fromLatin1(c.log), "Time(S)\tCur(A)\tVol(V)\r\n0\t1.000\t3.900\r\n");

        if (!w)
            open();
        choosePort(0, 3);
        clickConnect();
        // The first frame after the connect frames.
        sim::SimCommand cmd;
        ASSERT_TRUE(test::waitUntil([&] {
            for (const sim::SimCommand &x : sim->commands())
                if (x.op != Frames::OpConnect) {
                    cmd = x;
                    return true;
                }
            return false;
        }));
        std::string wire = "FA";
        char b[4];
        for (int v : {cmd.commandByte, int(cmd.d[0]), int(cmd.d[1]), int(cmd.d[2]), int(cmd.d[3]), int(cmd.d[4]),
                      int(cmd.d[5]), cmd.checksum}) {
            std::snprintf(b, sizeof b, " %02X", v);
            wire += b;
        }
        EXPECT_EQ(wire + " F8", c.frame);
        // The device goes on with its own settings.
        ASSERT_TRUE(test::waitUntil([&] { return w->DevCtrl(0).StopEnable(); }));
        EXPECT_EQ(sim->channel(0).setVal, c.setVal);
        EXPECT_TRUE(sim->channel(0).running);

        ui.msgAnswers.push_back(MrCancel); // "Stop running?"
        clickConnect();
        ASSERT_FALSE(connected());
        COMM::CloseComm(PortHandle[0]);
        sim.reset();
    }
}

namespace {

using test::HeldProgram;
class RanOn : public test::RanOnFixture {};

} // namespace

TEST_F(RanOn, KilledProgramTakesTheTestOverWithTheDevicesChargeAndTime)
{
    startDevice();
    home.write(QStringLiteral("qx.ini"), DefaultIni); // as open() writes it
    auto held = std::make_unique<HeldProgram>(home.path(), true);
    ASSERT_TRUE(waitFor([&] { return held->running() && lastLogSecond() >= 1; }));
    pass(15);
    double before = 0; // the run log behind the device when the program went
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(held->kill());
        const int logged = lastLogSecond();
        before = behind();
        sim->clearCommands();
        pass(20); // the device runs on
        EXPECT_TRUE(sim->channel(0).running);
        EXPECT_TRUE(sim->commands().empty()) << "the killed program said something";
        EXPECT_EQ(lastLogSecond(), logged);
        if (round == 1) {
            // Started again, the program takes the test over, and is killed
            // in its turn a while later.
            held = std::make_unique<HeldProgram>(home.path(), false);
            ASSERT_TRUE(waitFor([&] {
                return held->running() && sent(Frames::OpContinue) && lastLogSecond() > logged;
            }));
            EXPECT_NEAR(behind(), before, 2.5);
            pass(5);
        }
    }
    // Once more, here: taken over, and stopped by the user.
    takeOver();
    EXPECT_NEAR(behind(), before, 2.5);
    // The charge of the log is the device's own: the device's count.
    ASSERT_TRUE(waitFor([&] { return shownMilliAh() > 0; }));
    EXPECT_NEAR(shownMilliAh(), deviceMilliAh(), 1);
    pass(5);
    expectTheDevicesResult(stop(), before);
    // 15 + 20 + 5 + 20 + 5 seconds at 1.20 A: about 21.7 mAh.
    EXPECT_GE(deviceMilliAh(), 18);
    // The curve shows where the program was away.
    EXPECT_GE(longestStep(), 17);
}

TEST_F(RanOn, DisconnectedWhileRunningThenConnectedTakesTheTestOver)
{
    startDevice();
    connect();
    run();
    pass(15);
    const double before = lag();
    const double behindBefore = behind();
    ui.msgAnswers.push_back(MrCancel); // "Stop running?": the device runs on
    clickConnect();
    ASSERT_FALSE(connected());
    pass(20);
    EXPECT_TRUE(sim->channel(0).running);

    takeOver();
    EXPECT_NEAR(lag(), before, 2.5);
    ASSERT_TRUE(waitFor([&] { return shownMilliAh() > 0; }));
    EXPECT_NEAR(shownMilliAh(), deviceMilliAh(), 1);
    pass(5);
    expectTheDevicesResult(stop(), behindBefore);
    EXPECT_GE(longestStep(), 17);

    // Continue after the user's Stop: the device waited, and so do the
    // run's seconds and charge.
    const int stopped = lastLogSecond();
    const double behindAtStop = behind();
    pass(20);
    button(0, "cmdCont")->click();
    ASSERT_TRUE(waitFor([&] { return sim->channel(0).running && lastLogSecond() > stopped; }));
    const QStringList lines = logLines();
    int resumed = 0;
    for (const QString &l : lines) {
        const int t = l.section(QLatin1Char('\t'), 0, 0).toInt();
        if (t > stopped) {
            resumed = t;
            break;
        }
    }
    EXPECT_LE(resumed, stopped + 3);
    pass(5);
    expectTheDevicesResult(stop(), behindAtStop);
}
