// The QC2.0 load test against a simulated USB tester whose source sags
// 0.1 V per ampere: the frames of each step as the device receives them,
// the voltages in the grid and on the chart, the test's end, and the
// window's locks, clearing and title.
#include "QcFixture.h"

#include "curves/CurveGraph.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace qx;

namespace {

using Sent = std::vector<std::string>;

const char *const Stop = "FA 02 00 00 00 00 00 00 02 F8";

class QcLoad : public test::QcFixture {
protected:
    void SetUp() override
    {
        QcFixture::SetUp();
        w->SendConnect(0); // the device reports from now on
        take(1);
        readings.emplace(*w, 0);
    }
    frmQC &open()
    {
        w->menuQc_Click();
        EXPECT_TRUE(frmQCForm().isOpen());
        return frmQCForm().get();
    }
    // Test pressed with the ticks left to the test: each tick is run once
    // the readings it should record have arrived.
    void startByHand(frmQC &f)
    {
        f.Timer1->setInterval(24 * 3600 * 1000);
        f.cmdTest->click();
    }
    // The panel shows these readings (the device answered the last step).
    void await(const char *volts, const char *amps)
    {
        const DevCtrl &p = w->DevCtrl(0);
        ASSERT_TRUE(test::waitUntil([&] { return p.tVol(0) == QLatin1String(volts) && p.tCur(0) == QLatin1String(amps); }))
            << p.tVol(0).toStdString() << " " << p.tCur(0).toStdString();
    }
    std::vector<std::string> row(const frmQC &f, int r) const
    {
        std::vector<std::string> out;
        for (int c = 0; c < 7; ++c)
            out.push_back(f.gridList->TextMatrix(r, c).toStdString());
        return out;
    }
    // Points (x, y) of a chart curve.
    static std::vector<std::pair<float, float>> points(const CurveGraph &g, int curve)
    {
        std::vector<std::pair<float, float>> out;
        for (int32_t n = 0; n < g.DpCnt(curve); ++n)
            out.emplace_back(g.DpX(curve, n), g.DpY(curve, n));
        return out;
    }
    bool idle(const frmQC &f) const
    {
        return !f.Timer1->isActive() && f.cmdTest->isEnabled() && f.menuClear->isEnabled() && f.opt5V->isEnabled() &&
               f.opt9V->isEnabled() && f.opt12V->isEnabled();
    }
    bool running(const frmQC &f) const
    {
        return f.Timer1->isActive() && !f.cmdTest->isEnabled() && !f.menuClear->isEnabled() && !f.opt5V->isEnabled() &&
               !f.opt9V->isEnabled() && !f.opt12V->isEnabled();
    }

    std::optional<test::SimReadings> readings;
};

} // namespace

TEST(QcLoadTestSteps, ListsHoldTheTickedCurrentsInBoxOrderWithTheirColumns)
{
    qc::LoadTest t;
    t.begin({0b11111, 0b1010, 0});
    const qc::LoadTest::List &l5 = t.list(0), &l9 = t.list(1), &l12 = t.list(2);
    EXPECT_EQ(l5.cur, (std::array<float, 6>{0.5f, 1.0f, 1.5f, 2.0f, 2.2f, 0}));
    EXPECT_EQ(l5.col, (std::array<int, 6>{2, 3, 4, 5, 6, 0}));
    EXPECT_EQ(l9.cur, (std::array<float, 6>{1.0f, 2.0f, 0, 0, 0, 0}));
    EXPECT_EQ(l9.col, (std::array<int, 6>{3, 5, 0, 0, 0, 0}));
    EXPECT_EQ(l12.cur, (std::array<float, 6>{}));

    using A = qc::LoadTest::Action;
    const struct {
        int column;
        A action;
        float current;
    } steps9V[] = {{1, A::Start, 1.0f}, {3, A::Adjust, 2.0f}, {5, A::End, 0}};
    for (const auto &s : steps9V) {
        const qc::LoadTest::Step got = t.tick(1);
        EXPECT_EQ(got.column, s.column);
        EXPECT_EQ(got.action, s.action);
        EXPECT_EQ(got.current, s.current);
    }
    EXPECT_THROW(qc::loadLevel(3), QxError);
}

TEST_F(QcLoad, FiveVoltTestRecordsTheOpenVoltageAndOneVoltagePerCurrent)
{
    frmQC &f = open();
    EXPECT_EQ(f.windowTitle(), "QC2.0 测试");
    EXPECT_EQ(row(f, 0), (std::vector<std::string>{"QC2.0", "Open", "0.5A", "1.0A", "1.5A", "2.0A", "2.2A"}));
    EXPECT_EQ(row(f, 1), (std::vector<std::string>{"5V Out", "", "", "", "", "", ""}));
    await("5.100", "0.000");
    startByHand(f);
    EXPECT_TRUE(running(f));

    // One step per reading: the open voltage starts the load at 0.5 A, each
    // further step moves it on; the voltage under 2.2 A ends the test.
    const struct {
        const char *volts, *amps;
        const char *frame;
    } steps[] = {
        {"5.100", "0.000", "FA 01 02 14 01 A0 00 00 B6 F8"}, // start: 0.5 A, limit 4.00 V, no time limit
        {"5.050", "0.500", "FA 07 04 28 01 A0 00 00 8A F8"}, // adjust to 1.0 A
        {"5.000", "1.000", "FA 07 06 3C 01 A0 00 00 9C F8"}, // 1.5 A
        {"4.950", "1.500", "FA 07 08 50 01 A0 00 00 0E F8"}, // 2.0 A
        {"4.900", "2.000", "FA 07 09 28 01 A0 00 00 87 F8"}, // 2.2 A
        {"4.880", "2.200", Stop},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.volts);
        await(s.volts, s.amps);
        f.Timer1_Timer();
        EXPECT_EQ(take(1), Sent{s.frame});
    }
    EXPECT_TRUE(idle(f));
    EXPECT_EQ(row(f, 1), (std::vector<std::string>{"5V Out", "5.100", "5.050", "5.000", "4.950", "4.900", "4.880"}));
    EXPECT_EQ(row(f, 2), (std::vector<std::string>{"9V Out", "", "", "", "", "", ""}));
    const DevCtrl &p = w->DevCtrl(0);
    EXPECT_EQ(p.tSval(0), "2.20");
    EXPECT_EQ(p.tSlmt(0), "04.00");
    EXPECT_EQ(p.tStim(0), "0");
    ASSERT_TRUE(test::waitUntil([&] { return !sim.channel(0).running; }));

    // Each reading is a flat segment one x unit wide.
    const CurveGraph &g = *f.CurveGraph;
    using P = std::vector<std::pair<float, float>>;
    EXPECT_EQ(points(g, 0), (P{{0, 5.1f}, {1, 5.1f}, {1, 5.05f}, {2, 5.05f}, {2, 5.0f}, {3, 5.0f},
                               {3, 4.95f}, {4, 4.95f}, {4, 4.9f}, {5, 4.9f}, {5, 4.88f}, {6, 4.88f}}));
    EXPECT_EQ(points(g, 1), (P{{0, 0}, {1, 0}, {1, 0.5f}, {2, 0.5f}, {2, 1.0f}, {3, 1.0f},
                               {3, 1.5f}, {4, 1.5f}, {4, 2.0f}, {5, 2.0f}, {5, 2.2f}, {6, 2.2f}}));
    EXPECT_EQ(f.PlotX, 6);
}

TEST_F(QcLoad, NineVoltTestWithTwoCurrentsRunsOnItsOwnTimer)
{
    w->RemoteQC(0, 1); // the source to 9 V
    take(1);
    frmQC &f = open();
    for (int i : {0, 2})
        f.chk9[size_t(i)]->setChecked(false);
    f.gridList->set_TextMatrix(2, 2, QStringLiteral("kept"));
    f.gridList->set_TextMatrix(2, 4, QStringLiteral("kept"));
    f.opt9V->click();
    await("9.000", "0.000");
    EXPECT_EQ(f.Timer1->interval(), 2000);
    f.cmdTest->click();
    // Real time: the readings have two seconds to follow each step.
    EXPECT_EQ(take(1, 10000), Sent{"FA 01 04 28 03 50 00 00 7E F8"}); // 1.0 A, limit 8.00 V
    EXPECT_EQ(take(1, 10000), Sent{"FA 07 08 50 03 50 00 00 0C F8"}); // 2.0 A
    EXPECT_EQ(take(1, 10000), Sent{Stop});
    EXPECT_TRUE(idle(f));
    EXPECT_EQ(row(f, 2), (std::vector<std::string>{"9V Out", "9.000", "kept", "8.900", "kept", "8.800", ""}));
    EXPECT_EQ(f.CurveGraph->DpCnt(0), 6);
}

TEST_F(QcLoad, ATestTheDeviceEndsStopsThereAndLeavesTheCurrentsNotMeasuredEmpty)
{
    // 9 V chosen, but the source still gives 5.1 V: the device's cut-off
    // at 8 V ends the test soon after the start.
    frmQC &f = open();
    for (int i : {0, 2})
        f.chk9[size_t(i)]->setChecked(false);
    for (int col : {2, 3, 5})
        f.gridList->set_TextMatrix(2, col, QStringLiteral("earlier"));
    f.opt9V->click();
    await("5.100", "0.000");
    startByHand(f);
    f.Timer1_Timer();
    EXPECT_EQ(take(1), Sent{"FA 01 04 28 03 50 00 00 7E F8"}); // 1.0 A, limit 8.00 V
    await("5.000", "1.000");
    sim.withDevice([](sim::SimDevice &d) {
        d.channel(0).running = false;
        d.channel(0).endReason = "cutoff";
    });
    await("5.100", "0.000");
    ASSERT_TRUE(test::waitUntil([] { return !Running[0][0]; }));

    f.Timer1_Timer();
    EXPECT_TRUE(idle(f));
    ASSERT_EQ(ui.msgTexts(), QStringList{"The device ended the test!"});
    EXPECT_EQ(ui.msgs[0].style, MbInformation);
    // The open voltage stands; the voltages under 1.0 A and 2.0 A were not
    // measured; the unticked 0.5 A keeps what it had.
    EXPECT_EQ(row(f, 2), (std::vector<std::string>{"9V Out", "5.100", "earlier", "", "", "", ""}));
    EXPECT_TRUE(takeAll().empty()) << "no adjust, no stop to a stopped device";
    expectNothingMore();
}

TEST_F(QcLoad, ALevelWithoutCurrentsRecordsTheOpenVoltageAndStops)
{
    frmQC &f = open();
    for (QCheckBox *b : f.chk12)
        b->setChecked(false);
    f.opt12V->click();
    await("5.100", "0.000");
    startByHand(f);
    f.Timer1_Timer();
    EXPECT_TRUE(idle(f));
    EXPECT_EQ(take(1), Sent{Stop}) << "no start before the stop";
    EXPECT_EQ(row(f, 3), (std::vector<std::string>{"12V Out", "5.100", "", "", "", "", ""}));
}

TEST_F(QcLoad, ASecondTestContinuesTheChartAndClearTestStartsAfresh)
{
    frmQC &f = open();
    for (size_t i = 1; i < f.chk5.size(); ++i)
        f.chk5[i]->setChecked(false);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        await("5.100", "0.000");
        startByHand(f);
        f.Timer1_Timer();
        await("5.050", "0.500");
        f.Timer1_Timer();
        EXPECT_EQ(take(2), (Sent{"FA 01 02 14 01 A0 00 00 B6 F8", Stop}));
        EXPECT_TRUE(idle(f));
    }
    EXPECT_EQ(f.PlotX, 4);
    EXPECT_EQ(f.CurveGraph->DpCnt(0), 8);
    EXPECT_EQ(f.CurveGraph->DpX(0, 7), 4.0f);
    EXPECT_EQ(row(f, 1), (std::vector<std::string>{"5V Out", "5.100", "5.050", "", "", "", ""}));

    f.menuClear->trigger();
    EXPECT_EQ(f.PlotX, 0);
    EXPECT_EQ(f.CurveGraph->DpCnt(0), 0);
    EXPECT_EQ(f.CurveGraph->DpCnt(1), 0);
    EXPECT_EQ(row(f, 0), (std::vector<std::string>{"QC2.0", "空载", "0.5A", "1.0A", "1.5A", "2.0A", "2.2A"}));
    EXPECT_EQ(row(f, 1), (std::vector<std::string>{"5V输出", "", "", "", "", "", ""}));
    EXPECT_EQ(f.gridList->TextMatrix(2, 0), "9V输出");
    EXPECT_EQ(f.gridList->TextMatrix(3, 0), "12V输出");
}

TEST_F(QcLoad, ClosingDuringATestStopsTheLoad)
{
    frmQC &f = open();
    await("5.100", "0.000");
    startByHand(f);
    f.Timer1_Timer();
    EXPECT_EQ(take(1), Sent{"FA 01 02 14 01 A0 00 00 B6 F8"});
    ASSERT_TRUE(test::waitUntil([&] { return sim.channel(0).running; }));
    f.close();
    EXPECT_EQ(take(1), Sent{Stop});
    ASSERT_TRUE(test::waitUntil([&] { return !sim.channel(0).running; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmQCForm().isLoaded());
    expectNothingMore();
}

TEST_F(QcLoad, ATestKeepsToItsDeviceAndLevel)
{
    w->menuAddDev_Click();
    frmQC &f = open();
    for (size_t i = 2; i < f.chk5.size(); ++i)
        f.chk5[i]->setChecked(false);
    await("5.100", "0.000");
    startByHand(f);
    EXPECT_TRUE(running(f)) << "level options locked";
    f.opt9V->click();
    EXPECT_TRUE(f.opt5V->isChecked());

    // Another tab selected during the test: the test goes on with device 0.
    w->DevCtrl(1).set_tVol(0, QStringLiteral("7.777"));
    w->tabDev->set_SelectedIndex(2);
    ASSERT_EQ(CurDev, 1);
    const QString other = w->DevCtrl(1).tSval(0);
    f.Timer1_Timer();
    await("5.050", "0.500");
    f.Timer1_Timer();
    await("5.000", "1.000");
    f.Timer1_Timer();
    EXPECT_EQ(take(3), (Sent{"FA 01 02 14 01 A0 00 00 B6 F8", "FA 07 04 28 01 A0 00 00 8A F8", Stop}));
    EXPECT_EQ(row(f, 1), (std::vector<std::string>{"5V Out", "5.100", "5.050", "5.000", "", "", ""}));
    EXPECT_EQ(w->DevCtrl(1).tSval(0), other) << "the other device's panel untouched";
    EXPECT_TRUE(idle(f));
}

TEST_F(QcLoad, ModifyTitleTakesANonEmptyAnswer)
{
    frmQC &f = open();
    const QString before = f.CurveGraph->TitleText();
    ui.inputAnswers = {QString(), std::nullopt, QStringLiteral("Charger A")};
    for (int k = 0; k < 3; ++k)
        f.menuTitle->trigger();
    EXPECT_EQ(f.CurveGraph->TitleText(), "Charger A");
    ASSERT_EQ(ui.inputs.size(), 3u);
    EXPECT_EQ(ui.inputs[0].prompt, "Please input new title");
    EXPECT_EQ(ui.inputs[0].title, "Prompt");
    EXPECT_EQ(ui.inputs[2].defaultText, before);
    f.menuSave->trigger(); // no action
    EXPECT_TRUE(takeAll().empty());
}
