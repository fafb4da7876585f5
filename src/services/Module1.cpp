#include "services/Module1.h"
#include "services/ErrLog.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <cmath>
#include <limits>

namespace qx::Module1 {

namespace {
constexpr qsizetype MaxValueLength = 254;

// The number a value stands for; std::nullopt when it is not one.
std::optional<double> number(const QString &text)
{
    if (!qx::num::isNumeric(text))
        return std::nullopt;
    try {
        return qx::num::toDouble(text);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<double> floorIn(const QString &text, double lo, double hi)
{
    auto d = number(text);
    if (!d)
        return std::nullopt;
    double f = std::floor(*d);
    if (!(f >= lo && f <= hi))
        return std::nullopt;
    return f;
}

// The stored value, or std::nullopt when it is missing or empty.
std::optional<QString> stored(const QString &file, const QString &section, const QString &key)
{
    QString v = ReadIni(file, section, key, QString());
    if (v.isEmpty())
        return std::nullopt;
    return v;
}

template <class T>
T readAs(const QString &file, const QString &section, const QString &key, T def,
         std::optional<T> (*convert)(const QString &))
{
    auto v = stored(file, section, key);
    if (!v)
        return def;
    return convert(*v).value_or(def);
}
} // namespace

QString ReadIni(const QString &file, const QString &section, const QString &key, const QString &def)
{
    try {
        std::optional<QString> v = qx::profile::read(file, section, key);
        if (!v || v->isEmpty())
            return def;
        qsizetype n = std::min(v->size(), MaxValueLength);
        if (n < v->size() && v->at(n - 1).isHighSurrogate())
            --n; // never split a character
        return v->left(n);
    } catch (...) {
        return def;
    }
}

int WriteIni(const QString &file, const QString &section, const QString &key, const QString &value)
{
    try {
        QString reason;
        if (qx::profile::write(file, section, key, value, &reason))
            return 1;
        ErrLog(QStringLiteral("ErrIni"), file + QStringLiteral(": ") + reason);
        return 0;
    } catch (...) {
        return 0;
    }
}

std::optional<bool> toIniBool(const QString &text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (auto d = number(text))
        return *d != 0;
    return std::nullopt;
}

std::optional<int32_t> toIniFloor(const QString &text)
{
    auto f = floorIn(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    if (!f)
        return std::nullopt;
    return int32_t(*f);
}

std::optional<int32_t> toIniNearest(const QString &text)
{
    auto d = number(text);
    if (!d)
        return std::nullopt;
    try {
        return qx::num::toInt(*d);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<float> toIniReal(const QString &text)
{
    if (!number(text))
        return std::nullopt;
    try {
        return qx::num::toSingle(text);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<uint32_t> toIniColor(const QString &text)
{
    auto f = floorIn(text, 0, std::numeric_limits<uint32_t>::max());
    if (!f)
        return std::nullopt;
    return uint32_t(*f);
}

bool ReadIniBool(const QString &file, const QString &section, const QString &key, bool def)
{
    return readAs(file, section, key, def, &toIniBool);
}

int32_t ReadIniFloor(const QString &file, const QString &section, const QString &key, int32_t def)
{
    return readAs(file, section, key, def, &toIniFloor);
}

int32_t ReadIniNearest(const QString &file, const QString &section, const QString &key, int32_t def)
{
    return readAs(file, section, key, def, &toIniNearest);
}

float ReadIniReal(const QString &file, const QString &section, const QString &key, float def)
{
    return readAs(file, section, key, def, &toIniReal);
}

uint32_t ReadIniColor(const QString &file, const QString &section, const QString &key, uint32_t def)
{
    return readAs(file, section, key, def, &toIniColor);
}

} // namespace Module1
