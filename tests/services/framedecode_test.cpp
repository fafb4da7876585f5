// The capacity of a continued run: the charge the run log carried over is
// dropped when the device's first count shows it kept counting (however far
// it ran on meanwhile), and added when the device began again from 0.
#include "services/FrameDecode.h"

#include "link/Frames.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

// Capacity pairs as a device sends them: whole mAh below 32768, then
// hundredths of an Ah from 32768 on.
int32_t mAh(int32_t n) { return n; }
int32_t hundredthsAh(int32_t n) { return Frames::RangeMid + n; }

struct Case {
    const char *what;
    float offsetAh;  // carried over from the run log
    int32_t raw;     // the device's first count after the Continue
    float capAh;     // the run's capacity then
};

} // namespace

TEST(TakeCapacity, FirstCountAfterAContinueDecidesWhetherTheCarriedChargeIsInIt)
{
    const Case cases[] = {
        // 5 mAh carried: a count down to 3.5 mAh is the device's own.
        {"5 mAh, kept counting", 0.005f, mAh(5), 0.005f},
        {"5 mAh, the log a count ahead", 0.005f, mAh(4), 0.004f},
        {"5 mAh, ran on for as long again", 0.005f, mAh(10), 0.010f},
        {"5 mAh, ran on for ten times as long", 0.005f, mAh(50), 0.050f},
        {"5 mAh, began again", 0.005f, mAh(0), 0.005f},
        {"5 mAh, began again and counted 3 mAh", 0.005f, mAh(3), 0.008f},
        // 10 Ah carried: a count down to 9 Ah (10% less) is the device's own.
        {"10 Ah, kept counting", 10.0f, hundredthsAh(1000), 10.0f},
        {"10 Ah, 10% behind", 10.0f, hundredthsAh(900), 9.0f},
        {"10 Ah, ran on a little", 10.0f, hundredthsAh(1150), 11.5f},
        {"10 Ah, ran on for as long again", 10.0f, hundredthsAh(2000), 20.0f},
        {"10 Ah, ran on for as long again and a bit", 10.0f, hundredthsAh(2010), 20.1f},
        {"10 Ah, just below the lag", 10.0f, hundredthsAh(899), 18.99f},
        {"10 Ah, began again and counted 2 Ah", 10.0f, hundredthsAh(200), 12.0f},
        {"10 Ah, began again", 10.0f, mAh(0), 10.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ChannelState s;
        s.CapOffset = c.offsetAh;
        s.CapResume = true;
        takeCapacity(s, c.raw);
        EXPECT_FLOAT_EQ(s.Cap, c.capAh);
        EXPECT_FALSE(s.CapResume);
    }
}

TEST(TakeCapacity, LaterCountsFollowTheFirstDecision)
{
    // Kept counting: the device's count is the run's capacity from then on.
    ChannelState kept;
    kept.CapOffset = 0.005f;
    kept.CapResume = true;
    takeCapacity(kept, mAh(9));
    takeCapacity(kept, mAh(2)); // a later count below the charge changes nothing
    EXPECT_FLOAT_EQ(kept.Cap, 0.002f);
    EXPECT_FLOAT_EQ(kept.CapOffset, 0);

    // Began again: the charge stays on every count, however large it grows.
    ChannelState again;
    again.CapOffset = 0.005f;
    again.CapResume = true;
    takeCapacity(again, mAh(1));
    takeCapacity(again, mAh(12));
    EXPECT_FLOAT_EQ(again.Cap, 0.017f);

    // Without a Continue nothing is added.
    ChannelState fresh;
    takeCapacity(fresh, hundredthsAh(1234));
    EXPECT_FLOAT_EQ(fresh.Cap, 12.34f);
}

TEST(TakeCapacity, ACountBegunAgainAtAnEarlierContinueHoldsOnlyThePartSince)
{
    // 20.7 mAh logged, of which the device's count lost 10.7 when it began
    // again at an earlier Continue (the log's carried record).
    const struct {
        const char *what;
        int32_t raw;   // the first count after this Continue
        float capAh;   // the run's capacity then
        bool again;    // told to record a new carried charge
    } cases[] = {
        {"kept counting the 10 mAh since", mAh(10), 0.0207f, false},
        {"kept counting and ran on", mAh(16), 0.0267f, false},
        {"began again once more", mAh(0), 0.0207f, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ChannelState s;
        s.CapOffset = 0.0207f;
        s.CapBase = 0.0107f;
        s.CapResume = true;
        EXPECT_EQ(takeCapacity(s, c.raw), c.again);
        EXPECT_FLOAT_EQ(s.Cap, c.capAh);
        EXPECT_FLOAT_EQ(s.CapBase, s.CapOffset);
    }
    // The first Continue of a run: nothing carried yet, the device began again.
    ChannelState first;
    first.CapOffset = 0.0107f;
    first.CapResume = true;
    EXPECT_TRUE(takeCapacity(first, mAh(0)));
    EXPECT_FLOAT_EQ(first.CapBase, 0.0107f);
}
