// The watch that wakes a receive routine: a pseudo-terminal opened through
// COMM, its far end played by the test.
#include "common/Loopback.h"
#include "common/RawPty.h"
#include "common/TempHome.h"
#include "link/COMM.h"
#include "link/PortWatch.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

struct Watched {
    test::TempHome home;
    test::RawPty pty{home.path(), 3};
    int32_t h = COMM::OpenComm(3);
    PortWatch watch;
    int ready = 0;
    std::vector<uint8_t> got;

    // Reads on every Ready, as the receive routine does.
    Watched()
    {
        QObject::connect(&watch, &PortWatch::Ready, [this] {
            ++ready;
            int32_t n = 0;
            const std::vector<uint8_t> b = COMM::ReadComm(h, n);
            got.insert(got.end(), b.begin(), b.end());
        });
    }
    ~Watched()
    {
        watch.stop();
        COMM::CloseComm(h);
    }
};

} // namespace

TEST(PortWatch, BytesWakeItHeldBytesWaitAndAStoppedWatchLetsThePortGo)
{
    Watched t;
    ASSERT_NE(t.h, 0);
    t.watch.start(t.h);
    EXPECT_TRUE(t.watch.isActive());
    test::settleFor(100);
    EXPECT_EQ(t.ready, 0) << "a port without bytes wakes nobody";

    ASSERT_TRUE(t.pty.write({1, 2, 3}));
    ASSERT_TRUE(test::waitUntil([&] { return t.got.size() == 3; }, 3000));

    // Held: the bytes wait, however long; released, they are read.
    t.watch.hold();
    const int before = t.ready;
    ASSERT_TRUE(t.pty.write({4, 5}));
    test::settleFor(150);
    EXPECT_EQ(t.ready, before);
    EXPECT_EQ(t.got.size(), 3u);
    t.watch.release();
    ASSERT_TRUE(test::waitUntil([&] { return t.got.size() == 5; }, 3000));
    EXPECT_EQ(t.got, std::vector<uint8_t>({1, 2, 3, 4, 5}));

    // The watch's own hold on the device ends with it: the port opens again.
    t.watch.stop();
    COMM::CloseComm(t.h);
    t.h = COMM::OpenComm(3);
    EXPECT_NE(t.h, 0);
}

TEST(PortWatch, AHangUpKeepsWakingUntilStoppedThoughThePortWasLetGo)
{
    Watched t;
    ASSERT_NE(t.h, 0);
    t.watch.start(t.h);
    t.pty.closeMaster();
    // A write meets the hang-up first: the serial layer closes its device.
    const uint8_t frame[] = {0, 0xFA, 5, 0, 0, 0, 0, 0, 0, 5, 0xF8};
    EXPECT_EQ(COMM::WriteComm(t.h, frame), 0);
    ASSERT_TRUE(test::waitUntil([&] { return t.ready > 0; }, 3000));
    EXPECT_TRUE(COMM::PortGone(t.h));
    t.watch.stop();
    const int after = t.ready;
    test::settleFor(100);
    EXPECT_EQ(t.ready, after);
}
