// The socket object's data transfer: SendData, GetData, PeekData, the send
// and receive buffers and the events DataArrival, SendProgress and
// SendComplete.
#include "net/CSocketMaster.h"

#include "net/SckError.h"
#include "net/modSocketMaster.h"
#include "platform/Numbers.h"

#include <algorithm>

using namespace qx::net;
namespace wsa = qx::wsa;
namespace msm = qx::modSocketMaster;

namespace {

QString src(const char *op) { return QStringLiteral("CSocketMaster.") + QLatin1String(op); }

// Largest piece for one call when the platform reported no buffer size, so
// that a size of 0 can never make a loop that sends or reads nothing.
constexpr int32_t kFallbackChunk = 65536;

} // namespace

int32_t CSocketMaster::BytesReceived() const
{
    if (protocol_ == sckTCPProtocol)
        return int32_t(recvBuffer_.size());
    return GetPendingBytes();
}

int32_t CSocketMaster::GetPendingBytes() const
{
    uint32_t n = 0;
    if (socket_ == -1 || wsa::ioctlFionread(socket_, &n) != 0)
        return 0;
    return int32_t(std::min<uint32_t>(n, INT32_MAX));
}

// ---- Sending ----

void CSocketMaster::SendData(const Value &data)
{
    if (protocol_ != sckTCPProtocol) {
        if (!SocketExists())
            return;
        if (!BindInternal(std::nullopt, std::nullopt))
            return;
        state_ = sckOpen;
    } else if (state_ != sckConnected) {
        raiseSck(sckBadState, kBadStateText, src("SendData"));
    }
    const std::optional<QByteArray> bytes = toBytes(data);
    if (!bytes)
        raiseSck(sckUnsupported, kUnsupportedText, src("SendData"));
    if (bytes->isEmpty())
        return;
    const bool wasEmpty = sendBuffer_.isEmpty();
    sendBuffer_ += *bytes;
    if (wasEmpty)
        FlushSendBuffer();
}

void CSocketMaster::FlushSendBuffer()
{
    if (protocol_ == sckTCPProtocol)
        SendBufferedData();
    else
        SendBufferedDataUDP();
}

void CSocketMaster::SendBufferedData()
{
    int32_t sent = 0;
    while (!sendBuffer_.isEmpty() && socket_ != -1) {
        const int32_t chunk = sendChunk_ > 0 ? sendChunk_ : kFallbackChunk;
        const int len = int(std::min<qsizetype>(sendBuffer_.size(), chunk));
        const int n = wsa::send(socket_, sendBuffer_.constData(), len);
        if (n > 0) {
            sent += n;
            if (n >= sendBuffer_.size()) {
                sendBuffer_.clear();
                Q_EMIT SendProgress(sent, 0);
                sent = 0;
                Q_EMIT SendComplete();
            } else {
                sendBuffer_.remove(0, n);
            }
            continue;
        }
        const int err = n == 0 ? wsa::WSAEWOULDBLOCK : wsa::WSAGetLastError();
        if (err == wsa::WSAEWOULDBLOCK) {
            // The platform's buffer is full: the rest goes on FD_WRITE.
            if (sent > 0)
                Q_EMIT SendProgress(sent, int32_t(sendBuffer_.size()));
            return;
        }
        RaiseErrorEvent(err, src("SendBufferedData"));
        return;
    }
}

void CSocketMaster::SendBufferedDataUDP()
{
    const HostAddress a = GetHostAddress(remoteHost_);
    if (a.error != 0) {
        sendBuffer_.clear();
        if (a.error == wsa::WSAEAFNOSUPPORT)
            raiseSck(a.error, msm::GetErrorDescription(a.error), src("SendBufferedDataUDP"));
        raiseSck(sckInvalidArg, kInvalidArgText, src("SendBufferedDataUDP"));
    }
    const QByteArray datagram = sendBuffer_;
    sendBuffer_.clear();
    if (wsa::sendto(socket_, datagram.constData(), int(datagram.size()), wsa::SockAddr{a.addr, uint16_t(remotePort_)})
        < 0)
        RaiseErrorEvent(wsa::WSAGetLastError(), src("SendBufferedDataUDP"));
}

// ---- Receiving ----

void CSocketMaster::RecvDataToBuffer()
{
    const int32_t chunk = recvChunk_ > 0 ? recvChunk_ : kFallbackChunk;
    QByteArray buf(chunk, Qt::Uninitialized);
    const int n = wsa::recv(socket_, buf.data(), chunk, false);
    if (n < 0) {
        const int err = wsa::WSAGetLastError();
        if (err == wsa::WSAEWOULDBLOCK)
            return;  // nothing there after all
        state_ = sckError;
        raiseSck(err, msm::GetErrorDescription(err), src("RecvDataToBuffer"));
    }
    if (n == 0) {
        // The peer has closed the connection.
        if (state_ == sckConnected) {
            state_ = sckClosing;
            Q_EMIT CloseSckEvent();
        }
        return;
    }
    recvBuffer_.append(buf.constData(), n);
    Q_EMIT DataArrival(int32_t(recvBuffer_.size()));
}

void CSocketMaster::ReadDatagram()
{
    datagramTaken_ = false;
    const int32_t n = GetPendingBytes();
    if (n > 0)
        Q_EMIT DataArrival(n);
    // A datagram the handler did not take is dropped, so the next one can come.
    if (!datagramTaken_ && socket_ != -1)
        DiscardDatagram();
}

void CSocketMaster::DiscardDatagram()
{
    char c;
    wsa::recv(socket_, &c, 1, false);
    datagramTaken_ = true;
}

void CSocketMaster::GetData(Value &data, Value *type, Value *maxLen) { ReadData(data, false, type, maxLen, "GetData"); }

void CSocketMaster::PeekData(Value &data, Value *type, Value *maxLen) { ReadData(data, true, type, maxLen, "PeekData"); }

void CSocketMaster::ReadData(Value &data, bool peek, Value *type, Value *maxLen, const char *op)
{
    if (protocol_ == sckTCPProtocol) {
        // What arrived before the peer closed can still be read.
        const bool ok = state_ == sckConnected || state_ == sckClosing || (!peek && acceptHolder_);
        if (!ok)
            raiseSck(sckBadState, kBadStateText, src(op));
    } else {
        if (state_ != sckOpen)
            raiseSck(sckBadState, kBadStateText, src(op));
        if (GetPendingBytes() == 0)
            return;
    }
    if (maxLen) {
        if (!isNumeric(*maxLen))
            *maxLen = protocol_ == sckTCPProtocol ? int32_t(recvBuffer_.size()) : GetPendingBytes();
        else if (numericValue(*maxLen) < 0)
            raiseSck(sckInvalidArg, kRangeText, src(op));
    }
    RecvData(data, peek, type, maxLen);
}

void CSocketMaster::RecvData(Value &data, bool peek, Value *type, Value *maxLen)
{
    const bool udp = protocol_ != sckTCPProtocol;
    const int32_t available = udp ? GetPendingBytes() : int32_t(recvBuffer_.size());

    int vt = vbByteArray;
    if (varType(data) != vbEmpty) {
        vt = varType(data);
        if (type)
            *type = int32_t(vt);
    } else if (type && varType(*type) != vbEmpty) {
        if (!isNumeric(*type))
            raiseSck(sckUnsupported, kUnsupportedText, src("RecvData"));
        vt = int(qx::num::roundHalfEven(numericValue(*type)));
    }

    QByteArray bytes;
    if (vt == vbString || vt == vbByteArray) {
        int count = available;
        if (!maxLen) {
            if (available == 0) {
                data = QByteArray();
                return;
            }
        } else {
            const double m = qx::num::roundHalfEven(numericValue(*maxLen));
            if (m == 0 || available == 0) {
                data = QByteArray();
                if (udp) {
                    DiscardDatagram();
                    raiseSck(wsa::WSAEMSGSIZE, msm::GetErrorDescription(wsa::WSAEMSGSIZE), src("RecvData"));
                }
                return;
            }
            count = int(std::min<double>(m, available));
        }
        if (const int err = BuildArray(count, peek, bytes))
            raiseSck(err, msm::GetErrorDescription(err), src("RecvData"));
        data = fromBytes(vt, bytes);
        return;
    }
    const int need = valueSize(vt);
    if (need <= 0)
        raiseSck(sckUnsupported, kUnsupportedText, src("RecvData"));
    if (available < need)
        return;
    if (const int err = BuildArray(need, peek, bytes))
        raiseSck(err, msm::GetErrorDescription(err), src("RecvData"));
    data = fromBytes(vt, bytes);
}

int CSocketMaster::BuildArray(int count, bool peek, QByteArray &out)
{
    if (protocol_ == sckTCPProtocol) {
        out = recvBuffer_.left(count);
        if (!peek)
            recvBuffer_.remove(0, count);
        return 0;
    }
    out = QByteArray(count, '\0');
    wsa::SockAddr from;
    const int n = wsa::recvfrom(socket_, out.data(), count, peek, &from);
    const int err = n < 0 ? wsa::WSAGetLastError() : 0;
    if (!peek && (n >= 0 || err == wsa::WSAEMSGSIZE))
        datagramTaken_ = true;
    remotePort_ = from.port;
    remoteHostIP_ = wsa::inet_ntoa(from.addr);
    remoteHost_.clear();
    return err;
}
