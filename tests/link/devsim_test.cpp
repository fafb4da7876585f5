// The simulated device: its behaviour as a device (frames, tests that end,
// commands), its faults on the wire, its link in the ports folder, its
// command language and the qx-devsim program.
#include "common/TempHome.h"
#include "link/COMM.h"

#include "DevSim.h"
#include "SimWire.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>

using namespace qx;
using namespace qx::Frames;
using namespace qx::sim;

namespace {

SimCommand cmd(const CmdBuf &b)
{
    std::array<uint8_t, 8> inner{};
    std::copy(b.begin() + 2, b.begin() + 10, inner.begin());
    return SimCommand::fromBytes(inner);
}

DevBytes bytesOf(const DevFrame &f)
{
    DevBytes b{};
    std::copy(f.begin() + 1, f.end() - 1, b.begin());
    return b;
}

FrameFields fields(const DevFrame &f) { return decode(bytesOf(f)); }

bool passes(const DevFrame &f)
{
    std::array<uint8_t, 19> rx{};
    std::copy(f.begin() + 1, f.end() - 1, rx.begin() + 1);
    return ChkRec(rx, 17);
}

// Advances in one-second steps until the channel stops running; the seconds taken.
int runToEnd(SimDevice &d, int ch, int limitSecs)
{
    int s = 0;
    while (d.channel(ch).running && s < limitSecs) {
        d.advance(1);
        ++s;
    }
    return s;
}

} // namespace

TEST(SimDevice, SilentUntilConnectThenParameterAndDataFrames)
{
    struct Case {
        int type, firmware;
        int channels;
        int32_t maxVolRaw, maxCurRaw;
    };
    for (const Case c : {Case{10, 320, 1, 500, 4000}, {17, 101, 2, 15000, 2500}, {26, 320, 1, 2100, 4000},
                         {26, 300, 1, 1350, 4000}, {60, 100, 1, 3000, 1000}}) {
        SimDevice d(c.type, c.firmware);
        EXPECT_TRUE(d.tickFrames().empty()) << c.type;
        d.handle(cmd(commandFrame(0, 0, OpConnect)));
        for (int tick = 0; tick < 3; ++tick) {
            const auto frames = d.tickFrames();
            ASSERT_EQ(int(frames.size()), c.channels) << c.type;
            for (int ch = 0; ch < c.channels; ++ch) {
                const FrameFields f = fields(frames[size_t(ch)]);
                EXPECT_TRUE(passes(frames[size_t(ch)]));
                EXPECT_EQ(f.typeCode, c.type);
                EXPECT_EQ(f.channel, ch);
                EXPECT_EQ(f.kind, tick < 2 ? 1 : 0) << "type " << c.type << " tick " << tick;
                if (tick < 2) {
                    EXPECT_EQ(f.setValue, c.firmware);
                    EXPECT_EQ(f.limit, c.maxVolRaw) << c.type;
                    EXPECT_EQ(f.third, c.maxCurRaw) << c.type;
                }
            }
        }
        d.handle(cmd(commandFrame(0, 0, OpDisconnect)));
        EXPECT_TRUE(d.tickFrames().empty());
    }
}

TEST(SimDevice, DischargeEndsAtCutoffAndReportsIdle)
{
    SimDevice d(10, 320); // CurScale 100, VolScale 100
    d.handle(cmd(commandFrame(0, 0, OpConnect)));
    d.tickFrames();
    d.tickFrames();
    d.handle(cmd(commandFramePairs(0, 0, OpStart, 200, 350, 0))); // D-CC 2 A down to 3.5 V
    d.advance(10);
    FrameFields f = fields(d.tickFrames().at(0));
    EXPECT_TRUE(f.running());
    EXPECT_EQ(f.current, 200);
    EXPECT_NEAR(f.volts(), 3.96 - 0.1, 0.01);
    EXPECT_EQ(f.setValue, 200);
    EXPECT_EQ(f.limit, 350);

    // 2 Ah at 80 %: the open-circuit voltage falls from 3.96 V; the loaded
    // voltage reaches 3.5 V at 50 %, after 0.6 Ah = 1080 s at 2 A
    const int secs = 10 + runToEnd(d, 0, 5000);
    const SimChannel &c = d.channel(0);
    EXPECT_FALSE(c.running);
    EXPECT_EQ(c.endReason, "cutoff");
    EXPECT_NEAR(secs, 1080, 3);
    EXPECT_NEAR(c.capacityAh, 0.6, 0.005);
    EXPECT_NEAR(c.energyWh, 0.6 * (3.86 + 3.5) / 2, 0.01);
    f = fields(d.tickFrames().at(0));
    EXPECT_FALSE(f.running());
    EXPECT_EQ(f.current, 0);
    EXPECT_NEAR(f.capacityAh(), 0.6, 0.005) << "the idle frame that ends a test carries its capacity";
}

TEST(SimDevice, TestsEndByTimeStopOrFullCharge)
{
    struct Case {
        const char *name;
        int type;
        std::function<void(SimDevice &)> begin;
        const char *reason;
        int minSecs, maxSecs;
    };
    const Case cases[] = {
        {"time limit 1 minute", 10, [](SimDevice &d) { d.handle(cmd(commandFramePairs(0, 0, OpStart, 100, 0, 1))); },
         "time", 60, 60},
        {"stop", 10,
         [](SimDevice &d) {
             d.handle(cmd(commandFramePairs(0, 0, OpStart, 100, 0, 0)));
             d.advance(5);
             d.handle(cmd(commandFrame(0, 0, OpStop)));
         },
         "stop", 0, 0},
        // C-CV of type 10 (last charge mode, cut-off current): 2 A to 4.2 V, until below 0.1 A
        {"constant-voltage charge", 10,
         [](SimDevice &d) { d.handle(cmd(commandFramePairs(0, 2, OpStart, 200, 420, 10))); }, "full", 100, 4000},
        {"charge to full", 1, [](SimDevice &d) { d.handle(cmd(commandFramePairs(0, 3, OpStart, 100, 1, 0))); },
         "full", 1400, 1500},
        {"empty battery without cut-off", 10,
         [](SimDevice &d) { d.handle(cmd(commandFramePairs(0, 0, OpStart, 400, 0, 0))); }, "empty", 1400, 1500},
    };
    for (const auto &c : cases) {
        SimDevice d(c.type, 100);
        c.begin(d);
        double peak = 0;
        int secs = 0;
        while (d.channel(0).running && secs < 10000) {
            d.advance(1);
            ++secs;
            peak = std::max(peak, d.channel(0).volts);
        }
        EXPECT_EQ(d.channel(0).endReason, c.reason) << c.name;
        EXPECT_GE(secs, c.minSecs) << c.name;
        EXPECT_LE(secs, c.maxSecs) << c.name;
        if (std::string(c.reason) == "full" && c.type == 10) {
            EXPECT_LE(peak, 4.2 + 1e-6) << "constant voltage overshoots";
        }
    }
}

TEST(SimDevice, ContinueKeepsCapacityAndChannelsRunApart)
{
    SimDevice d(17, 100); // two channels, CurScale 1000
    d.handle(cmd(commandFramePairs(1, 0, OpStart, 1000, 3000, 0))); // channel 1: 1 A, 3 V
    d.advance(360);
    EXPECT_FALSE(d.channel(0).running);
    EXPECT_TRUE(d.channel(1).running);
    EXPECT_NEAR(d.channel(1).capacityAh, 0.1, 1e-6);
    d.handle(cmd(commandFrame(1, 0, OpStop)));
    d.handle(cmd(commandFramePairs(1, 0, OpContinue, 1000, 3000, 0)));
    d.advance(360);
    EXPECT_NEAR(d.channel(1).capacityAh, 0.2, 1e-6);
    d.handle(cmd(commandFramePairs(1, 0, OpStart, 1000, 3000, 0)));
    EXPECT_EQ(d.channel(1).capacityAh, 0);

    d.handle(cmd(commandFrame(0, 0, OpConnect)));
    d.tickFrames();
    d.tickFrames();
    const auto frames = d.tickFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(fields(frames[0]).typeByte, 17);
    EXPECT_FALSE(fields(frames[0]).running());
    EXPECT_EQ(fields(frames[1]).typeByte, 117);
    EXPECT_TRUE(fields(frames[1]).running());
    EXPECT_EQ(fields(frames[1]).current, 1000);
}

TEST(SimDevice, ResistanceMinutesQuickChargeAndRefusedCommands)
{
    SimDevice d(10, 320);
    d.handle(cmd(commandFrame(0, 0, OpConnect)));
    d.tickFrames();
    d.tickFrames();
    d.handle(cmd(commandFramePairs(0, 0, OpResTest, 100))); // 1000 mA (CurScale 100 sends mA / 10)
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(fields(d.tickFrames().at(0)).capacity, 50) << i; // 1 A x 0.05 ohm = 50 mV
    EXPECT_NE(fields(d.tickFrames().at(0)).capacity, 50);

    d.handle(cmd(commandFramePairs(0, 0, OpMinutes, 59)));
    EXPECT_EQ(d.channel(0).minutes, 59);

    CmdBuf bad = commandFramePairs(0, 0, OpStart, 100, 300, 0);
    bad[9] = uint8_t((bad[9] + 1) % 240);
    EXPECT_FALSE(cmd(bad).valid);
    d.handle(cmd(bad));
    EXPECT_FALSE(d.channel(0).running) << "a frame with a bad checksum was obeyed";
    d.handle(cmd(commandFramePairs(0, 5, OpStart, 100, 300, 0))); // mode 5 of a three-mode device
    EXPECT_FALSE(d.channel(0).running);
    d.handle(cmd(commandFramePairs(1, 0, OpStart, 100, 300, 0))); // channel 1 of a one-channel device
    EXPECT_FALSE(d.channel(0).running);
    EXPECT_FALSE(d.channel(1).running);

    // the USB tester: 0.1 mA current units from 3.20, source voltage by quick-charge request
    struct Usb {
        int firmware;
        int32_t raw;
    };
    for (const Usb u : {Usb{320, 10000}, {300, 1000}}) {
        SimDevice usb(26, u.firmware);
        usb.handle(cmd(commandFrame(0, 0, OpConnect)));
        usb.handle(cmd(commandFramePairs(0, 1, OpStart, 1000, 0, 0))); // Meter, 1 A
        usb.handle(cmd(commandFrame(0, 0, OpAdjust, {0, 0, 0, 0, 0, 13})));
        usb.advance(1);
        usb.tickFrames();
        usb.tickFrames();
        const FrameFields f = fields(usb.tickFrames().at(0));
        EXPECT_EQ(f.current, u.raw) << u.firmware;
        EXPECT_NEAR(f.volts(), 20.0 - 0.1, 1e-9) << u.firmware;
        EXPECT_EQ(f.capacity, 600); // D+
        EXPECT_EQ(f.temperature, 600); // D-
    }
}

TEST(SimDevice, RangeEncodingRoundTrips)
{
    for (double v : {0.0, 0.001, 4.2, 32.767, 32.768, 50.0, 248.31}) {
        EXPECT_NEAR(rangeVoltage(encodeVoltage(v)), v, v < 32.7675 ? 0.0005 : 0.005) << v;
    }
    for (double ah : {0.0, 1.234, 32.767, 32.77, 204.79, 204.8, 300.0, 435.1}) {
        const double tol = ah < 32.7675 ? 0.0005 : ah < 204.795 ? 0.005 : 0.05;
        EXPECT_NEAR(rangeCapacity(encodeCapacity(ah)), ah, tol) << ah;
    }
    EXPECT_EQ(encodeVoltage(1000), MaxPair);
    EXPECT_EQ(encodeCapacity(1000), MaxPair);
}

namespace {

struct Wire {
    test::TempHome home;
    DevSim sim;
    int32_t h = 0;
    FrameReader reader;

    Wire(int com, int type, double rate, double speed = 1)
        : sim({.home = home.path(), .com = com, .type = type, .rate = rate, .speed = speed})
    {
    }
    ~Wire() { qx::COMM::CloseComm(h); }

    bool open(const std::function<void(DevSim &)> &beforeConnect = {})
    {
        if (!sim.start())
            return false;
        if (beforeConnect)
            beforeConnect(sim);
        h = qx::COMM::OpenComm(sim.options().com);
        if (h == 0)
            return false;
        qx::COMM::WriteComm(h, commandFrame(0, 0, OpConnect));
        return sim.waitForCommand(OpConnect, 2000);
    }
    Watched watch(size_t frames, int timeoutMs = 5000) { return watchPort(h, reader, frames, timeoutMs); }
};

} // namespace

TEST(DevSim, FaultsShowOnTheWire)
{
    struct Case {
        const char *name;
        std::function<void(DevSim &)> fault;
        std::function<void(const Watched &)> check;
    };
    const Case cases[] = {
        {"none", [](DevSim &) {},
         [](const Watched &w) {
             for (RxEvent e : {RxEvent::BadFrame, RxEvent::Dropped, RxEvent::Stray})
                 EXPECT_EQ(countOf(w, e), 0);
         }},
        {"bad checksum", [](DevSim &s) { s.faultBadChecksum(2); },
         [](const Watched &w) { EXPECT_EQ(countOf(w, RxEvent::BadFrame), 2); }},
        {"truncated", [](DevSim &s) { s.faultTruncate(1); },
         [](const Watched &w) {
             // the cut frame's start is followed by the next frame's start
             const RxEvent twoStarts[] = {RxEvent::Start, RxEvent::Start};
             EXPECT_NE(std::search(w.events.begin(), w.events.end(), twoStarts, twoStarts + 2), w.events.end());
             EXPECT_EQ(countOf(w, RxEvent::BadFrame), 0);
         }},
        {"overlong", [](DevSim &s) { s.faultOverlong(1); },
         [](const Watched &w) {
             EXPECT_EQ(countOf(w, RxEvent::Dropped), 1);
             EXPECT_EQ(countOf(w, RxEvent::Stray), 1);
         }},
        {"stray end", [](DevSim &s) { s.faultStrayEnd(3); },
         [](const Watched &w) { EXPECT_EQ(countOf(w, RxEvent::Stray), 3); }},
        {"noise", [](DevSim &s) { s.faultNoise(3); },
         [](const Watched &w) {
             EXPECT_EQ(countOf(w, RxEvent::BadFrame), 0);
             EXPECT_GE(w.bytes, 19 * w.frames.size() + 3);
         }},
    };
    for (const auto &c : cases) {
        // Faults act on the next frames sent, and frames flow only after the
        // connect frame: the watch sees the stream from its first byte.
        Wire wire(5, 10, 50);
        ASSERT_TRUE(wire.open(c.fault)) << c.name;
        const Watched w = wire.watch(8);
        ASSERT_EQ(w.frames.size(), 8u) << c.name;
        c.check(w);
        for (const DevBytes &f : w.frames)
            EXPECT_EQ(decode(f).typeCode, 10) << c.name;
        if (HasFailure())
            ADD_FAILURE() << "case " << c.name;
    }
}

TEST(DevSim, SilenceAndHangUp)
{
    Wire wire(6, 10, 50);
    ASSERT_TRUE(wire.open());
    ASSERT_EQ(wire.watch(2).frames.size(), 2u);
    wire.sim.setSilent(true);
    wire.watch(100, 100); // drain what is under way
    EXPECT_EQ(wire.watch(1, 300).bytes, 0u);
    wire.sim.setSilent(false);
    EXPECT_EQ(wire.watch(2).frames.size(), 2u);

    wire.sim.hangUp();
    EXPECT_TRUE(wire.sim.hungUp());
    EXPECT_TRUE(wire.watch(1000, 3000).gone);
    EXPECT_TRUE(qx::COMM::PortGone(wire.h));
    qx::COMM::CloseComm(wire.h);
    EXPECT_EQ(qx::COMM::OpenComm(6), 0) << "a hung-up device opened again";
}

TEST(DevSim, RecordsCommandsAndRunsATestToItsEnd)
{
    Wire wire(7, 10, 20, 2000);
    ASSERT_TRUE(wire.open());
    const CmdBuf start = commandFramePairs(0, 0, OpStart, 200, 350, 0);
    EXPECT_EQ(qx::COMM::WriteComm(wire.h, start), 10);
    ASSERT_TRUE(wire.sim.waitForCommand(OpStart, 2000));
    const auto sent = wire.sim.commands();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].commandByte, 1);
    EXPECT_EQ(sent[1].pair(1), 200);
    EXPECT_EQ(sent[1].pair(3), 350);

    // about 1080 simulated seconds at 2000x: the test ends within a second
    bool sawRunning = false, sawEnd = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!sawEnd && std::chrono::steady_clock::now() < deadline) {
        for (const DevBytes &f : wire.watch(1, 500).frames) {
            const FrameFields d = decode(f);
            sawRunning = sawRunning || d.running();
            sawEnd = sawRunning && !d.running();
        }
    }
    EXPECT_TRUE(sawRunning);
    EXPECT_TRUE(sawEnd);
    EXPECT_EQ(wire.sim.channel(0).endReason, "cutoff");

    wire.sim.clearCommands();
    qx::COMM::WriteComm(wire.h, commandFrame(0, 0, OpDisconnect));
    ASSERT_TRUE(wire.sim.waitForCommand(OpDisconnect, 2000));
    EXPECT_FALSE(wire.sim.connected());
    EXPECT_EQ(wire.sim.commands().size(), 1u);
}

TEST(DevSim, LinkReplacesAStaleOneAndIsRemovedWhenStillOurs)
{
    test::TempHome home;
    QDir().mkpath(home.file("ports"));
    QFile::link(home.file("old"), home.file("ports/COM3"));
    {
        DevSim sim({.home = home.path(), .com = 3});
        ASSERT_TRUE(sim.start());
        EXPECT_EQ(QFileInfo(home.file("ports/COM3")).symLinkTarget(), sim.slavePath());
        EXPECT_EQ(sim.linkPath(), home.file("ports/COM3"));
    }
    EXPECT_FALSE(QFileInfo(home.file("ports/COM3")).isSymLink());

    DevSim sim({.home = home.path(), .com = 3});
    ASSERT_TRUE(sim.start());
    QFile::remove(home.file("ports/COM3"));
    QFile::link(home.file("other"), home.file("ports/COM3")); // someone else's now
    sim.stop();
    EXPECT_TRUE(QFileInfo(home.file("ports/COM3")).isSymLink());

    DevSim wrong({.home = home.path(), .com = 4, .type = 100});
    EXPECT_FALSE(wrong.start());
    EXPECT_FALSE(wrong.error().isEmpty());
}

TEST(DevSim, ControlLanguage)
{
    DevSim sim({.home = {}, .com = 3, .type = 17});
    struct Case {
        const char *line;
        const char *replyStart;
    };
    for (const Case c : {Case{"badsum 2", ""}, {"  NOISE   1 ", ""}, {"truncate x", "error"}, {"stray -1", "error"},
                         {"silent on", ""}, {"silent maybe", "error"}, {"speed 10", ""}, {"soc 0.5 1", ""},
                         {"soc 2", "error"}, {"bogus", "error"}, {"", ""}, {"help", "badsum"},
                         {"speed inf", "error"}, {"speed 1e308", "error"}, {"speed nan", "error"},
                         {"speed 10001", "error"}, {"speed 10000", ""}, {"badsum 1e12", "error"},
                         {"noise 1.5", "error"}, {"stray 1000000", ""}, {"soc 0.5 7", "error"},
                         {"status", "connected=0 ch0: running=0"}}) {
        const QString reply = sim.control(c.line);
        if (*c.replyStart == 0)
            EXPECT_TRUE(reply.isEmpty()) << c.line << " -> " << reply.toStdString();
        else
            EXPECT_TRUE(reply.startsWith(QLatin1String(c.replyStart))) << c.line << " -> " << reply.toStdString();
    }
    EXPECT_DOUBLE_EQ(sim.channel(1).battery.soc, 0.5);
    EXPECT_TRUE(sim.control("status").contains("ch1:"));
}

namespace {
QString devsimProgram() { return QCoreApplication::applicationDirPath() + "/sim/qx-devsim"; }
} // namespace

TEST(DevSim, ProgramRefusesNumbersOutOfRange)
{
    test::TempHome home;
    const QStringList base{"--home", home.path(), "--com", "3", "--type", "10"};
    struct Case {
        QStringList args;
        const char *option;
    };
    const Case cases[] = {
        {{"--speed", "inf"}, "--speed"},     {{"--speed", "1e308"}, "--speed"}, {{"--speed", "nan"}, "--speed"},
        {{"--speed", "-1"}, "--speed"},      {{"--rate", "0"}, "--rate"},       {{"--rate", "1e9"}, "--rate"},
        {{"--com", "1e30"}, "--com"},        {{"--com", "3.5"}, "--com"},       {{"--type", "100"}, "--type"},
        {{"--firmware", "57600"}, "--firmware"}, {{"--seed", "-1"}, "--seed"}, {{"--seed", "1e10"}, "--seed"},
        {{"--badsum", "1e12"}, "--badsum"},  {{"--noise", "x"}, "--noise"},
    };
    for (const Case &c : cases) {
        QProcess p;
        p.start(devsimProgram(), base + c.args);
        ASSERT_TRUE(p.waitForFinished(10000)) << c.args.join(' ').toStdString() << " was taken";
        EXPECT_EQ(p.exitCode(), 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains(c.option)) << c.args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    }
    EXPECT_FALSE(QFileInfo(home.file("ports/COM3")).isSymLink());
}

TEST(DevSim, ProgramEndsOnSigtermAtFullSpeed)
{
    test::TempHome home;
    QProcess p;
    p.start(devsimProgram(),
            {"--home", home.path(), "--com", "5", "--type", "17", "--rate", "1000", "--speed", "10000"});
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_TRUE(p.waitForReadyRead(10000));
    p.readLine();
    p.write("speed inf\nspeed 10000\n");
    auto line = [&p] {
        while (!p.canReadLine() && p.waitForReadyRead(10000)) {
        }
        return QString::fromLocal8Bit(p.readLine()).trimmed();
    };
    EXPECT_TRUE(line().startsWith("error: speed")) << "speed inf";
    EXPECT_EQ(line(), "ok");
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000)) << "SIGTERM did not end it";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(home.file("ports/COM5")).isSymLink());
}

TEST(DevSim, ProgramRunsUntilSignalled)
{
    const QString exe = devsimProgram();
    test::TempHome home;

    QProcess bad;
    bad.start(exe, {"--home", home.path(), "--com", "3"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 2);

    QProcess p;
    p.start(exe, {"--home", home.path(), "--com", "9", "--type", "26", "--firmware", "320", "--rate", "10"});
    ASSERT_TRUE(p.waitForStarted(5000));
    ASSERT_TRUE(p.waitForReadyRead(5000));
    const QString slave = QString::fromLocal8Bit(p.readLine()).trimmed();
    EXPECT_TRUE(slave.startsWith("/dev/"));
    EXPECT_EQ(QFileInfo(home.file("ports/COM9")).symLinkTarget(), slave);

    int32_t h = qx::COMM::OpenComm(9);
    ASSERT_NE(h, 0);
    qx::COMM::WriteComm(h, commandFrame(0, 0, OpConnect));
    FrameReader reader;
    const Watched w = watchPort(h, reader, 3, 5000);
    ASSERT_EQ(w.frames.size(), 3u);
    EXPECT_EQ(decode(w.frames[0]).typeCode, 26);
    EXPECT_EQ(decode(w.frames[0]).setValue, 320);
    qx::COMM::CloseComm(h);

    p.write("status\nbadsum x\n");
    auto line = [&p] {
        while (!p.canReadLine() && p.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(p.readLine()).trimmed();
    };
    EXPECT_TRUE(line().startsWith("connected=1")) << "status";
    EXPECT_TRUE(line().startsWith("error")) << "bad command";

    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(home.file("ports/COM9")).isSymLink());
}
