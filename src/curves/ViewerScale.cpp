#include "curves/ViewerScale.h"

#include <cmath>

namespace qx::curves {

namespace {

// Rounded to one decimal, halves to even.
float tenth(double v) { return float(std::nearbyint(v * 10) / 10); }

void track(float y, float &hi, float &lo)
{
    if (hi == 0 && lo == 0)
        hi = lo = y;
    if (double(y) + 0.1 > hi)
        hi = tenth(double(y) + 0.1);
    if (y > 0.1) {
        if (double(y) - 0.1 < lo)
            lo = tenth(double(y) - 0.1);
    } else {
        lo = 0;
    }
}

} // namespace

void DataRanges::add(float x, float V, float I)
{
    if (x > XMax)
        XMax = int32_t(std::nearbyint(x));
    track(V, VMax, VMin);
    track(I, IMax, IMin);
}

AxisEnds scaleAxis(float max, float min, double unit)
{
    const double s = unit / 10;
    const double steps = std::nearbyint((double(max) - min) / s);
    const int n = std::isfinite(steps) ? int(std::fmod(steps, 10.0)) : 0;
    if (n == 0)
        return {min, max};
    if (min <= unit)
        return {min, float(max + (10 - n) * s)};
    return {float(min - (10 - n) * s / 2), float(max + (10 - n) * s / 2)};
}

} // namespace qx::curves
