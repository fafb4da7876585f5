#pragma once
// The device link's two frame formats and their encodings.
//
// Command frame (program -> device), 10 bytes, kept in a CmdBuf whose
// element 0 is unused so that byte k of the frame is element k (1..10):
//   1 FA | 2 command = (10*chn + mode)*16 + op | 3..8 data d1..d6 |
//   9 checksum = xor(2..8) mod 240 | 10 F8
// Device frame (device -> program), 19 bytes: FA, b0..b16, F8, where
//   b0 status = 100*kind + 10*state + mode, seven base-240 pairs b1..b14,
//   b15 type byte = type code + 100*channel, b16 checksum.
// Every byte between the markers is below 240, so 0xFA and 0xF8 are never
// escaped. The builders here refuse to break that rule: a value that would
// put a byte of 240 or more inside a frame throws QxError(ErrOverflow), and
// the sender that catches it logs its tag and writes nothing.
//
// Everything lives in namespace qx::Frames; all functions are free and pure.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qx::Frames {

inline constexpr uint8_t FrameStart = 0xFA; // 250
inline constexpr uint8_t FrameEnd = 0xF8;   // 248
inline constexpr int ByteLimit = 240;       // every byte inside a frame is below this
inline constexpr int32_t MaxPair = 57599;   // largest base-240 pair value (239*240 + 239)

// Operation codes (low nibble of the command byte).
enum Op : int {
    OpStart = 1,
    OpStop = 2,
    OpCalib = 4,
    OpConnect = 5,
    OpDisconnect = 6,
    OpAdjust = 7,
    OpContinue = 8,
    OpResTest = 9,
    OpMinutes = 10,
};

inline constexpr int CmdLen = 10;               // bytes of a command frame
using CmdBuf = std::array<uint8_t, CmdLen + 1>; // element 0 unused, 1..10 the frame

inline constexpr int DevLen = 17;               // bytes b0..b16 between the markers
using DevBytes = std::array<uint8_t, DevLen>;   // b0..b16 (index k = bk)
using DevFrame = std::array<uint8_t, DevLen + 2>; // FA b0..b16 F8 as sent on the wire

// --- checksums ------------------------------------------------------------

// (buf[2] xor ... xor buf[8]) mod 240 over a command-frame buffer indexed
// 1..10 (element 0 unused). QxError(ErrSubscript) when buf has fewer than 9
// elements.
uint8_t ChkXor(std::span<const uint8_t> buf);

// XOR of positions 1..rxMax of a receive buffer whose element p is position p
// (element 0 unused); true when the result mod 240 is 0. A check that covers
// no byte (rxMax below 1, or an empty buffer) fails: an empty buffer is never
// a valid frame. Positions beyond the buffer are never read (rxMax is clamped
// to the buffer's last position).
bool ChkRec(std::span<const uint8_t> rxBuf, int rxMax);

// The checksum a sender puts after the bytes (xor of all, mod 240).
uint8_t checksumOf(std::span<const uint8_t> bytes);

// --- base-240 pairs -------------------------------------------------------

struct Pair {
    uint8_t hi = 0;
    uint8_t lo = 0;
};

// v as high/low base-240 digits; QxError(ErrOverflow) when v < 0 or v > 57599.
Pair encodePair(int32_t v);
// hi*240 + lo (no range check: the receiver takes the bytes as they come).
constexpr int32_t pairValue(uint8_t hi, uint8_t lo) { return int32_t(hi) * 240 + lo; }

// --- range-coded values ---------------------------------------------------

inline constexpr int32_t RangeMid = 0x8000;  // 32768: start of the 0.01 range
inline constexpr int32_t RangeHigh = 0xD000; // 53248: start of the 0.1 range (capacity)

// Voltage pair: r < 32768 -> r * 0.001 V, else (r - 32768) * 0.01 V.
double rangeVoltage(int32_t raw);
// Capacity pair: r < 32768 -> r * 0.001 Ah, r < 53248 -> (r - 32768) * 0.01 Ah,
// else (r - 53248) * 0.1 Ah.
double rangeCapacity(int32_t raw);

// --- command frames -------------------------------------------------------

// (10*chn + mode)*16 + op; QxError(ErrOverflow) when the result is below 0 or
// 240 or more (it would not be a valid byte inside a frame).
uint8_t commandByte(int chn, int mode, int op);

// Writes the pair of v into data bytes dk:dk+1 (k = 1..5) of a command
// buffer; QxError(ErrOverflow) as encodePair, QxError(ErrSubscript) for a bad k.
void putPair(CmdBuf &buf, int k, int32_t v);
// Writes one data byte dk (k = 1..6); QxError(ErrOverflow) when the value is
// below 0 or 240 or more.
void putByte(CmdBuf &buf, int k, int value);
// Sets the markers and the checksum of a buffer whose bytes 2..8 are filled.
void finishCommand(CmdBuf &buf);

// A whole command frame from six data bytes (each 0..239).
CmdBuf commandFrame(int chn, int mode, int op, const std::array<int, 6> &data = {});
// A whole command frame from three pairs d1:d2, d3:d4, d5:d6 (each 0..57599).
CmdBuf commandFramePairs(int chn, int mode, int op, int32_t p1, int32_t p2 = 0, int32_t p3 = 0);

// --- device frames --------------------------------------------------------

// A device frame as a device sends it: status byte, the seven pairs
// (current, voltage, capacity, temperature, set value, limit, third value),
// the type byte and the sender's checksum. QxError(ErrOverflow) when a byte
// would be 240 or more.
DevFrame deviceFrame(int status, const std::array<int32_t, 7> &pairs, int typeByte);

// The fields of a device frame b0..b16, undecoded beyond the digits and pairs.
struct FrameFields {
    int status = 0;  // b0
    int kind = 0;    // b0 / 100: 0 data frame, 1 parameter frame
    int state = 0;   // (b0 % 100) / 10: 1 or 2 = running
    int mode = 0;    // b0 % 10: mode index in the device's mode list
    int32_t current = 0;     // b1:b2
    int32_t voltage = 0;     // b3:b4, range-coded
    int32_t capacity = 0;    // b5:b6, range-coded while running
    int32_t temperature = 0; // b7:b8
    int32_t setValue = 0;    // b9:b10 (parameter frame: firmware version)
    int32_t limit = 0;       // b11:b12 (parameter frame: max voltage * VolScale)
    int32_t third = 0;       // b13:b14 (parameter frame: max current * CurScale)
    int typeByte = 0;        // b15
    int typeCode = 0;        // b15 % 100
    int channel = 0;         // b15 / 100
    int checksum = 0;        // b16

    bool running() const { return state == 1 || state == 2; }
    bool isParameter() const { return kind == 1; }
    double volts() const { return rangeVoltage(voltage); }
    double capacityAh() const { return rangeCapacity(capacity); }
};

FrameFields decode(const DevBytes &b);

} // namespace qx::Frames
