#include "net/SckValue.h"

#include "platform/Numbers.h"

#include <QtEndian>
#include <cstring>

namespace qx::net {

namespace {

template <class T>
QByteArray le(T v)
{
    QByteArray b(int(sizeof(T)), Qt::Uninitialized);
    qToLittleEndian(v, b.data());
    return b;
}

template <class T>
T fromLe(const QByteArray &b)
{
    return qFromLittleEndian<T>(b.constData());
}

} // namespace

int varType(const Value &v)
{
    static constexpr int codes[] = {vbEmpty,  vbInteger, vbLong,    vbSingle, vbDouble,   vbCurrency,
                                    vbDate,   vbString,  vbBoolean, vbByte,   vbByteArray};
    return codes[v.index()];
}

std::optional<QByteArray> toBytes(const Value &v)
{
    switch (varType(v)) {
    case vbByte:
        return QByteArray(1, char(std::get<uint8_t>(v)));
    case vbInteger:
        return le(std::get<int16_t>(v));
    case vbLong:
        return le(std::get<int32_t>(v));
    case vbSingle:
        return le(std::get<float>(v));
    case vbDouble:
        return le(std::get<double>(v));
    case vbCurrency:
        return le(std::get<Currency>(v).scaled);
    case vbDate:
        return le(std::get<Date>(v).days);
    case vbBoolean:
        return le(int16_t(std::get<bool>(v) ? -1 : 0));
    case vbString:
        return std::get<QString>(v).toLocal8Bit();
    case vbByteArray:
        return std::get<QByteArray>(v);
    default:
        return std::nullopt;
    }
}

int valueSize(int type)
{
    switch (type) {
    case vbByte:
        return 1;
    case vbInteger:
    case vbBoolean:
        return 2;
    case vbLong:
    case vbSingle:
        return 4;
    case vbDouble:
    case vbCurrency:
    case vbDate:
        return 8;
    case vbString:
    case vbByteArray:
        return 0;
    default:
        return -1;
    }
}

Value fromBytes(int type, const QByteArray &b)
{
    const int need = valueSize(type);
    if (need < 0 || b.size() < need)
        return Value{};
    switch (type) {
    case vbByte:
        return uint8_t(b[0]);
    case vbInteger:
        return fromLe<int16_t>(b);
    case vbBoolean:
        return fromLe<int16_t>(b) != 0;
    case vbLong:
        return fromLe<int32_t>(b);
    case vbSingle:
        return fromLe<float>(b);
    case vbDouble:
        return fromLe<double>(b);
    case vbCurrency:
        return Currency{fromLe<int64_t>(b)};
    case vbDate:
        return Date{fromLe<double>(b)};
    case vbString:
        return QString::fromLocal8Bit(b);
    default:
        return b;
    }
}

bool isNumeric(const Value &v)
{
    switch (varType(v)) {
    case vbString:
        return num::isNumeric(std::get<QString>(v));
    case vbByteArray:
        return false;
    default:
        return true;
    }
}

double numericValue(const Value &v)
{
    switch (varType(v)) {
    case vbByte:
        return std::get<uint8_t>(v);
    case vbInteger:
        return std::get<int16_t>(v);
    case vbLong:
        return std::get<int32_t>(v);
    case vbSingle:
        return std::get<float>(v);
    case vbDouble:
        return std::get<double>(v);
    case vbCurrency:
        return double(std::get<Currency>(v).scaled) / 10000.0;
    case vbDate:
        return std::get<Date>(v).days;
    case vbBoolean:
        return std::get<bool>(v) ? -1 : 0;
    case vbString:
        return num::isNumeric(std::get<QString>(v)) ? num::toDouble(std::get<QString>(v)) : 0;
    default:
        return 0;
    }
}

QString toText(const Value &v)
{
    switch (varType(v)) {
    case vbEmpty:
        return QString();
    case vbString:
        return std::get<QString>(v);
    case vbByteArray:
        return QString::fromLocal8Bit(std::get<QByteArray>(v));
    case vbBoolean:
        return std::get<bool>(v) ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return num::general(numericValue(v));
    }
}

} // namespace qx::net
