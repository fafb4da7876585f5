#include "platform/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <vector>

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

} // namespace

std::optional<QString> read(const QString &path, const QString &section, const QString &key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    Found found = locate(splitLines(bytes), section.trimmed(), key.trimmed());
    if (found.key < 0)
        return std::nullopt;
    return found.value;
}

bool write(const QString &path, const QString &section, const QString &key, const QString &value)
{
    const QString sec = section.trimmed();
    const QString k = key.trimmed();
    if (sec.isEmpty() || k.isEmpty() || sec.contains(QLatin1Char(']')) || k.contains(QLatin1Char('='))
        || k.startsWith(QLatin1Char('[')) || k.startsWith(QLatin1Char(';')) || hasLineBreak(section)
        || hasLineBreak(key) || hasLineBreak(value))
        return false;

    QByteArray old;
    if (QFile::exists(path)) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        old = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return false;
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

    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace qx::profile
