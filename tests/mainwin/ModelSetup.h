#pragma once
// A device tab identified as a device of a given type: the identification
// pass of the main window takes a frame of that type (and, for a firmware
// version, a parameter frame that reports it), so the per-device tables, the
// mode list, the pages, the two-channel layout and the model name in the
// result rows are those of the model table; the tab also gets a port of its
// own (COM3 for device 0, COM4 for 1...).
#include "link/Frames.h"
#include "link/ModelTable.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"

#include <algorithm>
#include <array>

namespace qx::test {

// Bytes b0..b16 of a device frame, as the receive routine hands them on.
inline Frames::DevBytes devBytes(int status, int typeByte, const std::array<int32_t, 7> &pairs = {})
{
    const Frames::DevFrame f = Frames::deviceFrame(status, pairs, typeByte);
    Frames::DevBytes b{};
    std::copy(f.begin() + 1, f.end() - 1, b.begin());
    return b;
}

// Device Index identified as type `type` (firmware version devVer x 100,
// 0 = none reported) on each of its channels, as after Connect.
inline void identifyAs(frmMain &w, int Index, int type, int devVer = 0)
{
    while (w.viewCount() <= Index)
        w.menuAddDev_Click();
    DevVer[Index] = 0;
    dev(Index).ParCount = 0;
    w.IdentifyStart(Index);
    for (int chn = 0; chn < (models::isTwoChannel(type) ? 2 : 1); ++chn) {
        const int typeByte = type + 100 * chn;
        // A parameter frame carries the version as its set value.
        const Frames::DevBytes b = devVer ? devBytes(100, typeByte, {0, 0, 0, 0, devVer, 0, 0})
                                          : devBytes(0, typeByte);
        w.IdentifyModel(Index, chn, b);
    }
    DevCtrl &p = w.DevCtrl(Index);
    p.PortAdd(QStringLiteral("COM%1").arg(3 + Index));
    p.set_tPort(QStringLiteral("COM%1").arg(3 + Index));
}

} // namespace qx::test
