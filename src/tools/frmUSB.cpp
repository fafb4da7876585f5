#include "tools/frmUSB.h"

#include "curves/CurveGraph.h"
#include "curves/MainViews.h"
#include "services/State.h"
#include "services/Module3.h"
#include "panel/DevCtrl.h"
#include "panel/DevCtrlFit.h"
#include "panel/LCDisp.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"
#include "tools/MainOps.h"
#include "tools/QcTrigger.h"
#include "tools/ToolPanel.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace qx;

namespace {

constexpr uint32_t VolBlue = 0xFF0000;
constexpr uint32_t LightGrey = rgb(224, 224, 224);

} // namespace

frmUSB::frmUSB()
{
    setObjectName(QStringLiteral("frmUSB"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Form_Activate: above every other window, wherever it was activated.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("USB Quick Charge"));
    setFixedSize(twipsToPx(4800), twipsToPx(3960));
    buildControls();

    // Form_Load.
    centreOnScreen(this);
    UsbDev = CurDev;
    // The window stays with this device whichever tab is selected later.
    setWindowTitle(Module3::LangText(QStringLiteral("USB Quick Charge--Device%1").arg(UsbDev + 1)));
    const DevCtrl *panel = DevCtrl::find(UsbDev);
    UsbChn = tools::panelChannel(panel);
    if (curves::MainViews *m = curves::mainViews(); m && UsbDev < m->viewCount())
        m->chart(UsbDev).set_YStep(true);
    QcLevel = qc::levelForVoltage(panel ? panel->tVol(UsbChn) : QString());
    // opt5V is chosen as designed: any other level becomes chosen and sends.
    levelOption(QcLevel)->setChecked(true);
    UsbOpen = true;
}

frmUSB::~frmUSB() { Form_Unload(); }

void frmUSB::buildControls()
{
    Frame3 = control<QGroupBox>(this, "Frame3", twipsRect(120, 60, 4560, 660), QStringLiteral("QC2.0/3.0"));
    optQc2 = control<QRadioButton>(Frame3, "optQc2", twipsRect(360, 270, 1560, 300), QStringLiteral("QC2.0"));
    optQc3 = control<QRadioButton>(Frame3, "optQc3", twipsRect(2520, 270, 1560, 300), QStringLiteral("QC3.0"));
    optQc2->setChecked(true);

    Frame4 = control<QGroupBox>(this, "Frame4", twipsRect(120, 780, 4560, 1860));
    opt5V = control<QRadioButton>(Frame4, "opt5V", twipsRect(240, 240, 1020, 300), QStringLiteral("5V"));
    opt9V = control<QRadioButton>(Frame4, "opt9V", twipsRect(1320, 240, 1020, 300), QStringLiteral("9V"));
    opt12V = control<QRadioButton>(Frame4, "opt12V", twipsRect(2400, 240, 1020, 300), QStringLiteral("12V"));
    opt20V = control<QRadioButton>(Frame4, "opt20V", twipsRect(3480, 240, 1020, 300), QStringLiteral("20V"));
    opt5V->setChecked(true);
    Frame5 = control<QGroupBox>(Frame4, "Frame5", twipsRect(240, 660, 2400, 1020));
    optManual = control<QRadioButton>(Frame5, "optManual", twipsRect(180, 360, 1080, 300), QStringLiteral("Manual"));
    optAuto = control<QRadioButton>(Frame5, "optAuto", twipsRect(1320, 360, 960, 300), QStringLiteral("Auto"));
    optManual->setChecked(true);
    cmdQCInc = control<QPushButton>(Frame4, "cmdQCInc", twipsRect(2880, 840, 720, 660), QStringLiteral("+"));
    cmdQCDec = control<QPushButton>(Frame4, "cmdQCDec", twipsRect(3720, 840, 720, 660), QStringLiteral("-"));

    Frame2 = control<QGroupBox>(this, "Frame2", twipsRect(120, 2700, 2160, 1140), QStringLiteral("MTK-PE"));
    cmdPEInc = control<QPushButton>(Frame2, "cmdPEInc", twipsRect(180, 360, 840, 600), QStringLiteral("+"));
    cmdPEDec = control<QPushButton>(Frame2, "cmdPEDec", twipsRect(1140, 360, 840, 600), QStringLiteral("-"));
    QFont big = cmdQCInc->font();
    big.setPointSize(14);
    big.setBold(true);
    for (QPushButton *b : {cmdQCInc, cmdQCDec, cmdPEInc, cmdPEDec})
        b->setFont(big);

    Frame1 = control<QGroupBox>(this, "Frame1", twipsRect(2400, 2700, 2280, 1140));
    PropertyBag bag = panel::readoutDesign(4, 0, VolBlue, VolBlue, QStringLiteral("00.00"));
    for (const char *key : {"BackColor1", "BackColor2", "BorderColor"})
        bag.WriteProperty(QLatin1String(key), uint32_t(SysButtonFace));
    bag.WriteProperty("BurnInColor", LightGrey);
    bag.WriteProperty("BurnInColorNeg", LightGrey);
    lcdVol = panel::placeReadout(Frame1, QStringLiteral("lcdVol"), twipsRect(120, 300, 1620, 660), bag);
    lblVolt = control<QLabel>(Frame1, "lblVolt", twipsRect(1740, 420, 480, 420), QStringLiteral(" V"));
    QFont unit = lblVolt->font();
    unit.setPointSize(14);
    unit.setBold(true);
    lblVolt->setFont(unit);
    setTextColor(lblVolt, VolBlue);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(2000);

    const auto on = [this](QRadioButton *opt, const char *tag, void (frmUSB::*handler)()) {
        const QString name = QLatin1String(tag);
        // Only the option that becomes the chosen one runs its handler.
        connect(opt, &QRadioButton::toggled, this, [this, name, handler](bool chosen) {
            if (chosen)
                guarded(name, [&] { (this->*handler)(); });
        });
    };
    on(optQc2, "frmUSB.optQc2_Click", &frmUSB::optQc2_Click);
    on(optQc3, "frmUSB.optQc3_Click", &frmUSB::optQc3_Click);
    on(opt5V, "frmUSB.opt5V_Click", &frmUSB::opt5V_Click);
    on(opt9V, "frmUSB.opt9V_Click", &frmUSB::opt9V_Click);
    on(opt12V, "frmUSB.opt12V_Click", &frmUSB::opt12V_Click);
    on(opt20V, "frmUSB.opt20V_Click", &frmUSB::opt20V_Click);
    onSignal(cmdQCInc, &QPushButton::clicked, this, "frmUSB.cmdQCInc_Click", &frmUSB::cmdQCInc_Click);
    onSignal(cmdQCDec, &QPushButton::clicked, this, "frmUSB.cmdQCDec_Click", &frmUSB::cmdQCDec_Click);
    onSignal(cmdPEInc, &QPushButton::clicked, this, "frmUSB.cmdPEInc_Click", &frmUSB::cmdPEInc_Click);
    onSignal(cmdPEDec, &QPushButton::clicked, this, "frmUSB.cmdPEDec_Click", &frmUSB::cmdPEDec_Click);
    onSignal(Timer1, &QTimer::timeout, this, "frmUSB.Timer1_Timer", &frmUSB::Timer1_Timer);
    onSignal(Timer2, &QTimer::timeout, this, "frmUSB.Timer2_Timer", &frmUSB::Timer2_Timer);
    Timer1->start();
}

QRadioButton *frmUSB::levelOption(int level) const
{
    QRadioButton *const options[] = {opt5V, opt9V, opt12V, opt20V};
    return options[level < 0 || level > qc::MaxLevel ? 0 : level];
}

void frmUSB::send(int code)
{
    if (tools::MainOps *ops = tools::mainOps())
        ops->RemoteQC(UsbDev, UsbChn, code);
}

void frmUSB::stopRepeat()
{
    Timer2->stop();
    optAuto->setEnabled(true);
    optManual->setEnabled(true);
}

void frmUSB::optQc2_Click()
{
    // A fixed level again: steps repeated from QC3.0 end here.
    stopRepeat();
    send(QcLevel);
}

void frmUSB::optQc3_Click() { send(qc::Qc3Mode); }

void frmUSB::levelChosen(int level)
{
    stopRepeat();
    QcLevel = level;
    send(QcLevel);
}

void frmUSB::opt5V_Click() { levelChosen(0); }
void frmUSB::opt9V_Click() { levelChosen(1); }
void frmUSB::opt12V_Click() { levelChosen(2); }
void frmUSB::opt20V_Click() { levelChosen(3); }

void frmUSB::cmdQCInc_Click()
{
    if (optQc2->isChecked()) {
        if (QcLevel < qc::MaxLevel) {
            ++QcLevel;
            send(QcLevel);
            levelOption(QcLevel)->setChecked(true); // its handler sends once more
        }
        return;
    }
    qc3Step(qc::Qc3StepUp, true);
}

void frmUSB::cmdQCDec_Click()
{
    if (optQc2->isChecked()) {
        if (QcLevel > 0) {
            --QcLevel;
            send(QcLevel);
            levelOption(QcLevel)->setChecked(true);
        }
        return;
    }
    qc3Step(qc::Qc3StepDown, false);
}

void frmUSB::qc3Step(int code, bool up)
{
    if (optManual->isChecked()) {
        send(code);
        return;
    }
    if (!optAuto->isChecked())
        return;
    if (!Timer2->isActive()) {
        send(code);
        Timer2->start();
        optAuto->setEnabled(false);
        optManual->setEnabled(false);
        QcUp = up;
    } else {
        // Either button ends the repetition, whatever its direction.
        stopRepeat();
    }
}

void frmUSB::Timer2_Timer() { send(QcUp ? qc::Qc3StepUp : qc::Qc3StepDown); }

void frmUSB::cmdPEInc_Click()
{
    if (tools::MainOps *ops = tools::mainOps())
        ops->RemotePE(UsbDev, UsbChn, qc::PeStepUp);
}

void frmUSB::cmdPEDec_Click()
{
    if (tools::MainOps *ops = tools::mainOps())
        ops->RemotePE(UsbDev, UsbChn, qc::PeStepDown);
}

void frmUSB::Timer1_Timer()
{
    if (const DevCtrl *panel = DevCtrl::find(UsbDev))
        lcdVol->set_Value(panel->tVol(UsbChn));
}

void frmUSB::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1->stop();
    Timer2->stop();
    UsbOpen = false;
}

void frmUSB::closeEvent(QCloseEvent *e)
{
    guarded(QStringLiteral("frmUSB.Form_Unload"), [this] { Form_Unload(); });
    e->accept();
}

// Escape closes the window as its close box does.
void frmUSB::reject() { close(); }

qx::FormHolder<frmUSB> &frmUSBForm()
{
    static qx::FormHolder<frmUSB> holder;
    return holder;
}
