#include "mainwin/frmMsg.h"

#include "platform/Colors.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"
#include "platform/WindowAlpha.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace {

constexpr int AlphaStep = 5;
constexpr int AlphaMax = 200;

} // namespace

frmMsg::frmMsg()
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("frmMsg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Prompt"));
    setFixedSize(qx::twipsToPx(2655), qx::twipsToPx(1185));

    lblMsg = new QLabel(QStringLiteral("STOP"), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setGeometry(qx::twipsRect(120, 240, 2415, 735));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(24);
    lblMsg->setFont(f);
    lblMsg->installEventFilter(this);
    // The program's end comes as a close request to every window, which
    // this one refuses while it fades out: it ends the program itself then.
    qApp->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(25);
    Timer2 = new QTimer(this);
    Timer2->setInterval(25);
    qx::onSignal(Timer1, &QTimer::timeout, this, "frmMsg.Timer1", &frmMsg::Timer1_Timer);
    qx::onSignal(Timer2, &QTimer::timeout, this, "frmMsg.Timer2", &frmMsg::Timer2_Timer);

    // Form_Load.
    qx::centreOnScreen(this);
    alpha_ = 0;
    applyAlpha();
    Timer1->start();
    closing_ = false;
}

void frmMsg::Show(const QString &text)
{
    // A window that has faded out is on its way out; start a fresh one.
    if (frmMsgForm().isLoaded() && frmMsgForm()->Closing())
        frmMsgForm().unload();
    frmMsg &w = frmMsgForm().get();
    w.show();
    w.lblMsg->setText(text);
}

// Each step reaches the window system at once, as the layered window's
// alpha did.
void frmMsg::applyAlpha() { qx::setWindowAlpha(this, alpha_); }

void frmMsg::Timer1_Timer()
{
    if (!qx::fadeStep(this, alpha_, AlphaStep, AlphaMax))
        Timer1->stop();
}

void frmMsg::Timer2_Timer()
{
    if (!qx::fadeStep(this, alpha_, -AlphaStep, 0)) {
        Timer2->stop();
        closing_ = true;
        fadeOutEnded();
    }
}

void frmMsg::fadeOutEnded()
{
    close();
    if (quitWaiting_)
        QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
}

void frmMsg::Form_Click()
{
    Timer1->stop();
    Timer2->start();
}

void frmMsg::Unload()
{
    if (!closing_) {
        Form_Click();
        return;
    }
    hide();
    deleteLater();
}

void frmMsg::mousePressEvent(QMouseEvent *e)
{
    QWidget::mousePressEvent(e);
    qx::guarded(QStringLiteral("frmMsg.Form_Click"), [this] { Form_Click(); });
}

bool frmMsg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblMsg && event->type() == QEvent::MouseButtonPress)
        qx::guarded(QStringLiteral("frmMsg.lblMsg_Click"), [this] { Form_Click(); });
    if (watched == qApp && event->type() == QEvent::Quit && !closing_ && isVisible())
        quitWaiting_ = true;
    return QWidget::eventFilter(watched, event);
}

void frmMsg::closeEvent(QCloseEvent *e)
{
    // Form_Unload: only the end of the fade-out lets the window go.
    if (!closing_) {
        e->ignore();
        Form_Click();
        return;
    }
    e->accept();  // deleted on close
}

qx::FormHolder<frmMsg> &frmMsgForm()
{
    static qx::FormHolder<frmMsg> holder;
    return holder;
}
