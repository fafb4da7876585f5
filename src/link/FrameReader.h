#pragma once
// Cutting device frames out of the byte stream of a serial port.
//
// The receiver state of a device is the four items RxActive, RxPos, RxBuf
// (positions 1..18, element 0 unused) and RxMax. takeByte() advances that
// state by one byte and says what happened; the receive routine acts on the
// event (lights its receive lamp on Start, processes the frame in RxBuf on
// Frame, and simply goes on with the next byte after every other event). It
// works on any record that has those four members (the main window's
// DeviceState, or RxState below), through RxView::of(record).
//
// Rules, byte by byte:
//  - 0xFA opens a frame: RxActive = true, RxPos = 1, RxMax = 17 (Start).
//    A 0xFA inside an open frame starts over.
//  - any other byte but 0xF8 is ignored while no frame is open; inside a
//    frame it is stored at RxPos, which then advances. An 18th byte drops
//    the frame (RxActive = false, RxPos = 0, the byte is not stored: Dropped).
//  - 0xF8 closes: RxActive = false, RxPos = 0. A 0xF8 with no frame open
//    (noise, or the end of an overlong frame that was dropped) is Stray and
//    changes nothing else: it never replays what the buffer still holds.
//    A frame that was opened is judged only when exactly 17 bytes came in;
//    an empty ("FA F8") or short frame is BadFrame. A complete frame is
//    BadFrame when it holds a byte of 240 or more or fails ChkRec over
//    positions 1..17; a frame that passes but whose type byte is 200 or more
//    (channel digit above 1) is BadChannel; otherwise it is a Frame.
//  - A bad frame costs only itself: the receiver is idle again and the next
//    0xFA of the same read opens the next frame.
//
// FrameReader bundles a state with feed(), which takes one read the way the
// receive routine does: every byte, every valid frame in order.
#include "link/Frames.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace qx {

// A receiver state of its own (the main window keeps its own in DeviceState).
struct RxState {
    bool RxActive = false;
    int RxPos = 0;
    std::array<uint8_t, 19> RxBuf{};
    int RxMax = 0;
};

// References to the four receiver items of some record.
struct RxView {
    bool &RxActive;
    int &RxPos;
    std::span<uint8_t> RxBuf; // element p = position p; needs positions 1..18
    int &RxMax;

    template <class S>
    static RxView of(S &s)
    {
        return RxView{s.RxActive, s.RxPos, std::span<uint8_t>(s.RxBuf), s.RxMax};
    }
};

enum class RxEvent {
    None,       // byte stored or ignored
    Start,      // 0xFA: a frame opened
    Dropped,    // an 18th byte dropped the open frame
    Stray,      // 0xF8 with no frame open: nothing to judge
    Frame,      // 0xF8 closed a valid frame: its bytes are at RxBuf positions 1..17
    BadFrame,   // 0xF8 closed a short frame or one that fails its checks
    BadChannel, // 0xF8 closed a frame that passes its checks but whose type byte is 200 or more
};

RxEvent takeByte(RxView rx, uint8_t b);

// b0..b16 from RxBuf positions 1..17.
Frames::DevBytes frameBytes(std::span<const uint8_t> rxBuf);

class FrameReader {
public:
    struct Read {
        std::vector<Frames::DevBytes> frames; // valid frames in order
        bool started = false;                 // a 0xFA was taken
        size_t badFrames = 0;                 // frames dropped by BadFrame
        size_t badChannels = 0;               // frames dropped by BadChannel
    };

    RxEvent take(uint8_t b) { return takeByte(RxView::of(rx_), b); }
    Read feed(std::span<const uint8_t> bytes);

    const RxState &state() const { return rx_; }
    RxState &state() { return rx_; }

private:
    RxState rx_;
};

} // namespace qx
