#include "services/RunLog.h"

#include "platform/Numbers.h"
#include "platform/QxError.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <algorithm>
#include <cmath>

namespace qx::runlog {

namespace {

const QByteArray Eol = QByteArrayLiteral("\r\n");

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    raise(ErrFileIo, path + QStringLiteral(": ") + reason);
}

bool isNumber(const QString &field, double &out)
{
    if (!num::isNumeric(field))
        return false;
    out = num::toDouble(field);
    return std::isfinite(out);
}

// Parses a data line; false when it is not well formed.
bool parseData(const QString &line, int columns, Point &p)
{
    const QStringList f = line.split(QLatin1Char('\t'));
    if (columns ? f.size() != columns : (f.size() < 3 || f.size() > 4))
        return false;
    double t = 0, extra = 0;
    if (!isNumber(f[0], t) || !isNumber(f[1], p.cur) || !isNumber(f[2], p.vol))
        return false;
    if (f.size() == 4 && !isNumber(f[3], extra))
        return false;
    t = num::roundHalfEven(t);
    if (t < 0 || t > 2147483647.0)
        return false;
    p.t = int32_t(t);
    return true;
}

// The text after "caption:" when the line is at least two characters
// longer than the caption and its colon.
std::optional<QString> headerValue(const QString &line, QLatin1String caption)
{
    if (line.size() > caption.size() + 2 && line.startsWith(caption) && line.at(caption.size()) == QLatin1Char(':'))
        return line.mid(caption.size() + 1);
    return std::nullopt;
}

std::optional<RunSettings> parseSettings(const QString &text)
{
    const QStringList f = text.split(QLatin1Char(','));
    if (f.size() != 4)
        return std::nullopt;
    int32_t v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = f[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return RunSettings{v[0], v[1], v[2], v[3]};
}

} // namespace

QString settingsRecord(const RunSettings &s)
{
    return QStringLiteral("Settings:%1,%2,%3,%4").arg(s.mode).arg(s.set).arg(s.limit).arg(s.third);
}

QString carriedRecord(double ah) { return QStringLiteral("Carried:") + QString::number(ah, 'f', 7); }

QString endRecord(int32_t secs, double ah)
{
    return QStringLiteral("End:%1,%2").arg(secs).arg(ah, 0, 'f', 7);
}

double charge(const Contents &c)
{
    const size_t from = c.endCharge ? std::min(c.pointsAtEnd, c.points.size()) : 0;
    double sum = 0; // current x seconds
    int32_t p = from > 0 ? c.points[from - 1].t : 0;
    for (size_t i = from; i < c.points.size(); ++i) {
        sum += c.points[i].cur * double(c.points[i].t - p);
        p = c.points[i].t;
    }
    return (c.endCharge ? *c.endCharge : 0) + sum / 3600;
}

QString columnLine(bool temperature, bool milliAmps)
{
    if (temperature)
        return QStringLiteral("Time(S)\tCur(A)\tVol(V)\tTemp(C)");
    return milliAmps ? QStringLiteral("Time(S)\tCur(mA)\tVol(V)") : QStringLiteral("Time(S)\tCur(A)\tVol(V)");
}

QStringList headerLines(const Header &h)
{
    return {Title,
            h.deviceCaption + QLatin1Char(':') + h.model,
            h.modeCaption + QLatin1Char(':') + h.mode,
            h.beginCaption + QLatin1Char(':') + h.beginVolt,
            SiteLine,
            columnLine(h.temperature, h.milliAmps)};
}

QString dataLine(int32_t secs, float cur, const QString &curPicture, float vol, std::optional<float> temp)
{
    QString line = QString::number(secs) + QLatin1Char('\t') + num::format(cur, curPicture) + QLatin1Char('\t') +
                   num::format(vol, u"0.000");
    if (temp)
        line += QLatin1Char('\t') + num::format(*temp, u"0.0");
    return line;
}

void writeHeader(const QString &path, const Header &h)
{
    QByteArray text;
    for (const QString &l : headerLines(h))
        text += l.toUtf8() + Eol;
    // The earlier run's log goes first: a header that cannot be written
    // never leaves that run's lines for this run's to follow.
    QFile::remove(path);
    QString reason;
    if (!savefile::replace(path, text, &reason))
        fail(path, reason);
}

void LineWriter::append(const QString &path, const QString &line)
{
    QString reason;
    if (!out_.append(path, line.toUtf8() + Eol, &reason))
        fail(path, reason);
}

std::optional<Contents> read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray all = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;

    Contents c;
    int columns = 0; // from the column line; 0 = not seen (3 or 4 taken)
    const QList<QByteArray> lines = all.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray raw = lines[n];
        const bool last = n == lines.size() - 1;
        if (last && raw.isEmpty())
            break;
        if (last) { // no line end: torn by a crash or power loss
            c.skipped.push_back(int(n + 1));
            break;
        }
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        const QString line = QString::fromUtf8(raw);
        if (line.at(0).isDigit() && line.at(0).unicode() < 128) {
            Point p;
            if (parseData(line, columns, p)) {
                c.points.push_back(p);
                c.ended = false;
            } else {
                c.skipped.push_back(int(n + 1));
            }
        } else if (line.startsWith(QLatin1String("Time(S)\t"))) {
            const qsizetype fields = line.count(QLatin1Char('\t')) + 1;
            columns = fields == 3 || fields == 4 ? int(fields) : 0;
        } else if (auto v = headerValue(line, QLatin1String("Device"))) {
            c.model = v;
        } else if (auto v = headerValue(line, QLatin1String("Mode"))) {
            c.mode = v;
        } else if (auto v = headerValue(line, QLatin1String("Begin Volt"))) {
            c.beginVolt = v;
        } else if (line.startsWith(QLatin1String("Settings:"))) {
            if (auto s = parseSettings(line.mid(9))) {
                c.settings = s;
                c.ended = false;
            }
        } else if (line.startsWith(QLatin1String("Carried:"))) {
            double ah = 0;
            if (isNumber(line.mid(8), ah) && ah >= 0) {
                c.carried = ah;
                c.ended = false;
            }
        } else if (line.startsWith(QLatin1String("End:"))) {
            const QStringList f = line.mid(4).split(QLatin1Char(','));
            double secs = 0, ah = 0;
            if (f.size() == 2 && isNumber(f[0], secs) && isNumber(f[1], ah) && ah >= 0) {
                c.ended = true;
                c.endCharge = ah;
                c.pointsAtEnd = c.points.size();
            }
        }
    }
    return c;
}

} // namespace qx::runlog
