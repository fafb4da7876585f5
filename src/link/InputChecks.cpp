#include "link/InputChecks.h"

#include "link/State.h"
#include "platform/Numbers.h"

#include <cmath>
#include <limits>

namespace qx::inputs {

namespace {

const QString Picture2 = QStringLiteral("0.00");

bool isPowerMode(const Limits &l)
{
    if (l.mode != 1)
        return false;
    switch (l.devType) {
    case 1: case 2: case 3: case 4: case 8: case 25: case 26: case 40:
        return false;
    default:
        return true;
    }
}

// Largest cell count of the model's cell-count modes; 0 outside them.
int cellMax(const Limits &l)
{
    if (l.devType < 1 || l.devType > 4 || l.mode < 1 || l.mode > 5)
        return 0;
    static constexpr int small[] = {8, 8, 3, 4, 6};   // types 1 and 3
    static constexpr int large[] = {12, 12, 4, 4, 8}; // types 2 and 4
    return (l.devType == 1 || l.devType == 3) ? small[l.mode - 1] : large[l.mode - 1];
}

bool isCutoffCurrent(const Limits &l)
{
    return (l.mode == l.lastChgMode && l.cvFlag) || (l.devType == 5 && l.mode == 8);
}

// The number in single precision; beyond its range an infinity of that sign.
float single(double v)
{
    constexpr double top = std::numeric_limits<float>::max();
    if (v > top)
        return std::numeric_limits<float>::infinity();
    if (v < -top)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

template <class T>
Verdict within(T v, T lo, const QString &loText, T hi, const QString &hiText)
{
    if (v > hi)
        return {Verdict::OutOfRange, hiText};
    if (v < lo)
        return {Verdict::OutOfRange, loText};
    return {};
}

} // namespace

Limits limitsOf(int Index, int chn)
{
    Limits l;
    l.devType = DevType[Index];
    l.mode = chan(Index, chn).Mode;
    l.maxCur = MaxCur[Index];
    l.minCur = MinCur[Index];
    l.maxVol = MaxVol[Index];
    l.minVol = MinVol[Index];
    l.lastChgMode = LastChgMode[Index];
    l.cvFlag = CvFlag[Index];
    return l;
}

Verdict check(Field field, const Limits &l, const QString &text)
{
    if (!num::isNumeric(text))
        return {Verdict::NotNumber, QString()};
    const double v = num::toDouble(text);
    switch (field) {
    case Field::Sval:
        if (isPowerMode(l))
            return within(v, 0.1, QStringLiteral("1"), 1000.0, QStringLiteral("100"));
        return within(single(v), l.minCur, num::format(l.minCur, Picture2), l.maxCur,
                      num::format(l.maxCur, Picture2));
    case Field::Slmt:
        if (const int most = cellMax(l)) {
            if (v > most)
                return {Verdict::OutOfRange, QString::number(most)};
            if (v < 1 || v != std::floor(v))
                return {Verdict::OutOfRange, QStringLiteral("1")};
            return {};
        }
        return within(single(v), l.minVol, num::format(l.minVol, Picture2), l.maxVol,
                      num::format(l.maxVol, Picture2));
    case Field::Stim:
        if (isCutoffCurrent(l)) {
            const QString minText = num::format(l.minCur, Picture2);
            return within(single(v), l.minCur, minText, l.maxCur, minText);
        }
        return within(v, 0.0, QStringLiteral("0"), 999.0, QStringLiteral("999"));
    }
    return {};
}

} // namespace qx::inputs
