#pragma once
// Taking the values of a device frame into the channel state, where more
// than one step of the receive routine does it the same way.
#include "link/Frames.h"
#include "services/State.h"

#include <cstdint>

namespace qx {

// The capacity of a frame: Cap = the range-coded capacity of the pair raw.
// When CapResume is set (the first count after a Continue) it is cleared and
// decides what is added: CapBase, the charge the device's count did not
// hold before the Continue, when the count is at least the charge since
// then (CapOffset less CapBase) less the larger of 10% of it and 1.5 mAh (the
// device kept counting, whatever it counted since); else the whole CapOffset
// (it began again from 0). Then CapOffset is what is added, and CapBase
// with it. Returns true when the device began again and the added charge
// grew (the run log records it then).
bool takeCapacity(ChannelState &c, int32_t raw);

// The settings a data frame reports (b9:b10, b11:b12, b13:b14), each the
// full value of its pair: SetVal, SetLmt and SetTim.
void takeSettings(ChannelState &c, const Frames::FrameFields &f);

} // namespace qx
