#pragma once
// The seconds counters of every channel: one periodic timer of a second
// (platform/Second.h) per device and channel, on the timer thread of
// platform/PeriodicTimer, counts TotalSecs and, while the channel's test
// counts (TickFlag 1), TestSecs.
//
// The tick runs on the timer thread and touches only the four atomics of
// its channel (TotalSecs, TestSecs, TickFlag, TickId): increments are
// fetch_add, so a reset or restore by the user-interface thread (a store)
// that meets a tick leaves the stored value or that value + 1, never a lost
// reset. Everything else here is called on the user-interface thread.
#include <cstdint>

namespace qx::Timer {

// TestSecs counts too (TickFlag = 1) / no longer (TickFlag = 0).
void TickOn(int Index, int chn);
void TickOff(int Index, int chn);
// Starts the channel's timer when it has none (TickId 0); a timer that
// fails to start leaves TickId at 0, so the next call tries again.
void TickStart(int Index, int chn);
// Stops the channel's timer, then clears TickId; nothing when it has none.
void TickStop(int Index, int chn);
// One tick: user = Index * 10 + chn. A tick whose channel no longer has a
// timer (stopped while the tick was due) stops its own timer.
void TickProc(int32_t id, intptr_t user);

} // namespace qx::Timer
