#pragma once
// A device's model data as the setting checks and the start frame read
// it: type code, bounds, scales and mode groups, taken from the shared
// per-device tables.
namespace qx {

struct DeviceLimits {
    int devType = 0;
    float minCur = 0, maxCur = 0, minVol = 0, maxVol = 0;
    int curScale = 0, volScale = 0, pwrScale = 0;
    int lastDisMode = 0, lastChgMode = 0;
    bool cvFlag = false;
};

// The values of device Index (0 to 10).
DeviceLimits deviceLimits(int Index);

} // namespace qx
