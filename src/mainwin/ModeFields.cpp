#include "mainwin/ModeFields.h"

#include "link/ModelTable.h"
#include "services/State.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

namespace qx::modefields {

namespace {

const QString P0 = QStringLiteral("0");
const QString P00 = QStringLiteral("0.00");
const QString P000 = QStringLiteral("0.000");

// raw / scale in double precision, then single precision as shown.
float scaled(int32_t raw, int scale)
{
    if (scale == 0)
        raise(ErrDivByZero);
    return float(double(raw) / double(scale));
}

// The values of the layout tables, each computed only when a layout uses it.
struct Values {
    const Input &in;
    QString I(const QString &pic) const { return num::format(scaled(in.setVal, in.curScale), pic); }
    QString P() const
    {
        return num::format(scaled(in.setVal, in.pwrScale), in.pwrScale == 1 ? P0 : QStringLiteral("0.0"));
    }
    QString V() const { return num::format(scaled(in.setLmt, in.volScale), P00); }
    QString T(const QString &pic) const { return num::format(scaled(in.setTim, in.curScale), pic); }
    QString N() const { return QString::number(num::imod(in.setLmt, 100)); }
};

void cells(Box &limit, const Values &v)
{
    limit.caption = QStringLiteral("Cells");
    limit.unit.clear();
    limit.text = v.N();
}

void voltage(Box &limit, const Values &v)
{
    limit.caption = QStringLiteral("Voltage");
    limit.text = v.V();
}

void cutoffCurrent(Box &third, const QString &text, const QString &unit = QStringLiteral("A"))
{
    third.caption = QStringLiteral("Cutoff Curr");
    third.unit = unit;
    third.text = text;
}

void power(Box &set, const Values &v)
{
    set.unit = QStringLiteral("W");
    set.text = v.P();
}

// Modes 0 (constant current) and 1 (constant power) of the groups PowerCells
// and PowerCv,
// the set current written with `pic`; false for the other modes.
bool currentOrPower(Box &set, Box &limit, const Values &v, int m, const QString &pic)
{
    if (m == models::CcMode)
        set.text = v.I(pic);
    else if (m == models::PowerMode)
        power(set, v);
    else
        return false;
    limit.text = v.V();
    return true;
}

} // namespace

Input Input::fromState(int Index, int chn, bool dev2S)
{
    const ChannelState &c = chan(Index, chn);
    Input in;
    in.devType = DevType[Index];
    in.curScale = CurScale[Index];
    in.volScale = VolScale[Index];
    in.pwrScale = PwrScale[Index];
    in.lastDisMode = LastDisMode[Index];
    in.cvFlag = CvFlag[Index];
    in.mode = c.Mode;
    in.setVal = c.SetVal;
    in.setLmt = c.SetLmt;
    in.setTim = c.SetTim;
    in.dev2S = dev2S;
    return in;
}

Group group(int t, int lastDisMode)
{
    if (t == models::NoType)
        return Group::None;
    if (models::chargesByCells(t))
        return Group::Cells;
    if (models::chargesByCellsWithPower(t))
        return Group::PowerCells;
    const bool swaps = models::losesPowerModeWithFirmware(t);
    if (t == 7 || t == 36 || t == 37 || (swaps && lastDisMode == models::PowerMode))
        return Group::PowerCv;
    if (t == 8 || t == 28 || t == 29 || t == 38 || t == 39 || (swaps && lastDisMode == models::CcMode))
        return Group::Cv;
    if (t < 40)
        return Group::Load;
    if (models::countsMilliamps(t))
        return Group::Milliamps;
    return Group::Later;
}

Layout layout(const Input &in)
{
    const Values v{in};
    const int m = in.mode;
    const int t = in.devType;

    Layout out;
    Box &set = out[SetBox];
    Box &limit = out[LimitBox];
    Box &third = out[ThirdBox];
    set = {QStringLiteral("Test Val"), QStringLiteral("A"), {}, true};
    limit = {in.dev2S ? QStringLiteral("Cutoff V") : QStringLiteral("Cutoff Volt"), QStringLiteral("V"), {}, true};
    third = {in.dev2S ? QStringLiteral("Time") : QStringLiteral("Max Time"), QStringLiteral("M"),
             QString::number(in.setTim), true};

    switch (group(t, in.lastDisMode)) {
    case Group::Cells:
        set.text = v.I(P00);
        if (m == models::CcMode)
            limit.text = v.V();
        else if (m == 6) // "C-CV"
            voltage(limit, v);
        else
            cells(limit, v);
        break;
    case Group::PowerCells:
        if (currentOrPower(set, limit, v, m, P00))
            break;
        if (m == 7) { // "C-CV"
            set.text = v.I(P00);
            voltage(limit, v);
            cutoffCurrent(third, v.T(P00));
        } else if (m == models::DisplayOnlyMode) {
            set.text = P00;
            limit.text = P00;
            cutoffCurrent(third, v.T(P00));
            set.enabled = limit.enabled = false;
        } else {
            set.text = v.I(P00);
            cells(limit, v);
        }
        break;
    case Group::PowerCv: {
        const QString &d = models::setsMilliampCurrent(t) ? P000 : P00;
        if (!currentOrPower(set, limit, v, m, d)) {
            set.text = v.I(d);
            voltage(limit, v);
            cutoffCurrent(third, v.T(d));
        }
        break;
    }
    case Group::Cv:
        set.text = v.I(P00);
        if (m == models::CcMode) {
            limit.text = v.V();
        } else {
            voltage(limit, v);
            if (in.cvFlag)
                cutoffCurrent(third, v.T(P00));
            if (models::cvChargeTakesCutoffOnly(t))
                set.enabled = limit.enabled = false;
        }
        break;
    case Group::Load:
        if (m == models::UsbMeterMode && models::hasMeterAtModeOne(t)) {
            set.text = v.I(P00);
            limit.text = v.V();
            limit.enabled = false;
        } else if (m == models::PowerMode) {
            power(set, v);
            limit.text = v.V();
        } else if (m == 2 || m == 4) { // "C-CV" and "D-CV" of types 11 to 16
            set.caption = QStringLiteral("Current");
            set.text = v.I(P00);
            limit.caption = QStringLiteral("Test Val");
            limit.text = v.V();
        } else if (m == 3) { // "Meter" of types 11 to 16
            set.text = v.I(P00);
            limit.text = v.V();
            set.enabled = limit.enabled = false;
        } else {
            set.text = v.I(models::setsMilliampCurrent(t) ? P000 : P00);
            limit.text = v.V();
        }
        break;
    case Group::Milliamps:
        set.text = v.I(P000);
        limit.text = v.V();
        if (m == 1) { // "C-CV"
            set.unit = QStringLiteral("mA");
            cutoffCurrent(third, v.T(P000), QStringLiteral("mA"));
        } else {
            third.text = P0;
        }
        break;
    case Group::None: // not asked for (see the header); laid out as the later types
    case Group::Later:
        limit.text = v.V();
        if (m == 1) { // "D-CV" of type 41
            set.text = P00;
            limit.caption = QStringLiteral("Test Val");
            set.enabled = false;
        } else {
            set.text = v.I(P00);
        }
        break;
    }
    return out;
}

} // namespace qx::modefields
