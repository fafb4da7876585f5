#include "link/FrameReader.h"

#include <algorithm>

namespace qx {

using namespace Frames;

namespace {

RxEvent closeFrame(RxView rx)
{
    const bool opened = rx.RxActive;
    const bool complete = opened && rx.RxPos == DevLen + 1;
    rx.RxActive = false;
    rx.RxPos = 0;
    if (!opened)
        return RxEvent::Stray;
    if (!complete)
        return RxEvent::BadFrame;
    const auto bytes = rx.RxBuf.subspan(1, DevLen);
    if (std::any_of(bytes.begin(), bytes.end(), [](uint8_t v) { return v >= ByteLimit; }))
        return RxEvent::BadFrame;
    if (!ChkRec(rx.RxBuf, rx.RxMax))
        return RxEvent::BadFrame;
    if (rx.RxBuf[16] / 100 > 1)
        return RxEvent::BadChannel;
    return RxEvent::Frame;
}

} // namespace

RxEvent takeByte(RxView rx, uint8_t b)
{
    if (b == FrameStart) {
        rx.RxActive = true;
        rx.RxPos = 1;
        rx.RxMax = DevLen;
        return RxEvent::Start;
    }
    if (b == FrameEnd)
        return closeFrame(rx);
    if (!rx.RxActive)
        return RxEvent::None;
    if (rx.RxPos > rx.RxMax || rx.RxPos < 1 || size_t(rx.RxPos) >= rx.RxBuf.size()) {
        rx.RxActive = false;
        rx.RxPos = 0;
        return RxEvent::Dropped;
    }
    rx.RxBuf[rx.RxPos] = b;
    ++rx.RxPos;
    return RxEvent::None;
}

DevBytes frameBytes(std::span<const uint8_t> rxBuf)
{
    DevBytes b{};
    const size_t n = std::min<size_t>(DevLen, rxBuf.size() > 0 ? rxBuf.size() - 1 : 0);
    std::copy_n(rxBuf.begin() + 1, n, b.begin());
    return b;
}

FrameReader::Read FrameReader::feed(std::span<const uint8_t> bytes)
{
    Read r;
    for (uint8_t b : bytes) {
        switch (take(b)) {
        case RxEvent::Start:
            r.started = true;
            break;
        case RxEvent::Frame:
            r.frames.push_back(frameBytes(rx_.RxBuf));
            break;
        case RxEvent::BadFrame:
            ++r.badFrames;
            break;
        case RxEvent::BadChannel:
            ++r.badChannels;
            break;
        default:
            break;
        }
    }
    return r;
}

} // namespace qx
