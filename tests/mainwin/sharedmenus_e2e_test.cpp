// The menu entries that all tabs share (Open/Save Parameter, Open/Save Data,
// Clear Curve, Coordinate Settings, Resistance Test, QC2.0 Test, Software
// Setting) with two simulated devices, one discharging a cell and one idle,
// both reporting many frames a second: the entries show the state of the
// device whose tab is selected, whichever device sent the last frame, and
// the running test's result file comes out whole.
#include "LinkFixture.h"

#include "DevSim.h"
#include "common/Mouse.h"
#include "link/COMM.h"
#include "platform/Numbers.h"

#include <QAction>

#include <memory>

using namespace qx;

namespace {

class SharedMenus : public test::LinkFixture {
protected:
    void TearDown() override
    {
        if (w)
            for (int i = 0; i < w->viewCount(); ++i)
                COMM::CloseComm(PortHandle[i]);
        for (auto &s : sims)
            s.reset();
        LinkFixture::TearDown();
    }

    // Type 21 ("QM-16", "D-CC" only) on COMn: a cell of 16 mAh whose voltage
    // falls evenly from 4.2 V (full) to 2.5 V (empty) without internal
    // resistance. Twenty frames a second, six simulated seconds a second: a
    // 1 A discharge takes 57.6 simulated seconds, 9.6 real ones.
    void device(int slot, int com)
    {
        sim::DevSimOptions o;
        o.home = home.path();
        o.com = com;
        o.type = 21;
        o.rate = 20;
        o.speed = 6;
        sims[size_t(slot)] = std::make_unique<sim::DevSim>(o);
        ASSERT_TRUE(sims[size_t(slot)]->start()) << sims[size_t(slot)]->error().toStdString();
        sims[size_t(slot)]->withDevice([](sim::SimDevice &d) {
            sim::Battery &b = d.channel(0).battery;
            b.capacityAh = 0.016;
            b.soc = 1;
            b.rOhm = 0;
            b.vEmpty = 2.5;
            b.vFull = 4.2;
        });
    }
    // The entries shown to the user (this model has neither Resistance Test
    // nor QC2.0 Test): Open/Save Parameter, Open/Save Data, Clear Curve,
    // Coordinate Settings, Software Setting; 1 enabled, 0 not.
    std::string look() const
    {
        std::string s;
        for (const QAction *a : entries())
            if (a->isVisible())
                s += a->isEnabled() ? '1' : '0';
        return s;
    }
    std::vector<QAction *> entries() const
    {
        return {w->menuOpenCfg, w->menuSaveCfg, w->menuOpenData, w->menuSaveData, w->menuClear,
                w->menuCurve,   w->menuRes,     w->menuQc,       w->menuSwSet};
    }
    // Every change of an entry from now on, as "name=0" or "name=1".
    void watchEntries()
    {
        for (QAction *a : entries())
            QObject::connect(a, &QAction::enabledChanged, a, [this, a](bool on) {
                changes << a->objectName() + (on ? QStringLiteral("=1") : QStringLiteral("=0"));
            });
    }
    // Both devices send `n` more frames; the program reads them meanwhile.
    void framesGoBy(int n)
    {
        const int a = sims[0]->framesSent(), b = sims[1]->framesSent();
        ASSERT_TRUE(test::waitUntil([&] { return sims[0]->framesSent() >= a + n && sims[1]->framesSent() >= b + n; }));
        test::settleFor(100);
    }
    // The user clicks the tab of device Index.
    void clickTab(int Index)
    {
        const QPoint at = w->tabDev->tabRect(Index).center();
        test::userMouse(w->tabDev, QEvent::MouseButtonPress, at);
        test::userMouse(w->tabDev, QEvent::MouseButtonRelease, at);
        ASSERT_EQ(CurDev, Index);
    }
    // The value of the result file line "<key>:<number><unit>".
    static double valueOf(const QStringList &lines, const QString &key)
    {
        for (const QString &l : lines)
            if (l.startsWith(key + QLatin1Char(':')))
                return num::val(l.mid(key.size() + 1));
        return -1;
    }

    std::array<std::unique_ptr<sim::DevSim>, 2> sims;
    QStringList changes;
};

} // namespace

TEST_F(SharedMenus, FollowTheSelectedTabWhicheverDeviceReportsAndTheRunningTestStaysWhole)
{
    device(0, 3);
    device(1, 4);
    open();
    choosePort(0, 3);
    choosePort(1, 4);
    clickConnect(0);
    clickConnect(1);
    ASSERT_TRUE(test::waitUntil([&] { return identified(0) && identified(1); }));
    ASSERT_TRUE(test::waitUntil([&] { return w->DevCtrl(0).tVol(0) == "04.20" && w->DevCtrl(1).tVol(0) == "04.20"; }));
    ASSERT_EQ(CurDev, 0);
    EXPECT_EQ(look(), "1111111");

    // Device 1 discharges at 1 A down to 2.5 V; device 2 stays idle.
    DevCtrl &p = w->DevCtrl(0);
    p.set_tSval(0, QStringLiteral("1.00"));
    p.set_tSlmt(0, QStringLiteral("2.50"));
    p.set_tStim(0, QStringLiteral("0"));
    button(0, "cmdRun")->click();
    ASSERT_TRUE(test::waitUntil([&] { return info(0, 1) == " Device1: START"; }));
    EXPECT_EQ(look(), "0000000");
    watchEntries();

    // Device 1's tab: the entries stay off through the frames of both
    // devices, and Clear Curve cannot be reached.
    framesGoBy(30);
    w->menuClear->trigger();
    framesGoBy(30);
    EXPECT_TRUE(changes.isEmpty()) << changes.size() << " changes: " << changes.mid(0, 14).join(' ').toStdString();
    EXPECT_EQ(look(), "0000000");
    EXPECT_TRUE(ui.msgs.empty()) << "Clear Curve asked nothing";

    // Device 2's tab: the idle, connected device's entries, through its
    // frames and device 1's; its Clear Curve clears its own chart only.
    clickTab(1);
    EXPECT_EQ(look(), "1111111");
    changes.clear();
    framesGoBy(30);
    const int before = points(0, 0);
    ui.msgAnswers = {MrOk};
    w->menuClear->trigger();
    EXPECT_EQ(ui.msgTexts(), QStringList{"Clear Curve?"});
    EXPECT_EQ(points(0, 1), 0);
    framesGoBy(30);
    EXPECT_TRUE(changes.isEmpty()) << changes.size() << " changes: " << changes.mid(0, 14).join(' ').toStdString();
    EXPECT_EQ(look(), "1111111");
    EXPECT_GT(points(0, 0), before);

    // Back on device 1's tab until its test ends; then its entries come back.
    clickTab(0);
    EXPECT_EQ(look(), "0000000");
    ASSERT_TRUE(test::waitUntil([&] { return dataFiles().size() == 1; }, 30000));
    ASSERT_TRUE(test::waitUntil([&] { return look() == "1111111"; }));

    // 16 mAh taken from a cell falling evenly from 4.2 to 2.5 V: on average
    // 3.35 V, so 16 x 3.35 = 53.6 mWh.
    const QStringList lines = fileLines(QStringLiteral("Data/") + dataFiles()[0]);
    EXPECT_TRUE(lines.contains(QStringLiteral("Begin Volt:04.20V"))) << lines.join('\n').toStdString();
    EXPECT_NEAR(valueOf(lines, QStringLiteral("Capacity")), 16, 0.6);
    EXPECT_NEAR(valueOf(lines, QStringLiteral("Avg Volt")), 3.35, 0.06);
    EXPECT_NEAR(valueOf(lines, QStringLiteral("Energy")), 53.6, 2.5);
    EXPECT_EQ(lines.size(), 11 + points(0, 0)) << "every point of the run in the file";
}
