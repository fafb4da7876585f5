#pragma once
// The ending of a file name, as the file dialogs return it, compared
// without regard to case: files from Windows and from FAT sticks often
// carry theirs in upper case ("PROG.STP").
#include <QString>
#include <QStringView>

namespace qx {

// Whether name ends in ending (given without its dot, "stp").
inline bool endsIn(const QString &name, QStringView ending) { return name.endsWith(ending, Qt::CaseInsensitive); }

// name with "." and ending appended, unless it ends in ending already.
inline QString withEnding(const QString &name, QStringView ending)
{
    return endsIn(name, ending) ? name : name + QLatin1Char('.') + ending.toString();
}

} // namespace qx
