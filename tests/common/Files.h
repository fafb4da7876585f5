#pragma once
// A whole file's bytes, or "<missing>" when it cannot be read.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace qx::test {

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace qx::test
