#include "curves/MainViews.h"

namespace qx::curves {

namespace {
MainViews *&registered()
{
    static MainViews *v = nullptr;
    return v;
}
} // namespace

MainViews *mainViews() { return registered(); }

MainViews *setMainViews(MainViews *views)
{
    MainViews *old = registered();
    registered() = views;
    return old;
}

} // namespace qx::curves
