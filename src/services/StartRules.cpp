#include "services/StartRules.h"

#include "link/Frames.h"
#include "link/ModelTable.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

namespace qx::startrules {

namespace {

bool oneOf(int v, std::initializer_list<int> set)
{
    for (int x : set)
        if (x == v)
            return true;
    return false;
}

bool between(int v, int lo, int hi) { return v >= lo && v <= hi; }

void putPair(std::array<int, 6> &data, int k, int32_t v)
{
    const Frames::Pair p = Frames::encodePair(v);
    data[size_t(k - 1)] = p.hi;
    data[size_t(k)] = p.lo;
}

} // namespace

Rule ruleFor(int T, int M, int lastDisMode)
{
    using models::PowerMode;
    if (models::cellRulesApply(T))
        return models::isCellMode(M) ? Rule::Cells : Rule::None;
    if (models::chargesByCellsWithPower(T)) {
        if (M == PowerMode)
            return Rule::Power;
        if (models::isCellModeAfterPower(M))
            return Rule::Cells;
        return M >= models::DisplayOnlyMode ? Rule::Zero : Rule::None;
    }
    if (oneOf(T, {7, 36, 37})) {
        if (M == PowerMode)
            return Rule::Power;
        if (between(M, 3, 6))
            return Rule::Cells;
        return M >= models::DisplayOnlyMode ? Rule::Zero : Rule::None;
    }
    // While their list keeps the power mode, it is their last discharge mode.
    if (models::losesPowerModeWithFirmware(T))
        return M == PowerMode && lastDisMode == PowerMode ? Rule::Power : Rule::None;
    if (between(T, 11, 24) || T == 27 || T == 28 || between(T, 30, 35)) {
        if (M == PowerMode)
            return Rule::Power;
        return M == 3 ? Rule::Zero : Rule::None; // "Meter" of types 11 to 16
    }
    return Rule::None; // 8, 25, 26, 29, 38, 39, 40 and above
}

bool thirdIsCurrent(int mode, int lastChgMode, bool cvFlag)
{
    return mode == models::DisplayOnlyMode || (mode == lastChgMode && cvFlag);
}

void convert(const Device &d, int mode, const Texts &t, Values &out)
{
    using num::toDouble;
    using num::toInt;
    // Set value and limit are converted before the rule, so a text that is
    // not a number fails the frame even where the rule replaces its value.
    out.setVal = toInt(toDouble(t.sval) * d.curScale);
    putPair(out.data, 1, out.setVal);
    out.setLmt = toInt(toDouble(t.slmt) * d.volScale);
    putPair(out.data, 3, out.setLmt);

    switch (ruleFor(d.devType, mode, d.lastDisMode)) {
    case Rule::Power:
        out.setVal = toInt(toDouble(t.sval) * d.pwrScale);
        putPair(out.data, 1, out.setVal);
        break;
    case Rule::Cells: {
        const int32_t cells = num::idiv(out.setLmt, d.volScale);
        if (cells < 0 || cells >= Frames::ByteLimit)
            raise(ErrOverflow);
        out.data[2] = 0;
        out.data[3] = cells;
        break;
    }
    case Rule::Zero:
        for (int k = 0; k < 4; ++k)
            out.data[size_t(k)] = 0;
        break;
    case Rule::None:
        break;
    }

    if (thirdIsCurrent(mode, d.lastChgMode, d.cvFlag))
        out.setTim = toInt(toDouble(t.stim) * d.curScale);
    else
        out.setTim = num::toLong(t.stim);
    putPair(out.data, 5, out.setTim);
}

} // namespace qx::startrules
