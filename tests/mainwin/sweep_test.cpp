// The automatic current sweep: the frames it sends as they arrive on the far
// end of the port (a pseudo-terminal opened through the program's serial
// layer), its result table and file line by line, with the device's running
// state and readings set as the receive routine sets them.
#include "PtyFixture.h"

#include "common/FullDisk.h"

#include "platform/Grid.h"

#include <QRadioButton>

using namespace qx;
using test::Stop0;

namespace {

class Sweep : public test::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        MaxCur[0] = 5;
        MinVol[0] = 0.5f;
        MaxVol[0] = 30;
        p().ModeClr();
        p().ModeAdd(QStringLiteral("D-CC"));
        p().ModeAdd(QStringLiteral("D-CP"));
        w->AutoListInit(0);
        w->gridRun(0).set_TextMatrix(1, 0, QStringLiteral("QM-07"));
        w->gridRun(0).set_TextMatrix(2, 0, QStringLiteral("QM-07B"));
    }
    void settings(const char *c1, const char *c2, const char *step, const char *time, bool sec = true)
    {
        p().set_tAutoC1(QString::fromLatin1(c1));
        p().set_tAutoC2(QString::fromLatin1(c2));
        p().set_tAutoStep(QString::fromLatin1(step));
        p().set_tAutoTime(QString::fromLatin1(time));
        p().set_AutoOptSec(sec);
    }
    // The device's readings of channel chn as the panel shows them.
    void reading(int chn, const char *cur, const char *vol)
    {
        p().set_tCur(chn, QString::fromLatin1(cur));
        p().set_tVol(chn, QString::fromLatin1(vol));
    }
    void tick() { Q_EMIT p().AutoTmrOn(); }
    std::string row(int r)
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << p().tAutoRun(r, c);
        return cells.join(QLatin1Char('|')).toStdString();
    }
};

} // namespace

TEST_F(Sweep, CurrentsStepFromC1ToC2AndTheResultFileHoldsOneLinePerStep)
{
    settings("1.0", "2.0", "0.5", "2");
    Q_EMIT p().AutoTestClick();
    // Started in the first mode with C1, the cut-off voltage and no time limit.
    EXPECT_EQ(next().substr(0, 5), "FA 01");
    EXPECT_EQ(p().tMode(), "D-CC");
    EXPECT_EQ(p().tSval(0), "1.0");
    EXPECT_EQ(p().tSlmt(0), "0.80");
    EXPECT_EQ(p().tStim(0), "0");
    EXPECT_EQ(p().AutoCmd(), "Stop");
    EXPECT_TRUE(p().AutoTmrEnable());
    chan(0, 0).SetLmt = 80;  // as the start stored it

    Running[0][0] = true;
    reading(0, "1.00", "3.50");
    tick();  // the reading matches the set current: nothing sent
    tick();  // 1.5 A from the second second on
    EXPECT_EQ(next(), "FA 07 00 96 00 50 00 00 C1 F8");
    reading(0, "1.50", "3.40");
    tick();
    tick();
    EXPECT_EQ(next(), "FA 07 00 C8 00 50 00 00 9F F8");
    reading(0, "1.98", "3.30");
    tick();  // the reading differs from 2.0 A at the step's first tick: set again
    EXPECT_EQ(next(), "FA 07 00 C8 00 50 00 00 9F F8");
    tick();  // 2.5 A would pass C2: stopped
    EXPECT_EQ(next(), Stop0);
    EXPECT_EQ(next(300), "");
    EXPECT_EQ(p().AutoCmd(), "Start");
    EXPECT_FALSE(p().AutoTmrEnable());
    EXPECT_FALSE(dev(0).AutoBusy);

    EXPECT_EQ(row(0), "Index|Curr(A)|Volt(V)|Pwr(W)");
    EXPECT_EQ(row(1), "1|1.00|3.50|3.5");
    EXPECT_EQ(row(2), "2|1.50|3.40|5.1");
    EXPECT_EQ(row(3), "3|1.98|3.30|6.5");
    EXPECT_EQ(row(4), "|||");

    // Further ticks of a finished sweep do nothing.
    tick();
    EXPECT_EQ(next(300), "");

    struct Case {
        bool csv;
        int csvT;
        const char *chosen, *written, *sep;
    };
    for (const Case &c : {Case{true, 0, "result", "result.csv", ","}, Case{true, 1, "r2.CSV", "r2.CSV", ";"},
                          Case{false, 0, "r3.dat", "r3.dat", "\t"}}) {
        OptCsv = c.csv;
        OptCsvT = c.csvT;
        // A scripted dialog answers at once, so it is asked twice.
        ui.fileAnswers = {home.file(QLatin1String(c.chosen)), home.file(QLatin1String(c.chosen))};
        Q_EMIT p().AutoSaveClick();
        const std::string s = c.sep;
        EXPECT_EQ(home.read(QLatin1String(c.written)).toStdString(),
                  "Device:QM-07\r\nMode:Auto Test\r\n----------QX Auto Test--------------\r\n"
                  "Index" + s + "Curr(A)" + s + "Volt(V)\r\n1" + s + "1.00" + s + "3.50\r\n2" + s + "1.50" + s +
                      "3.40\r\n3" + s + "1.98" + s + "3.30\r\n")
            << c.written;
    }
    ASSERT_FALSE(ui.fileRequests.empty());
    EXPECT_EQ(ui.fileRequests.back().title, "Save Result");
    EXPECT_TRUE(ui.msgs.empty());

    // On a full disk the earlier file stays whole, and the user is told.
    const QByteArray kept = home.read("r3.dat");
    w->gridRun(0).set_TextMatrix(1, 0, QString(2000, QLatin1Char('M')));
    ui.fileAnswers = {home.file("r3.dat"), home.file("r3.dat")};
    {
        // Room for the error log's entry, not for the file.
        test::FullDisk full(1000);
        Q_EMIT p().AutoSaveClick();
    }
    EXPECT_EQ(home.read("r3.dat"), kept);
    EXPECT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
    EXPECT_TRUE(errLog().contains("[ErrAutoSave]")) << errLog().toStdString();
}

TEST_F(Sweep, FallingSweepAndADeviceThatStopsByItself)
{
    // C1 > C2 sweeps downwards; minutes are whole steps of 60 ticks.
    settings("2.0", "1.0", "0.5", "2", false);
    Q_EMIT p().AutoTestClick();
    EXPECT_EQ(next().substr(0, 5), "FA 01");
    chan(0, 0).SetLmt = 80;
    Running[0][0] = true;
    reading(0, "2.00", "3.00");
    for (int i = 0; i < 120; ++i)
        tick();
    EXPECT_EQ(next(), "FA 07 00 96 00 50 00 00 C1 F8");  // 1.5 A after two minutes
    EXPECT_EQ(next(300), "");
    // The device reaches its cut-off voltage: the sweep ends without a stop frame.
    reading(0, "1.50", "0.79");
    Running[0][0] = false;
    tick();
    EXPECT_EQ(next(300), "");
    EXPECT_EQ(p().AutoCmd(), "Start");
    EXPECT_FALSE(p().AutoTmrEnable());
    EXPECT_EQ(row(2), "2|1.50|0.79|1.2");
}

TEST_F(Sweep, TheSweepKeepsItsChannelWhenThePanelSwitchesChannels)
{
    p().set_Dev2S(true);  // the two-channel layout has a mode list of its own
    w->InitDual(0);        // and a chart and result grid for two channels
    p().ModeAdd(QStringLiteral("D-CC"));
    p().findChild<QRadioButton *>(QStringLiteral("optChn1"))->setChecked(true);  // Chn2
    ASSERT_EQ(p().chn(), "1");
    settings("1.0", "3.0", "1.0", "2");
    Q_EMIT p().AutoTestClick();
    EXPECT_EQ(next().substr(0, 5), "FA A1");
    chan(0, 1).SetLmt = 80;
    Running[0][1] = true;
    Running[0][0] = false;
    reading(1, "1.00", "3.00");

    p().findChild<QRadioButton *>(QStringLiteral("optChn0"))->setChecked(true);  // Chn1 now shown
    ASSERT_EQ(p().chn(), "0");
    tick();
    tick();  // channel 1 still runs the sweep: 2 A for it
    EXPECT_EQ(next(), "FA A7 00 C8 00 50 00 00 3F F8");
    EXPECT_EQ(p().tSval(1), "2.00");
    EXPECT_TRUE(p().AutoTmrEnable());
    EXPECT_EQ(row(1), "1|1.00|3.00|3.0");

    // Stop by the user: the sweep's channel gets the stop frame.
    Q_EMIT p().AutoTestClick();
    EXPECT_EQ(next(), "FA A2 00 00 00 00 00 00 A2 F8");
    EXPECT_EQ(p().AutoCmd(), "Start");
}

TEST_F(Sweep, SettingsAreCheckedBeforeTheDeviceStarts)
{
    struct Case {
        const char *list;  // an entry that replaces the step or time list
        bool stepList;
    };
    for (const Case &c : {Case{"abc", false}, Case{"-2", false}, Case{"0", true}, Case{"x", true}}) {
        if (c.stepList) {
            p().AutoStepAdd(QString::fromLatin1(c.list));
            p().set_tAutoStep(QString::fromLatin1(c.list));
            p().set_tAutoTime(QStringLiteral("2"));
        } else {
            p().AutoTimeAdd(QString::fromLatin1(c.list));
            p().set_tAutoTime(QString::fromLatin1(c.list));
            p().set_tAutoStep(QStringLiteral("0.5"));
        }
        Q_EMIT p().AutoTestClick();
        EXPECT_EQ(next(300), "") << c.list;
        EXPECT_EQ(p().AutoCmd(), "Start") << c.list;
        EXPECT_FALSE(p().AutoTmrEnable()) << c.list;
        EXPECT_FALSE(dev(0).AutoOn) << c.list;
    }
    EXPECT_EQ(errLog().count(QStringLiteral("[ErrAutoClick]")), 4) << errLog().toStdString();
}

TEST_F(Sweep, CutOffVoltageCheck)
{
    p().set_tAutoVol(QStringLiteral("abc"));
    Q_EMIT p().AutoVolLostFocus();
    p().set_tAutoVol(QStringLiteral("31"));
    Q_EMIT p().AutoVolLostFocus();
    EXPECT_EQ(p().tAutoVol(), "0.50");  // the minimum, whichever bound was passed
    p().set_tAutoVol(QStringLiteral("12"));
    Q_EMIT p().AutoVolLostFocus();
    EXPECT_EQ(p().tAutoVol(), "12");
    ASSERT_EQ(ui.msgs.size(), 2u);
    EXPECT_EQ(ui.msgs[0].text, "Invalid value!");
    EXPECT_EQ(ui.msgs[1].text, "Setting value out of range!");
    EXPECT_EQ(ui.msgs[1].title, "Prompt");
    EXPECT_EQ(ui.msgs[1].style, MbCritical);
}

TEST_F(Sweep, EnlargedTableOnlyWhileNoSweepRunsAndGrowsPastFortyRows)
{
    p().AutoListClr();
    for (int r = 1; r <= 45; ++r) {
        if (r > 1)
            p().AutoListAdd();
        p().set_tAutoList(1, QStringLiteral("%1.00").arg(r));
    }
    dev(0).AutoBusy = true;
    Q_EMIT p().AutoListClick();
    EXPECT_FALSE(w->gridAutolist(0).isVisibleTo(&w->frmDev(0)));
    dev(0).AutoBusy = false;
    Q_EMIT p().AutoListClick();
    Grid &g = w->gridAutolist(0);
    EXPECT_TRUE(g.isVisibleTo(&w->frmDev(0)));
    EXPECT_FALSE(p().isVisibleTo(&w->frmDev(0)));
    EXPECT_EQ(g.TextMatrix(0, 1), "Curr(A)");
    EXPECT_EQ(g.TextMatrix(45, 0), "45");
    EXPECT_EQ(g.TextMatrix(45, 1), "45.00");
    EXPECT_EQ(g.Rows(), 47);
    Q_EMIT g.DblClick();
    EXPECT_FALSE(g.isVisibleTo(&w->frmDev(0)));
    EXPECT_TRUE(p().isVisibleTo(&w->frmDev(0)));
}
