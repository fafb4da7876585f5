// The resistance test: the test frame as it arrives on the far end of the
// port, the result worked out from the captured answer and the current the
// frame carried, the four one-second polls, the refusals, and a whole test
// against the simulated device answering with its idle frames.
#include "common/Hex.h"
#include "common/Loopback.h"
#include "common/QtPrint.h"
#include "common/RawPty.h"
#include "mainwin/MainFixture.h"
#include "sim/DevSim.h"

#include "link/COMM.h"
#include "link/FrameReader.h"
#include "panel/DevCtrl.h"
#include "platform/KeyedTabBar.h"
#include "tools/frmRes.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace qx;

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
    static void type(QLineEdit *e, const QString &text)
    {
        e->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(e, &out);
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
    ResVolt = 0.04f;
    QTimer::singleShot(1500, [] {});
    test::settleFor(1500);
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
}

TEST_F(ResFixture, MenuOpensItForOneCellOfAnIdentifiedDevice)
{
    w->menuRes_Click();
    EXPECT_EQ(ui.msgTexts(), QStringList{"Please connect device first"});
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

// The whole test in real time: the simulated device (a 5 A model, internal
// resistance 50 milliohm) answers the test frame in its idle frames with the
// voltage drop; the answer is captured as the receive routine captures it.
TEST_F(ResFixture, SimulatedDeviceAnswersInItsIdleFrames)
{
    sim::DevSim dev({.home = home.path(), .com = 4, .type = 5, .firmware = 300, .rate = 4});
    ASSERT_TRUE(dev.start()) << dev.error().toStdString();
    PortHandle[0] = COMM::OpenComm(4);
    ASSERT_NE(PortHandle[0], 0);
    COMM::SetCommParams(PortHandle[0], 9600, 8, 0, 2); // a pseudo-terminal may refuse the parity
    ASSERT_TRUE(w->SendConnect(0));
    ASSERT_TRUE(dev.waitForCommand(Frames::OpConnect, 5000));
    device(5, 1000, 5);

    // What the receive routine does with an idle data frame of the selected
    // device: capacity field x 0.001, when positive and not the shown capacity.
    FrameReader reader;
    const auto capture = [&] {
        int32_t n = 0;
        const std::vector<uint8_t> bytes = COMM::ReadComm(PortHandle[0], n);
        for (const Frames::DevBytes &b : reader.feed(bytes).frames) {
            const Frames::FrameFields f = Frames::decode(b);
            const float v = float(f.capacity * 0.001);
            if (!f.isParameter() && !f.running() && ResVolt == 0 && v > 0 && v != chan(0, 0).Cap)
                ResVolt = v;
        }
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, capture);
    poll.start(50);

    QString shown;
    QTimer::singleShot(0, [&] {
        frmRes &r = frmResForm().get();
        r.cmdTest->click();
        EXPECT_TRUE(dev.waitForCommand(Frames::OpResTest, 5000));
        EXPECT_TRUE(test::waitUntil([&] { return r.cmdTest->isEnabled(); }, 15000));
        shown = r.txtRes->text();
        r.close();
    });
    w->menuRes_Click();
    poll.stop();
    const auto sent = dev.commands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().commandByte, 9);
    EXPECT_EQ(sent.back().pair(1), 1000);
    // 50 mV over 1000 mA
    EXPECT_EQ(shown, "50.0");
}
