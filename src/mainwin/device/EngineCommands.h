#pragma once
// The panel's Start and Stop commands as the test engines give them, for a
// device and channel: true when the command's frame went out.
#include "mainwin/frmMain.h"

namespace qx::engine {

inline bool runCommand(frmMain &w, int Index, int chn) { return w.DevCtrl_RunClick(Index, chn); }

inline bool stopCommand(frmMain &w, int Index, int chn) { return w.DevCtrl_StopClick(Index, chn); }

} // namespace qx::engine
