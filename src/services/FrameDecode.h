#pragma once
// Taking the values of a device frame into the channel state, where more
// than one step of the receive routine does it the same way.
#include "link/Frames.h"
#include "services/State.h"

#include <cstdint>

namespace qx {

// The capacity of a frame: Cap = the range-coded capacity of the pair raw.
// When CapResume is set it is cleared, and the carried-over CapOffset is
// dropped when the decoded capacity is at least CapOffset less the larger of
// 10% of it and 1.5 mAh (the bound rounded to single precision): the device
// kept counting, whatever it counted since. Then CapOffset is added.
void takeCapacity(ChannelState &c, int32_t raw);

// The settings a data frame reports (b9:b10, b11:b12, b13:b14), each the
// full value of its pair: SetVal, SetLmt and SetTim.
void takeSettings(ChannelState &c, const Frames::FrameFields &f);

} // namespace qx
