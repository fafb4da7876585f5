// The panel's events, each to its handler frmMain::DevCtrl_<Event> with the
// panel's device index. The panel runs user and timer events guarded.
#include "mainwin/frmMain.h"

#include "panel/DevCtrl.h"

void frmMain::connectPanel(int n)
{
    ::DevCtrl *p = &DevCtrl(n);
    const auto onChannel = [this, p](void (frmMain::*handler)(int, int)) {
        return [this, p, handler](int chn) { (this->*handler)(p->Index(), chn); };
    };
    connect(p, &::DevCtrl::TmrShowOn, this, onChannel(&frmMain::DevCtrl_TmrShowOn));
    connect(p, &::DevCtrl::TmrCurveOn, this, onChannel(&frmMain::DevCtrl_TmrCurveOn));
    connect(p, &::DevCtrl::ContClick, this, onChannel(&frmMain::DevCtrl_ContClick));
    connect(p, &::DevCtrl::MonitorClick, this, onChannel(&frmMain::DevCtrl_MonitorClick));
    connectLinkEvents(n);
}
