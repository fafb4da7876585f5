#pragma once
// The program's second (platform/Second.h) shortened for the life of the
// object, so the seconds counters and the panels' once-a-second timers that
// start meanwhile tick at `ms`. Made before the window (a panel takes the
// length when it is built); the length before comes back at the end.
//
//   test::ShortSecond second{100}; // a fixture member: ten seconds a second
#include "platform/Second.h"

namespace qx::test {

class ShortSecond {
public:
    explicit ShortSecond(int ms) : saved_(secondMs()) { setSecondMs(ms); }
    ~ShortSecond() { setSecondMs(saved_); }
    ShortSecond(const ShortSecond &) = delete;
    ShortSecond &operator=(const ShortSecond &) = delete;
    // Real milliseconds for `seconds` of the program's seconds.
    static int ms(double seconds) { return int(seconds * secondMs()); }
    // The program's seconds in one real second.
    static double perRealSecond() { return 1000.0 / secondMs(); }

private:
    int saved_;
};

} // namespace qx::test
