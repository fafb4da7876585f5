#include "net/modSocketMaster.h"

#include "net/CSocketMaster.h"
#include "net/SckError.h"
#include "platform/Guard.h"
#include "platform/QxError.h"

#include <QPointer>
#include <map>
#include <vector>

namespace qx::modSocketMaster {

namespace {

// One dispatch table: slot pairs of handle and owner, -1 marks a free slot.
struct Table {
    std::vector<std::pair<intptr_t, CSocketMaster *>> slots;

    void add(intptr_t handle, CSocketMaster *owner)
    {
        for (auto &s : slots) {
            if (s.first == -1) {
                s = {handle, owner};
                return;
            }
            if (s.first == handle)
                return;
        }
        slots.emplace_back(handle, owner);
    }
    void remove(intptr_t handle)
    {
        for (auto &s : slots)
            if (s.first == handle) {
                s = {-1, nullptr};
                return;
            }
    }
    void setOwner(intptr_t handle, CSocketMaster *owner)
    {
        for (auto &s : slots)
            if (s.first == handle) {
                s.second = owner;
                return;
            }
    }
    CSocketMaster *find(intptr_t handle) const
    {
        for (const auto &s : slots)
            if (s.first == handle)
                return s.second;
        return nullptr;
    }
};

class SocketWindow;

bool g_wsStarted = false;
int g_instances = 0;
bool g_sockCollExists = false;
std::map<int32_t, CSocketMaster *> g_sockColl;
std::map<int32_t, std::shared_ptr<CSocketMaster>> g_acceptColl;
Table g_resolve, g_sockets;
QPointer<SocketWindow> g_msgWnd;

// The hidden window: the dispatch procedure finds the owner of the socket
// or resolution in its table and hands it the message.
class SocketWindow : public wsa::MessageWindow {
protected:
    intptr_t windowProc(uint32_t uMsg, uintptr_t wParam, intptr_t lParam) override
    {
        if (this != g_msgWnd)
            return 0;  // a window that has been let go
        const Table *table = uMsg == RESOLVE_MESSAGE ? &g_resolve : uMsg == SOCKET_MESSAGE ? &g_sockets : nullptr;
        if (!table)
            return 0;
        CSocketMaster *owner = table->find(intptr_t(wParam));
        if (!owner)
            return 0;
        intptr_t result = 0;
        qx::guarded(QStringLiteral("CSocketMaster.WndProc"),
                    [&] { result = owner->WndProc(intptr_t(this), uMsg, wParam, lParam); });
        return result;
    }
};

void destroyWindow()
{
    g_resolve.slots.clear();
    g_sockets.slots.clear();
    if (g_msgWnd) {
        g_msgWnd->deleteLater();  // it may be dispatching right now
        g_msgWnd.clear();
    }
}

} // namespace

int InitiateProcesses()
{
    ++g_instances;
    if (!g_wsStarted) {
        g_wsStarted = true;
        return wsa::WSAStartup(0x0101);
    }
    return 0;
}

int FinalizeProcesses()
{
    --g_instances;
    if (g_instances <= 0 && g_wsStarted) {
        g_instances = 0;
        const int rc = wsa::WSACleanup();
        g_wsStarted = false;
        return rc == 0 ? 0 : wsa::WSAGetLastError();
    }
    return 0;
}

bool RegisterSocket(int32_t socket, CSocketMaster *owner, bool notifications)
{
    if (!g_sockCollExists) {
        g_sockCollExists = true;
        g_msgWnd = new SocketWindow();
        g_msgWnd->setObjectName(QStringLiteral("SOCKET_WINDOW"));
    }
    g_sockets.add(socket, owner);
    if (notifications && wsa::WSAAsyncSelect(socket, g_msgWnd, SOCKET_MESSAGE, SOCKET_EVENTS) != 0) {
        const int err = wsa::WSAGetLastError();
        qx::net::raiseSck(err, GetErrorDescription(err), QStringLiteral("modSocketMaster.RegisterSocket"));
    }
    g_sockColl[socket] = owner;
    return true;
}

void UnregisterSocket(int32_t socket)
{
    g_sockets.remove(socket);
    g_sockColl.erase(socket);
    if (g_sockCollExists && g_sockColl.empty()) {
        g_sockCollExists = false;
        destroyWindow();
    }
}

bool IsSocketRegistered(int32_t socket) { return g_sockColl.count(socket) != 0; }

void RegisterAccepted(int32_t socket)
{
    auto holder = std::make_shared<CSocketMaster>();
    holder->Accept(socket);
    g_acceptColl[socket] = std::move(holder);
}

bool IsAcceptRegistered(int32_t socket) { return g_acceptColl.count(socket) != 0; }

std::shared_ptr<CSocketMaster> GetAcceptClass(int32_t socket)
{
    auto it = g_acceptColl.find(socket);
    return it == g_acceptColl.end() ? nullptr : it->second;
}

void UnregisterAccept(int32_t socket)
{
    auto it = g_acceptColl.find(socket);
    if (it == g_acceptColl.end())
        return;
    std::shared_ptr<CSocketMaster> keep = std::move(it->second);
    g_acceptColl.erase(it);
    // The holder ends here unless the caller still holds it.
}

int AsyncGetHostByName(const QString &host, const std::shared_ptr<wsa::HostEntry> &result, CSocketMaster *owner)
{
    const int task = wsa::WSAAsyncGetHostByName(g_msgWnd, RESOLVE_MESSAGE, host, result);
    if (task != 0)
        g_resolve.add(task, owner);
    return task;
}

void UnregisterResolution(int task) { g_resolve.remove(task); }

void SocketTableSetOwner(int32_t socket, CSocketMaster *owner) { g_sockets.setOwner(socket, owner); }

QString GetErrorDescription(int number)
{
    switch (number) {
    case 10004: return QStringLiteral("Interrupted function call.");
    case 10013: return QStringLiteral("Permission denied.");
    case 10014: return QStringLiteral("Bad address.");
    case 10022: return QStringLiteral("Invalid argument.");
    case 10024: return QStringLiteral("Too many open files.");
    case 10035: return QStringLiteral("Resource temporarily unavailable.");
    case 10036: return QStringLiteral("Operation now in progress.");
    case 10037: return QStringLiteral("Operation already in progress.");
    case 10038: return QStringLiteral("Socket operation on nonsocket.");
    case 10039: return QStringLiteral("Destination address required.");
    case 10040: return QStringLiteral("Message too long.");
    case 10041: return QStringLiteral("Protocol wrong type for socket.");
    case 10042: return QStringLiteral("Bad protocol option.");
    case 10043: return QStringLiteral("Protocol not supported.");
    case 10044: return QStringLiteral("Socket type not supported.");
    case 10045: return QStringLiteral("Operation not supported.");
    case 10046: return QStringLiteral("Protocol family not supported.");
    case 10047: return QStringLiteral("Address family not supported by protocol family.");
    case 10048: return QStringLiteral("Address already in use.");
    case 10049: return QStringLiteral("Cannot assign requested address.");
    case 10050: return QStringLiteral("Network is down.");
    case 10051: return QStringLiteral("Network is unreachable.");
    case 10052: return QStringLiteral("Network dropped connection on reset.");
    case 10053: return QStringLiteral("Software caused connection abort.");
    case 10054: return QStringLiteral("Connection reset by peer.");
    case 10055: return QStringLiteral("No buffer space available.");
    case 10056: return QStringLiteral("Socket is already connected.");
    case 10057: return QStringLiteral("Socket is not connected.");
    case 10058: return QStringLiteral("Cannot send after socket shutdown.");
    case 10060: return QStringLiteral("Connection timed out.");
    case 10061: return QStringLiteral("Connection refused.");
    case 10065: return QStringLiteral("No route to host.");
    case 10067: return QStringLiteral("Too many processes.");
    case 10091: return QStringLiteral("Network subsystem is unavailable.");
    case 10092: return QStringLiteral("Winsock.dll version out of range.");
    case 10093: return QStringLiteral("Successful WSAStartup not yet performed.");
    case 11001: return QStringLiteral("Host not found.");
    case 11002: return QStringLiteral("Nonauthoritative host not found.");
    case 11003: return QStringLiteral("This is a nonrecoverable error.");
    case 11004: return QStringLiteral("Valid name, no data record of requested type.");
    default: return QStringLiteral("Unknown error.");
    }
}

int HiWord(intptr_t value) { return int((uint32_t(value) >> 16) & 0xFFFF); }
int LoWord(intptr_t value) { return int(uint32_t(value) & 0xFFFF); }

int16_t UnsignedToInteger(int32_t value)
{
    if (value < 0 || value > 65535)
        qx::raise(qx::ErrOverflow);
    return int16_t(value > 32767 ? value - 65536 : value);
}

int32_t IntegerToUnsigned(int16_t value) { return value < 0 ? int32_t(value) + 65536 : int32_t(value); }

bool HasMessageWindow() { return !g_msgWnd.isNull(); }
int Instances() { return g_instances; }

} // namespace qx::modSocketMaster
