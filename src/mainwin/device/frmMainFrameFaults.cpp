// The frames and bytes a device's link loses on the wire, told in the error
// log (see link/FrameFaults.h).
#include "mainwin/frmMain.h"

#include "services/ErrLog.h"
#include "services/State.h"
#include "panel/DevCtrl.h"

#include <chrono>

namespace {

int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

qx::RxEvent frmMain::takeRxByte(int Index, uint8_t b)
{
    qx::FrameFaults &f = link_.at(size_t(Index)).faults;
    const qx::RxEvent ev = f.take(qx::RxView::of(qx::dev(Index)), b);
    if (f.pending() && f.due(steadyMs()))
        reportFrameFaults(Index);
    return ev;
}

void frmMain::reportFrameFaults(int Index)
{
    qx::FrameFaults &f = link_.at(size_t(Index)).faults;
    if (f.pending())
        qx::ErrLog(QStringLiteral("ErrFrame"), DevCtrl(Index).tPort() + QStringLiteral(": ") + f.report(steadyMs()));
}
