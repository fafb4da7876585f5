// Closing the main window (its close box or "Exit"): "Close software?",
// during a firmware update also "Stop the update? ...", then every seconds
// counter stops, running tests are stopped on request,
// every device is sent its goodbye and its port closed, the notification
// icon goes and every other window is unloaded, so the program ends.
#include "mainwin/frmMain.h"

#include "curves/frmCurve.h"
#include "curves/frmData.h"
#include "curves/frmShow.h"
#include "link/COMM.h"
#include "services/Module5.h"
#include "link/PortWatch.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "services/Timer.h"
#include "mainwin/frmAbout.h"
#include "mainwin/frmMsg.h"
#include "net/frmBanner.h"
#include "panel/DevCtrl.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/Guard.h"
#include "platform/UiServices.h"
#include "tools/frmAdj.h"
#include "tools/frmQC.h"
#include "tools/frmRes.h"
#include "tools/frmSet.h"
#include "tools/frmUSB.h"
#include "tools/frmUpdate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSessionManager>
#include <QTimer>

namespace {

// The windows shutdown unloads, in this order (a window that is not loaded
// stays unloaded). A new window of the program joins the list here.
struct Unload {
    const char *name;
    void (*unload)();
};
const Unload UnloadOrder[] = {
    {"frmAdj", [] { frmAdjForm().unload(); }},
    {"frmCurve", [] { frmCurveForm().unload(); }},
    {"frmUpdate", [] { frmUpdateForm().unload(); }},
    {"frmShow", [] { frmShowForm().unload(); }},
    {"frmRes", [] { frmResForm().unload(); }},
    {"frmData", [] { frmDataForm().unload(); }},
    // A showing pop-up only starts its fade-out; it closes itself after it.
    {"frmMsg",
     [] {
         if (frmMsgForm().isLoaded())
             frmMsgForm()->Unload();
     }},
    // A showing banner fades out too, as a close request to it does.
    {"frmBanner",
     [] {
         if (frmBannerForm().isLoaded())
             frmBannerForm()->Unload();
     }},
    {"frmQC", [] { frmQCForm().unload(); }},
    {"frmUSB", [] { frmUSBForm().unload(); }},
    {"frmMeter", [] { frmMeterForm().unload(); }},
    {"frmDisp", [] { frmDispForm().unload(); }},
    {"frmAbout", [] { frmAboutForm().unload(); }},
    // The splash (frmLogo) has closed itself before the main window showed.
    // Not in the designed order, but closed all the same so that nothing
    // keeps the program alive: the step editor, the viewer's dialogs and
    // the software settings.
    {"frmSet", [] { frmSetForm().unload(); }},
    {"curve windows", [] { unloadCurveWindows(); }},
};

int ask(const char *text, int more = 0)
{
    return qx::promptBox(QLatin1String(text), qx::MbOkCancel | qx::MbInformation | more);
}

} // namespace

void frmMain::Form_Unload(bool &Cancel)
{
    using namespace qx;
    if (ask("Close software?") != MrOk) {
        Cancel = true;
        return;
    }
    // An update cut short leaves the device without firmware: the update
    // window's own question, and on Cancel the update goes on.
    if (frmUpdateForm().isLoaded() && !frmUpdateForm()->mayStopUpdate()) {
        Cancel = true;
        return;
    }
    // From here on nothing cancels; a step that fails is logged and the
    // rest goes on, so that every port is released.
    const int count = DevCount;
    bool running = false;
    for (int i = 0; i < count; ++i) {
        guarded(QStringLiteral("Form_Unload"), [&] {
            running = running || Running[i][0] || (DevCtrl(i).Dev2S() && Running[i][1]);
        });
        for (int c = 0; c < ChnSlots; ++c) {
            Timer::TickOff(i, c);
            Timer::TickStop(i, c);
        }
    }
    // Cancel is the default: Enter twice must not stop the devices' tests.
    if (running && ask("Stop running?", MbDefaultButton2) == MrOk) {
        for (int i = 0; i < count; ++i) {
            guarded(QStringLiteral("Form_Unload"), [&] {
                // No idle frame will say that the run ended: the run log says so.
                if (Running[i][0] && DevCtrl_StopClick(i, 0))
                    recordRunEnd(i, 0);
                if (DevCtrl(i).Dev2S() && Running[i][1]) {
                    QCoreApplication::processEvents();
                    QCoreApplication::processEvents();
                    if (DevCtrl_StopClick(i, 1))
                        recordRunEnd(i, 1);
                }
            });
        }
    }
    for (int i = 0; i < count; ++i) {
        guarded(QStringLiteral("Form_Unload"), [&] {
            // Nothing more is read from the devices.
            tmrComm(i).stop();
            tmrConn(i).stop();
            tmrRecv(i).stop();
        });
        guarded(QStringLiteral("Form_Unload"), [&] { SendDisconnect(i); });
        if (PortHandle[i] != 0)
            COMM::CloseComm(PortHandle[i]);
    }
    Module5::TrayDelete(this, 0);
    for (const Unload &u : UnloadOrder)
        guarded(QLatin1String(u.name), u.unload);
}

void frmMain::watchSessionEnd()
{
    // The desktop session ending ends the program without closing its
    // window: during an update the user may still keep it (and the session).
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [](QSessionManager &session) {
        qx::guarded(QStringLiteral("commitDataRequest"), [&] {
            if (!frmUpdateForm().isLoaded() || !frmUpdateForm()->updating() || !session.allowsInteraction())
                return;
            const bool stop = frmUpdateForm()->mayStopUpdate();
            session.release();
            if (!stop)
                session.cancel();
        });
    });
}

void frmMain::closeEvent(QCloseEvent *e)
{
    switch (shutdown_) {
    case Shutdown::Done:
        // The program's own end closing its windows.
        e->accept();
        return;
    case Shutdown::Asking:
        // A second request while the first is being answered.
        e->ignore();
        return;
    case Shutdown::None:
        break;
    }
    shutdown_ = Shutdown::Asking;
    bool cancel = false;
    qx::guarded(QStringLiteral("Form_Unload"), [&] { Form_Unload(cancel); });
    if (cancel) {
        shutdown_ = Shutdown::None;
        e->ignore();
        return;
    }
    shutdown_ = Shutdown::Done;
    e->accept();
    QCoreApplication::quit();
}
