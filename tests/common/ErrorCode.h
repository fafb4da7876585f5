#pragma once
// The error code that an action fails with (0 when it does not fail).
#include "platform/QxError.h"

#include <functional>

namespace qx::test {

inline int errorCode(const std::function<void()> &f)
{
    try {
        f();
    } catch (const qx::QxError &e) {
        return e.code();
    }
    return 0;
}

} // namespace qx::test
