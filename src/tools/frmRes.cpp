#include "tools/frmRes.h"

#include "link/COMM.h"
#include "services/ErrLog.h"
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

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <exception>

using qx::adjres::Verdict;

using qx::tools::toolChannel;
using qx::tools::toolPanel;

frmRes::frmRes() : QDialog(nullptr)
{
    setObjectName(QStringLiteral("frmRes"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    // Kept on top whenever it is active.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Resistance Test"));
    buildControls();

    // Form_Load.
    using namespace qx;
    centreOnScreen(this);
    QString caption = Module3::LangText(QStringLiteral("Resistance Test-Device") + QString::number(CurDev + 1));
    const ::DevCtrl *p = toolPanel();
    if (p && p->Dev2S())
        caption += QStringLiteral("-Channel") + QString::number(toolChannel() + 1);
    setWindowTitle(caption);
    txtCap->setText(QStringLiteral("1000"));
}

frmRes::~frmRes() { Form_Unload(); }

void frmRes::buildControls()
{
    using qx::control;
    setFixedSize(268, 132);
    control<QLabel>(this, "Label1", QRect(14, 16, 84, 22), QStringLiteral("Test Curr:"));
    txtCap = control<QLineEdit>(this, "txtCap", QRect(100, 14, 100, 24));
    txtCap->setText(QStringLiteral("0"));
    txtCap->installEventFilter(this);
    control<QLabel>(this, "Label2", QRect(206, 16, 40, 22), QStringLiteral("mA"));
    control<QLabel>(this, "Label3", QRect(14, 52, 84, 22), QStringLiteral("Resistance:"));
    txtRes = control<QLineEdit>(this, "txtRes", QRect(100, 50, 100, 24));
    txtRes->setText(QStringLiteral("0"));
    txtRes->setReadOnly(true);
    txtRes->setFocusPolicy(Qt::NoFocus);
    qx::setFillColor(txtRes, 0x00C0C0C0);
    {
        QPalette pal = txtRes->palette();
        pal.setColor(QPalette::Base, qx::oleToColor(0x00C0C0C0));
        txtRes->setPalette(pal);
    }
    control<QLabel>(this, "Label4", QRect(206, 52, 40, 22), QStringLiteral("mR"));
    cmdTest = control<QPushButton>(this, "cmdTest", QRect(84, 92, 100, 28), QStringLiteral("Test"));
    cmdTest->setAutoDefault(false);
    qx::onSignal(cmdTest, &QPushButton::clicked, this, "frmRes.cmdTest_Click", &frmRes::cmdTest_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    qx::onSignal(Timer1, &QTimer::timeout, this, "frmRes.Timer1_Timer", &frmRes::Timer1_Timer);
    connect(this, &QDialog::finished, this, [this] { Form_Unload(); });
}

bool frmRes::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtCap && qx::lostFocus(event))
        qx::guarded(QStringLiteral("frmRes.txtCap_LostFocus"), [this] { txtCap_LostFocus(); });
    return QDialog::eventFilter(watched, event);
}

void frmRes::txtCap_LostFocus()
{
    const Verdict v = qx::adjres::resCheck(txtCap->text());
    if (v == Verdict::NotNumber) {
        qx::adjres::tell(v);
        txtCap->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!qx::adjres::tell(v))
        return;  // the text stays; the focus goes where the user moved it
    txtCap->setText(qx::num::format(qx::num::toDouble(txtCap->text()), u"0"));
}

void frmRes::cmdTest_Click()
{
    using namespace qx;
    const int c = toolChannel();
    if (Running[CurDev][c]) {
        promptBox(QStringLiteral("Please stop other test first"), MbCritical);
        return;
    }
    if (chan(CurDev, c).Vol > 4.5f) {
        promptBox(QStringLiteral("Resistance test only support single battery"), MbCritical);
        return;
    }
    // The range is checked again: a current the user left out of range is
    // not sent.
    if (!qx::adjres::tell(adjres::resCheck(txtCap->text())))
        return;
    SendRes(c);
    if (SentmA < 0)
        return;  // a zero current: refused, nothing sent
    ResVolt = 0;
    TickCount = 0;
    Timer1->start();
    cmdTest->setEnabled(false);
}

void frmRes::SendRes(int chn)
{
    using namespace qx;
    SentmA = 0;
    try {
        const adjres::ResCurrent r = adjres::resCurrent(txtCap->text(), MaxCur[CurDev], CurScale[CurDev]);
        if (r.frameValue <= 0) {
            adjres::tell(Verdict::OutOfRange);
            SentmA = -1;
            return;
        }
        const Frames::CmdBuf buf = adjres::resFrame(chn, r.frameValue);
        if (PortHandle[CurDev] != 0 && COMM::WriteComm(PortHandle[CurDev], buf) == Frames::CmdLen)
            SentmA = r.mA;
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrRes"), QString::fromStdString(e.what()));
    }
}

void frmRes::Timer1_Timer()
{
    using namespace qx;
    ++TickCount;
    if (ResVolt <= 0 && TickCount <= 3) {
        ResVolt = 0;
        return;
    }
    // Without a frame that went out there is no current to divide by.
    if (ResVolt > 0 && SentmA > 0)
        txtRes->setText(adjres::resResult(ResVolt, SentmA));
    Timer1->stop();
    cmdTest->setEnabled(true);
    ResVolt = 0;
}

void frmRes::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    if (Timer1)
        Timer1->stop();
    qx::ResVolt = 0;
    qx::DlgDone = true;
    if (host.setTabsEnabled)
        host.setTabsEnabled(true);
}

qx::FormHolder<frmRes> &frmResForm()
{
    static qx::FormHolder<frmRes> holder;
    return holder;
}
