// Curve points of a channel and the automatic scaling of the device chart:
// extremes seeded and widened, value axes rounded up to whole steps, the
// time axis 5 to 30 s ahead, and one drawing per turn of the event loop.
#include "MainFixture.h"

#include "common/PaintCounter.h"
#include "curves/CurveGraph.h"
#include "services/State.h"
#include "platform/KeyedTabBar.h"
#include "platform/Numbers.h"

#include <QCoreApplication>
#include <QEvent>

using namespace qx;

namespace {

class Curves : public test::MainFixture {
protected:
    void SetUp() override
    {
        w = &load();
        DevType[0] = 1;
        CurScale[0] = 100;
    }
    CurveGraph &g() { return w->CurveGraph(0); }
    // Axis k as "bottom..top".
    std::string axis(int k) { return range(g().MinY(k), g().MaxY(k)); }
    static std::string pair(float max, float min) { return range(min, max); }
    static std::string range(float lo, float hi)
    {
        return (num::general(lo) + QStringLiteral("..") + num::general(hi)).toStdString();
    }

    frmMain *w = nullptr;
};


} // namespace

TEST_F(Curves, FirstPointSeedsTheExtremesAndTheAxes)
{
    OptScale = 1;
    w->CurveAddPoint(0, 12.34f, 1.5f, 18.5f, 0, 0);
    const DeviceState &d = dev(0);
    EXPECT_EQ(pair(d.PlotVMax, d.PlotVMin), "12.2..12.4");
    EXPECT_EQ(axis(0), "12.05..12.55"); // four tenths of a step: the rest split
    EXPECT_EQ(pair(d.PlotIMax, d.PlotIMin), "1.4..1.6");
    EXPECT_EQ(axis(1), "1.25..1.75");
    EXPECT_EQ(pair(d.PlotY2Max, d.PlotY2Min), "17.5..19.5");
    EXPECT_EQ(axis(2), "17.5..19.5"); // the third axis takes the pair as it is

    // From the chart's present ranges when SCALE is 0.
    dev(0) = DeviceState{};
    OptScale = 0;
    g().set_MinY(0, 0);
    g().set_MaxY(0, 20);
    w->CurveAddPoint(1, 12.34f, 1.5f, 18.5f, 0, 0);
    EXPECT_EQ(pair(dev(0).PlotVMax, dev(0).PlotVMin), "0..20");
    EXPECT_EQ(axis(0), "0..20");
}

TEST_F(Curves, ExtremesWidenAndBottomsFallToZero)
{
    OptScale = 1;
    const DeviceState &d = dev(0);
    w->CurveAddPoint(0, 12.34f, 1.5f, 18.5f, 0, 0);
    w->CurveAddPoint(1, 11.0f, 2.0f, 18.5f, 0, 0);
    EXPECT_EQ(pair(d.PlotVMax, d.PlotVMin), "10.9..12.4");
    EXPECT_EQ(axis(0), "10.9..12.4"); // 1.5 V: whole steps already
    EXPECT_EQ(pair(d.PlotIMax, d.PlotIMin), "1.4..2.1");
    EXPECT_EQ(axis(1), "1.25..2.25");

    // At or below the margin the bottom drops to 0; the top never falls.
    w->CurveAddPoint(2, 0.1f, 0.05f, 1.0f, 0, 0);
    EXPECT_EQ(pair(d.PlotVMax, d.PlotVMin), "0..12.4");
    EXPECT_EQ(axis(0), "0..12.5"); // bottom at 0: the extra span on top
    EXPECT_EQ(pair(d.PlotIMax, d.PlotIMin), "0..2.1");
    EXPECT_EQ(pair(d.PlotY2Max, d.PlotY2Min), "0..19.5");

    // Voltage 0.3 to 4.0: the axis 0.3 to 4.3.
    dev(0).PlotVMin = 0.3f;
    dev(0).PlotVMax = 4.0f;
    w->CurveAutoScale(0);
    EXPECT_EQ(axis(0), "0.3..4.3");

    // Current 1.1 to 1.3: steps of 0.05 A on type 35, 0.5 A on the others.
    dev(0).PlotIMin = 1.1f;
    dev(0).PlotIMax = 1.3f;
    w->CurveAutoScale(0);
    EXPECT_EQ(axis(1), "0.95..1.45");
    DevType[0] = 35;
    w->CurveAutoScale(0);
    EXPECT_EQ(axis(1), "1.1..1.3");
}

TEST_F(Curves, TimeAxisStaysFiveToThirtySecondsAhead)
{
    const struct {
        float maxX;
        int32_t t;
        float expected;
    } cases[] = {{10, 0, 10}, {10, 6, 36}, {100, 0, 30}, {36, 6, 36}, {35, 6, 35}, {11, 6, 11}, {10.9f, 6, 36}};
    for (const auto &c : cases) {
        g().set_MaxX(c.maxX);
        dev(0).CurveMaxT = c.t;
        w->CurveAutoScale(0);
        EXPECT_EQ(g().MaxX(), c.expected) << c.maxX << " " << c.t;
    }
}

TEST_F(Curves, PointsAreRoundedPerCurveAndTheQuietVariantDrawsNothing)
{
    OptScale = 1;
    w->CurveAddPoint(7, 12.3456f, 1.234f, 18.55f, 0, 0);
    EXPECT_EQ(g().DpX(0, 0), 7.0f);
    EXPECT_EQ(num::general(g().DpY(0, 0)).toStdString(), "12.346");
    EXPECT_EQ(num::general(g().DpY(1, 0)).toStdString(), "1.23"); // two decimals at scale 100
    EXPECT_EQ(num::general(g().DpY(2, 0)).toStdString(), "18.6");
    CurScale[0] = 1000;
    w->CurveAddPoint(8, 12.3456f, 1.2345f, 18.5f, 0, 0);
    EXPECT_EQ(num::general(g().DpY(1, 1)).toStdString(), "1.235"); // three decimals at scale 1000
    EXPECT_EQ(num::general(chan(0, 0).VolSum).toStdString(), "24.6912");
    EXPECT_EQ(g().DpCnt(3), 0); // capacity and energy come from the presentation

    // The quiet variant: same extremes, sum and points, axes untouched.
    const float minY = g().MinY(0), maxY = g().MaxY(0), maxX = g().MaxX();
    w->CurveAddPointQuiet(9, 30.0f, 5.0f, 50.0f, 0, 0);
    EXPECT_EQ(pair(dev(0).PlotVMax, dev(0).PlotVMin), "12.2..30.1");
    EXPECT_EQ(g().DpCnt(0), 3);
    EXPECT_EQ(g().MinY(0), minY);
    EXPECT_EQ(g().MaxY(0), maxY);
    EXPECT_EQ(g().MaxX(), maxX);
}

TEST_F(Curves, BothChannelsWidenTheDevicesExtremes)
{
    OptScale = 1;
    w->InitDual(0);
    w->CurveAddPoint(3, 12.0f, 1.0f, 12.0f, 0, 0);
    w->CurveAddPoint(3, 3.6f, 2.5f, 9.0f, 0, 1);
    EXPECT_EQ(pair(dev(0).PlotVMax, dev(0).PlotVMin), "3.5..12.1");
    EXPECT_EQ(g().DpCnt(5), 1);
    EXPECT_EQ(g().DpY(5, 0), 3.6f);
    EXPECT_EQ(g().DpCnt(0), 1);
    EXPECT_EQ(chan(0, 1).VolSum, 3.6f);

    // A channel outside the chart: logged, nothing added.
    w->CurveAddPoint(3, 1.0f, 1.0f, 1.0f, 0, 2);
    w->CurveAddPointQuiet(3, 1.0f, 1.0f, 1.0f, 11, 0);
}

TEST_F(Curves, OneDrawingPerTurnOfTheEventLoopAndNoneWhileHidden)
{
    w->show();
    w->menuAddDev_Click();
    QCoreApplication::processEvents();
    test::PaintCounter shown(g().picGraph()), hidden(w->CurveGraph(1).picGraph());
    for (int x = 0; x < 20; ++x) {
        w->CurveAddPoint(x, 12.0f - x * 0.01f, 1.0f, 12.0f, 0, 0);
        w->CurveAddPoint(x, 12.0f - x * 0.01f, 1.0f, 12.0f, 1, 0);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.paints, 1);
    EXPECT_EQ(hidden.paints, 0); // device 2's tab is not selected

    w->tabDev->setCurrentIndex(1);
    w->tabDev_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(hidden.paints, 1);
}
