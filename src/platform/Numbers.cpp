#include "platform/Numbers.h"
#include "platform/QxError.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qx::num {

double roundHalfEven(double v) { return std::nearbyint(v); }

int32_t toInt(double v)
{
    double r = roundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raise(ErrOverflow);
    return static_cast<int32_t>(r);
}

int16_t toInt16(double v)
{
    double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0))
        raise(ErrOverflow);
    return static_cast<int16_t>(r);
}

int32_t idiv(int32_t a, int32_t b)
{
    if (b == 0)
        raise(ErrDivByZero);
    if (a == std::numeric_limits<int32_t>::min() && b == -1)
        raise(ErrOverflow);
    return a / b;
}

int32_t imod(int32_t a, int32_t b)
{
    if (b == 0)
        raise(ErrDivByZero);
    if (b == -1)
        return 0;
    return a % b;
}

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Parses sign, mantissa and exponent starting at text[pos]; returns the
// number of characters used (0 when no digit was found). With skipBlanks the
// blanks between the characters are passed over. The accepted characters are
// collected into out as "[-]digits[.digits][e[+|-]digits]" for parse().
qsizetype scanNumber(QStringView text, bool skipBlanks, std::string &out)
{
    qsizetype i = 0, n = text.size();
    auto skip = [&] {
        while (skipBlanks && i < n && isBlank(text[i]))
            ++i;
    };
    skip();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            out += '-';
        ++i;
        skip();
    }
    int digits = 0;
    while (i < n && isDigit(text[i])) {
        out += char(text[i].unicode());
        ++digits;
        ++i;
        skip();
    }
    if (i < n && text[i] == u'.') {
        out += '.';
        ++i;
        skip();
        while (i < n && isDigit(text[i])) {
            out += char(text[i].unicode());
            ++digits;
            ++i;
            skip();
        }
    }
    if (digits == 0)
        return 0;
    qsizetype mantEnd = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        std::string exp = "e";
        qsizetype j = i + 1;
        while (skipBlanks && j < n && isBlank(text[j]))
            ++j;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            exp += char(text[j].unicode());
            ++j;
            while (skipBlanks && j < n && isBlank(text[j]))
                ++j;
        }
        int ed = 0;
        while (j < n && isDigit(text[j])) {
            exp += char(text[j].unicode());
            ++ed;
            ++j;
            while (skipBlanks && j < n && isBlank(text[j]))
                ++j;
        }
        if (ed > 0) {
            out += exp;
            return j;
        }
    }
    return mantEnd;
}

// Where the decimal point of the number s stands (the power of ten of its
// leading digit, give or take one): only its sign is asked for, to tell an
// overflow from an underflow.
long long magnitude(const std::string &s)
{
    const auto e = s.find('e');
    long long exp = 0;
    if (e != std::string::npos) {
        size_t i = e + 1;
        const bool down = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '-' || s[i] == '+'))
            ++i;
        // An exponent far beyond any double's range needs no more digits.
        for (; i < s.size(); ++i)
            exp = std::min(exp * 10 + (s[i] - '0'), 1000000LL);
        if (down)
            exp = -exp;
    }
    const std::string mant = s.substr(0, e);
    const auto dot = mant.find('.');
    const std::string intPart = mant.substr(0, dot);
    const auto firstInt = intPart.find_first_not_of("-0");
    if (firstInt != std::string::npos)
        return exp + static_cast<long long>(intPart.size() - firstInt);
    if (dot == std::string::npos)
        return exp;
    const auto firstFrac = mant.find_first_not_of('0', dot + 1);
    return exp - static_cast<long long>(firstFrac == std::string::npos ? 0 : firstFrac - dot - 1);
}

// The value of the text scanNumber collected. The decimal mark is "." in
// every locale: files travel between machines, and the C library's own
// conversions would follow the locale Qt sets from the environment. Beyond
// the double range an infinity of the number's sign, below it zero.
double parse(const std::string &s)
{
    double v = 0;
    const std::errc ec = std::from_chars(s.data(), s.data() + s.size(), v).ec;
    if (ec == std::errc::result_out_of_range) {
        const bool negative = s.front() == '-';
        if (magnitude(s) > 0)
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return negative ? -0.0 : 0.0;
    }
    return ec == std::errc() ? v : 0.0;
}

} // namespace

double val(QStringView text)
{
    std::string s;
    if (scanNumber(text, true, s) == 0)
        return 0.0;
    double v = parse(s);
    return std::isfinite(v) ? v : 0.0;
}

bool isNumeric(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.isEmpty())
        return false;
    std::string s;
    qsizetype used = scanNumber(t, false, s);
    return used > 0 && used == t.size() && std::isfinite(parse(s));
}

double toDouble(QStringView text)
{
    QStringView t = text.trimmed();
    std::string s;
    qsizetype used = t.isEmpty() ? 0 : scanNumber(t, false, s);
    if (used == 0 || used != t.size())
        raise(ErrTypeMismatch);
    double v = parse(s);
    if (!std::isfinite(v))
        raise(ErrOverflow);
    return v;
}

float toSingle(QStringView text)
{
    double v = toDouble(text);
    if (std::fabs(v) > std::numeric_limits<float>::max())
        raise(ErrOverflow);
    return static_cast<float>(v);
}

float single(double v)
{
    constexpr double top = std::numeric_limits<float>::max();
    if (v > top)
        return std::numeric_limits<float>::infinity();
    if (v < -top)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

int32_t toLong(QStringView text) { return toInt(toDouble(text)); }

namespace {

// Shortest fixed-notation decimal form of |v| ("0.125", "1234.5").
template <class T>
std::string shortestFixed(T v)
{
    std::array<char, 400> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed);
    if (res.ec != std::errc())
        return "0";
    return std::string(buf.data(), res.ptr);
}

struct Picture {
    QString prefix, suffix;
    int minInt = 0;   // zeros before the point
    int decimals = 0; // zeros or '#' after the point
    bool point = false;
};

Picture parsePicture(QStringView pic)
{
    Picture p;
    qsizetype i = 0, n = pic.size();
    auto isPicChar = [](QChar c) { return c == u'0' || c == u'#' || c == u'.'; };
    while (i < n && !isPicChar(pic[i]))
        p.prefix += pic[i++];
    while (i < n && (pic[i] == u'0' || pic[i] == u'#')) {
        if (pic[i] == u'0')
            ++p.minInt;
        ++i;
    }
    if (i < n && pic[i] == u'.') {
        p.point = true;
        ++i;
        while (i < n && (pic[i] == u'0' || pic[i] == u'#')) {
            ++p.decimals;
            ++i;
        }
    }
    while (i < n)
        p.suffix += pic[i++];
    return p;
}

// Rounds the decimal text "123.456" (no sign) to `decimals` places, half up.
void roundDecimal(std::string &intPart, std::string &frac, int decimals)
{
    if (static_cast<int>(frac.size()) <= decimals) {
        frac.append(decimals - frac.size(), '0');
        return;
    }
    bool up = frac[decimals] >= '5';
    frac.resize(decimals);
    if (!up)
        return;
    std::string digits = intPart + frac;
    int k = static_cast<int>(digits.size()) - 1;
    while (k >= 0) {
        if (digits[k] == '9') {
            digits[k] = '0';
            --k;
        } else {
            ++digits[k];
            break;
        }
    }
    if (k < 0)
        digits.insert(digits.begin(), '1');
    intPart = digits.substr(0, digits.size() - decimals);
    frac = digits.substr(digits.size() - decimals);
}

QString formatDecimal(bool negative, const std::string &absText, QStringView picture)
{
    Picture p = parsePicture(picture);
    std::string intPart = absText, frac;
    auto dot = absText.find('.');
    if (dot != std::string::npos) {
        intPart = absText.substr(0, dot);
        frac = absText.substr(dot + 1);
    }
    roundDecimal(intPart, frac, p.decimals);
    // strip leading zeros, then pad to the minimum digit count
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
    if (static_cast<int>(intPart.size()) < p.minInt)
        intPart.insert(0, p.minInt - intPart.size(), '0');
    bool zero = intPart.find_first_not_of('0') == std::string::npos
                && frac.find_first_not_of('0') == std::string::npos;
    std::string body = intPart;
    if (p.point)
        body += '.' + frac;
    QString out = p.prefix;
    if (negative && !zero)
        out += u'-';
    out += QString::fromLatin1(body.c_str());
    out += p.suffix;
    return out;
}

QString generalImpl(double v, int digits)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    if (v == 0)
        return QStringLiteral("0");
    // As printf's "%.*G", without the locale's decimal mark.
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::general, digits);
    std::string s(buf.data(), res.ptr);
    for (char &c : s)
        if (c == 'e')
            c = 'E';
    auto e = s.find('E');
    std::string mant = e == std::string::npos ? s : s.substr(0, e);
    std::string exp = e == std::string::npos ? std::string() : s.substr(e);
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0')
            mant.pop_back();
        if (!mant.empty() && mant.back() == '.')
            mant.pop_back();
    }
    return QString::fromLatin1((mant + exp).c_str());
}

} // namespace

QString format(double v, QStringView picture)
{
    if (!std::isfinite(v))
        return generalImpl(v, 15);
    return formatDecimal(std::signbit(v), shortestFixed(std::fabs(v)), picture);
}

QString format(float v, QStringView picture)
{
    if (!std::isfinite(v))
        return generalImpl(v, 7);
    return formatDecimal(std::signbit(v), shortestFixed(std::fabs(v)), picture);
}

QString general(double v) { return generalImpl(v, 15); }
QString general(float v) { return generalImpl(static_cast<double>(v), 7); }

} // namespace qx::num
