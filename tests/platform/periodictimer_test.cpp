#include "platform/PeriodicTimer.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace qx;
using namespace std::chrono_literals;

namespace {

struct Probe {
    std::atomic<int32_t> count{0};
    std::atomic<bool> inside{false};
    std::atomic<std::thread::id> thread{};
    int sleepMs = 0;
    int32_t killOwnAfter = 0; // kill the own timer at this count
    std::atomic<int> killResult{-1};
};

void tick(int32_t id, intptr_t user)
{
    auto *p = reinterpret_cast<Probe *>(user);
    p->inside = true;
    p->thread = std::this_thread::get_id();
    int32_t n = p->count.fetch_add(1) + 1;
    if (p->sleepMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(p->sleepMs));
    if (p->killOwnAfter && n == p->killOwnAfter)
        p->killResult = killPeriodic(id) ? 1 : 0;
    p->inside = false;
}

template <class Pred>
bool waitFor(Pred pred, std::chrono::milliseconds limit = 5000ms)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Waits until a timer of periodMs, started now, has ticked twice: every
// tick of another timer that comes due before then has run by then (ticks
// take turns on one thread, in the order they come due).
void letTicksComeDue(int periodMs)
{
    Probe later;
    const int32_t id = startPeriodic(periodMs, tick, intptr_t(&later));
    ASSERT_TRUE(waitFor([&] { return later.count >= 2; }));
    killPeriodic(id);
}

} // namespace

TEST(PeriodicTimer, RefusesBadArguments)
{
    Probe p;
    EXPECT_EQ(startPeriodic(0, tick, intptr_t(&p)), 0);
    EXPECT_EQ(startPeriodic(-5, tick, intptr_t(&p)), 0);
    EXPECT_EQ(startPeriodic(10, nullptr, 0), 0);
    EXPECT_FALSE(killPeriodic(0));
    EXPECT_FALSE(killPeriodic(123456));
}

TEST(PeriodicTimer, CountsAtAboutItsRateOnItsOwnThreadUntilKilled)
{
    Probe p;
    const auto start = std::chrono::steady_clock::now();
    int32_t id = startPeriodic(20, tick, intptr_t(&p));
    ASSERT_NE(id, 0);
    EXPECT_TRUE(periodicRunning(id));
    ASSERT_TRUE(waitFor([&] { return p.count >= 10; }));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 190ms); // ten periods of 20 ms, never early
    EXPECT_NE(p.thread.load(), std::this_thread::get_id());
    EXPECT_TRUE(killPeriodic(id));
    EXPECT_FALSE(periodicRunning(id));
    const int32_t after = p.count;
    letTicksComeDue(20);
    EXPECT_EQ(p.count, after);
    EXPECT_FALSE(killPeriodic(id)); // a second stop has no effect
}

TEST(PeriodicTimer, KillWaitsForARunningCallback)
{
    Probe p;
    p.sleepMs = 80;
    int32_t id = startPeriodic(5, tick, intptr_t(&p));
    ASSERT_TRUE(waitFor([&] { return p.inside.load(); }));
    EXPECT_TRUE(killPeriodic(id));
    EXPECT_FALSE(p.inside); // the callback had finished when kill returned
    const int32_t after = p.count;
    letTicksComeDue(5);
    EXPECT_EQ(p.count, after);
}

TEST(PeriodicTimer, ACallbackCanKillItsOwnTimer)
{
    Probe p;
    p.killOwnAfter = 3;
    int32_t id = startPeriodic(5, tick, intptr_t(&p));
    ASSERT_TRUE(waitFor([&] { return p.killResult != -1; }));
    EXPECT_EQ(p.killResult, 1);
    letTicksComeDue(5);
    EXPECT_EQ(p.count, 3);
    EXPECT_FALSE(periodicRunning(id));
    EXPECT_FALSE(killPeriodic(id));
}

TEST(PeriodicTimer, TwentyTwoTimersRunSideBySide)
{
    std::vector<Probe> probes(22);
    std::vector<int32_t> ids;
    for (auto &p : probes)
        ids.push_back(startPeriodic(10, tick, intptr_t(&p)));
    for (size_t i = 0; i < ids.size(); ++i) {
        ASSERT_NE(ids[i], 0);
        for (size_t j = 0; j < i; ++j)
            ASSERT_NE(ids[i], ids[j]);
    }
    ASSERT_TRUE(waitFor([&] {
        for (auto &p : probes)
            if (p.count < 5)
                return false;
        return true;
    }));
    // Stopping one leaves the others running.
    EXPECT_TRUE(killPeriodic(ids[0]));
    const int32_t stopped = probes[0].count;
    const int32_t other = probes[21].count;
    ASSERT_TRUE(waitFor([&] { return probes[21].count >= other + 3; }));
    EXPECT_EQ(probes[0].count, stopped);
    for (size_t i = 1; i < ids.size(); ++i)
        EXPECT_TRUE(killPeriodic(ids[i]));
}

// All timers share one timer thread: callbacks of different timers take
// turns and never overlap, so a callback may touch what the other timers'
// callbacks touch without a lock of its own.
namespace {
std::atomic<int> insideNow{0};
std::atomic<int> overlaps{0};
std::atomic<int> calls{0};
std::atomic<std::thread::id> firstThread{};
std::atomic<int> otherThreads{0};
void takeTurn(int32_t, intptr_t)
{
    if (insideNow.fetch_add(1) != 0)
        ++overlaps;
    std::thread::id none{};
    if (!firstThread.compare_exchange_strong(none, std::this_thread::get_id()) &&
        firstThread.load() != std::this_thread::get_id())
        ++otherThreads;
    std::this_thread::sleep_for(2ms); // long enough for a second thread to come in
    ++calls;
    insideNow.fetch_sub(1);
}
} // namespace

TEST(PeriodicTimer, CallbacksOfAllTimersTakeTurnsOnOneThread)
{
    std::vector<int32_t> ids;
    for (int i = 0; i < 6; ++i)
        ids.push_back(startPeriodic(3, takeTurn, 0));
    ASSERT_TRUE(waitFor([] { return calls >= 60; }));
    for (int32_t id : ids)
        EXPECT_TRUE(killPeriodic(id));
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(otherThreads, 0);
    EXPECT_NE(firstThread.load(), std::this_thread::get_id());
}
