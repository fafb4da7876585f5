#include "link/Frames.h"

#include "platform/QxError.h"

#include <algorithm>

namespace qx::Frames {

namespace {
uint8_t frameByte(int v)
{
    if (v < 0 || v >= ByteLimit)
        raise(ErrOverflow);
    return uint8_t(v);
}
} // namespace

uint8_t ChkXor(std::span<const uint8_t> buf)
{
    if (buf.size() < 9)
        raise(ErrSubscript);
    uint8_t x = 0;
    for (int k = 2; k <= 8; ++k)
        x ^= buf[k];
    return uint8_t(x % ByteLimit);
}

bool ChkRec(std::span<const uint8_t> rxBuf, int rxMax)
{
    const int last = std::min<int>(rxMax, int(rxBuf.size()) - 1);
    if (last < 1)
        return false; // no bytes: nothing was received, so nothing is valid
    uint8_t x = 0;
    for (int p = 1; p <= last; ++p)
        x ^= rxBuf[p];
    return x % ByteLimit == 0;
}

uint8_t checksumOf(std::span<const uint8_t> bytes)
{
    uint8_t x = 0;
    for (uint8_t b : bytes)
        x ^= b;
    return uint8_t(x % ByteLimit);
}

Pair encodePair(int32_t v)
{
    if (v < 0 || v > MaxPair)
        raise(ErrOverflow);
    return {uint8_t(v / 240), uint8_t(v % 240)};
}

// Division by a power of ten gives the double nearest the decimal value
// (r * 0.001 can land one unit off in the last place).
double rangeVoltage(int32_t raw)
{
    if (raw < RangeMid)
        return raw / 1000.0;
    return (raw - RangeMid) / 100.0;
}

double rangeCapacity(int32_t raw)
{
    if (raw < RangeMid)
        return raw / 1000.0;
    if (raw < RangeHigh)
        return (raw - RangeMid) / 100.0;
    return (raw - RangeHigh) / 10.0;
}

uint8_t commandByte(int chn, int mode, int op)
{
    // Each factor is checked first so the arithmetic itself cannot overflow.
    if (chn < 0 || chn > 1 || mode < 0 || mode > 15 || op < 0 || op > 15)
        raise(ErrOverflow);
    return frameByte((10 * chn + mode) * 16 + op);
}

void putPair(CmdBuf &buf, int k, int32_t v)
{
    if (k < 1 || k > 5)
        raise(ErrSubscript);
    const Pair p = encodePair(v);
    buf[2 + k] = p.hi;
    buf[3 + k] = p.lo;
}

void putByte(CmdBuf &buf, int k, int value)
{
    if (k < 1 || k > 6)
        raise(ErrSubscript);
    buf[2 + k] = frameByte(value);
}

void finishCommand(CmdBuf &buf)
{
    buf[1] = FrameStart;
    buf[9] = ChkXor(buf);
    buf[10] = FrameEnd;
}

CmdBuf commandFrame(int chn, int mode, int op, const std::array<int, 6> &data)
{
    CmdBuf buf{};
    buf[2] = commandByte(chn, mode, op);
    for (int k = 1; k <= 6; ++k)
        putByte(buf, k, data[k - 1]);
    finishCommand(buf);
    return buf;
}

CmdBuf commandFramePairs(int chn, int mode, int op, int32_t p1, int32_t p2, int32_t p3)
{
    CmdBuf buf{};
    buf[2] = commandByte(chn, mode, op);
    putPair(buf, 1, p1);
    putPair(buf, 3, p2);
    putPair(buf, 5, p3);
    finishCommand(buf);
    return buf;
}

DevFrame deviceFrame(int status, const std::array<int32_t, 7> &pairs, int typeByte)
{
    DevFrame f{};
    f[0] = FrameStart;
    f[1] = frameByte(status);
    for (int i = 0; i < 7; ++i) {
        const Pair p = encodePair(pairs[i]);
        f[2 + 2 * i] = p.hi;
        f[3 + 2 * i] = p.lo;
    }
    f[16] = frameByte(typeByte);
    f[17] = checksumOf(std::span<const uint8_t>(f).subspan(1, 16));
    f[18] = FrameEnd;
    return f;
}

FrameFields decode(const DevBytes &b)
{
    auto pair = [&b](int k) { return pairValue(b[k], b[k + 1]); };
    FrameFields f;
    f.status = b[0];
    f.kind = b[0] / 100;
    f.state = (b[0] % 100) / 10;
    f.mode = b[0] % 10;
    f.current = pair(1);
    f.voltage = pair(3);
    f.capacity = pair(5);
    f.temperature = pair(7);
    f.setValue = pair(9);
    f.limit = pair(11);
    f.third = pair(13);
    f.typeByte = b[15];
    f.typeCode = b[15] % 100;
    f.channel = b[15] / 100;
    f.checksum = b[16];
    return f;
}

} // namespace qx::Frames
