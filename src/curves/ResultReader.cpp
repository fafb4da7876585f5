#include "curves/ResultReader.h"

#include "platform/FileEnding.h"
#include "platform/Numbers.h"
#include "platform/TextDecode.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace qx::curves {

namespace {

bool isSeparator(char c) { return c == ',' || c == ';' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Splits blocks of bytes into lines ending in CR, CR LF or LF (a CR LF split
// over two blocks counts once). Lines are numbered from 1.
class LineSplitter {
public:
    // Calls onLine(number, text) for every complete line; stops and returns
    // false when onLine does, or when a line grows beyond MaxLineLength
    // (tooLong() then tells).
    template <class OnLine>
    bool feed(std::string_view block, OnLine &&onLine)
    {
        const char *p = block.data();
        const size_t n = block.size();
        size_t i = 0;
        if (skipLF_ && n > 0) {
            if (p[0] == '\n')
                i = 1;
            skipLF_ = false;
        }
        // Next LF and next CR at or after i, each searched again only once
        // passed, so that files with only one kind of line end stay linear.
        size_t lf = 0, cr = 0;
        bool lfKnown = false, crKnown = false;
        auto next = [&](char c, size_t &at, bool &known) {
            if (!known || at < i) {
                const void *q = std::memchr(p + i, c, n - i);
                at = q ? size_t(static_cast<const char *>(q) - p) : n;
                known = true;
            }
            return at;
        };
        while (i < n) {
            const size_t j = std::min(next('\n', lf, lfKnown), next('\r', cr, crKnown));
            if (j == n) {
                carry_.append(p + i, n - i);
                if (int64_t(carry_.size()) > MaxLineLength)
                    return overLong();
                return true;
            }
            std::string_view line(p + i, j - i);
            if (!carry_.empty()) {
                carry_.append(line);
                line = carry_;
            }
            if (int64_t(line.size()) > MaxLineLength)
                return overLong();
            if (!onLine(++lineNo_, line))
                return false;
            carry_.clear();
            size_t after = j + 1;
            if (p[j] == '\r') {
                if (after < n) {
                    if (p[after] == '\n')
                        ++after;
                } else {
                    skipLF_ = true;
                }
            }
            i = after;
        }
        return true;
    }

    // The last line when the bytes do not end with a line end.
    template <class OnLine>
    bool end(OnLine &&onLine)
    {
        if (carry_.empty())
            return true;
        std::string last;
        last.swap(carry_);
        return onLine(++lineNo_, std::string_view(last));
    }

    bool tooLong() const { return tooLong_; }
    int64_t lineNo() const { return lineNo_; }

private:
    bool overLong()
    {
        tooLong_ = true;
        ++lineNo_;
        return false;
    }
    std::string carry_;
    bool skipLF_ = false;
    bool tooLong_ = false;
    int64_t lineNo_ = 0;
};

struct Key {
    std::string_view text;
    SummaryColumn column;
};
// Checked in this order; the first whose text and ":" start the line decides.
constexpr Key Keys[] = {
    {"Device", ColDevice},     {"Mode", ColMode},     {"Begin Volt", ColBeginVolt}, {"Cutoff Volt", ColCutoffVolt},
    {"Capacity", ColCapacity}, {"Energy", ColEnergy}, {"Avg Volt", ColAvgVolt},     {"Title", ColTitle},
};

constexpr std::string_view ColumnLine = "Time(S)";

QString shown(std::string_view field)
{
    constexpr size_t Most = 40;
    QString s = text::decode(QByteArrayView(field.data(), qsizetype(std::min(field.size(), Most))));
    if (field.size() > Most)
        s += QStringLiteral("...");
    return s;
}

class Parser {
public:
    explicit Parser(const ReadOptions &opt) : opt_(opt)
    {
        r_.ranges = opt.ranges;
        r_.separator = opt.fallbackSeparator;
    }

    bool line(int64_t no, std::string_view s)
    {
        if (s.empty())
            return true;
        if (isDigit(s[0]))
            return dataLine(no, s);
        for (const Key &k : Keys) {
            if (s.size() > k.text.size() && s.substr(0, k.text.size()) == k.text && s[k.text.size()] == ':') {
                if (s.size() > k.text.size() + 2) {
                    const std::string_view v = s.substr(k.text.size() + 1);
                    r_.cells[size_t(k.column)] = text::decode(QByteArrayView(v.data(), qsizetype(v.size())));
                    keyLine_[size_t(k.column)] = no;
                    if (k.column == ColDevice)
                        r_.deviceStated = true;
                }
                return true;
            }
        }
        if (!sepKnown_ && s.size() > ColumnLine.size() && s.substr(0, ColumnLine.size()) == ColumnLine &&
            isSeparator(s[ColumnLine.size()])) {
            r_.separator = s[ColumnLine.size()];
            sepKnown_ = true;
        }
        return true;
    }

    ResultData finish(const LineSplitter &lines)
    {
        if (failed_)
            return std::move(r_);
        if (lines.tooLong())
            fail(lines.lineNo(), QStringLiteral("the line is longer than %1 characters").arg(MaxLineLength));
        else if (r_.lines == 0)
            fail(0, QStringLiteral("the file has no data line"));
        else
            summarise();
        r_.ok = !failed_;
        if (r_.ok)
            for (auto *v : {&r_.volt, &r_.curr, &r_.cap, &r_.energy})
                v->shrink_to_fit();
        return std::move(r_);
    }

    // Records the first failure; the points read so far are dropped.
    void fail(int64_t no, const QString &why)
    {
        if (failed_)
            return;
        failed_ = true;
        r_.ok = false;
        r_.errorLine = no;
        r_.error = why;
        for (auto *v : {&r_.volt, &r_.curr, &r_.cap, &r_.energy})
            v->clear();
    }

private:
    bool number(int64_t no, std::string_view field, float &out)
    {
        std::string_view f = field;
        while (!f.empty() && f.front() == ' ')
            f.remove_prefix(1);
        while (!f.empty() && f.back() == ' ')
            f.remove_suffix(1);
        if (f.empty()) {
            fail(no, QStringLiteral("a field is empty"));
            return false;
        }
        const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), out);
        if (ec != std::errc() || end != f.data() + f.size() || !std::isfinite(out)) {
            fail(no, QStringLiteral("\"%1\" is not a number").arg(shown(field)));
            return false;
        }
        return true;
    }

    bool dataLine(int64_t no, std::string_view s)
    {
        if (!sepKnown_) {
            const auto at = std::find_if(s.begin(), s.end(), isSeparator);
            if (at != s.end())
                r_.separator = *at;
            sepKnown_ = true;
        }
        const char sep = r_.separator;
        // Fast path for a well-formed line: each number ends right at a
        // separator (or, the third, at the line's end).
        {
            const char *p = s.data(), *end = p + s.size();
            float t, I, V;
            // Times are whole seconds: read as an integer when they are.
            int64_t whole = 0;
            auto r1 = std::from_chars(p, end, whole);
            if (r1.ec == std::errc() && r1.ptr < end && *r1.ptr == sep)
                t = float(whole);
            else
                r1 = std::from_chars(p, end, t);
            if (r1.ec == std::errc() && r1.ptr < end && *r1.ptr == sep) {
                const char *q = r1.ptr;
                while (q < end && *q == sep)
                    ++q;
                auto r2 = std::from_chars(q, end, I);
                if (r2.ec == std::errc() && r2.ptr < end && *r2.ptr == sep) {
                    auto r3 = std::from_chars(r2.ptr + 1, end, V);
                    if (r3.ec == std::errc() && (r3.ptr == end || *r3.ptr == sep) && std::isfinite(t) &&
                        std::isfinite(I) && std::isfinite(V))
                        return point(no, t, I, V);
                }
            }
        }
        // Otherwise field by field, to tell what is wrong.
        const size_t n = s.size();
        // Field 1: up to the first separator.
        size_t a = s.find(sep);
        if (a == std::string_view::npos)
            return missing(no);
        // Field 2: the first run of other characters after it.
        size_t b = a;
        while (b < n && s[b] == sep)
            ++b;
        size_t e2 = b;
        while (e2 < n && s[e2] != sep)
            ++e2;
        if (e2 == b || e2 == n)
            return missing(no);
        // Field 3: from behind the separator that ends field 2 to the next one.
        const size_t c = e2 + 1;
        size_t e3 = c;
        while (e3 < n && s[e3] != sep)
            ++e3;
        float t, I, V;
        if (!number(no, s.substr(0, a), t) || !number(no, s.substr(b, e2 - b), I) ||
            !number(no, s.substr(c, e3 - c), V))
            return false;
        return point(no, t, I, V);
    }

    bool missing(int64_t no)
    {
        fail(no, QStringLiteral("the line has fewer than three fields separated by \"%1\"")
                     .arg(r_.separator == '\t' ? QStringLiteral("TAB") : QString(QChar(r_.separator))));
        return false;
    }

    static bool fitsLong(double v) { return v > -2147483648.5 && v < 2147483647.5; }

    bool point(int64_t no, float t, float I, float V)
    {
        if (!fitsLong(t)) {
            fail(no, QStringLiteral("the time is out of range"));
            return false;
        }
        // Sums in double precision: a million lines stay exact to the last
        // shown digit.
        constexpr double PerHour = 1.0 / 3600, Milli = 0.001;
        const bool first = r_.lines == 0;
        r_.voltSum += V;
        r_.lines += 1;
        r_.capacity += (double(t) - prev_) * double(I) * 1000;
        // Energy: the capacity times the average voltage so far.
        r_.energySum = r_.capacity * (r_.voltSum / r_.lines);
        prev_ = int32_t(roundEven(t));
        const double mAh = r_.capacity * PerHour;
        const float x = opt_.xAxisCap ? float(mAh) : t;
        // A capacity beyond any number also makes the energy so.
        if (!(std::fabs(r_.energySum) <= std::numeric_limits<double>::max()) || (opt_.xAxisCap && !fitsLong(x))) {
            fail(no, QStringLiteral("the capacity is out of range"));
            return false;
        }
        if (!first) {
            r_.xRising = r_.xRising && x >= prevX_;
            r_.tRising = r_.tRising && t >= prevT_;
        }
        prevX_ = x;
        prevT_ = t;
        r_.ranges.add(x, V, I);
        try {
            r_.volt.push_back({x, V});
            r_.curr.push_back({x, I});
            // Capacity and energy are kept in Ah and Wh to three decimals.
            r_.cap.push_back({t, float(roundEven(mAh) * Milli)});
            r_.energy.push_back({t, float(roundEven(r_.energySum * PerHour) * Milli)});
        } catch (const std::bad_alloc &) {
            fail(no, QStringLiteral("there is not enough memory for the points"));
            return false;
        }
        return true;
    }

    void summarise()
    {
        QString &capCell = r_.cells[ColCapacity];
        QString &energyCell = r_.cells[ColEnergy];
        QString &avgCell = r_.cells[ColAvgVolt];
        r_.avgVolt = num::toDouble(num::format(r_.voltSum / r_.lines, u"0.00"));
        if (avgCell.isEmpty())
            avgCell = num::general(r_.avgVolt) + QStringLiteral("V");
        if (capCell.isEmpty()) {
            const float mAh = float(r_.capacity / 3600);
            capCell = mAh <= 9999 ? num::general(mAh) + QStringLiteral("mAh")
                                  : num::format(double(mAh) / 1000, u"00.00") + QStringLiteral("Ah");
        }
        // Energy from the capacity cell and the average voltage.
        const bool milli = capCell.endsWith(QStringLiteral("mAh"));
        if (!milli && !capCell.endsWith(QStringLiteral("Ah")))
            return;
        const QString amount = capCell.left(capCell.size() - (milli ? 3 : 2));
        if (!num::isNumeric(amount)) {
            fail(keyLine_[ColCapacity], QStringLiteral("the capacity \"%1\" is not a number").arg(capCell));
            return;
        }
        if (!energyCell.isEmpty())
            return;
        const double e = num::toDouble(amount) * r_.avgVolt;
        energyCell = milli ? num::format(e, u"0") + QStringLiteral("mWh") : num::format(e, u"0.00") + QStringLiteral("Wh");
    }

    ReadOptions opt_;
    ResultData r_;
    bool sepKnown_ = false;
    bool failed_ = false;
    int32_t prev_ = 0;
    float prevX_ = 0, prevT_ = 0; // x and seconds of the last point
    std::array<int64_t, SummaryColumns> keyLine_{};
};

} // namespace

ResultData parseResultBytes(std::string_view bytes, const ReadOptions &opt)
{
    Parser parser(opt);
    LineSplitter lines;
    auto onLine = [&](int64_t no, std::string_view s) { return parser.line(no, s); };
    if (lines.feed(bytes, onLine))
        lines.end(onLine);
    return parser.finish(lines);
}

ResultData readResultFile(const QString &path, const ReadOptions &opt)
{
    // One pass over the file in blocks, each parsed as it comes: the memory
    // is the points and one block, whatever the size of the file, and a pipe
    // gives its bytes once.
    constexpr qint64 BlockSize = 256 << 10;
    Parser parser(opt);
    LineSplitter lines;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        parser.fail(0, QStringLiteral("the file cannot be opened (%1)").arg(f.errorString()));
        return parser.finish(lines);
    }
    auto onLine = [&](int64_t no, std::string_view s) { return parser.line(no, s); };
    const std::unique_ptr<char[]> block(new char[size_t(BlockSize)]);
    for (;;) {
        const qint64 got = f.read(block.get(), BlockSize);
        if (got < 0) {
            parser.fail(0, QStringLiteral("the file cannot be read (%1)").arg(f.errorString()));
            break;
        }
        if (got == 0) {
            lines.end(onLine);
            break;
        }
        if (!lines.feed(std::string_view(block.get(), size_t(got)), onLine))
            break;
    }
    return parser.finish(lines);
}

char separatorForName(const QString &name, int csvType)
{
    if (endsIn(name, u"csv"))
        return csvType != 0 ? ';' : ',';
    return '\t';
}

} // namespace qx::curves
