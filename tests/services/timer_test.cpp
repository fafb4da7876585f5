// Seconds counters: one timer per channel, counting TotalSecs and, while
// the test counts, TestSecs, on the timer thread; resets and restores from
// the user-interface thread racing the ticks are never lost.
#include "common/ShortSecond.h"
#include "services/State.h"
#include "services/Timer.h"
#include "platform/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace qx;
using namespace std::chrono_literals;

namespace {

class SecondsCounters : public ::testing::Test {
protected:
    SecondsCounters() { resetState(); }
    ~SecondsCounters() override
    {
        for (int i = 0; i < DevSlots; ++i)
            for (int c = 0; c < ChnSlots; ++c)
                Timer::TickStop(i, c);
        resetState();
    }
};

template <class Pred>
bool waitFor(Pred pred, std::chrono::milliseconds limit = 10000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

} // namespace

TEST_F(SecondsCounters, OneTimerPerChannelCountingOnItsOwnThread)
{
    EXPECT_EQ(secondMs(), 1000) << "the program counts whole seconds";
    test::ShortSecond second{20};
    Timer::TickOn(2, 1);
    Timer::TickStart(2, 1);
    const int32_t id = TickId[2][1].load();
    ASSERT_NE(id, 0);
    Timer::TickStart(2, 1); // a second start keeps the one timer
    EXPECT_EQ(TickId[2][1].load(), id);

    // The user-interface thread is not involved: this thread only waits.
    ASSERT_TRUE(waitFor([] { return TotalSecs[2][1].load() >= 2; }));
    EXPECT_GE(TestSecs[2][1].load(), 1);
    EXPECT_EQ(TotalSecs[2][0].load(), 0); // the other channel does not count

    // Test seconds off: only the total goes on.
    Timer::TickOff(2, 1);
    const int32_t test = TestSecs[2][1].load(), total = TotalSecs[2][1].load();
    ASSERT_TRUE(waitFor([&] { return TotalSecs[2][1].load() >= total + 2; }));
    EXPECT_LE(TestSecs[2][1].load(), test + 1); // a tick under way may count once more

    Timer::TickStop(2, 1);
    EXPECT_EQ(TickId[2][1].load(), 0);
    EXPECT_FALSE(periodicRunning(id));
    // Stopped, it counts no more while another channel's counter, started
    // now, counts twice (all ticks take turns on one thread, in the order
    // they come due).
    const int32_t stopped = TotalSecs[2][1].load();
    Timer::TickStart(2, 0);
    ASSERT_TRUE(waitFor([] { return TotalSecs[2][0].load() >= 2; }));
    EXPECT_EQ(TotalSecs[2][1].load(), stopped);
    Timer::TickStop(2, 1); // no timer: nothing happens
    Timer::TickStop(5, 0);
}

TEST_F(SecondsCounters, TickRecoversItsChannelFromTheUserValue)
{
    const struct {
        intptr_t user;
        int Index, chn;
    } cases[] = {{101, 10, 1}, {0, 0, 0}, {90, 9, 0}, {11, 1, 1}};
    for (const auto &c : cases) {
        resetState();
        TickId[c.Index][c.chn].store(12345); // as if its timer ran
        TickFlag[c.Index][c.chn].store(1);
        Timer::TickProc(12345, c.user);
        EXPECT_EQ(TotalSecs[c.Index][c.chn].load(), 1) << c.user;
        EXPECT_EQ(TestSecs[c.Index][c.chn].load(), 1) << c.user;
    }
    // A value that names no channel counts nothing and does not fail.
    resetState();
    Timer::TickProc(1, 110);
    Timer::TickProc(1, -1);
    Timer::TickProc(1, 2);
    for (int i = 0; i < DevSlots; ++i)
        for (int c = 0; c < ChnSlots; ++c)
            EXPECT_EQ(TotalSecs[i][c].load(), 0);
}

TEST_F(SecondsCounters, ATickAfterTheStopStopsItsOwnTimer)
{
    // A tick that was due when its channel's timer was stopped.
    const int32_t id = startPeriodic(60000, &Timer::TickProc, 31);
    ASSERT_NE(id, 0);
    TickId[3][1].store(0);
    Timer::TickProc(id, 31);
    EXPECT_EQ(TotalSecs[3][1].load(), 1); // counts once more
    EXPECT_FALSE(periodicRunning(id));
}

TEST_F(SecondsCounters, ResetsAndRestoresRacingTicksAreNeverLost)
{
    // Two ticking threads (the timer thread's callback, called here as fast
    // as it can go) against the user-interface thread setting the counters.
    TickFlag[4][0].store(1);
    TickId[4][0].store(777);
    std::atomic<bool> stop{false};
    std::atomic<int64_t> ticks{0};
    const auto ticker = [&] {
        while (!stop.load()) {
            Timer::TickProc(777, 40);
            ticks.fetch_add(1);
        }
    };
    std::thread a(ticker), b(ticker);
    int checked = 0;
    for (int round = 0; round < 20000; ++round) {
        // Far apart from one round to the next, so a lost store shows.
        const int32_t restore = round % 2 ? 1000000 + round : round;
        const int32_t reset = round % 2 ? 0 : 500000;
        const int64_t before = ticks.load();
        TotalSecs[4][0].store(restore);
        TestSecs[4][0].store(reset);
        const int32_t total = TotalSecs[4][0].load(), test = TestSecs[4][0].load();
        const int64_t after = ticks.load();
        // At most the ticks that ran meanwhile (+ one per ticker under way).
        ASSERT_GE(total, restore) << round;
        ASSERT_LE(total, restore + (after - before) + 2) << round;
        ASSERT_GE(test, reset) << round;
        ASSERT_LE(test, reset + (after - before) + 2) << round;
        ++checked;
    }
    // Without resets no increment is lost.
    TotalSecs[4][0].store(0);
    stop = true;
    a.join();
    b.join();
    EXPECT_EQ(checked, 20000);

    TotalSecs[5][1].store(0);
    TickId[5][1].store(778);
    std::thread c([] {
        for (int i = 0; i < 200000; ++i)
            Timer::TickProc(778, 51);
    });
    std::thread d([] {
        for (int i = 0; i < 200000; ++i)
            Timer::TickProc(778, 51);
    });
    c.join();
    d.join();
    EXPECT_EQ(TotalSecs[5][1].load(), 400000);
    EXPECT_EQ(TestSecs[5][1].load(), 0); // TickFlag 0
}
