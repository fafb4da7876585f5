// Runs the receive routine's fuzz target on a fixed number of random
// streams and mutated streams of valid device frames from a fixed seed
// (the target also builds for libFuzzer: recv_fuzz).
#define QX_RECV_FUZZ_NO_MAIN
#include "mainwin/recv_fuzz.cpp"

#include "MainFixture.h"

#include "link/Frames.h"

#include "common/FuzzBytes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// Frames a device could send, and some it could not: any status byte, any
// pair, a type code of a known model or any other, either channel.
Bytes frameStream(std::mt19937 &rng)
{
    static const int types[] = {0, 1, 4, 5, 6, 8, 9, 10, 17, 18, 19, 21, 25, 26, 28, 35, 36, 38, 40, 41, 43, 51, 99};
    Bytes s;
    const size_t count = 1 + rng() % 16;
    for (size_t i = 0; i < count; ++i) {
        std::array<int32_t, 7> pairs{};
        for (auto &p : pairs)
            p = rng() % 3 ? int32_t(rng() % 5000) : int32_t(rng() % (qx::Frames::MaxPair + 1));
        const int status = rng() % 4 ? int(rng() % 2) * 100 + int(rng() % 3) * 10 + int(rng() % 10) : int(rng() % 240);
        const int type = (rng() % 3 ? types[rng() % std::size(types)] : int(rng() % 100)) + (rng() % 2 ? 100 : 0);
        const auto f = qx::Frames::deviceFrame(status, pairs, type);
        s.insert(s.end(), f.begin(), f.end());
    }
    return s;
}

class RecvFuzz : public qx::test::MainFixture {};

} // namespace

TEST_F(RecvFuzz, RandomAndMutatedStreamsKeepEveryInvariant)
{
    // A fixed number of inputs from a fixed seed: every machine checks the same.
    constexpr long Runs = 3000;
    QTemporaryDir ram(qx::fuzz::homePattern());
    const QString previousHome = qx::homeDir();
    qx::setHomeDir(ram.path());
    struct Restore {
        QString home;
        ~Restore() { qx::setHomeDir(home); }
    } restore{previousHome};
    qx::fuzz::RecvTarget target;
    std::mt19937 rng(20240305);
    for (long runs = 0; runs < Runs; ++runs) {
        const Bytes input = qx::test::fuzzInput(rng, runs, frameStream);
        const std::string e = target.check(input.data(), input.size());
        ASSERT_EQ(e, "") << "input " << runs << ": " << qx::test::hexOf(input);
    }
}
