// Closing the main window: the questions, the stop and disconnect frames as
// they arrive on the far end of each device's port, the ports released, the
// notification icon removed, the other windows closed, and the program's
// event loop ending even with a pop-up fading, a dialog being waited for
// and windows outside the designed unload order open.
#include "MainFixture.h"

#include "common/ProgramRun.h"

#include "common/RawPty.h"
#include "curves/frmCurve.h"
#include "link/COMM.h"
#include "services/Module5.h"
#include "services/Timer.h"
#include "mainwin/frmAbout.h"
#include "net/frmBanner.h"
#include "panel/DevCtrl.h"
#include "platform/Tray.h"
#include "tools/frmSet.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

using namespace qx;

namespace {

const char *const Stop0 = "FA 02 00 00 00 00 00 00 02 F8";
const char *const Stop1 = "FA A2 00 00 00 00 00 00 A2 F8";
const char *const Disconnect = "FA 06 00 00 00 00 00 00 06 F8";

// Device 0 (one channel) on COM3 and device 1 (two channels) on COM4, both
// connected; device 2 never connected.
class Shutdown : public test::MainFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty3.ok() && pty4.ok());
        w.menuAddDev_Click();
        w.menuAddDev_Click();
        w.DevCtrl(1).set_Dev2S(true);
        w.InitDual(1);
        PortHandle[0] = COMM::OpenComm(3);
        PortHandle[1] = COMM::OpenComm(4);
        ASSERT_NE(PortHandle[0], 0);
        ASSERT_NE(PortHandle[1], 0);
        for (int i = 0; i < 2; ++i)
            for (int c = 0; c < 2; ++c)
                Timer::TickStart(i, c);
        w.show();
    }
    void TearDown() override
    {
        for (int i = 0; i < 3; ++i) {
            COMM::CloseComm(PortHandle[i]);
            for (int c = 0; c < 2; ++c)
                Timer::TickStop(i, c);
        }
    }

    // Everything that arrived on the port, as hex frames.
    static std::string wire(const test::RawPty &pty)
    {
        return test::hexText(pty.read(100, 300)).toStdString();
    }
    static std::string frames(std::initializer_list<const char *> f)
    {
        std::string s;
        for (const char *x : f)
            s += (s.empty() ? "" : " ") + std::string(x);
        return s;
    }
    // The ports open again: nothing holds them any more.
    static bool released(int com)
    {
        int32_t h = COMM::OpenComm(com);
        const bool ok = h != 0;
        COMM::CloseComm(h);
        return ok;
    }

    test::RawPty pty3{home.path(), 3};
    test::RawPty pty4{home.path(), 4};
    frmMain &w = load();
};

} // namespace

TEST_F(Shutdown, CancelKeepsTheWindowTheTestsAndThePorts)
{
    Running[0][0] = true;
    ui.msgAnswers = {MrCancel};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.msgs[0].text, "Close software?");
    EXPECT_EQ(ui.msgs[0].title, "Prompt");
    EXPECT_EQ(ui.msgs[0].style, MbOkCancel | MbInformation);
    EXPECT_EQ(wire(pty3), "");
    EXPECT_EQ(wire(pty4), "");
    EXPECT_NE(PortHandle[0], 0);
    EXPECT_NE(TickId[0][0].load(), 0) << "the seconds counter keeps counting";
    // Asked again next time.
    ui.msgAnswers = {MrCancel};
    EXPECT_FALSE(w.close());
    EXPECT_EQ(ui.msgs.size(), 2u);
}

TEST_F(Shutdown, RunningTestsAreStoppedOnRequestThenEveryDeviceIsDisconnected)
{
    // Device 0 runs; on device 1 only channel 1 runs.
    Running[0][0] = true;
    Running[1][1] = true;
    Module5::TrayAdd(&w, "QX", QIcon(), 0);
    frmAboutForm()->show();
    ui.msgAnswers = {MrOk, MrOk};
    EXPECT_TRUE(w.close());
    EXPECT_EQ(ui.msgTexts(), (QStringList{"Close software?", "Stop running?"}));
    ASSERT_EQ(ui.msgs.size(), 2u);
    EXPECT_EQ(ui.msgs[1].style, MbOkCancel | MbInformation | MbDefaultButton2);
    EXPECT_EQ(wire(pty3), frames({Stop0, Disconnect}));
    EXPECT_EQ(wire(pty4), frames({Stop1, Disconnect}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PortHandle[i], 0) << "device " << i;
    EXPECT_TRUE(released(3));
    EXPECT_TRUE(released(4));
    for (int i = 0; i < 2; ++i)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(TickId[i][c].load(), 0) << "seconds counter " << i << "," << c;
    EXPECT_EQ(tray::iconOf(&w, 0), nullptr);
    EXPECT_FALSE(frmAboutForm().isLoaded());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Shutdown, DeclinedStopStillDisconnectsAndReleasesThePorts)
{
    Running[1][0] = true;
    // Enter at both questions: the program closes, the test runs on.
    ui.msgAnswers = {test::FakeUi::Enter, test::FakeUi::Enter};
    EXPECT_TRUE(w.close());
    EXPECT_EQ(ui.msgTexts(), (QStringList{"Close software?", "Stop running?"}));
    EXPECT_EQ(wire(pty3), Disconnect);
    EXPECT_EQ(wire(pty4), Disconnect);
    EXPECT_TRUE(released(3));
    EXPECT_TRUE(released(4));
}

TEST_F(Shutdown, NoTestRunningAsksOnceAndTheExitEntryDoesTheSame)
{
    // Channel 1 of the one-channel device does not count.
    Running[0][1] = true;
    ui.msgAnswers = {MrOk};
    w.menuExit->trigger();
    EXPECT_EQ(ui.msgTexts(), QStringList{"Close software?"});
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(wire(pty3), Disconnect);
    EXPECT_EQ(wire(pty4), Disconnect);
    EXPECT_EQ(PortHandle[0], 0);
    EXPECT_EQ(PortHandle[1], 0);
}

TEST_F(Shutdown, TheProgramEndsWithAPopupADialogWaitedForAndTheStepEditorOpen)
{
    // As the program runs: the main window alone decides when it ends.
    QApplication::setQuitOnLastWindowClosed(false);
    OptMsg = true;
    Running[0][0] = true;
    ui.msgAnswers = {MrOk, MrOk};
    frmSetForm()->show();
    w.ShowMsg("STOP");
    bool waitReturned = false;
    QTimer::singleShot(0, &w, [&] {
        // "Coordinate Settings" waits for its dialog; the close comes meanwhile.
        QTimer::singleShot(50, &w, [&] { w.close(); });
        w.menuCurve->trigger();
        waitReturned = true;
    });
    const int rc = test::execWithWatchdog();
    QApplication::setQuitOnLastWindowClosed(true);
    EXPECT_EQ(rc, 0) << "the program did not end";
    EXPECT_TRUE(waitReturned);
    EXPECT_EQ(wire(pty3), frames({Stop0, Disconnect}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList open;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t->isVisible())
            open << t->objectName() + "/" + t->metaObject()->className();
    EXPECT_TRUE(open.isEmpty()) << open.join(", ").toStdString();
    EXPECT_FALSE(frmCurveForm().isLoaded());
    EXPECT_FALSE(frmSetForm().isLoaded());
}

TEST_F(Shutdown, AShowingBannerFadesOutBeforeTheProgramEnds)
{
    QApplication::setQuitOnLastWindowClosed(false);
    frmBanner &b = frmBannerForm().get();
    b.show();
    std::vector<int> fade; // the banner's opacity after each fade-out step
    QObject::connect(b.Timer2, &QTimer::timeout, &b, [&fade, &b] { fade.push_back(b.Alpha()); });
    int shownAt = -1;
    ui.msgAnswers = {MrOk};
    QTimer::singleShot(300, &w, [&] {
        shownAt = b.Alpha();
        w.close();
    });
    const int rc = test::execWithWatchdog();
    QApplication::setQuitOnLastWindowClosed(true);
    EXPECT_EQ(rc, 0) << "the program did not end";
    ASSERT_GT(shownAt, 0);
    // From its opacity at the close down to 0 in steps of 5, then gone.
    std::vector<int> expected;
    for (int a = shownAt - 5; a >= 0; a -= 5)
        expected.push_back(a);
    expected.push_back(0); // the tick that finds the fade over
    EXPECT_EQ(fade, expected);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmBannerForm().isLoaded());
}
