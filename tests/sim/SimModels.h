#pragma once
// What the simulated device knows about itself, by type code and firmware
// version: its work modes (in the order whose index travels as the mode
// digit), scales between values and frame integers, limits it reports in
// its parameter frames, mode groups, and whether it has two channels, a
// temperature sensor or USB data lines.
#include <string>
#include <vector>

namespace qx::sim {

struct SimModel {
    int type = 0;
    int firmware = 0;            // version x 100 (320 = 3.20)
    std::vector<std::string> modes;
    double maxCur = 10;          // A
    double maxVol = 30;          // V
    int curScale = 100;          // frame units per A
    int volScale = 100;          // frame units per V
    int pwrScale = 1;            // frame units per W
    int lastDisMode = 0;
    int lastChgMode = 0;
    bool cvFlag = false;         // the mode at lastChgMode takes a cut-off current
    bool twoChannel = false;     // types 17 and 18
    bool hasTemp = false;
    bool usb = false;            // type 26: a USB tester between a source and a load

    int channels() const { return twoChannel ? 2 : 1; }
    // Raw current units per A in data frames (type 26 from 3.20 reports 0.1 mA).
    int currentUnits() const { return usb && firmware >= 320 ? 10000 : curScale; }
    // The third value of mode m is a cut-off current rather than minutes.
    bool thirdIsCurrent(int m) const { return m == 8 || (cvFlag && m == lastChgMode); }
};

SimModel simModel(int type, int firmware);

} // namespace qx::sim
