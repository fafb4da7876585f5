// Frame codec: command frames byte for byte, base-240 pairs, range codes,
// checksum acceptance, refusal of bytes of 240 or more, device-frame decode.
#include "common/ErrorCode.h"
#include "common/Hex.h"
#include "link/Frames.h"
#include "platform/QxError.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qx::Frames;
using qx::test::hexBytes;

namespace {

std::vector<uint8_t> frameBytes(const CmdBuf &b) { return std::vector<uint8_t>(b.begin() + 1, b.end()); }

} // namespace

TEST(Frames, CommandFramesByteForByte)
{
    struct Case {
        const char *name;
        CmdBuf frame;
        const char *bytes;
    };
    const Case cases[] = {
        {"connect", commandFrame(0, 0, OpConnect), "FA 05 00 00 00 00 00 00 05 F8"},
        {"disconnect", commandFrame(0, 0, OpDisconnect), "FA 06 00 00 00 00 00 00 06 F8"},
        {"stop channel 1", commandFrame(1, 0, OpStop), "FA A2 00 00 00 00 00 00 A2 F8"},
        {"set channel 1 mode 1", commandFrame(1, 1, OpAdjust), "FA B7 00 00 00 00 00 00 B7 F8"},
        // type 1, mode 3: 1.50 A (150), 4 cells (d3 0, d4 4), 60 minutes
        {"start cells", commandFrame(0, 3, OpStart, {0, 150, 0, 4, 0, 60}), "FA 31 00 96 00 04 00 3C 9F F8"},
        // type 5, mode 1: 12.5 W at PwrScale 10 travels as 125
        {"start power", commandFramePairs(0, 1, OpStart, 125), "FA 11 00 7D 00 00 00 00 6C F8"},
        // 3599 test seconds: 59 minutes; 14400 s: 240 minutes as 1, 0
        {"minutes 59", commandFramePairs(0, 0, OpMinutes, 59), "FA 0A 00 3B 00 00 00 00 31 F8"},
        {"minutes 240", commandFramePairs(0, 0, OpMinutes, 240), "FA 0A 01 00 00 00 00 00 0B F8"},
        // a set value of 2.50 A at CurScale 100: 250 as 1, 10
        {"remote set 250", commandFramePairs(0, 0, OpAdjust, 250), "FA 07 01 0A 00 00 00 00 0C F8"},
        {"quick charge 13", commandFrame(0, 0, OpAdjust, {0, 0, 0, 0, 0, 13}), "FA 07 00 00 00 00 00 0D 0A F8"},
        {"PE 21", commandFrame(0, 0, OpAdjust, {0, 0, 0, 0, 0, 21}), "FA 07 00 00 00 00 00 15 12 F8"},
        // the xor of the bytes is 0xF0 + 9: reduced mod 240 to 9
        {"checksum reduced", commandFrame(0, 0, OpStart, {0xE0, 0x10, 0, 0, 0, 8}), "FA 01 E0 10 00 00 00 08 09 F8"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(frameBytes(c.frame), hexBytes(c.bytes)) << c.name;
}

TEST(Frames, DeviceFramesByteForByte)
{
    // Frames as a device sends them, worked out by hand: the bytes, what
    // they decode to, and the builder giving the same bytes.
    struct Case {
        const char *name;
        const char *bytes;
        int status, kind, state, mode;
        std::array<int32_t, 7> pairs; // current, voltage, capacity, temperature, set, limit, third
        double volts, ah;
        int typeByte, typeCode, channel;
    };
    const Case cases[] = {
        // parameter frame of type 10: firmware 3.20, 5 V x 100, 40 A x 100;
        // the bytes xor to 0x99, the checksum
        {"parameter frame", "FA 64 00 00 00 00 00 00 00 00 01 50 02 14 10 A0 0A 99 F8", 100, 1, 0, 0,
         {0, 0, 0, 0, 320, 500, 4000}, 0.0, 0.0, 10, 10, 0},
        // running (state 1, mode 1): 1.92 A raw 192, 12.000 V, 1.500 Ah; the
        // bytes xor to 0xF3, sent as 0xF3 mod 240 = 3
        {"running, checksum reduced", "FA 0B 00 C0 32 00 06 3C 00 00 02 14 04 28 00 00 0A 03 F8", 11, 0, 1, 1,
         {192, 12000, 1500, 0, 500, 1000, 0}, 12.0, 1.5, 10, 10, 0},
        // channel 1 of type 17, mode 2: 33000 is 2.32 V, 53300 is 5.2 Ah
        {"second channel, upper ranges", "FA 0C 05 22 89 78 DE 14 01 0A 06 3C 01 3C 00 3C 75 55 F8", 12, 0, 1, 2,
         {1234, 33000, 53300, 250, 1500, 300, 60}, 2.32, 5.2, 117, 17, 1},
    };
    for (const Case &c : cases) {
        const std::vector<uint8_t> wire = hexBytes(c.bytes);
        ASSERT_EQ(wire.size(), 19u) << c.name;
        const DevFrame built = deviceFrame(c.status, c.pairs, c.typeByte);
        EXPECT_EQ(std::vector<uint8_t>(built.begin(), built.end()), wire) << c.name;

        std::array<uint8_t, 19> rx{};
        DevBytes b{};
        for (size_t i = 0; i < b.size(); ++i)
            b[i] = rx[i + 1] = wire[i + 1];
        EXPECT_TRUE(ChkRec(rx, 17)) << c.name;
        const FrameFields d = decode(b);
        EXPECT_EQ(d.status, c.status) << c.name;
        EXPECT_EQ(d.kind, c.kind) << c.name;
        EXPECT_EQ(d.state, c.state) << c.name;
        EXPECT_EQ(d.mode, c.mode) << c.name;
        EXPECT_EQ((std::array<int32_t, 7>{d.current, d.voltage, d.capacity, d.temperature, d.setValue, d.limit,
                                          d.third}),
                  c.pairs)
            << c.name;
        EXPECT_DOUBLE_EQ(d.volts(), c.volts) << c.name;
        EXPECT_DOUBLE_EQ(d.capacityAh(), c.ah) << c.name;
        EXPECT_EQ(d.typeCode, c.typeCode) << c.name;
        EXPECT_EQ(d.channel, c.channel) << c.name;
    }
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
    EXPECT_EQ(frameBytes(f), hexBytes("FA 21 04 28 EF EF 00 00 0D F8"));
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

TEST(Frames, StatusByteDigits)
{
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
