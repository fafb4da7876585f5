// The main window's news exchange against a scripted news service on the
// loopback address: the poll, the news query, every reply (well-formed,
// malformed and hostile), the upload announcement, a banner download, the
// scroller and the link click.
#include "MainFixture.h"

#include "common/FullDisk.h"
#include "common/Loopback.h"
#include "services/Module1.h"
#include "net/Socket.h"
#include "net/frmBanner.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QApplication>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QTimer>

#include <optional>

using namespace qx;
using namespace qx::test;

namespace {

struct News : MainFixture {
    News()
    {
        w.NewsHost = QStringLiteral("127.0.0.1");
        w.NewsPort = server.port;
        QObject::connect(w.Winsock1, &Socket::DataArrival, [this](int32_t) { ++arrivals; });
    }
    ~News() override { frmBannerForm().unload(); }

    // The poll's connection: 30 ticks (or the rest of them), the service
    // takes the call and reads the news query.
    void pollConnect(int ticks = 30)
    {
        for (int i = 0; i < ticks; ++i)
            w.Timer2_Timer();
        svc = server.accept();
        ASSERT_TRUE(svc.valid());
        ASSERT_TRUE(waitUntil([&] { return w.Winsock1->State() == 7; }));
        ASSERT_EQ(svc.readExactly(5), "301en");
    }
    // The service replies; returns when the window has handled the reply.
    void reply(const QByteArray &bytes)
    {
        const int before = arrivals;
        svc.send(bytes);
        ASSERT_TRUE(waitUntil([&] { return arrivals > before && w.Winsock1->BytesReceived() == 0; }));
    }
    QString iniText() const { return QString::fromUtf8(home.read(QStringLiteral("qx.ini"))); }

    frmMain &w = load();
    TcpServer server;
    TcpConn svc;
    int arrivals = 0;
};

} // namespace

TEST_F(News, NothingRunsUnlessThePollIsSwitchedOn)
{
    EXPECT_FALSE(w.Timer2->isActive());
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_FALSE(w.Timer4->isActive());
    EXPECT_EQ(w.Timer2->interval(), 1000);
    EXPECT_EQ(w.Timer3->interval(), 2000);
    EXPECT_EQ(w.Timer4->interval(), 350);
    EXPECT_EQ(w.Winsock1->State(), 0);
    EXPECT_FALSE(w.Winsock1->isVisible());
    EXPECT_EQ(w.Winsock1->RemoteHost(), "");
    EXPECT_EQ(w.Winsock1->RemotePort(), 0);
    EXPECT_EQ(w.NewsText, "");
    EXPECT_EQ(w.NewsLink, "");
    EXPECT_EQ(w.PollConnect, 0);
    settleFor(100);
    EXPECT_EQ(w.Winsock1->State(), 0);
}

TEST_F(News, ThePollConnectsEveryThirtiethTickAndAsksForNews)
{
    w.Timer2->start();
    for (int i = 0; i < 29; ++i)
        w.Timer2_Timer();
    EXPECT_EQ(w.Winsock1->State(), 0);
    EXPECT_EQ(w.PollConnect, 0);
    pollConnect(1);
    EXPECT_EQ(w.NewsTick, 30);
    EXPECT_EQ(w.PollConnect, 1);
    EXPECT_FALSE(w.Timer2->isActive());  // no further polls
    EXPECT_EQ(w.Winsock1->RemotePort(), server.port);
}

TEST_F(News, TheTickCounterRestsAtItsLimit)
{
    w.NewsTick = 65519;
    w.Timer2_Timer();  // 65520, a multiple of 30: the last try
    EXPECT_EQ(w.PollConnect, 1);
    TcpConn c = server.accept();
    ASSERT_TRUE(waitUntil([&] { return w.Winsock1->State() == 7; }));
    w.SockClose();
    w.NewsTick = 65529;
    for (int i = 0; i < 40; ++i)
        w.Timer2_Timer();
    EXPECT_EQ(w.NewsTick, 65530);
    EXPECT_EQ(w.Winsock1->State(), 0);
}

TEST_F(News, ANewsReplyScrollsAndItsLinkOpensOnce)
{
    pollConnect();
    const QString link = QStringLiteral("https://example.org/n/25");  // 24 characters
    ASSERT_EQ(link.size(), 24);
    reply(QByteArray("104024") + link.toUtf8() + "Hello");
    EXPECT_EQ(w.NewsLink, link);
    EXPECT_EQ(w.NewsText, "Hello");
    EXPECT_TRUE(w.Timer3->isActive());

    // The scroller: 40 blanks and the text enter from the right.
    w.ScrollText = QString(40, QLatin1Char(' ')) + w.NewsText;
    w.ScrollPos = 0;
    QStringList lines;
    for (int i = 0; i < 47; ++i) {
        w.Timer4_Timer();
        lines << w.lstInfoLine(CurDev, 0);
    }
    EXPECT_EQ(lines[0], QStringLiteral(" ") + w.ScrollText);
    EXPECT_EQ(lines[40], " Hello");
    EXPECT_EQ(lines[44], " o");
    EXPECT_EQ(lines[45], " ");  // one empty step
    EXPECT_EQ(lines[46], QStringLiteral(" ") + w.ScrollText);

    // A click opens the link once and ends the news.
    w.lstInfo_DragDrop(0);
    EXPECT_EQ(ui.links, QStringList{link});
    EXPECT_EQ(w.NewsText, "");
    EXPECT_EQ(w.NewsLink, "");
    w.lstInfo_DragDrop(0);
    EXPECT_EQ(ui.links.size(), 1);

    // The close timer ends the connection.
    w.Timer3_Timer();
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_EQ(w.Winsock1->State(), 0);
    svc.readExactly(1);
    EXPECT_TRUE(svc.eof);
}

TEST_F(News, RepliesWellFormedMalformedAndHostile)
{
    struct Case {
        const char *what;
        QByteArray reply;
        bool stored;
        QString link, text;
    };
    const Case cases[] = {
        {"no link", "104000hello", true, "", "hello"},
        {"length 200", "104200http://x", false, "", ""},
        {"length 128", "104128http://x", false, "", ""},
        {"cut short", "104025http://short", false, "", ""},
        {"code alone", "104", false, "", ""},
        {"length not digits", "104abcxyz", true, "", "xyz"},
        {"line breaks in the text", "104000one\r\ntwo\x07", true, "", "one  two "},
        {"bad UTF-8 in the text", "104000ok\xff", true, "", "ok\uFFFD"},
        {"a link that is not for the web", "104018file:///etc/passwdNews", true, "file:///etc/passwd", "News"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        w.NewsText = QStringLiteral("before");
        w.NewsLink = QStringLiteral("http://before");
        pollConnect();
        reply(c.reply);
        EXPECT_EQ(w.NewsText, c.stored ? c.text : QStringLiteral("before"));
        EXPECT_EQ(w.NewsLink, c.stored ? c.link : QStringLiteral("http://before"));
        EXPECT_TRUE(w.Timer3->isActive());  // closed 2 s later in every case
        w.Timer3_Timer();
        EXPECT_EQ(w.Winsock1->State(), 0);
    }
    // A link that is not http or https is never opened.
    w.NewsText = QStringLiteral("x");
    w.NewsLink = QStringLiteral("file:///etc/passwd");
    w.lstInfo_DragDrop(0);
    w.NewsText = QStringLiteral("x");
    w.NewsLink = QStringLiteral("javascript:alert(1)");
    w.lstInfo_DragDrop(0);
    EXPECT_TRUE(ui.links.isEmpty());
    EXPECT_EQ(w.NewsLink, "");
}

TEST_F(News, AnOverlongNewsTextIsCutToTwoHundredFiftySixCharacters)
{
    const struct {
        const char *what;
        QByteArray text;
        QString kept;
    } cases[] = {
        {"2 MB", QByteArray(2 * 1024 * 1024, 'x'), QString(256, QLatin1Char('x'))},
        {"exactly 256", QByteArray(256, 'y'), QString(256, QLatin1Char('y'))},
        // U+1F50B takes two UTF-16 units: it is not cut in half.
        {"a wide character across the limit", QByteArray(255, 'z') + "\xF0\x9F\x94\x8B" + "zz",
         QString(255, QLatin1Char('z'))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        pollConnect();
        reply(QByteArray("104000") + c.text);
        EXPECT_EQ(w.NewsText, c.kept);
        w.Timer3_Timer();
    }
    // The status line scrolls 40 blanks and the kept text.
    w.Timer1_Timer();
    EXPECT_EQ(w.ScrollText.size(), 40 + 255);
}

TEST_F(News, AServerAddressReachesTheSettingsFileOnlyWhenItIsADottedAddress)
{
    const QString before = iniText();
    for (const QByteArray &bad : {QByteArray("105127.0.0.1\r\n[AUTO]\r\nSAVE=True"), QByteArray("105evil.example"),
                                  QByteArray("105"), QByteArray("105300.1.1.1"), QByteArray("105 127.0.0.1")}) {
        SCOPED_TRACE(bad.constData());
        pollConnect();
        reply(bad);
        EXPECT_TRUE(w.Timer3->isActive());
        w.Timer3_Timer();
    }
    EXPECT_EQ(iniText(), before);
    EXPECT_NE(w.SvrAddr, "evil.example");

    pollConnect();
    reply("105127.0.0.9");
    EXPECT_EQ(w.SvrAddr, "127.0.0.9");
    EXPECT_EQ(Module1::ReadIni(IniFile, "DATA", "SVR", ""), "127.0.0.9");
    EXPECT_TRUE(iniText().contains("SVR=127.0.0.9\r\n"));
    // The poll keeps its own address.
    w.Timer3_Timer();
    EXPECT_EQ(w.NewsHost, "127.0.0.1");
}

TEST_F(News, CodesThatEndTransfersAndCodesThatMeanNothing)
{
    pollConnect();
    w.UploadOn = true;
    reply("253");
    EXPECT_FALSE(w.UploadOn);
    EXPECT_TRUE(w.Timer3->isActive());
    w.Timer3_Timer();

    pollConnect();
    w.DownloadOn = true;
    reply("254");
    EXPECT_FALSE(w.DownloadOn);
    w.Timer3_Timer();

    pollConnect();
    w.NewsText = "kept";
    reply("abc104000x");  // not digits: code 0, ignored
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_EQ(w.NewsText, "kept");
    EXPECT_EQ(w.Winsock1->State(), 7);
    w.SockClose();
}

TEST_F(News, ABannerLinkDeletesTheBannerFileAndIsAnswered)
{
    home.write("qx.ban", "old picture");
    home.write("qx.ban.tmp", "the start of a download that broke off");
    pollConnect();
    reply("103http://127.0.0.1/banner");
    EXPECT_EQ(w.NewsLink, "http://127.0.0.1/banner");
    EXPECT_EQ(w.NewsFile, home.file("qx.ban"));
    EXPECT_FALSE(QFile::exists(home.file("qx.ban")));
    // The next download starts from nothing.
    EXPECT_FALSE(QFile::exists(home.file("qx.ban.tmp")));
    EXPECT_EQ(svc.readExactly(3), "201");
    EXPECT_FALSE(w.Timer3->isActive());  // the connection stays open
    EXPECT_EQ(w.Winsock1->State(), 7);
    w.SockClose();
}

TEST_F(News, ABannerDownloadIsStoredAndShown)
{
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(QColor(200, 30, 30));
    const QString src = home.file("src.png");
    ASSERT_TRUE(img.save(src));
    QFile f(src);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray png = f.readAll();
    f.close();

    // A picture of an earlier download is replaced.
    home.write("qx.ban", "old picture");
    pollConnect();
    w.NewsLink = "https://example.org/banner";
    w.NewsFile = home.file("qx.ban");
    w.DownloadLen = int32_t(png.size());
    w.DownloadOn = true;
    const int half = 20;
    ASSERT_FALSE(png.at(half) >= '0' && png.at(half) <= '9');
    reply(png.left(half));
    EXPECT_EQ(svc.readExactly(5), "20320");
    EXPECT_FALSE(frmBannerForm().isLoaded());
    reply(png.mid(half));
    const QByteArray ack = "203" + QByteArray::number(png.size());
    EXPECT_EQ(svc.readExactly(ack.size()), ack);

    EXPECT_FALSE(w.DownloadOn);
    EXPECT_TRUE(w.Timer3->isActive());
    EXPECT_EQ(home.read("qx.ban"), png);
    EXPECT_FALSE(QFile::exists(home.file("qx.ban.tmp")));
    ASSERT_TRUE(frmBannerForm().isLoaded());
    frmBanner &b = frmBannerForm().get();
    EXPECT_TRUE(b.isVisible());
    EXPECT_EQ(b.LinkUrl(), "https://example.org/banner");
    EXPECT_EQ(b.Picture1->pixmap().size(), QSize(60, 40));
    w.Timer3_Timer();
}

TEST_F(News, ABannerThatCannotBeWrittenIsLoggedAndNotShown)
{
    fixErrLogClock();
    ASSERT_TRUE(QDir(home.path()).mkpath("Log"));
    const QByteArray picture(3000, 'p');
    struct Case {
        const char *how;
        const char *reason;
    };
    const Case cases[] = {{"full disk", "File too large"}, {"banner file a folder", ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        const bool full = &c == &cases[0];
        if (!full) {
            ASSERT_TRUE(QDir(home.path()).mkdir("qx.ban"));
        }
        pollConnect();
        w.NewsFile = home.file("qx.ban");
        w.DownloadLen = int32_t(picture.size());
        w.DownloadOn = true;
        reply(picture.left(1000));
        EXPECT_EQ(svc.readExactly(7), "2031000");
        {
            // Room for the error log's line, not for the rest of the picture.
            std::optional<test::FullDisk> disk;
            if (full)
                disk.emplace(1500);
            reply(picture.mid(1000));
        }
        if (!full) {
            EXPECT_EQ(svc.readExactly(7), "2033000");
        }
        // A piece after the failure is not taken.
        reply(picture.left(10));
        EXPECT_EQ(svc.readAvailable(), "") << "no further acknowledgement";
        EXPECT_FALSE(w.DownloadOn);
        EXPECT_TRUE(w.Timer3->isActive()) << "the connection is closed";
        EXPECT_FALSE(frmBannerForm().isLoaded());
        EXPECT_FALSE(QFile::exists(home.file("qx.ban.tmp")));
        EXPECT_EQ(QFileInfo(home.file("qx.ban")).isDir(), !full) << "left as it was";
        const QStringList logged = errLog().split("\r\n", Qt::SkipEmptyParts);
        ASSERT_EQ(logged.size(), 1) << errLog().toStdString();
        EXPECT_TRUE(logged[0].startsWith("2024-03-05 09:07:03 V1.8.9:[ErrBanner]" + home.file("qx.ban") + ": "
                                         + c.reason))
            << logged[0].toStdString();
        EXPECT_GT(logged[0].size(), logged[0].indexOf("qx.ban: ") + 8) << "the reason is given";
        w.Timer3_Timer();
        QFile::remove(home.file("Log/qx-202435.log"));
    }
}

TEST_F(News, TheUploadAnnouncementNamesTheFileAndDoesNotKeepItOpen)
{
    home.write("run 1.csv", "Time(S),Cur(A),Vol(V)\r\n0,1,2\r\n");
    const QString path = home.file("run 1.csv");
    ui.fileAnswers = {path, path};  // the dialog is asked again when it answers at once
    w.Winsock1->Connect(QStringLiteral("127.0.0.1"), server.port);
    svc = server.accept();
    const QByteArray expected = "101run 1.csv";
    EXPECT_EQ(svc.readExactly(expected.size()), expected);
    EXPECT_TRUE(w.UploadOn);
    EXPECT_EQ(w.UploadLen, 30);
    EXPECT_EQ(w.NewsFile, "run 1.csv");
    ASSERT_FALSE(ui.fileRequests.empty());
    EXPECT_EQ(ui.fileRequests[0].title, "Open Data");
    EXPECT_EQ(ui.fileRequests[0].filter, "csv file(*.csv)|*.csv|data file(*.dat)|*.dat");
    // No descriptor of the process refers to the file.
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        EXPECT_NE(fd.symLinkTarget(), QFileInfo(path).canonicalFilePath());

    reply("255");
    EXPECT_FALSE(w.UploadOn);
    w.Timer3_Timer();

    // A cancelled dialog announces nothing.
    ui.fileAnswers.clear();
    w.Winsock1->Connect(QStringLiteral("127.0.0.1"), server.port);
    TcpConn again = server.accept();
    ASSERT_TRUE(waitUntil([&] { return w.Winsock1->State() == 7; }));
    settleFor(50);
    EXPECT_EQ(again.readAvailable(), QByteArray());
    EXPECT_FALSE(w.UploadOn);
    w.SockClose();
}

TEST_F(News, AShorterTextTakenUpWhileScrollingStartsOver)
{
    w.ScrollText = QString(40, QLatin1Char(' ')) + QStringLiteral("a long news text");
    for (int i = 0; i < 50; ++i)
        w.Timer4_Timer();
    w.ScrollText = QStringLiteral("short");
    w.Timer4_Timer();
    w.Timer4_Timer();
    EXPECT_EQ(w.lstInfoLine(CurDev, 0), " short");
}

TEST_F(News, TheStatusLineGivesWayToTheNewsAndAClickOnTheListEndsIt)
{
    w.VerText = QStringLiteral("V1.23");
    w.Timer1_Timer();
    const QString status = w.lstInfoLine(CurDev, 0);
    EXPECT_TRUE(status.startsWith(QStringLiteral(" ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)))
        << status.toStdString();
    EXPECT_TRUE(status.endsWith("  V1.23"));
    EXPECT_FALSE(w.Timer4->isActive());

    w.NewsText = QStringLiteral("Hello");
    w.NewsLink = QStringLiteral("https://example.org/x");
    w.set_lstInfoLine(CurDev, 0, "kept");
    w.Timer1_Timer();
    EXPECT_TRUE(w.Timer4->isActive());
    EXPECT_EQ(w.ScrollText, QString(40, QLatin1Char(' ')) + "Hello");
    EXPECT_EQ(w.lstInfoLine(CurDev, 0), "kept");  // left to the scroller

    // A click on the list (press and release on it) opens the link once.
    QWidget *vp = w.lstInfo(0).viewport();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    }
    EXPECT_EQ(ui.links, QStringList{"https://example.org/x"});
    EXPECT_EQ(w.NewsText, "");
    EXPECT_EQ(w.NewsLink, "");
    w.Timer1_Timer();
    EXPECT_FALSE(w.Timer4->isActive());
    EXPECT_TRUE(w.lstInfoLine(CurDev, 0).endsWith("  V1.23"));
}
