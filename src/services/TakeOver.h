#pragma once
// Whether a running test that the program finds on connecting is the one a
// run log of the channel recorded, and how a device's count relates to the
// charge a run log carries. No painting, no files: the caller reads the log
// and the frame.
#include "services/RunLog.h"
#include "services/RunSettings.h"

#include <cstdint>

namespace qx::takeover {

// A device that kept counting reports at least `charge` less the larger of
// 10% of it and 1.5 mAh (its count may lag behind the program's record),
// however much more; a count clearly below began again from 0. Ah (mAh on
// a milliamp model, as its currents).
bool keptCounting(double count, double charge);

// A USB tester keeps no count the program could check the time away
// against: its log is taken up only after an absence this short (s).
constexpr int64_t UsbAwaySecs = 600;

// What the program knows when a running test is to be taken over.
struct Facts {
    const runlog::Contents *log = nullptr; // the channel's run log, null when none could be read
    bool usbTester = false;                // the program counts the charge itself
    RunSettings device;                    // what the device's data frame reports
    double count = 0;                      // the device's count (not a USB tester's)
    double current = 0;                    // the current it reports (A, mA on a milliamp model)
    int64_t awaySecs = 0;                  // since the log was last written
};

// The log is the running test's own when it holds data lines, the program
// did not see its run end, the device runs with the settings the log last
// recorded (when it recorded any), and the device's count holds the log's
// charge since its last carried record plus half of what the reported
// current gives over the time away (a USB tester: the time away is short).
bool ownsLog(const Facts &f);

} // namespace qx::takeover
