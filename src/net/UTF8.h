#pragma once
// UTF-8 conversion of the program's text, for the news exchange: every
// message travels as the UTF-8 bytes of its text. A character that cannot
// be converted (a lone surrogate, a malformed byte sequence) becomes the
// replacement character U+FFFD; the result is never a buffer of zeros.
#include <QByteArray>
#include <QString>

namespace qx::UTF8 {

// The UTF-8 bytes of s, without a terminator; "" gives no bytes.
QByteArray Utf8Encode(const QString &s);
// The text of UTF-8 bytes; no bytes give "".
QString Utf8Decode(const QByteArray &b);

} // namespace qx::UTF8
