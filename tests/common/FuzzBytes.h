#pragma once
// Byte streams for the fuzz drivers: an input as hex text, bytes biased
// towards the frame markers and the bytes no frame holds, and a few random
// edits of a stream (replace, insert, delete, flip a bit, cut), and the
// inputs of a driver made of them.
#include "link/Frames.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace qx::test {

inline std::string hexOf(const std::vector<uint8_t> &b)
{
    std::string s;
    char buf[4];
    for (uint8_t v : b) {
        std::snprintf(buf, sizeof buf, "%02X ", v);
        s += buf;
    }
    return s;
}

inline uint8_t biasedByte(std::mt19937 &rng)
{
    switch (rng() % 6) {
    case 0: return Frames::FrameStart;
    case 1: return Frames::FrameEnd;
    case 2: return uint8_t(240 + rng() % 16);
    default: return uint8_t(rng() % 240);
    }
}

inline void mutate(std::mt19937 &rng, std::vector<uint8_t> &s)
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

// Input number `run` of a driver with a fixed seed: a first byte that seeds
// the read sizes, then by turns up to 400 biased bytes (run % 3 == 0), the
// stream of valid frames that `stream` makes (1), or that stream edited (2).
template <class Stream>
std::vector<uint8_t> fuzzInput(std::mt19937 &rng, long run, Stream &&stream)
{
    std::vector<uint8_t> input{uint8_t(rng())};
    if (run % 3 == 0) {
        const size_t n = rng() % 400;
        for (size_t i = 0; i < n; ++i)
            input.push_back(biasedByte(rng));
        return input;
    }
    const std::vector<uint8_t> s = stream(rng);
    input.insert(input.end(), s.begin(), s.end());
    if (run % 3 == 2)
        mutate(rng, input);
    return input;
}

} // namespace qx::test
