#include "mainwin/frmAbout.h"

#include "platform/AppVersion.h"
#include "platform/Colors.h"
#include "platform/Guard.h"
#include "platform/GuardedConnect.h"
#include "platform/Placement.h"
#include "services/Prompt.h"
#include "platform/WidgetStyle.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &r)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(r);
    return l;
}

} // namespace

QPixmap programLogo(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
    p.fillPath(body, QColor(0, 90, 170));
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Impact"));
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPixelSize(size * 9 / 20);
    p.setFont(f);
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("QX"));
    return pm;
}

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About Software"));
    setFixedSize(qx::twipsToPx(5700), qx::twipsToPx(3600));

    Image1 = label(this, "Image1", QString(), qx::twipsRect(240, 240, 960, 960));
    Image1->setPixmap(programLogo(qx::twipsToPx(960)));

    lblTitle = label(this, "lblTitle", QString(), qx::twipsRect(1440, 200, 4100, 600));
    QFont title(QStringLiteral("Impact"));
    title.setStyleHint(QFont::SansSerif);
    title.setPointSize(20);
    lblTitle->setFont(title);
    lblVer = label(this, "lblVer", QString(), qx::twipsRect(1440, 840, 4100, 280));
    lblRelease = label(this, "lblRelease", QString(), qx::twipsRect(1440, 1120, 4100, 280));
    lblInfo1 = label(this, "lblInfo1", QStringLiteral("PC software for electronic loads, chargers and USB testers."),
                     qx::twipsRect(240, 1560, 5300, 280));
    lblInfo2 = label(this, "lblInfo2", QStringLiteral("Up to ten devices, each on its own serial port."),
                     qx::twipsRect(240, 1840, 5300, 280));
    Label1 = label(this, "Label1", qx::app::webAddress(), qx::twipsRect(240, 2280, 5300, 280));
    QFont link = Label1->font();
    link.setUnderline(true);
    Label1->setFont(link);
    Label1->setStyleSheet(QStringLiteral("color: #0000ff;"));
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(qx::twipsRect(4200, 2880, 1215, 375));
    cmdOK->setDefault(true);
    qx::onSignal(cmdOK, &QPushButton::clicked, this, "frmAbout.cmdOK_Click", &frmAbout::cmdOK_Click);

    // Form_Load.
    lblTitle->setText(qx::app::programTitle());
    lblVer->setText(QStringLiteral("Version: V") + qx::app::versionNumbers());
    lblRelease->setText(qx::app::buildText());
    qx::centreOnScreen(this);
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::Label1_Click() { qx::openWebPage(qx::app::webAddress()); }

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress)
        qx::guarded(QStringLiteral("frmAbout.Label1_Click"), [this] { Label1_Click(); });
    return QDialog::eventFilter(watched, event);
}

qx::FormHolder<frmAbout> &frmAboutForm()
{
    static qx::FormHolder<frmAbout> holder;
    return holder;
}
