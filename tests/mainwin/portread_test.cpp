// How the receive routine is woken: a tab connected through its Connect
// button to a pseudo-terminal reads what the far end writes when it comes,
// in whatever pieces it comes, and learns of a hang-up also when a command
// it writes is the first to meet it.
#include "LinkFixture.h"

#include "common/Loopback.h"
#include "link/PortWatch.h"

using namespace qx;
using test::Bytes;
using test::devFrame;

namespace {

class PortRead : public test::LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        ASSERT_TRUE(pty.ok());
        open();
        choosePort(0, 3);
        clickConnect();
        ASSERT_EQ(test::hexText(pty.read(10)).toStdString(), "FA 05 00 00 00 00 00 00 05 F8");
    }
    // Type 21 (one channel, "D-CC"): an idle data frame at mv millivolts.
    static Bytes idle(int32_t mv) { return devFrame(0, 21, {0, mv, 0, 250, 100, 350, 0}); }
    QString tVol() const { return w->DevCtrl(0).tVol(0); }
    bool shows(const QString &v) { return test::waitUntil([&] { return tVol() == v; }, 5000); }

    test::RawPty pty{home.path(), 3};
};

} // namespace

TEST_F(PortRead, FramesArriveInAnyPiecesOnTheWire)
{
    ASSERT_TRUE(pty.write(idle(3960)));
    ASSERT_TRUE(shows(QStringLiteral("03.96")));
    ASSERT_TRUE(identified());

    // The pieces a frame (19 bytes) comes in, each written after the
    // program had time to read the one before.
    const std::vector<std::vector<size_t>> splits = {{1, 18}, {9, 10}, {18, 1}, {5, 5, 5, 4}};
    int32_t mv = 3000;
    for (const std::vector<size_t> &pieces : splits) {
        mv += 10;
        const Bytes f = idle(mv);
        const QString before = tVol();
        size_t at = 0;
        for (size_t k = 0; k + 1 < pieces.size(); ++k) {
            ASSERT_TRUE(pty.write(Bytes(f.begin() + long(at), f.begin() + long(at + pieces[k]))));
            at += pieces[k];
            test::settleFor(60);
            EXPECT_EQ(tVol(), before) << "after " << at << " bytes";
        }
        ASSERT_TRUE(pty.write(Bytes(f.begin() + long(at), f.end())));
        EXPECT_TRUE(shows(QStringLiteral("03.%1").arg(mv % 1000 / 10, 2, 10, QLatin1Char('0'))));
    }

    // More than one read's worth (64 bytes) at once: every frame is taken,
    // the last one shows.
    Bytes burst;
    for (int k = 0; k < 6; ++k) {
        const Bytes f = idle(3700 + 10 * k);
        burst.insert(burst.end(), f.begin(), f.end());
    }
    ASSERT_TRUE(pty.write(burst));
    EXPECT_TRUE(shows(QStringLiteral("03.75")));
}

TEST_F(PortRead, HangUpFoundByACommandEndsTheLink)
{
    ASSERT_TRUE(pty.write(idle(3960)));
    ASSERT_TRUE(shows(QStringLiteral("03.96")));
    ASSERT_TRUE(identified());

    // The device goes away; before the program has looked at its port, the
    // start frame meets the hang-up (the serial layer then lets the port go).
    pty.closeMaster();
    button(0, "cmdRun")->click();
    ASSERT_TRUE(test::waitUntil([&] { return !connected(); }, 5000));
    EXPECT_EQ(info(0, 1), " Device1: Port Lost");
    EXPECT_FALSE(w->tmrComm(0).isActive());
    EXPECT_TRUE(errLog().contains(QLatin1String("COM3: the port hung up")));
}
