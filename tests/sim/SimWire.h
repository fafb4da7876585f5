#pragma once
// Test helper: watching a port the way the receive routine reads it.
#include "link/FrameReader.h"

#include <cstdint>
#include <vector>

namespace qx::sim {

struct Watched {
    std::vector<Frames::DevBytes> frames; // valid frames in arrival order
    std::vector<RxEvent> events;          // every event but None, in order
    size_t bytes = 0;                     // bytes read
    bool gone = false;                    // the port reported a hang-up
};

// Reads port handle h every 5 ms (one qx::COMM::ReadComm each time), passing each
// byte through reader, until `frames` valid frames have arrived, the port is
// gone or timeoutMs has passed. Unlike the receive routine it goes on after
// a bad frame, so every event of the stream is seen.
Watched watchPort(int32_t h, FrameReader &reader, size_t frames, int timeoutMs);

// The number of events of one kind.
int countOf(const Watched &w, RxEvent e);

} // namespace qx::sim
