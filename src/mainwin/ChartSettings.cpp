#include "mainwin/ChartSettings.h"

#include "curves/CoordCheck.h"
#include "services/Module1.h"

#include <cstdint>

namespace qx::mainwin {

namespace {

const QString Data = QStringLiteral("DATA");
const QString Curve = QStringLiteral("CURVE");

uint32_t colour(const QString &ini, const char *key, uint32_t def)
{
    return qx::Module1::ReadIniColor(ini, Data, QLatin1String(key), def);
}

std::optional<Range> valueRange(const QString &ini, const char *loKey, const char *hiKey, float loDef, float hiDef)
{
    const float lo = qx::Module1::ReadIniReal(ini, Curve, QLatin1String(loKey), loDef);
    const float hi = qx::Module1::ReadIniReal(ini, Curve, QLatin1String(hiKey), hiDef);
    if (!valueRangeOk(lo, hi))
        return std::nullopt;
    return Range{lo, hi};
}

} // namespace

// The coordinate dialogs' own tests, so a pair they accept is applied at start-up.
bool valueRangeOk(float lo, float hi) { return curves::valueRangeOk(lo, hi); }

bool timeRangeOk(int32_t lo, int32_t hi) { return curves::timeRangeOk(lo, hi); }

ChartSettings readChartSettings(const QString &ini)
{
    ChartSettings s;
    s.vcol0 = colour(ini, "VCOL0", s.vcol0);
    s.ccol0 = colour(ini, "CCOL0", s.ccol0);
    s.vcol1 = colour(ini, "VCOL1", s.vcol1);
    s.ccol1 = colour(ini, "CCOL1", s.ccol1);
    s.pcol = colour(ini, "PCOL", s.pcol);
    s.tcol = colour(ini, "TCOL", s.tcol);
    s.bcol = colour(ini, "BCOL", s.bcol);
    s.gcol = colour(ini, "GCOL", s.gcol);
    s.acol = colour(ini, "ACOL", s.acol);
    s.gridType1 = gridTypeOf(qx::Module1::ReadIniFloor(ini, Data, QStringLiteral("MDOT"), 0));
    s.gridType2 = gridTypeOf(qx::Module1::ReadIniFloor(ini, Data, QStringLiteral("SDOT"), 1));
    // The pen width is a 16-bit field: a value that does not fit is malformed.
    const int32_t line = qx::Module1::ReadIniFloor(ini, Data, QStringLiteral("LINE"), 2);
    s.line = line >= INT16_MIN && line <= INT16_MAX ? line : 2;
    s.volt = valueRange(ini, "VY0", "VY1", 0, 20);
    s.curr = valueRange(ini, "CY0", "CY1", 0, 10);
    const int32_t t0 = qx::Module1::ReadIniNearest(ini, Curve, QStringLiteral("CT0"), 0);
    const int32_t t1 = qx::Module1::ReadIniNearest(ini, Curve, QStringLiteral("CT1"), 100);
    if (timeRangeOk(t0, t1))
        s.time = Range{float(t0), float(t1)};
    return s;
}

} // namespace qx::mainwin
