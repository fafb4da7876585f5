// The main window's news and banner exchange with the news service: the
// poll (Timer2, which nothing switches on), the handlers of the socket
// control Winsock1, the close timer Timer3 and the news scroller Timer4.
// Every handler traps its failures and ends quietly; a banner that cannot
// be written is logged.
#include "mainwin/frmMain.h"

#include "services/ErrLog.h"
#include "services/Module1.h"
#include "services/Module3.h"
#include "services/Module4.h"
#include "services/State.h"
#include "net/NewsReply.h"
#include "net/Socket.h"
#include "net/UTF8.h"
#include "net/frmBanner.h"
#include "platform/AppHome.h"
#include "platform/Guard.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

// The news service (documentation address: the service lies outside the program).
const QString kNewsServiceAddr = QStringLiteral("192.0.2.10");
constexpr int kNewsServicePort = 8068;
constexpr int32_t kTickLimit = 65530;
// The longest news text the status line scrolls: a line or two of news, not
// whatever length a reply brings.
constexpr qsizetype kNewsTextLimit = 256;

QString capped(const QString &text)
{
    if (text.size() <= kNewsTextLimit)
        return text;
    // Never half a character that takes two UTF-16 units.
    const qsizetype n = text.at(kNewsTextLimit - 1).isHighSurrogate() ? kNewsTextLimit - 1 : kNewsTextLimit;
    return text.left(n);
}

template <class F>
void quietly(F &&f)
{
    try {
        f();
    } catch (const std::exception &) {
    }
}

} // namespace

void frmMain::createNewsExchange()
{
    NewsHost = kNewsServiceAddr;
    NewsPort = kNewsServicePort;
    Winsock1 = new Socket(this);
    Winsock1->setObjectName(QStringLiteral("Winsock1"));
    Winsock1->hide();
    connect(Winsock1, &Socket::ConnectEvent, this,
            [this] { qx::guarded(QStringLiteral("Winsock1_Connect"), [this] { Winsock1_Connect(); }); });
    connect(Winsock1, &Socket::DataArrival, this, [this](int32_t n) {
        qx::guarded(QStringLiteral("Winsock1_DataArrival"), [this, n] { Winsock1_DataArrival(n); });
    });

    auto timer = [this](const char *name, int interval, void (frmMain::*handler)()) {
        auto *t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this,
                [this, name, handler] { qx::guarded(QLatin1String(name), [this, handler] { (this->*handler)(); }); });
        return t;
    };
    Timer2 = timer("Timer2", 1000, &frmMain::Timer2_Timer);
    Timer3 = timer("Timer3", 2000, &frmMain::Timer3_Timer);
    Timer4 = timer("Timer4", 350, &frmMain::Timer4_Timer);
    connect(Timer1, &QTimer::timeout, this,
            [this] { qx::guarded(QStringLiteral("Timer1"), [this] { Timer1_Timer(); }); });
}

void frmMain::newsSend(const QString &text) { Winsock1->SendData(qx::UTF8::Utf8Encode(text)); }

void frmMain::Timer2_Timer()
{
    quietly([this] {
        if (NewsTick < kTickLimit)
            ++NewsTick;
        if (NewsTick % 30 != 0)
            return;
        Winsock1->CloseSck();
        Winsock1->set_RemoteHost(NewsHost);
        Winsock1->set_LocalPort(0);
        Winsock1->set_RemotePort(NewsPort);
        Winsock1->Connect();
        PollConnect = 1;
    });
}

void frmMain::Winsock1_Connect()
{
    try {
        if (PollConnect == 1) {
            Timer2->stop();
            newsSend(QStringLiteral("301en"));
            return;
        }
        const QString path = qx::Module4::ShowFileDialog(this, false, qx::Module3::LangText(QStringLiteral("Open Data")),
                                                         QStringLiteral("csv file(*.csv)|*.csv|data file(*.dat)|*.dat"),
                                                         QString(), QString(), QString());
        if (path.isEmpty())
            return;
        // Only the file's length is needed: it is not kept open.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.size() > INT32_MAX)
            throw std::runtime_error("upload file");
        UploadLen = int32_t(f.size());
        f.close();
        NewsFile = QFileInfo(path).fileName();
        newsSend(QStringLiteral("101"));
        newsSend(NewsFile);
        UploadOn = true;
    } catch (const std::exception &) {
        UploadOn = false;
    }
}

void frmMain::Winsock1_DataArrival(int32_t)
{
    quietly([this] {
        qx::net::Value data = QByteArray();
        Winsock1->GetData(data);
        newsReply(std::get<QByteArray>(data));
    });
}

void frmMain::newsReply(const QByteArray &raw)
{
    const QString reply = qx::UTF8::Utf8Decode(raw);
    switch (qx::news::ReplyCode(reply)) {
    case qx::news::BannerLink: {
        NewsLink = qx::news::ParseBannerLink(reply);
        NewsFile = qx::homePath(QStringLiteral("qx.ban"));
        if (QFileInfo::exists(NewsFile))
            QFile::remove(NewsFile);
        // What an earlier download that broke off left behind.
        QFile::remove(NewsFile + QStringLiteral(".tmp"));
        newsSend(QStringLiteral("201"));
        break;
    }
    case qx::news::News: {
        const qx::news::NewsItem item = qx::news::ParseNews(reply);
        if (item.store) {
            NewsLink = item.link;
            NewsText = capped(item.text);
        }
        Timer3->start();
        break;
    }
    case qx::news::ServerAddr: {
        // Only a dotted IPv4 address reaches the settings file.
        const QString addr = qx::news::ParseServerAddr(reply);
        if (!addr.isEmpty()) {
            SvrAddr = addr;
            qx::Module1::WriteIni(qx::IniFile, QStringLiteral("DATA"), QStringLiteral("SVR"), addr);
        }
        Timer3->start();
        break;
    }
    case qx::news::UploadEnd1:
    case qx::news::UploadEnd2:
        UploadOn = false;
        Timer3->start();
        break;
    case qx::news::DownloadEnd:
        DownloadOn = false;
        Timer3->start();
        break;
    default:
        if (DownloadOn)
            bannerData(raw);
        break;
    }
}

// A piece of a banner download: appended to the banner file's temporary
// copy, acknowledged with its new length; the complete picture replaces the
// banner file through the save door and is shown. A piece or a picture
// that cannot be written ends the download: logged ("ErrBanner"), the
// temporary copy removed, nothing shown.
void frmMain::bannerData(const QByteArray &raw)
{
    const QString part = NewsFile + QStringLiteral(".tmp");
    const auto failed = [&](const QString &reason) {
        // Later pieces would leave a gap in the picture: they are not taken.
        DownloadOn = false;
        QFile::remove(part);
        qx::ErrLog(QStringLiteral("ErrBanner"), NewsFile + QStringLiteral(": ") + reason);
        Timer3->start();
    };
    try {
        QString reason;
        if (!qx::savefile::append(part, raw, &reason, qx::savefile::Tail::Keep))
            return failed(reason);
        const qint64 length = QFileInfo(part).size();
        newsSend(QStringLiteral("203") + QString::number(length));
        if (length < DownloadLen)
            return;
        DownloadOn = false;
        Timer3->start();
        QFile in(part);
        if (!in.open(QIODevice::ReadOnly))
            return failed(in.errorString());
        const QByteArray picture = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return failed(in.errorString());
        in.close();
        if (!qx::savefile::replace(NewsFile, picture, &reason))
            return failed(reason);
        QFile::remove(part);
        frmBanner &b = frmBannerForm().get();
        b.show();
        b.ShowPic(NewsFile);
        b.SetUrl(NewsLink);
    } catch (const std::exception &e) {
        failed(QString::fromUtf8(e.what()));
    }
}

void frmMain::Timer3_Timer()
{
    quietly([this] {
        Winsock1->CloseSck();
        Timer3->stop();
    });
}

void frmMain::Timer4_Timer()
{
    if (ScrollPos <= 0)
        ScrollPos = 1;
    set_lstInfoLine(qx::CurDev, 0, QStringLiteral(" ") + ScrollText.mid(ScrollPos - 1));
    ++ScrollPos;
    // ">=": a shorter text taken up meanwhile starts over too.
    if (ScrollPos >= ScrollText.size() + 2)
        ScrollPos = 1;
}

void frmMain::SockClose() { Winsock1->CloseSck(); }
