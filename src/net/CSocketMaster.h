#pragma once
// One socket (TCP or UDP over IPv4) driven without blocking, with the
// properties, methods, states and events of the platform's socket control.
// Notifications arrive through the hidden window of modSocketMaster, which
// calls WndProc; the object turns them into state changes and events.
//
// Events are signals; the two whose names are also methods' names carry the
// suffix Event (CloseSckEvent, ConnectEvent). They are raised synchronously
// (connect them directly); a handler may call back into the object.
//
// Errors of the object's own checks are thrown to the caller as
// qx::net::SckError (number, text, source). Failures that arrive with a
// notification, or that end an operation a notification started, set state
// sckError and raise Error instead; nothing thrown while a notification is
// handled leaves the object.
#include "net/SckValue.h"
#include "platform/Winsock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class CSocketMaster : public QObject {
    Q_OBJECT
public:
    enum StateConstants : int32_t {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9
    };
    enum ProtocolConstants : int32_t { sckTCPProtocol = 0, sckUDPProtocol = 1 };

    explicit CSocketMaster(QObject *parent = nullptr);
    ~CSocketMaster() override;

    // ---- Properties ----
    int32_t RemotePort() const { return remotePort_; }
    void set_RemotePort(int32_t lngPort);
    QString RemoteHost() const { return remoteHost_; }
    void set_RemoteHost(const QString &strHost);
    QString RemoteHostIP() const { return remoteHostIP_; }
    // The port the system chose for a bind with port 0, else the set port.
    int32_t LocalPort() const { return assignedLocalPort_ != 0 ? assignedLocalPort_ : localPort_; }
    void set_LocalPort(int32_t lngPort);
    int32_t State() const { return state_; }
    QString LocalHostName() const;
    // Bound or listening: the address bound to; otherwise this host's first address.
    QString LocalIP() const;
    // TCP: bytes buffered; UDP: size of the waiting datagram.
    int32_t BytesReceived() const;
    int32_t SocketHandle() const { return socket_; }
    QString Tag() const { return tag_; }
    void set_Tag(const QString &strTag) { tag_ = strTag; }
    int32_t Protocol() const { return protocol_; }
    void set_Protocol(int32_t enmProtocol);

    // ---- Methods ----
    void Accept(int32_t requestID);
    void Bind(const std::optional<qx::net::Value> &LocalPort = std::nullopt,
              const std::optional<qx::net::Value> &LocalIP = std::nullopt);
    void CloseSck();
    void Connect(const std::optional<qx::net::Value> &RemoteHost = std::nullopt,
                 const std::optional<qx::net::Value> &RemotePort = std::nullopt);
    void Listen();
    void SendData(const qx::net::Value &data);
    // type and maxLen are optional (null) and passed by reference: an
    // unknown maxLen becomes the count of bytes available, the type of a
    // value already in data is written back into type.
    void GetData(qx::net::Value &data, qx::net::Value *type = nullptr, qx::net::Value *maxLen = nullptr);
    void PeekData(qx::net::Value &data, qx::net::Value *type = nullptr, qx::net::Value *maxLen = nullptr);

    // Called by the hidden window's dispatch only.
    intptr_t WndProc(intptr_t hwnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam);

    // Whether this object is an accept holder.
    bool IsAcceptHolder() const { return acceptHolder_; }

Q_SIGNALS:
    void CloseSckEvent();
    void ConnectEvent();
    void ConnectionRequest(int32_t requestID);
    void DataArrival(int32_t bytesTotal);
    void Error(int Number, QString &Description, int32_t sCode, const QString &Source, const QString &HelpFile,
               int32_t HelpContext, bool &CancelDisplay);
    void SendComplete();
    void SendProgress(int32_t bytesSent, int32_t bytesRemaining);

private:
    // States and connections
    bool SocketExists();
    void ProcessOptions();
    bool BindInternal(const std::optional<qx::net::Value> &port, const std::optional<qx::net::Value> &ip);
    std::optional<uint32_t> ResolveIfHostname(const QString &host);
    void PostGetHostEvent(int task, int error);
    void ConnectToIP(uint32_t address, int error);
    void PostSocket(int event, int error);
    void AcceptConnection();
    void DestroySocket();
    void CancelPendingResolutions();
    void GetRemoteInfo(int32_t socket, int32_t &port, QString &ip, QString &host);
    // An address for a host text (synchronous): a dotted address as it is,
    // a name looked up; error 10047 for an empty text.
    struct HostAddress {
        uint32_t addr = 1;
        QString text;
        int error = 0;
    };
    static HostAddress GetHostAddress(const QString &host);
    // Sets sckError and raises Error with the number's text.
    void RaiseErrorEvent(int number, const QString &source);
    void RaiseErrorEvent(int number, const QString &description, const QString &source);

    // Sending and receiving
    void FlushSendBuffer();
    void SendBufferedData();
    void SendBufferedDataUDP();
    void RecvDataToBuffer();
    void ReadDatagram();
    void DiscardDatagram();
    int32_t GetPendingBytes() const;
    void ReadData(qx::net::Value &data, bool peek, qx::net::Value *type, qx::net::Value *maxLen, const char *op);
    void RecvData(qx::net::Value &data, bool peek, qx::net::Value *type, qx::net::Value *maxLen);
    int BuildArray(int count, bool peek, QByteArray &out);

    int32_t socket_ = -1;
    int32_t state_ = sckClosed;
    QString tag_;
    QString remoteHost_;
    int32_t remotePort_ = 0;
    QString remoteHostIP_;
    int32_t localPort_ = 0;
    int32_t assignedLocalPort_ = 0;
    QString localIP_;
    int32_t protocol_ = sckTCPProtocol;
    int32_t sendChunk_ = 0;
    int32_t recvChunk_ = 0;
    QByteArray sendBuffer_;
    QByteArray recvBuffer_;
    bool acceptHolder_ = false;
    // Task handle of each running resolution -> destination code (0: connect)
    // and the record the resolution fills.
    struct Pending {
        int destination = 0;
        std::shared_ptr<qx::wsa::HostEntry> result;
    };
    std::map<int, Pending> pending_;
    // The handler of the datagram being announced took it.
    bool datagramTaken_ = false;
};
