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

#include <functional>

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

    // Identifies the device and updates it from the menu's window; `during`
    // runs while the device is slow to answer the first block.
    void updateWith(frmMain &w, const std::function<void()> &during)
    {
        boot.addFault({.kind = sim::BootFaultKind::Late, .command = 0x31, .step = 3, .delayMs = 600});
        QTimer::singleShot(0, &w, [&] {
            frmUpdate &u = frmUpdateForm().get();
            u.imageSource = [&](int) { return image; };
            u.cmdOpen_Click();
            QTimer::singleShot(300, &w, during);
            u.cmdUpdate_Click();
        });
        w.menuUpdate->trigger();
    }

    sim::SimBootLoader boot;
    const QByteArray image = QByteArray(300, '\x42');
    const QString StopUpdate = QStringLiteral("Stop the update? The device will need a new update.");
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

TEST_F(MenuUpdate, ExitDuringAnUpdateAsksAndEnterTwiceLetsItFinish)
{
    frmMain &w = load();
    w.show();
    fixErrLogClock();
    // Enter at "Close software?" (OK) and at "Stop the update?" (Cancel).
    ui.msgAnswers = {MrOk, FakeUi::Enter, FakeUi::Enter};
    updateWith(w, [&] { w.menuExit->trigger(); });
    EXPECT_EQ(ui.msgTexts(),
              (QStringList{"Success! Please select device type", "Close software?", StopUpdate, "Update OK"}));
    ASSERT_EQ(ui.msgs.size(), 4u);
    EXPECT_EQ(ui.msgs[2].style, MbOkCancel | MbInformation | MbDefaultButton2);
    EXPECT_TRUE(w.isVisible()) << "the program stays";
    EXPECT_EQ(boot.memory(0x9000, 300), std::vector<uint8_t>(300, 0x42));
    EXPECT_EQ(boot.goAddress(), 0x9000);
    EXPECT_EQ(errLog(), "");
    // Asked again, and only "Close software?", once no update runs.
    ui.msgs.clear();
    ui.msgAnswers = {MrCancel};
    EXPECT_FALSE(w.close());
    EXPECT_EQ(ui.msgTexts(), QStringList{"Close software?"});
}

TEST_F(MenuUpdate, TheCloseBoxDuringAnUpdateAsksAndOkEndsTheProgram)
{
    frmMain &w = load();
    w.show();
    fixErrLogClock();
    ui.msgAnswers = {MrOk, MrOk, MrOk};
    bool closed = false;
    updateWith(w, [&] { closed = w.close(); });
    EXPECT_TRUE(closed);
    EXPECT_EQ(ui.msgTexts(), (QStringList{"Success! Please select device type", "Close software?", StopUpdate}));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(frmUpdateForm().isLoaded());
    EXPECT_EQ(boot.goAddress(), -1) << "the new firmware was not started";
    EXPECT_TRUE(errLog().contains(":[ErrUpdate]COM3: the update was stopped before it finished")) << errLog().toStdString();
}
