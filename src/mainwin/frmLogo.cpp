#include "mainwin/frmLogo.h"
#include "platform/WidgetStyle.h"

#include "platform/AppVersion.h"
#include "platform/Colors.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/Placement.h"
#include "services/Prompt.h"

#include <QBitmap>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QTimer>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, int top, int height, int pointSize)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(0, qx::twipsToPx(top), parent->width(), qx::twipsToPx(height));
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPointSize(pointSize);
    l->setFont(f);
    return l;
}

} // namespace

frmLogo::frmLogo(std::function<void()> showMain)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      showMain_(std::move(showMain))
{
    setObjectName(QStringLiteral("frmLogo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(qx::twipsToPx(7200), qx::twipsToPx(2700));

    Label1 = label(this, "Label1", qx::app::programTitle(), 300, 1100, 36);
    QFont title(QStringLiteral("Impact"));
    title.setStyleHint(QFont::SansSerif);
    title.setPointSize(36);
    Label1->setFont(title);
    qx::setTextColor(Label1, qx::rgb(0, 80, 160));
    Label3 = label(this, "Label3", qx::app::makerName(), 1500, 420, 14);
    qx::setTextColor(Label3, qx::rgb(64, 64, 64));
    Label2 = label(this, "Label2", qx::app::webAddress(), 2000, 360, 10);
    qx::setTextColor(Label2, qx::rgb(0, 0, 255));
    QFont link = Label2->font();
    link.setUnderline(true);
    Label2->setFont(link);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);

    // Form_Load: white window and labels, centred on the screen, its white
    // see-through so that only the texts appear on the desktop.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    qx::centreOnScreen(this);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(2000);
    qx::onSignal(Timer1, &QTimer::timeout, this, "frmLogo.Timer1", &frmLogo::Timer1_Timer);
    Timer1->start();
}

void frmLogo::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    cutAwayWhite();
}

void frmLogo::cutAwayWhite()
{
    const QImage drawn = grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The mask image has its bits set on the white pixels; as a bitmap
    // those bits are the cleared ones, which the window mask leaves out.
    setMask(QBitmap::fromImage(drawn.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
}

void frmLogo::Timer1_Timer()
{
    Timer1->stop();
    if (showMain_)
        showMain_();
    close();
}

void frmLogo::Label2_Click() { qx::openWebPage(qx::app::webAddress()); }

bool frmLogo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonPress)
        qx::guarded(QStringLiteral("frmLogo.Label2_Click"), [this] { Label2_Click(); });
    return QWidget::eventFilter(watched, event);
}
