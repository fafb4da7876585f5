// "Firmware Update" from the main window's menu: the window over the
// selected device's port, the tab strip disabled while it is open, the wait
// that keeps the program running and ends when the window unloads.
#include "mainwin/MainFixture.h"

#include "common/FakeUi.h"
#include "panel/DevCtrl.h"
#include "platform/KeyedTabBar.h"
#include "tools/frmUpdate.h"

#include "SimBootLoader.h"

#include <QAction>
#include <QTimer>

using namespace qx;
using namespace qx::test;

namespace {

struct MenuUpdate : MainFixture {
    MenuUpdate() : boot({.home = home.path(), .com = 3}) {}
    ~MenuUpdate() override
    {
        frmUpdateForm().unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void SetUp() override { ASSERT_TRUE(boot.start()); }

    sim::SimBootLoader boot;
};

} // namespace

TEST_F(MenuUpdate, UpdatesTheSelectedDeviceWhileTheTabStripWaits)
{
    frmMain &w = load();
    ASSERT_EQ(w.DevCtrl(0).tPort(), "COM3");
    ASSERT_TRUE(w.menuUpdate->isEnabled());

    const QByteArray image(300, '\x42');
    bool ran = false;
    QTimer::singleShot(0, &w, [&] {
        ran = true;
        ASSERT_TRUE(frmUpdateForm().isLoaded());
        frmUpdate &u = frmUpdateForm().get();
        EXPECT_TRUE(u.isVisible());
        EXPECT_EQ(u.windowTitle(), "Firmware Update--Device1");
        EXPECT_FALSE(w.tabDev->isEnabled());
        EXPECT_FALSE(DlgDone);
        w.menuUpdate_Click(); // the window is open: only brought to the front
        EXPECT_EQ(&frmUpdateForm().get(), &u);
        u.imageSource = [&](int) { return image; };
        u.cmdOpen_Click();
        u.cmdUpdate_Click();
    });
    w.menuUpdate->trigger();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(w.tabDev->isEnabled());
    EXPECT_TRUE(DlgDone);
    EXPECT_EQ(ui.msgTexts(), (QStringList{"Success! Please select device type", "Update OK"}));
    EXPECT_EQ(boot.memory(0x9000, 300), std::vector<uint8_t>(300, 0x42));
    EXPECT_EQ(boot.goAddress(), 0x9000);
}

TEST_F(MenuUpdate, ClosingTheWindowEndsTheWait)
{
    frmMain &w = load();
    QTimer::singleShot(0, &w, [] { frmUpdateForm().get().close(); });
    w.menuUpdate->trigger();
    EXPECT_TRUE(w.tabDev->isEnabled());
    EXPECT_TRUE(DlgDone);
    EXPECT_TRUE(ui.msgTexts().isEmpty());
    EXPECT_TRUE(boot.transcript().empty()) << "the window opens no port by itself";
}
