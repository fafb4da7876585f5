// Sockets, their notifications and the error table of the Windows Sockets
// stand-in (resolution is in WinsockResolve.cpp).
#include "platform/Winsock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <ifaddrs.h>
#include <map>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qx::wsa {

namespace {

int g_lastError = 0;
int g_started = 0;

// errno -> Windows Sockets number; an errno not listed is WSAEINVAL.
struct ErrnoMap {
    int err;
    int wsa;
};
constexpr ErrnoMap kErrnoTable[] = {
    {EINTR, 10004},         {EACCES, 10013},          {EPERM, 10013},        {EFAULT, 10014},
    {EINVAL, 10022},        {EMFILE, 10024},          {ENFILE, 10024},       {EAGAIN, 10035},
    {EINPROGRESS, 10036},   {EALREADY, 10037},        {ENOTSOCK, 10038},     {EBADF, 10038},
    {EDESTADDRREQ, 10039},  {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},   {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045}, {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},  {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},
    {ENETUNREACH, 10051},   {ENETRESET, 10052},       {ECONNABORTED, 10053}, {ECONNRESET, 10054},
    {EPIPE, 10054},         {ENOBUFS, 10055},         {ENOMEM, 10055},       {EISCONN, 10056},
    {ENOTCONN, 10057},      {ESHUTDOWN, 10058},       {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},
    {ELOOP, 10062},         {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},
};

struct Sock {
    int fd = -1;
    bool udp = false;
    bool listening = false;
    bool connecting = false;
    bool connected = false;
    bool readWait = false;   // FD_READ or FD_ACCEPT posted: quiet until the next read
    bool closed = false;     // the peer has closed: no more read events
    bool writeArmed = false; // a send met a full buffer: FD_WRITE when it drains
    QPointer<MessageWindow> wnd;
    uint32_t msg = 0;
    int events = 0;
    std::unique_ptr<QSocketNotifier> rd, wr;
};

std::map<SOCKET, std::unique_ptr<Sock>> g_socks;
SOCKET g_nextHandle = 0x100;

int fail(int wsaErr)
{
    g_lastError = wsaErr;
    return SOCKET_ERROR;
}
int failErrno() { return fail(fromErrno(errno)); }

Sock *find(SOCKET s)
{
    auto it = g_socks.find(s);
    return it == g_socks.end() ? nullptr : it->second.get();
}

sockaddr_in toSockaddr(const SockAddr &a)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(a.port);
    sa.sin_addr.s_addr = a.addr;
    return sa;
}

SockAddr fromSockaddr(const sockaddr_in &sa) { return SockAddr{sa.sin_addr.s_addr, ntohs(sa.sin_port)}; }

void post(SOCKET h, Sock &s, int event, int error)
{
    if (s.wnd && (s.events & event))
        s.wnd->postMessage(s.msg, uintptr_t(h), makeLong(event, error));
}

// The POSIX option of a SOL_SOCKET option; -1 for one we do not have.
int nativeOption(int name)
{
    switch (name) {
    case SoBroadcast:
        return SO_BROADCAST;
    case SoSndBuf:
        return SO_SNDBUF;
    case SoRcvBuf:
        return SO_RCVBUF;
    default:
        return -1;
    }
}

void onReadable(SOCKET h);
void onWritable(SOCKET h);

// Switches the notifiers to what the socket's state asks for.
void update(SOCKET h, Sock &s)
{
    const bool wantRead = s.wnd && (s.events & (FD_READ | FD_ACCEPT | FD_CLOSE)) && !s.readWait && !s.closed
                          && (s.listening || s.udp || s.connected);
    const bool wantWrite = s.connecting || (s.wnd && s.writeArmed && (s.events & FD_WRITE));
    if (wantRead && !s.rd) {
        s.rd = std::make_unique<QSocketNotifier>(s.fd, QSocketNotifier::Read);
        QObject::connect(s.rd.get(), &QSocketNotifier::activated, [h] { onReadable(h); });
    }
    if (s.rd)
        s.rd->setEnabled(wantRead);
    if (wantWrite && !s.wr) {
        s.wr = std::make_unique<QSocketNotifier>(s.fd, QSocketNotifier::Write);
        QObject::connect(s.wr.get(), &QSocketNotifier::activated, [h] { onWritable(h); });
    }
    if (s.wr)
        s.wr->setEnabled(wantWrite);
}

void onReadable(SOCKET h)
{
    Sock *s = find(h);
    if (!s)
        return;
    if (s->listening) {
        s->readWait = true;
        post(h, *s, FD_ACCEPT, 0);
    } else if (s->udp) {
        s->readWait = true;
        post(h, *s, FD_READ, 0);
    } else if (s->connected) {
        char c;
        const ssize_t n = ::recv(s->fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) {
            s->readWait = true;
            post(h, *s, FD_READ, 0);
        } else if (n == 0) {
            s->closed = true;
            post(h, *s, FD_CLOSE, 0);
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            s->closed = true;
            post(h, *s, FD_CLOSE, fromErrno(errno));
        }
    }
    update(h, *s);
}

void onWritable(SOCKET h)
{
    Sock *s = find(h);
    if (!s)
        return;
    if (s->connecting) {
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(s->fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
            err = errno;
        s->connecting = false;
        if (err == 0) {
            s->connected = true;
            post(h, *s, FD_CONNECT, 0);
            post(h, *s, FD_WRITE, 0);
        } else {
            post(h, *s, FD_CONNECT, fromErrno(err));
        }
    } else if (s->writeArmed) {
        s->writeArmed = false;
        post(h, *s, FD_WRITE, 0);
    }
    update(h, *s);
}

SOCKET adopt(int fd, bool udp)
{
    auto s = std::make_unique<Sock>();
    s->fd = fd;
    s->udp = udp;
    const SOCKET h = g_nextHandle;
    g_nextHandle += 4;
    g_socks.emplace(h, std::move(s));
    return h;
}

const QEvent::Type kMessageEvent = QEvent::Type(QEvent::registerEventType());

struct MessageEvent : QEvent {
    MessageEvent(uint32_t m, uintptr_t w, intptr_t l) : QEvent(kMessageEvent), uMsg(m), wParam(w), lParam(l) {}
    uint32_t uMsg;
    uintptr_t wParam;
    intptr_t lParam;
};

} // namespace

int fromErrno(int err)
{
    if (err == EWOULDBLOCK)
        return WSAEWOULDBLOCK;
    for (const ErrnoMap &m : kErrnoTable)
        if (m.err == err)
            return m.wsa;
    return WSAEINVAL;
}

int fromGaiError(int gaiErr)
{
    switch (gaiErr) {
    case 0:
        return 0;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_FAIL:
        return WSANO_RECOVERY;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return WSANO_DATA;
    case EAI_MEMORY:
        return 10055;
    case EAI_SYSTEM:
        return fromErrno(errno);
    default:
        return WSAHOST_NOT_FOUND;
    }
}

int WSAGetLastError() { return g_lastError; }
void WSASetLastError(int err) { g_lastError = err; }

int WSAStartup(uint16_t)
{
    ++g_started;
    return 0;
}

int WSACleanup()
{
    if (g_started == 0)
        return fail(WSANOTINITIALISED);
    --g_started;
    return 0;
}

void MessageWindow::postMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam)
{
    QCoreApplication::postEvent(this, new MessageEvent(uMsg, wParam, lParam));
}

bool MessageWindow::event(QEvent *e)
{
    if (e->type() != kMessageEvent)
        return QObject::event(e);
    const auto *m = static_cast<MessageEvent *>(e);
    windowProc(m->uMsg, m->wParam, m->lParam);
    return true;
}

SOCKET socket(SockType type)
{
    if (g_started == 0)
        return fail(WSANOTINITIALISED);
    const bool udp = type == SockDgram;
    const int fd = ::socket(AF_INET, int(udp ? ::SOCK_DGRAM : ::SOCK_STREAM) | int(SOCK_NONBLOCK) | int(SOCK_CLOEXEC),
                            udp ? IPPROTO_UDP : IPPROTO_TCP);
    if (fd < 0)
        return failErrno();
    return adopt(fd, udp);
}

int closesocket(SOCKET h)
{
    auto it = g_socks.find(h);
    if (it == g_socks.end())
        return fail(WSAENOTSOCK);
    std::unique_ptr<Sock> s = std::move(it->second);
    g_socks.erase(it);
    // The notifiers go before the descriptor does.
    s->rd.reset();
    s->wr.reset();
    if (::close(s->fd) != 0 && errno != EINTR)
        return failErrno();
    return 0;
}

int bind(SOCKET h, const SockAddr &a)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    const sockaddr_in sa = toSockaddr(a);
    if (::bind(s->fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0)
        return failErrno();
    update(h, *s);
    return 0;
}

int listen(SOCKET h, int backlog)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    if (::listen(s->fd, backlog) != 0)
        return failErrno();
    s->listening = true;
    update(h, *s);
    return 0;
}

SOCKET accept(SOCKET h, SockAddr *peer)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    s->readWait = false;
    update(h, *s);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    const int fd = ::accept4(s->fd, reinterpret_cast<sockaddr *>(&sa), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return failErrno();
    if (peer)
        *peer = fromSockaddr(sa);
    const SOCKET n = adopt(fd, false);
    Sock &ns = *g_socks[n];
    ns.connected = true;
    ns.wnd = s->wnd;
    ns.msg = s->msg;
    ns.events = s->events;
    update(n, ns);
    return n;
}

int connect(SOCKET h, const SockAddr &a)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    const sockaddr_in sa = toSockaddr(a);
    if (::connect(s->fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0) {
        s->connecting = true;  // FD_CONNECT follows as for any connect
        update(h, *s);
        return 0;
    }
    const int err = errno;
    if (err == EINPROGRESS || err == EAGAIN) {
        s->connecting = true;
        update(h, *s);
        return fail(WSAEWOULDBLOCK);
    }
    // Failures that a non-blocking connect reports later on the platform
    // come as FD_CONNECT here too.
    if (err == ECONNREFUSED || err == ENETUNREACH || err == EHOSTUNREACH || err == ETIMEDOUT || err == ECONNRESET) {
        post(h, *s, FD_CONNECT, fromErrno(err));
        return fail(WSAEWOULDBLOCK);
    }
    return fail(fromErrno(err));
}

int send(SOCKET h, const char *buf, int len)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    const ssize_t n = ::send(s->fd, buf, size_t(std::max(len, 0)), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            s->writeArmed = true;
            update(h, *s);
        }
        return failErrno();
    }
    return int(n);
}

int recv(SOCKET h, char *buf, int len, bool peek)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    const ssize_t n = ::recv(s->fd, buf, size_t(std::max(len, 0)), (peek ? MSG_PEEK : 0) | MSG_DONTWAIT);
    const int err = errno;
    s->readWait = false;
    if (n == 0 && len > 0 && !s->udp)
        s->closed = true;
    update(h, *s);
    if (n < 0)
        return fail(fromErrno(err));
    return int(n);
}

int sendto(SOCKET h, const char *buf, int len, const SockAddr &to)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    const sockaddr_in sa = toSockaddr(to);
    const ssize_t n = ::sendto(s->fd, buf, size_t(std::max(len, 0)), MSG_NOSIGNAL | MSG_DONTWAIT,
                               reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
    if (n < 0)
        return failErrno();
    update(h, *s);  // a datagram socket without a bound port got one
    return int(n);
}

int recvfrom(SOCKET h, char *buf, int len, bool peek, SockAddr *from)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    sockaddr_in sa{};
    socklen_t salen = sizeof sa;
    const ssize_t n = ::recvfrom(s->fd, buf, size_t(std::max(len, 0)), (peek ? MSG_PEEK : 0) | MSG_DONTWAIT | MSG_TRUNC,
                                 reinterpret_cast<sockaddr *>(&sa), &salen);
    const int err = errno;
    s->readWait = false;
    update(h, *s);
    if (from)
        *from = fromSockaddr(sa);
    if (n < 0)
        return fail(fromErrno(err));
    if (n > len)
        return fail(WSAEMSGSIZE);
    return int(n);
}

int getsockname(SOCKET h, SockAddr *a)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(s->fd, reinterpret_cast<sockaddr *>(&sa), &len) != 0)
        return failErrno();
    *a = fromSockaddr(sa);
    return 0;
}

int getpeername(SOCKET h, SockAddr *a)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getpeername(s->fd, reinterpret_cast<sockaddr *>(&sa), &len) != 0)
        return failErrno();
    *a = fromSockaddr(sa);
    return 0;
}

int getsockopt(SOCKET h, int level, int name, int *value)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    if (level != SolSocket)
        return fail(10042);
    if (name == SoMaxMsgSize) {
        if (!s->udp)
            return fail(10042);
        *value = 65507;  // the largest IPv4 UDP payload
        return 0;
    }
    const int opt = nativeOption(name);
    if (opt < 0)
        return fail(10042);
    socklen_t len = sizeof(int);
    if (::getsockopt(s->fd, SOL_SOCKET, opt, value, &len) != 0)
        return failErrno();
    return 0;
}

int setsockopt(SOCKET h, int level, int name, int value)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    if (level != SolSocket)
        return fail(10042);
    const int opt = nativeOption(name);
    if (opt < 0)
        return fail(10042);
    if (::setsockopt(s->fd, SOL_SOCKET, opt, &value, sizeof value) != 0)
        return failErrno();
    return 0;
}

int ioctlFionread(SOCKET h, uint32_t *n)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    int v = 0;
    if (::ioctl(s->fd, FIONREAD, &v) != 0)
        return failErrno();
    *n = uint32_t(std::max(v, 0));
    return 0;
}

int WSAAsyncSelect(SOCKET h, MessageWindow *wnd, uint32_t msg, int events)
{
    Sock *s = find(h);
    if (!s)
        return fail(WSAENOTSOCK);
    s->wnd = wnd;
    s->msg = msg;
    s->events = wnd ? events : 0;
    update(h, *s);
    return 0;
}

int gethostname(QString *name)
{
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return failErrno();
    *name = QString::fromLocal8Bit(buf);
    return 0;
}

bool isDottedAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &p : parts) {
        if (p.isEmpty() || p.size() > 3)
            return false;
        for (QChar c : p)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        if (p.toInt() > 255)
            return false;
    }
    return true;
}

uint32_t inet_addr(const QString &text)
{
    if (!isDottedAddress(text))
        return InaddrNone;
    const QStringList parts = text.split(QLatin1Char('.'));
    uint32_t host = 0;
    for (const QString &p : parts)
        host = (host << 8) | uint32_t(p.toInt());
    return htonl(host);
}

QString inet_ntoa(uint32_t addr)
{
    const uint32_t h = ntohl(addr);
    return QStringLiteral("%1.%2.%3.%4").arg(h >> 24).arg((h >> 16) & 0xFF).arg((h >> 8) & 0xFF).arg(h & 0xFF);
}

uint32_t localAddress()
{
    uint32_t found = htonl(INADDR_LOOPBACK);
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return found;
    for (ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        found = reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr.s_addr;
        break;
    }
    ::freeifaddrs(list);
    return found;
}

int openSocketCount() { return int(g_socks.size()); }

} // namespace qx::wsa
