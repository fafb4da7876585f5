#pragma once
// The result data file of one channel's run (".csv" with "," or ";", ".dat"
// with TAB): its lines and its names. No widgets: the main window gathers the
// content from its views and writes the lines.
//
// Lines:
//   -----------QX Tester Software-----------
//   either "*" step rows (the finished step program's results) or the seven
//   summary lines "Device:QM-01" ... "Avg Volt:..."
//   Title:<chart title>
//   ------------Curve Data--------------        (the site line)
//   Time(S)<sep>Cur(A)<sep>Vol(V)[<sep>Temp(C)]  ("Cur(mA)" for type 40)
//   one data line per point of the run: seconds since the run's first point,
//   current ("0.00" or "0.000"), voltage ("0.000"), temperature ("0.0").
// Numbers use "." as the decimal mark; the writer ends every line with CR LF.
#include "mainwin/ResultColumns.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace qx::resultfile {

// "," (csv, csvT 0), ";" (csv, csvT not 0) or TAB (not csv).
QString separator(bool csv, int csvT);
// "csv" or "dat".
QString extension(bool csv);
// The file dialog's filter: "csv file(*.csv)|*.csv" or "data file(*.dat)|*.dat".
QString dialogFilter(bool csv);

enum class Columns {
    CurA,     // Time(S), Cur(A), Vol(V)
    CurMilli, // Time(S), Cur(mA), Vol(V) (the header only; values as CurA)
    WithTemp, // Time(S), Cur(A), Vol(V), Temp(C)
};

struct Point {
    float x = 0;    // s, the channel's elapsed seconds
    float cur = 0;  // current curve
    float vol = 0;  // voltage curve
    float temp = 0; // third curve (used with Columns::WithTemp)
};

struct Content {
    QString sep = QStringLiteral(",");
    // Step-list variant when not empty: rows of four cells, header row first;
    // rows whose second cell is empty are skipped.
    std::vector<std::array<QString, 4>> stepRows;
    // Summary variant: header and cell texts of the result grid's summary
    // columns (Model to AvgVolt).
    std::array<QString, resultgrid::SummaryColumns> headers;
    std::array<QString, resultgrid::SummaryColumns> cells;
    QString title;
    Columns columns = Columns::CurA;
    bool milliAmpDigits = false; // current with 3 decimals (CurScale not 100)
    std::vector<Point> points;   // the run's points, first point first
};

// The file's lines, without line ends.
QStringList lines(const Content &c);

// Name of an automatic save (no folder), after Module4::DateStamp: stamp-model-(Index+1)-(chn+1).csv|.dat
QString autoName(const QDateTime &t, const QString &model, int Index, int chn, bool csv);
// Default name of the "Save Data" dialog: stamp-model-(dev+1)-(chn+1), with
// "-(chn+1)" once more on a two-channel panel.
QString dialogName(const QDateTime &t, const QString &model, int dev, int chn, bool dev2S);

} // namespace qx::resultfile
