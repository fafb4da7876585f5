#include "tools/StepEditRules.h"

#include "link/ModelTable.h"
#include "services/Prompt.h"
#include "platform/Numbers.h"
#include "platform/UiServices.h"


namespace qx::stepedit {

namespace {

constexpr double PowerMin = 1, PowerMax = 60;
constexpr double CellsMin = 1, CellsMax = 12;
constexpr double Lmt2Min = 0, Lmt2Max = 9999;

QString scaled(int scale)
{
    return scale == 1000 ? QStringLiteral("0.000") : scale == 100 ? QStringLiteral("0.00") : QStringLiteral("0.0");
}

bool countsCells(const Device &d, int k)
{
    return d.lastDisMode < k && k < d.lastChgMode && models::cellRulesApply(d.devType);
}

struct Range {
    bool singlePrecision;
    double lo, hi;
    bool holds(double v) const
    {
        if (singlePrecision) {
            const float f = num::single(v);
            return f >= float(lo) && f <= float(hi);
        }
        return v >= lo && v <= hi;
    }
};

Range rangeOf(const Device &d, int k, Box box)
{
    const Kind kind = kindOf(d, k);
    switch (box) {
    case Box::Set:
        if (kind == Kind::Power)
            return {false, PowerMin, PowerMax};
        return {true, d.minCur, d.maxCur};
    case Box::Lmt:
        if (countsCells(d, k))
            return {false, CellsMin, CellsMax};
        return {true, d.minVol, d.maxVol};
    case Box::Lmt2:
        if (kind == Kind::CvCharge)
            return {true, d.minCur, d.maxCur};
        return {false, Lmt2Min, Lmt2Max};
    }
    return {false, 0, 0};
}

} // namespace

QString curFormat(const Device &d) { return scaled(d.curScale); }
QString volFormat(const Device &d) { return scaled(d.volScale); }
QString pwrFormat(const Device &d) { return d.pwrScale == 10 ? QStringLiteral("0.0") : QStringLiteral("0"); }

Kind kindOf(const Device &d, int k)
{
    if (k == d.lastChgMode + 1)
        return Kind::Wait;
    if (k == d.lastChgMode + 2)
        return Kind::Cycle;
    if (k <= d.lastDisMode)
        return k == models::PowerMode ? Kind::Power : Kind::Discharge;
    if (k == d.lastChgMode && d.cvFlag)
        return Kind::CvCharge;
    if (k < d.lastChgMode || !models::cellRulesApply(d.devType))
        return Kind::Cells;
    return Kind::VoltCharge;
}

Layout layoutOf(const Device &d, Kind kind)
{
    Layout l;
    l.lmtCaption = QStringLiteral("Volt:");
    l.lmtUnit = QStringLiteral("V");
    l.lmt2Caption = QStringLiteral("Cutoff:");
    l.lmt2Unit = QStringLiteral("Min");
    l.setCaption = QStringLiteral("Current");
    l.setUnit = QStringLiteral("A");
    l.setText = QStringLiteral("1.00");
    l.lmtText = QStringLiteral("1.00");
    l.lmt2Text = QStringLiteral("0");
    switch (kind) {
    case Kind::Power:
        l.setCaption = QStringLiteral("Power");
        l.setUnit = QStringLiteral("W");
        l.setText = num::format(10.0, pwrFormat(d));
        break;
    case Kind::Discharge:
    case Kind::VoltCharge:
        break;
    case Kind::CvCharge:
        l.lmt2Unit = QStringLiteral("A");
        l.lmt2Text = num::format(d.minCur, curFormat(d));
        break;
    case Kind::Cells:
        l.lmtCaption = QStringLiteral("Cells:");
        l.lmtUnit.clear();
        l.lmtText = QStringLiteral("1");
        break;
    case Kind::Cycle:
        l.lmt2Caption = QStringLiteral("Cycle:");
        l.lmt2Unit.clear();
        [[fallthrough]];
    case Kind::Wait:
        l.setEnabled = l.lmtEnabled = false;
        l.setText = QStringLiteral("0.00");
        l.lmtText = QStringLiteral("0.00");
        l.lmt2Text = QStringLiteral("1");
        break;
    }
    return l;
}

Checked leaveCheck(const Device &d, int k, Box box, const QString &text)
{
    const Range range = rangeOf(d, k, box);
    // Replacement (for a text that is not a number and for one out of range)
    // and the picture an accepted number is rewritten with ("" keeps the text).
    QString replacement, picture;
    switch (box) {
    case Box::Set:
        if (kindOf(d, k) == Kind::Power) {
            replacement = num::format(10.0, pwrFormat(d));
        } else {
            replacement = num::format(d.minCur, curFormat(d));
            picture = curFormat(d);
        }
        break;
    case Box::Lmt:
        if (countsCells(d, k)) {
            picture = QStringLiteral("0");
            replacement = QStringLiteral("1");
        } else {
            picture = volFormat(d);
            replacement = num::format(d.minVol, picture);
        }
        break;
    case Box::Lmt2:
        if (kindOf(d, k) == Kind::CvCharge) {
            picture = curFormat(d);
            replacement = num::format(d.minCur, picture);
        } else {
            picture = QStringLiteral("0");
            replacement = QStringLiteral("0");
        }
        break;
    }
    if (!num::isNumeric(text)) {
        // A cell count that is not a number becomes "0", which Add refuses.
        if (box == Box::Lmt && countsCells(d, k))
            replacement = QStringLiteral("0");
        return {Verdict::NotNumber, replacement};
    }
    const double v = num::toDouble(text);
    if (!range.holds(v))
        return {Verdict::OutOfRange, replacement};
    return {Verdict::Accepted, picture.isEmpty() ? text : num::format(v, picture)};
}

Verdict addCheck(const Device &d, int k, const QString &set, const QString &lmt, const QString &lmt2)
{
    const Kind kind = kindOf(d, k);
    const bool deviceMode = kind != Kind::Wait && kind != Kind::Cycle;
    struct Field {
        Box box;
        const QString &text;
    };
    const Field all[] = {{Box::Set, set}, {Box::Lmt, lmt}, {Box::Lmt2, lmt2}};
    for (const Field &f : all) {
        if (!deviceMode && f.box != Box::Lmt2)
            continue;
        if (!num::isNumeric(f.text))
            return Verdict::NotNumber;
        if (!rangeOf(d, k, f.box).holds(num::toDouble(f.text)))
            return Verdict::OutOfRange;
    }
    return Verdict::Accepted;
}

bool rowsAfterCycle(const QStringList &modes, const QString &cycle)
{
    qsizetype end = modes.indexOf(QString());
    if (end < 0)
        end = modes.size();
    const qsizetype at = modes.indexOf(cycle);
    return at >= 0 && at + 1 < end;
}

bool tellRowsAfterCycle(const QStringList &modes, const QString &cycle)
{
    if (!rowsAfterCycle(modes, cycle))
        return false;
    promptBox(QStringLiteral("Steps after Cycle will not run!"), MbInformation);
    return true;
}

} // namespace qx::stepedit
