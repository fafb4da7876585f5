// Runs the frame reader's fuzz target on a fixed number of random streams and
// mutated streams of valid frames from a fixed seed (the target also builds for libFuzzer).
#include "link/framereader_fuzz.cpp"

#include "common/FuzzBytes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

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

} // namespace

TEST(FrameReaderFuzz, RandomAndMutatedStreamsKeepEveryInvariant)
{
    // A fixed number of inputs from a fixed seed: every machine checks the same.
    constexpr long Runs = 30000;
    std::mt19937 rng(20240305);
    for (long runs = 0; runs < Runs; ++runs) {
        size_t count = 0;
        const Bytes input = qx::test::fuzzInput(rng, runs, [&](std::mt19937 &r) { return validStream(r, count); });
        const qx::fuzz::FuzzResult r = qx::fuzz::checkFrameReader(input.data(), input.size());
        ASSERT_EQ(r.error, "") << "input: " << qx::test::hexOf(input);
        if (runs % 3 == 1) {
            ASSERT_EQ(r.frames, count) << "a clean stream lost frames: " << qx::test::hexOf(input);
        }
    }
}
