#pragma once
// The step file (".stp"): a step program table saved for one device model.
//
//   line 1   ----------QX Step File--------------   (ignored when read)
//   line 2   DEV:<model code>                      for example DEV:7
//   line 3.. one line per cell: row as two digits (01 to 10), column (1 to
//            4), ":", value; for example 011:0, 012:0.50, 104:3
// Lines end with CR LF; reading accepts LF too. Text is written as UTF-8;
// a file from Windows in its ANSI code page reads as well (TextLines.h).
// Column 1 holds a number: the row's mode as an index into the device's
// mode list, the list's count for "Wait", the count + 1 for "Cycle" (any
// larger number reads as "Cycle"). Columns 2 to 4 hold the cell texts as
// they stand.
//
// Writing goes row by row from row 1 up to the first row whose column 1 is
// empty, or whose mode is not in the mode list (a row the device cannot
// run). Reading keeps only well-formed cell lines: row 1 to 10, column 1 to
// 4, and in column 1 a whole number of 0 or more written in digits; every
// other line is skipped.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class QIODevice;

namespace qx::stepfile {

constexpr int MaxRows = 10;
constexpr int MaxCols = 4;

// The program table's cells, rows 1 to 10 and columns 1 to 4.
class Program {
public:
    QString &at(int row, int col);  // QxError(ErrSubscript) outside the table
    const QString &at(int row, int col) const;

private:
    std::array<std::array<QString, MaxCols>, MaxRows> cells_;
};

// What the numbers of column 1 stand for.
struct ModeList {
    QStringList modes;  // the device's mode list, index 0 first
    QString wait;       // text of a "Wait" row
    QString cycle;      // text of a "Cycle" row
};

// The file's bytes for the table of a device of model code devType.
QByteArray write(const Program &table, int devType, const ModeList &m);

struct Cell {
    int row;
    int col;
    QString text;
};

// The cells a step file sets, in file order (a later line for the same cell
// overwrites an earlier one), for a device of model code devType. A file
// without the "DEV:" line or of another model sets none.
std::vector<Cell> read(QIODevice &file, int devType, const ModeList &m);

} // namespace qx::stepfile
