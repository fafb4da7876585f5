#include "services/StepFile.h"

#include "platform/QxError.h"
#include "platform/TextLines.h"

#include <QIODevice>
#include <optional>

namespace qx::stepfile {

namespace {

const QByteArray Eol = QByteArrayLiteral("\r\n");

void checkCell(int row, int col)
{
    if (row < 1 || row > MaxRows || col < 1 || col > MaxCols)
        raise(ErrSubscript);
}

// The number written by the digits of s alone (no sign, no blanks).
std::optional<qint64> digits(QStringView s)
{
    if (s.isEmpty() || s.size() > 18)
        return std::nullopt;
    qint64 v = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

} // namespace

QString &Program::at(int row, int col)
{
    checkCell(row, col);
    return cells_[size_t(row - 1)][size_t(col - 1)];
}

const QString &Program::at(int row, int col) const
{
    checkCell(row, col);
    return cells_[size_t(row - 1)][size_t(col - 1)];
}

QByteArray write(const Program &table, int devType, const ModeList &m)
{
    QByteArray out = QByteArrayLiteral("----------QX Step File--------------") + Eol;
    out += "DEV:" + QByteArray::number(devType) + Eol;
    for (int r = 1; r <= MaxRows; ++r) {
        const QString &mode = table.at(r, 1);
        if (mode.isEmpty())
            break;
        qsizetype index;
        if (mode == m.cycle)
            index = m.modes.size() + 1;
        else if (mode == m.wait)
            index = m.modes.size();
        else if ((index = m.modes.indexOf(mode)) < 0)
            break;
        const QByteArray head = QByteArray::number(r).rightJustified(2, '0');
        for (int c = 1; c <= MaxCols; ++c) {
            const QByteArray value = c == 1 ? QByteArray::number(index) : table.at(r, c).toUtf8();
            out += head + QByteArray::number(c) + ':' + value + Eol;
        }
    }
    return out;
}

std::vector<Cell> read(QIODevice &file, int devType, const ModeList &m)
{
    std::vector<Cell> cells;
    textlines::Lines lines(file);
    QString line;
    bool tooLong = false;
    if (!lines.next(line, tooLong) || !lines.next(line, tooLong) || tooLong)
        return cells;
    if (!line.startsWith(QLatin1String("DEV:")) || digits(QStringView(line).mid(4)) != qint64(devType))
        return cells;
    while (lines.next(line, tooLong)) {
        if (tooLong || line.size() < 4)
            continue;
        const auto row = digits(QStringView(line).first(2));
        const auto col = digits(QStringView(line).mid(2, 1));
        if (!row || !col || *row < 1 || *row > MaxRows || *col < 1 || *col > MaxCols)
            continue;
        QString value = line.mid(4);
        if (*col == 1) {
            const auto v = digits(value);
            if (!v)
                continue;
            if (*v < m.modes.size())
                value = m.modes.at(qsizetype(*v));
            else if (*v == m.modes.size())
                value = m.wait;
            else
                value = m.cycle;
        }
        cells.push_back(Cell{int(*row), int(*col), value});
    }
    return cells;
}

} // namespace qx::stepfile
