#include "platform/Tray.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

using namespace qx;

namespace {

struct Window : QWidget, TrayClient {
    std::vector<int> codes;
    bool fail = false;
    void trayMouseDown(int code) override
    {
        codes.push_back(code);
        if (fail)
            throw std::runtime_error("boom");
    }
};

// Icons can be shown for the test's lifetime.
struct TrayOn : ::testing::Test {
    void SetUp() override { tray::setAvailableOverride(true); }
    void TearDown() override { tray::setAvailableOverride(std::nullopt); }
};

} // namespace

TEST(Tray, WithoutNotificationAreaAddFailsQuietly)
{
    tray::setAvailableOverride(false);
    Window w;
    EXPECT_FALSE(tray::add(&w, 0, "QX Tester Software", QIcon()));
    EXPECT_EQ(tray::iconOf(&w, 0), nullptr);
    EXPECT_FALSE(tray::remove(&w, 0));
    tray::setAvailableOverride(std::nullopt);
    EXPECT_FALSE(tray::add(nullptr, 0, "x", QIcon()));
}

TEST_F(TrayOn, MouseEventsReachTheWindowAsCodes)
{
    Window w;
    ASSERT_TRUE(tray::add(&w, 0, "tip", QIcon()));
    QSystemTrayIcon *icon = tray::iconOf(&w, 0);
    ASSERT_NE(icon, nullptr);
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    Q_EMIT icon->activated(QSystemTrayIcon::DoubleClick);
    Q_EMIT icon->activated(QSystemTrayIcon::MiddleClick);
    Q_EMIT icon->activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(w.codes, (std::vector<int>{513, 516, 515, 519}));
}

TEST_F(TrayOn, TipShowsAtMost63Characters)
{
    Window w;
    struct { int length; int shown; } cases[] = {{0, 0}, {63, 63}, {64, 63}, {200, 63}};
    for (const auto &c : cases) {
        QString tip;
        for (int i = 0; i < c.length; ++i)
            tip += QChar('a' + i % 26);
        ASSERT_TRUE(tray::add(&w, 0, tip, QIcon()));
        EXPECT_EQ(tray::iconOf(&w, 0)->toolTip(), tip.left(c.shown));
    }
}

TEST_F(TrayOn, RemoveAndWindowLifetime)
{
    auto w = std::make_unique<Window>();
    ASSERT_TRUE(tray::add(w.get(), 0, "a", QIcon()));
    ASSERT_TRUE(tray::add(w.get(), 1, "b", QIcon()));
    ASSERT_TRUE(tray::add(w.get(), 0, "c", QIcon())); // replaces the first
    EXPECT_EQ(tray::iconOf(w.get(), 0)->toolTip(), "c");
    EXPECT_FALSE(tray::iconOf(w.get(), 0)->icon().isNull()); // never invisible for want of an icon
    EXPECT_TRUE(tray::remove(w.get(), 0));
    EXPECT_EQ(tray::iconOf(w.get(), 0), nullptr);
    EXPECT_FALSE(tray::remove(w.get(), 0));
    QPointer<QSystemTrayIcon> remaining = tray::iconOf(w.get(), 1);
    ASSERT_FALSE(remaining.isNull());
    w.reset(); // the remaining icon goes with its window
    EXPECT_TRUE(remaining.isNull());
}

TEST_F(TrayOn, AFailingHandlerIsReportedNotThrown)
{
    QStringList tags;
    ErrorSink previous = setUnhandledSink([&](const QString &tag, const QString &) { tags << tag; });
    Window w;
    w.fail = true;
    ASSERT_TRUE(tray::add(&w, 0, "tip", QIcon()));
    Q_EMIT tray::iconOf(&w, 0)->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(tags, QStringList{"ErrTrayMouse"});
    EXPECT_EQ(w.codes, std::vector<int>{513});
    // The icon keeps working after a failed handler.
    w.fail = false;
    Q_EMIT tray::iconOf(&w, 0)->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(w.codes, (std::vector<int>{513, 515}));
    EXPECT_EQ(tags, QStringList{"ErrTrayMouse"});

    // A plain widget (no client) receives no event from its icon, and no
    // failure is reported.
    struct MouseCount : QObject {
        int n = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease ||
                e->type() == QEvent::MouseButtonDblClick)
                ++n;
            return false;
        }
    } mouse;
    QWidget plain;
    plain.installEventFilter(&mouse);
    ASSERT_TRUE(tray::add(&plain, 0, "tip", QIcon()));
    Q_EMIT tray::iconOf(&plain, 0)->activated(QSystemTrayIcon::Trigger);
    QApplication::processEvents();
    EXPECT_EQ(mouse.n, 0);
    EXPECT_EQ(tags, QStringList{"ErrTrayMouse"});
    EXPECT_NE(tray::iconOf(&plain, 0), nullptr);
    setUnhandledSink(previous);
}
