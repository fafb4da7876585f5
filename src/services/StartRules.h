#pragma once
// How a start, adjust or continue frame carries the panel's three settings
// for each device type and mode: the set value as a current (or a power),
// the limit as a voltage (or a cell count), the third value as minutes (or
// a cut-off current). Pure rules; the sender in the main window reads the
// panel texts and writes the frame.
#include "services/DeviceLimits.h"

#include <QString>
#include <array>
#include <cstdint>

namespace qx::startrules {

// What the type and mode do to the first two data pairs.
enum class Rule {
    None,  // set value x CurScale, limit x VolScale
    Power, // set value x PwrScale (a power in watts)
    Cells, // d3 = 0, d4 = limit / VolScale (a cell count)
    Zero,  // d1 to d4 = 0
};

Rule ruleFor(int devType, int mode, int lastDisMode);

// The third value is a cut-off current (x CurScale) rather than minutes.
bool thirdIsCurrent(int mode, int lastChgMode, bool cvFlag);

// The device's type, scales and mode groups.
using Device = DeviceLimits;

struct Texts {
    QString sval, slmt, stim;
};

// The stored frame integers and the six data bytes. Each step stores its
// integer before the next one runs, so a failing step leaves the earlier
// values in `out` (the sender keeps them, as the device state does).
struct Values {
    int32_t setVal = 0, setLmt = 0, setTim = 0;
    std::array<int, 6> data{};
};

// Converts the texts; a text that is not a number throws
// QxError(ErrTypeMismatch), a value outside a pair or byte throws
// QxError(ErrOverflow). `out` holds what was computed before a failure.
void convert(const Device &d, int mode, const Texts &t, Values &out);

} // namespace qx::startrules
