// The step program engine: rows run one after the other with the frames they
// send read on the far end of the port (a pseudo-terminal opened through the
// program's serial layer), the device's running state, capacity and energy
// set as the receive routine sets them, and the step result table as shown.
#include "PtyFixture.h"

using namespace qx;
using test::Stop0;

namespace {

class StepRun : public test::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        LastDisMode[0] = 1;
        LastChgMode[0] = 3;
        p().ModeClr();
        for (const char *m : {"D-CC", "D-CV", "C-NiMh", "C-CV"})
            p().ModeAdd(QString::fromLatin1(m));
        idle();
        // The mode list's handler keeps the channel's mode index.
        QObject::connect(&p(), &DevCtrl::ModeClick, w, [this] { chan(0, 0).Mode = p().ModeIdx(); });
    }
    void program(std::initializer_list<std::array<const char *, 4>> rows)
    {
        int r = 1;
        for (const auto &row : rows) {
            for (int c = 1; c <= 4; ++c)
                p().set_tStepSet(r, c, QString::fromLatin1(row[size_t(c - 1)]));
            ++r;
        }
    }
    // The channel as the receive routine leaves it.
    void running(float cap, float energy)
    {
        Running[0][0] = true;
        p().set_RunEnable(false);
        p().set_StopEnable(true);
        chan(0, 0).Cap = cap;
        chan(0, 0).Energy = energy;
    }
    void idle()
    {
        Running[0][0] = false;
        p().set_RunEnable(true);
        p().set_StopEnable(false);
    }
    void tick() { Q_EMIT p().StepTmrOn(); }
    std::string startCmd() { return next().substr(0, 5); }
    std::string row(int r)
    {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << p().tStepList(r, c);
        return cells.join(QLatin1Char('|')).toStdString();
    }
};

} // namespace

TEST_F(StepRun, DischargeWaitChargeAndCycleFillTheStepTable)
{
    // D-CC for 0.05 min (3 s), a wait of 0.05 min, a C-NiMh charge, two passes.
    program({{"D-CC", "1.00", "3.00", "0.05"}, {"Wait", "", "", "0.05"}, {"C-NiMh", "0.50", "4", "0"},
             {"Cycle", "", "", "2"}, {"D-CV", "1", "1", "1"}});
    Q_EMIT p().StepTestClick();
    EXPECT_EQ(p().StepCmd(), "Stop");
    EXPECT_TRUE(p().StepTmrEnable());
    EXPECT_EQ(row(0), "Step|Mode|Capacity|Energy");

    for (int pass = 1; pass <= 2; ++pass) {
        const std::string n = std::to_string(pass);
        tick();  // row 1 loaded and started
        EXPECT_EQ(startCmd(), "FA 01") << pass;
        EXPECT_EQ(p().tMode(), "D-CC");
        EXPECT_EQ(p().tSval(0), "1.00");
        EXPECT_EQ(p().tSlmt(0), "3.00");
        EXPECT_EQ(p().tStim(0), "0.05");
        EXPECT_TRUE(dev(0).Chained);
        running(0.5f * pass, 1.8f * pass);
        tick();
        tick();
        EXPECT_EQ(next(300), "");
        tick();  // third running second: the row's time is up
        EXPECT_EQ(next(), Stop0);
        running(10.25f * pass, 37.5f * pass);
        idle();
        tick();  // row 1 ended
        tick();  // wait row loaded: nothing sent
        tick();
        tick();
        EXPECT_EQ(next(300), "");
        tick();  // third waited second
        tick();  // wait row ended
        tick();  // row 3 loaded and started
        EXPECT_EQ(startCmd(), "FA 21") << pass;  // C-NiMh is mode 2
        EXPECT_EQ(p().tMode(), "C-NiMh");
        running(0.125f, 0.5f);
        tick();
        idle();  // the device ends the charge itself
        tick();  // row 3 ended; "Cycle" follows
        (void)n;
    }
    // Pass 2 is the last: rows after the "Cycle" row never run.
    EXPECT_EQ(next(300), "");
    EXPECT_EQ(p().StepCmd(), "Start");
    EXPECT_FALSE(p().StepTmrEnable());
    EXPECT_FALSE(dev(0).StepOn);
    EXPECT_FALSE(dev(0).Chained);

    EXPECT_EQ(row(1), "1-1|D-CC|10.25|37.50");
    EXPECT_EQ(row(2), "1-2|Wait|0|0");
    EXPECT_EQ(row(3), "1-3|C-NiMh|0.125|0.500");
    EXPECT_EQ(row(4), "2-1|D-CC|20.50|75.00");
    EXPECT_EQ(row(5), "2-2|Wait|0|0");
    EXPECT_EQ(row(6), "2-3|C-NiMh|0.125|0.500");
    EXPECT_EQ(p().StepListCnt(), 9);
    EXPECT_EQ(row(7), "|||");
}

TEST_F(StepRun, ARowThatDoesNotStartIsGivenUpAfterTheFourthRepeat)
{
    program({{"D-CC", "1.00", "3.00", "0"}, {"D-CV", "5", "4", "0"}});
    Q_EMIT p().StepTestClick();
    tick();
    EXPECT_EQ(startCmd(), "FA 01");
    for (int i = 0; i < 4; ++i) {
        idle();  // the device's idle frames show the panel idle again
        tick();  // started again
        EXPECT_EQ(startCmd(), "FA 01") << i;
    }
    tick();  // given up: row 2 follows
    EXPECT_EQ(next(300), "");
    idle();
    tick();
    EXPECT_EQ(startCmd(), "FA 11");
    EXPECT_EQ(row(2).substr(0, 8), "1-2|D-CV");
    // While the Run button stays disabled the engine waits.
    p().set_RunEnable(false);
    for (int i = 0; i < 6; ++i)
        tick();
    EXPECT_EQ(next(300), "");
    EXPECT_TRUE(dev(0).StepOn);

    // Stop by the user with the channel idle: no stop frame.
    idle();
    Q_EMIT p().StepTestClick();
    EXPECT_EQ(next(300), "");
    EXPECT_EQ(p().StepCmd(), "Start");
}

TEST_F(StepRun, StartStopAndFailures)
{
    // Row 1 empty: Start does nothing.
    Q_EMIT p().StepTestClick();
    EXPECT_FALSE(dev(0).StepOn);
    EXPECT_EQ(p().StepCmd(), "Start");

    // A column 4 that is not a number: the tick is logged and tried again.
    program({{"D-CC", "1.00", "3.00", "abc"}});
    Q_EMIT p().StepTestClick();
    tick();
    tick();
    EXPECT_EQ(next(300), "");
    EXPECT_EQ(errLog().count(QStringLiteral("[ErrStepTmrOn(0 False 0)]")), 2) << errLog().toStdString();
    EXPECT_TRUE(dev(0).StepOn);

    // Stop while the channel runs: the stop frame; a monitored channel keeps
    // its curve timer.
    p().set_tStepSet(1, 4, QStringLiteral("1"));
    tick();
    EXPECT_EQ(startCmd(), "FA 01");
    running(0.1f, 0.2f);
    p().set_TmrCurveEnable(0, true);
    w->set_lstInfoLine(0, 3, QStringLiteral("Monitor"));
    Q_EMIT p().StepTestClick();
    EXPECT_EQ(next(), Stop0);
    EXPECT_TRUE(p().TmrCurveEnable(0));
    EXPECT_FALSE(dev(0).Chained);

    // Clear empties the program table.
    Q_EMIT p().StepClrClick();
    EXPECT_EQ(p().tStepSet(1, 1), "");
    EXPECT_EQ(p().tStepSet(0, 1), "Mode");
}
