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

class RecvFuzz : public qx::test::MainFixture {
protected:
    // The target keeps its home folder in memory, as the fuzz build does.
    void SetUp() override { qx::setHomeDir(ram.path()); }
    void TearDown() override { qx::setHomeDir(previousHome); }

    QTemporaryDir ram{qx::fuzz::homePattern()};
    QString previousHome = qx::homeDir();
};

Bytes frame(int status, int typeByte, const std::array<int32_t, 7> &pairs)
{
    const auto f = qx::Frames::deviceFrame(status, pairs, typeByte);
    return Bytes(f.begin(), f.end());
}

} // namespace

TEST_F(RecvFuzz, AnInputGivesWhatItGivesAloneAfterAnyOther)
{
    qx::fuzz::RecvTarget target;
    // A device of a type without a model row (43), identified by a data
    // frame; in one input it reports at most 0.50 A, in the other it reads 1.00 A.
    Bytes limit{0};
    for (const Bytes &f : {frame(0, 43, {0, 3700, 0, 0, 0, 0, 0}), frame(100, 43, {0, 3700, 0, 0, 320, 3000, 50})})
        limit.insert(limit.end(), f.begin(), f.end());
    Bytes reading{0};
    for (const Bytes &f : {frame(0, 43, {0, 3700, 0, 0, 0, 0, 0}), frame(0, 43, {100, 3700, 0, 0, 0, 0, 0})})
        reading.insert(reading.end(), f.begin(), f.end());
    const DevCtrl &p = frmMainForm()->DevCtrl(0);

    ASSERT_EQ(target.check(reading.data(), reading.size()), "");
    ASSERT_EQ(p.tCur(0).toStdString(), "01.00");
    ASSERT_EQ(target.check(limit.data(), limit.size()), "");
    ASSERT_EQ(target.check(reading.data(), reading.size()), "");
    EXPECT_EQ(p.tCur(0).toStdString(), "01.00") << "the limit of the input before refused the reading";
}

TEST_F(RecvFuzz, RandomAndMutatedStreamsKeepEveryInvariant)
{
    // A fixed number of inputs from a fixed seed: every machine checks the same.
    constexpr long Runs = 3000;
    qx::fuzz::RecvTarget target;
    std::mt19937 rng(20240305);
    for (long runs = 0; runs < Runs; ++runs) {
        const Bytes input = qx::test::fuzzInput(rng, runs, frameStream);
        const std::string e = target.check(input.data(), input.size());
        ASSERT_EQ(e, "") << "input " << runs << ": " << qx::test::hexOf(input);
    }
}
