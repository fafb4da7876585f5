// Demo window of the chart control for screenshots:
//   curves_curvegraph_demo [time|cap] [zoom] [cursor] [points N] [width N] [gap]
// time: five curves of a discharge against time (both right axes shown);
// cap: voltage and current against the capacity in mAh, capacity and energy
// kept against seconds (the data viewer's layout). zoom drags a rubber band
// over the middle; cursor holds the right button down in the plot; width
// sets the chart's width (900 pixels otherwise); gap makes the readings of
// the middle tenth of the run not numbers (a break in every curve).
#include "curves/CurveGraph.h"
#include "common/Mouse.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cmath>
#include <limits>

namespace {

float volts(double f) // 4.2 V falling to 3.0 V with a knee at the end
{
    return float(4.2 - 0.7 * f - 0.5 * std::pow(f, 8));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool cap = args.contains("cap"), zoom = args.contains("zoom"), cursor = args.contains("cursor");
    int points = 3600;
    if (int i = int(args.indexOf("points")); i > 0 && i + 1 < args.size())
        points = args[i + 1].toInt();
    int width = 900;
    if (int i = int(args.indexOf("width")); i > 0 && i + 1 < args.size())
        width = args[i + 1].toInt();
    const bool gap = args.contains("gap");

    CurveGraph g;
    g.setWindowTitle(QStringLiteral("CurveGraph demo"));
    g.resize(width, 520);
    g.set_CurveCount(5);
    const char *names[] = {"Voltage", "Current", "Power", "Capacity", "Energy"};
    const uint32_t colours[] = {0xFF0000, 0x0000FF, 0x808000, 0x008000, 0x800080};
    const int axes[] = {0, 1, 2, 1, 2};
    for (int i = 0; i < 5; ++i) {
        g.set_CurveLineColor(i, colours[i]);
        g.set_CurveAxesY(i, axes[i]);
        const bool shown = !cap || i < 2;
        g.set_ShowCurve(i, shown);
        g.set_ShowLegend(i, shown);
        g.set_LegendText(i, QString::fromLatin1(names[i]));
    }
    g.set_MinY(0, 2.5f);
    g.set_MaxY(0, 4.5f);
    g.set_MaxY(1, 1.5f);
    g.set_MaxY(2, 5);
    g.set_Size(true);

    const double seconds = 3600;
    double ah = 0, wh = 0;
    for (int k = 0; k < points; ++k) {
        const double t = seconds * k / std::max(points - 1, 1);
        const double f = t / seconds;
        const float v = volts(f);
        const float i = float(1.0 + 0.05 * std::sin(t / 90));
        ah = 1.0 * t / 3600;
        wh += double(v) * i * (seconds / std::max(points - 1, 1)) / 3600;
        float x = cap ? float(ah * 1000) : float(t);
        if (gap && f > 0.45 && f < 0.55)
            x = std::numeric_limits<float>::quiet_NaN();
        g.AddXY(0, x, v);
        g.AddXY(1, x, i);
        g.AddXY(2, float(t), v * i);
        g.AddXY(3, float(t), float(ah));
        g.AddXY(4, float(t), float(wh));
    }
    if (cap) {
        g.set_TitleText(QStringLiteral("V--A--mAh"));
        g.set_xBarType(1);
        g.set_MaxX(1000);
        g.set_ShowAxesY2(false);
    } else {
        g.set_TitleText(QStringLiteral("QX Tester Software"));
        g.set_MaxX(float(seconds + 30));
        g.set_ShowAxesY2(true);
        g.set_AxesY2Txt(QStringLiteral("[W]"));
    }
    g.show();
    g.DrawCurve();

    QTimer::singleShot(300, &g, [&] {
        QWidget *s = g.picGraph();
        if (zoom) {
            qx::test::sendMouse(s, QEvent::MouseButtonPress, {300, 120}, Qt::LeftButton);
            qx::test::sendMouse(s, QEvent::MouseMove, {560, 380}, Qt::LeftButton);
            qx::test::sendMouse(s, QEvent::MouseButtonRelease, {560, 380}, Qt::LeftButton);
        }
        if (cursor) {
            const int x = 760;
            qx::test::sendMouse(s, QEvent::MouseButtonPress, {x, 200}, Qt::RightButton);
            qx::test::sendMouse(s, QEvent::MouseMove, {x, 210}, Qt::RightButton);
        }
    });
    return app.exec();
}
