#pragma once
// Periodic timers that call back on a timer thread of their own, independent
// of the user-interface thread's event queue (the seconds counters run on
// them). All timers share one timer thread, so their callbacks never run at
// the same time. A callback must be short and must not wait for the
// user-interface thread.
#include <cstdint>

namespace qx {

// Callback: the timer's id and the user value given at the start.
using PeriodicProc = void (*)(int32_t id, intptr_t user);

// Starts a timer that calls proc(id, user) every periodMs milliseconds, the
// first time periodMs after the start. Returns its id (never 0), or 0 when
// periodMs is not positive or proc is null.
int32_t startPeriodic(int periodMs, PeriodicProc proc, intptr_t user);

// Stops a timer; false when no timer has that id (already stopped: no
// effect). Called from another thread while the timer's callback runs, it
// waits for that callback to end, so no callback of the timer runs after it
// returns. Called from a callback (its own timer or another), it does not
// wait.
bool killPeriodic(int32_t id);

// Whether a timer with that id runs.
bool periodicRunning(int32_t id);

} // namespace qx
