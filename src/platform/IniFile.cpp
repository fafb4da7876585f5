#include "platform/IniFile.h"
#include "platform/SaveFile.h"
#include "platform/TextDecode.h"

#include <QFile>

#include <mutex>
#include <unordered_map>
#include <vector>

#include <sys/stat.h>
#include <time.h>

namespace qx::profile {

namespace {

// One line of the file: its bytes from begin to end (line end included) and
// its text without the line end.
struct Line {
    qsizetype begin = 0, end = 0;
    QString text;
    bool terminated = false;
};

std::vector<Line> splitLines(const QByteArray &bytes)
{
    std::vector<Line> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        Line l;
        l.begin = pos;
        l.terminated = nl >= 0;
        l.end = l.terminated ? nl + 1 : bytes.size();
        qsizetype contentEnd = l.terminated ? nl : bytes.size();
        if (contentEnd > pos && bytes[contentEnd - 1] == '\r')
            --contentEnd;
        l.text = QString::fromUtf8(bytes.constData() + pos, contentEnd - pos);
        if (lines.empty() && l.text.startsWith(QChar(0xFEFF)))
            l.text.remove(0, 1);
        pos = l.end;
        lines.push_back(std::move(l));
    }
    return lines;
}

bool sameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The section name when the line is a section header.
std::optional<QString> sectionOf(const QString &text)
{
    QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    qsizetype close = t.indexOf(QLatin1Char(']'));
    return t.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

// Key and value when the line is a key line.
std::optional<std::pair<QString, QString>> keyOf(const QString &text)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return std::make_pair(t.left(eq).trimmed(), t.mid(eq + 1).trimmed());
}

// Where a section and a key sit in the lines.
struct Found {
    int section = -1; // header line
    int sectionEnd = -1; // first line after the section
    int key = -1;
    QString keyName;
    QString value;
};

Found locate(const std::vector<Line> &lines, const QString &section, const QString &key)
{
    Found f;
    for (int i = 0; i < int(lines.size()); ++i) {
        if (auto s = sectionOf(lines[i].text)) {
            if (f.section >= 0) {
                f.sectionEnd = i;
                break;
            }
            if (sameName(*s, section))
                f.section = i;
            continue;
        }
        if (f.section >= 0 && f.key < 0) {
            if (auto kv = keyOf(lines[i].text); kv && sameName(kv->first, key)) {
                f.key = i;
                f.keyName = kv->first;
                f.value = kv->second;
            }
        }
    }
    if (f.section >= 0 && f.sectionEnd < 0)
        f.sectionEnd = int(lines.size());
    return f;
}

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

const QByteArray crlf("\r\n");

// What tells one state of a file from another: a write through a temporary
// copy gives a new inode, an edit in place a new size or change time.
struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};

    bool operator==(const Stamp &o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

// Whether t lies less than RacyMs before now (or after it).
bool recent(const timespec &t, const timespec &now)
{
    constexpr int64_t RacyMs = 50;
    const int64_t ms = (int64_t(now.tv_sec) - t.tv_sec) * 1000 + (int64_t(now.tv_nsec) - t.tv_nsec) / 1000000;
    return ms < RacyMs;
}

std::optional<Stamp> stampOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// A file's sections: where each one's lines lie in the file, and its keys
// once asked for (names case-folded). Of several equal sections or keys only
// the first counts, as locate() finds them. Only section headers are decoded
// when the file is read; a section's keys are decoded when it is first used.
struct Section {
    qsizetype begin = 0, end = 0; // its key lines: bytes [begin, end)
    std::optional<std::unordered_map<QString, QString>> keys;
};

struct Parsed {
    QByteArray bytes;
    std::unordered_map<QString, Section> sections;
};

// Calls f(begin, next, text-decoder) for each line of bytes[from, to): begin
// of the line, begin of the next one.
template <class F>
void forEachLine(const QByteArray &bytes, qsizetype from, qsizetype to, F &&f)
{
    qsizetype pos = from;
    while (pos < to) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        const qsizetype next = nl < 0 || nl >= to ? to : nl + 1;
        qsizetype contentEnd = nl < 0 || nl >= to ? to : nl;
        if (contentEnd > pos && bytes[contentEnd - 1] == '\r')
            --contentEnd;
        const qsizetype lineBegin = pos;
        auto text = [&] {
            QString t = QString::fromUtf8(bytes.constData() + lineBegin, contentEnd - lineBegin);
            if (lineBegin == 0 && t.startsWith(QChar(0xFEFF)))
                t.remove(0, 1);
            return t;
        };
        f(lineBegin, next, contentEnd, text);
        pos = next;
    }
}

Parsed parse(QByteArray bytes)
{
    Parsed p;
    Section *current = nullptr; // null before any section and in a repeated one
    forEachLine(bytes, 0, bytes.size(), [&](qsizetype begin, qsizetype next, qsizetype contentEnd, auto text) {
        // Only a line whose first non-blank character is "[" can be a header;
        // lines with other characters in front are decoded to be sure.
        qsizetype c = begin;
        while (c < contentEnd && (bytes[c] == ' ' || bytes[c] == '\t' || bytes[c] == '\v' || bytes[c] == '\f' ||
                                  bytes[c] == '\r'))
            ++c;
        if (c >= contentEnd || (bytes[c] != '[' && uchar(bytes[c]) < 0x80))
            return;
        const std::optional<QString> name = sectionOf(text());
        if (!name)
            return;
        if (current)
            current->end = begin;
        const QString folded = name->toCaseFolded();
        if (p.sections.count(folded)) {
            current = nullptr;
            return;
        }
        current = &p.sections[folded];
        current->begin = current->end = next;
    });
    if (current)
        current->end = bytes.size();
    p.bytes = std::move(bytes);
    return p;
}

const std::unordered_map<QString, QString> &keysOf(const QByteArray &bytes, Section &s)
{
    if (!s.keys) {
        s.keys.emplace();
        forEachLine(bytes, s.begin, s.end, [&](qsizetype, qsizetype, qsizetype, auto text) {
            if (auto kv = keyOf(text()))
                s.keys->try_emplace(kv->first.toCaseFolded(), kv->second);
        });
    }
    return *s.keys;
}

// Files parsed once and reused until their stamp changes. Used from any
// thread.
struct Cache {
    struct Entry {
        Stamp stamp;
        Parsed parsed;
        // The file was changed so shortly before it was read that a further
        // change in the same tick of the file system's clock could keep the
        // stamp: the next read takes it anew.
        bool racy = false;
    };
    static constexpr size_t MaxFiles = 8;
    std::mutex lock;
    std::unordered_map<QString, Entry> files;
};

Cache &cache()
{
    static Cache c;
    return c;
}

void forget(const QString &path)
{
    Cache &c = cache();
    std::lock_guard g(c.lock);
    c.files.erase(path);
}

} // namespace

std::optional<QString> read(const QString &path, const QString &section, const QString &key)
{
    Cache &c = cache();
    std::lock_guard g(c.lock);
    const std::optional<Stamp> stamp = stampOf(path);
    auto it = c.files.find(path);
    if (!stamp) {
        if (it != c.files.end())
            c.files.erase(it);
        return std::nullopt;
    }
    if (it == c.files.end() || it->second.racy || !(it->second.stamp == *stamp)) {
        // Stamped before reading: a change while reading shows as a new
        // stamp on the next read.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray bytes = text::toUtf8(f.readAll());
        if (f.error() != QFileDevice::NoError)
            return std::nullopt;
        if (it == c.files.end() && c.files.size() >= Cache::MaxFiles)
            c.files.erase(c.files.begin());
        Cache::Entry &e = c.files[path];
        e.stamp = *stamp;
        e.racy = recent(stamp->mtime, now) || recent(stamp->ctime, now);
        e.parsed = parse(std::move(bytes));
        it = c.files.find(path);
    }
    Parsed &parsed = it->second.parsed;
    const auto sec = parsed.sections.find(section.trimmed().toCaseFolded());
    if (sec == parsed.sections.end())
        return std::nullopt;
    const auto &keys = keysOf(parsed.bytes, sec->second);
    const auto value = keys.find(key.trimmed().toCaseFolded());
    if (value == keys.end())
        return std::nullopt;
    return value->second;
}

bool write(const QString &path, const QString &section, const QString &key, const QString &value, QString *reason)
{
    const auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QString sec = section.trimmed();
    const QString k = key.trimmed();
    if (sec.isEmpty() || k.isEmpty() || sec.contains(QLatin1Char(']')) || k.contains(QLatin1Char('='))
        || k.startsWith(QLatin1Char('[')) || k.startsWith(QLatin1Char(';')) || hasLineBreak(section)
        || hasLineBreak(key) || hasLineBreak(value))
        return refuse(QStringLiteral("%1/%2: not a value the file can hold").arg(section, key));

    QByteArray old;
    if (QFile::exists(path)) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return refuse(in.errorString());
        // A file in a Windows code page is written back as UTF-8 whole.
        old = text::toUtf8(in.readAll());
        if (in.error() != QFileDevice::NoError)
            return refuse(in.errorString());
    }
    const std::vector<Line> lines = splitLines(old);
    const Found found = locate(lines, sec, k);

    QByteArray out;
    out.reserve(old.size() + k.size() + value.size() + sec.size() + 8);
    auto keyLine = [&](const QString &name) { return (name + QLatin1Char('=') + value).toUtf8() + crlf; };
    // Copies lines [from, to) unchanged; a last line without line end gets one
    // when more follows.
    auto copy = [&](int from, int to, bool moreFollows) {
        if (from >= to)
            return;
        out += old.mid(lines[from].begin, lines[to - 1].end - lines[from].begin);
        if (moreFollows && !lines[to - 1].terminated)
            out += crlf;
    };

    if (found.key >= 0) {
        copy(0, found.key, true);
        out += keyLine(found.keyName);
        copy(found.key + 1, int(lines.size()), false);
    } else if (found.section >= 0) {
        // After the section's last non-blank line, so blank separator lines stay below it.
        int after = found.sectionEnd;
        while (after - 1 > found.section && lines[after - 1].text.trimmed().isEmpty())
            --after;
        copy(0, after, true);
        out += keyLine(k);
        copy(after, int(lines.size()), false);
    } else {
        copy(0, int(lines.size()), true);
        out += (QLatin1Char('[') + sec + QLatin1Char(']')).toUtf8() + crlf;
        out += keyLine(k);
    }

    const bool done = savefile::replace(path, out, reason);
    // The next read parses the file anew (its stamp would show the change
    // too, but a write in place may keep size and time stamp).
    forget(path);
    return done;
}

} // namespace qx::profile
