#pragma once
// A bare pseudo-terminal in raw mode (or left as the system makes it, in
// cooked mode), linked as <home>/ports/COMn, so that the program opens it as
// port n through its own serial layer; the test plays the far end on the
// master side and reads back exactly what was written. Its slave side stays
// open in the test (as another program holding the port would) until
// closeSlave().
#include "common/Hex.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <chrono>
#include <cstdint>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace qx::test {

class RawPty {
public:
    RawPty(const QString &home, int com, bool raw = true)
    {
        if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
            return;
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        if (raw)
            ::tcsetattr(slave_, TCSANOW, &t);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = QString::fromLocal8Bit(::ttyname(slave_));
        QDir().mkpath(home + QStringLiteral("/ports"));
        QFile::link(path_, home + QStringLiteral("/ports/COM%1").arg(com));
    }
    ~RawPty()
    {
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    RawPty(const RawPty &) = delete;
    RawPty &operator=(const RawPty &) = delete;

    bool ok() const { return master_ >= 0; }
    QString path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    // Closing the master side is the device's hang-up.
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    void closeSlave()
    {
        if (slave_ >= 0)
            ::close(slave_);
        slave_ = -1;
    }

    // Reads from the master side until `want` bytes came or the time is up.
    std::vector<uint8_t> read(size_t want, int timeoutMs = 3000) const
    {
        using Clock = std::chrono::steady_clock;
        std::vector<uint8_t> out;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < want && Clock::now() < deadline) {
            uint8_t buf[256];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, want - out.size()));
            if (n > 0)
                out.insert(out.end(), buf, buf + n);
            else
                ::usleep(1000);
        }
        return out;
    }
    // Writes bytes as the device would send them.
    bool write(const std::vector<uint8_t> &bytes) const
    {
        return ::write(master_, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }

private:
    int master_ = -1, slave_ = -1;
    QString path_;
};

} // namespace qx::test
