// The panel's command events, each to its handler frmMain::DevCtrl_<Event>
// with the panel's device index.
#include "mainwin/frmMain.h"

#include "panel/DevCtrl.h"

void frmMain::connectLinkEvents(int n)
{
    ::DevCtrl *p = &DevCtrl(n);
    connect(p, &::DevCtrl::ModeClick, this, [this, p] { DevCtrl_ModeClick(p->Index()); });
    connect(p, &::DevCtrl::RunClick, this, [this, p](int chn) { DevCtrl_RunClick(p->Index(), chn); });
    connect(p, &::DevCtrl::SetClick, this, [this, p](int chn) { DevCtrl_SetClick(p->Index(), chn); });
    connect(p, &::DevCtrl::StopClick, this, [this, p](int chn) { DevCtrl_StopClick(p->Index(), chn); });
}
