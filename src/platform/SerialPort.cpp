#include "platform/SerialPort.h"

#include "platform/AppHome.h"

#include <QFile>
#include <QFileInfo>

#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace qx {

namespace {

speed_t speedOf(int baud)
{
    switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

tcflag_t sizeOf(int byteSize)
{
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return tcflag_t(-1);
    }
}

// Raw bytes: nothing translated, stripped or marked, no flow control; a read
// with nothing waiting fails with EAGAIN (O_NONBLOCK) rather than returning
// 0, so that 0 keeps meaning "hung up".
void makeRaw(termios &t)
{
    cfmakeraw(&t);
    t.c_iflag &= ~tcflag_t(PARMRK | ISTRIP | ICRNL | INLCR | IGNCR | IXON | IXOFF | IXANY | INPCK);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

std::atomic<bool> &systemPortsOn()
{
    static std::atomic<bool> on{true};
    return on;
}

QStringList lockDirs()
{
    const QString env = qEnvironmentVariable("QX_LOCK_DIRS");
    if (!env.isEmpty())
        return env.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
}

// The names a lock file may give the device: its base name (LCK..ttyUSB0),
// and for a device in a folder below /dev its path there with "_" for "/"
// (LCK..pts_3).
QStringList lockNames(const QString &device)
{
    QStringList names{QFileInfo(device).fileName()};
    if (device.startsWith(QLatin1String("/dev/"))) {
        QString rel = device.mid(5);
        rel.replace(QLatin1Char('/'), QLatin1Char('_'));
        if (!names.contains(rel))
            names << rel;
    }
    return names;
}

// The process a lock file names: its text holds the number (usually padded
// to ten characters), an old-style one holds it as four binary bytes. 0 when
// it names none.
pid_t lockHolder(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = f.read(64);
    const QByteArray text = bytes.trimmed();
    bool ok = false;
    const long pid = text.toLong(&ok);
    if (ok)
        return pid > 0 && pid <= INT32_MAX ? pid_t(pid) : 0;
    if (bytes.size() == 4) {
        int32_t bin = 0;
        std::memcpy(&bin, bytes.constData(), 4);
        return bin > 0 ? pid_t(bin) : 0;
    }
    return 0;
}

bool alive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

SerialPort::Access openError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return SerialPort::Access::NoPermission;
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
    case EIO: return SerialPort::Access::Missing; // a serial node without its hardware
    // A terminal in exclusive mode refuses every open but root's.
    case EBUSY: return SerialPort::Access::Held;
    default: return SerialPort::Access::Failed;
    }
}

// Opens a free terminal without changing it: the descriptor (holding the
// flock), or -1 with why in access. A leftover exclusive mode is no hold.
int openFree(const QString &path, SerialPort::Access &access)
{
    access = SerialPort::Access::Missing;
    if (path.isEmpty())
        return -1;
    if (SerialPort::lockedByFile(path)) {
        access = SerialPort::Access::Held;
        return -1;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        access = openError(errno);
        return -1;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        access = SerialPort::Access::NotTerminal;
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        access = errno == EWOULDBLOCK ? SerialPort::Access::Held : SerialPort::Access::Failed;
        ::close(fd);
        return -1;
    }
    access = SerialPort::Access::Free;
    return fd;
}

} // namespace

SerialPort::~SerialPort() { close(); }

void SerialPort::setSystemPorts(bool on) { systemPortsOn() = on; }

bool SerialPort::systemPorts() { return systemPortsOn(); }

bool SerialPort::lockedByFile(const QString &path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        return false;
    const QStringList names = lockNames(device);
    for (const QString &dir : lockDirs()) {
        for (const QString &name : names) {
            const pid_t pid = lockHolder(dir + QStringLiteral("/LCK..") + name);
            if (pid > 0 && alive(pid))
                return true;
        }
    }
    return false;
}

SerialPort::Access SerialPort::check(const QString &path)
{
    Access access = Access::Missing;
    const int fd = openFree(path, access);
    if (fd >= 0)
        ::close(fd); // also ends the flock
    return access;
}

QString SerialPort::whoMayOpen(const QString &path)
{
    struct stat st{};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const auto readWrite = [&](mode_t r, mode_t w) { return (st.st_mode & r) && (st.st_mode & w); };
    if (readWrite(S_IRGRP, S_IWGRP)) {
        const group *g = ::getgrgid(st.st_gid);
        return QStringLiteral("group ") + (g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid));
    }
    if (readWrite(S_IRUSR, S_IWUSR)) {
        const passwd *u = ::getpwuid(st.st_uid);
        return QStringLiteral("owner ") + (u ? QString::fromLocal8Bit(u->pw_name) : QString::number(st.st_uid));
    }
    return QStringLiteral("mode %1").arg(st.st_mode & 07777, 3, 8, QLatin1Char('0'));
}

QString SerialPort::pathOf(int port)
{
    if (port <= 0)
        return {};
    const QString link = homePath(QStringLiteral("ports/COM%1").arg(port));
    const QFileInfo fi(link);
    if (fi.isSymLink() || fi.exists())
        return link;
    if (!systemPorts())
        return {};
    if (port <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(port - 1);
    if (port <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(port - 5);
    if (port <= 20)
        return QStringLiteral("/dev/ttyACM%1").arg(port - 13);
    return {};
}

QString SerialPort::devicePathOf(int port)
{
    const QString path = pathOf(port);
    const QString target = path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : target;
}

bool SerialPort::open(const QString &path)
{
    close();
    gone_ = false;
    Access access = Access::Missing;
    const int fd = openFree(path, access);
    if (fd < 0)
        return false;
    // The flock is our hold: it ends with this process however it ends.
    // Exclusive mode would not, so it is never set here, and one found now
    // (nobody holds a lock beside it) is cleared.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0)
        ::ioctl(fd, TIOCNXCL);
    fd_ = fd;
    writeTimeoutMs_ = DefaultWriteTimeoutMs;
    return true;
}

void SerialPort::close()
{
    if (fd_ < 0)
        return;
    ::close(fd_); // also ends the flock
    fd_ = -1;
}

void SerialPort::markGone()
{
    gone_ = true;
    close();
}

bool SerialPort::setLine(int baud, int byteSize, int stopBits, int parity)
{
    const speed_t speed = speedOf(baud);
    const tcflag_t size = sizeOf(byteSize);
    if (fd_ < 0 || speed == B0 || size == tcflag_t(-1) || stopBits < 0 || stopBits > 2 || parity < 0 || parity > 4)
        return false;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0)
        return false;
    // Raw without parity first, then the parity on its own: a
    // pseudo-terminal refuses parity (and the kernel may reject the whole
    // request for it), which must not leave the line in cooked mode.
    makeRaw(t);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    t.c_cflag |= size;
    if (stopBits != 0)
        t.c_cflag |= CSTOPB;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return false;
    switch (parity) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: return true;
    }
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return false;
    // tcsetattr succeeds when any part was taken: read back whether parity was.
    termios got{};
    return ::tcgetattr(fd_, &got) == 0 && (got.c_cflag & (PARENB | PARODD | CMSPAR)) == (t.c_cflag & (PARENB | PARODD | CMSPAR));
}

bool SerialPort::setTimeouts(int writeTimeoutMs)
{
    if (fd_ < 0)
        return false;
    termios t{};
    if (::tcgetattr(fd_, &t) != 0)
        return false;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return false;
    writeTimeoutMs_ = std::max(0, writeTimeoutMs);
    return true;
}

bool SerialPort::flushInput() { return fd_ >= 0 && ::tcflush(fd_, TCIFLUSH) == 0; }

int SerialPort::read(uint8_t *buf, int max)
{
    if (fd_ < 0 || buf == nullptr || max <= 0)
        return 0;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return 0;
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(fd_, buf, size_t(std::min(max, ReadMax)));
        if (n > 0)
            return int(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR) && !(p.revents & (POLLHUP | POLLERR)))
            return 0;
        markGone(); // 0 on a terminal, EIO, ENXIO, ...
        return 0;
    }
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
        markGone();
    return 0;
}

int SerialPort::write(const uint8_t *buf, int n)
{
    if (fd_ < 0 || buf == nullptr || n <= 0)
        return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(writeTimeoutMs_);
    int done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd_, buf + done, size_t(n - done));
        if (w > 0) {
            done += int(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, int(left)) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
                markGone();
                break;
            }
            continue;
        }
        if (w < 0)
            markGone();
        break;
    }
    return done;
}

} // namespace qx
