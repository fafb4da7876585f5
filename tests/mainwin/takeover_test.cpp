// Taking over a test the device runs that the program did not start: the
// channel's run log is continued only when it is that test's own; any other
// test is a new run (its own log, seconds and the device's count), and the
// log found is kept aside as it was. A device that began its count again at
// a Continue keeps the whole charge through a later take-over.
#include "RanOnFixture.h"

#include "DevSim.h"
#include "link/Frames.h"
#include "panel/DevCtrl.h"
#include "services/State.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

using namespace qx;

namespace {

// "QM-16" (type 21) discharging at 1.00 A down to 3.00 V, as a run log's
// header and its settings record give it.
const QByteArray Header = "-----------QX Tester Software------------\r\n"
                          "Device:QM-16\r\n"
                          "Mode:D-CC  1.00A  3.00V\r\n"
                          "Begin Volt:04.00V\r\n"
                          "------------Run Log--------------\r\n"
                          "Time(S)\tCur(A)\tVol(V)\r\n";
const QByteArray Settings = "Settings:0,100,300,0\r\n";
// 1.00 A from second 0 to 36: 10 mAh.
const QByteArray Lines = "1\t01.00\t3.960\r\n"
                         "36\t01.00\t3.950\r\n";

using test::HeldProgram;

class TakeOver : public test::RanOnFixture {
protected:
    struct Device {
        int type = 21, firmware = 105;
        int32_t setVal = 100, setLmt = 300;
        double countMilliAh = 0;
    };

    // The device, already running its test when the program connects; its
    // clock nearly stands, so its count stays as set.
    void startRunning(const Device &dev)
    {
        sim::DevSimOptions o;
        o.home = home.path();
        o.com = 3;
        o.type = dev.type;
        o.firmware = dev.firmware;
        o.rate = 10;
        o.speed = 0.01;
        sim = std::make_unique<sim::DevSim>(o);
        ASSERT_TRUE(sim->start()) << sim->error().toStdString();
        sim->withDevice([&](sim::SimDevice &d) {
            sim::SimChannel &ch = d.channel(0);
            ch.battery.rOhm = 0;
            ch.battery.capacityAh = 1000;
            ch.battery.soc = 0.8;
            ch.running = true;
            ch.mode = 0;
            ch.setVal = dev.setVal;
            ch.setLmt = dev.setLmt;
            ch.setTim = 0;
            ch.capacityAh = dev.countMilliAh / 1000;
        });
    }
    // A file of the home folder, last written `ago` of the program's seconds ago.
    void writeAgo(const QString &name, const QByteArray &bytes, int64_t ago)
    {
        sinceWritten.start();
        home.write(name, bytes);
        const int64_t ms = QDateTime::currentMSecsSinceEpoch() - ago * secondMs();
        const timespec t{time_t(ms / 1000), long(ms % 1000) * 1000000};
        const timespec times[2] = {t, t};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(home.file(name)).constData(), times, 0), 0);
    }
    // The run logs of the home folder but the one at `name`.
    QStringList keptLogs(const QString &name) const
    {
        QStringList kept = QDir(home.path()).entryList({QStringLiteral("qx-*.bak")}, QDir::Files, QDir::Name);
        kept.removeAll(name);
        return kept;
    }
    // The data lines of a run log of the home folder.
    QStringList dataLines(const QString &name) const
    {
        QStringList out;
        for (const QString &l : fileLines(name))
            if (!l.isEmpty() && l[0].isDigit())
                out << l;
        return out;
    }
    int lastSecondOf(const QString &name) const
    {
        const QStringList l = dataLines(name);
        return l.isEmpty() ? -1 : l.last().section(QLatin1Char('\t'), 0, 0).toInt();
    }
    // Connected: the running test is taken over and a reading logged after
    // it (the log at `name` no longer `old`, and its last line a data line).
    void connectAndTakeOver(const QString &name, const QByteArray &old)
    {
        connect();
        ASSERT_TRUE(waitFor([&] {
            const QByteArray now = home.read(name);
            const QStringList lines = fileLines(name);
            return Running[0][0] && w->DevCtrl(0).StopEnable() && now != old && now.endsWith("\r\n") &&
                   !lines.isEmpty() && lines.last()[0].isDigit();
        }));
    }
    // The frames that told the device to start or continue.
    QStringList startFrames() const
    {
        QStringList l;
        for (const sim::SimCommand &c : sim->commands())
            if (c.valid && (c.op == Frames::OpStart || c.op == Frames::OpContinue))
                l << QStringLiteral("op %1 set %2 limit %3").arg(c.op).arg(c.pair(1)).arg(c.pair(3));
        return l;
    }
    // When the last log was written.
    QElapsedTimer sinceWritten;
    // Ends the link and the device.
    void leave()
    {
        clickConnect();
        closeDevices();
    }
};

} // namespace

TEST_F(TakeOver, ContinuesOnlyTheRunningTestsOwnLog)
{
    const QByteArray Ended = Header + Settings + Lines + "End:36,0.0100000\r\n";
    const struct Case {
        const char *what;
        QByteArray log;
        int64_t ago;         // the log last written, program seconds ago
        Device dev;
        bool own;            // the log is continued
        const char *started; // the frame that tells the device to go on
        int savedMilliAh;    // the result file's capacity; -1: 1.000 A over the log's seconds
        int firstSecond;     // the first run-log second after the take-over, at least (to the log's time)
    } cases[] = {
        // 10 mAh logged, 20 s away at 1.00 A: the device holds about 15.6.
        {"its own log", Header + Settings + Lines, 20, {21, 105, 100, 300, 15}, true,
         "op 8 set 100 limit 300", 15, 36 + 19},
        {"its own log, written before the records", Header + Lines, 20, {21, 105, 100, 300, 15}, true,
         "op 8 set 100 limit 300", 15, 36 + 19},
        // A Continue found the device begun again at 5 mAh: its count holds
        // the 5 since then and the 5.6 of the time away; 5 more are added.
        {"its own log, the device began again at a Continue", Header + Settings + Lines + "Carried:0.0050000\r\n" +
                                                                   "37\t01.00\t3.950\r\n",
         20, {21, 105, 100, 300, 10}, true, "op 8 set 100 limit 300", 15, 37 + 19},
        // The program saw that test end; the device has counted 12 mAh of
        // a test started on its keys since.
        {"a finished log, then a new test", Ended, 60, {21, 105, 100, 300, 12}, false, "", 12, 0},
        {"other settings", Header + Settings + Lines, 20, {21, 105, 50, 280, 17}, false, "", 17, 0},
        {"other settings than the header alone says", Header + Lines + "Settings:0,50,280,0\r\n" + "37\t00.50\t3.950\r\n",
         20, {21, 105, 100, 300, 17}, false, "", 17, 0},
        // More than the log's 10 mAh, but two hours at 1.00 A give 2 Ah.
        {"a count too small for the time away", Header + Settings + Lines, 7200, {21, 105, 100, 300, 16}, false, "",
         16, 0},
        {"a count below the log's, written before the records", Header + Lines, 20, {21, 105, 100, 300, 4}, false, "",
         4, 0},
        // A USB tester's charge is the program's own: half a minute away is
        // counted at its current, three days are not.
        {"a USB tester's own log", Header + "Settings:0,1000,400,0\r\n" + Lines, 30, {26, 320, 1000, 400, 0}, true,
         "op 1 set 1000 limit 400", -1, 36 + 29},
        {"a USB tester's log of three days ago", Header + "Settings:0,1000,400,0\r\n" + Lines, 259200,
         {26, 320, 1000, 400, 0}, false, "", -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = c.dev.type == 26 ? QStringLiteral("qx-QM-20-COM3-1-1.bak") : QString::fromLatin1(LogName);
        QByteArray log = c.log;
        if (c.dev.type == 26)
            log.replace("Device:QM-16", "Device:QM-20");
        writeAgo(name, log, c.ago);
        const QDateTime written = QFileInfo(home.file(name)).lastModified();
        startRunning(c.dev);
        connectAndTakeOver(name, log);
        const double tookOver = double(sinceWritten.elapsed()) / secondMs();
        pass(2);

        EXPECT_EQ(startFrames().join(QLatin1Char('|')).toStdString(), c.started);
        const QByteArray now = home.read(name);
        const QStringList lines = dataLines(name);
        ASSERT_FALSE(lines.isEmpty());
        if (c.own) {
            // The same log goes on, after the time away.
            EXPECT_TRUE(now.startsWith(log));
            EXPECT_TRUE(keptLogs(name).isEmpty()) << keptLogs(name).join(' ').toStdString();
            int second = -1;
            for (const QString &l : QString::fromUtf8(now.mid(log.size())).split(QStringLiteral("\r\n")))
                if (!l.isEmpty() && l[0].isDigit()) {
                    second = l.section(QLatin1Char('\t'), 0, 0).toInt();
                    break;
                }
            // The seconds away: from the log's time to the take-over.
            EXPECT_GE(second, c.firstSecond);
            EXPECT_LE(second, c.firstSecond + tookOver + 2);
        } else {
            // A new log of the device's test, its seconds from the take-over;
            // the old one kept whole under the time it was last written.
            const QString kept = QStringLiteral("%1-%2.bak")
                                     .arg(name.chopped(4), written.toString(QStringLiteral("yyyy-M-d-h-m-s")));
            EXPECT_EQ(keptLogs(name), QStringList{kept});
            EXPECT_EQ(home.read(kept), log);
            EXPECT_TRUE(now.startsWith("-----------QX Tester Software------------\r\n"));
            EXPECT_LE(lines.first().section(QLatin1Char('\t'), 0, 0).toInt(), 1);
            EXPECT_LE(lines.last().section(QLatin1Char('\t'), 0, 0).toInt(), 5);
            const QString mode = c.dev.setVal == 50 ? QStringLiteral("Mode:D-CC  0.50A  2.80V")
                                                    : c.dev.type == 26 ? QStringLiteral("Mode:D-CC  1.00A  4.00V")
                                                                       : QStringLiteral("Mode:D-CC  1.00A  3.00V");
            EXPECT_TRUE(QString::fromUtf8(now).contains(mode + QStringLiteral("\r\n"))) << now.toStdString();
        }

        const QStringList result = stop();
        const int saved = field(result, QStringLiteral("Capacity:"), QStringLiteral("mAh"));
        if (c.savedMilliAh >= 0)
            EXPECT_EQ(saved, c.savedMilliAh);
        else // the program's own count: every logged second at 1.000 A
            EXPECT_NEAR(saved, lastSecondOf(name) / 3.6, 1.0);
        RecordProperty(c.what, QStringLiteral("saved %1 mAh, device %2 mAh, log's last second %3")
                                   .arg(saved)
                                   .arg(std::lround(sim->channel(0).capacityAh * 1000))
                                   .arg(lastSecondOf(name))
                                   .toStdString());
        leave();
        QFile::remove(home.file(name));
        for (const QString &k : keptLogs(name))
            QFile::remove(home.file(k));
    }
}

TEST_F(TakeOver, UsersContinueGoesOnWithAFinishedLog)
{
    // The user asks for it: a log whose run ended is continued as ever.
    writeAgo(QString::fromLatin1(LogName), Header + Settings + Lines + "End:36,0.0100000\r\n", 600);
    startRunning({21, 105, 100, 300, 10});
    sim->withDevice([](sim::SimDevice &d) { d.channel(0).running = false; });
    connect();
    DevCtrl &p = w->DevCtrl(0);
    p.set_tSval(0, QStringLiteral("1.00"));
    p.set_tSlmt(0, QStringLiteral("3.00"));
    button(0, "cmdCont")->click();
    ASSERT_TRUE(waitFor([&] { return Running[0][0] && lastLogSecond() > 36; }));
    EXPECT_EQ(startFrames().join(QLatin1Char('|')).toStdString(), "op 8 set 100 limit 300");
    const QByteArray now = home.read(QString::fromLatin1(LogName));
    EXPECT_TRUE(now.startsWith(Header + Settings + Lines + "End:36,0.0100000\r\n"));
    EXPECT_LE(dataLines(QString::fromLatin1(LogName))[2].section(QLatin1Char('\t'), 0, 0).toInt(), 36 + 3);
    EXPECT_TRUE(keptLogs(QString::fromLatin1(LogName)).isEmpty());
    EXPECT_EQ(field(stop(), QStringLiteral("Capacity:"), QStringLiteral("mAh")), 10);
}

TEST_F(TakeOver, ANewTestOnTheDevicesKeysAfterAFinishedOneIsANewRun)
{
    // The program runs a test on a small cell (about 11 mAh at 1.20 A) to
    // its cut-off and saves it; then it is gone.
    startDevice();
    sim->withDevice([](sim::SimDevice &d) {
        d.channel(0).battery.capacityAh = 0.011;
        d.channel(0).battery.soc = 1;
    });
    home.write(QStringLiteral("qx.ini"), DefaultIni);
    auto held = std::make_unique<HeldProgram>(home.path(), true);
    ASSERT_TRUE(waitFor([&] { return held->running(); }));
    ASSERT_TRUE(waitFor([&] { return !sim->channel(0).running && dataFiles().size() == 1; }));
    const QByteArray finished = home.read(QString::fromLatin1(LogName));
    const QStringList first = fileLines(QStringLiteral("Data/") + dataFiles().first());
    EXPECT_EQ(field(first, QStringLiteral("Capacity:"), QStringLiteral("mAh")), deviceMilliAh());
    ASSERT_TRUE(held->kill());
    const QDateTime written = QFileInfo(home.file(QString::fromLatin1(LogName))).lastModified();

    // A test started on the device's keys: 0.50 A down to 2.80 V, from 0,
    // on a fresh cell.
    sim->withDevice([](sim::SimDevice &d) {
        sim::SimChannel &ch = d.channel(0);
        ch.battery.capacityAh = 1000;
        ch.battery.soc = 0.8;
        ch.running = true;
        ch.mode = 0;
        ch.setVal = 50;
        ch.setLmt = 280;
        ch.setTim = 0;
        ch.capacityAh = 0;
        ch.energyWh = 0;
        ch.testSecs = 0;
    });
    pass(20);
    sim->clearCommands();
    connectAndTakeOver(QString::fromLatin1(LogName), finished);
    const double awayFromTheTest = sim->channel(0).testSecs;
    pass(10);
    const QStringList result = stop();

    // Its own run: the device's count, its own seconds from the take-over,
    // its settings; nothing told the device to start or go on.
    EXPECT_EQ(field(result, QStringLiteral("Capacity:"), QStringLiteral("mAh")), deviceMilliAh());
    EXPECT_TRUE(startFrames().isEmpty()) << startFrames().join(' ').toStdString();
    const QStringList log = fileLines(QString::fromLatin1(LogName));
    EXPECT_TRUE(log.contains(QStringLiteral("Mode:D-CC  0.50A  2.80V")));
    EXPECT_LE(logLines().first().section(QLatin1Char('\t'), 0, 0).toInt(), 1);
    EXPECT_NEAR(lastLogSecond(), sim->channel(0).testSecs - awayFromTheTest, 3);
    EXPECT_NEAR(result.last().section(QLatin1Char(','), 0, 0).toInt(), lastLogSecond(), 1);
    // The finished run's log, whole, under the time it was last written.
    const QString kept = QStringLiteral("qx-QM-16-COM3-1-1-%1.bak").arg(written.toString(QStringLiteral("yyyy-M-d-h-m-s")));
    EXPECT_EQ(home.read(kept), finished);
    EXPECT_TRUE(finished.contains("\r\nEnd:"));
}

TEST_F(TakeOver, ACrashAfterStopAndContinueKeepsTheWholeCharge)
{
    // A device that begins its count again when a Continue finds it idle:
    // the charge before the Stop is the program's to carry, through a
    // crash and a take-over too, whether the program was away long enough
    // for the device to count past the log's charge or not.
    for (const int away : {20, 3}) {
        SCOPED_TRACE(away);
        startDevice();
        sim->withDevice([](sim::SimDevice &d) { d.setCountsAgainOnContinue(true); });
        home.write(QStringLiteral("qx.ini"), DefaultIni);
        auto held = std::make_unique<HeldProgram>(home.path(), true);
        ASSERT_TRUE(waitFor([&] { return held->running() && lastLogSecond() >= 1; }));
        pass(30);
        held->click("stop");
        ASSERT_TRUE(waitFor([&] { return !sim->channel(0).running; }));
        const double beforeStop = sim->channel(0).capacityAh;
        pass(15);
        const int stopped = lastLogSecond();
        held->click("cont");
        ASSERT_TRUE(waitFor([&] { return sim->channel(0).running && lastLogSecond() > stopped + 1; }));
        EXPECT_LT(sim->channel(0).capacityAh, 0.002); // it began again
        pass(30);
        ASSERT_TRUE(held->kill());
        pass(away);

        takeOver();
        pass(5);
        const QStringList result = stop();
        const double whole = (beforeStop + sim->channel(0).capacityAh) * 1000;
        EXPECT_NEAR(field(result, QStringLiteral("Capacity:"), QStringLiteral("mAh")), whole, 1.0);
        RecordProperty("away " + std::to_string(away),
                       QStringLiteral("saved %1 mAh, drawn %2 mAh (%3 before the Stop)")
                           .arg(field(result, QStringLiteral("Capacity:"), QStringLiteral("mAh")))
                           .arg(whole, 0, 'f', 1)
                           .arg(beforeStop * 1000, 0, 'f', 1)
                           .toStdString());
        leave();
    }
}
