#pragma once
// The curves of a chart come in sets of five: a device tab's chart has one
// set per channel, the data viewer's one per file it shows, the quick-charge
// test's chart one. Within a set the curves keep this order, so a curve's
// index on the chart is its set times five plus its place here.
namespace qx::curves {

enum class Curve : int {
    Voltage = 0,
    Current = 1,
    PowerOrTemp = 2, // power, or the temperature where the device reports one and it is chosen
    Capacity = 3,
    Energy = 4,
};

inline constexpr int CurvesPerSet = 5;
inline constexpr Curve AllCurves[CurvesPerSet] = {Curve::Voltage, Curve::Current, Curve::PowerOrTemp, Curve::Capacity,
                                                  Curve::Energy};
// The curves drawn against a value axis (the capacity and energy curves
// keep their points undrawn), each on the axis of its own number: voltage
// 0, current 1, power or temperature 2.
inline constexpr Curve AxisCurves[3] = {Curve::Voltage, Curve::Current, Curve::PowerOrTemp};

// The chart index of curve k of set `set` (a channel, or a file of the viewer).
constexpr int curveSlot(int set, Curve k) { return set * CurvesPerSet + static_cast<int>(k); }

// The chart index of curve k of the newest set of a chart with `curveCount`
// curves (negative when the chart has fewer than five).
constexpr int lastSetSlot(int curveCount, Curve k) { return curveCount - CurvesPerSet + static_cast<int>(k); }

} // namespace qx::curves
