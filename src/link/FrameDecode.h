#pragma once
// Taking the values of a device frame into the channel state, where more
// than one step of the receive routine does it the same way.
#include "link/Frames.h"
#include "link/State.h"

#include <cstdint>

namespace qx {

// The capacity of a frame: Cap = the range-coded capacity of the pair raw.
// When CapResume is set it is cleared, and the carried-over CapOffset is
// dropped when the decoded capacity lies strictly between 0.9 and 1.1 times
// it (each bound rounded to single precision); then CapOffset is added.
void takeCapacity(ChannelState &c, int32_t raw);

// The settings a data frame reports (b9:b10, b11:b12, b13:b14), each the
// full value of its pair: SetVal, SetLmt and SetTim.
void takeSettings(ChannelState &c, const Frames::FrameFields &f);

} // namespace qx
