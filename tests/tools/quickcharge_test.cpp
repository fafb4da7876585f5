// The quick-charge trigger window against a simulated USB tester: the
// adjust frame of every level, step and pulse request as the device
// receives it, the opening level, the auto-repeat (its 2 seconds scaled),
// and the window keeping to the device it was opened for.
#include "QcFixture.h"

#include "curves/CurveGraph.h"
#include "panel/LCDisp.h"
#include "panel/frmMeter.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

using namespace qx;

namespace {

using Sent = std::vector<std::string>;

// Request code n as the device receives it: adjust on channel 0, d6 = n + 10
// for quick-charge codes, n + 20 for the pulse protocol.
const char *const Level5V = "FA 07 00 00 00 00 00 0A 0D F8";
const char *const Level9V = "FA 07 00 00 00 00 00 0B 0C F8";
const char *const Level12V = "FA 07 00 00 00 00 00 0C 0B F8";
const char *const Level20V = "FA 07 00 00 00 00 00 0D 0A F8";
const char *const Qc3Mode = "FA 07 00 00 00 00 00 0E 09 F8";
const char *const StepUp = "FA 07 00 00 00 00 00 0F 08 F8";
const char *const StepDown = "FA 07 00 00 00 00 00 10 17 F8";
const char *const PeUp = "FA 07 00 00 00 00 00 15 12 F8";
const char *const PeDown = "FA 07 00 00 00 00 00 14 13 F8";
const char *const Marker = "FA 05 00 00 00 00 00 00 05 F8"; // a connect frame

class QuickCharge : public test::QcFixture {
protected:
    frmUSB &open()
    {
        w->menuUsb_Click();
        EXPECT_TRUE(frmUSBForm().isOpen());
        return frmUSBForm().get();
    }
    // Auto-repeat chosen in QC3.0 mode, its timer at `ms`.
    frmUSB &openAuto(int ms)
    {
        frmUSB &f = open();
        f.optQc3->click();
        f.optAuto->click();
        f.Timer2->setInterval(ms);
        EXPECT_EQ(take(1), Sent{Qc3Mode});
        return f;
    }
    bool repeatRunning(const frmUSB &f) const
    {
        return f.Timer2->isActive() && !f.optAuto->isEnabled() && !f.optManual->isEnabled();
    }
    // Every frame written before now, in order: a marker frame is written
    // and waited for (nothing may follow it).
    Sent upToMarker()
    {
        w->SendConnect(0);
        Sent sent;
        EXPECT_TRUE(test::waitUntil([&] {
            for (const std::string &s : takeAll())
                sent.push_back(s);
            return std::find(sent.begin(), sent.end(), Marker) != sent.end();
        }));
        EXPECT_TRUE(!sent.empty() && sent.back() == Marker) << "sent after the marker";
        if (!sent.empty() && sent.back() == Marker)
            sent.pop_back();
        return sent;
    }
    // Called right after the press or choice that ended the repetition:
    // steps the ticks wrote before it may still be on their way, then
    // `rest`; nothing more, also not when the repetition's timer would
    // have ticked three times.
    void expectRepeatEnded(const frmUSB &f, const std::string &step, const Sent &rest = {})
    {
        Sent sent = upToMarker();
        while (!sent.empty() && sent.front() == step)
            sent.erase(sent.begin());
        EXPECT_EQ(sent, rest);
        test::runTimersDueWithin(3 * f.Timer2->interval());
        EXPECT_EQ(upToMarker(), Sent{});
    }
};

} // namespace

TEST_F(QuickCharge, OpeningChoosesTheLevelOfTheVoltageAndSendsItUnlessItIs5V)
{
    const struct {
        const char *volts;
        int level;
        const char *frame; // nullptr: nothing sent at opening
    } cases[] = {
        {"5.100", 0, nullptr}, {"8.00", 0, nullptr},       {"8.01", 1, Level9V},  {"10.00", 1, Level9V},
        {"10.01", 2, Level12V}, {"18.00", 2, Level12V},    {"18.01", 3, Level20V}, {"20.25", 3, Level20V},
        {"abc", 0, nullptr},   {"", 0, nullptr},           {"12V", 0, nullptr},
    };
    QRadioButton *frmUSB::*const options[] = {&frmUSB::opt5V, &frmUSB::opt9V, &frmUSB::opt12V, &frmUSB::opt20V};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.volts);
        w->DevCtrl(0).set_tVol(0, QString::fromLatin1(c.volts));
        EXPECT_FALSE(UsbOpen);
        frmUSB &f = open();
        EXPECT_TRUE(UsbOpen);
        EXPECT_EQ(f.QcLevel, c.level);
        EXPECT_TRUE((f.*options[c.level])->isChecked());
        EXPECT_TRUE(f.optQc2->isChecked());
        EXPECT_TRUE(f.optManual->isChecked());
        if (c.frame) {
            EXPECT_EQ(take(1), Sent{c.frame});
        }
        expectNothingMore();
        f.close();
        EXPECT_FALSE(UsbOpen) << "cleared when the window closes";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmUSBForm().isLoaded());
    }
    EXPECT_TRUE(w->CurveGraph(0).YStep()) << "the chart draws staircases from the first opening on";
    EXPECT_TRUE(takeAll().empty()) << "closing sends nothing";
}

TEST_F(QuickCharge, EveryLevelStepAndPulseRequestReachesTheDevice)
{
    frmUSB &f = open();
    // QC2.0 levels by their options; the source follows.
    f.opt9V->click();
    EXPECT_EQ(take(1), Sent{Level9V});
    ASSERT_TRUE(test::waitUntil([&] { return usbVolts() == 9.0; }));
    f.opt12V->click();
    f.opt20V->click();
    f.opt5V->click();
    EXPECT_EQ(take(3), (Sent{Level12V, Level20V, Level5V}));
    f.opt5V->click(); // already chosen: nothing
    expectNothingMore();

    // QC3.0 mode, then single steps by hand.
    f.optQc3->click();
    EXPECT_EQ(take(1), Sent{Qc3Mode});
    f.cmdQCInc->click();
    f.cmdQCInc->click();
    f.cmdQCDec->click();
    EXPECT_EQ(take(3), (Sent{StepUp, StepUp, StepDown}));
    ASSERT_TRUE(test::waitUntil([&] { return std::abs(usbVolts() - 5.2) < 1e-9; })) << usbVolts();

    // A level option in QC3.0 mode still sends its level; QC2.0 sends the level chosen.
    f.opt12V->click();
    EXPECT_EQ(take(1), Sent{Level12V});
    f.optQc2->click();
    EXPECT_EQ(take(1), Sent{Level12V});

    // The pulse protocol, in either mode.
    f.cmdPEInc->click();
    f.cmdPEDec->click();
    EXPECT_EQ(take(2), (Sent{PeUp, PeDown}));
    ASSERT_TRUE(test::waitUntil([&] { return usbVolts() == 12.0; })) << usbVolts();
    expectNothingMore();
}

TEST_F(QuickCharge, QC2LevelUpAndDownSendTheNewLevelTwiceAndStopAtTheEnds)
{
    frmUSB &f = open();
    f.cmdQCDec->click(); // level 0: nothing
    expectNothingMore();
    f.cmdQCInc->click();
    EXPECT_EQ(take(2), (Sent{Level9V, Level9V}));
    EXPECT_TRUE(f.opt9V->isChecked());
    f.cmdQCInc->click();
    f.cmdQCInc->click();
    EXPECT_EQ(take(4), (Sent{Level12V, Level12V, Level20V, Level20V}));
    EXPECT_EQ(f.QcLevel, 3);
    f.cmdQCInc->click(); // level 3: nothing
    expectNothingMore();
    f.cmdQCDec->click();
    EXPECT_EQ(take(2), (Sent{Level12V, Level12V}));
    EXPECT_TRUE(f.opt12V->isChecked());
    EXPECT_EQ(f.QcLevel, 2);
}

TEST_F(QuickCharge, AutoRepeatStepsUntilAPlusOrMinusPress)
{
    frmUSB &f = openAuto(50); // scaled: every 50 ms instead of 2 s
    // "+" sends at once, then at every tick; the step options are locked.
    f.cmdQCInc->click();
    EXPECT_TRUE(repeatRunning(f));
    EXPECT_EQ(take(3), (Sent{StepUp, StepUp, StepUp}));
    // "-" ends it, whatever the direction.
    f.cmdQCDec->click();
    EXPECT_FALSE(repeatRunning(f));
    EXPECT_TRUE(f.optAuto->isEnabled() && f.optManual->isEnabled());
    expectRepeatEnded(f, StepUp);

    // "-" starts a repetition downwards; "-" again ends it.
    f.cmdQCDec->click();
    EXPECT_EQ(take(3), (Sent{StepDown, StepDown, StepDown}));
    f.cmdQCDec->click();
    EXPECT_FALSE(repeatRunning(f));
    expectRepeatEnded(f, StepDown);
}

TEST_F(QuickCharge, ChoosingAFixedLevelEndsTheAutoRepeat)
{
    struct Case {
        const char *what;
        void (*choose)(frmUSB &);
        Sent sent;
    };
    const Case cases[] = {
        {"a level option", [](frmUSB &f) { f.opt9V->click(); }, {Level9V}},
        {"QC2.0", [](frmUSB &f) { f.optQc2->click(); }, {Level5V}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        frmUSB &f = openAuto(50);
        f.cmdQCInc->click();
        EXPECT_EQ(take(2), (Sent{StepUp, StepUp}));
        ASSERT_TRUE(repeatRunning(f));
        c.choose(f);
        EXPECT_FALSE(f.Timer2->isActive());
        EXPECT_TRUE(f.optAuto->isEnabled() && f.optManual->isEnabled());
        // Ticks may have gone out before the choice; after it, only the level.
        expectRepeatEnded(f, StepUp, c.sent);
        f.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(QuickCharge, AutoRepeatStepsWithThePressAndAtEveryTickOfItsTwoSecondTimer)
{
    frmUSB &f = open();
    EXPECT_EQ(f.Timer2->interval(), 2000) << "as designed";
    f.optQc3->click();
    f.optAuto->click();
    EXPECT_EQ(take(1), Sent{Qc3Mode});
    int ticks = 0;
    QObject::connect(f.Timer2, &QTimer::timeout, [&] { ++ticks; });

    // The first step goes out with the press, before any tick.
    f.cmdQCInc->click();
    EXPECT_EQ(upToMarker(), Sent{StepUp});
    EXPECT_TRUE(repeatRunning(f));
    // One more at every tick (scaled), until the next press.
    f.Timer2->setInterval(20);
    ASSERT_TRUE(test::waitUntil([&] { return ticks >= 3; }));
    f.cmdQCInc->click();
    EXPECT_FALSE(repeatRunning(f));
    EXPECT_EQ(upToMarker(), Sent(size_t(ticks), StepUp));
}

TEST_F(QuickCharge, KeepsToTheDeviceItWasOpenedFor)
{
    w->menuAddDev_Click();
    frmUSB &f = open(); // device 0, selected
    w->DevCtrl(0).set_tVol(0, QStringLiteral("9.010"));
    w->DevCtrl(1).set_tVol(0, QStringLiteral("20.00"));
    w->tabDev->set_SelectedIndex(2);
    ASSERT_EQ(CurDev, 1);
    EXPECT_EQ(f.windowTitle(), "USB Quick Charge--Device1") << "it names the device it drives";

    f.optQc3->click();
    f.cmdQCInc->click();
    f.cmdPEInc->click();
    EXPECT_EQ(take(3), (Sent{Qc3Mode, StepUp, PeUp})) << "device 1's port is closed: these went to device 0";
    ASSERT_TRUE(test::waitUntil([&] { return f.lcdVol->Value() == QStringLiteral("9.010"); }))
        << f.lcdVol->Value().toStdString();
}

TEST_F(QuickCharge, TheMenuEntryOpensOneWindowAndBringsItForward)
{
    EXPECT_FALSE(w->menuUsb->isVisible()) << "shown only once a USB tester is identified";
    w->menuUsb->setVisible(true);
    w->DevCtrl(0).set_tVol(0, QStringLiteral("12.00"));
    w->menuUsb->trigger();
    ASSERT_TRUE(frmUSBForm().isOpen());
    frmUSB *first = &frmUSBForm().get();
    EXPECT_EQ(first->windowTitle(), "USB Quick Charge--Device1");
    EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(take(1), Sent{Level12V});
    w->menuUsb->trigger();
    EXPECT_EQ(&frmUSBForm().get(), first);
    expectNothingMore();
}

TEST_F(QuickCharge, TheFloatingMeterHidesTheDataLinesWhileTheWindowIsOpen)
{
    dev(0).ParCount = 2;
    chan(0, 0).Mode = 1; // "Meter"
    const auto meterFrame = [&] {
        ChannelState &c = chan(0, 0);
        c.Vol = 5.1f;
        c.UsbDp = 0.6f;
        c.UsbDm = 2.7f;
        w->ShowReading(0, 0);
        const frmMeter &m = frmMeterForm().get();
        return m.lcdD1M->Value() + u' ' + m.lcdD2M->Value();
    };
    EXPECT_EQ(meterFrame(), "0.600 2.700");
    frmUSB &f = open();
    EXPECT_EQ(meterFrame(), "-.--- -.---");
    f.close();
    EXPECT_EQ(meterFrame(), "0.600 2.700");
}
