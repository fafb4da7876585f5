#pragma once
// Number helpers shared by every part of the program: rounding, the three
// ways a text becomes a number, number pictures and the short general form.
// Text always uses "." as the decimal mark.
#include <QString>
#include <QStringView>
#include <cstdint>

namespace qx::num {

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);
// roundHalfEven as a 32-bit integer; QxError(ErrOverflow) when it does not fit
// (or v is not a number).
int32_t toInt(double v);
// The same for a 16-bit field.
int16_t toInt16(double v);

// Integer division and remainder truncating towards zero; QxError(ErrDivByZero) on 0.
int32_t idiv(int32_t a, int32_t b);
int32_t imod(int32_t a, int32_t b);

// Leading-number reading: blanks (space, tab, CR, LF) anywhere are skipped,
// an optional sign, digits, a point, digits and an exponent (E or D) are read
// as far as they go; "3.5V" is 3.5, "abc" and "" are 0.
double val(QStringView text);

// "Is a number": the whole trimmed text is an optional sign, digits with at
// most one point (at least one digit) and an optional exponent. Empty is not.
bool isNumeric(QStringView text);

// Strict conversion: the text must pass isNumeric, else QxError(ErrTypeMismatch).
double toDouble(QStringView text);
// As toDouble, then QxError(ErrOverflow) when outside the float range.
float toSingle(QStringView text);
// v in single precision; beyond the float range an infinity of v's sign, so
// that comparisons with float bounds still tell the side.
float single(double v);
// As toDouble, rounded half to even; QxError(ErrOverflow) when outside 32 bits.
int32_t toLong(QStringView text);

// Number pictures: "0", "00", "0.0", "0.000", "00.00", "000.0", "#0.00" ...
// Each 0 before the point is a minimum digit, '#' an optional one; each 0 or
// '#' after the point is one decimal. The value is rounded half away from zero
// on its shortest decimal form, so 0.125 gives "0.13" with "0.00"; values that
// need more digits than the picture has are never cut. Characters other than
// '0', '#' and '.' are copied as they stand ("0.00V"). A result that rounds to
// zero carries no minus sign.
QString format(double v, QStringView picture);
// The float overload rounds on the float's own shortest decimal form
// (0.1f is 0.1, not 0.100000001).
QString format(float v, QStringView picture);

// Shortest general form: up to 15 significant digits for double, 7 for
// float, no trailing zeros, exponent as "E+nn" for very large or small values.
QString general(double v);
QString general(float v);

} // namespace qx::num
