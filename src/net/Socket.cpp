#include "net/Socket.h"

#include "platform/Colors.h"
#include "platform/PropertyBag.h"


namespace {
constexpr int kSizeTwips = 420;
}

Socket::Socket(QWidget *parent) : QWidget(parent)
{
    cmSocket = new CSocketMaster(this);
    connect(cmSocket, &CSocketMaster::CloseSckEvent, this, &Socket::CloseSckEvent, Qt::DirectConnection);
    connect(cmSocket, &CSocketMaster::ConnectEvent, this, &Socket::ConnectEvent, Qt::DirectConnection);
    connect(cmSocket, &CSocketMaster::ConnectionRequest, this, &Socket::ConnectionRequest, Qt::DirectConnection);
    connect(cmSocket, &CSocketMaster::DataArrival, this, &Socket::DataArrival, Qt::DirectConnection);
    connect(cmSocket, &CSocketMaster::Error, this, &Socket::Error, Qt::DirectConnection);
    connect(cmSocket, &CSocketMaster::SendComplete, this, &Socket::SendComplete, Qt::DirectConnection);
    connect(cmSocket, &CSocketMaster::SendProgress, this, &Socket::SendProgress, Qt::DirectConnection);
    setFixedSize(qx::twipsToPx(kSizeTwips), qx::twipsToPx(kSizeTwips));
}

Socket::~Socket()
{
    // The object closes its socket and, as the last one, stops the sockets layer.
    delete cmSocket;
    cmSocket = nullptr;
}

void Socket::ReadProperties(const qx::PropertyBag &bag)
{
    set_LocalPort(bag.readInt(QStringLiteral("LocalPort"), 0));
    set_Protocol(bag.readInt(QStringLiteral("Protocol"), 0));
    set_RemoteHost(bag.readString(QStringLiteral("RemoteHost"), QString()));
    set_RemotePort(bag.readInt(QStringLiteral("RemotePort"), 0));
    set_Tag(bag.readString(QStringLiteral("Tag"), QString()));
}

void Socket::WriteProperties(qx::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("LocalPort"), LocalPort(), 0);
    bag.WriteProperty(QStringLiteral("Protocol"), Protocol(), 0);
    bag.WriteProperty(QStringLiteral("RemoteHost"), RemoteHost(), QString());
    bag.WriteProperty(QStringLiteral("RemotePort"), RemotePort(), 0);
    bag.WriteProperty(QStringLiteral("Tag"), Tag(), QString());
}
