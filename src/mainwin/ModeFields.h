#pragma once
// The layout of a channel's three setting boxes (set value, limit, third
// value) for its mode and the device's model: captions, unit labels, the
// texts of the raw settings in user units, and enabled states. Pure: it
// reads its inputs from the record given and touches no widget, so the
// whole table can be checked without a screen.
#include <QString>
#include <array>
#include <cstdint>

namespace qx::modefields {

// What the layout depends on (device tables and channel settings).
struct Input {
    int devType = 0;      // 0 = no device identified
    int curScale = 100;   // frame units per A
    int volScale = 100;   // frame units per V
    int pwrScale = 1;     // frame units per W
    int lastDisMode = 0;
    bool cvFlag = false;
    int mode = 0;         // the channel's mode index
    int32_t setVal = 0;   // raw set value
    int32_t setLmt = 0;   // raw limit
    int32_t setTim = 0;   // raw third value
    bool dev2S = false;   // two-channel panel: shorter captions

    // The tables of device Index, channel chn (QxError(ErrSubscript) outside).
    static Input fromState(int Index, int chn, bool dev2S);
};

// One box: caption (without the colon), unit label ("" = none), text, enabled.
struct Box {
    QString caption;
    QString unit;
    QString text;
    bool enabled = true;
    bool operator==(const Box &) const = default;
};

enum BoxIndex { SetBox = 0, LimitBox = 1, ThirdBox = 2 };
using Layout = std::array<Box, 3>;

// The layout groups, by the mode lists they serve.
enum class Group {
    None,       // no device identified
    Cells,      // types 1 to 4: "D-CC", five charge profiles by cells, "C-CV"
    PowerCells, // types 5 and 6: "D-CC", "D-CP", five profiles, "C-CV" (and "DC5V" or "Meter")
    PowerCv,    // "D-CC", "D-CP", "C-CV"
    Cv,         // "D-CC", "C-CV", or "D-CC" alone
    Load,       // the other types below 40: loads, meters, the USB tester
    Milliamps,  // type 40, set in mA
    Later,      // types 41 and above
};

// The layout group of a model.
Group group(int devType, int lastDisMode);

// The layout for a model that has been identified (devType not 0). A scale
// of 0 that the chosen layout divides by fails with QxError(ErrDivByZero).
Layout layout(const Input &in);

} // namespace qx::modefields
