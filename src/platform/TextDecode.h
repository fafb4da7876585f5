#pragma once
// The text of the files the program reads. The program writes UTF-8; the
// files other programs of its family write on Windows are in the writer's
// ANSI code page: Chinese (GB18030, of which GBK is the two-byte part) for
// the maker's own, Western (Windows-1252) in Europe. Text that is not valid
// UTF-8 is read as the code page it most likely came from.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qx::text {

enum class Encoding { Utf8, Gb18030, Windows1252 };

// The encoding the bytes most likely are in:
// - UTF-8 when they are valid UTF-8 (plain ASCII included);
// - GB18030 when every byte above 0x7F belongs to a two-byte character (lead
//   0x81-0xFE, trail 0x40-0x7E or 0x80-0xFE) that is defined and not for
//   private use, and the common Chinese characters among them (the symbols
//   and the first-level ideographs of GB 2312: lead 0xA1-0xA9 or 0xB0-0xD7,
//   trail 0xA1-0xFE), two bytes each, outnumber the bytes that Windows-1252
//   reads as letters beside an ASCII letter (the "ü" of "Prüfung"): an
//   accented letter followed by a letter or digit also pairs up as a
//   Chinese character, but seldom as a common one;
// - Windows-1252 otherwise.
Encoding guess(QByteArrayView bytes);

// The bytes read in encoding e. Invalid UTF-8 or GB18030 becomes U+FFFD;
// the five bytes Windows-1252 leaves undefined become U+0081, U+008D,
// U+008F, U+0090 and U+009D, as Windows reads them.
QString decode(QByteArrayView bytes, Encoding e);

// decode(bytes, guess(bytes)).
QString decode(QByteArrayView bytes);

// The bytes as UTF-8: the same bytes when they are UTF-8, else decoded as
// guessed and encoded anew.
QByteArray toUtf8(const QByteArray &bytes);

} // namespace qx::text
