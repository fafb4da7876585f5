#pragma once
// Reading the program's text files line by line: lines end with CR LF or LF,
// text is UTF-8, and a line longer than MaxLine bytes is passed over whole
// (reported as too long) instead of being held in memory.
#include <QString>
#include <QtGlobal>

class QIODevice;

namespace qx::textlines {

constexpr qint64 MaxLine = 64 * 1024;

// Reads the next line without its end into line; tooLong tells a line that
// was longer than MaxLine (line then holds only its last piece). False at
// the end of the file.
bool nextLine(QIODevice &f, QString &line, bool &tooLong);

} // namespace qx::textlines
