// Cutting device frames from the byte stream: markers, noise, truncated and
// overlong frames, stray end markers, reads that split a frame; what a link
// loses that way, counted for the error log.
#include "link/FrameFaults.h"
#include "link/FrameReader.h"
#include "services/State.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qx;
using namespace qx::Frames;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes wire(int status, int32_t current, int typeByte)
{
    const DevFrame f = deviceFrame(status, {current, 4000, 100, 250, 150, 300, 0}, typeByte);
    return Bytes(f.begin(), f.end());
}

DevBytes inner(const Bytes &w) // b0..b16 of a wire frame
{
    DevBytes b{};
    std::copy(w.begin() + 1, w.begin() + 18, b.begin());
    return b;
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes head(const Bytes &w, size_t n) { return Bytes(w.begin(), w.begin() + n); }

const Bytes A = wire(10, 111, 10);
const Bytes B = wire(0, 222, 10);

// A frame whose checksum passes but which carries 0xF5 at b1.
Bytes withHighByte()
{
    Bytes w = A;
    w[2] = 0xF5;
    w[17] = 0;
    w[17] = checksumOf(std::span<const uint8_t>(w).subspan(1, 16));
    return w;
}

// Type byte 200 with a checksum that passes.
Bytes channelTwo()
{
    Bytes w = A;
    w[16] = 200;
    w[17] = checksumOf(std::span<const uint8_t>(w).subspan(1, 16));
    return w;
}

} // namespace

TEST(FrameReader, CutsFramesFromOneRead)
{
    struct Case {
        const char *name;
        Bytes stream;
        std::vector<Bytes> frames;
        size_t badFrames = 0;
        size_t badChannels = 0;
    };
    Bytes badSum = A;
    badSum[17] = uint8_t((badSum[17] + 1) % 240);
    Bytes overlongA = cat({head(A, 18), {7}, {0xF8}}); // 17 valid bytes + one more
    Bytes restarted = cat({head(A, 6), B});             // a second start inside a frame
    const Case cases[] = {
        {"one frame", A, {A}},
        {"two frames in order", cat({A, B}), {A, B}},
        {"noise outside frames", cat({{1, 0xF0, 0xFF, 239}, A, {0xF9, 3}, B, {9}}), {A, B}},
        {"bad checksum drops only itself", cat({badSum, B}), {B}, 1},
        {"valid, bad, valid: both valid kept", cat({A, badSum, B}), {A, B}, 1},
        {"truncated without end marker", cat({head(A, 11), B}), {B}},
        {"truncated with end marker", cat({head(A, 11), {0xF8}, B}), {B}, 1},
        {"empty frame FA F8", cat({A, {0xFA, 0xF8}, B}), {A, B}, 1},
        {"overlong frame is dropped, its end marker is stray", cat({overlongA, B}), {B}},
        {"lone end marker before any start", cat({{0xF8}, A}), {A}},
        {"stray end markers do not replay the last frame", cat({A, {0xF8, 0xF8}, B, {0xF8}}), {A, B}},
        {"start inside a frame restarts it", restarted, {B}},
        {"byte of 240 or more inside a frame", cat({withHighByte(), B}), {B}, 1},
        {"type byte 200 or more drops that frame only", cat({A, channelTwo(), B}), {A, B}, 0, 1},
    };
    for (const auto &c : cases) {
        FrameReader r;
        const auto read = r.feed(c.stream);
        std::vector<DevBytes> expect;
        for (const auto &f : c.frames)
            expect.push_back(inner(f));
        EXPECT_EQ(read.frames, expect) << c.name;
        EXPECT_EQ(read.badFrames, c.badFrames) << c.name;
        EXPECT_EQ(read.badChannels, c.badChannels) << c.name;
        EXPECT_FALSE(r.state().RxActive) << c.name;
    }
}

TEST(FrameReader, TypeByteIsJudgedAfterTheChecksum)
{
    // Type byte 200 with a wrong checksum is an ordinary bad frame; with a
    // right one it is the channel fault. Neither is ever a frame.
    Bytes bad = channelTwo();
    bad[17] = uint8_t((bad[17] + 7) % 240);
    RxState s;
    std::vector<RxEvent> events;
    for (uint8_t b : cat({bad, channelTwo()}))
        events.push_back(takeByte(RxView::of(s), b));
    const std::vector<RxEvent> closes{events[18], events[37]};
    EXPECT_EQ(closes, (std::vector<RxEvent>{RxEvent::BadFrame, RxEvent::BadChannel}));
}

TEST(FrameReader, EndMarkerWithoutFrameNeverPassesTheBuffer)
{
    // Before any start marker the buffer is empty; after a frame it holds
    // that frame's bytes. Neither is processed by a 0xF8 alone.
    RxState s;
    EXPECT_EQ(takeByte(RxView::of(s), 0xF8), RxEvent::Stray);
    for (uint8_t b : A)
        takeByte(RxView::of(s), b);
    EXPECT_EQ(takeByte(RxView::of(s), 0xF8), RxEvent::Stray);
    EXPECT_EQ(takeByte(RxView::of(s), 0xFA), RxEvent::Start);
    EXPECT_EQ(takeByte(RxView::of(s), 0xF8), RxEvent::BadFrame);
    // a frame of 16 bytes whose end leaves A's checksum byte in place
    takeByte(RxView::of(s), 0xFA);
    for (size_t i = 1; i < 17; ++i)
        takeByte(RxView::of(s), A[i]);
    EXPECT_EQ(takeByte(RxView::of(s), 0xF8), RxEvent::BadFrame);
}

TEST(FrameReader, FrameSplitAcrossReadsAndStateOfDeviceRecord)
{
    // The receive routine runs on the main window's DeviceState record.
    DeviceState dev;
    EXPECT_EQ(takeByte(RxView::of(dev), 0x20), RxEvent::None);
    EXPECT_EQ(dev.RxMax, 0);
    EXPECT_FALSE(dev.RxActive);

    std::vector<RxEvent> events;
    for (uint8_t b : A)
        events.push_back(takeByte(RxView::of(dev), b));
    EXPECT_EQ(events.front(), RxEvent::Start);
    EXPECT_EQ(events.back(), RxEvent::Frame);
    EXPECT_EQ(frameBytes(dev.RxBuf), inner(A));
    for (uint8_t b : head(B, 8))
        takeByte(RxView::of(dev), b);
    EXPECT_TRUE(dev.RxActive);
    EXPECT_EQ(dev.RxPos, 8);
    EXPECT_EQ(dev.RxMax, 17);

    for (size_t i = 8; i < B.size() - 1; ++i)
        EXPECT_EQ(takeByte(RxView::of(dev), B[i]), RxEvent::None);
    EXPECT_EQ(takeByte(RxView::of(dev), B.back()), RxEvent::Frame);
    EXPECT_EQ(frameBytes(dev.RxBuf), inner(B));
    EXPECT_EQ(dev.RxPos, 0);

    // the overlong frame never writes past position 17
    dev.RxBuf[18] = 0x55;
    takeByte(RxView::of(dev), 0xFA);
    for (int i = 0; i < 40; ++i)
        takeByte(RxView::of(dev), 1);
    EXPECT_EQ(dev.RxBuf[18], 0x55);
    EXPECT_FALSE(dev.RxActive);
}

TEST(FrameReader, ReadAcrossChunksKeepsOpenFrame)
{
    FrameReader r;
    const Bytes stream = cat({A, B, A});
    std::vector<DevBytes> got;
    for (size_t at = 0; at < stream.size(); at += 7) {
        const auto chunk = std::span<const uint8_t>(stream).subspan(at, std::min<size_t>(7, stream.size() - at));
        const auto read = r.feed(chunk);
        EXPECT_EQ(read.badFrames + read.badChannels, 0u);
        got.insert(got.end(), read.frames.begin(), read.frames.end());
    }
    EXPECT_EQ(got, (std::vector<DevBytes>{inner(A), inner(B), inner(A)}));
}

namespace {

// What FrameFaults counted in a stream, as its report ("" when nothing).
QString lossOf(const Bytes &stream)
{
    FrameFaults f;
    RxState s;
    for (uint8_t b : stream)
        f.take(RxView::of(s), b);
    return f.pending() ? f.report(0) : QString();
}

} // namespace

TEST(FrameFaults, CountsWhatTheLinkLoses)
{
    Bytes badSum = A;
    badSum[17] = uint8_t((badSum[17] + 1) % 240);
    struct Case {
        const char *name;
        Bytes stream;
        const char *loss;
    };
    const Case cases[] = {
        {"clean frames", cat({A, B, A}), ""},
        {"the tail of a frame the link opened into", cat({{3, 4, 5, 0xF8, 9}, A, B}), ""},
        {"bad checksum", cat({A, badSum, B}), "1 bad frame"},
        {"byte of 240 or more", cat({A, withHighByte(), B}), "1 bad frame"},
        {"channel digit 2", cat({A, channelTwo(), B}), "1 bad frame"},
        {"short frame", cat({A, {0xFA, 1, 2, 0xF8}, B}), "1 bad frame"},
        {"empty frame", cat({A, {0xFA, 0xF8}, B}), "1 bad frame"},
        {"opened and never closed", cat({A, head(B, 11), A}), "1 bad frame"},
        {"overlong: one frame, its rest no stray bytes", cat({A, head(A, 18), {7, 8, 0xF8}, B}), "1 bad frame"},
        {"noise between frames", cat({A, {1, 0xF0, 0xFF}, B}), "3 stray bytes"},
        {"stray end marker", cat({A, {0xF8}, B}), "1 stray byte"},
        {"several of each", cat({A, badSum, {9, 9}, B, {0xFA, 0xF8}, A, {0xF8}}), "2 bad frames, 3 stray bytes"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(lossOf(c.stream).toStdString(), c.loss) << c.name;
}

TEST(FrameFaults, FirstLossAtOnceThenAtMostOnceAMinute)
{
    Bytes badSum = A;
    badSum[17] = uint8_t((badSum[17] + 1) % 240);
    FrameFaults f;
    RxState s;
    const auto feed = [&](const Bytes &bytes) {
        for (uint8_t b : bytes)
            f.take(RxView::of(s), b);
    };
    feed(A);
    EXPECT_FALSE(f.due(5000)) << "nothing lost";
    feed(badSum);
    ASSERT_TRUE(f.due(5000)) << "the first loss of a link waits";
    EXPECT_EQ(f.report(5000), "1 bad frame");
    EXPECT_FALSE(f.pending());

    feed(cat({badSum, badSum, {1}, A}));
    EXPECT_FALSE(f.due(5000 + 59999));
    ASSERT_TRUE(f.due(5000 + 60000));
    EXPECT_EQ(f.report(65000), "2 bad frames, 1 stray byte");
    EXPECT_FALSE(f.due(200000)) << "a report with nothing lost";

    // A new link reports its first loss at once again.
    feed(badSum);
    f.restart();
    EXPECT_FALSE(f.pending());
    feed(cat({{1, 2}, A, badSum}));
    EXPECT_TRUE(f.due(66000));
    EXPECT_EQ(f.report(66000), "1 bad frame");
}
