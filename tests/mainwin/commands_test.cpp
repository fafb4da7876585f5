// The panel's Start, Adjust and Stop buttons and its mode list on a device
// tab whose port is a pseudo-terminal: the frames on the wire, the running
// and idle look, the result row, the chart and the run log; a start that
// cannot go out changes nothing.
#include "ReadingFixture.h"

#include "common/Hex.h"
#include "common/QtPrint.h"
#include "common/RawPty.h"
#include "curves/CurveGraph.h"
#include "link/COMM.h"

#include <QFile>
#include <QPushButton>

using namespace qx;

namespace {

class Commands : public test::ReadingFixture {
protected:
    void SetUp() override
    {
        ReadingFixture::SetUp();
        ASSERT_TRUE(pty.ok());
        // Type 21: one channel, "D-CC" only, named QM-16.
        model(0, 21);
        settings(0, 0, 0, 100, 350, 0);
        w->DevCtrl(0).set_tVol(0, QStringLiteral("03.96"));
        chan(0, 0).Vol = 3.96f;
        w->SetRunState(true, 0); // idle, as a connected device's frames leave it
        PortHandle[0] = COMM::OpenComm(3);
        ASSERT_NE(PortHandle[0], 0);
    }
    void TearDown() override
    {
        COMM::CloseComm(PortHandle[0]);
        ReadingFixture::TearDown();
    }
    QPushButton *button(const char *name) const { return w->DevCtrl(0).findChild<QPushButton *>(QLatin1String(name)); }
    std::string wire(int timeoutMs = 3000) { return test::hexText(pty.read(10, timeoutMs)).toStdString(); }
    // Points on all five curves of channel chn, as an earlier run left them.
    void earlierPoints(int chn, int count)
    {
        for (int i = 0; i < count; ++i)
            for (int k = 0; k < 5; ++k)
                w->CurveGraph(0).AddXY(chn * 5 + k, float(i), 1.0f);
    }
    int points(int curve) const { return w->CurveGraph(0).DpCnt(curve); }
    QString bak() const { return QStringLiteral("qx-QM-16-COM3-1-1.bak"); }

    test::RawPty pty{home.path(), 3};
};

} // namespace

TEST_F(Commands, StartSendsTheStartFrameThenShowsTheRunAndBeginsItsRunLog)
{
    earlierPoints(0, 4);
    home.write(bak(), "an earlier run\r\n");
    DevCtrl &p = w->DevCtrl(0);
    button("cmdRun")->click();
    // 1.00 A = 0:100, 3.50 V = 1:110, no time limit; checksum 01^64^01^6E = 0A.
    EXPECT_EQ(wire(), "FA 01 00 64 01 6E 00 00 0A F8");
    EXPECT_FALSE(p.RunEnable());
    EXPECT_TRUE(p.StopEnable());
    EXPECT_TRUE(p.SetEnable());
    EXPECT_FALSE(p.ModeEnable());
    EXPECT_FALSE(w->menuSaveData->isEnabled());
    EXPECT_EQ(cell(0, 1, 1), "D-CC  1.00A  3.50V");
    EXPECT_EQ(cell(0, 1, 2), "03.96V");
    EXPECT_EQ(cell(0, 1, 3), "");
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(points(k), 0) << "curve " << k;
    EXPECT_EQ(fileLines(bak()), QStringList({"-----------QX Tester Software------------", "Device:QM-16",
                                             "Mode:D-CC  1.00A  3.50V", "Begin Volt:03.96V",
                                             "------------Run Log--------------", "Time(S)\tCur(A)\tVol(V)", ""}));
}

TEST_F(Commands, StartThatCannotGoOutChangesNothing)
{
    earlierPoints(0, 4);
    Grid &g = w->gridRun(0);
    g.set_TextMatrix(1, 1, QStringLiteral("D-CC  2.00A  3.00V"));
    g.set_TextMatrix(1, 2, QStringLiteral("04.10V"));
    g.set_TextMatrix(1, 3, QStringLiteral("03.00V"));
    DevCtrl &p = w->DevCtrl(0);
    const auto unchanged = [&](const char *what) {
        EXPECT_TRUE(p.RunEnable()) << what;
        EXPECT_FALSE(p.StopEnable()) << what;
        EXPECT_EQ(points(0), 4) << what;
        EXPECT_EQ(cell(0, 1, 1), "D-CC  2.00A  3.00V") << what;
        EXPECT_EQ(cell(0, 1, 2), "04.10V") << what;
        EXPECT_EQ(cell(0, 1, 3), "03.00V") << what;
        EXPECT_FALSE(QFile::exists(home.file(bak()))) << what;
    };
    // A set value that is not a number: the frame cannot be built.
    p.set_tSval(0, QStringLiteral("abc"));
    EXPECT_FALSE(w->DevCtrl_RunClick(0, 0));
    EXPECT_EQ(wire(300), "");
    unchanged("not a number");
    EXPECT_TRUE(errLog().contains(QLatin1String("[ErrStart1]")));
    // A closed port: the frame cannot be sent.
    p.set_tSval(0, QStringLiteral("1.00"));
    COMM::CloseComm(PortHandle[0]);
    EXPECT_FALSE(w->DevCtrl_RunClick(0, 0));
    unchanged("closed port");
}

TEST_F(Commands, StartClickedWithASettingItCannotSendSaysWhy)
{
    DevCtrl &p = w->DevCtrl(0);
    const struct {
        const char *what;
        const char *sval, *slmt, *stim;
        const char *told; // "" nothing
    } cases[] = {
        {"a set value that is no number", "abc", "3.50", "0", "Invalid value!"},
        {"an empty time limit", "1.00", "3.50", "", "Invalid value!"},
        {"a limit beyond what a frame carries", "1.00", "999", "0", "Setting value out of range!"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ui.msgs.clear();
        p.set_tSval(0, QLatin1String(c.sval));
        p.set_tSlmt(0, QLatin1String(c.slmt));
        p.set_tStim(0, QLatin1String(c.stim));
        button("cmdRun")->click();
        EXPECT_TRUE(ui.shownPrompt(QLatin1String(c.told)));
        EXPECT_EQ(wire(300), "");
        EXPECT_TRUE(p.RunEnable());
    }
    // A port that is closed: the panel says nothing more than before.
    p.set_tSval(0, QStringLiteral("1.00"));
    p.set_tSlmt(0, QStringLiteral("3.50"));
    p.set_tStim(0, QStringLiteral("0"));
    COMM::CloseComm(PortHandle[0]);
    ui.msgs.clear();
    button("cmdRun")->click();
    EXPECT_TRUE(ui.shownPrompt(QString()));
}

TEST_F(Commands, FreshStartSeedsTheVoltageAxisFromTheReadingDownToTheCutoff)
{
    OptScale = 1;
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 0));
    ASSERT_EQ(wire(), "FA 01 00 64 01 6E 00 00 0A F8");
    w->DevCtrl(0).set_TmrCurveEnable(0, true);
    Running[0][0] = true;
    frame(0, 0, 0, 3.96f, 1.0f);
    // Seeded 3.50 V (the cut-off) to 3.96 V (the reading), widened by the
    // start point to 4.1 V; the axis then spans whole 0.5 V steps: 3.3 to 4.3.
    // (Unseeded, the points alone would give 3.8 to 4.1 and an axis of 3.7 to 4.2.)
    EXPECT_NEAR(w->CurveGraph(0).MinY(0), 3.3, 1e-5);
    EXPECT_NEAR(w->CurveGraph(0).MaxY(0), 4.3, 1e-5);
}

TEST_F(Commands, FreshStartOfAOneChannelDeviceEmptiesAnEarlierSecondChannelsCurves)
{
    w->CurveGraph(0).set_CurveCount(10);
    earlierPoints(0, 3);
    earlierPoints(1, 3);
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 0));
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(points(k), 0) << "curve " << k;
}

TEST_F(Commands, StartWithinAStepProgramKeepsTheCurvesAndBeginsANewRunLog)
{
    earlierPoints(0, 4);
    home.write(bak(), "the row before\r\n");
    dev(0).Chained = true;
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 0));
    EXPECT_EQ(wire(), "FA 01 00 64 01 6E 00 00 0A F8");
    EXPECT_EQ(points(0), 4);
    EXPECT_EQ(fileLines(bak()).value(1), "Device:QM-16");
    // The row's readings follow the points already there: the average
    // voltage counts this row's points only.
    w->DevCtrl(0).set_TmrCurveEnable(0, true);
    Running[0][0] = true;
    frame(0, 0, 5, 3.8f, 1.0f);
    frame(0, 0, 6, 3.6f, 1.0f);
    EXPECT_EQ(points(0), 6);
    EXPECT_EQ(cell(0, 1, 6), "3.80V");
}

TEST_F(Commands, StopSendsTheStopFrameAndShowsTheIdlePanel)
{
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 0));
    ASSERT_EQ(wire(), "FA 01 00 64 01 6E 00 00 0A F8");
    DevCtrl &p = w->DevCtrl(0);
    button("cmdStop")->click();
    EXPECT_EQ(wire(), "FA 02 00 00 00 00 00 00 02 F8");
    EXPECT_TRUE(p.RunEnable());
    EXPECT_FALSE(p.StopEnable());
    EXPECT_TRUE(p.ModeEnable());
    EXPECT_TRUE(w->menuSaveData->isEnabled());
    EXPECT_TRUE(w->DevCtrl_StopClick(0, 1));
    EXPECT_EQ(wire(), "FA A2 00 00 00 00 00 00 A2 F8");
}

TEST_F(Commands, AdjustSendsThePanelsSettings)
{
    ASSERT_TRUE(w->DevCtrl_RunClick(0, 0));
    ASSERT_EQ(wire(), "FA 01 00 64 01 6E 00 00 0A F8");
    w->DevCtrl(0).set_tSval(0, QStringLiteral("2.00"));
    button("cmdSet")->click();
    // 2.00 A = 0:200; checksum 07^C8^01^6E = A0.
    EXPECT_EQ(wire(), "FA 07 00 C8 01 6E 00 00 A0 F8");
}

TEST_F(Commands, ModeChoiceGivesTheModesDefaultSettings)
{
    // Type 1: "D-CC" then charge profiles counted in cells; at least 0.1 A and 0.8 V.
    model(0, 1);
    settings(0, 0, 0, 300, 420, 30);
    DevCtrl &p = w->DevCtrl(0);
    p.set_tMode(QStringLiteral("C-NiMh"));
    EXPECT_EQ(p.tSval(0), "0.10");
    EXPECT_EQ(p.lSlmt(0), "Cells:");
    EXPECT_EQ(p.tSlmt(0), "1");
    EXPECT_EQ(p.tStim(0), "0");
    p.set_tMode(QStringLiteral("C-CV"));
    EXPECT_EQ(p.tSval(0), "0.10");
    EXPECT_EQ(p.tSlmt(0), "0.80");
    // Choosing the mode shown changes nothing.
    p.set_tSval(0, QStringLiteral("1.23"));
    p.set_tMode(QStringLiteral("C-CV"));
    EXPECT_EQ(p.tSval(0), "1.23");
    // With no device identified the settings go to zero.
    DevType[0] = 0;
    p.set_tMode(QStringLiteral("D-CC"));
    EXPECT_EQ(chan(0, 0).SetVal, 0);
    EXPECT_EQ(chan(0, 0).SetLmt, 0);
}

TEST_F(Commands, ModeChoiceOnATwoChannelPanelGivesChannelTwoZeros)
{
    // Type 17: "D-CC", "D-CP"; power set values of 0.1 W units.
    model(0, 17);
    settings(0, 0, 0, 250, 3000, 0);
    settings(0, 1, 0, 500, 3000, 0);
    DevCtrl &p = w->DevCtrl(0);
    p.set_tMode(QStringLiteral("D-CP"));
    EXPECT_EQ(p.lSvalt(0), "W");
    EXPECT_EQ(p.tSval(0), "0.1");
    EXPECT_EQ(p.tSlmt(0), "0.00");
    EXPECT_EQ(p.tSval(1), "0.0");
    EXPECT_EQ(p.tSlmt(1), "0.00");
}
