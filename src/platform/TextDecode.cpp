#include "platform/TextDecode.h"

#include <QStringDecoder>

#include <array>

namespace qx::text {

namespace {

// Windows-1252 at 0x80-0x9F; 0xA0-0xFF are the Latin-1 characters of the
// same number.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t cp1252(uchar b) { return b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b); }

bool asciiLetter(uchar b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

// Bytes that Windows-1252 reads as a letter beside an ASCII letter.
int latinLetters(QByteArrayView bytes)
{
    int n = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80 || !QChar(cp1252(b)).isLetter())
            continue;
        if ((i > 0 && asciiLetter(uchar(bytes[i - 1]))) || (i + 1 < bytes.size() && asciiLetter(uchar(bytes[i + 1]))))
            ++n;
    }
    return n;
}

QString gb18030(QByteArrayView bytes, bool *available = nullptr)
{
    QStringDecoder dec("GB18030");
    if (available)
        *available = dec.isValid();
    return dec.isValid() ? QString(dec(bytes)) : QString();
}

bool chineseLikely(QByteArrayView bytes)
{
    qsizetype pairs = 0;
    int common = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead == 0x80 || lead == 0xFF || i + 1 >= bytes.size())
            return false;
        const uchar trail = uchar(bytes[i + 1]);
        if (!((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE)))
            return false;
        if (trail >= 0xA1 && ((lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xD7)))
            ++common;
        ++pairs;
        i += 2;
    }
    if (2 * common <= latinLetters(bytes))
        return false;
    // Every pair one defined character, none of the private-use areas.
    bool available = false;
    const QString s = gb18030(bytes, &available);
    if (!available || s.size() != bytes.size() - pairs)
        return false;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u == 0xFFFD || c.isSurrogate() || (u >= 0xE000 && u <= 0xF8FF))
            return false;
    }
    return true;
}

} // namespace

Encoding guess(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return Encoding::Utf8;
    return chineseLikely(bytes) ? Encoding::Gb18030 : Encoding::Windows1252;
}

QString decode(QByteArrayView bytes, Encoding e)
{
    switch (e) {
    case Encoding::Utf8:
        return QString::fromUtf8(bytes);
    case Encoding::Gb18030: {
        bool available = false;
        QString s = gb18030(bytes, &available);
        if (available)
            return s;
        break; // no decoder for it in this Qt: read as Western
    }
    case Encoding::Windows1252:
        break;
    }
    QString s(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        s[i] = QChar(cp1252(uchar(bytes[i])));
    return s;
}

QString decode(QByteArrayView bytes) { return decode(bytes, guess(bytes)); }

QByteArray toUtf8(const QByteArray &bytes)
{
    const Encoding e = guess(bytes);
    return e == Encoding::Utf8 ? bytes : decode(bytes, e).toUtf8();
}

} // namespace qx::text
