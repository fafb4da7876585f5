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

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

bool SimPty::open(const QString &home, int com, QString &error)
{
    close();
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        error = QStringLiteral("openpty: %1").arg(lastError());
        master_ = slave_ = -1;
        return false;
    }
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(slave_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    char name[PATH_MAX] = {};
    if (::ttyname_r(slave_, name, sizeof name) != 0) {
        error = QStringLiteral("ttyname: %1").arg(lastError());
        closeFds();
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    if (home.isEmpty())
        return true;

    const QString dir = home + QStringLiteral("/ports");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/COM%1").arg(com);
    const QByteArray link = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0)
        ::unlink(link.constData());
    if (::symlink(name, link.constData()) != 0) {
        error = QStringLiteral("link %1: %2").arg(path, lastError());
        closeFds();
        return false;
    }
    linkPath_ = path;
    return true;
}

void SimPty::closeFds()
{
    closeFd(master_);
    closeFd(slave_);
}

void SimPty::close()
{
    closeFds();
    if (linkPath_.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(linkPath_);
    char target[PATH_MAX] = {};
    const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
    if (n > 0 && QString::fromLocal8Bit(target, int(n)) == slavePath_)
        ::unlink(path.constData());
    linkPath_.clear();
}

} // namespace qx::sim
