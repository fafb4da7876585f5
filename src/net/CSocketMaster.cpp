// The socket object: states, connecting, binding, listening, accepting,
// closing and the handling of notifications (data transfer is in
// CSocketMasterData.cpp).
#include "net/CSocketMaster.h"

#include "net/SckError.h"
#include "net/modSocketMaster.h"
#include "platform/Guard.h"
#include "platform/Numbers.h"
#include "platform/UiServices.h"

#include <cmath>

using namespace qx::net;
namespace wsa = qx::wsa;
namespace msm = qx::modSocketMaster;

namespace {

QString src(const char *op) { return QStringLiteral("CSocketMaster.") + QLatin1String(op); }

[[noreturn]] void raisePlatform(int number, const char *op)
{
    raiseSck(number, msm::GetErrorDescription(number), src(op));
}

// A port given as a value: a number in min..65535, rounded as the platform
// converts to a whole number.
int32_t portArgument(const Value &v, int32_t min, const char *op)
{
    if (!isNumeric(v))
        raiseSck(sckUnsupported, kUnsupportedText, src(op));
    const double d = qx::num::roundHalfEven(numericValue(v));
    if (!(d >= min && d <= 65535))
        raiseSck(sckInvalidArg, kRangeText, src(op));
    return int32_t(d);
}

} // namespace

CSocketMaster::HostAddress CSocketMaster::GetHostAddress(const QString &host)
{
    HostAddress r;
    if (host.isEmpty()) {
        r.error = wsa::WSAEAFNOSUPPORT;
        return r;
    }
    if (wsa::isDottedAddress(host)) {
        r.addr = wsa::inet_addr(host);
        r.text = host;
        return r;
    }
    uint32_t a = 0;
    r.error = wsa::gethostbyname(host, &a);
    if (r.error == 0) {
        r.addr = a;
        r.text = wsa::inet_ntoa(a);
    }
    return r;
}

CSocketMaster::CSocketMaster(QObject *parent) : QObject(parent) { msm::InitiateProcesses(); }

CSocketMaster::~CSocketMaster()
{
    qx::guarded(QStringLiteral("CSocketMaster.Terminate"), [this] {
        CancelPendingResolutions();
        if (!acceptHolder_)
            DestroySocket();
    });
    if (socket_ != -1 && !acceptHolder_) {
        // A close that failed: let the descriptor and its registration go anyway.
        wsa::closesocket(socket_);
        msm::UnregisterSocket(socket_);
    }
    msm::FinalizeProcesses();
}

// ---- Properties ----

void CSocketMaster::set_RemotePort(int32_t lngPort)
{
    if (protocol_ == sckTCPProtocol && state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("RemotePort"));
    if (lngPort < 0 || lngPort > 65535)
        raiseSck(sckInvalidArg, kRangeText, src("RemotePort"));
    remotePort_ = lngPort;
}

void CSocketMaster::set_RemoteHost(const QString &strHost)
{
    if (protocol_ == sckTCPProtocol && state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("RemoteHost"));
    remoteHost_ = strHost;
}

void CSocketMaster::set_LocalPort(int32_t lngPort)
{
    if (state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("LocalPort"));
    if (lngPort < 0 || lngPort > 65535)
        raiseSck(sckInvalidArg, kRangeText, src("LocalPort"));
    localPort_ = lngPort;
}

void CSocketMaster::set_Protocol(int32_t enmProtocol)
{
    if (state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("Protocol"));
    protocol_ = enmProtocol;
}

QString CSocketMaster::LocalHostName() const
{
    QString name;
    if (wsa::gethostname(&name) != 0)
        raisePlatform(wsa::WSAGetLastError(), "GetLocalHostName");
    return name;
}

QString CSocketMaster::LocalIP() const
{
    if (state_ == sckOpen || state_ == sckListening)
        return localIP_;
    return wsa::inet_ntoa(wsa::localAddress());
}

// ---- Creation of the socket ----

bool CSocketMaster::SocketExists()
{
    if (socket_ != -1)
        return true;
    const int32_t s = wsa::socket(protocol_ == sckTCPProtocol ? wsa::SockStream : wsa::SockDgram);
    if (s == wsa::INVALID_SOCKET) {
        RaiseErrorEvent(wsa::WSAGetLastError(), src("SocketExists"));
        return false;
    }
    socket_ = s;
    ProcessOptions();
    return msm::RegisterSocket(socket_, this, true);
}

void CSocketMaster::ProcessOptions()
{
    if (protocol_ == sckTCPProtocol) {
        int rcv = 0, snd = 0;
        if (wsa::getsockopt(socket_, wsa::SolSocket, wsa::SoRcvBuf, &rcv) != 0
            || wsa::getsockopt(socket_, wsa::SolSocket, wsa::SoSndBuf, &snd) != 0)
            raisePlatform(wsa::WSAGetLastError(), "ProcessOptions");
        recvChunk_ = rcv;
        sendChunk_ = snd;
    } else {
        wsa::setsockopt(socket_, wsa::SolSocket, wsa::SoBroadcast, 1);
        int size = 0;
        if (wsa::getsockopt(socket_, wsa::SolSocket, wsa::SoMaxMsgSize, &size) != 0)
            raisePlatform(wsa::WSAGetLastError(), "ProcessOptions");
        recvChunk_ = size;
        sendChunk_ = size;
    }
}

// ---- Binding ----

bool CSocketMaster::BindInternal(const std::optional<Value> &port, const std::optional<Value> &ip)
{
    if (state_ == sckOpen)
        return true;
    const int32_t p = port ? portArgument(*port, 0, "BindInternal") : localPort_;
    // Without a given address the socket takes every local address (so a
    // listening socket is reached on the loopback address too, and a
    // connecting one gets the source address of its route).
    QString text = ip ? toText(*ip) : QString();
    if (text.isEmpty())
        text = QStringLiteral("0.0.0.0");
    const HostAddress a = GetHostAddress(text);
    if (a.error != 0)
        raiseSck(sckInvalidArg, kInvalidArgText, src("BindInternal"));
    if (!SocketExists())
        return false;
    if (wsa::bind(socket_, wsa::SockAddr{a.addr, uint16_t(p)}) != 0)
        raisePlatform(wsa::WSAGetLastError(), "BindInternal");
    localIP_ = text;
    if (p != 0) {
        localPort_ = p;
    } else {
        wsa::SockAddr bound;
        if (wsa::getsockname(socket_, &bound) != 0)
            raisePlatform(wsa::WSAGetLastError(), "BindInternal");
        assignedLocalPort_ = bound.port;
    }
    return true;
}

void CSocketMaster::Bind(const std::optional<Value> &LocalPort, const std::optional<Value> &LocalIP)
{
    if (state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("Bind"));
    if (BindInternal(LocalPort, LocalIP))
        state_ = sckOpen;
}

// ---- Connecting ----

void CSocketMaster::Connect(const std::optional<Value> &RemoteHost, const std::optional<Value> &RemotePort)
{
    if (state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("Connect"));
    if (RemoteHost)
        remoteHost_ = toText(*RemoteHost);
    if (RemotePort)
        remotePort_ = portArgument(*RemotePort, 1, "Connect");
    if (!SocketExists())
        return;
    if (protocol_ == sckTCPProtocol) {
        // A known address connects at once; a name connects when resolved.
        if (const std::optional<uint32_t> addr = ResolveIfHostname(remoteHost_))
            ConnectToIP(*addr, 0);
    } else if (BindInternal(std::nullopt, std::nullopt)) {
        state_ = sckOpen;
    }
}

std::optional<uint32_t> CSocketMaster::ResolveIfHostname(const QString &host)
{
    if (wsa::isDottedAddress(host))
        return wsa::inet_addr(host);
    state_ = sckResolvingHost;
    auto result = std::make_shared<wsa::HostEntry>();
    const int task = msm::AsyncGetHostByName(host, result, this);
    if (task == 0) {
        RaiseErrorEvent(wsa::WSAGetLastError(), src("ResolveIfHostname"));
        return std::nullopt;
    }
    pending_[task] = Pending{0, result};
    return std::nullopt;
}

void CSocketMaster::PostGetHostEvent(int task, int error)
{
    if (state_ != sckResolvingHost)
        return;
    auto it = pending_.find(task);
    if (it == pending_.end())
        return;
    const Pending p = it->second;
    pending_.erase(it);
    msm::UnregisterResolution(task);
    if (error != 0) {
        if (p.destination == 0)
            ConnectToIP(0, error);
        return;
    }
    state_ = sckHostResolved;
    if (p.destination == 0)
        ConnectToIP(p.result->addr, 0);
}

void CSocketMaster::ConnectToIP(uint32_t address, int error)
{
    if (error != 0) {
        RaiseErrorEvent(error, src("ConnectToIP"));
        return;
    }
    if (!BindInternal(std::nullopt, std::nullopt))
        return;
    state_ = sckConnecting;
    if (wsa::connect(socket_, wsa::SockAddr{address, uint16_t(remotePort_)}) == 0)
        return;
    const int err = wsa::WSAGetLastError();
    if (err == wsa::WSAEWOULDBLOCK)
        return;
    if (err == wsa::WSAEADDRNOTAVAIL)
        raisePlatform(err, "ConnectToIP");
    RaiseErrorEvent(err, src("ConnectToIP"));
}

// ---- Listening and accepting ----

void CSocketMaster::Listen()
{
    if (state_ != sckClosed && state_ != sckOpen)
        raiseSck(sckInvalidOp, kInvalidOpText, src("Listen"));
    if (!SocketExists())
        return;
    if (!BindInternal(std::nullopt, std::nullopt))
        return;
    if (wsa::listen(socket_, 5) != 0)
        raisePlatform(wsa::WSAGetLastError(), "Listen");
    state_ = sckListening;
}

void CSocketMaster::GetRemoteInfo(int32_t socket, int32_t &port, QString &ip, QString &host)
{
    wsa::SockAddr a;
    if (wsa::getpeername(socket, &a) == 0) {
        port = a.port;
        ip = wsa::inet_ntoa(a.addr);
    } else {
        port = 0;
        ip.clear();
    }
    host.clear();
}

void CSocketMaster::AcceptConnection()
{
    wsa::SockAddr peer;
    const int32_t s = wsa::accept(socket_, &peer);
    if (s == wsa::INVALID_SOCKET)
        raisePlatform(wsa::WSAGetLastError(), "PostSocket");
    msm::RegisterAccepted(s);
    const int32_t savedPort = remotePort_;
    const QString savedIP = remoteHostIP_, savedHost = remoteHost_;
    GetRemoteInfo(s, remotePort_, remoteHostIP_, remoteHost_);
    Q_EMIT ConnectionRequest(s);
    if (state_ == sckListening) {
        remotePort_ = savedPort;
        remoteHostIP_ = savedIP;
        remoteHost_ = savedHost;
    }
    if (msm::IsAcceptRegistered(s)) {
        // Nobody accepted it.
        wsa::closesocket(s);
        msm::UnregisterSocket(s);
        msm::UnregisterAccept(s);
    }
}

void CSocketMaster::Accept(int32_t requestID)
{
    if (state_ != sckClosed)
        raiseSck(sckInvalidOp, kInvalidOpText, src("Accept"));
    if (!msm::IsAcceptRegistered(requestID)) {
        // Holder path: the socket layer hands a fresh connection to this
        // object. A socket someone already owns is refused before this
        // object takes its handle.
        if (msm::IsSocketRegistered(requestID))
            raiseSck(sckBadState, kBadStateText, src("Accept"));
        protocol_ = sckTCPProtocol;
        socket_ = requestID;
        try {
            ProcessOptions();
        } catch (...) {
            socket_ = -1;
            throw;
        }
        acceptHolder_ = true;
        state_ = sckConnected;
        msm::RegisterSocket(socket_, this, false);
        return;
    }
    // User path.
    protocol_ = sckTCPProtocol;
    socket_ = requestID;
    ProcessOptions();
    std::shared_ptr<CSocketMaster> holder = msm::GetAcceptClass(requestID);
    msm::UnregisterAccept(requestID);
    wsa::SockAddr local;
    if (wsa::getsockname(socket_, &local) != 0)
        raisePlatform(wsa::WSAGetLastError(), "Accept");
    assignedLocalPort_ = local.port;
    localIP_ = wsa::inet_ntoa(local.addr);
    GetRemoteInfo(socket_, remotePort_, remoteHostIP_, remoteHost_);
    state_ = sckConnected;
    if (holder && holder->BytesReceived() > 0) {
        Value data;
        holder->GetData(data, nullptr, nullptr);
        if (const QByteArray *b = std::get_if<QByteArray>(&data))
            recvBuffer_ += *b;
    }
    msm::SocketTableSetOwner(socket_, this);
    if (!recvBuffer_.isEmpty())
        Q_EMIT DataArrival(int32_t(recvBuffer_.size()));
    if (holder && holder->State() == sckClosing && state_ == sckConnected) {
        state_ = sckClosing;
        Q_EMIT CloseSckEvent();
    }
}

// ---- Closing ----

void CSocketMaster::CloseSck()
{
    if (socket_ == -1)
        return;
    state_ = sckClosing;
    CancelPendingResolutions();
    DestroySocket();
    assignedLocalPort_ = 0;
    remoteHostIP_.clear();
    recvBuffer_.clear();
    sendBuffer_.clear();
    sendChunk_ = 0;
    recvChunk_ = 0;
    state_ = sckClosed;
}

void CSocketMaster::DestroySocket()
{
    if (socket_ == -1)
        return;
    if (wsa::closesocket(socket_) != 0) {
        state_ = sckError;
        raisePlatform(wsa::WSAGetLastError(), "DestroySocket");
    }
    msm::UnregisterSocket(socket_);
    socket_ = -1;
}

void CSocketMaster::CancelPendingResolutions()
{
    for (const auto &[task, p] : pending_) {
        wsa::WSACancelAsyncRequest(task);
        msm::UnregisterResolution(task);
    }
    pending_.clear();
}

// ---- Notifications ----

intptr_t CSocketMaster::WndProc(intptr_t, uint32_t uMsg, uintptr_t wParam, intptr_t lParam)
{
    const char *op = uMsg == msm::RESOLVE_MESSAGE ? "PostGetHostEvent" : "PostSocket";
    try {
        if (uMsg == msm::RESOLVE_MESSAGE)
            PostGetHostEvent(int(wParam), msm::HiWord(lParam));
        else if (uMsg == msm::SOCKET_MESSAGE)
            PostSocket(msm::LoWord(lParam), msm::HiWord(lParam));
    } catch (const SckError &e) {
        RaiseErrorEvent(e.code(), e.description(), e.source());
    } catch (const qx::QxError &e) {
        RaiseErrorEvent(e.code(), e.description(), src(op));
    } catch (const std::exception &e) {
        RaiseErrorEvent(qx::ErrInvalidCall, QString::fromStdString(e.what()), src(op));
    }
    return 0;
}

void CSocketMaster::PostSocket(int event, int error)
{
    if (error != 0) {
        RaiseErrorEvent(error, src("PostSocket"));
        return;
    }
    switch (event) {
    case wsa::FD_READ:
        if (protocol_ == sckTCPProtocol && state_ == sckConnected)
            RecvDataToBuffer();
        else if (protocol_ != sckTCPProtocol && state_ == sckOpen)
            ReadDatagram();
        break;
    case wsa::FD_WRITE:
        if (state_ == sckConnected && !sendBuffer_.isEmpty())
            FlushSendBuffer();
        break;
    case wsa::FD_ACCEPT:
        if (state_ == sckListening)
            AcceptConnection();
        break;
    case wsa::FD_CONNECT:
        if (state_ == sckConnecting) {
            wsa::SockAddr a;
            if (wsa::getpeername(socket_, &a) == 0) {
                remotePort_ = a.port;
                remoteHostIP_ = wsa::inet_ntoa(a.addr);
            }
            state_ = sckConnected;
            Q_EMIT ConnectEvent();
        }
        break;
    case wsa::FD_CLOSE:
        if (state_ == sckConnected) {
            state_ = sckClosing;
            Q_EMIT CloseSckEvent();
        }
        break;
    default:
        break;
    }
}

void CSocketMaster::RaiseErrorEvent(int number, const QString &source)
{
    RaiseErrorEvent(number, msm::GetErrorDescription(number), source);
}

void CSocketMaster::RaiseErrorEvent(int number, const QString &description, const QString &source)
{
    state_ = sckError;
    QString text = description;
    bool cancelDisplay = true;
    Q_EMIT Error(number, text, 0, source, QString(), 0, cancelDisplay);
    if (!cancelDisplay)
        qx::ui().msgBox(text, qx::MbOkOnly, source);
}
