// The panel's link and command events, each to its handler
// frmMain::DevCtrl_<Event> with the panel's device index, and the device's
// port watch and link timers to theirs (guarded: a failure is logged, the timer goes on).
#include "mainwin/frmMain.h"

#include "link/PortWatch.h"
#include "panel/DevCtrl.h"
#include "platform/Guard.h"

#include <QTimer>

void frmMain::connectLinkEvents(int n)
{
    ::DevCtrl *p = &DevCtrl(n);
    connect(p, &::DevCtrl::ConnClick, this, [this, p] { DevCtrl_ConnClick(p->Index()); });
    connect(p, &::DevCtrl::ModeClick, this, [this, p] { DevCtrl_ModeClick(p->Index()); });
    connect(p, &::DevCtrl::RunClick, this, [this, p](int chn) { runClicked(p->Index(), chn); });
    connect(p, &::DevCtrl::SetClick, this, [this, p](int chn) { DevCtrl_SetClick(p->Index(), chn); });
    connect(p, &::DevCtrl::StopClick, this, [this, p](int chn) { DevCtrl_StopClick(p->Index(), chn); });
    const auto onTick = [this, n](const char *name, void (frmMain::*handler)(int)) {
        return [this, n, name, handler] { qx::guarded(QLatin1String(name), [&] { (this->*handler)(n); }); };
    };
    connect(&tmrComm(n), &qx::PortWatch::Ready, this, onTick("tmrComm_Timer", &frmMain::tmrComm_Timer));
    connect(&tmrComm(n), &qx::PortWatch::Overdue, this, onTick("watchSilence", &frmMain::watchSilence));
    connect(&tmrConn(n), &QTimer::timeout, this, onTick("tmrConn_Timer", &frmMain::tmrConn_Timer));
    connect(&tmrRecv(n), &QTimer::timeout, this, onTick("tmrRecv_Timer", &frmMain::tmrRecv_Timer));
}
