#pragma once
// The checks of a device panel's three setting boxes when one loses the
// focus: the set value (a current, or a power in the power mode), the limit
// (a voltage, or a cell count) and the third value (minutes, or a cut-off
// current). A check decides whether the text is a number and within the
// device's bounds, and which text replaces a value out of range.
//
// Bounds by field and case (the first case that applies; bounds allowed):
//   set value   power: mode 1 of a type other than 1-4, 8, 25, 26, 40
//                 0.1 to 1000; above -> "100", below -> "1"
//               current: MinCur to MaxCur (single precision); a violated
//                 bound replaces the value, written "0.00"
//   limit       cells: types 1-4 in modes 1 to 5: a whole number from 1 to
//                 the model's maximum; above -> that maximum, below 1 or not
//                 whole -> "1"
//               voltage: MinVol to MaxVol (single); the violated bound, "0.00"
//   third       cut-off current: the mode LastChgMode with CvFlag set, and
//                 mode 8 of type 5 (sent as a cut-off current too):
//                 MinCur to MaxCur (single); either side -> MinCur, "0.00"
//               minutes: 0 to 999; above -> "999", below -> "0"
// A number too large for single precision counts as out of range on its side.
#include "services/DeviceLimits.h"
#include "services/Refusal.h"

#include <QString>

namespace qx::inputs {

enum class Field { Sval, Slmt, Stim };

struct Outcome {
    Verdict verdict = Verdict::Accepted;
    QString replacement;  // the box's new text when OutOfRange
};

// The check of the field's text for a device in mode index `mode`.
Outcome check(Field field, const DeviceLimits &d, int mode, const QString &text);

} // namespace qx::inputs
