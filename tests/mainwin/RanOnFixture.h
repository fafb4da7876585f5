#pragma once
// A test the device runs on while no program reads it: the program killed
// in a process of its own, or disconnected, and a program that connects
// again and takes the test over; what it saves against the device's own
// count and clock.
#include "SimLinkFixture.h"

#include "DevSim.h"
#include "common/Loopback.h"
#include "common/ShortSecond.h"
#include "platform/Second.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>

#include <cmath>
#include <csignal>
#include <functional>
#include <memory>

namespace qx::test {

// The program in a process of its own (mainwin_held_program, beside this
// test program), in the test's home folder on COM3, with the test's second:
// with run it starts the test (1.20 A down to 3.00 V), else it only
// connects. Its standard output says when its panel shows the test running;
// its standard input takes the panel's Stop and Continue.
class HeldProgram {
public:
    HeldProgram(const QString &home, bool run)
    {
        QStringList args{QStringLiteral("--home"), home, QStringLiteral("--com"), QStringLiteral("3"),
                         QStringLiteral("--second"), QString::number(secondMs())};
        if (run)
            args << QStringLiteral("--run") << QStringLiteral("1.20") << QStringLiteral("3.00");
        proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mainwin_held_program"), args);
    }
    ~HeldProgram() { kill(); }
    HeldProgram(const HeldProgram &) = delete;
    HeldProgram &operator=(const HeldProgram &) = delete;

    // The program said its test runs (the event loop brings its output).
    bool running()
    {
        while (proc_.canReadLine())
            running_ = running_ || proc_.readLine().trimmed() == "running";
        return running_;
    }
    // Clicks the panel's "stop" or "cont" (Continue) in it.
    void click(const char *what)
    {
        proc_.write(QByteArray(what) + '\n');
        proc_.waitForBytesWritten(5000);
    }
    // Ends it as a crash or kill -9 does: SIGKILL, no stop, no disconnect,
    // nothing flushed; true once it is reaped, ended by the signal.
    bool kill()
    {
        if (proc_.state() == QProcess::NotRunning)
            return false;
        ::kill(pid_t(proc_.processId()), SIGKILL);
        return proc_.waitForFinished(10000) && proc_.exitStatus() == QProcess::CrashExit;
    }

private:
    QProcess proc_;
    bool running_ = false;
};

// A discharge the device runs on while no program reads it, with the
// program's own timers: type 21 ("QM-16", firmware 1.05) at 1.20 A down to
// 3.00 V on a large cell of 3.96 V without internal resistance (the same
// voltage under load, all test long). The program's second is 100 ms; the
// device's clock keeps pace with it and it reports once a second.
class RanOnFixture : public SimLinkFixture {
protected:
    static constexpr const char *LogName = "qx-QM-16-COM3-1-1.bak";

    void startDevice()
    {
        sim::DevSimOptions o;
        o.home = home.path();
        o.com = 3;
        o.type = 21;
        o.firmware = 105;
        o.rate = ShortSecond::perRealSecond();
        o.speed = ShortSecond::perRealSecond();
        sim = std::make_unique<sim::DevSim>(o);
        ASSERT_TRUE(sim->start()) << sim->error().toStdString();
        sim->withDevice([](sim::SimDevice &d) {
            sim::Battery &b = d.channel(0).battery;
            b.rOhm = 0;
            b.capacityAh = 1000;
            b.soc = 0.8;
        });
    }
    bool waitFor(const std::function<bool()> &pred) { return waitUntil(pred, 20000); }
    bool sent(int op) const
    {
        for (const sim::SimCommand &c : sim->commands())
            if (c.valid && c.op == op)
                return true;
        return false;
    }
    // The program started (unless it runs) and connected to the device.
    void connect()
    {
        if (!w)
            open();
        choosePort(0, 3);
        clickConnect();
        ASSERT_TRUE(waitFor([&] { return identified(); }));
    }
    void run()
    {
        DevCtrl &p = w->DevCtrl(0);
        p.set_tSval(0, QStringLiteral("1.20"));
        p.set_tSlmt(0, QStringLiteral("3.00"));
        p.set_tStim(0, QStringLiteral("0"));
        button(0, "cmdRun")->click();
        ASSERT_TRUE(waitFor([&] { return sim->channel(0).running && lastLogSecond() >= 1; }));
    }
    // The program's seconds pass.
    void pass(int secs)
    {
        QElapsedTimer t;
        t.start();
        const int ms = ShortSecond::ms(secs);
        waitUntil([&] { return t.elapsed() >= ms; }, ms + 1000);
    }
    // Connected again: the test the device runs on is taken over.
    void takeOver()
    {
        sim->clearCommands();
        const int before = lastLogSecond();
        connect();
        ASSERT_TRUE(waitFor([&] {
            return sent(Frames::OpContinue) && w->DevCtrl(0).StopEnable() && lastLogSecond() > before;
        }));
    }

    // The run log's data lines: "seconds\tcurrent\tvoltage".
    QStringList logLines() const
    {
        QStringList out;
        for (const QString &l : fileLines(QLatin1String(LogName)))
            if (!l.isEmpty() && l[0].isDigit())
                out << l;
        return out;
    }
    int lastLogSecond() const
    {
        const QStringList l = logLines();
        return l.isEmpty() ? -1 : l.last().section(QLatin1Char('\t'), 0, 0).toInt();
    }
    // The device's own count in whole mAh, as its frames carry it.
    int deviceMilliAh() const { return int(std::lround(sim->channel(0).capacityAh * 1000)); }
    int shownMilliAh() const
    {
        QString s = w->gridRun(0).TextMatrix(1, 4);
        s.chop(3); // "mAh"
        return s.toInt();
    }
    // The user's Stop: the result file it saves, its lines.
    QStringList stop()
    {
        const QStringList before = dataFiles();
        button(0, "cmdStop")->click();
        EXPECT_TRUE(waitFor([&] { return dataFiles().size() == before.size() + 1; }));
        EXPECT_FALSE(sim->channel(0).running);
        for (const QString &f : dataFiles())
            if (!before.contains(f))
                return fileLines(QStringLiteral("Data/") + f);
        return {};
    }
    static int field(const QStringList &lines, const QString &key, const QString &unit)
    {
        for (const QString &l : lines)
            if (l.startsWith(key) && l.endsWith(unit))
                return l.mid(key.size(), l.size() - key.size() - unit.size()).toInt();
        ADD_FAILURE() << "no " << key.toStdString() << " line";
        return -1;
    }
    // How far the run log's last second is behind the device's clock.
    double behind() const { return sim->channel(0).testSecs - lastLogSecond(); }
    // How far the program's seconds are behind the device's clock: up to
    // a second from the start (the program counts from the first running
    // frame), plus the second or so a take-over may lose.
    double lag() const { return sim->channel(0).testSecs - TestSecs[0][0].load(); }
    // The result agrees with the device: its count to the mAh, the energy
    // of that count at 3.96 V within the mAh's rounding, and the run log's
    // last second with the device's time: as far behind it as it was when
    // the program last went away (`behindBefore`), within 2.5 s. The
    // program's and the device's seconds of 100 ms are two clocks that
    // drift apart under load, a few seconds in a minute and a half; the
    // seconds lost or gained while the program was away are the fault.
    void expectTheDevicesResult(const QStringList &result, double behindBefore)
    {
        const sim::SimChannel d = sim->channel(0);
        EXPECT_EQ(field(result, QStringLiteral("Capacity:"), QStringLiteral("mAh")), deviceMilliAh());
        EXPECT_NEAR(field(result, QStringLiteral("Energy:"), QStringLiteral("mWh")), d.energyWh * 1000, 3);
        EXPECT_NEAR(d.testSecs - lastLogSecond(), behindBefore, 2.5);
        // The result's curve ends with the run log, within the one tick
        // by which the curve's seconds and the test's may stand apart (they
        // are two counters of the seconds timer, which runs on its own
        // thread while a run sets or restores them).
        EXPECT_NEAR(result.last().section(QLatin1Char(','), 0, 0).toInt(), lastLogSecond(), 1);
    }
    // Seconds of the run log's longest step from one line to the next.
    int longestStep() const
    {
        int longest = 0, prev = 0;
        for (const QString &l : logLines()) {
            const int t = l.section(QLatin1Char('\t'), 0, 0).toInt();
            longest = std::max(longest, t - prev);
            prev = t;
        }
        return longest;
    }

    ShortSecond second{100};
};


} // namespace qx::test
