#pragma once
// The panel's Start and Stop commands as the test engines give them, for a
// device and channel.
#include "mainwin/frmMain.h"

namespace qx::engine {

template <class W>
bool runCommand(W &w, int Index, int chn)
{
    if constexpr (requires { w.DevCtrl_RunClick(Index, chn); })
        return w.DevCtrl_RunClick(Index, chn);
    else
        return w.SendStart(Index, chn, 1);
}

template <class W>
bool stopCommand(W &w, int Index, int chn)
{
    if constexpr (requires { w.DevCtrl_StopClick(Index, chn); })
        return w.DevCtrl_StopClick(Index, chn);
    else
        return w.SendStop(Index, chn);
}

} // namespace qx::engine
