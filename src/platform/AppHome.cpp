#include "platform/AppHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <unistd.h>

namespace qx {

namespace {
QString &home()
{
    static QString h;
    return h;
}

QString clean(const QString &dir)
{
    QString d = QDir::cleanPath(QDir(dir).absolutePath());
    return d;
}
} // namespace

QString initHome(const QString &homeOption)
{
    QString dir = homeOption;
    if (dir.isEmpty())
        dir = qEnvironmentVariable("QX_HOME");
    if (dir.isEmpty() && QCoreApplication::instance()) {
        QString exe = QCoreApplication::applicationDirPath();
        if (!exe.isEmpty() && ::access(QFile::encodeName(exe).constData(), W_OK) == 0)
            dir = exe;
    }
    if (dir.isEmpty()) {
        QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
        if (xdg.isEmpty())
            xdg = QDir::homePath() + QLatin1String("/.local/share");
        dir = xdg + QLatin1String("/qx-tester");
    }
    QDir().mkpath(dir);
    setHomeDir(dir);
    return homeDir();
}

void setHomeDir(const QString &dir) { home() = clean(dir); }

QString homeDir()
{
    if (home().isEmpty())
        home() = clean(QDir::currentPath());
    return home();
}

QString homePath(const QString &name) { return homeDir() + QLatin1Char('/') + name; }

bool homeWritable()
{
    if (!QDir().mkpath(homeDir()))
        return false;
    QTemporaryFile probe(homePath(QStringLiteral(".qx-write-test-XXXXXX")));
    return probe.open();  // removed when it goes out of scope
}

} // namespace qx
