// The receive routine with byte streams: a tab connected through its
// Connect button to a pseudo-terminal, whose reads (as the routine takes
// them, one read at a time) carry frames split across reads, several frames,
// noise and faulty frames; what the tab shows and writes afterwards, and the
// commands it puts on the wire.
#include "LinkFixture.h"

#include "mainwin/frmMsg.h"

#include <QFile>
#include <QLabel>
#include <QRegularExpression>

using namespace qx;
using test::Bytes;
using test::cat;
using test::devFrame;

namespace {

class Recv : public test::LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        ASSERT_TRUE(pty.ok());
        open();
        choosePort(0, 3);
        clickConnect();
        ASSERT_EQ(wire(), "FA 05 00 00 00 00 00 00 05 F8");
    }

    // One read of the port as the receive routine takes it.
    void read(const Bytes &b, int Index = 0) { w->RecvBytes(Index, b); }
    // The next command frame the tab wrote ("" when none came in timeoutMs).
    std::string wire(int timeoutMs = 3000) { return test::hexText(pty.read(10, timeoutMs)).toStdString(); }

    // Type 21 (one channel, "D-CC" only, no temperature): an idle data
    // frame at mv millivolts with the device's settings 1.00 A and 3.50 V.
    static Bytes idle(int32_t mv, int32_t cap = 0) { return devFrame(0, 21, {0, mv, cap, 250, 100, 350, 0}); }
    static Bytes running(int32_t mv, int32_t ca = 100, int32_t cap = 0)
    {
        return devFrame(10, 21, {ca, mv, cap, 250, 100, 350, 0});
    }
    // Parameter frames: firmware 3.20, at most 100 V and 10 A.
    static Bytes idleParam(int32_t mv) { return devFrame(100, 21, {0, mv, 0, 250, 320, 10000, 1000}); }
    static Bytes runningParam(int32_t mv) { return devFrame(110, 21, {100, mv, 0, 250, 320, 10000, 1000}); }
    // A run log of this device slot, channel, model and port: header, then lines.
    void runLog(const QByteArray &lines)
    {
        home.write(QStringLiteral("qx-QM-16-COM3-1-1.bak"),
                   "-----------QX Tester Software------------\r\nDevice:QM-16\r\nMode:D-CC  1.00A  3.50V\r\n"
                   "Begin Volt:03.99V\r\n------------Run Log--------------\r\nTime(S)\tCur(A)\tVol(V)\r\n" +
                       lines);
    }
    void identify()
    {
        read(idle(3960));
        ASSERT_TRUE(identified());
        ASSERT_EQ(cell(0, 1, 0), "QM-16");
    }
    // Start with the panel's settings 1.00 A, cut-off 3.50 V, no time limit.
    void run()
    {
        button(0, "cmdRun")->click();
        ASSERT_EQ(wire(), "FA 01 00 64 01 6E 00 00 0A F8");
    }
    QString tVol(int chn = 0) const { return w->DevCtrl(0).tVol(chn); }
    // Current and voltage fields of the run log's data lines.
    QStringList logReadings(const QString &name = QStringLiteral("qx-QM-16-COM3-1-1.bak")) const
    {
        QStringList out;
        for (const QString &l : fileLines(name))
            if (!l.isEmpty() && l[0].isDigit())
                out << l.section(QLatin1Char('\t'), 1);
        return out;
    }

    test::RawPty pty{home.path(), 3};
};

} // namespace

TEST_F(Recv, FrameSplitAcrossTwoReadsIsTakenOnceComplete)
{
    identify();
    for (int k = 1; k < 19; ++k) {
        const Bytes f = idle(3000 + 10 * k);
        const QString before = tVol();
        read(Bytes(f.begin(), f.begin() + k));
        EXPECT_EQ(tVol(), before) << "split after byte " << k;
        read(Bytes(f.begin() + k, f.end()));
        EXPECT_EQ(tVol(), QStringLiteral("03.%1").arg(k, 2, 10, QLatin1Char('0'))) << "split after byte " << k;
    }
    // A frame and the start of the next: the first now, the second with the next read.
    const Bytes next = idle(3500);
    read(cat(idle(3400), Bytes(next.begin(), next.begin() + 7)));
    EXPECT_EQ(tVol(), "03.40");
    read(Bytes(next.begin() + 7, next.end()));
    EXPECT_EQ(tVol(), "03.50");
}

TEST_F(Recv, SeveralFramesOfOneReadAreAllTakenInOrder)
{
    identify();
    run();
    read(cat(running(3900), running(3890), running(3880)));
    EXPECT_EQ(logReadings(), QStringList({"01.00\t3.900", "01.00\t3.890", "01.00\t3.880"}));
    // The run's start point at the begin voltage, then one point per frame.
    ASSERT_EQ(points(0), 4);
    const float want[] = {3.96f, 3.9f, 3.89f, 3.88f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(w->CurveGraph(0).DpY(0, i), want[i]) << i;
    EXPECT_EQ(tVol(), "03.88");
    EXPECT_EQ(info(0, 1), " Device1: START");
}

TEST_F(Recv, NoiseAndFaultyFramesCostOnlyThemselves)
{
    identify();
    run();
    Bytes s{0x01, 0x02, 0xF3, 0xFF, 0xF8}; // bytes outside any frame, a stray end marker
    s = cat(s, running(3900));
    s = cat(s, Bytes{0xF8});        // a second end marker after a frame: nothing to take again
    s = cat(s, Bytes{0xFA, 0xF8});  // an empty frame
    const Bytes cut = running(3111);
    s = cat(s, Bytes(cut.begin(), cut.begin() + 12)); // cut off: the next start marker begins anew
    s = cat(s, running(3890));
    Bytes overlong = running(3222);
    overlong.insert(overlong.end() - 1, 7); // an 18th byte between the markers
    s = cat(s, overlong);
    Bytes badSum = running(3333);
    badSum[17] = uint8_t((badSum[17] + 1) % 240);
    s = cat(s, badSum);
    s = cat(s, devFrame(10, 221, {100, 3444, 0, 250, 100, 350, 0})); // checksum right, channel digit 2
    Bytes high = running(3555);
    high[5] = 0xF1; // a byte of 240 or more inside, under a checksum that fits it
    high[17] = Frames::checksumOf(std::span<const uint8_t>(high).subspan(1, 16));
    s = cat(s, high);
    s = cat(s, running(3880));
    // In reads of seven bytes, as a slow line delivers them.
    for (size_t at = 0; at < s.size(); at += 7)
        read(Bytes(s.begin() + long(at), s.begin() + long(std::min(s.size(), at + 7))));
    EXPECT_EQ(logReadings(), QStringList({"01.00\t3.900", "01.00\t3.890", "01.00\t3.880"}));
    EXPECT_EQ(points(0), 4);
    EXPECT_FALSE(errLog().contains(QLatin1String("ErrComm")));
}

TEST_F(Recv, TypeCodeZeroIdentifiesNothingAndEndsTheRead)
{
    read(cat(devFrame(0, 100, {0, 3960, 0, 0, 0, 0, 0}), idle(3960)));
    EXPECT_TRUE(w->tmrConn(0).isActive());
    EXPECT_EQ(modes(), QStringList({"No Device"}));
    EXPECT_EQ(cell(0, 1, 0), "No Device");
    read(idle(3960));
    EXPECT_TRUE(identified());
    EXPECT_EQ(modes(), QStringList({"D-CC"}));
    EXPECT_EQ(pages(), QStringList({"key1:Single Test"}));
}

TEST_F(Recv, TwoChannelModelWhoseFirstFrameIsChannelTwoIsSetUpOnceChannelOneReports)
{
    // Type 17 (current scale 1000): channel 2 reports 0.50 A set, channel 1 0.25 A.
    read(devFrame(0, 117, {0, 3700, 0, 0, 500, 3000, 0}));
    EXPECT_TRUE(w->tmrConn(0).isActive()) << "identified before channel 1 reported";
    read(devFrame(0, 17, {0, 3800, 0, 0, 250, 3000, 0}));
    EXPECT_TRUE(identified());
    DevCtrl &p = w->DevCtrl(0);
    EXPECT_TRUE(p.Dev2S());
    EXPECT_EQ(modes(), QStringList({"D-CC", "D-CP"}));
    EXPECT_EQ(pages(), QStringList({"key1:Single Test", "key2:Auto Test"}));
    EXPECT_EQ(cell(0, 1, 0), "QM-13");
    EXPECT_EQ(cell(0, 2, 0), "QM-13");
    EXPECT_EQ(p.tSval(0), "0.25");
    EXPECT_EQ(p.tSval(1), "0.50");
    // Both channels of one read, each in its own boxes.
    read(cat(devFrame(0, 17, {0, 3961, 0, 0, 250, 3000, 0}), devFrame(0, 117, {0, 3702, 0, 0, 500, 3000, 0})));
    EXPECT_EQ(tVol(0), "3.961");
    EXPECT_EQ(tVol(1), "3.702");
    EXPECT_EQ(info(0, 1), " Channel1: STOP");
    EXPECT_EQ(info(0, 2), " Channel2: STOP");
}

TEST_F(Recv, ParameterFrameReportingALimitOfZeroIsRefusedOnce)
{
    identify(); // QM-16: up to 100 V and 10 A
    // No voltage limit, then no current limit: each refused, logged once.
    read(devFrame(100, 21, {0, 3950, 0, 250, 320, 0, 1000}));
    read(devFrame(100, 21, {0, 3940, 0, 250, 320, 10000, 0}));
    read(devFrame(100, 21, {0, 3930, 0, 250, 320, 0, 0}));
    // The readings go on being shown.
    read(running(3920));
    EXPECT_EQ(tVol().toStdString(), "03.92");
    read(idle(3910));
    EXPECT_EQ(tVol().toStdString(), "03.91");
    const QStringList log = errLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 1) << errLog().toStdString();
    EXPECT_TRUE(log[0].endsWith("[ErrParam]COM3: maximum voltage of 0 refused (100 V, 10 A kept)"))
        << log[0].toStdString();
    // Limits reported again are taken: 6.00 A is beyond the 5 A reported.
    read(devFrame(100, 21, {0, 3900, 0, 250, 320, 3000, 500}));
    read(devFrame(0, 21, {600, 3000, 0, 250, 100, 350, 0}));
    EXPECT_EQ(w->DevCtrl(0).tVol(0).toStdString(), "03.90");
}

TEST_F(Recv, ResistanceReadingIsTakenFromTheSelectedDeviceOnly)
{
    test::RawPty second(home.path(), 4);
    choosePort(1, 4);
    clickConnect(1);
    read(idle(3960), 1);
    identify();
    ASSERT_EQ(CurDev, 0);
    ResVolt = 0;
    read(idle(3960, 1234), 1);
    EXPECT_EQ(ResVolt, 0.0f);
    read(idle(3960, 1234), 0);
    EXPECT_FLOAT_EQ(ResVolt, 1.234f);
}

TEST_F(Recv, RunningTestThatTheProgramDidNotStartIsContinued)
{
    identify();
    runLog("0\t01.00\t3.950\r\n60\t01.00\t3.940\r\n");
    // Its count holds the log's 16.7 mAh: the log is this test's.
    read(running(3930, 100, 17));
    // Continue with the settings the device reported.
    EXPECT_EQ(wire(), "FA 08 00 64 01 6E 00 00 03 F8");
    EXPECT_EQ(cell(0, 1, 2), "03.99V");
    EXPECT_EQ(points(0), 3);
    EXPECT_FLOAT_EQ(w->CurveGraph(0).DpX(0, 1), 60.0f);
    EXPECT_TRUE(w->DevCtrl(0).StopEnable());
    EXPECT_EQ(logReadings(), QStringList({"01.00\t3.950", "01.00\t3.940", "01.00\t3.930"}));
}

TEST_F(Recv, TakeOverAfterParameterFramesWaitsForTheDevicesSettings)
{
    // A device that reports its firmware sends parameter frames first: it
    // is identified without its settings, and a parameter frame of the
    // running test reports the firmware and the limits in their place, so
    // nothing goes out...
    read(idleParam(3960));
    ASSERT_TRUE(identified());
    runLog("0\t01.00\t3.950\r\n60\t01.00\t3.940\r\n");
    read(runningParam(3935));
    read(runningParam(3934));
    EXPECT_EQ(wire(300), "");
    EXPECT_EQ(cell(0, 1, 2), "");
    // ...until a data frame brings them: Continue with 1.00 A and 3.50 V
    // (its count holds the log's 16.7 mAh: the log is this test's).
    read(running(3930, 100, 17));
    EXPECT_EQ(wire(), "FA 08 00 64 01 6E 00 00 03 F8");
    EXPECT_EQ(w->DevCtrl(0).tSval(0), "1.00");
    EXPECT_EQ(cell(0, 1, 2), "03.99V");
    EXPECT_TRUE(w->DevCtrl(0).StopEnable());
    read(running(3920));
    EXPECT_EQ(wire(300), "");
    EXPECT_EQ(logReadings(), QStringList({"01.00\t3.950", "01.00\t3.940", "01.00\t3.930", "01.00\t3.920"}));
}

TEST_F(Recv, RunThatEndsBeforeItsSettingsCameIsNotTakenOver)
{
    read(idleParam(3960));
    runLog("0\t01.00\t3.950\r\n");
    read(runningParam(3935));
    read(idle(3600));
    // A test the device runs later is a take-over of its own.
    read(runningParam(3935));
    EXPECT_EQ(wire(300), "");
    EXPECT_EQ(cell(0, 1, 2), "");
    read(running(3930));
    EXPECT_EQ(wire(), "FA 08 00 64 01 6E 00 00 03 F8");
}

TEST_F(Recv, RunningFrameOfAChannelTheDeviceHasNotGotIsNotTakenOver)
{
    // A spoilt stream: a channel-2 frame of a two-channel model names the
    // second row, then a one-channel model is identified by a running frame
    // of channel 2 (a run log of that row's name is there).
    home.write(QStringLiteral("qx-QM-13-COM3-1-2.bak"), "Time(S)\tCur(A)\tVol(V)\r\n0\t01.00\t3.950\r\n");
    read(devFrame(0, 117, {0, 3700, 0, 0, 500, 3000, 0}));
    ASSERT_EQ(cell(0, 2, 0), "QM-13");
    read(devFrame(10, 121, {100, 3930, 0, 250, 100, 350, 0}));
    ASSERT_TRUE(identified());
    ASSERT_FALSE(w->DevCtrl(0).Dev2S());
    EXPECT_EQ(wire(300), "");
    EXPECT_FALSE(errLog().contains(QLatin1String("ErrComm"))) << errLog().toStdString();
    // The device's own channel goes on as before.
    read(idle(3920));
    EXPECT_EQ(tVol().toStdString(), "03.92");
}

TEST_F(Recv, TwoChannelTakeOverWaitsUntilTheModelIsIdentified)
{
    // Channel 2 runs 0.500 A down to 3.000 V and reports first.
    home.write(QStringLiteral("qx-QM-13-COM3-1-2.bak"), "Time(S)\tCur(A)\tVol(V)\r\n0\t0.500\t3.950\r\n");
    const Bytes ch2 = devFrame(10, 117, {500, 3900, 0, 0, 500, 3000, 0});
    read(ch2);
    EXPECT_EQ(wire(300), "");
    read(devFrame(0, 17, {0, 3800, 0, 0, 250, 3000, 0}));
    ASSERT_TRUE(identified());
    read(ch2);
    EXPECT_EQ(wire(), "FA A8 02 14 0C 78 00 00 CA F8");
    EXPECT_FALSE(errLog().contains(QLatin1String("ErrComm"))) << errLog().toStdString();
}

TEST_F(Recv, ContinuedRunCountsTheCarriedChargeOnce)
{
    // The log carries 5 mAh (0.10 A for 180 s) or 10 Ah (1.00 A for 10 h);
    // the device's first count after Continue tells whether it kept
    // counting (about the same) or began again from 0.
    const struct {
        const char *what;
        QByteArray lines;
        int32_t count; // capacity pair of the first running frame after Continue
        const char *shown;
    } cases[] = {
        {"5 mAh, the device kept counting", "0\t00.10\t3.700\r\n180\t00.10\t3.700\r\n", 6, "6mAh"},
        {"5 mAh, the device began again", "0\t00.10\t3.700\r\n180\t00.10\t3.700\r\n", 2, "7mAh"},
        {"10 Ah, the device kept counting", "0\t01.00\t3.700\r\n36000\t01.00\t3.700\r\n", 32768 + 1005, "10.05Ah"},
        {"10 Ah, the device began again", "0\t01.00\t3.700\r\n36000\t01.00\t3.700\r\n", 100, "10.10Ah"},
    };
    identify();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // Stopped by the user, then continued.
        read(idle(3700));
        runLog(c.lines);
        w->DevCtrl_ContClick(0, 0);
        ASSERT_EQ(wire().substr(0, 5), "FA 08");
        read(running(3700));
        read(running(3700, 10, c.count));
        EXPECT_EQ(cell(0, 1, 4), c.shown);
    }
}

TEST_F(Recv, TestWhoseEndFrameWasLostKeepsItsLastCapacityAndLoadedVoltage)
{
    identify();
    run();
    // Loaded down to 3.001 V (the device ends at 3.000 V, in the lost frame).
    read(cat(running(3100, 100, 1200), running(3001, 100, 1500)));
    EXPECT_EQ(cell(0, 1, 4), "1500mAh");
    // The next idle frame reads 0 and the cell at rest, 3.050 V: the
    // device's count of the run and its end voltage are gone.
    read(idle(3050, 0));
    EXPECT_EQ(tVol(), "03.05");
    EXPECT_EQ(cell(0, 1, 3), "03.00V");
    EXPECT_EQ(cell(0, 1, 4), "1500mAh");
    const QStringList files = dataFiles();
    ASSERT_EQ(files.size(), 1);
    const QStringList lines = fileLines(QStringLiteral("Data/") + files[0]);
    EXPECT_TRUE(lines.contains(QStringLiteral("Cutoff Volt:03.00V"))) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Capacity:1500mAh"))) << lines.join('\n').toStdString();
}

TEST_F(Recv, CutoffVoltageOfTheEndFrameOrTheLastLoadedFrame)
{
    // Channel 2 of a two-channel device (type 17, readouts to the mV),
    // 0.50 A down to 3.00 V.
    const auto ch2 = [](int state, int32_t mv, int32_t cap) {
        return devFrame(state, 117, {state ? 500 : 0, mv, cap, 0, 500, 3000, 0});
    };
    const Bytes ch1 = devFrame(0, 17, {0, 3800, 0, 0, 250, 3000, 0});
    read(cat(ch1, ch2(0, 3700, 0)));
    ASSERT_TRUE(identified());
    const struct {
        const char *what;
        Bytes end;          // the idle frame after the last loaded one (3.001 V)
        const char *cutoff; // the result's cut-off
    } cases[] = {
        {"the end frame at 3.000 V", ch2(0, 3000, 28), "3.000V"},
        {"end frame lost, the cell rested at 3.050 V", ch2(0, 3050, 0), "3.001V"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w->DevCtrl_RunClick(0, 1));
        ASSERT_EQ(wire(), "FA A1 02 14 0C 78 00 00 C3 F8");
        read(cat(ch1, ch2(10, 3200, 20), ch2(10, 3001, 28)));
        EXPECT_EQ(info(0, 2), " Channel2: START");
        read(c.end);
        EXPECT_EQ(cell(0, 2, 3), c.cutoff);
        EXPECT_EQ(cell(0, 2, 4), "28mAh");
    }
}

TEST_F(Recv, RunningTestStartedByRunIsNotContinued)
{
    identify();
    run();
    read(running(3900));
    EXPECT_EQ(wire(300), "");
    EXPECT_EQ(cell(0, 1, 2), "03.96V");
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.00A  3.50V");
}

TEST_F(Recv, TestEndSavesTheResultFileAndShowsStop)
{
    identify();
    QDir(home.file(QStringLiteral("Data"))).removeRecursively(); // the save makes it again
    run();
    read(cat(running(3900), running(3800)));
    read(idle(3600, 1500));
    EXPECT_EQ(cell(0, 1, 3), "03.60V");
    EXPECT_EQ(cell(0, 1, 4), "1500mAh");
    const QStringList files = dataFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}(-\\d{1,2}){5}-QM-16-1-1\\.csv$")).match(files[0]).hasMatch())
        << files[0].toStdString();
    ASSERT_TRUE(frmMsgForm().isLoaded());
    EXPECT_EQ(frmMsgForm()->lblMsg->text(), "STOP");
    // The frame that ends the test is shown as the test's last reading.
    EXPECT_EQ(info(0, 1), " Device1: START");
    read(idle(3610));
    EXPECT_EQ(info(0, 1), " Device1: STOP");
    EXPECT_TRUE(w->DevCtrl(0).RunEnable());
    EXPECT_FALSE(w->DevCtrl(0).StopEnable());
    // The run's log has ended: a test the device runs later does not add to it.
    const QStringList before = logReadings();
    read(running(3700));
    EXPECT_EQ(logReadings(), before);
}

TEST_F(Recv, TwoChannelTestEndSavesItsChannelWithoutStop)
{
    read(cat(devFrame(0, 17, {0, 3800, 0, 0, 250, 3000, 0}), devFrame(0, 117, {0, 3700, 0, 0, 500, 3000, 0})));
    ASSERT_TRUE(identified());
    // Channel 2 at 0.50 A down to 3.00 V: command byte 161, 500 = 2:20, 3000 = 12:120.
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 1));
    ASSERT_EQ(wire(), "FA A1 02 14 0C 78 00 00 C3 F8");
    const auto ch2 = [](int state, int32_t mv, int32_t cap) {
        return devFrame(state, 117, {state ? 500 : 0, mv, cap, 0, 500, 3000, 0});
    };
    read(cat(devFrame(0, 17, {0, 3800, 0, 0, 250, 3000, 0}), ch2(10, 3600, 0), ch2(10, 3400, 0)));
    EXPECT_EQ(info(0, 2), " Channel2: START");
    read(ch2(0, 2990, 800));
    EXPECT_EQ(cell(0, 2, 3), "2.990V");
    EXPECT_EQ(cell(0, 2, 4), "800mAh");
    EXPECT_EQ(cell(0, 1, 3), "");
    const QStringList files = dataFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].endsWith(QLatin1String("-QM-13-1-2.csv"))) << files[0].toStdString();
    EXPECT_FALSE(frmMsgForm().isLoaded());
}

TEST_F(Recv, SetTakesTheDevicesSettingsFromTheNextTwoRunningFrames)
{
    identify();
    run();
    read(running(3900));
    DevCtrl &p = w->DevCtrl(0);
    p.set_tSval(0, QStringLiteral("2.00"));
    button(0, "cmdSet")->click();
    ASSERT_EQ(wire(), "FA 07 00 C8 01 6E 00 00 A0 F8");
    const auto withSet = [](int32_t set) { return devFrame(10, 21, {100, 3900, 0, 250, set, 350, 0}); };
    read(withSet(150));
    EXPECT_EQ(p.tSval(0), "1.50");
    read(withSet(180));
    EXPECT_EQ(p.tSval(0), "1.80");
    read(withSet(190));
    EXPECT_EQ(p.tSval(0), "1.80");
}
