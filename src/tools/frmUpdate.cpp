#include "tools/frmUpdate.h"

#include "services/ErrLog.h"
#include "services/Module3.h"
#include "services/State.h"
#include "panel/ucProgressBar.h"
#include "platform/Guard.h"
#include "platform/Numbers.h"
#include "platform/UiServices.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"
#include "tools/BootLink.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace {

using qx::BootLink;

// The bar's pictures: a sunken empty trough and its filled look.
QImage barPicture(QSize size, bool filled)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    const QRect inner = img.rect().adjusted(1, 1, -1, -1);
    p.fillRect(img.rect(), QColor(128, 128, 128));
    p.fillRect(inner.adjusted(0, 0, 1, 1), QColor(255, 255, 255));
    if (filled) {
        QLinearGradient g(0, inner.top(), 0, inner.bottom());
        g.setColorAt(0, QColor(120, 190, 255));
        g.setColorAt(1, QColor(0, 90, 200));
        p.fillRect(inner, g);
    } else {
        p.fillRect(inner, QColor(236, 236, 236));
    }
    return img;
}

// The port number after "COM"; 0 when there is none.
int portNumber(const QString &name)
{
    const double n = qx::num::val(QStringView(name).mid(std::min<qsizetype>(3, name.size())));
    return n >= 1 && n <= 255 ? int(n) : 0;
}

} // namespace

frmUpdate::frmUpdate()
    : link_(std::make_shared<BootLink>())
{
    setObjectName(QStringLiteral("frmUpdate"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Firmware Update"));
    setFixedSize(qx::twipsToPx(4710), qx::twipsToPx(1560));

    Label1 = qx::control<QLabel>(this, "Label1", qx::twipsRect(240, 300, 600, 255), QStringLiteral("Type:"));
    cmbDev = qx::control<QComboBox>(this, "cmbDev", qx::twipsRect(900, 240, 2175, 330));
    cmdOpen = qx::control<QPushButton>(this, "cmdOpen", qx::twipsRect(3255, 218, 1215, 375), QStringLiteral("Identify"));
    lblPB = qx::control<QLabel>(this, "lblPB", qx::twipsRect(240, 960, 600, 255), QStringLiteral("Prog:"));
    pbFw = new ucProgressBar(this);
    pbFw->setObjectName(QStringLiteral("pbFw"));
    pbFw->move(qx::twipsToPx(900), qx::twipsToPx(900));
    const QSize bar(qx::twipsToPx(2175), qx::twipsToPx(375));
    pbFw->set_BarPictureBack(barPicture(bar, false));
    pbFw->set_BarPictureFore(barPicture(bar, true));
    pbFw->set_CaptionFormat(2);
    cmdUpdate = qx::control<QPushButton>(this, "cmdUpdate", qx::twipsRect(3255, 900, 1215, 375), QStringLiteral("Update"));

    // The exchanges run from the application's event queue, not inside the
    // button's own event: the window (and the button) may be destroyed while
    // an exchange waits.
    const auto later = [this](const char *tag, void (frmUpdate::*flow)()) {
        const QPointer<frmUpdate> self(this);
        QMetaObject::invokeMethod(
            qApp,
            [self, tag, flow] {
                if (self)
                    qx::guarded(QLatin1String(tag), [&] { (self.data()->*flow)(); });
            },
            Qt::QueuedConnection);
    };
    connect(cmdOpen, &QPushButton::clicked, this, [later] { later("frmUpdate.cmdOpen_Click", &frmUpdate::cmdOpen_Click); });
    connect(cmdUpdate, &QPushButton::clicked, this,
            [later] { later("frmUpdate.cmdUpdate_Click", &frmUpdate::cmdUpdate_Click); });

    // Form_Load.
    qx::centreOnScreen(this);
    setWindowTitle(qx::Module3::LangText(QStringLiteral("Firmware Update--Device%1").arg(qx::CurDev + 1)));
    cmdUpdate->setEnabled(false);
    pbFw->set_Min(0);
    pbFw->set_Value(0);
    link_->Synced = false;
}

frmUpdate::~frmUpdate() { Form_Unload(); }

qx::FormHolder<frmUpdate> &frmUpdateForm()
{
    static qx::FormHolder<frmUpdate> holder;
    return holder;
}

int frmUpdate::message(const QString &text, int style)
{
    return qx::ui().msgBox(qx::Module3::LangText(text), style, qx::Module3::LangText(QStringLiteral("Prompt")));
}

void frmUpdate::setExchanging(bool on)
{
    exchanging_ = on;
    cmdOpen->setEnabled(!on);
    if (on)
        cmdUpdate->setEnabled(false);
}

void frmUpdate::cmdOpen_Click()
{
    if (exchanging_ || unloaded_)
        return;
    // The flow may outlive the window (closed during a wait): it keeps the
    // link and touches the window only while it exists.
    const std::shared_ptr<BootLink> link = link_;
    const QPointer<frmUpdate> self(this);
    const auto gone = [&] { return !self || link->cancelled(); };
    const bool updateEnabled = cmdUpdate->isEnabled();
    const auto done = [&] {
        setExchanging(false);
        cmdUpdate->setEnabled(updateEnabled);
    };

    setExchanging(true);
    link->BootType = 0;
    if (!link->PortOpen()) {
        const QString name = host.portName ? host.portName() : QString();
        const int port = portNumber(name);
        if (name.isEmpty() || port == 0 || !link->OpenPort(port)) {
            done();
            message(QStringLiteral("Wrong Port!"), qx::MbCritical);
            return;
        }
    }
    const bool synced = link->Synced || link->Synchronise();
    if (gone())
        return;
    const bool got = synced && link->BootGet();
    if (gone())
        return;
    if (!got) {
        message(QStringLiteral("Failed! Please check TTL cable"), qx::MbCritical);
        if (self)
            closeSelf();
        return;
    }

    done();
    const QString model = qx::firmware::modelFor(link->BootType, link->BootVariant);
    if (model.isEmpty()) {
        qx::ui().msgBox(qx::Module3::LangText(QStringLiteral("Firmware is the latest"))
                            + QStringLiteral(":%1-%2").arg(link->BootType).arg(link->BootVariant),
                        qx::MbInformation, qx::Module3::LangText(QStringLiteral("Prompt")));
        return;
    }
    cmbDev->addItem(model);
    cmbDev->setCurrentIndex(cmbDev->count() - 1);
    message(QStringLiteral("Success! Please select device type"), qx::MbInformation);
    if (self && !unloaded_)
        cmdUpdate->setEnabled(true);
}

bool frmUpdate::imageFits(int id, int bootType) const
{
    const long long end = BootLink::startAddress(bootType) + static_cast<long long>(FwImage.size());
    if (FwImage.isEmpty() || end > BootLink::AddressLimit) {
        qx::ErrLog(QStringLiteral("ErrImage"),
                   FwImage.isEmpty() ? QStringLiteral("no firmware image %1").arg(id)
                                     : QStringLiteral("firmware image %1 of %2 bytes does not fit below 0x10000 from 0x%3")
                                           .arg(id)
                                           .arg(FwImage.size())
                                           .arg(QString::number(BootLink::startAddress(bootType), 16).toUpper()));
        return false;
    }
    return true;
}

void frmUpdate::updateFailed()
{
    const QPointer<frmUpdate> self(this);
    hide();
    message(QStringLiteral("Update failed"), qx::MbCritical);
    if (self)
        closeSelf();
}

void frmUpdate::cmdUpdate_Click()
{
    if (exchanging_ || unloaded_)
        return;
    const std::shared_ptr<BootLink> link = link_;
    const QPointer<frmUpdate> self(this);
    const auto gone = [&] { return !self || link->cancelled(); };

    const int id = qx::firmware::imageIdFor(cmbDev->currentText(), link->BootType);
    FwImage = imageSource ? imageSource(id) : QByteArray();
    FwLen = int(FwImage.size());
    setExchanging(true); // both stay disabled until the window closes
    updating_ = true;
    if (!imageFits(id, link->BootType))
        return updateFailed();
    pbFw->set_Max(FwLen);

    if (!link->BootGet())
        return gone() ? void() : updateFailed();
    if (!imageFits(id, link->BootType)) // the type code was read again
        return updateFailed();
    erased_ = true; // from here on a stop leaves the device without firmware
    if (!link->BootErase())
        return gone() ? void() : updateFailed();

    const uint32_t base = uint32_t(BootLink::startAddress(link->BootType));
    const auto *image = reinterpret_cast<const uint8_t *>(FwImage.constData());
    for (int offset = 0; offset < FwLen; offset += BootLink::BlockSize) {
        const int n = std::min(BootLink::BlockSize, FwLen - offset);
        const std::span<const uint8_t> block(image + offset, size_t(n));
        if (!link->BootWriteMem(base + uint32_t(offset), block, n))
            return gone() ? void() : updateFailed();
        if (!link->BootReadMem(base + uint32_t(offset), n))
            return gone() ? void() : updateFailed();
        if (gone())
            return;
        if (!std::equal(block.begin(), block.end(), link->RdBuf.begin())) {
            qx::ErrLog(QStringLiteral("ErrVerify"),
                       QStringLiteral("block at 0x%1 reads back different")
                           .arg(QString::number(base + uint32_t(offset), 16).toUpper()));
            return updateFailed();
        }
        pbFw->set_Value(pbFw->Value() + n);
    }
    if (!link->BootGo())
        return gone() ? void() : updateFailed();
    if (gone())
        return;
    erased_ = false;

    link->ClosePort();
    hide();
    message(QStringLiteral("Update OK"), qx::MbInformation);
    if (self)
        closeSelf();
}

void frmUpdate::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    link_->cancel(); // a wait in progress ends; nothing more is sent
    link_->ClosePort();
    if (erased_ && exchanging_) {
        const QString port = host.portName ? host.portName() : QString();
        qx::ErrLog(QStringLiteral("ErrUpdate"),
                   port + QStringLiteral(": the update was stopped before it finished; the device needs a new update"));
    }
    qx::DlgDone = true;
    if (host.enableTabs)
        host.enableTabs();
    Q_EMIT finished(QDialog::Rejected); // the caller's wait ends
}

bool frmUpdate::mayStopUpdate()
{
    if (!updating())
        return true;
    const QPointer<frmUpdate> self(this);
    // Cancel is the default: Enter twice (here and at "Close software?")
    // must not leave the device without firmware.
    const int answer = message(QStringLiteral("Stop the update? The device will need a new update."),
                               qx::MbOkCancel | qx::MbInformation | qx::MbDefaultButton2);
    // The update may have ended meanwhile.
    return answer == qx::MrOk || !self || !updating();
}

void frmUpdate::closeEvent(QCloseEvent *e)
{
    if (exchanging_ && !unloaded_) {
        // The exchange waits while the question is open.
        const QPointer<frmUpdate> self(this);
        const bool stop = updating_ ? mayStopUpdate()
                                    : message(QStringLiteral("Stop identifying?"), qx::MbOkCancel | qx::MbInformation)
                                          == qx::MrOk;
        if (!self)
            return;
        // The exchange may have ended the window meanwhile.
        if (!stop && !unloaded_ && exchanging_) {
            e->ignore();
            return;
        }
    }
    Form_Unload();
    e->accept();
}

void frmUpdate::reject() { close(); }

void frmUpdate::closeSelf()
{
    // The window's own end of an exchange: nothing to ask.
    exchanging_ = false;
    close();
}
