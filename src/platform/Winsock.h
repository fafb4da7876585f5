#pragma once
// Our stand-in for the Windows Sockets calls the socket layer is written
// against, on POSIX sockets. Every socket is non-blocking. A socket's
// network events reach a MessageWindow as posted messages, exactly one per
// condition as Windows Sockets posts them: FD_READ and FD_ACCEPT once until
// the next recv/recvfrom/accept, FD_WRITE once after a send met a full
// buffer (and once after a connect), FD_CONNECT and FD_CLOSE once. Readiness
// is watched with QSocketNotifier on the user-interface thread.
//
// Socket handles are numbers of our own (never reused while the program
// runs), so a message that was posted for a socket closed in the meantime
// can never reach the socket that happens to get its descriptor next.
// Failing calls return SOCKET_ERROR (or INVALID_SOCKET) and leave a Windows
// Sockets error number for WSAGetLastError; errno values are mapped in one
// table (fromErrno).
//
// Name resolution: WSAAsyncGetHostByName runs getaddrinfo (IPv4) on a worker
// thread and posts the end to the window; names under ".invalid" never
// resolve and "localhost" names are 127.0.0.1, both without asking anyone.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

namespace qx::wsa {

using SOCKET = int32_t;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;
constexpr uint32_t InaddrNone = 0xFFFFFFFFu;

enum SockType : int { SockStream = 1, SockDgram = 2 };

// Network events (lower word of a socket message's lParam).
enum NetEvent : int { FD_READ = 1, FD_WRITE = 2, FD_OOB = 4, FD_ACCEPT = 8, FD_CONNECT = 16, FD_CLOSE = 32 };

// Socket options (level SOL_SOCKET).
enum SockOpt : int { SoBroadcast = 0x0020, SoSndBuf = 0x1001, SoRcvBuf = 0x1002, SoMaxMsgSize = 0x2003 };
constexpr int SolSocket = 0xFFFF;

// Error numbers used by name.
enum WsaError : int {
    WSAEINTR = 10004,
    WSAEINVAL = 10022,
    WSAEWOULDBLOCK = 10035,
    WSAENOTSOCK = 10038,
    WSAEMSGSIZE = 10040,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAECONNRESET = 10054,
    WSAECONNREFUSED = 10061,
    WSANOTINITIALISED = 10093,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004
};

// The Windows Sockets number of an errno value; of a getaddrinfo result.
int fromErrno(int err);
int fromGaiError(int gaiErr);

int WSAGetLastError();
void WSASetLastError(int err);

// Reference-counted start and end, as the platform's: socket calls made
// while not started fail with WSANOTINITIALISED. Both return 0.
int WSAStartup(uint16_t version);
int WSACleanup();

// A window that receives posted messages; they are delivered to
// windowProc from the event loop in the order they were posted. Messages
// still queued when the window goes are dropped with it.
class MessageWindow : public QObject {
public:
    using QObject::QObject;
    void postMessage(uint32_t uMsg, uintptr_t wParam, intptr_t lParam);

protected:
    virtual intptr_t windowProc(uint32_t uMsg, uintptr_t wParam, intptr_t lParam) = 0;
    bool event(QEvent *e) override;
};

constexpr intptr_t makeLong(int low, int high) { return intptr_t((uint32_t(high & 0xFFFF) << 16) | uint32_t(low & 0xFFFF)); }

// An IPv4 address (network byte order, as inet_addr gives it) and a port
// (host order).
struct SockAddr {
    uint32_t addr = 0;
    uint16_t port = 0;
};

SOCKET socket(SockType type);
int closesocket(SOCKET s);
int bind(SOCKET s, const SockAddr &a);
int listen(SOCKET s, int backlog);
// The accepted socket is non-blocking and takes over the listening socket's
// WSAAsyncSelect settings.
SOCKET accept(SOCKET s, SockAddr *peer);
// Non-blocking: SOCKET_ERROR with WSAEWOULDBLOCK while the connection is
// being made; the outcome arrives as FD_CONNECT (a refusal too).
int connect(SOCKET s, const SockAddr &a);
// Never raises SIGPIPE.
int send(SOCKET s, const char *buf, int len);
// For a stream, 0 means the peer has closed.
int recv(SOCKET s, char *buf, int len, bool peek);
int sendto(SOCKET s, const char *buf, int len, const SockAddr &to);
// Reads one datagram; one longer than len fails with WSAEMSGSIZE (and,
// unless peeking, is gone, its first len bytes in buf).
int recvfrom(SOCKET s, char *buf, int len, bool peek, SockAddr *from);
int getsockname(SOCKET s, SockAddr *a);
int getpeername(SOCKET s, SockAddr *a);
int getsockopt(SOCKET s, int level, int name, int *value);
int setsockopt(SOCKET s, int level, int name, int value);
// FIONREAD: bytes waiting (a datagram socket: the size of the next datagram).
int ioctlFionread(SOCKET s, uint32_t *n);
// Posts the socket's events of `events` to wnd as message msg; a null
// window stops them.
int WSAAsyncSelect(SOCKET s, MessageWindow *wnd, uint32_t msg, int events);

int gethostname(QString *name);
// A dotted address "a.b.c.d" (four decimal numbers 0..255) in network order;
// InaddrNone for any other text (255.255.255.255 itself is valid: test
// with isDottedAddress).
uint32_t inet_addr(const QString &text);
bool isDottedAddress(const QString &text);
QString inet_ntoa(uint32_t addr);

// The first IPv4 address of this host: that of the first interface that is
// up and not the loopback one, else 127.0.0.1. No name is looked up.
uint32_t localAddress();

// Result of a host-name resolution: its first IPv4 address.
struct HostEntry {
    uint32_t addr = 0;
};
// Starts a resolution; its end is posted to wnd as msg with the task handle
// in wParam and makeLong(0, error) in lParam, the address in *result. Returns
// the task handle (never 0), or 0 when refused (see WSAGetLastError).
int WSAAsyncGetHostByName(MessageWindow *wnd, uint32_t msg, const QString &name,
                          std::shared_ptr<HostEntry> result);
// Withdraws a running resolution: its end is not posted.
int WSACancelAsyncRequest(int task);
// Synchronous resolution: 0 and the address, or the error number.
int gethostbyname(const QString &name, uint32_t *addr);

// Sockets open now (tests check that nothing is left behind).
int openSocketCount();

} // namespace qx::wsa
