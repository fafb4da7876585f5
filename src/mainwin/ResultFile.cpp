#include "mainwin/ResultFile.h"

#include "services/Module4.h"
#include "platform/Numbers.h"

#include <cmath>

namespace qx::resultfile {

QString separator(bool csv, int csvT)
{
    if (!csv)
        return QStringLiteral("\t");
    return csvT == 0 ? QStringLiteral(",") : QStringLiteral(";");
}

QString extension(bool csv) { return csv ? QStringLiteral("csv") : QStringLiteral("dat"); }

QString dialogFilter(bool csv)
{
    return csv ? QStringLiteral("csv file(*.csv)|*.csv") : QStringLiteral("data file(*.dat)|*.dat");
}

QStringList lines(const Content &c)
{
    const QString &sep = c.sep;
    QStringList out;
    out << QStringLiteral("-----------QX Tester Software-----------");
    if (!c.stepRows.empty()) {
        for (const auto &r : c.stepRows)
            if (!r[1].isEmpty())
                out << QLatin1Char('*') + r[0] + sep + r[1] + sep + r[2] + sep + r[3];
    } else {
        for (size_t i = 0; i < c.headers.size(); ++i)
            out << c.headers[i] + QLatin1Char(':') + c.cells[i];
    }
    out << QStringLiteral("Title:") + c.title;
    out << QStringLiteral("------------Curve Data--------------");

    QString columns = QStringLiteral("Time(S)") + sep;
    columns += c.columns == Columns::CurMilli ? QStringLiteral("Cur(mA)") : QStringLiteral("Cur(A)");
    columns += sep + QStringLiteral("Vol(V)");
    const bool temp = c.columns == Columns::WithTemp;
    if (temp)
        columns += sep + QStringLiteral("Temp(C)");
    out << columns;

    if (c.points.empty())
        return out;
    // Seconds count from the run's first point: its x rounded, every x cut down.
    const auto x0 = static_cast<long long>(num::roundHalfEven(double(c.points.front().x)));
    const char16_t *curPicture = c.milliAmpDigits ? u"0.000" : u"0.00";
    for (const Point &p : c.points) {
        QString line = QString::number(static_cast<long long>(std::floor(double(p.x))) - x0);
        line += sep + num::format(p.cur, curPicture);
        line += sep + num::format(p.vol, u"0.000");
        if (temp)
            line += sep + num::format(p.temp, u"0.0");
        out << line;
    }
    return out;
}

QString autoName(const QDateTime &t, const QString &model, int Index, int chn, bool csv)
{
    return dialogName(t, model, Index, chn, false) + QLatin1Char('.') + extension(csv);
}

QString dialogName(const QDateTime &t, const QString &model, int dev, int chn, bool dev2S)
{
    QString name = Module4::DateStamp(t) + QLatin1Char('-') + model + QLatin1Char('-') + QString::number(dev + 1) +
                   QLatin1Char('-') + QString::number(chn + 1);
    if (dev2S)
        name += QLatin1Char('-') + QString::number(chn + 1);
    return name;
}

} // namespace qx::resultfile
