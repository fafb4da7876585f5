// Fuzz target for the frame reader and the frame decode.
//
// The input's first byte seeds the sizes of the reads (1 to 64 bytes, as a
// port read delivers them); the rest is the byte stream. Every read goes
// through FrameReader::feed and, in parallel, through a plain model of the
// framing rules; the two must agree, and every frame yielded must be well
// formed. A broken invariant aborts (libFuzzer reports it); the gtest driver
// framereader_fuzz_test.cpp calls checkFrameReader directly.
#include "link/FrameReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace qx::fuzz {

struct FuzzResult {
    std::string error; // "" when every invariant held
    size_t frames = 0; // valid frames yielded
};

namespace {

// The framing rules written out on a list of the bytes since the last start
// marker: a frame counts only when exactly 17 bytes lie between its markers,
// every one below 240, their xor a multiple of 240 and the type byte below
// 200; anything else drops that frame alone and the scan goes on.
struct Model {
    std::optional<std::vector<uint8_t>> open;

    FrameReader::Read feed(const uint8_t *data, size_t n)
    {
        FrameReader::Read r;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t b = data[i];
            if (b == Frames::FrameStart) {
                open.emplace();
                r.started = true;
            } else if (b == Frames::FrameEnd) {
                const auto frame = std::move(open);
                open.reset();
                if (!frame)
                    continue;
                bool good = frame->size() == size_t(Frames::DevLen);
                uint8_t x = 0;
                for (uint8_t v : *frame) {
                    x ^= v;
                    good = good && v < Frames::ByteLimit;
                }
                good = good && x % Frames::ByteLimit == 0;
                if (!good) {
                    ++r.badFrames;
                } else if ((*frame)[15] >= 200) {
                    ++r.badChannels;
                } else {
                    Frames::DevBytes f{};
                    std::copy(frame->begin(), frame->end(), f.begin());
                    r.frames.push_back(f);
                }
            } else if (open) {
                if (open->size() == size_t(Frames::DevLen))
                    open.reset();
                else
                    open->push_back(b);
            }
        }
        return r;
    }
};

std::string checkFrame(const Frames::DevBytes &f)
{
    std::array<uint8_t, 19> rx{};
    std::copy(f.begin(), f.end(), rx.begin() + 1);
    if (!Frames::ChkRec(rx, Frames::DevLen))
        return "frame fails its checksum";
    for (uint8_t v : f)
        if (v >= Frames::ByteLimit)
            return "frame holds a byte of 240 or more";
    const Frames::FrameFields d = Frames::decode(f);
    if (d.channel > 1 || d.kind > 2 || d.state > 9 || d.mode > 9)
        return "status or type digits out of range";
    for (int32_t p : {d.current, d.voltage, d.capacity, d.temperature, d.setValue, d.limit, d.third})
        if (p < 0 || p > Frames::MaxPair)
            return "pair out of range";
    if (d.volts() < 0 || d.volts() > 248.31 + 1e-9 || d.capacityAh() < 0 || d.capacityAh() > 435.1 + 1e-9)
        return "range-coded value out of range";
    return {};
}

} // namespace

FuzzResult checkFrameReader(const uint8_t *data, size_t size)
{
    FuzzResult res;
    if (size == 0)
        return res;
    uint32_t seed = data[0] * 2654435761u + 1;
    ++data;
    --size;
    FrameReader reader;
    Model model;
    size_t at = 0;
    while (at < size) {
        seed = seed * 1103515245u + 12345u;
        const size_t n = std::min<size_t>(size - at, 1 + (seed >> 16) % 64);
        const FrameReader::Read got = reader.feed({data + at, n});
        const FrameReader::Read want = model.feed(data + at, n);
        at += n;

        if (got.frames != want.frames || got.badFrames != want.badFrames ||
            got.badChannels != want.badChannels || got.started != want.started)
            return {"reader and model disagree", res.frames};
        const RxState &s = reader.state();
        if (s.RxPos < 0 || s.RxPos > 18 || (!s.RxActive && s.RxPos != 0) || (s.RxActive && s.RxPos < 1) ||
            (s.RxMax != 0 && s.RxMax != Frames::DevLen))
            return {"receiver state out of range", res.frames};
        if (s.RxActive != model.open.has_value() || (s.RxActive && size_t(s.RxPos - 1) != model.open->size()))
            return {"receiver state and model disagree", res.frames};
        for (const auto &f : got.frames) {
            std::string e = checkFrame(f);
            if (!e.empty())
                return {e, res.frames};
        }
        res.frames += got.frames.size();
    }
    return res;
}

} // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const qx::fuzz::FuzzResult r = qx::fuzz::checkFrameReader(data, size);
    if (!r.error.empty()) {
        std::fprintf(stderr, "frame reader: %s\n", r.error.c_str());
        std::abort();
    }
    return 0;
}
