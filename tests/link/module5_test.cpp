#include "link/Module5.h"
#include "platform/Tray.h"

#include <QSystemTrayIcon>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// Restores the window the way the main window's mouse-down handler does.
struct MainLike : QWidget, qx::TrayClient {
    int restored = 0;
    void trayMouseDown(int x) override
    {
        if (x == 513) {
            qx::Module5::TrayDelete(this, 0);
            ++restored;
        }
    }
};
} // namespace

TEST(Module5, HeadlessTrayAddReportsFailure)
{
    MainLike w; // the offscreen platform has no notification area
    if (qx::tray::available())
        GTEST_SKIP() << "a notification area is present";
    EXPECT_EQ(qx::Module5::TrayAdd(&w, "QX Tester Software", QIcon(), 0), 0);
    EXPECT_EQ(qx::Module5::TrayDelete(&w, 0), 0);
}

TEST(Module5, LeftClickRestoresAndRemovesTheIcon)
{
    qx::tray::setAvailableOverride(true);
    MainLike w;
    ASSERT_NE(qx::Module5::TrayAdd(&w, "QX Tester Software", QIcon(), 0), 0);
    QSystemTrayIcon *icon = qx::tray::iconOf(&w, 0);
    ASSERT_NE(icon, nullptr);
    Q_EMIT icon->activated(QSystemTrayIcon::Context); // right click: nothing
    EXPECT_EQ(w.restored, 0);
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(w.restored, 1);
    EXPECT_EQ(qx::tray::iconOf(&w, 0), nullptr);
    EXPECT_EQ(qx::Module5::TrayDelete(&w, 0), 0);
    qx::tray::setAvailableOverride(std::nullopt);
}
