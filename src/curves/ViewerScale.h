#pragma once
// The data viewer's axis arithmetic: the value ranges tracked over every
// point added (AddPoint) and the axis ends they give (AutoScale). No widgets.
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
};

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
