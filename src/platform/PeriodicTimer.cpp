#include "platform/PeriodicTimer.h"
#include "platform/Guard.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace qx {

namespace {

using Clock = std::chrono::steady_clock;

struct Entry {
    Clock::duration period;
    Clock::time_point due;
    PeriodicProc proc;
    intptr_t user;
};

class TimerThread {
public:
    ~TimerThread()
    {
        {
            std::lock_guard lock(m_);
            stop_ = true;
            timers_.clear();
        }
        wake_.notify_all();
        if (worker_.joinable())
            worker_.join();
    }

    int32_t start(int periodMs, PeriodicProc proc, intptr_t user)
    {
        if (periodMs <= 0 || !proc)
            return 0;
        std::lock_guard lock(m_);
        if (stop_)
            return 0;
        if (!worker_.joinable())
            worker_ = std::thread([this] { run(); });
        int32_t id = nextId();
        const auto period = std::chrono::milliseconds(periodMs);
        timers_[id] = Entry{period, Clock::now() + period, proc, user};
        wake_.notify_all();
        return id;
    }

    bool kill(int32_t id)
    {
        std::unique_lock lock(m_);
        if (timers_.erase(id) == 0)
            return false;
        wake_.notify_all();
        if (std::this_thread::get_id() != worker_.get_id())
            idle_.wait(lock, [&] { return running_ != id; });
        return true;
    }

    bool running(int32_t id)
    {
        std::lock_guard lock(m_);
        return timers_.count(id) != 0;
    }

private:
    int32_t nextId()
    {
        do {
            last_ = last_ == INT32_MAX ? 1 : last_ + 1;
        } while (timers_.count(last_));
        return last_;
    }

    void run()
    {
        std::unique_lock lock(m_);
        while (!stop_) {
            if (timers_.empty()) {
                wake_.wait(lock);
                continue;
            }
            auto next = timers_.begin();
            for (auto it = timers_.begin(); it != timers_.end(); ++it)
                if (it->second.due < next->second.due)
                    next = it;
            const auto now = Clock::now();
            if (now < next->second.due) {
                const Clock::time_point due = next->second.due; // the entry may go while waiting
                wake_.wait_until(lock, due);
                continue;
            }
            const int32_t id = next->first;
            Entry &e = next->second;
            e.due += e.period;
            if (now - e.due > 10 * e.period)
                e.due = now + e.period; // far behind (suspended machine): no burst of ticks
            const PeriodicProc proc = e.proc;
            const intptr_t user = e.user;
            running_ = id;
            lock.unlock();
            try {
                proc(id, user);
            } catch (const std::exception &ex) {
                reportUnhandled(QStringLiteral("ErrTimerProc"), QString::fromUtf8(ex.what()));
            } catch (...) {
                reportUnhandled(QStringLiteral("ErrTimerProc"), QStringLiteral("unknown error"));
            }
            lock.lock();
            running_ = 0;
            idle_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::map<int32_t, Entry> timers_;
    std::thread worker_;
    int32_t running_ = 0;
    int32_t last_ = 0;
    bool stop_ = false;
};

TimerThread &timerThread()
{
    static TimerThread t;
    return t;
}

} // namespace

int32_t startPeriodic(int periodMs, PeriodicProc proc, intptr_t user)
{
    return timerThread().start(periodMs, proc, user);
}

bool killPeriodic(int32_t id) { return timerThread().kill(id); }

bool periodicRunning(int32_t id) { return timerThread().running(id); }

} // namespace qx
