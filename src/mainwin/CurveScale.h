#pragma once
// The arithmetic that keeps a device chart's axes around its readings: the
// plot extremes of voltage, current and the third value (seeded by the
// first value, widened by later ones), the value axes made from them and
// the time axis following the elapsed time. Single precision throughout.
// No painting here.
#include <cstdint>

namespace qx::curvescale {

struct Pair {
    float max = 0, min = 0; // both 0: not seeded yet
    bool seeded() const { return !(max == 0 && min == 0); }
};

// An unseeded pair takes the value (optScale not 0) or the axis's present
// range (optScale 0).
void seed(Pair &p, float w, int optScale, float axisMax, float axisMin);
// Widens the pair for value w with the margin d (0.1 for voltage and
// current, 1 for the third value): the top to w + d rounded to one decimal
// when that lies above it; the bottom to w - d (one decimal) when below it,
// or to 0 as soon as w is at or below the margin.
void widen(Pair &p, float w, float d);

struct Range {
    float bottom = 0, top = 0;
};
// A value axis for the pair with step s: a span that is not a whole number
// of steps is raised to the next one, split over both ends, or all on top
// when the bottom is at or below one step.
Range axis(const Pair &p, float s);

// A curve value as its number picture shows it: v rounded to `decimals`
// places (half away from zero on the value's shortest decimal form).
float pictureRound(float v, int decimals);

// The right end of the time axis: moved to t + 30 whenever it lies outside
// t + 5 to t + 30.
float timeAxisEnd(float maxX, int32_t t);

} // namespace qx::curvescale
