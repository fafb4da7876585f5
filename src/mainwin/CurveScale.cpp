#include "mainwin/CurveScale.h"

#include "platform/Numbers.h"

#include <cmath>

namespace qx::curvescale {

namespace {
float oneDecimal(float v) { return float(num::roundHalfEven(double(v) * 10) / 10); }
} // namespace

void seed(Pair &p, float w, int optScale, float axisMax, float axisMin)
{
    if (p.seeded())
        return;
    if (optScale != 0) {
        p.max = w;
        p.min = w;
    } else {
        p.max = axisMax;
        p.min = axisMin;
    }
}

void widen(Pair &p, float w, float d)
{
    if (w + d > p.max)
        p.max = oneDecimal(w + d);
    if (w > d) {
        if (w - d < p.min)
            p.min = oneDecimal(w - d);
    } else {
        p.min = 0;
    }
}

Range axis(const Pair &p, float s)
{
    const float steps = (p.max - p.min) / (s / 10);
    if (!std::isfinite(steps))
        return {p.min, p.max};
    const int n = int(std::fmod(num::roundHalfEven(double(steps)), 10.0));
    if (n == 0)
        return {p.min, p.max};
    const float extra = float(10 - n) * s;
    if (p.min > s)
        return {p.min - extra / 20, p.max + extra / 20};
    return {p.min, p.max + extra / 10};
}

float pictureRound(float v, int decimals)
{
    const QString picture = decimals > 0 ? QStringLiteral("0.") + QString(decimals, QLatin1Char('0')) : QStringLiteral("0");
    return float(num::val(num::format(v, picture)));
}

float timeAxisEnd(float maxX, int32_t t)
{
    const float ahead = float(t) + 30;
    if (maxX < float(t) + 5)
        maxX = ahead;
    if (maxX > ahead)
        maxX = ahead;
    return maxX;
}

} // namespace qx::curvescale
