#pragma once
// The socket control: presents one socket object (cmSocket) with the
// interface of the platform's socket control. Every member passes to the
// object's member of the same name (errors reach the caller unchanged) and
// every event of the object is raised again by the control with the same
// arguments; Error's Description and CancelDisplay go back to the object.
// The control draws nothing and keeps itself 420 x 420 twips; it stores
// LocalPort, Protocol, RemoteHost, RemotePort and Tag with its window.
#include "net/CSocketMaster.h"

#include <QWidget>

namespace qx {
class PropertyBag;
}

class Socket : public QWidget {
    Q_OBJECT
public:
    explicit Socket(QWidget *parent = nullptr);
    ~Socket() override;

    int32_t RemotePort() const { return cmSocket->RemotePort(); }
    void set_RemotePort(int32_t lngPort) { cmSocket->set_RemotePort(lngPort); }
    QString RemoteHost() const { return cmSocket->RemoteHost(); }
    void set_RemoteHost(const QString &strHost) { cmSocket->set_RemoteHost(strHost); }
    QString RemoteHostIP() const { return cmSocket->RemoteHostIP(); }
    int32_t LocalPort() const { return cmSocket->LocalPort(); }
    void set_LocalPort(int32_t lngPort) { cmSocket->set_LocalPort(lngPort); }
    int32_t State() const { return cmSocket->State(); }
    QString LocalHostName() const { return cmSocket->LocalHostName(); }
    QString LocalIP() const { return cmSocket->LocalIP(); }
    int32_t BytesReceived() const { return cmSocket->BytesReceived(); }
    int32_t SocketHandle() const { return cmSocket->SocketHandle(); }
    QString Tag() const { return cmSocket->Tag(); }
    void set_Tag(const QString &strTag) { cmSocket->set_Tag(strTag); }
    int32_t Protocol() const { return cmSocket->Protocol(); }
    void set_Protocol(int32_t enmProtocol) { cmSocket->set_Protocol(enmProtocol); }

    void Accept(int32_t requestID) { cmSocket->Accept(requestID); }
    void Bind(const std::optional<qx::net::Value> &LocalPort = std::nullopt,
              const std::optional<qx::net::Value> &LocalIP = std::nullopt)
    {
        cmSocket->Bind(LocalPort, LocalIP);
    }
    void CloseSck() { cmSocket->CloseSck(); }
    void Connect(const std::optional<qx::net::Value> &RemoteHost = std::nullopt,
                 const std::optional<qx::net::Value> &RemotePort = std::nullopt)
    {
        cmSocket->Connect(RemoteHost, RemotePort);
    }
    void GetData(qx::net::Value &data, qx::net::Value *type = nullptr, qx::net::Value *maxLen = nullptr)
    {
        cmSocket->GetData(data, type, maxLen);
    }
    void Listen() { cmSocket->Listen(); }
    void PeekData(qx::net::Value &data, qx::net::Value *type = nullptr, qx::net::Value *maxLen = nullptr)
    {
        cmSocket->PeekData(data, type, maxLen);
    }
    void SendData(const qx::net::Value &data) { cmSocket->SendData(data); }

    // The stored properties: read (through the property lets, so the
    // object's checks apply) and written, with their defaults.
    void ReadProperties(const qx::PropertyBag &bag);
    void WriteProperties(qx::PropertyBag &bag) const;

    CSocketMaster *cmSocket = nullptr;

Q_SIGNALS:
    void CloseSckEvent();
    void ConnectEvent();
    void ConnectionRequest(int32_t requestID);
    void DataArrival(int32_t bytesTotal);
    void Error(int Number, QString &Description, int32_t sCode, const QString &Source, const QString &HelpFile,
               int32_t HelpContext, bool &CancelDisplay);
    void SendComplete();
    void SendProgress(int32_t bytesSent, int32_t bytesRemaining);
};
