#include "common/ErrorCode.h"
#include "services/State.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

// Dirties one item of every kind, in several slots.
void scribble()
{
    for (int i = 0; i < DevSlots; ++i) {
        PortHandle[i] = 7;
        DevType[i] = 26;
        DevVer[i] = 40000; // above a 16-bit limit on purpose
        MaxCur[i] = MaxVol[i] = MinCur[i] = MinVol[i] = 1.5f;
        VolScale[i] = CurScale[i] = 1000;
        PwrScale[i] = LastDisMode[i] = LastChgMode[i] = 3;
        CvFlag[i] = true;
        dev(i).RxBuf[18] = 0xEF;
        dev(i).StepOn = true;
        dev(i).AutoCur = 2.5f;
        dev(i).PlotVMax = 9;
        for (int c = 0; c < ChnSlots; ++c) {
            Running[i][c] = true;
            TestSecs[i][c].fetch_add(5);
            TotalSecs[i][c].store(99);
            TickFlag[i][c] = 1;
            TickId[i][c] = 4;
            RunStartPt[i][c] = 12;
            chan(i, c).BakName = QStringLiteral("x");
            chan(i, c).Mode = 2;
            chan(i, c).SetVal = 70000;
        }
    }
    CurDev = 9;
    DevCount = 10;
    DlgDone = AdjOpen = MeterOpen = UsbOpen = true;
    ResVolt = 1.2f;
    LangTrad = 1;
    IniFile = QStringLiteral("/x/qx.ini");
    OptSave = OptHide = OptMsg = OptDisp = OptCsv = OptXTime = true;
    OptCsvT = OptSla = OptScale = OptSah = OptSwh = 1;
}

} // namespace

TEST(State, ProgramStartValues)
{
    scribble();
    resetState();
    EXPECT_FLOAT_EQ(MaxCur[0], 10.0f);
    EXPECT_FLOAT_EQ(MaxVol[0], 60.0f);
    EXPECT_EQ(CurScale[0], 100);
    EXPECT_EQ(VolScale[0], 100);
    EXPECT_EQ(DevCount, 1);
    EXPECT_EQ(CurDev, 0);
    // Added slots keep zeros until their model row arrives.
    for (int i = 1; i < DevSlots; ++i) {
        EXPECT_EQ(MaxCur[i], 0.0f) << i;
        EXPECT_EQ(CurScale[i], 0) << i;
    }
    for (int i = 0; i < DevSlots; ++i) {
        EXPECT_EQ(PortHandle[i], 0);
        EXPECT_EQ(DevType[i], 0);
        EXPECT_EQ(DevVer[i], 0);
        EXPECT_FALSE(CvFlag[i]);
        EXPECT_EQ(dev(i).RxBuf[18], 0);
        EXPECT_FALSE(dev(i).StepOn);
        EXPECT_EQ(dev(i).AutoCur, 0.0f);
        EXPECT_EQ(dev(i).PlotVMax, 0.0f);
        EXPECT_EQ(dev(i).RxMax, 0);
        for (int c = 0; c < ChnSlots; ++c) {
            EXPECT_FALSE(Running[i][c]);
            EXPECT_EQ(TestSecs[i][c].load(), 0);
            EXPECT_EQ(TotalSecs[i][c].load(), 0);
            EXPECT_EQ(TickFlag[i][c].load(), 0);
            EXPECT_EQ(TickId[i][c].load(), 0);
            EXPECT_EQ(RunStartPt[i][c], 0);
            EXPECT_TRUE(chan(i, c).BakName.isEmpty());
            EXPECT_EQ(chan(i, c).Mode, 0);
            EXPECT_EQ(chan(i, c).SetVal, 0);
        }
    }
    EXPECT_FALSE(DlgDone || AdjOpen || MeterOpen || UsbOpen);
    EXPECT_EQ(ResVolt, 0.0f);
    EXPECT_EQ(LangTrad, 0);
    EXPECT_TRUE(IniFile.isEmpty());
    EXPECT_FALSE(OptSave || OptHide || OptMsg || OptDisp || OptCsv || OptXTime);
    EXPECT_EQ(OptCsvT + OptSla + OptScale + OptSah + OptSwh, 0);
}

TEST(State, StartUpValuesTouchOnlyTheirItems)
{
    resetState();
    DevType[0] = 10;
    MaxCur[0] = 3;
    dev(0).PlotIMax = 4;
    dev(0).CurveMaxT = 100;
    chan(0, 0).Mode = 2;
    chan(0, 1).Mode = 3;
    CurDev = 4;
    applyStartValues();
    EXPECT_EQ(DevType[0], 10);
    EXPECT_FLOAT_EQ(MaxCur[0], 10.0f);
    EXPECT_EQ(dev(0).PlotIMax, 0.0f);
    EXPECT_EQ(dev(0).CurveMaxT, 0);
    EXPECT_EQ(chan(0, 0).Mode, 0);
    EXPECT_EQ(chan(0, 1).Mode, 3);
    EXPECT_EQ(CurDev, 0);
}

TEST(State, IndexesOutsideTheTablesAreRefused)
{
    resetState();
    auto subscript = [](std::function<void()> f) { return qx::test::errorCode(f) == ErrSubscript; };
    EXPECT_TRUE(subscript([] { (void)DevType[-1]; }));
    EXPECT_TRUE(subscript([] { (void)DevType[11]; }));
    EXPECT_TRUE(subscript([] { (void)Running[11][0]; }));
    EXPECT_TRUE(subscript([] { (void)TestSecs[0][2]; }));
    EXPECT_TRUE(subscript([] { (void)TotalSecs[0][-1]; }));
    EXPECT_TRUE(subscript([] { (void)dev(11); }));
    EXPECT_TRUE(subscript([] { (void)chan(10, 2); }));
    EXPECT_TRUE(subscript([] { (void)chan(-1, 0); }));
    // The last slots exist.
    DevType[10] = 5;
    TestSecs[10][1].store(3);
    chan(10, 1).Vol = 1;
    EXPECT_EQ(DevType[10], 5);
    EXPECT_EQ(TestSecs[10][1].load(), 3);
}
