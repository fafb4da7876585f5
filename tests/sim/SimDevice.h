#pragma once
// The simulated device itself, without any I/O: it takes command frames,
// advances a battery (or, for the USB tester, a USB source) through
// simulated time and produces the device frames of one report tick.
// DevSim (DevSim.h) puts it on a pseudo-terminal; tests can also drive it
// directly and deterministically.
//
// Behaviour:
//  - silent until a connect frame (op 5); each connect queues two parameter
//    frames per channel (firmware version, max voltage x VolScale, max
//    current x CurScale), sent in place of the next data frames; disconnect
//    (op 6) makes it silent again while a running test goes on.
//  - start (op 1): mode digit, set value d1:d2, limit d3:d4, third value
//    d5:d6; capacity, energy and test time start from 0. Continue (op 8):
//    the same without clearing them (unless setCountsAgainOnContinue: a
//    Continue that finds the channel idle clears them as a start does). Adjust (op 7): new set value, limit and
//    third value (a bare quick-charge request d6 = 10..16 / 20..21 instead
//    changes the USB source voltage). Stop (op 2): idle.
//  - elapsed minutes (op 10) are remembered; a resistance test (op 9) puts
//    the voltage drop I x R (mV) into the capacity field of the next idle
//    frames; calibration frames (op 4) are only recorded.
//  - discharge modes ("D-CC", "D-CP", "D-CV") end at the cut-off voltage
//    (limit / VolScale), an empty battery or the time limit (third value in
//    minutes, 0 = none); charge modes end when the battery is full or, for
//    "C-CV", when the current falls below the cut-off current; the channel
//    then reports idle. Meter modes ("Meter", "DC5V") only measure.
#include "SimModels.h"

#include "link/Frames.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qx::sim {

// One command frame as received: the 8 bytes between the markers.
struct SimCommand {
    int commandByte = 0;
    int op = 0;    // commandByte % 16
    int chn = 0;   // (commandByte / 16) / 10
    int mode = 0;  // (commandByte / 16) % 10
    std::array<uint8_t, 6> d{};
    int checksum = 0;
    bool valid = false; // checksum right and every byte below 240

    int32_t pair(int k) const { return Frames::pairValue(d[k - 1], d[k]); } // k = 1, 3, 5
    static SimCommand fromBytes(const std::array<uint8_t, 8> &b);
};

struct Battery {
    double capacityAh = 2.0;
    double soc = 0.8;   // state of charge, 0..1
    double rOhm = 0.05; // internal resistance per cell
    int cells = 1;
    double vEmpty = 3.0; // open-circuit voltage per cell at soc 0
    double vFull = 4.2;  // and at soc 1

    double ocv() const;
};

struct SimChannel {
    bool running = false;
    int mode = 0;
    int32_t setVal = 0, setLmt = 0, setTim = 0; // raw, as the last start/adjust sent them
    double volts = 0, amps = 0;                  // terminal readings
    double capacityAh = 0, energyWh = 0;
    double testSecs = 0;
    double tempC = 25;
    int minutes = -1;        // last elapsed-minutes frame, -1 none
    double resVolts = 0;     // resistance-test reading
    int resFrames = 0;       // idle frames that still carry it
    std::string endReason;   // why the last test ended ("cutoff", "time", "empty", "full", "stop")
    int pendingParams = 0;
    Battery battery;
};

class SimDevice {
public:
    SimDevice(int type, int firmware);

    const SimModel &model() const { return model_; }
    bool connected() const { return connected_; }
    SimChannel &channel(int ch) { return ch_[ch == 1 ? 1 : 0]; }
    const SimChannel &channel(int ch) const { return ch_[ch == 1 ? 1 : 0]; }
    double usbVolts() const { return usbVolts_; }
    // Parameter frames per channel after each connect (2 unless set).
    void setParamFrames(int n) { paramFrames_ = n < 0 ? 0 : n; }
    // A device whose count begins again from 0 when a Continue reaches an
    // idle channel (a running one goes on counting).
    void setCountsAgainOnContinue(bool on) { countsAgain_ = on; }

    // Acts on a received command (invalid ones are ignored).
    void handle(const SimCommand &c);
    // Advances the simulation by dt simulated seconds.
    void advance(double dt);
    // The frames of one report tick (one per channel), nothing while not
    // connected.
    std::vector<Frames::DevFrame> tickFrames();
    // One frame of a channel as the device would send it now.
    Frames::DevFrame frame(int ch, bool parameter) const;

private:
    void startTest(SimChannel &c, const SimCommand &cmd, bool fresh);
    void step(SimChannel &c, double dt);
    void endTest(SimChannel &c, const char *reason);
    double sourceOcv(const SimChannel &c) const;

    SimModel model_;
    bool connected_ = false;
    int paramFrames_ = 2;
    bool countsAgain_ = false;
    double usbVolts_ = 5.1;
    std::array<SimChannel, 2> ch_;
};

// Range codes as a device produces them.
int32_t encodeVoltage(double v);
int32_t encodeCapacity(double ah);

} // namespace qx::sim
