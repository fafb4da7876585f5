#pragma once
// The rules of the calibration and resistance-test windows, free of widgets:
// the calibration scale of a device, the checks of an entered point or test
// current, and the command frames both windows send.
//
// Calibration frame: operation 4 on the chosen channel, mode digit 0;
// d1 the sub-command, d2:d3 the value as a base-240 pair, d4..d6 zero.
// Resistance-test frame: operation 9 on the chosen channel, mode digit 0;
// d1:d2 the test current (mA, or tens of mA on devices with CurScale 100).
#include "link/Frames.h"
#include "services/Refusal.h"

#include <QString>
#include <cstdint>

namespace qx::adjres {

// Calibration sub-commands (d1).
enum Sub : int {
    CalVoltLow = 0,
    CalVoltHigh = 1,
    CalCurLow = 2,
    CalCurHigh = 3,
    CalStore = 4,
    CalReset = 5,
};

using qx::Verdict;
using qx::tell;

// Raw units per ampere of a current point: CurScale, times ten for type 26
// from firmware 320, type 5 with firmware exactly 310 and the types 6, 7, 9,
// 10, 19, 20, 31, 32, 33, 35, 36 and 38.
float adjScale(int type, int version, int curScale);
// The current fields' picture: "0.00" for a scale of 100, "0.000" for 1000,
// else "0.0000".
QString curFormat(float adjScale);
// The voltage fields' picture.
inline QString volFormat() { return QStringLiteral("0.000"); }

// Leave-check of a point field: a number from 0 to max.
Verdict fieldCheck(const QString &text, float max);

struct Point {
    Verdict verdict = Verdict::NotNumber;
    int32_t value = 0; // the frame value when accepted
};
// A point about to be sent: the entry must be a number from 0 to max,
// within 0.9 to 1.1 times the panel's present reading (a reading that is
// not a number accepts nothing), and entry x scale, rounded half to even,
// must fit a base-240 pair (at most 57599).
Point pointCheck(const QString &text, float max, const QString &reading, double scale);

// The calibration frame; QxError(ErrOverflow) for a value outside 0..57599.
Frames::CmdBuf calibFrame(int chn, int sub, int32_t value);

// Leave-check and Test check of the test current: a number from 200 to 30000 mA.
Verdict resCheck(const QString &text);

struct ResCurrent {
    int32_t frameValue = 0; // what d1:d2 carry
    double mA = 0;          // the current that value stands for
};
// The current a test sends for the typed text: the text rounded half to
// even, or the device's maximum when that is not above the text; in tens of
// mA when CurScale is 100. QxError(ErrTypeMismatch) or ErrOverflow when the
// text is not a number of 16-bit range.
ResCurrent resCurrent(const QString &text, float maxCur, int curScale);

// The resistance-test frame; QxError(ErrOverflow) outside 0..57599.
Frames::CmdBuf resFrame(int chn, int32_t value);

// The result in milliohm, "0.0": volts over the test current in mA.
QString resResult(float volts, double mA);

} // namespace qx::adjres
