#include "services/DeviceLimits.h"

#include "services/State.h"

namespace qx {

DeviceLimits deviceLimits(int Index)
{
    DeviceLimits d;
    d.devType = DevType[Index];
    d.minCur = MinCur[Index];
    d.maxCur = MaxCur[Index];
    d.minVol = MinVol[Index];
    d.maxVol = MaxVol[Index];
    d.curScale = CurScale[Index];
    d.volScale = VolScale[Index];
    d.pwrScale = PwrScale[Index];
    d.lastDisMode = LastDisMode[Index];
    d.lastChgMode = LastChgMode[Index];
    d.cvFlag = CvFlag[Index];
    return d;
}

} // namespace qx
