#pragma once
// The values that cross the socket interface: one of the platform's variant
// types, identified by its type code. SendData turns a value into bytes,
// GetData and PeekData turn bytes back into a value; numbers travel
// little-endian in the platform's layout, text in the system's code page
// (UTF-8 here).
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

namespace qx::net {

enum VarType : int {
    vbEmpty = 0,
    vbInteger = 2,
    vbLong = 3,
    vbSingle = 4,
    vbDouble = 5,
    vbCurrency = 6,
    vbDate = 7,
    vbString = 8,
    vbBoolean = 11,
    vbByte = 17,
    vbByteArray = 8209  // array of Byte
};

// Currency: a signed count of 1/10000.
struct Currency {
    int64_t scaled = 0;
    bool operator==(const Currency &) const = default;
};
// Date: days since 30 December 1899 (the fraction is the time of day).
struct Date {
    double days = 0;
    bool operator==(const Date &) const = default;
};

using Value = std::variant<std::monostate, int16_t, int32_t, float, double, Currency, Date, QString, bool, uint8_t,
                           QByteArray>;

// The type code of a value.
int varType(const Value &v);
// The bytes of a value; std::nullopt for a type that cannot be sent.
std::optional<QByteArray> toBytes(const Value &v);
// Bytes needed to read one value of a fixed-size type; 0 for text and
// byte arrays (as many as taken); -1 for a type code that cannot be read.
int valueSize(int type);
// The value of `type` read from bytes (exactly valueSize(type) of them for
// a fixed-size type).
Value fromBytes(int type, const QByteArray &bytes);

// Whether a value counts as a number (an empty value does, as 0; a text
// does when it reads as a number as a whole), and its number.
bool isNumeric(const Value &v);
double numericValue(const Value &v);
// A text form of a value (for a host name given as a value).
QString toText(const Value &v);

} // namespace qx::net
