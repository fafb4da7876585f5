#include "tools/MainOps.h"

namespace qx::tools {

namespace {
MainOps *&registered()
{
    static MainOps *ops = nullptr;
    return ops;
}
} // namespace

MainOps *mainOps() { return registered(); }

MainOps *setMainOps(MainOps *ops)
{
    MainOps *old = registered();
    registered() = ops;
    return old;
}

} // namespace qx::tools
