#include "tools/frmAdj.h"

#include "link/COMM.h"
#include "services/Module3.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Guard.h"
#include "platform/LostFocus.h"
#include "platform/GuardedConnect.h"
#include "platform/Numbers.h"
#include "platform/Placement.h"
#include "platform/UiServices.h"
#include "platform/WidgetStyle.h"
#include "tools/AdjResRules.h"
#include "tools/ToolPanel.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using qx::adjres::Verdict;

using qx::tools::toolChannel;
using qx::tools::toolPanel;

frmAdj::frmAdj() : QDialog(nullptr)
{
    setObjectName(QStringLiteral("frmAdj"));
    setModal(false);
    // Kept on top whenever it is active.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Parameter Calibration"));
    buildControls();
    Form_Load();
}

frmAdj::~frmAdj() { Form_Unload(); }

void frmAdj::buildControls()
{
    using qx::control;
    setFixedSize(330, 236);
    const auto row = [this](QGroupBox *frame, int y, const char *lblName, const char *caption, const char *txtName,
                            const char *init, const char *unit, const char *cmdName, QLabel *&lbl, QLineEdit *&txt,
                            QPushButton *&cmd) {
        lbl = control<QLabel>(frame, lblName, QRect(12, y + 3, 72, 22), QLatin1String(caption));
        txt = control<QLineEdit>(frame, txtName, QRect(86, y + 2, 84, 24));
        txt->setText(QLatin1String(init));
        txt->installEventFilter(this);
        control<QLabel>(frame, nullptr, QRect(176, y + 3, 16, 22), QLatin1String(unit));
        cmd = control<QPushButton>(frame, cmdName, QRect(200, y, 104, 28), QStringLiteral("Calibration"));
        cmd->setEnabled(false);
    };
    Frame1 = control<QGroupBox>(this, "Frame1", QRect(8, 6, 314, 92), QStringLiteral("Voltage Calibration"));
    row(Frame1, 22, "lblVL", "Low Volt:", "txtVL", "00.000", "V", "cmdVL", lblVL, txtVL, cmdVL);
    row(Frame1, 56, "lblVH", "High Volt:", "txtVH", "00.000", "V", "cmdVH", lblVH, txtVH, cmdVH);
    Frame2 = control<QGroupBox>(this, "Frame2", QRect(8, 104, 314, 92), QStringLiteral("Current Calibration"));
    row(Frame2, 22, "lblCL", "Low Curr:", "txtCL", "00.00", "A", "cmdCL", lblCL, txtCL, cmdCL);
    row(Frame2, 56, "lblCH", "High Curr:", "txtCH", "00.00", "A", "cmdCH", lblCH, txtCH, cmdCH);
    cmdOK = control<QPushButton>(this, "cmdOK", QRect(58, 202, 96, 28), QStringLiteral("OK"));
    cmdOK->setEnabled(false);
    cmdCancel = control<QPushButton>(this, "cmdCancel", QRect(176, 202, 96, 28), QStringLiteral("Cancel"));
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    qx::onSignal(cmdVL, &QPushButton::clicked, this, "frmAdj.cmdVL_Click", &frmAdj::cmdVL_Click);
    qx::onSignal(cmdVH, &QPushButton::clicked, this, "frmAdj.cmdVH_Click", &frmAdj::cmdVH_Click);
    qx::onSignal(cmdCL, &QPushButton::clicked, this, "frmAdj.cmdCL_Click", &frmAdj::cmdCL_Click);
    qx::onSignal(cmdCH, &QPushButton::clicked, this, "frmAdj.cmdCH_Click", &frmAdj::cmdCH_Click);
    qx::onSignal(cmdOK, &QPushButton::clicked, this, "frmAdj.cmdOK_Click", &frmAdj::cmdOK_Click);
    qx::onSignal(cmdCancel, &QPushButton::clicked, this, "frmAdj.cmdCancel_Click", &frmAdj::cmdCancel_Click);
}

void frmAdj::Form_Load()
{
    using namespace qx;
    centreOnScreen(this);
    QString caption = Module3::LangText(QStringLiteral("Calibration--Device") + QString::number(CurDev + 1));
    const ::DevCtrl *p = toolPanel();
    if (p && p->Dev2S())
        caption += QStringLiteral("-Channel") + QString::number(toolChannel() + 1);
    setWindowTitle(caption);
    AdjScale = adjres::adjScale(DevType[CurDev], DevVer[CurDev], CurScale[CurDev]);
    CurFmt = adjres::curFormat(AdjScale);
    VolFmt = adjres::volFormat();
    cmdOK->setEnabled(false);
    const auto rewrite = [](QLineEdit *box, const QString &picture) {
        if (num::isNumeric(box->text()))
            box->setText(num::format(num::toDouble(box->text()), picture));
    };
    rewrite(txtCL, CurFmt);
    rewrite(txtCH, CurFmt);
    rewrite(txtVL, VolFmt);
    rewrite(txtVH, VolFmt);
}

bool frmAdj::eventFilter(QObject *watched, QEvent *event)
{
    if (qx::lostFocus(event)) {
        if (watched == txtVL)
            qx::guarded(QStringLiteral("frmAdj.txtVL_LostFocus"), [this] { txtVL_LostFocus(); });
        else if (watched == txtVH)
            qx::guarded(QStringLiteral("frmAdj.txtVH_LostFocus"), [this] { txtVH_LostFocus(); });
        else if (watched == txtCL)
            qx::guarded(QStringLiteral("frmAdj.txtCL_LostFocus"), [this] { txtCL_LostFocus(); });
        else if (watched == txtCH)
            qx::guarded(QStringLiteral("frmAdj.txtCH_LostFocus"), [this] { txtCH_LostFocus(); });
    }
    return QDialog::eventFilter(watched, event);
}

void frmAdj::point(QLineEdit *box, int sub)
{
    using namespace qx;
    const bool volt = sub == adjres::CalVoltLow || sub == adjres::CalVoltHigh;
    const ::DevCtrl *p = toolPanel();
    const int c = toolChannel();
    const QString reading = p ? (volt ? p->tVol(c) : p->tCur(c)) : QString();
    const adjres::Point pt = adjres::pointCheck(box->text(), volt ? MaxVol[CurDev] : MaxCur[CurDev], reading,
                                                volt ? 1000.0 : double(AdjScale));
    if (pt.verdict != Verdict::Accepted) {
        qx::adjres::tell(pt.verdict);
        return;
    }
    if (SendAdj(sub, pt.value))
        cmdOK->setEnabled(true);
}

void frmAdj::cmdVL_Click() { point(txtVL, qx::adjres::CalVoltLow); }
void frmAdj::cmdVH_Click() { point(txtVH, qx::adjres::CalVoltHigh); }
void frmAdj::cmdCL_Click() { point(txtCL, qx::adjres::CalCurLow); }
void frmAdj::cmdCH_Click() { point(txtCH, qx::adjres::CalCurHigh); }

bool frmAdj::SendAdj(int sub, int32_t value)
{
    using namespace qx;
    const int32_t h = PortHandle[CurDev];
    if (h == 0) {
        promptBox(QStringLiteral("Please connect device first"), MbCritical);
        return false;
    }
    const Frames::CmdBuf buf = adjres::calibFrame(toolChannel(), sub, value);
    if (COMM::WriteComm(h, buf) != Frames::CmdLen) {
        promptBox(QStringLiteral("Wrong Port!"), MbCritical);
        return false;
    }
    return true;
}

void frmAdj::leaveCheck(QLineEdit *box, bool volt)
{
    using namespace qx;
    const Verdict v = adjres::fieldCheck(box->text(), volt ? MaxVol[CurDev] : MaxCur[CurDev]);
    if (v != Verdict::Accepted) {
        qx::adjres::tell(v);
        box->setFocus(Qt::OtherFocusReason);
        return;
    }
    box->setText(num::format(num::toDouble(box->text()), volt ? VolFmt : CurFmt));
}

void frmAdj::txtVL_LostFocus() { leaveCheck(txtVL, true); }
void frmAdj::txtVH_LostFocus() { leaveCheck(txtVH, true); }
void frmAdj::txtCL_LostFocus() { leaveCheck(txtCL, false); }
void frmAdj::txtCH_LostFocus() { leaveCheck(txtCH, false); }

void frmAdj::cmdOK_Click()
{
    // The store command that did not go out keeps the window open.
    if (!SendAdj(qx::adjres::CalStore, 0))
        return;
    closeDown();
}

void frmAdj::cmdCancel_Click() { closeDown(); }

void frmAdj::closeDown()
{
    hide();
    Form_Unload();
}

void frmAdj::Form_Unload()
{
    qx::AdjOpen = false;
    if (host.setTabsEnabled)
        host.setTabsEnabled(true);
    if (::DevCtrl *p = toolPanel())
        p->set_ChnEnable(true);
}

void frmAdj::closeEvent(QCloseEvent *e)
{
    // The close box is Cancel: the window stays loaded.
    e->ignore();
    qx::guarded(QStringLiteral("frmAdj.cmdCancel_Click"), [this] { cmdCancel_Click(); });
}

void frmAdj::reject() { qx::guarded(QStringLiteral("frmAdj.cmdCancel_Click"), [this] { cmdCancel_Click(); }); }

qx::FormHolder<frmAdj> &frmAdjForm()
{
    static qx::FormHolder<frmAdj> holder;
    return holder;
}
