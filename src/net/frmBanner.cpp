#include "net/frmBanner.h"

#include "net/NewsReply.h"
#include "platform/Colors.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/WindowAlpha.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

namespace {

constexpr int AlphaStep = 5;
constexpr int AlphaMax = 220;
constexpr int WidthTwips = 4500;
constexpr int HeightTwips = 3000;

// The main window (found by name, so this window needs nothing of its class).
QWidget *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmMain"))
            return w;
    return nullptr;
}

} // namespace

frmBanner::frmBanner() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmBanner"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(qx::twipsToPx(WidthTwips), qx::twipsToPx(HeightTwips));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setCursor(Qt::PointingHandCursor);
    Picture1->installEventFilter(this);
    // The program's end comes as a close request to every window, which
    // this one refuses while it fades out: it ends the program itself then.
    quitWait_ = new qx::QuitAfterFade(this, [this] { return !fadeDone_ && isVisible(); });

    Timer1 = new QTimer(this);
    Timer1->setInterval(25);
    Timer2 = new QTimer(this);
    Timer2->setInterval(25);
    qx::onSignal(Timer1, &QTimer::timeout, this, "frmBanner.Timer1", &frmBanner::Timer1_Timer);
    qx::onSignal(Timer2, &QTimer::timeout, this, "frmBanner.Timer2", &frmBanner::Timer2_Timer);

    // Form_Load: the bottom-right corner inside the main window.
    if (const QWidget *m = mainWindow()) {
        const QRect g = m->frameGeometry();
        move(g.left() + g.width() - width() - qx::twipsToPx(200), g.top() + g.height() - height() - qx::twipsToPx(500));
    }
    alpha_ = 0;
    applyAlpha();
    Timer1->start();
    fadeDone_ = false;
    Picture1->setGeometry(0, 0, width(), height());
}

void frmBanner::applyAlpha() { qx::setWindowAlpha(this, alpha_); }

void frmBanner::ShowPic(const QString &fname)
{
    if (!QFileInfo(fname).isFile())
        return;
    QPixmap pic;
    if (pic.load(fname))
        Picture1->setPixmap(pic);
}

void frmBanner::Timer1_Timer()
{
    if (!qx::fadeStep(this, alpha_, AlphaStep, AlphaMax))
        Timer1->stop();
}

void frmBanner::Timer2_Timer()
{
    if (!qx::fadeStep(this, alpha_, -AlphaStep, 0)) {
        Timer2->stop();
        fadeDone_ = true;
        close();
        quitWait_->fadeOver();
    }
}

void frmBanner::Picture1_Click()
{
    if (!linkUrl_.isEmpty())
        qx::news::OpenWebLink(linkUrl_);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    Timer1->stop();
    Timer2->start();
}

void frmBanner::Unload()
{
    if (!fadeDone_) {
        Timer1->stop();
        Timer2->start();
        return;
    }
    close();
}

bool frmBanner::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonPress)
        qx::guarded(QStringLiteral("frmBanner.Picture1_Click"), [this] { Picture1_Click(); });
    return QWidget::eventFilter(watched, event);
}

void frmBanner::closeEvent(QCloseEvent *e)
{
    // Form_Unload: only the end of the fade-out lets the window go.
    if (!fadeDone_) {
        e->ignore();
        Timer1->stop();
        Timer2->start();
        return;
    }
    e->accept();  // deleted on close
}

qx::FormHolder<frmBanner> &frmBannerForm()
{
    static qx::FormHolder<frmBanner> holder;
    return holder;
}
