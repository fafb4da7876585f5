#include "net/UTF8.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qx::UTF8 {

QByteArray Utf8Encode(const QString &s)
{
    if (s.isEmpty())
        return QByteArray();
    QStringEncoder enc(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    return enc.encode(s);
}

QString Utf8Decode(const QByteArray &b)
{
    if (b.isEmpty())
        return QString();
    QStringDecoder dec(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    return dec.decode(b);
}

} // namespace qx::UTF8
