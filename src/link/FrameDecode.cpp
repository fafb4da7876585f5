#include "link/FrameDecode.h"

#include "link/Frames.h"

namespace qx {

void takeCapacity(ChannelState &c, int32_t raw)
{
    c.Cap = float(Frames::rangeCapacity(raw));
    if (c.CapResume) {
        c.CapResume = false;
        const float lo = float(0.9 * double(c.CapOffset));
        const float hi = float(1.1 * double(c.CapOffset));
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
