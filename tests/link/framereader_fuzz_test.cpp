// Runs the frame reader's fuzz target on a fixed number of random streams and
// mutated streams of valid frames from a fixed seed (the target also builds for libFuzzer).
#include "link/framereader_fuzz.cpp"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

std::string hex(const Bytes &b)
{
    std::string s;
    char buf[4];
    for (uint8_t v : b) {
        std::snprintf(buf, sizeof buf, "%02X ", v);
        s += buf;
    }
    return s;
}

// A stream of valid device frames with random fields; count receives their number.
Bytes validStream(std::mt19937 &rng, size_t &count)
{
    Bytes s;
    count = 1 + rng() % 12;
    for (size_t i = 0; i < count; ++i) {
        std::array<int32_t, 7> pairs{};
        for (auto &p : pairs)
            p = int32_t(rng() % (qx::Frames::MaxPair + 1));
        const int status = int(rng() % 240);
        const int type = int(1 + rng() % 99) + (rng() % 2 ? 100 : 0);
        const auto f = qx::Frames::deviceFrame(status, pairs, type);
        s.insert(s.end(), f.begin(), f.end());
    }
    return s;
}

uint8_t biasedByte(std::mt19937 &rng)
{
    switch (rng() % 6) {
    case 0: return qx::Frames::FrameStart;
    case 1: return qx::Frames::FrameEnd;
    case 2: return uint8_t(240 + rng() % 16);
    default: return uint8_t(rng() % 240);
    }
}

void mutate(std::mt19937 &rng, Bytes &s)
{
    const int edits = 1 + int(rng() % 4);
    for (int i = 0; i < edits && !s.empty(); ++i) {
        const size_t at = rng() % s.size();
        switch (rng() % 5) {
        case 0: s[at] = biasedByte(rng); break;                         // replace
        case 1: s.insert(s.begin() + long(at), biasedByte(rng)); break; // insert
        case 2: s.erase(s.begin() + long(at)); break;                   // delete
        case 3: s[at] ^= uint8_t(1u << (rng() % 8)); break;             // flip a bit
        default: s.resize(at); break;                                   // cut
        }
    }
}

} // namespace

TEST(FrameReaderFuzz, RandomAndMutatedStreamsKeepEveryInvariant)
{
    // A fixed number of inputs from a fixed seed: every machine checks the same.
    constexpr long Runs = 30000;
    std::mt19937 rng(20240305);
    for (long runs = 0; runs < Runs; ++runs) {
        Bytes input{uint8_t(rng())}; // the read-size seed
        size_t count = 0;
        const int kind = int(runs % 3);
        if (kind == 0) {
            const size_t n = rng() % 400;
            for (size_t i = 0; i < n; ++i)
                input.push_back(biasedByte(rng));
        } else {
            const Bytes s = validStream(rng, count);
            input.insert(input.end(), s.begin(), s.end());
            if (kind == 2)
                mutate(rng, input);
        }
        const qx::fuzz::FuzzResult r = qx::fuzz::checkFrameReader(input.data(), input.size());
        ASSERT_EQ(r.error, "") << "input: " << hex(input);
        if (kind == 1) {
            ASSERT_EQ(r.frames, count) << "a clean stream lost frames: " << hex(input);
        }
    }
}
