#include "services/Module5.h"
#include "platform/Tray.h"

#include <QSystemTrayIcon>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// A window that notes the mouse codes its icon hands it.
struct Client : QWidget, qx::TrayClient {
    std::vector<int> codes;
    void trayMouseDown(int x) override { codes.push_back(x); }
};
} // namespace

TEST(Module5, HeadlessTrayAddReportsFailure)
{
    Client w; // the offscreen platform has no notification area
    if (qx::tray::available())
        GTEST_SKIP() << "a notification area is present";
    EXPECT_EQ(qx::Module5::TrayAdd(&w, "QX Tester Software", QIcon(), 0), 0);
    EXPECT_EQ(qx::Module5::TrayDelete(&w, 0), 0);
}

// The window's mouse-down handler gets the event code as its x coordinate:
// 513 for a left click, 515 double, 516 right, 519 middle.
TEST(Module5, ClicksOnTheIconReachTheWindowAsMouseCodes)
{
    qx::tray::setAvailableOverride(true);
    Client w;
    const QString tip = QString(70, QLatin1Char('t'));
    ASSERT_EQ(qx::Module5::TrayAdd(&w, tip, QIcon(), 0), 1);
    QSystemTrayIcon *icon = qx::tray::iconOf(&w, 0);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QString(63, QLatin1Char('t')));
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                        QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
        Q_EMIT icon->activated(reason);
    EXPECT_EQ(w.codes, (std::vector<int>{513, 515, 516, 519}));
    EXPECT_EQ(qx::Module5::TrayDelete(&w, 0), 1);
    EXPECT_EQ(qx::tray::iconOf(&w, 0), nullptr);
    EXPECT_EQ(qx::Module5::TrayDelete(&w, 0), 0);
    qx::tray::setAvailableOverride(std::nullopt);
}
