#include "services/InputChecks.h"

#include "link/ModelTable.h"
#include "platform/Numbers.h"

#include <cmath>

namespace qx::inputs {

namespace {

const QString Picture2 = QStringLiteral("0.00");

bool isPowerMode(const DeviceLimits &l, int mode)
{
    if (mode != models::PowerMode)
        return false;
    // Mode 1 charges cells, holds a constant voltage (types 8 and 40) or reads a meter.
    const int t = l.devType;
    return !models::chargesByCells(t) && t != 8 && t != 40 && !models::hasMeterAtModeOne(t);
}

// Largest cell count of the model's cell-count modes; 0 outside them.
int cellMax(const DeviceLimits &l, int mode)
{
    if (!models::chargesByCells(l.devType) || !models::isCellMode(mode))
        return 0;
    // By profile, from mode 1.
    static constexpr int small[] = {8, 8, 3, 4, 6};   // types 1 and 3
    static constexpr int large[] = {12, 12, 4, 4, 8}; // types 2 and 4
    return (l.devType == 1 || l.devType == 3) ? small[mode - 1] : large[mode - 1];
}

bool isCutoffCurrent(const DeviceLimits &l, int mode)
{
    return (mode == l.lastChgMode && l.cvFlag) || (l.devType == 5 && mode == models::DisplayOnlyMode);
}

template <class T>
Outcome within(T v, T lo, const QString &loText, T hi, const QString &hiText)
{
    if (v > hi)
        return {Verdict::OutOfRange, hiText};
    if (v < lo)
        return {Verdict::OutOfRange, loText};
    return {};
}

} // namespace

Outcome check(Field field, const DeviceLimits &l, int mode, const QString &text)
{
    if (!num::isNumeric(text))
        return {Verdict::NotNumber, QString()};
    const double v = num::toDouble(text);
    switch (field) {
    case Field::Sval:
        if (isPowerMode(l, mode))
            return within(v, 0.1, QStringLiteral("1"), 1000.0, QStringLiteral("100"));
        return within(num::single(v), l.minCur, num::format(l.minCur, Picture2), l.maxCur,
                      num::format(l.maxCur, Picture2));
    case Field::Slmt:
        if (const int most = cellMax(l, mode)) {
            if (v > most)
                return {Verdict::OutOfRange, QString::number(most)};
            if (v < 1 || v != std::floor(v))
                return {Verdict::OutOfRange, QStringLiteral("1")};
            return {};
        }
        return within(num::single(v), l.minVol, num::format(l.minVol, Picture2), l.maxVol,
                      num::format(l.maxVol, Picture2));
    case Field::Stim:
        if (isCutoffCurrent(l, mode)) {
            const QString minText = num::format(l.minCur, Picture2);
            return within(num::single(v), l.minCur, minText, l.maxCur, minText);
        }
        return within(v, 0.0, QStringLiteral("0"), 999.0, QStringLiteral("999"));
    }
    return {};
}

} // namespace qx::inputs
