// The resistance test: the test frame as it arrives on the far end of the
// port, the result worked out from the captured answer and the current the
// frame carried, the four one-second polls, the refusals, and whole tests
// against simulated devices connected through their panels.
#include "common/Hex.h"
#include "common/Loopback.h"
#include "common/QtPrint.h"
#include "common/RawPty.h"
#include "common/UserInput.h"
#include "mainwin/LinkFixture.h"
#include "sim/DevSim.h"

#include "link/COMM.h"
#include "panel/DevCtrl.h"
#include "platform/KeyedTabBar.h"
#include "tools/frmRes.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <array>
#include <memory>
#include <vector>

using namespace qx;
using test::type;

namespace {

const QString Invalid = "Invalid value!";
const QString Range = "Setting value out of range!";

class ResFixture : public test::MainFixture {
protected:
    void SetUp() override { w = &load(); }
    void TearDown() override
    {
        frmResForm().unload();
        COMM::CloseComm(PortHandle[0]);
    }
    void device(int type, int curScale, float maxCur)
    {
        DevType[0] = type;
        CurScale[0] = curScale;
        MaxCur[0] = maxCur;
        chan(0, 0).Vol = 3.9f;
        chan(0, 1).Vol = 3.9f;
    }
    frmMain *w = nullptr;
};

class Resistance : public ResFixture {
protected:
    void SetUp() override
    {
        ResFixture::SetUp();
        ASSERT_TRUE(pty.ok());
        PortHandle[0] = COMM::OpenComm(3);
        ASSERT_NE(PortHandle[0], 0);
        device(5, 1000, 5);
    }
    std::string next() { return test::hexText(pty.read(10)).toStdString(); }
    bool nothingSent() { return pty.read(1, 300).empty(); }
    // A test of the current typed, then `ticks` polls with the answer
    // captured before poll `answerAt` (0 = never).
    frmRes &test(const char *current, float answer, int answerAt, int ticks = 4)
    {
        frmRes &r = frmResForm().get();
        r.txtCap->setText(QString::fromLatin1(current));
        r.cmdTest->click();
        for (int t = 1; t <= ticks; ++t) {
            if (t == answerAt)
                ResVolt = answer;
            r.Timer1_Timer();
        }
        return r;
    }
    test::RawPty pty{home.path(), 3};
};

} // namespace

TEST_F(Resistance, TestFrameCarriesTheCurrentWithinTheDevice)
{
    struct Case {
        int type, curScale;
        float maxCur;
        const char *current;
        const char *frame;
    };
    const Case cases[] = {
        // 1000 mA = 4 * 240 + 40
        {5, 1000, 5, "1000", "FA 09 04 28 00 00 00 00 25 F8"},
        // tens of mA at 100 units per ampere
        {7, 100, 10, "1000", "FA 09 00 64 00 00 00 00 6D F8"},
        // limited to the device's 3 A: 3000 = 12 * 240 + 120
        {25, 1000, 3, "30000", "FA 09 0C 78 00 00 00 00 7D F8"},
        // a 50 A device takes 30000 mA as typed: 125 * 240
        {40, 1000, 50, "30000", "FA 09 7D 00 00 00 00 00 74 F8"},
        // halves round to the even neighbour
        {5, 1000, 5, "1000.5", "FA 09 04 28 00 00 00 00 25 F8"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.current);
        device(c.type, c.curScale, c.maxCur);
        frmRes &r = test(c.current, 0, 0, 4);
        EXPECT_EQ(next(), c.frame);
        EXPECT_TRUE(r.cmdTest->isEnabled());
    }
    EXPECT_TRUE(ui.msgs.empty()) << ui.msgTexts().join('|').toStdString();
}

TEST_F(Resistance, SecondChannelOfATwoChannelDevice)
{
    device(17, 1000, 2.5f);
    w->DevCtrl(0).set_Dev2S(true);
    w->DevCtrl(0).findChild<QRadioButton *>("optChn1")->click();
    frmRes &r = frmResForm().get();
    EXPECT_EQ(r.windowTitle(), "Resistance Test-Device1-Channel2");
    test("1000", 0, 0, 0);
    // command byte 169
    EXPECT_EQ(next(), "FA A9 04 28 00 00 00 00 85 F8");
}

TEST_F(Resistance, ResultUsesTheCurrentTheFrameCarried)
{
    struct Case {
        int type, curScale;
        float maxCur;
        const char *current;
        float volts;
        const char *shown;
    };
    const Case cases[] = {
        {5, 1000, 5, "1000", 0.025f, "25.0"},
        // 1005 mA goes out as 100 tens of mA: 0.05 V over 1000 mA
        {7, 100, 10, "1005", 0.05f, "50.0"},
        // 30000 mA typed, 3000 mA sent
        {25, 1000, 3, "30000", 0.15f, "50.0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.current);
        device(c.type, c.curScale, c.maxCur);
        frmRes &r = test(c.current, c.volts, 2);
        pty.read(10);
        EXPECT_EQ(r.txtRes->text(), c.shown);
        EXPECT_TRUE(r.cmdTest->isEnabled());
        EXPECT_FALSE(r.Timer1->isActive());
        EXPECT_EQ(ResVolt, 0.0f);
    }
}

TEST_F(Resistance, PollsFourTimesThenGivesUp)
{
    frmRes &r = frmResForm().get();
    r.txtCap->setText("1000");
    r.cmdTest->click();
    EXPECT_EQ(next(), "FA 09 04 28 00 00 00 00 25 F8");
    // Three polls find nothing and keep waiting.
    for (int t = 1; t <= 3; ++t) {
        r.Timer1_Timer();
        EXPECT_TRUE(r.Timer1->isActive());
        EXPECT_FALSE(r.cmdTest->isEnabled());
    }
    // An answer between the third and the fourth poll is shown at the fourth.
    ResVolt = 0.03f;
    r.Timer1_Timer();
    EXPECT_EQ(r.txtRes->text(), "30.0");
    EXPECT_FALSE(r.Timer1->isActive());
    EXPECT_TRUE(r.cmdTest->isEnabled());

    // No answer by the fourth poll: idle again, the last result stays, and a
    // late answer is not shown.
    test("1000", 0, 0);
    EXPECT_EQ(next(), "FA 09 04 28 00 00 00 00 25 F8");
    EXPECT_EQ(r.txtRes->text(), "30.0");
    EXPECT_FALSE(r.Timer1->isActive());
    EXPECT_TRUE(r.cmdTest->isEnabled());
    // Not at the ticks the poll timer would make either (shortened here).
    ResVolt = 0.04f;
    r.Timer1->setInterval(20);
    test::runTimersDueWithin(3 * r.Timer1->interval());
    EXPECT_EQ(r.txtRes->text(), "30.0");
    EXPECT_TRUE(ui.msgs.empty());
}

TEST_F(Resistance, TestRefusesWhatItCannotMeasure)
{
    frmRes &r = frmResForm().get();
    struct Case {
        const char *current;
        float maxCur;
        bool running;
        float volts;
        const char *message;
    };
    const Case cases[] = {
        {"1000", 5, true, 3.9f, "Please stop other test first"},
        {"1000", 5, false, 4.6f, "Resistance test only support single battery"},
        // out of range on leaving the field and again on Test
        {"150", 5, false, 3.9f, "Setting value out of range!"},
        {"30001", 5, false, 3.9f, "Setting value out of range!"},
        {"1k", 5, false, 3.9f, "Invalid value!"},
        // a device without a maximum current would be sent zero
        {"1000", 0, false, 3.9f, "Setting value out of range!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.current);
        ui.msgs.clear();
        MaxCur[0] = c.maxCur;
        Running[0][0] = c.running;
        chan(0, 0).Vol = c.volts;
        r.txtCap->setText(QString::fromLatin1(c.current));
        r.cmdTest->click();
        EXPECT_EQ(ui.msgTexts(), QStringList{c.message});
        EXPECT_EQ(ui.msgs.at(0).style, MbCritical);
        EXPECT_TRUE(r.cmdTest->isEnabled());
        EXPECT_FALSE(r.Timer1->isActive());
    }
    EXPECT_TRUE(nothingSent());
    // Exactly 4.5 V is a single cell.
    Running[0][0] = false;
    MaxCur[0] = 5;
    chan(0, 0).Vol = 4.5f;
    test("1000", 0, 0, 0);
    EXPECT_EQ(next(), "FA 09 04 28 00 00 00 00 25 F8");
}

TEST_F(Resistance, LeaveCheckOfTheCurrent)
{
    frmRes &r = frmResForm().get();
    EXPECT_EQ(r.txtCap->text(), "1000");
    EXPECT_EQ(r.txtRes->text(), "0");
    EXPECT_TRUE(r.txtRes->isReadOnly());
    type(r.txtCap, "1500.4");
    EXPECT_EQ(r.txtCap->text(), "1500");
    type(r.txtCap, "150");
    type(r.txtCap, "abc");
    EXPECT_EQ(ui.msgTexts(), (QStringList{Range, Invalid}));
    EXPECT_EQ(r.txtCap->text(), "abc");

    // Another window taking the focus, or a pop-up menu, checks nothing.
    ui.msgs.clear();
    for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(r.txtCap, &out);
    }
    EXPECT_TRUE(ui.msgTexts().isEmpty()) << ui.msgTexts().join('|').toStdString();
}

TEST_F(ResFixture, MenuOpensItForOneCellOfAnIdentifiedDevice)
{
    w->menuRes_Click();
    ASSERT_EQ(ui.msgTexts(), QStringList{"Please connect device first"});
    device(5, 1000, 5);
    chan(0, 0).Vol = 4.6f;
    w->menuRes_Click();
    EXPECT_EQ(ui.msgTexts().last(), "Resistance test only support single battery");
    EXPECT_FALSE(frmResForm().isLoaded());

    chan(0, 0).Vol = 4.5f;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(frmResForm().isOpen());
        frmRes &r = frmResForm().get();
        seen = true;
        EXPECT_EQ(r.windowTitle(), "Resistance Test-Device1");
        EXPECT_EQ(r.txtCap->text(), "1000");
        EXPECT_FALSE(w->tabDev->isEnabled());
        EXPECT_FALSE(DlgDone);
        ResVolt = 0.5f;
        r.close();
    });
    w->menuRes_Click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(DlgDone);
    EXPECT_EQ(ResVolt, 0.0f);
    EXPECT_TRUE(w->tabDev->isEnabled());
}

// The whole test through the program's own road: simulated devices on ports
// of the home folder, connected with their panel's Connect button and
// identified by the receive routine, the window opened from the menu, and
// the answer taken by the receive routine from the device's idle frames.
namespace {

class ResE2E : public test::LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        open();
    }
    void TearDown() override
    {
        frmResForm().unload();
        for (int i = 0; i < w->viewCount(); ++i)
            COMM::CloseComm(PortHandle[i]);
        sims.clear();
        LinkFixture::TearDown();
    }
    // A simulated device of `type` (cells of internal resistance rOhm) on
    // COM`com`, connected and identified on tab Index.
    sim::DevSim &connect(int Index, int com, int type, double rOhm)
    {
        sim::DevSimOptions o;
        o.home = home.path();
        o.com = com;
        o.type = type;
        o.rate = 10;
        sim::DevSim &s = *sims.emplace_back(std::make_unique<sim::DevSim>(o));
        EXPECT_TRUE(s.start()) << s.error().toStdString();
        s.withDevice([&](sim::SimDevice &d) {
            for (int c = 0; c < 2; ++c)
                d.channel(c).battery.rOhm = rOhm;
        });
        choosePort(Index, com);
        clickConnect(Index);
        EXPECT_TRUE(test::waitUntil([&] { return identified(Index) && chan(Index, 0).Vol > 3; }));
        return s;
    }
    struct Measured {
        QString title, shown;
        bool idleAgain = false;
        int polls = 0;  // ticks of the window's poll timer from Test to idle again
    };
    // "Resistance Test" from the menu, Test clicked with `current` mA, and
    // the window's state once it is idle again; then the window is closed.
    // The window polls every 50 ms instead of every second. `betweenPolls`,
    // when given, runs after the first poll while the window still waits;
    // the next poll comes once it has returned.
    Measured measure(const char *current, const std::function<void()> &betweenPolls = {})
    {
        Measured m;
        QTimer inWindow;  // runs inside the menu's wait for the window
        inWindow.setSingleShot(true);
        QObject::connect(&inWindow, &QTimer::timeout, [&] {
            if (!frmResForm().isOpen())
                return;
            frmRes &r = frmResForm().get();
            m.title = r.windowTitle();
            EXPECT_EQ(r.Timer1->interval(), 1000) << "polls once a second";
            r.Timer1->setInterval(50);
            // After the window's own handler of the tick.
            QObject::connect(r.Timer1, &QTimer::timeout, &r, [&] {
                if (++m.polls == 1 && !r.cmdTest->isEnabled() && betweenPolls)
                    betweenPolls();
            });
            r.txtCap->setText(QString::fromLatin1(current));
            r.cmdTest->click();
            m.idleAgain = test::waitUntil([&] { return r.cmdTest->isEnabled(); }, 15000);
            m.shown = r.txtRes->text();
            r.close();
        });
        inWindow.start(0);
        w->menuRes_Click();
        return m;
    }
    static std::vector<int> resTests(const sim::DevSim &s)
    {
        std::vector<int> out;
        for (const sim::SimCommand &c : s.commands())
            if (c.op == Frames::OpResTest)
                out.push_back(c.commandByte);
        return out;
    }

    std::vector<std::unique_ptr<sim::DevSim>> sims;
};

} // namespace

TEST_F(ResE2E, DeviceAnswersInItsIdleFramesAndTheResultIsShown)
{
    struct Case {
        const char *what;
        int type;
        bool secondChannel;
        double rOhm;
        const char *current;
        const char *title;
        int commandByte;
        std::array<uint8_t, 6> d;
        int checksum;
        const char *shown;
    };
    const Case cases[] = {
        // 1000 mA = 4 * 240 + 40 through 50 milliohm: 50 mV, 50.0 mR
        {"one channel", 5, false, 0.05, "1000", "Resistance Test-Device1", 0x09, {4, 40, 0, 0, 0, 0}, 0x25, "50.0"},
        // 2000 mA = 8 * 240 + 80 through 30 milliohm: 60 mV, 30.0 mR; the
        // check A9 ^ 08 ^ 50 = 241 goes out as 241 mod 240
        {"second channel", 17, true, 0.03, "2000", "Resistance Test-Device1-Channel2", 0xA9, {8, 80, 0, 0, 0, 0},
         0x01, "30.0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sims.clear();
        sim::DevSim &dev = connect(0, 3, c.type, c.rOhm);
        if (c.secondChannel)
            w->DevCtrl(0).findChild<QRadioButton *>("optChn1")->click();
        // An answer that has not come by the first poll is waited for
        // before the second.
        const Measured m = measure(c.current, [] { EXPECT_TRUE(test::waitUntil([] { return ResVolt > 0; })); });
        EXPECT_EQ(m.title, c.title);
        EXPECT_TRUE(m.idleAgain);
        EXPECT_EQ(m.shown, c.shown);
        EXPECT_EQ(resTests(dev), std::vector<int>{c.commandByte});
        const sim::SimCommand sent = dev.commands().back();
        EXPECT_TRUE(sent.valid);
        EXPECT_EQ(sent.commandByte, c.commandByte);
        EXPECT_EQ(sent.d, c.d);
        EXPECT_EQ(sent.checksum, c.checksum);
        EXPECT_TRUE(ui.msgs.empty()) << ui.msgTexts().join('|').toStdString();
        clickConnect(0);
        ASSERT_TRUE(dev.waitForCommand(Frames::OpDisconnect, 3000));
    }
}

// Only the selected device's frames answer its test. The other tab's device
// reports 80 mAh in its idle frames, which read as an answer would show
// "80.0"; the selected device never answers, so its window waits out its
// four polls and keeps the result it had.
TEST_F(ResE2E, OtherDevicesFramesDoNotAnswerAndASilentDeviceIsGivenUpAtTheFourthPoll)
{
    sim::DevSim &other = connect(0, 3, 5, 0.05);
    other.withDevice([](sim::SimDevice &d) { d.channel(0).capacityAh = 0.08; });
    sim::DevSim &selected = connect(1, 4, 5, 0.05);
    w->tabDev->set_SelectedIndex(2);
    ASSERT_EQ(CurDev, 1);
    selected.setSilent(true);

    // While the window waits, the other device's cell changes and its tab
    // shows the new voltage: its frames were read all the while.
    const QString before = w->DevCtrl(0).tVol(0);
    const Measured m = measure("1000", [&] {
        other.withDevice([](sim::SimDevice &d) { d.channel(0).battery.soc = 0.3; });
        EXPECT_TRUE(test::waitUntil([&] { return w->DevCtrl(0).tVol(0) != before; }));
    });
    EXPECT_EQ(m.title, "Resistance Test-Device2");
    EXPECT_TRUE(m.idleAgain);
    EXPECT_EQ(m.shown, "0");
    EXPECT_EQ(m.polls, 4) << "given up at the fourth poll, not before, and no poll after";
    EXPECT_NE(w->DevCtrl(0).tVol(0), before);
    EXPECT_EQ(resTests(selected), std::vector<int>{0x09});
    EXPECT_TRUE(resTests(other).empty());
    EXPECT_TRUE(ui.msgs.empty()) << ui.msgTexts().join('|').toStdString();
}
