// The setting boxes of a channel by mode and model, and the capacity and
// energy cells.
#include "MainFixture.h"

#include "mainwin/ModeFields.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"

using namespace qx;
using namespace qx::modefields;
using qx::test::MainFixture;

namespace {

// "caption|unit|text|enabled" for one box.
Box box(const char *desc)
{
    const QStringList f = QString::fromUtf8(desc).split('|');
    return {f[0], f[1], f[2], f[3] == "1"};
}

std::string show(const Box &b)
{
    return QStringLiteral("%1|%2|%3|%4").arg(b.caption, b.unit, b.text).arg(b.enabled ? 1 : 0).toStdString();
}

struct Case {
    const char *what;
    Input in;
    const char *set, *limit, *third;
};

Input in(int type, int mode, int32_t val, int32_t lmt, int32_t tim, int curScale = 100, int pwrScale = 1,
         int lastDis = 0, bool cv = false, bool two = false)
{
    Input i;
    i.devType = type;
    i.mode = mode;
    i.setVal = val;
    i.setLmt = lmt;
    i.setTim = tim;
    i.curScale = curScale;
    i.pwrScale = pwrScale;
    i.lastDisMode = lastDis;
    i.cvFlag = cv;
    i.dev2S = two;
    return i;
}

const char *const Time30 = "Max Time|M|30|1";

} // namespace

TEST(ModeFields, LayoutByModelAndMode)
{
    const Case cases[] = {
        // group 1: discharge, charge profiles by cells, constant voltage
        {"1 D-CC", in(1, 0, 150, 420, 30), "Test Val|A|1.50|1", "Cutoff Volt|V|4.20|1", Time30},
        {"1 C-CV", in(1, 6, 150, 420, 30), "Test Val|A|1.50|1", "Voltage|V|4.20|1", Time30},
        {"3 cells 112", in(3, 2, 150, 112, 30), "Test Val|A|1.50|1", "Cells||12|1", Time30},
        {"3 cells 1", in(3, 5, 150, 1, 30), "Test Val|A|1.50|1", "Cells||1|1", Time30},
        {"two-channel captions", in(1, 0, 150, 420, 30, 100, 1, 0, false, true), "Test Val|A|1.50|1",
         "Cutoff V|V|4.20|1", "Time|M|30|1"},
        // group 2
        {"5 power scale 10", in(5, 1, 255, 420, 30, 1000, 10), "Test Val|W|25.5|1", "Cutoff Volt|V|4.20|1", Time30},
        {"6 power scale 1", in(6, 1, 25, 420, 30), "Test Val|W|25|1", "Cutoff Volt|V|4.20|1", Time30},
        {"5 C-CV", in(5, 7, 1500, 420, 200, 1000), "Test Val|A|1.50|1", "Voltage|V|4.20|1", "Cutoff Curr|A|0.20|1"},
        {"5 mode 8", in(5, 8, 1500, 420, 200, 1000), "Test Val|A|0.00|0", "Cutoff Volt|V|0.00|0",
         "Cutoff Curr|A|0.20|1"},
        {"5 mode 9", in(5, 9, 1500, 204, 30, 1000), "Test Val|A|1.50|1", "Cells||4|1", Time30},
        // group 3
        {"36 D-CC", in(36, 0, 1234, 420, 30, 1000), "Test Val|A|1.234|1", "Cutoff Volt|V|4.20|1", Time30},
        {"36 C-CV", in(36, 2, 1234, 420, 56, 1000), "Test Val|A|1.234|1", "Voltage|V|4.20|1",
         "Cutoff Curr|A|0.056|1"},
        {"9 with LastDisMode 1", in(9, 2, 150, 420, 20, 100, 1, 1), "Test Val|A|1.50|1", "Voltage|V|4.20|1",
         "Cutoff Curr|A|0.20|1"},
        {"37 D-CP", in(37, 1, 80, 420, 30, 100, 10, 1), "Test Val|W|8.0|1", "Cutoff Volt|V|4.20|1", Time30},
        // group 4
        {"28 CV, CvFlag", in(28, 1, 150, 420, 20, 100, 1, 0, true), "Test Val|A|1.50|0", "Voltage|V|4.20|0",
         "Cutoff Curr|A|0.20|1"},
        {"39 CV, no CvFlag", in(39, 1, 150, 420, 30), "Test Val|A|1.50|1", "Voltage|V|4.20|1", Time30},
        {"9 with LastDisMode 0", in(9, 1, 150, 420, 30), "Test Val|A|1.50|1", "Voltage|V|4.20|1", Time30},
        {"8 D-CC", in(8, 0, 150, 420, 30), "Test Val|A|1.50|1", "Cutoff Volt|V|4.20|1", Time30},
        // group 5
        {"26 meter", in(26, 1, 150, 420, 30), "Test Val|A|1.50|1", "Cutoff Volt|V|4.20|0", Time30},
        {"11 D-CP", in(11, 1, 25, 420, 30), "Test Val|W|25|1", "Cutoff Volt|V|4.20|1", Time30},
        {"11 mode 2", in(11, 2, 150, 420, 30), "Current|A|1.50|1", "Test Val|V|4.20|1", Time30},
        {"11 mode 3", in(11, 3, 150, 420, 30), "Test Val|A|1.50|0", "Cutoff Volt|V|4.20|0", Time30},
        {"11 mode 4", in(11, 4, 150, 420, 30), "Current|A|1.50|1", "Test Val|V|4.20|1", Time30},
        {"35 mode 0", in(35, 0, 1234, 420, 30, 1000), "Test Val|A|1.234|1", "Cutoff Volt|V|4.20|1", Time30},
        {"35 mode 5", in(35, 5, 1234, 420, 30, 1000), "Test Val|A|1.234|1", "Cutoff Volt|V|4.20|1", Time30},
        {"35 mode 1", in(35, 1, 25, 420, 30, 1000), "Test Val|W|25|1", "Cutoff Volt|V|4.20|1", Time30},
        {"9 with LastDisMode 2", in(9, 0, 150, 420, 30, 100, 1, 2), "Test Val|A|1.50|1", "Cutoff Volt|V|4.20|1",
         Time30},
        // group 6
        {"40 D-CC", in(40, 0, 1500, 420, 30, 1000), "Test Val|A|1.500|1", "Cutoff Volt|V|4.20|1", "Max Time|M|0|1"},
        {"40 C-CV", in(40, 1, 1500, 420, 200, 1000), "Test Val|mA|1.500|1", "Cutoff Volt|V|4.20|1",
         "Cutoff Curr|mA|0.200|1"},
        // group 7
        {"41 D-CV", in(41, 1, 150, 420, 30), "Test Val|A|0.00|0", "Test Val|V|4.20|1", Time30},
        {"51 meter", in(51, 0, 150, 420, 30), "Test Val|A|1.50|1", "Cutoff Volt|V|4.20|1", Time30},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Layout l = layout(c.in);
        EXPECT_EQ(show(l[SetBox]), show(box(c.set)));
        EXPECT_EQ(show(l[LimitBox]), show(box(c.limit)));
        EXPECT_EQ(show(l[ThirdBox]), show(box(c.third)));
    }
}

TEST(ModeFields, ScaleOfZeroIsADivisionError)
{
    Input i = in(1, 0, 150, 420, 30);
    i.curScale = 0;
    try {
        layout(i);
        ADD_FAILURE() << "no error";
    } catch (const QxError &e) {
        EXPECT_EQ(e.code(), ErrDivByZero);
    }
    i = in(6, 1, 25, 420, 30, 0, 1);  // the power mode does not divide by the current scale
    EXPECT_EQ(layout(i)[SetBox].text, "25");
}

// The panel's three boxes of a channel as "caption|unit|text|enabled ; ...".
std::string panelBoxes(const DevCtrl &p, int chn)
{
    return QStringLiteral("%1|%2|%3|%4 ; %5|%6|%7|%8 ; %9|%10|%11|%12")
        .arg(p.lSval(chn), p.lSvalt(chn), p.tSval(chn))
        .arg(p.SvalEnable(chn) ? 1 : 0)
        .arg(p.lSlmt(chn), p.lSlmtt(chn), p.tSlmt(chn))
        .arg(p.SlmtEnable(chn) ? 1 : 0)
        .arg(p.lStim(chn), p.lStimt(chn), p.tStim(chn))
        .arg(p.StimEnable(chn) ? 1 : 0)
        .toStdString();
}

struct PanelFields : MainFixture {
    void identify(int type, std::initializer_list<const char *> modes, bool two = false)
    {
        DevType[0] = type;  // as identification sets the model's tables
        CurScale[0] = VolScale[0] = 100;
        PwrScale[0] = 1;
        DevCtrl &p = w->DevCtrl(0);
        p.set_Dev2S(two);
        p.ModeClr();
        for (const char *m : modes)
            p.ModeAdd(m);
    }
    void settings(int chn, int mode, int32_t val, int32_t lmt, int32_t tim)
    {
        ChannelState &c = chan(0, chn);
        c.Mode = mode;
        c.SetVal = val;
        c.SetLmt = lmt;
        c.SetTim = tim;
    }
    frmMain *w = &load();
};

TEST_F(PanelFields, NoIdentifiedDeviceChangesNothing)
{
    DevCtrl &p = w->DevCtrl(0);
    p.set_lSval(0, "design:");
    p.set_SvalEnable(0, false);
    settings(0, 1, 150, 420, 30);
    chan(0, 0).Cap = 1;
    w->ShowModeFields(0, 0);
    EXPECT_EQ(p.lSval(0), "design:");
    EXPECT_FALSE(p.SvalEnable(0));
    EXPECT_EQ(p.tSval(0), "00.00");
    EXPECT_EQ(p.tMode(), "No Device");
    EXPECT_EQ(w->gridRun(0).TextMatrix(1, 4), "") << "no capacity refresh";
}

TEST_F(PanelFields, PanelShowsTheLayoutAndTheCapacityCells)
{
    identify(11, {"D-CC", "D-CP", "C-CV", "Meter", "D-CV"});
    settings(0, 3, 150, 420, 30);
    chan(0, 0).Cap = 2.5f;
    chan(0, 0).Energy = 9.25f;
    w->ShowModeFields(0, 0);
    DevCtrl &p = w->DevCtrl(0);
    EXPECT_EQ(p.tMode(), "Meter");
    EXPECT_EQ(panelBoxes(p, 0), "Test Val:|A|1.50|0 ; Cutoff Volt:|V|4.20|0 ; Max Time:|M|30|1");
    EXPECT_EQ(w->gridRun(0).TextMatrix(1, 4), "2500mAh");
    EXPECT_EQ(w->gridRun(0).TextMatrix(1, 5), "9250mWh");

    // Leaving the disabling mode enables both boxes again.
    settings(0, 2, 150, 420, 30);
    w->ShowModeFields(0, 0);
    EXPECT_EQ(p.tMode(), "C-CV");
    EXPECT_EQ(panelBoxes(p, 0), "Current:|A|1.50|1 ; Test Val:|V|4.20|1 ; Max Time:|M|30|1");

    // A mode index without a list entry keeps the mode box and still lays out.
    settings(0, 7, 150, 420, 30);
    w->ShowModeFields(0, 0);
    EXPECT_EQ(p.tMode(), "C-CV");
    EXPECT_EQ(p.lSval(0), "Test Val:");
}

TEST_F(PanelFields, TwoChannelPanelLaysOutEachChannel)
{
    identify(17, {"D-CC", "D-CP"}, true);
    settings(0, 0, 150, 420, 30);
    settings(1, 1, 25, 300, 45);
    w->ShowModeFields(0, 1);
    w->ShowModeFields(0, 0);
    DevCtrl &p = w->DevCtrl(0);
    EXPECT_EQ(panelBoxes(p, 0), "Test Val:|A|1.50|1 ; Cutoff V:|V|4.20|1 ; Time:|M|30|1");
    EXPECT_EQ(panelBoxes(p, 1), "Test Val:|W|25|1 ; Cutoff V:|V|3.00|1 ; Time:|M|45|1");
    EXPECT_EQ(w->gridRun(0).TextMatrix(2, 4), "0mAh");
    EXPECT_THROW(w->ShowModeFields(0, 2), QxError);
}

TEST_F(PanelFields, CapacityAndEnergyCellsSwitchUnitAtTen)
{
    const struct {
        float value;
        const char *cap, *energy;
    } cases[] = {{9.999f, "9999mAh", "9999mWh"}, {10, "10.00Ah", "10.00Wh"}, {12.345f, "12.35Ah", "12.35Wh"},
                 {0.0004f, "0mAh", "0mWh"}};
    for (const auto &c : cases) {
        chan(0, 1).Cap = c.value;
        chan(0, 1).Energy = c.value;
        w->ShowCapacity(0, 1);
        EXPECT_EQ(w->gridRun(0).TextMatrix(2, 4), c.cap) << c.value;
        EXPECT_EQ(w->gridRun(0).TextMatrix(2, 5), c.energy) << c.value;
    }
}
