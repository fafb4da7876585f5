#include "platform/SaveFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::savefile {

namespace {

std::atomic<unsigned> missing{0};
std::function<void()> beforeRewrite;

enum class Way { Rename, Link, Create };

// Puts `from` under the name `to` without replacing a file there: renamed
// without replace or linked (the test seam may make either fail as a file
// system without it does). 0, or the error.
int publish(Way way, const char *from, const char *to)
{
    if (way == Way::Rename) {
        if (missing.load() & detail::NoRenameNoReplace)
            return EINVAL;
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
    }
    if (missing.load() & detail::NoLink)
        return EPERM;
    return ::link(from, to) == 0 ? 0 : errno;
}

// The file system does not have the call (network shares, FAT).
bool unsupported(int code) { return code == EINVAL || code == ENOSYS || code == EPERM || code == EOPNOTSUPP; }

bool fail(QString *reason, const QString &why)
{
    if (reason)
        *reason = why;
    return false;
}

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Closes a descriptor when it goes out of scope (unless released).
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now; false (with the reason) when the close reports an error.
    bool close(QString *reason)
    {
        const int f = fd;
        fd = -1;
        if (::close(f) != 0 && errno != EINTR)
            return fail(reason, systemError(errno));
        return true;
    }
};

bool writeAll(int fd, const QByteArray &bytes, QString *reason)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(reason, systemError(errno));
        if (n == 0)
            return fail(reason, systemError(ENOSPC));
        done += n;
    }
    return true;
}

// The bytes are on the disk: synced, and the file holds exactly `size` bytes.
bool syncAndCheck(int fd, qint64 size, QString *reason)
{
    // A file system that cannot sync (EINVAL) still has the data written.
    if (::fsync(fd) != 0 && errno != EINVAL)
        return fail(reason, systemError(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(reason, systemError(errno));
    if (st.st_size != size)
        return fail(reason, QStringLiteral("%1 of %2 bytes reached the disk").arg(st.st_size).arg(size));
    return true;
}

// Cuts a last line without its line end off the file.
bool cutTornLine(int fd, QString *reason)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(reason, systemError(errno));
    off_t end = st.st_size;
    char last = 0;
    if (end == 0)
        return true;
    if (::pread(fd, &last, 1, end - 1) != 1)
        return fail(reason, systemError(errno));
    if (last == '\n')
        return true;
    constexpr off_t Chunk = 4096;
    char block[Chunk];
    while (end > 0) {
        const off_t from = end > Chunk ? end - Chunk : 0;
        const ssize_t n = ::pread(fd, block, size_t(end - from), from);
        if (n != end - from)
            return fail(reason, n < 0 ? systemError(errno) : QStringLiteral("the file changed while read"));
        for (ssize_t i = n - 1; i >= 0; --i)
            if (block[i] == '\n') {
                end = from + i + 1;
                return ::ftruncate(fd, end) == 0 || fail(reason, systemError(errno));
            }
        end = from;
    }
    return ::ftruncate(fd, 0) == 0 || fail(reason, systemError(errno));
}

// The n-th name for a new file: the name itself, then "-2", "-3", ...
// before its extension.
QString numbered(const QString &folder, const QString &name, int n)
{
    if (n == 1)
        return folder + QLatin1Char('/') + name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool ext = dot > 0;
    return folder + QLatin1Char('/') + (ext ? name.left(dot) : name) + QLatin1Char('-') + QString::number(n) +
           (ext ? name.mid(dot) : QString());
}

constexpr int MaxNumber = 9999;

} // namespace

bool replace(const QString &path, const QByteArray &bytes, QString *reason)
{
    // Unbuffered: a buffered QSaveFile meets a full disk only at the flush
    // inside commit(), which then still renames the short file into place.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reason, f.errorString());
    QString why;
    if (!writeAll(f.handle(), bytes, &why) || !syncAndCheck(f.handle(), bytes.size(), &why)) {
        f.cancelWriting();
        return fail(reason, why);
    }
    if (!f.commit())
        return fail(reason, f.errorString());
    return true;
}

QString createNew(const QString &path, const QByteArray &bytes, QString *reason)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString name = info.fileName();
    if (name.isEmpty()) {
        fail(reason, QStringLiteral("no file name"));
        return {};
    }

    // The temporary file, hidden beside the target.
    static std::atomic<unsigned> counter{0};
    QByteArray temp;
    Fd out;
    for (int tries = 0; out.fd < 0; ++tries) {
        temp = QFile::encodeName(QStringLiteral("%1/.%2.%3-%4.tmp")
                                     .arg(folder, name)
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(counter.fetch_add(1)));
        out.fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out.fd < 0 && (errno != EEXIST || tries > 100)) {
            fail(reason, systemError(errno));
            return {};
        }
    }
    QString why;
    if (!writeAll(out.fd, bytes, &why) || !syncAndCheck(out.fd, bytes.size(), &why) || !out.close(&why)) {
        ::unlink(temp.constData());
        fail(reason, why);
        return {};
    }

    // Published under the first free name without replacing one another
    // process takes meanwhile: renamed atomically, else linked, else (a
    // file system with neither) written again into an exclusively created
    // file of that name.
    Way way = Way::Rename;
    int code = 0;
    for (int n = 1; n <= MaxNumber; ++n) {
        const QString target = numbered(folder, name, n);
        const QByteArray t = QFile::encodeName(target);
        // The best way the file system has, tried again on the same name
        // with the next when it lacks one.
        while (way != Way::Create) {
            code = publish(way, temp.constData(), t.constData());
            if (code == 0) {
                if (way == Way::Link)
                    ::unlink(temp.constData());
                return target;
            }
            if (!unsupported(code))
                break;
            way = way == Way::Rename ? Way::Link : Way::Create;
        }
        if (way != Way::Create) {
            if (code == EEXIST)
                continue;
            break;
        }
        Fd made;
        made.fd = ::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (made.fd < 0) {
            code = errno;
            if (code == EEXIST)
                continue;
            break;
        }
        if (beforeRewrite)
            beforeRewrite();
        if (writeAll(made.fd, bytes, &why) && syncAndCheck(made.fd, bytes.size(), &why) && made.close(&why)) {
            ::unlink(temp.constData());
            return target;
        }
        // The name is this save's own: nothing short stays under it.
        ::unlink(t.constData());
        ::unlink(temp.constData());
        fail(reason, why);
        return {};
    }
    ::unlink(temp.constData());
    fail(reason, code == EEXIST ? QStringLiteral("no free name") : systemError(code));
    return {};
}

QString keepAside(const QString &path, const QString &kept, QString *reason)
{
    const QFileInfo info(kept);
    const QString folder = info.absolutePath();
    const QString name = info.fileName();
    const QByteArray from = QFile::encodeName(path);
    Way way = Way::Rename;
    int code = 0;
    for (int n = 1; n <= MaxNumber && way != Way::Create; ++n) {
        const QString target = numbered(folder, name, n);
        const QByteArray t = QFile::encodeName(target);
        while (way != Way::Create) {
            code = publish(way, from.constData(), t.constData());
            if (code == 0) {
                if (way == Way::Link && ::unlink(from.constData()) != 0) {
                    // Both names hold it: the kept one goes again, so that
                    // the file is never in two places.
                    code = errno;
                    ::unlink(t.constData());
                    fail(reason, systemError(code));
                    return {};
                }
                return target;
            }
            if (!unsupported(code))
                break;
            way = way == Way::Rename ? Way::Link : Way::Create;
        }
        if (way != Way::Create && code != EEXIST) {
            fail(reason, systemError(code));
            return {};
        }
    }
    if (way != Way::Create) {
        fail(reason, QStringLiteral("no free name"));
        return {};
    }
    // Neither call: the bytes are saved anew, then the old name goes.
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(reason, f.errorString());
        return {};
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        fail(reason, f.errorString());
        return {};
    }
    const QString target = createNew(kept, bytes, reason);
    if (target.isEmpty())
        return {};
    if (::unlink(from.constData()) != 0) {
        code = errno;
        ::unlink(QFile::encodeName(target).constData());
        fail(reason, systemError(code));
        return {};
    }
    return target;
}

bool append(const QString &path, const QByteArray &bytes, QString *reason, Tail tail)
{
    Fd f;
    f.fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (f.fd < 0)
        return fail(reason, systemError(errno));
    return (tail == Tail::Keep || cutTornLine(f.fd, reason)) && writeAll(f.fd, bytes, reason) && f.close(reason);
}

bool Appender::append(const QString &path, const QByteArray &bytes, QString *reason)
{
    if (fd_ >= 0 && path != path_)
        close();
    bool checkTail = false;
    if (fd_ >= 0) {
        // One stat of the name per append: the file there must be the one
        // held. One removed, replaced (a new run's header) or moved aside
        // (kept, backed up, rotated) is let go, and the name opened anew.
        struct stat st {};
        if (::stat(name_.constData(), &st) != 0 || std::uint64_t(st.st_dev) != dev_ ||
            std::uint64_t(st.st_ino) != ino_)
            close();
        else if (st.st_size != size_)
            checkTail = true; // written by someone else meanwhile
    }
    if (fd_ < 0) {
        name_ = QFile::encodeName(path);
        fd_ = ::open(name_.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            const int code = errno;
            close();
            return fail(reason, systemError(code));
        }
        path_ = path;
        checkTail = true;
    }
    if (checkTail) {
        struct stat st {};
        if (!cutTornLine(fd_, reason) || (::fstat(fd_, &st) != 0 && !fail(reason, systemError(errno)))) {
            close();
            return false;
        }
        size_ = st.st_size;
        dev_ = st.st_dev;
        ino_ = st.st_ino;
    }
    if (!writeAll(fd_, bytes, reason)) {
        close(); // what reached the file is not known: the next append looks
        return false;
    }
    size_ += bytes.size();
    return true;
}

void Appender::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = -1;
    path_.clear();
    name_.clear();
}

namespace detail {
unsigned setMissing(unsigned calls) { return missing.exchange(calls); }
void setBeforeRewrite(std::function<void()> hook) { beforeRewrite = std::move(hook); }
} // namespace detail

} // namespace qx::savefile
