// Identification of a device by the type code of its frames, and the
// parameter frames that refine it: what the panel, the chart, the result
// grid, the menus and the device's tables show afterwards.
#include "MainFixture.h"
#include "ModelSetup.h"

#include "curves/CurveGraph.h"
#include "link/Frames.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QTimer>

using namespace qx;

namespace {

Frames::DevBytes frame(int status, int typeByte, std::array<int32_t, 7> pairs = {})
{
    return test::devBytes(status, typeByte, pairs);
}

// A parameter frame reporting version ver, limits vol and cur in raw units.
Frames::DevBytes param(int typeByte, int32_t ver, int32_t vol = 3000, int32_t cur = 1000, int status = 100)
{
    return frame(status, typeByte, {0, 0, 0, 0, ver, vol, cur});
}

QStringList modes(const DevCtrl &p)
{
    QStringList l;
    for (int i = 0; i < p.ModeCnt(); ++i)
        l << p.ModeTxt(i);
    return l;
}

// "key:caption" of every page of the panel.
QStringList pages(const DevCtrl &p)
{
    const auto *tabs = p.findChild<KeyedTabBar *>(QStringLiteral("tabDev"));
    QStringList l;
    for (int i = 1; i <= tabs->Count(); ++i)
        l << tabs->Key(i) + ':' + tabs->Caption(i);
    return l;
}

class Identify : public test::MainFixture {
protected:
    frmMain &w = load();
    DevCtrl &p = w.DevCtrl(0);

    // Connect's part in a new identification.
    void connectStart(int Index = 0)
    {
        DevVer[Index] = 0;
        dev(Index).ParCount = 0;
        w.IdentifyStart(Index);
        w.tmrConn(Index).start();
    }
    // A valid frame as the receive routine hands it on while identifying.
    bool receive(const Frames::DevBytes &b, int Index = 0)
    {
        const int chn = b[15] / 100;
        bool identified = true;
        if (w.tmrConn(Index).isActive())
            identified = w.IdentifyModel(Index, chn, b);
        if (identified && b[0] / 100 == 1)
            w.ParamFrame(Index, chn, b);
        return identified;
    }
    QString name(int row) const { return w.gridRun(0).TextMatrix(row, 0); }
};

} // namespace

TEST_F(Identify, TableOfTypes)
{
    struct Case {
        const char *what;
        Frames::DevBytes frame;
        QStringList modes;
        QStringList pages;
        QString name; // "old": the cell kept its text
        float maxCur, maxVol, minCur, minVol; // 7.5 / 42: kept
        int curScale, volScale, pwrScale, lastDis, lastChg;
        bool cv, temp, res;
        QString axis;
    };
    const QStringList p123{"key1:Single Test", "key2:Auto Test", "key3:Cycle Test"};
    const QStringList p12{"key1:Single Test", "key2:Auto Test"};
    const QStringList p13{"key1:Single Test", "key3:Cycle Test"};
    const QStringList p1{"key1:Single Test"};
    const Case cases[] = {
        {"type 1", frame(0, 1), {"D-CC", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV"}, p123,
         "QM-01", 5, 15, 0.1f, 0.8f, 100, 100, 1, 0, 6, false, true, true, "[A]"},
        {"type 8: two pages, the second one Cycle Test", frame(0, 8), {"D-CC", "C-CV"}, p13,
         "QM-06", 10, 20, 0.1f, 0.8f, 100, 100, 1, 0, 1, true, false, true, "[A]"},
        {"type 19", frame(0, 19), {"D-CC", "D-CP"}, p12,
         "QM-15", 20, 30, 0.1f, 0, 100, 100, 1, 1, 1, false, false, true, "[A]"},
        {"type 26 by a data frame right after connect", frame(0, 26), {"D-CC", "Meter"}, p12,
         "QM-21", 4, 13.5f, 0.03f, 0, 1000, 100, 1, 0, 0, false, false, false, "[A]"},
        {"type 26 by a parameter frame reporting 320", param(26, 320, 2100, 4000), {"D-CC", "Meter"}, p12,
         "QM-20", 4, 21, 0.01f, 0, 1000, 100, 1, 0, 0, false, false, false, "[A]"},
        {"type 40", frame(0, 40), {"D-CC", "C-CV"}, p13,
         "QM-34", 50, 30, 0.001f, 0, 1000, 100, 1, 0, 1, true, false, false, "[A]"},
        {"type 41: two modes, three discharge", frame(0, 41), {"D-CC", "D-CV"}, p12,
         "QM-35", 5, 100, 0.1f, 0, 1000, 100, 1, 2, 0, false, false, false, "[A]"},
        {"type 43: no row", frame(0, 43), {"D-CC"}, p1,
         "old", 7.5f, 42, 0.1f, 0.8f, 100, 100, 1, 0, 0, false, false, false, "[A]"},
        {"type 51: meter in mA", frame(0, 51), {"Meter"}, p1,
         "old", 7.5f, 42, 0.1f, 0.8f, 100, 100, 1, 0, 0, false, false, false, "[mA]"},
        {"type 5: name from the parameter frame only", frame(0, 5),
         {"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-LiPo", "C-LiFe", "C-PB", "C-CV", "DC5V"}, p123,
         "old", 5, 30, 0.06f, 0, 1000, 100, 10, 1, 7, true, false, true, "[A]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        // What an earlier device left behind.
        MaxCur[0] = 7.5f;
        MaxVol[0] = 42;
        DevVer[0] = 0;
        w.gridRun(0).set_TextMatrix(1, 0, "old");
        w.CurveGraph(0).set_AxesY1Txt("[x]");
        connectStart();
        ASSERT_TRUE(w.IdentifyModel(0, 0, c.frame));

        EXPECT_FALSE(w.tmrConn(0).isActive());
        EXPECT_FALSE(p.Dev2S());
        EXPECT_EQ(modes(p), c.modes);
        EXPECT_EQ(pages(p), c.pages);
        EXPECT_EQ(name(1), c.name);
        EXPECT_FLOAT_EQ(MaxCur[0], c.maxCur);
        EXPECT_FLOAT_EQ(MaxVol[0], c.maxVol);
        EXPECT_FLOAT_EQ(MinCur[0], c.minCur);
        EXPECT_FLOAT_EQ(MinVol[0], c.minVol);
        EXPECT_EQ(CurScale[0], c.curScale);
        EXPECT_EQ(VolScale[0], c.volScale);
        EXPECT_EQ(PwrScale[0], c.pwrScale);
        EXPECT_EQ(LastDisMode[0], c.lastDis);
        EXPECT_EQ(LastChgMode[0], c.lastChg);
        EXPECT_EQ(CvFlag[0], c.cv);
        EXPECT_EQ(dev(0).HasTemp, c.temp);
        EXPECT_EQ(w.menuRes->isVisible(), c.res);
        EXPECT_FALSE(w.menuQc->isVisible());
        EXPECT_EQ(w.CurveGraph(0).AxesY1Txt(), c.axis);
    }
}

TEST_F(Identify, TypeZeroIdentifiesNothing)
{
    connectStart();
    EXPECT_FALSE(receive(frame(0, 100)));
    EXPECT_EQ(DevType[0], 0);
    EXPECT_TRUE(w.tmrConn(0).isActive());
    EXPECT_EQ(modes(p), QStringList{"No Device"});
    EXPECT_EQ(name(1), "No Device");
}

TEST_F(Identify, SharedMenusFollowTheModels)
{
    connectStart();
    receive(frame(0, 26));
    EXPECT_TRUE(w.menuUsb->isVisible());
    EXPECT_FALSE(w.menuTemp->isVisible());
    EXPECT_FALSE(w.menuRes->isVisible());
    connectStart();
    receive(frame(0, 1));
    EXPECT_TRUE(w.menuTemp->isVisible());
    EXPECT_TRUE(w.menuRes->isVisible());
    // Once shown, the temperature and quick-charge entries stay.
    connectStart();
    receive(frame(0, 21));
    EXPECT_TRUE(w.menuTemp->isVisible());
    EXPECT_TRUE(w.menuUsb->isVisible());
    EXPECT_FALSE(w.menuRes->isVisible());
    EXPECT_FALSE(dev(0).HasTemp);
}

TEST_F(Identify, FrameValuesOfTheIdentifyingFrame)
{
    // Data frame: mode digit and set values; capacity with a carried-over offset.
    struct Case {
        int32_t capPair;
        float cap;
    } cases[] = {{10500, 10.5f}, {2000, 12}, {9000, 9}, {8000, 18}, {21000, 21}};
    for (const Case &c : cases) {
        chan(0, 0).CapOffset = 10;
        chan(0, 0).CapBase = 0;
        chan(0, 0).CapResume = true;
        DevType[0] = 0;
        connectStart();
        receive(frame(13, 7, {0, 0, c.capPair, 0, 1500, 420, 57599}));
        EXPECT_FLOAT_EQ(chan(0, 0).Cap, c.cap) << c.capPair;
        EXPECT_FALSE(chan(0, 0).CapResume);
    }
    EXPECT_EQ(chan(0, 0).Mode, 3);
    EXPECT_EQ(chan(0, 0).SetVal, 1500);
    EXPECT_EQ(chan(0, 0).SetLmt, 420);
    EXPECT_EQ(chan(0, 0).SetTim, 57599);

    // A USB tester's capacity field is its D+ voltage (here 0.6 V), no
    // capacity: identified for the first time or once more.
    DevType[0] = 0;
    chan(0, 0).Cap = 0;
    connectStart();
    receive(frame(0, 26, {0, 0, 600, 0, 0, 0, 0}));
    EXPECT_EQ(w.gridRun(0).TextMatrix(1, 4).toStdString(), "0mAh");
    chan(0, 0).Cap = 1.25f;
    connectStart();
    receive(frame(0, 26, {0, 0, 4000, 0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(chan(0, 0).Cap, 1.25f);

    // Parameter frames count twice when they identify; a status of 200 or
    // more counts in identification only.
    connectStart();
    receive(param(1, 301));
    EXPECT_EQ(dev(0).ParCount, 2);
    EXPECT_EQ(DevVer[0], 301);
    connectStart();
    receive(param(1, 305, 3000, 1000, 205));
    EXPECT_EQ(dev(0).ParCount, 1);
    EXPECT_EQ(DevVer[0], 305);
}

TEST_F(Identify, TwoChannelModelIdentifiedOnBothChannels)
{
    connectStart();
    receive(frame(0, 17));
    receive(frame(1, 17));
    EXPECT_TRUE(w.tmrConn(0).isActive());
    EXPECT_TRUE(p.Dev2S());
    EXPECT_EQ(modes(p), (QStringList{"D-CC", "D-CP"}));
    EXPECT_EQ(pages(p), (QStringList{"key1:Single Test", "key2:Auto Test"}));
    EXPECT_EQ(w.CurveGraph(0).CurveCount(), 10);
    EXPECT_EQ(name(1), "QM-13");
    EXPECT_EQ(name(2), "No Device");
    EXPECT_EQ(chan(0, 0).Mode, 1);

    receive(frame(0, 117));
    EXPECT_FALSE(w.tmrConn(0).isActive());
    EXPECT_EQ(name(2), "QM-13");
    EXPECT_EQ(modes(p), (QStringList{"D-CC", "D-CP"}));
    EXPECT_FLOAT_EQ(MaxCur[0], 2.5f);
    EXPECT_EQ(VolScale[0], 1000);
}

TEST_F(Identify, TwoChannelModelWhoseFirstFrameIsChannelOne)
{
    connectStart();
    receive(frame(1, 118));
    // Channel 1 alone does not complete the set-up.
    EXPECT_TRUE(w.tmrConn(0).isActive());
    EXPECT_TRUE(p.Dev2S());
    EXPECT_EQ(name(2), "QM-14");
    EXPECT_EQ(p.tAutoC2(), "");

    receive(frame(0, 18));
    EXPECT_FALSE(w.tmrConn(0).isActive());
    EXPECT_EQ(modes(p), (QStringList{"D-CC", "D-CP"}));
    EXPECT_EQ(pages(p), (QStringList{"key1:Single Test", "key2:Auto Test"}));
    EXPECT_EQ(w.CurveGraph(0).CurveCount(), 10);
    EXPECT_EQ(name(1), "QM-14");
    EXPECT_EQ(name(2), "QM-14");
    EXPECT_EQ(p.tAutoC2(), "0.1"); // the automatic page's lists for 5 A
    // channel 1's mode box shows its own mode from its frame
    EXPECT_EQ(chan(0, 1).Mode, 1);

    // A new connect identifies again from the start.
    connectStart();
    receive(frame(0, 18));
    EXPECT_TRUE(w.tmrConn(0).isActive());
    receive(frame(0, 118));
    EXPECT_FALSE(w.tmrConn(0).isActive());
}

TEST_F(Identify, ModeFieldsWaitForTheParameterFrameOnTypes9_10_38)
{
    for (int type : {7, 9, 10, 38, 21}) {
        p.set_lSval(0, "unset");
        connectStart();
        receive(frame(0, type));
        const bool laidOut = p.lSval(0) != "unset";
        EXPECT_EQ(laidOut, type == 7 || type == 21) << type;
    }
}

TEST_F(Identify, ParameterFrameRefinesNameAndModes)
{
    struct Case {
        int type, ver;
        QString name;
        QStringList modes; // empty: as identification built them
        float maxCur;      // the frame's 1000 at the model's current scale
    };
    // Every model here has the voltage scale 100: the frame's 3000 is 30 V.
    // The current scale is 1000 for types 5, 25 and 26 (1.000 A), else 100 (10.00 A).
    const Case cases[] = {
        {5, 302, "QM-37", {"D-CC", "D-CP", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV", "Meter"}, 1},
        {5, 301, "QM-38", {}, 1},
        {6, 310, "QM-48", {}, 10},
        {6, 311, "QM-49", {}, 10},
        {9, 311, "QM-39", {"D-CC", "C-CV"}, 10},
        {9, 310, "QM-40", {}, 10},
        {10, 311, "QM-41", {"D-CC", "C-CV"}, 10},
        {10, 300, "QM-42", {}, 10},
        {20, 310, "QM-46", {}, 10},
        {20, 320, "QM-47", {}, 10},
        {25, 310, "QM-43", {"D-CC", "Meter"}, 1},
        {25, 315, "QM-44", {}, 1},
        {25, 316, "QM-45", {}, 1},
        {38, 310, "QM-50", {}, 10},
        {38, 320, "QM-51", {}, 10},
        {38, 311, "QM-32", {"D-CC", "C-CV"}, 10},
        {38, 312, "QM-52", {}, 10},
        {1, 302, "QM-01", {}, 10},
        {26, 330, "QM-21", {}, 1}, // named once, by the version known at identification
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " version " << c.ver);
        connectStart();
        receive(frame(0, c.type));
        const QStringList identified = modes(p);
        receive(param(c.type, c.ver, 3000, 1000));
        EXPECT_EQ(name(1), c.name);
        EXPECT_EQ(modes(p), c.modes.isEmpty() ? identified : c.modes);
        EXPECT_EQ(DevVer[0], c.ver);
        EXPECT_FLOAT_EQ(MaxVol[0], 30.0f);
        EXPECT_FLOAT_EQ(MaxCur[0], c.maxCur);
    }
}

TEST_F(Identify, RebuildHappensOncePerIdentification)
{
    // Type 5 at 3.02, identified by that parameter frame itself: rebuilt at
    // once, the channel's mode selected, the lowest current lowered.
    connectStart();
    receive(param(5, 302, 3000, 5000, 103));
    EXPECT_EQ(modes(p).last(), "Meter");
    EXPECT_EQ(p.tMode(), "C-NiCD");
    EXPECT_FLOAT_EQ(MinCur[0], 0.01f);
    EXPECT_EQ(dev(0).ParCount, 2);
    p.set_tMode("D-CC");
    receive(param(5, 302, 2500, 5000, 103));
    EXPECT_EQ(p.tMode(), "D-CC");
    EXPECT_FLOAT_EQ(MaxVol[0], 25);

    // Type 38 at 3.11: one more page, once.
    connectStart();
    receive(frame(0, 38));
    receive(param(38, 311));
    receive(param(38, 311));
    EXPECT_EQ(pages(p), (QStringList{"key1:Single Test", "key3:Cycle Test"}));
    EXPECT_EQ(LastChgMode[0], 1);
    EXPECT_TRUE(CvFlag[0]);

    // Type 9 at 3.11: the second frame writes no name.
    connectStart();
    receive(frame(0, 9));
    receive(param(9, 311));
    EXPECT_EQ(LastDisMode[0], 0);
    EXPECT_EQ(LastChgMode[0], 1);
    w.gridRun(0).set_TextMatrix(1, 0, "renamed");
    receive(param(9, 311));
    EXPECT_EQ(name(1), "renamed");

    // A new connect restores the unrefined row, the next frame refines again.
    connectStart();
    receive(frame(0, 9));
    EXPECT_EQ(modes(p), (QStringList{"D-CC", "D-CP", "C-CV"}));
    receive(param(9, 311));
    EXPECT_EQ(modes(p), (QStringList{"D-CC", "C-CV"}));
}

TEST_F(Identify, ParameterFrameModeOutsideTheListKeepsTheSelection)
{
    connectStart();
    receive(frame(0, 25));
    // mode digit 7 on a device whose rebuilt list has two entries
    receive(param(25, 310, 2000, 3000, 107));
    EXPECT_EQ(modes(p), (QStringList{"D-CC", "Meter"}));
    EXPECT_EQ(name(1), "QM-43");
    EXPECT_FLOAT_EQ(MinCur[0], 0.01f);
}
