// "Firmware Update": the firmware-update window over the selected device's
// port, with the device tab strip disabled while it is open.
#include "mainwin/frmMain.h"

#include "services/Prompt.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/DialogWait.h"
#include "platform/KeyedTabBar.h"
#include "platform/UiServices.h"
#include "tools/frmUpdate.h"

#include <QPointer>

void frmMain::menuUpdate_Click()
{
    if (frmUpdateForm().raiseIfOpen())
        return;
    // The window and this wait may end in any order (the program closing
    // during an update): touch only what still exists.
    const QPointer<frmMain> self(this);
    const QPointer<qx::KeyedTabBar> tabs(tabDev);
    const auto enableTabs = [tabs] {
        if (tabs)
            tabs->setEnabled(true);
    };
    try {
        qx::DlgDone = false;
        tabDev->setEnabled(false);
        frmUpdate &f = frmUpdateForm().fresh();
        f.host.portName = [self]() -> QString {
            try {
                return self ? self->DevCtrl(qx::CurDev).tPort() : QString();
            } catch (const std::exception &) {
                return {};
            }
        };
        f.host.enableTabs = enableTabs;
        f.show();
        f.raise();
        f.activateWindow();
        qx::waitForDialog(&f);
        enableTabs();
    } catch (const std::exception &e) {
        qx::promptBox(QStringLiteral("Wrong Port!"), qx::MbCritical);
        ErrLog(QStringLiteral("ErrUpdate"), QString::fromStdString(e.what()));
        enableTabs();
    }
}
