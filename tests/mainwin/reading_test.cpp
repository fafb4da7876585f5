// The presentation of each reading: readouts with their number pictures,
// the information list, the result row with average voltage, capacity and
// energy, the chart, the run log, the floating readout and the USB
// tester's floating meter.
#include "ReadingFixture.h"
#include "common/StderrPipe.h"

#include "curves/CurveGraph.h"
#include "panel/LCDisp.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/Numbers.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>

using namespace qx;

namespace {

class Reading : public test::ReadingFixture {
protected:
    std::string readouts(int Index, int chn)
    {
        const DevCtrl &p = w->DevCtrl(Index);
        return (p.tVol(chn) + "|" + p.tCur(chn) + "|" + p.tPwr(chn)).toStdString();
    }
};

} // namespace

TEST_F(Reading, OneChannelRunReadoutsGridChartAndRunLog)
{
    model(0, 1); // QM-01: 5 A, 15 V, scales 100, reports a temperature
    settings(0, 0, 0, 150, 300, 0);
    runStarted(0, 0, "12.60V");

    frame(0, 0, 1, 12.34f, 1.5f, 25.3f, 0);
    EXPECT_EQ(readouts(0, 0), "12.34|01.50|18.51");
    EXPECT_EQ(info(0, 1), " Device1: START");
    EXPECT_EQ(info(0, 2), " Temp1: 25.3 ℃");
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.50A  3.00V");
    EXPECT_EQ(cell(0, 1, 4), "0mAh");
    EXPECT_EQ(cell(0, 1, 5), "0mWh");
    EXPECT_EQ(cell(0, 1, 6), ""); // no point of this run before the frame
    // The run starts at its begin voltage.
    EXPECT_EQ(points(0), "0,12.6 1,12.34");
    EXPECT_EQ(points(1), "0,1.5 1,1.5");
    EXPECT_EQ(points(2), "0,18.5 1,18.5"); // power (the temperature curve is off)
    EXPECT_EQ(points(3), "1,0 1,0");

    frame(0, 0, 2, 12.30f, 1.5f, 25.4f, 0.001f);
    EXPECT_EQ(readouts(0, 0), "12.30|01.50|18.45");
    EXPECT_EQ(cell(0, 1, 6), "12.47V"); // (12.6 + 12.34) / 2
    EXPECT_EQ(cell(0, 1, 4), "1mAh");
    EXPECT_EQ(cell(0, 1, 5), "12mWh");  // 12.47 V x 1 mAh
    frame(0, 0, 3, 12.28f, 1.49f, 25.4f, 0.0015f);
    EXPECT_EQ(cell(0, 1, 6), "12.41V");
    EXPECT_EQ(cell(0, 1, 4), "2mAh");
    EXPECT_EQ(cell(0, 1, 5), "19mWh");
    EXPECT_EQ(points(4), "1,0 1,0 2,0.012 3,0.019");

    // A temperature column once the temperature curve is chosen.
    w->menuTemp->setChecked(true);
    frame(0, 0, 4, 12.25f, 1.49f, 25.5f, 0.002f);
    EXPECT_EQ(points(2).substr(points(2).rfind(' ') + 1), "4,25.5");

    const QStringList expected = {"-----------QX Tester Software------------",
                                  "Device:QM-01",
                                  "Mode:D-CC  1.50A  3.00V",
                                  "Begin Volt:12.60V",
                                  "------------Run Log--------------",
                                  "Time(S)\tCur(A)\tVol(V)",
                                  "1\t01.50\t12.340",
                                  "2\t01.50\t12.300",
                                  "3\t01.49\t12.280",
                                  "4\t01.49\t12.250\t25.5",
                                  ""};
    const QStringList lines = fileLines(QStringLiteral("qx-QM-01-COM3-1-1.bak"));
    ASSERT_EQ(lines.size(), expected.size()) << lines.join('|').toStdString();
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i].toStdString(), expected[i].toStdString()) << "line " << i + 1;

    // Idle frames: readouts and the list change, nothing else.
    Running[0][0] = false;
    w->DevCtrl(0).set_TmrCurveEnable(0, false);
    chan(0, 0).BakName.clear();
    frame(0, 0, 5, 12.9f, 0, 25.0f, 0.002f);
    EXPECT_EQ(readouts(0, 0), "12.90|00.00|00.00");
    EXPECT_EQ(info(0, 1), " Device1: STOP");
    EXPECT_EQ(cell(0, 1, 6), "12.38V"); // as the last running frame left it
    EXPECT_EQ(w->CurveGraph(0).DpCnt(0), 5);
    EXPECT_EQ(fileLines(QStringLiteral("qx-QM-01-COM3-1-1.bak")).size(), expected.size());
    EXPECT_TRUE(errLog().isEmpty()) << errLog().toStdString();
}

TEST_F(Reading, TwoChannelModelWritesOneLinePerChannel)
{
    model(0, 17); // QM-13: two channels, 2.5 A, 15 V, scales 1000
    settings(0, 0, 0, 1234, 3000, 0);
    settings(0, 1, 0, 500, 3000, 0);
    runStarted(0, 0, "3.900V");

    frame(0, 0, 1, 3.7f, 1.234f, 40.0f, 0);
    frame(0, 1, 1, 12.345f, 0, 40.0f, 0);
    EXPECT_EQ(readouts(0, 0), "3.700|1.234|04.57");
    EXPECT_EQ(readouts(0, 1), "12.35|0.000|00.00");
    EXPECT_EQ(info(0, 1), " Channel1: START");
    EXPECT_EQ(info(0, 2), " Channel2: STOP"); // no temperature line
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.23A  3.00V");
    EXPECT_EQ(cell(0, 2, 1), "");
    EXPECT_EQ(points(0), "0,3.9 1,3.7");
    EXPECT_EQ(w->CurveGraph(0).DpCnt(5), 0); // channel 2 neither runs nor is monitored

    frame(0, 0, 2, 3.68f, 1.234f, 0, 0.0007f);
    EXPECT_EQ(cell(0, 1, 6), "3.80V");
    EXPECT_EQ(cell(0, 1, 4), "1mAh");
    EXPECT_EQ(cell(0, 1, 5), "3mWh");
    EXPECT_EQ(cell(0, 2, 4), "0mAh");
    const QStringList lines = fileLines(QStringLiteral("qx-QM-13-COM3-1-1.bak"));
    ASSERT_GE(lines.size(), 8);
    EXPECT_EQ(lines[5].toStdString(), "Time(S)\tCur(A)\tVol(V)");
    EXPECT_EQ(lines[6].toStdString(), "1\t1.234\t3.700");
    EXPECT_EQ(lines[7].toStdString(), "2\t1.234\t3.680");
}

TEST_F(Reading, NumberPicturesOfTheReadouts)
{
    struct Case {
        int type, volScale, curScale;
        float vol, cur;
        const char *shown; // voltage|current|power
    };
    const Case cases[] = {
        {7, 100, 100, 4.49f, 0.0f, "4.490|00.00|00.00"},
        {7, 100, 100, 4.50f, 0.0f, "04.50|00.00|00.00"},
        {21, 100, 100, 4.49f, 0.0f, "04.49|00.00|00.00"},
        {21, 100, 100, 100.0f, 0.0f, "100.0|00.00|00.00"},
        {24, 100, 1000, 3.0f, 1.2346f, "3.000|1.235|03.70"},
        {17, 1000, 1000, 9.998f, 0.0f, "9.998|0.000|00.00"},
        {17, 1000, 1000, 9.999f, 0.0f, "10.00|0.000|00.00"},
        {26, 100, 1000, 5.123f, 0.0f, "5.123|0.000|00.00"},
        {21, 100, 100, 10.0f, 9.999f, "10.00|10.00|99.99"},
        {21, 100, 100, 10.0f, 10.0f, "10.00|10.00|100.0"},
        {21, 100, 100, 100.0f, 10.0f, "100.0|10.00|1000"},
        {21, 100, 100, 12.0f, 12.346f, "12.00|12.35|148.2"},
        {38, 100, 100, 12.0f, 12.346f, "12.00|12.35|148.2"},
        {38, 100, 100, 1.0f, 123.46f, "1.000|123.5|123.5"},
        {40, 100, 100, 1.0f, 123.46f, "1.000|123.5|123.5"},
    };
    for (const Case &c : cases) {
        DevType[0] = c.type;
        VolScale[0] = c.volScale;
        CurScale[0] = c.curScale;
        MaxVol[0] = 500;
        MaxCur[0] = 500;
        frame(0, 0, 0, c.vol, c.cur);
        EXPECT_EQ(readouts(0, 0), c.shown) << c.type << " " << c.vol << " " << c.cur;
    }
}

TEST_F(Reading, ReadingsBeyondTheLimitsAreDroppedWithOneLogLine)
{
    model(0, 1);
    settings(0, 0, 0, 150, 300, 0);
    runStarted(0, 0, "12.60V");
    frame(0, 0, 1, 12.0f, 1.0f, 100.0f, 0); // exactly 100 degrees is shown
    EXPECT_EQ(info(0, 2), " Temp1: 100.0 ℃");
    const int points = w->CurveGraph(0).DpCnt(0);

    frame(0, 0, 2, 15.01f, 1.2f, 25, 0);
    frame(0, 0, 3, 12.0f, 5.5f, 25, 0);
    frame(0, 0, 4, 12.0f, 1.0f, 100.1f, 0);
    EXPECT_EQ(readouts(0, 0), "12.00|01.00|12.00");
    EXPECT_EQ(info(0, 2), " Temp1: 100.0 ℃");
    EXPECT_EQ(w->CurveGraph(0).DpCnt(0), points);
    EXPECT_EQ(fileLines(QStringLiteral("qx-QM-01-COM3-1-1.bak")).size(), 8);
    const QStringList log = errLines();
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[0].endsWith(" V1.8.9:[ErrData0 15.01-15 1.2-5]")) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith("[ErrData0 12-15 5.5-5]")) << log[1].toStdString();
    EXPECT_TRUE(log[2].endsWith("[ErrData0 12-15 1-5]")) << log[2].toStdString();
}

TEST_F(Reading, ListAndVersionTextOfTheRightDevice)
{
    model(0, 1);
    model(1, 21);
    Running[1][0] = true;
    DevVer[0] = 320;
    frame(1, 0, 0, 12.0f, 1.0f);
    EXPECT_EQ(info(1, 1), " Device2: START"); // the reporting device's list
    EXPECT_EQ(info(0, 1), "");
    EXPECT_EQ(w->VerText.toStdString(), "V3.20"); // the selected device's version
    DevVer[0] = 0;
    frame(1, 0, 0, 12.0f, 1.0f);
    EXPECT_EQ(w->VerText.toStdString(), "");
    // A step program on the selected device keeps the text.
    DevVer[0] = 311;
    dev(0).Chained = true;
    frame(1, 0, 0, 12.0f, 1.0f);
    EXPECT_EQ(w->VerText.toStdString(), "");
    dev(0).Chained = false;
    frame(1, 0, 0, 12.0f, 1.0f);
    EXPECT_EQ(w->VerText.toStdString(), "V3.11");
}

TEST_F(Reading, EnergyNeverFallsDuringARun)
{
    model(0, 21);
    settings(0, 0, 0, 100, 1000, 0);
    runStarted(0, 0, "12.00V");
    frame(0, 0, 1, 12.0f, 1.0f, 0, 0);
    frame(0, 0, 2, 12.0f, 1.0f, 0, 1.0f);
    EXPECT_EQ(cell(0, 1, 5), "12.00Wh");
    frame(0, 0, 3, 6.0f, 1.0f, 0, 1.0f);
    frame(0, 0, 4, 6.0f, 1.0f, 0, 1.0f); // average 10.5 V: 10.5 Wh < 12 Wh
    EXPECT_EQ(cell(0, 1, 6), "10.50V");
    EXPECT_EQ(cell(0, 1, 5), "12.00Wh");
    frame(0, 0, 5, 6.0f, 1.0f, 0, 10.0f);
    EXPECT_EQ(cell(0, 1, 6), "9.60V");
    EXPECT_EQ(cell(0, 1, 4), "10.00Ah");
    EXPECT_EQ(cell(0, 1, 5), "96.00Wh");
}

TEST_F(Reading, UsbTesterIntegratesItsCapacity)
{
    model(0, 26, 320);
    settings(0, 0, 0, 1000, 400, 0);
    runStarted(0, 0, "5.100V");
    frame(0, 0, 1, 5.1f, 1.0f);
    frame(0, 0, 3601, 5.1f, 1.0f); // one hour at 1 A since the last integration
    EXPECT_EQ(cell(0, 1, 4), "1000mAh");
    frame(0, 0, 3601, 5.1f, 2.0f); // no time passed: nothing added
    EXPECT_EQ(cell(0, 1, 4), "1000mAh");
    frame(0, 0, 5401, 5.1f, 2.0f);
    EXPECT_EQ(cell(0, 1, 4), "2000mAh");
}

TEST_F(Reading, ARunLogThatCannotBeWrittenIsToldOnceAndTheRestGoesOn)
{
    model(0, 1);
    settings(0, 0, 0, 150, 300, 0);
    runStarted(0, 0, "12.60V");
    chan(0, 0).BakName = home.file(QStringLiteral("no-such-folder/qx-QM-01-COM3-1-1"));
    w->Minimized = 1;
    test::StderrPipe err;
    frame(0, 0, 1, 12.34f, 1.5f, 25, 0);
    frame(0, 0, 2, 12.30f, 1.5f, 25, 0.001f);
    frame(0, 0, 3, 12.28f, 1.5f, 25, 0.002f);
    EXPECT_EQ(info(0, 5), " Device1: Run log not saved");
    EXPECT_EQ(err.linesWith("not saved"),
              QStringList{"qx-tester: Device1: Run log not saved: " +
                          home.file("no-such-folder/qx-QM-01-COM3-1-1.bak") + ": No such file or directory"});
    EXPECT_EQ(readouts(0, 0), "12.28|01.50|18.42");
    EXPECT_EQ(cell(0, 1, 4), "2mAh");
    EXPECT_EQ(cell(0, 1, 5), "25mWh");
    EXPECT_EQ(frmDispForm()->lcdD1M->Value().toStdString(), "0.002");
    const QStringList log = errLines();
    ASSERT_EQ(log.size(), 1) << errLog().toStdString();
    EXPECT_TRUE(log[0].contains("[ErrBak]"));

    // The next run starts clear and tells its failure again.
    w->WriteRunLogHeader(0, 0);
    EXPECT_EQ(info(0, 5), "");
    chan(0, 0).BakName = home.file(QStringLiteral("no-such-folder/x"));
    frame(0, 0, 1, 12.34f, 1.5f, 25, 0);
    EXPECT_EQ(errLines().size(), 2);
    EXPECT_EQ(info(0, 5), " Device1: Run log not saved");
    EXPECT_EQ(err.linesWith("not saved").size(), 1);
}

TEST_F(Reading, ARunLogNotSavedOnChannelTwoIsBroughtIntoView)
{
    w->show(); // at its starting size the information list shows five or six lines
    QCoreApplication::processEvents();
    model(0, 17);
    runStarted(0, 1, "3.80V");
    chan(0, 1).BakName = home.file(QStringLiteral("no-such-folder/qx-QM-13-COM3-1-2"));
    frame(0, 1, 1, 3.7f, 0.5f);
    EXPECT_EQ(info(0, 6), " Channel2: Run log not saved");
    const QListWidget &list = w->lstInfo(0);
    EXPECT_TRUE(list.viewport()->rect().contains(list.visualItemRect(list.item(6))));
    EXPECT_EQ(info(0, 5), "");
}

TEST_F(Reading, FloatingReadoutMirrorsTheSelectedDeviceWhileMinimised)
{
    model(0, 1);
    model(1, 21);
    frame(0, 0, 0, 12.5f, 1.25f);
    chan(0, 0).Cap = 123.45f;
    chan(0, 0).Energy = 12.5f;
    frame(1, 0, 0, 30.0f, 2.0f); // not minimised: the floating readout is not touched
    EXPECT_FALSE(frmDispForm().isLoaded());

    w->Minimized = 1;
    frame(1, 0, 0, 30.0f, 2.0f);
    frmDisp &d = frmDispForm().get();
    EXPECT_FALSE(d.isVisible()); // written, not shown
    EXPECT_EQ(d.lblTitle->text().toStdString(), "QM-01");
    EXPECT_EQ(d.lcdVolM->Value().toStdString(), "12.50");
    EXPECT_EQ(d.lcdCurM->Value().toStdString(), "01.25");
    EXPECT_EQ(d.lcdPwrM->Value().toStdString(), "15.63");
    EXPECT_EQ(d.lcdD1M->Value().toStdString(), "123.5");
    EXPECT_EQ(d.lcdD2M->Value().toStdString(), "12.50");
    chan(0, 0).Cap = 10.0f;
    chan(0, 0).Energy = 0.5f;
    frame(1, 0, 0, 30.0f, 2.0f);
    EXPECT_EQ(d.lcdD1M->Value().toStdString(), "10.000");
    EXPECT_EQ(d.lcdD2M->Value().toStdString(), "0.500");
}

TEST_F(Reading, FloatingMeterOfTheUsbTester)
{
    model(0, 26, 320); // mode 1 is "Meter"
    model(1, 1);
    dev(0).ParCount = 2;
    chan(0, 0).Mode = 1;
    const auto meterFrame = [&] {
        ChannelState &c = chan(0, 0);
        c.CurFine = 1.2345f;
        c.UsbDp = 0.6f;
        c.UsbDm = 2.7f;
        frame(0, 0, 0, 5.1f, 1.234f);
    };
    meterFrame();
    ASSERT_TRUE(MeterOpen);
    frmMeter &m = frmMeterForm().get();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.lcdCurM->Value().toStdString(), "1.2345");
    EXPECT_EQ(m.lcdVolM->Value().toStdString(), "05.100");
    EXPECT_EQ(m.lcdPwrM->Value().toStdString(), "06.296");
    EXPECT_EQ(m.lcdD1M->Value().toStdString(), "0.600");
    EXPECT_EQ(m.lcdD2M->Value().toStdString(), "2.700");
    UsbOpen = true;
    meterFrame();
    EXPECT_EQ(m.lcdD1M->Value().toStdString(), "-.---");
    EXPECT_EQ(m.lcdD2M->Value().toStdString(), "-.---");
    UsbOpen = false;

    // Another device's frames while the tester's tab is selected: no flicker.
    frame(1, 0, 0, 12.0f, 1.0f);
    EXPECT_TRUE(m.isVisible());
    // That device selected: its frames hide the meter, it stays loaded.
    CurDev = 1;
    frame(1, 0, 0, 12.0f, 1.0f);
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(MeterOpen);
    meterFrame(); // the tester is not the selected device: stays hidden
    EXPECT_FALSE(m.isVisible());
    // Back on the tester's tab, its own frames bring the meter back.
    CurDev = 0;
    meterFrame();
    EXPECT_TRUE(frmMeterForm()->isVisible());

    // A frame in another mode unloads it.
    chan(0, 0).Mode = 0;
    frame(0, 0, 0, 5.1f, 1.0f);
    EXPECT_FALSE(MeterOpen);
    EXPECT_FALSE(frmMeterForm().isLoaded());

    // Before the second parameter frame a meter frame loads it hidden.
    dev(0).ParCount = 1;
    chan(0, 0).Mode = 1;
    meterFrame();
    EXPECT_TRUE(MeterOpen);
    EXPECT_FALSE(frmMeterForm()->isVisible());

    // An older tester firmware has no meter.
    frmMeterForm().unload();
    dev(0).ParCount = 2;
    DevVer[0] = 311;
    meterFrame();
    EXPECT_FALSE(MeterOpen);
}
