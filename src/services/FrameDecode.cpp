#include "services/FrameDecode.h"

#include "link/Frames.h"

#include <algorithm>

namespace qx {

void takeCapacity(ChannelState &c, int32_t raw)
{
    c.Cap = float(Frames::rangeCapacity(raw));
    if (c.CapResume) {
        c.CapResume = false;
        // A device that kept counting reports about the charge already
        // carried over: 10% either way, and on a short run 1 mAh (the run
        // log's last lines lag behind the device's count) and half a count
        // of its 1 mAh steps.
        const double offset = double(c.CapOffset);
        const double tolerance = std::max(0.1 * offset, 0.0015);
        const float lo = float(offset - tolerance);
        const float hi = float(offset + tolerance);
        if (lo < c.Cap && c.Cap < hi)
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
