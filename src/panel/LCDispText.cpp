#include "panel/LCDispText.h"

#include <algorithm>

namespace qx::lcd {

const std::array<const char *, 18> kGlyphs = {
    "1111110", "0110000", "1101101", "1111001", "0110011", "1011011", "1011111", "1110000", "1111111",
    "1111011", "0000000", "0000001", "1110111", "0011111", "1001110", "0111101", "1001111", "1000111",
};

QString normaliseValue(const QString &value)
{
    QString v = value.toUpper();
    if (v.startsWith(QLatin1Char('.')))
        v.prepend(QLatin1Char('0'));
    return v;
}

SplitText splitValue(const QString &value, int numDigitsExp)
{
    const int n = std::max(0, numDigitsExp);
    int p = value.indexOf(QLatin1String("E+"));
    if (p < 0)
        p = value.indexOf(QLatin1String("E-"));
    if (p < 0)
        return {value, QString(n, QLatin1Char(' '))};
    const QChar sign = value.at(p + 1);
    QString digits = value.mid(p + 2);
    const int keep = value.contains(QLatin1Char(':')) ? n : std::max(0, n - 1);
    if (digits.size() < keep)
        digits = QString(keep - digits.size(), QLatin1Char('0')) + digits;
    digits = digits.right(keep);
    if (n == 0)
        return {value.left(p), QString()};
    return {value.left(p), (sign == QLatin1Char('-') ? QLatin1String("-") : QLatin1String(" ")) + digits};
}

int glyphIndex(QChar c, bool showBurnIn)
{
    const char16_t u = c.unicode();
    if (u == u' ')
        return showBurnIn ? GlyphBlank : -1;
    if (u == u'-')
        return GlyphMinus;
    if (u >= u'A' && u <= u'F')
        return int(u) - 53;
    if (u >= u'0' && u <= u'9')
        return int(u - u'0');
    return 0;
}

QString alignRight(const QString &text, int n)
{
    if (n <= 0)
        return QString();
    if (text.size() >= n)
        return text.right(n);
    return QString(n - text.size(), QLatin1Char(' ')) + text;
}

std::optional<int> takeSeparator(QString &text, int numDigits, QStringView separators)
{
    for (QChar sep : separators) {
        const int i = text.indexOf(sep);
        if (i < 0)
            continue;
        const int k = numDigits - int(text.size()) + i; // (i + 1) - 1 with i 0-based
        text.remove(i, 1);
        return k;
    }
    return std::nullopt;
}

std::vector<bool> findThousandsMarks(const QString &text, int numDigits, int grouping)
{
    std::vector<bool> flags(size_t(std::max(0, numDigits)), false);
    if (grouping < 1 || numDigits < 1)
        return flags;
    QString s = text;
    if (!s.contains(QLatin1Char('.')))
        s += QLatin1Char('.');
    const int L = int(s.size());
    QString t = s.size() < numDigits ? QString(numDigits - L, QLatin1Char('0')) + s : s.right(numDigits);
    const int d = int(t.indexOf(QLatin1Char('.'))) + 1; // 1-based, 0 when cut off
    int f = numDigits - L + 1;
    if (f >= 1 && t.at(f - 1) == QLatin1Char('-'))
        ++f;
    const int first = std::max(f, 1);
    for (int k = d - grouping - 1; k >= first; k -= grouping)
        if (k < numDigits)
            flags[size_t(k)] = true;
    return flags;
}

} // namespace lcd
