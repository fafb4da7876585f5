#pragma once
// A whole file's bytes, or "<missing>" when it cannot be read; bytes
// added to a file.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace qx::test {

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Adds bytes at the end of a file, as another program would.
inline void appendTo(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::Append))
        f.write(bytes);
}

} // namespace qx::test
