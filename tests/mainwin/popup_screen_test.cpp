// The STOP pop-up's fade as the window system sees it: the demo program
// shows the pop-up on an X server of the test's own (Xvfb) and the test
// reads the window's opacity property back from that server over a
// connection of its own, after each step of the fade.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// Opacity property values for alpha 0 to 255: alpha / 255 of 0xFFFFFFFF.
constexpr uint32_t Opacity0 = 0x00000000;
constexpr uint32_t Opacity5 = 0x05050505;
constexpr uint32_t Opacity100 = 0x64646464;
constexpr uint32_t Opacity200 = 0xC8C8C8C8;

// An X server of its own for the test program.
class XServer {
public:
    XServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        // -displayfd: the server takes a free display number and tells it.
        proc_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
        QDeadlineTimer deadline(30000);
        QByteArray out;
        while (!out.contains('\n') && !deadline.hasExpired() && proc_.state() != QProcess::NotRunning) {
            proc_.waitForReadyRead(200);
            out += proc_.readAllStandardOutput();
        }
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (!ok)
            return;
        display_ = QStringLiteral(":%1").arg(number);
        conn_ = xcb_connect(display_.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(conn_)) {
            xcb_disconnect(conn_);
            conn_ = nullptr;
            return;
        }
        const char name[] = "_NET_WM_WINDOW_OPACITY";
        xcb_intern_atom_reply_t *a =
            xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, sizeof name - 1, name), nullptr);
        if (a) {
            opacityAtom_ = a->atom;
            std::free(a);
        }
    }
    ~XServer()
    {
        if (conn_)
            xcb_disconnect(conn_);
        proc_.terminate();
        if (!proc_.waitForFinished(10000))
            proc_.kill();
        proc_.waitForFinished(5000);
    }
    bool ready() const { return conn_ && opacityAtom_ != XCB_ATOM_NONE; }
    QString display() const { return display_; }

    // The window's opacity property as the server holds it; nothing when the
    // window has none (or is gone).
    std::optional<uint32_t> opacity(uint32_t window) const
    {
        xcb_get_property_reply_t *r = xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 0, window, opacityAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        std::optional<uint32_t> v;
        if (r && r->format == 32 && xcb_get_property_value_length(r) == 4)
            v = *static_cast<const uint32_t *>(xcb_get_property_value(r));
        std::free(r);
        return v;
    }

    // Waits (generously) until the window's opacity is `want`; the last value
    // read otherwise.
    std::optional<uint32_t> awaitOpacity(uint32_t window, uint32_t want, int ms = 10000) const
    {
        QDeadlineTimer deadline(ms);
        std::optional<uint32_t> v;
        do {
            v = opacity(window);
            if (v == want)
                break;
            QThread::msleep(10);
        } while (!deadline.hasExpired());
        return v;
    }

private:
    QProcess proc_;
    QString display_;
    xcb_connection_t *conn_ = nullptr;
    xcb_atom_t opacityAtom_ = XCB_ATOM_NONE;
};

// The demo program's pop-up, driven line by line.
class PopupProgram {
public:
    // held: the fade timers stop before their first tick.
    PopupProgram(const QString &display, bool held)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        proc_.setProcessEnvironment(env);
        proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mainwin_mainwin_demo"),
                    held ? QStringList{QStringLiteral("popup"), QStringLiteral("held")}
                         : QStringList{QStringLiteral("popup")});
        const QString first = line();
        if (first.startsWith(QLatin1String("window ")))
            window_ = first.mid(7).toUInt();
    }
    ~PopupProgram()
    {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.write("quit\n");
            proc_.waitForBytesWritten(10000);
            if (!proc_.waitForFinished(10000)) {
                proc_.kill();
                proc_.waitForFinished(5000);
            }
        }
    }
    uint32_t window() const { return window_; }

    // Sends one command and returns its answer.
    QString command(const char *cmd)
    {
        proc_.write(QByteArray(cmd) + '\n');
        proc_.waitForBytesWritten(10000);
        return line();
    }

private:
    QString line()
    {
        QDeadlineTimer deadline(30000);
        while (!proc_.canReadLine() && !deadline.hasExpired() && proc_.state() != QProcess::NotRunning)
            proc_.waitForReadyRead(200);
        return QString::fromLatin1(proc_.readLine()).trimmed();
    }
    QProcess proc_;
    uint32_t window_ = 0;
};

class PopupOnScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<XServer>(); }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override
    {
        if (!server_->ready())
            GTEST_SKIP() << "no X server (Xvfb) to show the pop-up on";
    }
    static std::unique_ptr<XServer> server_;
};
std::unique_ptr<XServer> PopupOnScreen::server_;

} // namespace

TEST_F(PopupOnScreen, EveryFadeStepReachesTheWindowSystem)
{
    PopupProgram popup(server_->display(), true);
    ASSERT_NE(popup.window(), 0u);
    // The pop-up is shown invisible; each step shows on the screen: up to
    // 200 of 255, then down again after a click.
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity0), Opacity0);
    ASSERT_EQ(popup.command("in 1"), "alpha 5");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity5), Opacity5) << "the first step";
    ASSERT_EQ(popup.command("in 19"), "alpha 100");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity100), Opacity100) << "half way up";
    ASSERT_EQ(popup.command("in 21"), "alpha 200");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity200), Opacity200);
    ASSERT_EQ(popup.command("click"), "ok");
    ASSERT_EQ(popup.command("out 1"), "alpha 195");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), 0xC3C3C3C3), 0xC3C3C3C3u);
    ASSERT_EQ(popup.command("out 19"), "alpha 100");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity100), Opacity100) << "half way down";
    ASSERT_EQ(popup.command("out 19"), "alpha 5");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity5), Opacity5);
    ASSERT_EQ(popup.command("out 1"), "alpha 0");
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity0), Opacity0);
    EXPECT_EQ(popup.command("out 1"), "closed");
}

TEST_F(PopupOnScreen, TheTimedFadeInShowsThePopupAtTwoHundred)
{
    // Nothing else happens on this display: the timer's steps alone must
    // bring the window to its final opacity.
    PopupProgram popup(server_->display(), false);
    ASSERT_NE(popup.window(), 0u);
    EXPECT_EQ(server_->awaitOpacity(popup.window(), Opacity200, 20000), Opacity200);
}
