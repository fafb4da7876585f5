#include "services/FrameDecode.h"

#include "link/Frames.h"

#include <algorithm>

namespace qx {

void takeCapacity(ChannelState &c, int32_t raw)
{
    c.Cap = float(Frames::rangeCapacity(raw));
    if (c.CapResume) {
        c.CapResume = false;
        // A device that kept counting (it ran on while the program was away,
        // or waited and went on) reports at least the charge carried over,
        // however much more; it may lag behind the run log by up to 10% of
        // it, and on a short run by 1 mAh and half a count of its 1 mAh
        // steps. Only a count clearly below means the device began again
        // from 0, and the charge is added to it.
        const double offset = double(c.CapOffset);
        const double tolerance = std::max(0.1 * offset, 0.0015);
        if (c.Cap >= float(offset - tolerance))
            c.CapOffset = 0;
    }
    c.Cap = c.Cap + c.CapOffset;
}

void takeSettings(ChannelState &c, const Frames::FrameFields &f)
{
    c.SetVal = f.setValue;
    c.SetLmt = f.limit;
    c.SetTim = f.third;
}

} // namespace qx
