#include "SimWire.h"

#include "link/COMM.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace qx::sim {

Watched watchPort(int32_t h, FrameReader &reader, size_t frames, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Watched w;
    while (w.frames.size() < frames && Clock::now() < deadline) {
        int32_t n = 0;
        const std::vector<uint8_t> bytes = qx::COMM::ReadComm(h, n);
        w.bytes += size_t(n);
        for (uint8_t b : bytes) {
            const RxEvent e = reader.take(b);
            if (e != RxEvent::None)
                w.events.push_back(e);
            if (e == RxEvent::Frame)
                w.frames.push_back(frameBytes(reader.state().RxBuf));
        }
        if (qx::COMM::PortGone(h)) {
            w.gone = true;
            break;
        }
        if (n == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return w;
}

int countOf(const Watched &w, RxEvent e) { return int(std::count(w.events.begin(), w.events.end(), e)); }

} // namespace qx::sim
