// The main window's entries that open the data viewer and the settings
// dialogs of the curves folder, and the views those windows reach through
// qx::curves::MainViews.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/MainViews.h"
#include "curves/frmCurve.h"
#include "curves/frmData.h"
#include "curves/frmShow.h"
#include "curves/frmSw.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/DialogWait.h"
#include "platform/Guard.h"

#include <QAction>
#include <QRadioButton>

namespace {

// The device views of the main window, as the curves folder sees them.
class MainWindowViews : public QObject, public qx::curves::MainViews {
public:
    explicit MainWindowViews(frmMain *w) : QObject(w), w_(w) { previous_ = qx::curves::setMainViews(this); }
    ~MainWindowViews() override
    {
        if (qx::curves::mainViews() == this)
            qx::curves::setMainViews(previous_);
    }

    int viewCount() const override { return w_->viewCount(); }
    ::CurveGraph &chart(int Index) const override { return w_->CurveGraph(Index); }
    uint32_t PwrColor(int Index) const override { return w_->DevCtrl(Index).PwrColor(); }
    void set_PwrColor(int Index, uint32_t c) override { w_->DevCtrl(Index).set_PwrColor(c); }
    uint32_t TimeColor(int Index) const override { return w_->DevCtrl(Index).TimeColor(); }
    void set_TimeColor(int Index, uint32_t c) override { w_->DevCtrl(Index).set_TimeColor(c); }
    bool Dev2S(int Index) const override { return w_->DevCtrl(Index).Dev2S(); }
    bool TempChecked() const override { return w_->menuTemp->isChecked(); }
    void set_TempChecked(bool on) override { w_->menuTemp->setChecked(on); }

private:
    frmMain *w_;
    qx::curves::MainViews *previous_ = nullptr;
};

// Shows a settings dialog and waits for it; a second request while it is
// open only brings it to the front.
template <class Dialog>
void showAndWait(qx::FormHolder<Dialog> &holder, const std::function<void(Dialog &)> &prepare = {})
{
    if (holder.raiseIfOpen())
        return;
    qx::DlgDone = false;
    Dialog &d = holder.fresh();
    d.show();
    if (prepare)
        prepare(d);
    qx::waitForDialog(&d);
}

} // namespace

void frmMain::wireSettingsMenus()
{
    new MainWindowViews(this);
    const struct {
        QAction *action;
        const char *tag;
        void (frmMain::*handler)();
    } entries[] = {
        {menuOpenData, "menuOpenData_Click", &frmMain::menuOpenData_Click},
        {menuCurve, "menuCurve_Click", &frmMain::menuCurve_Click},
        {menuShow, "menuShow_Click", &frmMain::menuShow_Click},
        {menuSwSet, "menuSwSet_Click", &frmMain::menuSwSet_Click},
    };
    for (const auto &e : entries)
        wireEntry(e.action, e.tag, e.handler);
}

void frmMain::menuOpenData_Click() { frmData::showViewer(); }

void frmMain::menuCurve_Click() { showAndWait(frmCurveForm()); }

void frmMain::menuShow_Click()
{
    showAndWait<frmShow>(frmShowForm(), [this](frmShow &d) {
        const bool hasTemp = qx::dev(qx::CurDev).HasTemp;
        d.optTemp->setEnabled(hasTemp);
        if (hasTemp && menuTemp->isChecked())
            d.optTemp->setChecked(true);
        else
            d.optPwr->setChecked(true);
    });
}

void frmMain::menuSwSet_Click() { frmSwForm().showOrRaise(); }
