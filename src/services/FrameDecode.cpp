#include "services/FrameDecode.h"

#include "link/Frames.h"
#include "services/TakeOver.h"

#include <algorithm>

namespace qx {

bool takeCapacity(ChannelState &c, int32_t raw)
{
    c.Cap = float(Frames::rangeCapacity(raw));
    bool beganAgain = false;
    if (c.CapResume) {
        c.CapResume = false;
        // A device that kept counting (it ran on while the program was away,
        // or waited and went on) holds the run's charge since the last time
        // it began again (CapBase), however much more; it may lag behind
        // the run log. Only a count clearly below means it began again from
        // 0 now, and the whole charge is added to it.
        const double whole = double(c.CapOffset);
        const double base = double(c.CapBase);
        if (takeover::keptCounting(c.Cap, whole - base))
            c.CapOffset = c.CapBase;
        else
            beganAgain = whole != base;
        c.CapBase = c.CapOffset;
    }
    c.Cap = c.Cap + c.CapOffset;
    return beganAgain;
}

void takeSettings(ChannelState &c, const Frames::FrameFields &f)
{
    c.SetVal = f.setValue;
    c.SetLmt = f.limit;
    c.SetTim = f.third;
}

} // namespace qx
