#pragma once
// The settings of qx.ini that configure a device's chart and panel colours:
// [DATA] colours, grid styles and pen width, [CURVE] axis ranges. Read in one
// go from the file (a missing, empty or malformed value gives the key's
// default), so start-up and every tab added later configure their charts
// from the same values.
#include <QString>
#include <cstdint>
#include <optional>

namespace qx::mainwin {

struct Range {
    float lo = 0, hi = 0;
};

struct ChartSettings {
    uint32_t vcol0 = 16711680;  // [DATA] VCOL0: channel 0 voltage curve
    uint32_t ccol0 = 255;       // [DATA] CCOL0: channel 0 current (and third) curve
    uint32_t vcol1 = 16711680;  // [DATA] VCOL1: channel 1 voltage curve
    uint32_t ccol1 = 255;       // [DATA] CCOL1: channel 1 current (and third) curve
    uint32_t pcol = 32896;      // [DATA] PCOL: power readout
    uint32_t tcol = 8421504;    // [DATA] TCOL: run-time readout
    uint32_t bcol = 16777215;   // [DATA] BCOL: chart background
    uint32_t gcol = 8421504;    // [DATA] GCOL: grid
    uint32_t acol = 0;          // [DATA] ACOL: axes
    int gridType1 = 0;          // [DATA] MDOT: 0 solid, 2 dotted
    int gridType2 = 2;          // [DATA] SDOT
    int line = 2;               // [DATA] LINE: pen width of the curves
    // [CURVE] ranges; empty when the pair fails its test (the chart keeps its own).
    std::optional<Range> volt;  // VY0, VY1
    std::optional<Range> curr;  // CY0, CY1
    std::optional<Range> time;  // CT0, CT1 (whole seconds)
};

// Reads the settings from the file.
ChartSettings readChartSettings(const QString &iniFile);

// The tests a [CURVE] pair must pass to be applied: voltage and current
// 0 <= lo, hi <= 100 and lo + 0.1 <= hi; time 0 <= lo, hi <= 60000 and
// hi >= lo + 10 (spans with the coordinate dialogs' tolerance).
bool valueRangeOk(float lo, float hi);
bool timeRangeOk(int32_t lo, int32_t hi);

// The grid pen style of an MDOT or SDOT value: 0 solid for 0, else 2 dotted.
inline int gridTypeOf(int32_t dot) { return dot == 0 ? 0 : 2; }

} // namespace qx::mainwin
