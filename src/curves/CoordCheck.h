#pragma once
// The checks of the coordinate settings dialogs, without widgets: each
// field's leave-check and the checks of OK, with the dialogs' own messages.
// Spans are compared with a small tolerance, so a span typed as 0.1 V (or
// 10 s) passes whatever the binary form of its ends.
#include <QString>
#include <array>
#include <optional>

namespace qx::curves {

// The six fields in the order of their rows: voltage low and high, current
// low and high, time low and high.
enum CoordField : int { FieldVL = 0, FieldVH, FieldCL, FieldCH, FieldTime, FieldTime2, CoordFields };
using CoordTexts = std::array<QString, CoordFields>;

// Messages (title TitleText), as the dialogs show them.
extern const QString CoordTitle;        // "提示"
extern const QString MsgNotNumber;      // "设置数据有误！"
extern const QString MsgVoltRange;      // "电压坐标设置超出范围"
extern const QString MsgCurrentRange;   // "电流坐标设置超出范围"
extern const QString MsgTimeRange;      // "时间坐标设置超出范围"
QString voltSpanMessage();              // "电压轴范围需大于等于0.1V"
QString currentSpanMessage();           // "电流轴范围需大于等于0.1A"
QString timeSpanMessage();              // "时间轴范围需大于等于10S"

// Upper bound of a field's values (100 for voltage and current, 60000 for time).
double fieldMaximum(CoordField f);

struct CoordFailure {
    CoordField field;
    QString message;
};

// The leave-check of one field: the failure, or nothing and the text as
// it is rewritten ("0.0", or "0" for time).
std::optional<CoordFailure> checkField(CoordField f, const QString &text, QString *rewritten);

// OK's checks in their order: any field that is not a number first, then
// current range, voltage range, current span, voltage span, time range,
// time span. The first failure, or nothing when all pass.
std::optional<CoordFailure> checkAll(const CoordTexts &texts);

// hi >= lo + minSpan, allowing for the binary form of decimal ends.
bool spanOk(double lo, double hi, double minSpan);

// The range tests of a stored pair (settings file): voltage and current
// 0 <= lo, hi <= 100 with a span of at least 0.1; time 0 <= lo, hi <= 60000
// with a span of at least 10.
bool valueRangeOk(double lo, double hi);
bool timeRangeOk(double lo, double hi);

} // namespace qx::curves
