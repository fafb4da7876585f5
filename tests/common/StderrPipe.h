#pragma once
// What the program writes to its error output while a StderrPipe lives.
// The output goes into a pipe, not a file, so it is caught on a full disk
// (FullDisk.h) too. A full pipe drops what does not fit instead of blocking.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qx::test {

class StderrPipe {
public:
    StderrPipe()
    {
        std::fflush(stderr);
        if (::pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0)
            return;
        ::fcntl(fds_[1], F_SETPIPE_SZ, 1 << 20);
        saved_ = ::dup(2);
        ::dup2(fds_[1], 2);
    }
    ~StderrPipe()
    {
        restore();
        for (int fd : fds_)
            if (fd >= 0)
                ::close(fd);
    }
    StderrPipe(const StderrPipe &) = delete;
    StderrPipe &operator=(const StderrPipe &) = delete;

    // Everything written so far (and not taken before), as lines.
    QStringList lines()
    {
        std::fflush(stderr);
        char buf[4096];
        ssize_t n;
        while (fds_[0] >= 0 && (n = ::read(fds_[0], buf, sizeof buf)) > 0)
            text_.append(buf, n);
        QStringList l = QString::fromLocal8Bit(text_).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        text_.clear();
        return l;
    }
    // The lines that contain `part`.
    QStringList linesWith(const QString &part) { return lines().filter(part); }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    int fds_[2] = {-1, -1};
    int saved_ = -1;
    QByteArray text_;
};

} // namespace qx::test
