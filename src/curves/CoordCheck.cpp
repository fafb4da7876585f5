#include "curves/CoordCheck.h"

#include "platform/Numbers.h"

namespace qx::curves {

const QString CoordTitle = QStringLiteral("提示");
const QString MsgNotNumber = QStringLiteral("设置数据有误！");
const QString MsgVoltRange = QStringLiteral("电压坐标设置超出范围");
const QString MsgCurrentRange = QStringLiteral("电流坐标设置超出范围");
const QString MsgTimeRange = QStringLiteral("时间坐标设置超出范围");

QString voltSpanMessage() { return QStringLiteral("电压轴范围需大于等于") + num::format(0.1, u"0.0") + u'V'; }
QString currentSpanMessage() { return QStringLiteral("电流轴范围需大于等于") + num::format(0.1, u"0.0") + u'A'; }
QString timeSpanMessage() { return QStringLiteral("时间轴范围需大于等于") + QString::number(10) + u'S'; }

namespace {

constexpr double Tolerance = 1e-6;
constexpr double ValueMax = 100;
constexpr double TimeMax = 60000;
constexpr double ValueSpan = 0.1;
constexpr double TimeSpan = 10;

bool isTime(CoordField f) { return f == FieldTime || f == FieldTime2; }

const QString &rangeMessage(CoordField f)
{
    if (isTime(f))
        return MsgTimeRange;
    return f == FieldCL || f == FieldCH ? MsgCurrentRange : MsgVoltRange;
}

bool inRange(double v, double most) { return v >= 0 && v <= most; }

} // namespace

double fieldMaximum(CoordField f) { return isTime(f) ? TimeMax : ValueMax; }

bool spanOk(double lo, double hi, double minSpan) { return hi - lo >= minSpan - Tolerance; }

bool valueRangeOk(double lo, double hi)
{
    return inRange(lo, ValueMax) && inRange(hi, ValueMax) && spanOk(lo, hi, ValueSpan);
}

bool timeRangeOk(double lo, double hi)
{
    return inRange(lo, TimeMax) && inRange(hi, TimeMax) && spanOk(lo, hi, TimeSpan);
}

std::optional<CoordFailure> checkField(CoordField f, const QString &text, QString *rewritten)
{
    if (!num::isNumeric(text))
        return CoordFailure{f, MsgNotNumber};
    const double v = num::toDouble(text);
    if (!inRange(v, fieldMaximum(f)))
        return CoordFailure{f, rangeMessage(f)};
    if (rewritten)
        *rewritten = num::format(v, isTime(f) ? u"0" : u"0.0");
    return std::nullopt;
}

std::optional<CoordFailure> checkAll(const CoordTexts &texts)
{
    std::array<double, CoordFields> v{};
    for (int f = 0; f < CoordFields; ++f) {
        if (!num::isNumeric(texts[size_t(f)]))
            return CoordFailure{CoordField(f), MsgNotNumber};
        v[size_t(f)] = num::toDouble(texts[size_t(f)]);
    }
    auto outside = [&](CoordField a, CoordField b) -> std::optional<CoordField> {
        if (!inRange(v[a], fieldMaximum(a)))
            return a;
        if (!inRange(v[b], fieldMaximum(b)))
            return b;
        return std::nullopt;
    };
    if (auto f = outside(FieldCL, FieldCH))
        return CoordFailure{*f, MsgCurrentRange};
    if (auto f = outside(FieldVL, FieldVH))
        return CoordFailure{*f, MsgVoltRange};
    if (!spanOk(v[FieldCL], v[FieldCH], ValueSpan))
        return CoordFailure{FieldCH, currentSpanMessage()};
    if (!spanOk(v[FieldVL], v[FieldVH], ValueSpan))
        return CoordFailure{FieldVH, voltSpanMessage()};
    if (auto f = outside(FieldTime, FieldTime2))
        return CoordFailure{*f, MsgTimeRange};
    if (!spanOk(v[FieldTime], v[FieldTime2], TimeSpan))
        return CoordFailure{FieldTime2, timeSpanMessage()};
    return std::nullopt;
}

} // namespace qx::curves
