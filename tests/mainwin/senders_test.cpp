// Command senders: every frame as it arrives on the far end of the port
// (a pseudo-terminal opened through the program's serial layer), with the
// per-type rules, failures logged with the sender's tag and nothing sent.
#include "PtyFixture.h"

using namespace qx;

namespace {

class Senders : public test::PtyFixture {
protected:
    // Nothing was written: the next bytes are those of a connect frame.
    void expectNothingSent()
    {
        w->SendConnect(0);
        EXPECT_EQ(next(), "FA 05 00 00 00 00 00 00 05 F8");
    }
    // A device as its model row would set it up.
    void model(int type, int curScale, int volScale, int pwrScale = 1, int lastDis = 0, int lastChg = 0,
               bool cv = false)
    {
        DevType[0] = type;
        CurScale[0] = curScale;
        VolScale[0] = volScale;
        PwrScale[0] = pwrScale;
        LastDisMode[0] = lastDis;
        LastChgMode[0] = lastChg;
        CvFlag[0] = cv;
    }
    void texts(int chn, const char *sval, const char *slmt, const char *stim)
    {
        DevCtrl &p = w->DevCtrl(0);
        p.set_tSval(chn, QString::fromLatin1(sval));
        p.set_tSlmt(chn, QString::fromLatin1(slmt));
        p.set_tStim(chn, QString::fromLatin1(stim));
    }
};

} // namespace

TEST_F(Senders, FixedFrames)
{
    EXPECT_TRUE(w->SendConnect(0));
    EXPECT_EQ(next(), "FA 05 00 00 00 00 00 00 05 F8");
    EXPECT_TRUE(w->SendDisconnect(0));
    EXPECT_EQ(next(), "FA 06 00 00 00 00 00 00 06 F8");
    EXPECT_TRUE(w->SendStop(0, 0));
    EXPECT_EQ(next(), "FA 02 00 00 00 00 00 00 02 F8");
    EXPECT_TRUE(w->SendStop(0, 1));
    EXPECT_EQ(next(), "FA A2 00 00 00 00 00 00 A2 F8");
}

TEST_F(Senders, ElapsedMinutesAreWholeMinutesOfTheTest)
{
    const struct {
        int secs;
        const char *frame;
    } cases[] = {
        {3599, "FA 0A 00 3B 00 00 00 00 31 F8"},  // 59 minutes, the rest dropped
        {14400, "FA 0A 01 00 00 00 00 00 0B F8"}, // 240 minutes = 1:0 in base 240
        {0, "FA 0A 00 00 00 00 00 00 0A F8"},
    };
    for (const auto &c : cases) {
        TestSecs[0][0].store(c.secs);
        EXPECT_TRUE(w->SendTime(0, 0));
        EXPECT_EQ(next(), c.frame) << c.secs;
    }
}

TEST_F(Senders, StartFramesFollowTheRulesOfTypeAndMode)
{
    struct Case {
        const char *what;
        int type, curScale, volScale, pwrScale, lastDis, lastChg;
        bool cv;
        int mode, op;
        const char *sval, *slmt, *stim;
        const char *frame;
        int32_t setVal, setLmt, setTim;
    };
    const Case cases[] = {
        {"type 1, cells mode 3", 1, 100, 100, 1, 0, 6, false, 3, 1, "1.50", "4", "60",
         "FA 31 00 96 00 04 00 3C 9F F8", 150, 400, 60},
        {"type 5, power mode 1", 5, 1000, 100, 10, 1, 7, true, 1, 1, "12.5", "3.00", "30",
         "FA 11 00 7D 01 3C 00 1E 4F F8", 125, 300, 30},
        {"type 5, mode 8: only the cut-off current", 5, 1000, 100, 10, 1, 7, true, 8, 1, "1.000", "4.20", "0.200",
         "FA 81 00 00 00 00 00 C8 49 F8", 1000, 420, 200},
        {"C-CV: LastChgMode with CvFlag takes a cut-off current", 38, 1000, 100, 1, 0, 2, true, 2, 1, "1.500",
         "4.20", "0.20", "FA 21 06 3C 01 B4 00 C8 66 F8", 1500, 420, 200},
        {"LastChgMode without CvFlag takes minutes", 38, 1000, 100, 1, 0, 2, false, 2, 1, "1.500", "4.20", "90",
         "FA 21 06 3C 01 B4 00 5A 04 F8", 1500, 420, 90},
        {"time mode sends minutes", 38, 1000, 100, 1, 0, 2, true, 0, 1, "1.500", "4.20", "90",
         "FA 01 06 3C 01 B4 00 5A D4 F8", 1500, 420, 90},
        {"type 9 with LastDisMode 1: power", 9, 1000, 100, 10, 1, 3, false, 1, 1, "25.5", "3.00", "30",
         "FA 11 01 0F 01 3C 00 1E 3C F8", 255, 300, 30},
        {"type 10 with LastDisMode 2: a current", 10, 1000, 100, 10, 2, 3, false, 1, 1, "25.5", "3.00", "30",
         "FA 11 6A 3C 01 3C 00 1E 64 F8", 25500, 300, 30},
        {"type 17, mode 3: set value and limit zero", 17, 100, 100, 1, 2, 3, false, 3, 1, "1.00", "3.00", "30",
         "FA 31 00 00 00 00 00 1E 2F F8", 100, 300, 30},
        {"type 7, mode 2: none", 7, 100, 100, 10, 2, 6, false, 2, 1, "1.00", "3.00", "30",
         "FA 21 00 64 01 3C 00 1E 66 F8", 100, 300, 30},
        {"tie 0.125 x 100 rounds to even 12", 8, 100, 100, 1, 0, 0, false, 0, 1, "0.125", "0", "0",
         "FA 01 00 0C 00 00 00 00 0D F8", 12, 0, 0},
        {"tie 0.375 x 100 rounds to even 38", 8, 100, 100, 1, 0, 0, false, 0, 1, "0.375", "0", "0",
         "FA 01 00 26 00 00 00 00 27 F8", 38, 0, 0},
        {"adjust, op 7", 8, 100, 100, 1, 0, 0, false, 0, 7, "2.00", "3.00", "0",
         "FA 07 00 C8 01 3C 00 00 02 F8", 200, 300, 0},
        {"continue, op 8", 1, 100, 100, 1, 0, 6, false, 0, 8, "1.50", "3.00", "0",
         "FA 08 00 96 01 3C 00 00 A3 F8", 150, 300, 0},
    };
    for (const Case &c : cases) {
        model(c.type, c.curScale, c.volScale, c.pwrScale, c.lastDis, c.lastChg, c.cv);
        chan(0, 0).Mode = c.mode;
        texts(0, c.sval, c.slmt, c.stim);
        EXPECT_TRUE(w->SendStart(0, 0, c.op)) << c.what;
        EXPECT_EQ(next(), c.frame) << c.what;
        EXPECT_EQ(chan(0, 0).SetVal, c.setVal) << c.what;
        EXPECT_EQ(chan(0, 0).SetLmt, c.setLmt) << c.what;
        EXPECT_EQ(chan(0, 0).SetTim, c.setTim) << c.what;
    }
}

TEST_F(Senders, SetOnChannelOneOfATwoChannelModel)
{
    model(17, 100, 100, 1, 2, 3);
    w->DevCtrl(0).set_Dev2S(true);
    chan(0, 1).Mode = 1;
    texts(1, "20", "3.00", "30");
    EXPECT_TRUE(w->SendStart(0, 1, 7));
    EXPECT_EQ(next(), "FA B7 00 14 01 3C 00 1E 80 F8");
}

TEST_F(Senders, AStartThatCannotBeBuiltSendsNothingAndIsLogged)
{
    model(1, 100, 100);
    chan(0, 0).Mode = 0;
    chan(0, 0).SetLmt = 7;
    // The set value converts; the limit is not a number.
    texts(0, "1.00", "4.2V", "30");
    EXPECT_FALSE(w->SendStart(0, 0, 1));
    expectNothingSent();
    EXPECT_EQ(chan(0, 0).SetVal, 100);
    EXPECT_EQ(chan(0, 0).SetLmt, 7);
    EXPECT_TRUE(errLog().contains(QStringLiteral(" V1.8.9:[ErrStart1]"))) << errLog().toStdString();

    // Not a number even where the rule would replace the value (mode 8 of type 5).
    model(5, 1000, 100, 10, 1, 7, true);
    chan(0, 0).Mode = 8;
    texts(0, "abc", "4.20", "0.2");
    EXPECT_FALSE(w->SendStart(0, 0, 8));
    expectNothingSent();
    EXPECT_TRUE(errLog().contains(QStringLiteral("[ErrStart8]")));

    // A value beyond a base-240 pair, and a command byte beyond a frame byte.
    chan(0, 0).Mode = 0;
    texts(0, "60", "4.20", "0");
    EXPECT_FALSE(w->SendStart(0, 0, 1)); // 60000 frame units
    expectNothingSent();
    w->DevCtrl(0).set_Dev2S(true);
    chan(0, 1).Mode = 5;
    texts(1, "1.0", "4.20", "0");
    EXPECT_FALSE(w->SendStart(0, 1, 1)); // (10 + 5) x 16 + 1 = 241
    expectNothingSent();
}

TEST_F(Senders, NothingIsWrittenToAClosedPort)
{
    const int32_t h = PortHandle[0];
    PortHandle[0] = 0;
    EXPECT_FALSE(w->SendConnect(0));
    EXPECT_FALSE(w->SendStop(0, 0));
    PortHandle[0] = h;
    expectNothingSent();
    EXPECT_TRUE(errLog().isEmpty());
}

TEST_F(Senders, RemoteSetConvertsInThirtyTwoBits)
{
    model(10, 100, 100);
    chan(0, 0).SetLmt = 420;
    EXPECT_TRUE(w->RemoteSet(0, 2.5f));
    EXPECT_EQ(next(), "FA 07 01 0A 01 B4 00 00 B9 F8");
    EXPECT_EQ(w->DevCtrl(0).tSval(0).toStdString(), "2.50");
    EXPECT_EQ(chan(0, 0).SetVal, 0); // not changed by the remote set

    // 40 A on a 1000-scale model: 40000 frame units, above 16 bits.
    CurScale[0] = 1000;
    chan(0, 0).SetLmt = 0;
    EXPECT_TRUE(w->RemoteSet(0, 40.0f));
    EXPECT_EQ(next(), "FA 07 A6 A0 00 00 00 00 01 F8");
    EXPECT_EQ(w->DevCtrl(0).tSval(0).toStdString(), "40.00");

    // Beyond a base-240 pair: logged, nothing sent, the text unchanged.
    EXPECT_FALSE(w->RemoteSet(0, 60.0f));
    expectNothingSent();
    EXPECT_EQ(w->DevCtrl(0).tSval(0).toStdString(), "40.00");
    EXPECT_TRUE(errLog().contains(QStringLiteral("[ErrSet]")));
}

TEST_F(Senders, QuickChargeRequestsOnThePanelsChannel)
{
    EXPECT_TRUE(w->RemoteQC(0, 3));
    EXPECT_EQ(next(), "FA 07 00 00 00 00 00 0D 0A F8");
    EXPECT_TRUE(w->RemotePE(0, 1));
    EXPECT_EQ(next(), "FA 07 00 00 00 00 00 15 12 F8");
    EXPECT_TRUE(w->RemotePE(0, 0));
    EXPECT_EQ(next(), "FA 07 00 00 00 00 00 14 13 F8");

    // Channel 2 chosen on a two-channel panel: command byte 167.
    w->DevCtrl(0).set_Dev2S(true);
    w->DevCtrl(0).findChild<QWidget *>(QStringLiteral("optChn1"))->setProperty("checked", true);
    ASSERT_EQ(w->DevCtrl(0).chn().toStdString(), "1");
    EXPECT_TRUE(w->RemoteQC(0, 0));
    EXPECT_EQ(next(), "FA A7 00 00 00 00 00 0A AD F8");

    EXPECT_FALSE(w->RemoteQC(0, -20)); // no byte for a negative request
    EXPECT_TRUE(errLog().contains(QStringLiteral("[ErrQC]")));
    w->DevCtrl(0).set_Dev2S(false);
    expectNothingSent();
}

TEST_F(Senders, DisplayTickShowsTheRunTimeAndSendsEachFullMinute)
{
    DevCtrl &p = w->DevCtrl(0);
    const struct {
        int secs;
        const char *time;
        const char *frame; // "" = none
    } cases[] = {
        {0, "00:00:00", ""},
        {59, "00:00:59", ""},
        {60, "00:01:00", "FA 0A 00 01 00 00 00 00 0B F8"},
        {3600, "01:00:00", "FA 0A 00 3C 00 00 00 00 36 F8"},
        {65520, "18:12:00", "FA 0A 04 84 00 00 00 00 8A F8"}, // the last one
        {65580, "18:13:00", ""},
        {360000, "100:00:00", ""},
    };
    for (const auto &c : cases) {
        TestSecs[0][0].store(c.secs);
        w->DevCtrl_TmrShowOn(0, 0);
        EXPECT_EQ(p.tTime(0).toStdString(), c.time) << c.secs;
        if (*c.frame)
            EXPECT_EQ(next(), c.frame) << c.secs;
        else
            expectNothingSent();
    }
    // Each minute goes once, also when the tick comes twice within its
    // second (late behind a prompt, then on time); a new run counts anew.
    TestSecs[0][0].store(120);
    w->DevCtrl_TmrShowOn(0, 0);
    EXPECT_EQ(next(), "FA 0A 00 02 00 00 00 00 08 F8");
    w->DevCtrl_TmrShowOn(0, 0);
    expectNothingSent();
    p.set_tSval(0, QStringLiteral("1.00"));
    p.set_tSlmt(0, QStringLiteral("3.00"));
    p.set_tStim(0, QStringLiteral("0"));
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 0));
    EXPECT_EQ(next().substr(0, 5), "FA 01");
    TestSecs[0][0].store(120);
    w->DevCtrl_TmrShowOn(0, 0);
    EXPECT_EQ(next(), "FA 0A 00 02 00 00 00 00 08 F8");

    // Two-channel devices never get the minutes.
    p.set_Dev2S(true);
    TestSecs[0][1].store(120);
    w->DevCtrl_TmrShowOn(0, 1);
    EXPECT_EQ(p.tTime(1).toStdString(), "00:02:00");
    expectNothingSent();
}
