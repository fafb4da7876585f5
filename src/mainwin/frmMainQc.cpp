// The main window's side of the quick-charge windows: their menu entries
// and the operations they reach through qx::tools::MainOps.
#include "mainwin/frmMain.h"

#include "tools/MainOps.h"
#include "tools/frmQC.h"
#include "tools/frmUSB.h"

#include <QAction>

namespace {

// The main window's operations, as the tool windows see them.
class MainWindowOps : public QObject, public qx::tools::MainOps {
public:
    explicit MainWindowOps(frmMain *w) : QObject(w), w_(w) { previous_ = qx::tools::setMainOps(this); }
    ~MainWindowOps() override
    {
        if (qx::tools::mainOps() == this)
            qx::tools::setMainOps(previous_);
    }

    void RemoteQC(int Index, int chn, int val) override { w_->RemoteQC(Index, val, chn); }
    void RemotePE(int Index, int chn, int val) override { w_->RemotePE(Index, val, chn); }
    void RemoteSet(int Index, int chn, float val) override { w_->RemoteSet(Index, val, chn); }
    // The panel's own Start and Stop for the channel (frames, run state, run log).
    void RunClick(int Index, int chn) override { w_->DevCtrl_RunClick(Index, chn); }
    void StopClick(int Index, int chn) override { w_->DevCtrl_StopClick(Index, chn); }

private:
    frmMain *w_;
    qx::tools::MainOps *previous_ = nullptr;
};

} // namespace

void frmMain::wireQuickCharge()
{
    new MainWindowOps(this);
    wireEntry(menuUsb, "menuUsb_Click", &frmMain::menuUsb_Click);
    wireEntry(menuQc, "menuQc_Click", &frmMain::menuQc_Click);
}

void frmMain::menuUsb_Click() { frmUSBForm().showOrRaise(); }

void frmMain::menuQc_Click() { frmQCForm().showOrRaise(); }
