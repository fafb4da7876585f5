#pragma once
// What a channel's test runs with, as the device reports it in a data frame
// (mode digit and the three raw setting pairs): the run log records it, so
// that a test taken over can be told from another one on the same channel.
#include <cstdint>

namespace qx {

struct RunSettings {
    int mode = 0;
    int32_t set = 0, limit = 0, third = 0;
    bool operator==(const RunSettings &) const = default;
};

} // namespace qx
