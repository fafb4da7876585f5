// Frame codec: command frames byte for byte, base-240 pairs, range codes,
// checksum acceptance, refusal of bytes of 240 or more, device-frame decode.
#include "common/ErrorCode.h"
#include "link/Frames.h"
#include "platform/QxError.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qx::Frames;

namespace {

std::vector<int> frameBytes(const CmdBuf &b) { return std::vector<int>(b.begin() + 1, b.end()); }

} // namespace

TEST(Frames, CommandFramesByteForByte)
{
    struct Case {
        const char *name;
        CmdBuf frame;
        std::vector<int> bytes;
    };
    const Case cases[] = {
        {"connect", commandFrame(0, 0, OpConnect), {0xFA, 5, 0, 0, 0, 0, 0, 0, 5, 0xF8}},
        {"disconnect", commandFrame(0, 0, OpDisconnect), {0xFA, 6, 0, 0, 0, 0, 0, 0, 6, 0xF8}},
        {"stop channel 1", commandFrame(1, 0, OpStop), {0xFA, 162, 0, 0, 0, 0, 0, 0, 162, 0xF8}},
        {"set channel 1 mode 1", commandFrame(1, 1, OpAdjust), {0xFA, 183, 0, 0, 0, 0, 0, 0, 183, 0xF8}},
        // type 1, mode 3: 1.50 A, 4 cells, 60 minutes
        {"start cells", commandFrame(0, 3, OpStart, {0, 150, 0, 4, 0, 60}),
         {0xFA, 49, 0, 150, 0, 4, 0, 60, 49 ^ 150 ^ 4 ^ 60, 0xF8}},
        // 14400 s = 240 minutes travels as 1, 0
        {"minutes", commandFramePairs(0, 0, OpMinutes, 240), {0xFA, 10, 1, 0, 0, 0, 0, 0, 11, 0xF8}},
        {"quick charge 13", commandFrame(0, 0, OpAdjust, {0, 0, 0, 0, 0, 13}),
         {0xFA, 7, 0, 0, 0, 0, 0, 13, 10, 0xF8}},
        // the xor of the data is 0xF0 + 9: reduced mod 240 to 9
        {"checksum reduced", commandFrame(0, 0, OpStart, {0xE0, 0x10, 0, 0, 0, 8}),
         {0xFA, 1, 0xE0, 0x10, 0, 0, 0, 8, 9, 0xF8}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(frameBytes(c.frame), c.bytes) << c.name;
}

TEST(Frames, PairsEncodeHighDigitFirstAndRoundTrip)
{
    struct Case {
        int32_t v;
        int hi, lo;
    };
    for (const Case c : {Case{1000, 4, 40}, {57599, 239, 239}, {0, 0, 0}, {239, 0, 239}, {240, 1, 0}}) {
        const Pair p = encodePair(c.v);
        EXPECT_EQ(p.hi, c.hi) << c.v;
        EXPECT_EQ(p.lo, c.lo) << c.v;
        EXPECT_EQ(pairValue(p.hi, p.lo), c.v);
    }
    const CmdBuf f = commandFramePairs(0, 2, OpStart, 1000, 57599, 0);
    EXPECT_EQ(frameBytes(f), (std::vector<int>{0xFA, 33, 4, 40, 239, 239, 0, 0, 33 ^ 4 ^ 40, 0xF8}));
}

TEST(Frames, BuildersRefuseBytesOf240OrMore)
{
    struct Case {
        const char *name;
        std::function<void()> build;
    };
    const Case cases[] = {
        {"pair below 0", [] { encodePair(-1); }},
        {"pair above 57599", [] { encodePair(57600); }},
        {"pair high digit 255", [] { encodePair(255 * 240); }},
        {"pair in a frame", [] { commandFramePairs(0, 1, OpStart, 100, 57600, 0); }},
        {"data byte 240", [] { commandFrame(0, 0, OpCalib, {240, 0, 0, 0, 0, 0}); }},
        {"data byte below 0", [] { commandFrame(0, 0, OpCalib, {0, -1, 0, 0, 0, 0}); }},
        {"command byte 240 (chn 1, mode 5)", [] { commandByte(1, 5, 0); }},
        {"command byte above 255 (chn 1, mode 6)", [] { commandByte(1, 6, OpStart); }},
        {"channel 2", [] { commandByte(2, 0, OpStop); }},
        {"negative channel", [] { commandByte(-1, 12, OpStop); }},
        {"op above 15", [] { commandByte(0, 0, 16); }},
        {"device status 240", [] { deviceFrame(240, {}, 1); }},
        {"device type byte 240", [] { deviceFrame(0, {}, 240); }},
        {"device pair 57600", [] { deviceFrame(0, {0, 57600, 0, 0, 0, 0, 0}, 1); }},
    };
    for (const auto &c : cases)
        EXPECT_EQ(qx::test::errorCode(c.build), qx::ErrOverflow) << c.name;

    EXPECT_EQ(commandByte(1, 4, 15), 239);
    CmdBuf buf{};
    EXPECT_EQ(qx::test::errorCode([&] { putPair(buf, 6, 1); }), qx::ErrSubscript);
    EXPECT_EQ(qx::test::errorCode([&] { putByte(buf, 0, 1); }), qx::ErrSubscript);
    EXPECT_EQ(qx::test::errorCode([] { ChkXor(std::vector<uint8_t>(8)); }), qx::ErrSubscript);
}

TEST(Frames, RangeCodesAtEveryBoundary)
{
    struct Case {
        int32_t raw;
        double volts, ah;
    };
    const Case cases[] = {
        {0, 0.0, 0.0},
        {1, 0.001, 0.001},
        {32767, 32.767, 32.767},
        {32768, 0.0, 0.0},
        {33000, 2.32, 2.32},
        {53247, 204.79, 204.79},
        {53248, 204.80, 0.0},
        {53249, 204.81, 0.1},
        {57599, 248.31, 435.1},
    };
    for (const Case c : cases) {
        EXPECT_DOUBLE_EQ(rangeVoltage(c.raw), c.volts) << c.raw;
        EXPECT_DOUBLE_EQ(rangeCapacity(c.raw), c.ah) << c.raw;
    }
}

TEST(Frames, ChecksumAcceptance)
{
    // b0..b15 chosen to XOR to a given value, then every checksum byte tried.
    auto bufferXoringTo = [](int x) {
        std::array<uint8_t, 19> rx{};
        rx[1] = 100; // status: parameter frame
        rx[16] = 10; // type byte
        rx[2] = uint8_t(x ^ 100 ^ 10);
        return rx;
    };
    struct Case {
        int x;
        std::vector<int> accepted;
    };
    for (const Case &c : {Case{245, {5, 245}}, Case{21, {21, 229}}, Case{0, {0, 240}}}) {
        auto rx = bufferXoringTo(c.x);
        std::vector<int> accepted;
        for (int chk = 0; chk < 256; ++chk) {
            rx[17] = uint8_t(chk);
            if (ChkRec(rx, 17))
                accepted.push_back(chk);
        }
        EXPECT_EQ(accepted, c.accepted) << "xor " << c.x;
        // the sender's rule always lands on an accepted value
        EXPECT_EQ(checksumOf(std::span<const uint8_t>(rx).subspan(1, 16)), c.accepted.front());
    }
    // no start marker yet: an empty buffer never passes, whatever it holds
    std::array<uint8_t, 19> rx{};
    EXPECT_FALSE(ChkRec(rx, 0));
    rx[5] = 77;
    EXPECT_FALSE(ChkRec(rx, 0));
    EXPECT_FALSE(ChkRec(std::span<const uint8_t>(rx).first(1), 17));
    // a limit beyond the buffer reads only what is there
    EXPECT_FALSE(ChkRec(std::span<const uint8_t>(rx).first(6), 400));
}

TEST(Frames, DeviceFrameBuildsAndDecodes)
{
    // running D-CC data frame of channel 1 of type 17
    const DevFrame f = deviceFrame(12, {1234, 33000, 53300, 250, 1500, 300, 60}, 117);
    EXPECT_EQ(f.front(), FrameStart);
    EXPECT_EQ(f.back(), FrameEnd);
    DevBytes b{};
    std::copy(f.begin() + 1, f.end() - 1, b.begin());
    std::array<uint8_t, 19> rx{};
    std::copy(b.begin(), b.end(), rx.begin() + 1);
    EXPECT_TRUE(ChkRec(rx, 17));

    const FrameFields d = decode(b);
    EXPECT_EQ(d.kind, 0);
    EXPECT_EQ(d.state, 1);
    EXPECT_TRUE(d.running());
    EXPECT_EQ(d.mode, 2);
    EXPECT_EQ(d.current, 1234);
    EXPECT_DOUBLE_EQ(d.volts(), 2.32);
    EXPECT_DOUBLE_EQ(d.capacityAh(), 5.2);
    EXPECT_EQ(d.temperature, 250);
    EXPECT_EQ(d.setValue, 1500);
    EXPECT_EQ(d.limit, 300);
    EXPECT_EQ(d.third, 60);
    EXPECT_EQ(d.typeCode, 17);
    EXPECT_EQ(d.channel, 1);

    struct Status {
        int b0, kind, state, mode;
        bool running;
    };
    for (const Status s : {Status{0, 0, 0, 0, false}, {25, 0, 2, 5, true}, {139, 1, 3, 9, false},
                           {110, 1, 1, 0, true}, {200, 2, 0, 0, false}}) {
        DevBytes sb{};
        sb[0] = uint8_t(s.b0);
        const FrameFields d2 = decode(sb);
        EXPECT_EQ(d2.kind, s.kind) << s.b0;
        EXPECT_EQ(d2.state, s.state) << s.b0;
        EXPECT_EQ(d2.mode, s.mode) << s.b0;
        EXPECT_EQ(d2.running(), s.running) << s.b0;
    }
}
