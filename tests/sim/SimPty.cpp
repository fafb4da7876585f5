#include "SimPty.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace qx::sim {

namespace {
QString lastError() { return QString::fromLocal8Bit(strerror(errno)); }
} // namespace

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool openRawPty(int &master, int &slave, QString &slavePath, QString &error)
{
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        error = QStringLiteral("openpty: %1").arg(lastError());
        master = slave = -1;
        return false;
    }
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(slave, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    char name[PATH_MAX] = {};
    if (::ttyname_r(slave, name, sizeof name) != 0) {
        error = QStringLiteral("ttyname: %1").arg(lastError());
        closeFd(master);
        closeFd(slave);
        return false;
    }
    slavePath = QString::fromLocal8Bit(name);
    return true;
}

QString linkPort(const QString &home, int com, const QString &target, QString &error)
{
    const QString dir = home + QStringLiteral("/ports");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/COM%1").arg(com);
    const QByteArray link = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0)
        ::unlink(link.constData());
    if (::symlink(QFile::encodeName(target).constData(), link.constData()) != 0) {
        error = QStringLiteral("link %1: %2").arg(path, lastError());
        return {};
    }
    return path;
}

void unlinkPort(QString &link, const QString &target)
{
    if (link.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(link);
    char buf[PATH_MAX] = {};
    const ssize_t n = ::readlink(path.constData(), buf, sizeof buf - 1);
    if (n > 0 && QString::fromLocal8Bit(buf, int(n)) == target)
        ::unlink(path.constData());
    link.clear();
}

} // namespace qx::sim
