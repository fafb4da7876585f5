#pragma once
// Test peers on the loopback address only: a TCP server and a UDP peer made
// with plain POSIX sockets (not the code under test), and a wait that keeps
// the event loop running so the socket objects get their notifications.
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qx::test {

// Runs the event loop until pred holds; false after timeoutMs.
inline bool waitUntil(const std::function<bool()> &pred, int timeoutMs = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Lets pending notifications run for a while (to show that nothing more comes).
inline void settleFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

// Runs the event loop until a timer of ms, started now, has fired. Every
// timer of this thread that comes due before it has fired by then (timers
// fire in the order they come due), so waiting for this, with ms a few of
// a timer's periods, shows that its next tick brings nothing more.
inline void runTimersDueWithin(int ms)
{
    bool fired = false;
    QTimer probe;
    probe.setSingleShot(true);
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] { fired = true; });
    probe.start(ms);
    while (!fired)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

inline sockaddr_in loopback(uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

inline uint16_t localPortOf(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    return ntohs(a.sin_port);
}

// A port on 127.0.0.1 where nobody listens (bound once, then let go).
inline uint16_t closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    const uint16_t p = localPortOf(fd);
    ::close(fd);
    return p;
}

// One connection of a TCP peer: non-blocking reads, blocking writes.
class TcpConn {
public:
    explicit TcpConn(int fd = -1) : fd_(fd) {}
    ~TcpConn() { close(); }
    TcpConn(TcpConn &&o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    TcpConn &operator=(TcpConn &&o) noexcept
    {
        std::swap(fd_, o.fd_);
        return *this;
    }
    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Connects to 127.0.0.1:port (blocking).
    static TcpConn connectTo(uint16_t port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(port);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
            ::close(fd);
            return TcpConn();
        }
        return TcpConn(fd);
    }
    void send(const QByteArray &b)
    {
        qsizetype off = 0;
        while (off < b.size()) {
            const ssize_t n = ::send(fd_, b.constData() + off, size_t(b.size() - off), MSG_NOSIGNAL);
            if (n <= 0)
                return;
            off += n;
        }
    }
    // Whatever has arrived, without waiting; sets eof when the peer closed.
    QByteArray readAvailable()
    {
        QByteArray out;
        char buf[65536];
        for (;;) {
            const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                out.append(buf, n);
                continue;
            }
            if (n == 0)
                eof = true;
            break;
        }
        return out;
    }
    // Reads (keeping the event loop running) until `count` bytes or the end.
    QByteArray readExactly(qsizetype count, int timeoutMs = 10000)
    {
        QByteArray out;
        waitUntil([&] {
            out += readAvailable();
            return out.size() >= count || eof;
        }, timeoutMs);
        return out;
    }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool eof = false;

private:
    int fd_ = -1;
};

// A listening TCP socket on 127.0.0.1 with a port of the system's choice.
class TcpServer {
public:
    TcpServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a = loopback(0);
        ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(fd_, 8);
        port = localPortOf(fd_);
    }
    ~TcpServer() { ::close(fd_); }
    // Waits (event loop running) for the next connection.
    TcpConn accept(int timeoutMs = 10000)
    {
        int c = -1;
        waitUntil([&] {
            c = ::accept(fd_, nullptr, nullptr);
            return c >= 0;
        }, timeoutMs);
        return TcpConn(c);
    }
    uint16_t port = 0;

private:
    int fd_ = -1;
};

// A UDP socket on 127.0.0.1 with a port of the system's choice.
class UdpPeer {
public:
    UdpPeer()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in a = loopback(0);
        ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
        port = localPortOf(fd_);
    }
    ~UdpPeer() { ::close(fd_); }
    void sendTo(uint16_t toPort, const QByteArray &b)
    {
        sockaddr_in a = loopback(toPort);
        ::sendto(fd_, b.constData(), size_t(b.size()), 0, reinterpret_cast<sockaddr *>(&a), sizeof a);
    }
    // The next datagram (event loop running while waiting); empty on timeout.
    QByteArray receive(uint16_t *fromPort = nullptr, int timeoutMs = 10000)
    {
        QByteArray out;
        waitUntil([&] {
            char buf[70000];
            sockaddr_in a{};
            socklen_t len = sizeof a;
            const ssize_t n = ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&a), &len);
            if (n < 0)
                return false;
            out = QByteArray(buf, n);
            if (fromPort)
                *fromPort = ntohs(a.sin_port);
            return true;
        }, timeoutMs);
        return out;
    }
    uint16_t port = 0;

private:
    int fd_ = -1;
};

} // namespace qx::test
