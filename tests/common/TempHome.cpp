#include "common/TempHome.h"
#include "platform/AppHome.h"

#include <QFile>

namespace qx::test {

TempHome::TempHome() : previous_(homeDir()) { setHomeDir(dir_.path()); }
TempHome::~TempHome() { setHomeDir(previous_); }

void TempHome::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempHome::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace qx::test
