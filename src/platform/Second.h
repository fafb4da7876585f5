#pragma once
// The length of the second that the seconds counters (services/Timer) and the
// panels' once-a-second timers (run time, curve time, the sweep's and the
// step program's ticks) count in: 1000 ms. Nothing in the program changes
// it. End-to-end tests shorten it before they start what counts, so a test
// program of minutes runs in a fraction of the real time; counters and
// timers started before the change keep the length they started with.
#include <atomic>

namespace qx {

namespace detail {
inline std::atomic<int> secondMs{1000};
}

inline int secondMs() { return detail::secondMs.load(); }

// For tests; below 1 ms counts as 1 ms.
inline void setSecondMs(int ms) { detail::secondMs.store(ms < 1 ? 1 : ms); }

} // namespace qx
