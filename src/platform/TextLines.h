#pragma once
// Reading the program's text files line by line. A small file is read whole
// in one read, a large one a block at a time; lines end with CR LF or LF. The
// text is UTF-8, or the code page a file written on Windows most likely
// came from when its first block is not valid UTF-8 (platform/TextDecode.h).
// A line longer than MaxLine bytes is passed over whole (reported as too
// long) instead of being held in memory.
#include "platform/TextDecode.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QIODevice;

namespace qx::textlines {

constexpr qint64 MaxLine = 64 * 1024;
// Bytes read at a time: at most this much of a file is held in memory.
constexpr qint64 Block = 1024 * 1024;

class Lines {
public:
    // Reads the first block of f from its current position (a device that
    // gives its bytes a piece at a time is read until it fills the block or
    // ends).
    explicit Lines(QIODevice &f);

    // The next line without its end into line; tooLong tells a line that was
    // longer than MaxLine (line is then empty). False at the end of the file.
    bool next(QString &line, bool &tooLong);

private:
    // Drops the lines already taken and appends the next block; false at the
    // end of the file.
    bool fill();

    QIODevice &f_;
    QByteArray buf_;
    qsizetype pos_ = 0; // start of the next line in buf_
    text::Encoding enc_ = text::Encoding::Utf8;
};

} // namespace qx::textlines
