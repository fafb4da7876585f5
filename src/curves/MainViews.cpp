#include "curves/MainViews.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"

namespace qx::curves {

namespace {
MainViews *&registered()
{
    static MainViews *v = nullptr;
    return v;
}
} // namespace

void copyFirstChartStyle(::CurveGraph &g)
{
    const MainViews *m = mainViews();
    if (!m || m->viewCount() < 1)
        return;
    const ::CurveGraph &from = m->chart(0);
    for (const Curve k : AxisCurves)
        g.set_CurveLineColor(curveSlot(0, k), from.CurveLineColor(curveSlot(0, k)));
    g.set_Line(from.Line());
    g.set_GridType1(from.GridType1());
    g.set_GridType2(from.GridType2());
    g.set_GridColor(from.GridColor());
    g.set_BackColor(from.BackColor());
    g.set_AxesColor(from.AxesColor());
}

MainViews *mainViews() { return registered(); }

MainViews *setMainViews(MainViews *views)
{
    MainViews *old = registered();
    registered() = views;
    return old;
}

} // namespace qx::curves
