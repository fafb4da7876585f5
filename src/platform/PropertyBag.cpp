#include "platform/PropertyBag.h"

#include <cmath>
#include <limits>

namespace qx {

namespace {
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    if (a.metaType() == b.metaType())
        return a == b;
    // Numbers of different types compare by value (an int default against a
    // stored long long); anything else is only equal to its own type.
    bool okA = false, okB = false;
    const double da = a.toDouble(&okA), db = b.toDouble(&okB);
    const auto isText = [](const QVariant &v) { return v.metaType().id() == QMetaType::QString; };
    if (okA && okB && !isText(a) && !isText(b))
        return da == db;
    return false;
}
} // namespace

QVariant PropertyBag::ReadProperty(const QString &name, const QVariant &def) const
{
    auto it = values_.find(fold(name));
    return it == values_.end() ? def : it->second.value;
}

void PropertyBag::WriteProperty(const QString &name, const QVariant &value, const QVariant &def)
{
    const QString key = fold(name);
    auto it = values_.find(key);
    if (def.isValid() && sameValue(value, def)) {
        if (it != values_.end()) {
            values_.erase(it);
            notify(name);
        }
        return;
    }
    if (it != values_.end()) {
        if (sameValue(it->second.value, value) && it->second.value.metaType() == value.metaType())
            return;
        it->second.value = value;
    } else {
        values_.emplace(key, Entry{name, value});
    }
    notify(name);
}

int32_t PropertyBag::readInt(const QString &name, int32_t def) const
{
    const QVariant v = ReadProperty(name);
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < double(std::numeric_limits<int32_t>::min())
        || d > double(std::numeric_limits<int32_t>::max()))
        return def;
    return int32_t(std::nearbyint(d));
}

int16_t PropertyBag::readInt16(const QString &name, int16_t def) const
{
    const int32_t v = readInt(name, def);
    return v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max() ? def
                                                                                               : int16_t(v);
}

float PropertyBag::readFloat(const QString &name, float def) const
{
    const QVariant v = ReadProperty(name);
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max()))
        return def;
    return float(d);
}

bool PropertyBag::readBool(const QString &name, bool def) const
{
    const QVariant v = ReadProperty(name);
    if (!v.isValid())
        return def;
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d != 0 : def;
}

uint32_t PropertyBag::readColor(const QString &name, uint32_t def) const
{
    const QVariant v = ReadProperty(name);
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<int32_t>::min() || n > qlonglong(std::numeric_limits<uint32_t>::max()))
        return def;
    return uint32_t(n);
}

QString PropertyBag::readString(const QString &name, const QString &def) const
{
    const QVariant v = ReadProperty(name);
    return v.isValid() && v.canConvert<QString>() ? v.toString() : def;
}

QImage PropertyBag::readImage(const QString &name) const
{
    const QVariant v = ReadProperty(name);
    return v.canConvert<QImage>() ? v.value<QImage>() : QImage();
}

bool PropertyBag::contains(const QString &name) const { return values_.count(fold(name)) != 0; }

void PropertyBag::remove(const QString &name)
{
    if (values_.erase(fold(name)))
        notify(name);
}

void PropertyBag::clear() { values_.clear(); }

QStringList PropertyBag::keys() const
{
    QStringList out;
    for (const auto &kv : values_)
        out << kv.second.name;
    return out;
}

void PropertyBag::notify(const QString &name) const
{
    for (const auto &l : listeners_)
        l(name);
}

} // namespace qx
