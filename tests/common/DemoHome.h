#pragma once
// The home folder of a demo program: the folder after "--home" on its
// command line, else a temporary folder that lasts as long as this object.
#include "platform/AppHome.h"

#include <QStringList>
#include <QTemporaryDir>

namespace qx::test {

class DemoHome {
public:
    explicit DemoHome(const QStringList &args)
    {
        const qsizetype at = args.indexOf(QStringLiteral("--home"));
        path_ = at > 0 && at + 1 < args.size() ? args[at + 1] : temp_.path();
        qx::setHomeDir(path_);
    }
    const QString &path() const { return path_; }

private:
    QTemporaryDir temp_;
    QString path_;
};

} // namespace qx::test
