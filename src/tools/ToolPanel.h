#pragma once
// The panel that the tool windows act on: the selected device's, and the
// channel it shows (1 only when "Chn2" is chosen on a two-channel panel).
#include "services/State.h"
#include "panel/DevCtrl.h"

namespace qx::tools {

inline ::DevCtrl *toolPanel() { return ::DevCtrl::find(CurDev); }

inline int panelChannel(const ::DevCtrl *p) { return p && p->chn() == QLatin1String("1") ? 1 : 0; }

inline int toolChannel() { return panelChannel(toolPanel()); }

} // namespace qx::tools
