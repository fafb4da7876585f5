// Host-name resolution of the Windows Sockets stand-in. The asynchronous
// form runs getaddrinfo on a worker thread, so the user-interface thread
// never waits for a name server; its end comes back to the user-interface
// thread through a hub object and is posted to the window from there.
#include "platform/Winsock.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <arpa/inet.h>
#include <map>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace qx::wsa {

namespace {

// Names that are answered without asking anyone: "localhost" names are
// the loopback address, names under "invalid" never exist.
enum class Special { None, Loopback, NotFound };

Special special(const QString &name)
{
    QString n = name.trimmed().toLower();
    if (n.endsWith(QLatin1Char('.')))
        n.chop(1);
    if (n == QLatin1String("localhost") || n.endsWith(QLatin1String(".localhost")))
        return Special::Loopback;
    if (n == QLatin1String("invalid") || n.endsWith(QLatin1String(".invalid")))
        return Special::NotFound;
    return Special::None;
}

// 0 and the first IPv4 address, or a Windows Sockets error number.
int lookup(const QByteArray &name, uint32_t *addr)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *res = nullptr;
    const int rc = ::getaddrinfo(name.constData(), nullptr, &hints, &res);
    if (rc != 0)
        return fromGaiError(rc);
    int err = WSANO_DATA;
    for (addrinfo *i = res; i; i = i->ai_next) {
        if (i->ai_family == AF_INET && i->ai_addr) {
            *addr = reinterpret_cast<const sockaddr_in *>(i->ai_addr)->sin_addr.s_addr;
            err = 0;
            break;
        }
    }
    ::freeaddrinfo(res);
    return err;
}

struct Task {
    QPointer<MessageWindow> wnd;
    uint32_t msg = 0;
    std::shared_ptr<HostEntry> result;
};

// User-interface thread only.
std::map<int, Task> g_tasks;
int g_nextTask = 1;

// Receives the workers' results on the user-interface thread.
class Hub : public QObject {
public:
    Hub();
    ~Hub() override;
};

std::mutex g_hubMutex;
Hub *g_hub = nullptr;

Hub::Hub()
{
    std::lock_guard lock(g_hubMutex);
    g_hub = this;
}

Hub::~Hub()
{
    std::lock_guard lock(g_hubMutex);
    g_hub = nullptr;
}

Hub *hub()
{
    if (!g_hub)
        new Hub();  // lives as long as the application object
    if (g_hub->parent() == nullptr && QCoreApplication::instance())
        g_hub->setParent(QCoreApplication::instance());
    return g_hub;
}

void finish(int task, uint32_t addr, int err)
{
    auto it = g_tasks.find(task);
    if (it == g_tasks.end())
        return;  // withdrawn
    Task t = std::move(it->second);
    g_tasks.erase(it);
    if (err == 0 && t.result)
        t.result->addr = addr;
    if (t.wnd)
        t.wnd->postMessage(t.msg, uintptr_t(task), makeLong(0, err));
}

void deliver(int task, uint32_t addr, int err)
{
    std::lock_guard lock(g_hubMutex);
    if (g_hub)
        QMetaObject::invokeMethod(g_hub, [task, addr, err] { finish(task, addr, err); }, Qt::QueuedConnection);
}

} // namespace

int WSAAsyncGetHostByName(MessageWindow *wnd, uint32_t msg, const QString &name, std::shared_ptr<HostEntry> result)
{
    if (!wnd)
        return (WSASetLastError(WSAEINVAL), 0);
    hub();
    const int task = g_nextTask++;
    if (g_nextTask <= 0)
        g_nextTask = 1;
    g_tasks[task] = Task{wnd, msg, std::move(result)};
    switch (special(name)) {
    case Special::Loopback:
        deliver(task, htonl(INADDR_LOOPBACK), 0);
        return task;
    case Special::NotFound:
        deliver(task, 0, WSAHOST_NOT_FOUND);
        return task;
    case Special::None:
        break;
    }
    const QByteArray ascii = name.toLocal8Bit();
    try {
        std::thread([task, ascii] {
            uint32_t addr = 0;
            const int err = lookup(ascii, &addr);
            deliver(task, addr, err);
        }).detach();
    } catch (const std::system_error &) {
        g_tasks.erase(task);
        WSASetLastError(10055);
        return 0;
    }
    return task;
}

int WSACancelAsyncRequest(int task)
{
    if (g_tasks.erase(task) == 0) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    return 0;
}

int gethostbyname(const QString &name, uint32_t *addr)
{
    if (isDottedAddress(name)) {
        *addr = inet_addr(name);
        return 0;
    }
    switch (special(name)) {
    case Special::Loopback:
        *addr = htonl(INADDR_LOOPBACK);
        return 0;
    case Special::NotFound:
        return WSAHOST_NOT_FOUND;
    case Special::None:
        break;
    }
    if (name.trimmed().isEmpty())
        return WSAHOST_NOT_FOUND;
    return lookup(name.toLocal8Bit(), addr);
}

} // namespace qx::wsa
