#pragma once
// The data viewer's axis arithmetic: the value ranges tracked over every
// point added (AddPoint) and the axis ends they give (AutoScale). No widgets.
#include <cmath>
#include <cstdint>

namespace qx::curves {

// Ranges of all points added so far; all zero after a load or "Clear".
struct DataRanges {
    int32_t XMax = 0;          // largest x, rounded to a whole number
    float VMax = 0, VMin = 0;  // V
    float IMax = 0, IMin = 0;  // A

    // One point: x (seconds or mAh), voltage V, current I. The caller makes
    // sure that x rounds into 32 bits.
    void add(float x, float V, float I);

private:
    static void track(float y, float &hi, float &lo);
};

// Nearest whole number, halves to even (as std::nearbyint in the default
// rounding mode), without a library call for the values a file gives.
inline double roundEven(double v)
{
    constexpr double Shift = 6755399441055744.0; // 1.5 x 2^52
    if (v > -2251799813685248.0 && v < 2251799813685248.0)
        return (v + Shift) - Shift;
    return std::nearbyint(v);
}

inline void DataRanges::track(float y, float &hi, float &lo)
{
    // Rounded to one decimal, halves to even.
    auto tenth = [](double v) { return float(roundEven(v * 10) / 10); };
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

inline void DataRanges::add(float x, float V, float I)
{
    if (x > XMax)
        XMax = int32_t(roundEven(x));
    track(V, VMax, VMin);
    track(I, IMax, IMin);
}

struct AxisEnds {
    float bottom = 0, top = 0;
};

// Ends of a value axis with unit u (0.5 V, 0.5 A or 0.05 A): the tracked
// range widened so that it covers a whole number of tenths of u.
AxisEnds scaleAxis(float max, float min, double unit);

// Units of the viewer's value axes.
constexpr double VoltUnit = 0.5;
constexpr double CurrentUnit = 0.5;
constexpr double FineCurrentUnit = 0.05; // files of the model "QM-30"

} // namespace qx::curves
