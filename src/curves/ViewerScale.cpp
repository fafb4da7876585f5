#include "curves/ViewerScale.h"

#include <cmath>

namespace qx::curves {

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
