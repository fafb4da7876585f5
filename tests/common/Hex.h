#pragma once
// Byte strings written as hex text in tests: "FA 05 00 ..." both ways.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace qx::test {

// "FA 05 00 ..." as bytes.
inline std::vector<uint8_t> hexBytes(const char *text)
{
    std::vector<uint8_t> out;
    for (const QString &h : QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.push_back(uint8_t(h.toUInt(nullptr, 16)));
    return out;
}

inline QString hexText(const std::vector<uint8_t> &bytes)
{
    QStringList l;
    for (uint8_t b : bytes)
        l << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return l.join(QLatin1Char(' '));
}

} // namespace qx::test
