#include "tools/BootLink.h"

#include "link/COMM.h"
#include "services/ErrLog.h"
#include "link/ModelTable.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace qx {

namespace {

constexpr uint8_t CmdGet = 0x00;
constexpr uint8_t CmdRead = 0x11;
constexpr uint8_t CmdGo = 0x21;
constexpr uint8_t CmdWrite = 0x31;
constexpr uint8_t CmdErase = 0x43;
constexpr int GetReplyLen = 9;
constexpr int PollMs = 1; // how often a wait looks at the port

QString hex(uint32_t v, int digits)
{
    return QLatin1String("0x") + QString::number(v, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

} // namespace

int BootLink::startAddress(int bootType) { return models::isUsbTester(bootType) ? 0x8C00 : 0x9000; }

std::array<uint8_t, 5> BootLink::addressFrame(uint32_t addr)
{
    const uint8_t hi = uint8_t(addr >> 8), lo = uint8_t(addr);
    return {0x00, 0x00, hi, lo, uint8_t(hi ^ lo)};
}

uint8_t BootLink::writeChecksum(std::span<const uint8_t> data)
{
    uint8_t c = uint8_t(data.size() - 1);
    for (const uint8_t d : data)
        c = uint8_t(VariantMask ^ (d ^ c));
    return c;
}

BootLink::BootLink(QObject *parent)
    : QObject(parent)
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(ReplyWaitMs);
    connect(Timer1, &QTimer::timeout, this, &BootLink::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(RetryPauseMs);
    connect(Timer2, &QTimer::timeout, this, &BootLink::Timer2_Timer);
    poll_ = new QTimer(this);
    poll_->setTimerType(Qt::PreciseTimer);
    poll_->setInterval(PollMs);
    connect(poll_, &QTimer::timeout, this, [this] {
        pull();
        endWaitWhenDone();
    });
}

BootLink::~BootLink()
{
    cancel();
    ClosePort();
}

bool BootLink::OpenPort(int port)
{
    ClosePort();
    handle_ = COMM::OpenComm(port);
    if (handle_ == 0)
        return false;
    // A pseudo-terminal refuses the parity; the port is raw 8 bits either way.
    COMM::SetCommParams(handle_, 9600, 8, 0, 2);
    in_.clear();
    return true;
}

void BootLink::ClosePort()
{
    COMM::CloseComm(handle_);
    in_.clear();
}

void BootLink::Timer1_Timer()
{
    TimeOut = true;
    Timer1->stop();
    endWaitWhenDone();
}

void BootLink::Timer2_Timer()
{
    RetryTick = true;
    endWaitWhenDone();
}

void BootLink::cancel()
{
    cancelled_ = true;
    Timer1->stop();
    Timer2->stop();
    if (loop_)
        loop_->quit();
}

void BootLink::endWaitWhenDone()
{
    if (loop_ && (cancelled_ || (waitDone_ && waitDone_())))
        loop_->quit();
}

bool BootLink::waitUntil(const std::function<bool()> &done)
{
    if (loop_)
        return false; // one wait at a time
    pull();
    if (cancelled_ || done())
        return !cancelled_;
    QEventLoop loop;
    loop_ = &loop;
    waitDone_ = done;
    poll_->start();
    loop.exec();
    poll_->stop();
    waitDone_ = nullptr;
    loop_ = nullptr;
    return !cancelled_;
}

void BootLink::pull()
{
    if (handle_ == 0)
        return;
    for (;;) {
        int32_t n = 0;
        const std::vector<uint8_t> got = COMM::ReadComm(handle_, n);
        if (n <= 0)
            break;
        in_.insert(in_.end(), got.begin(), got.begin() + n);
    }
}

bool BootLink::write(std::span<const uint8_t> out)
{
    // COMM writes from element 1 on.
    std::vector<uint8_t> buf(out.size() + 1);
    std::copy(out.begin(), out.end(), buf.begin() + 1);
    return COMM::WriteComm(handle_, buf) == int32_t(out.size());
}

std::vector<uint8_t> BootLink::exchange(std::span<const uint8_t> out, int k)
{
    if (cancelled_ || loop_)
        return {};
    // Nothing that came before this step can be its reply.
    pull();
    in_.clear();
    if (PortOpen())
        write(out);
    TimeOut = false;
    Timer1->start();
    // A refusal (NACK) is the whole reply: no more bytes follow it.
    waitUntil([this, k] { return TimeOut || int(in_.size()) >= k || (!in_.empty() && in_.front() != ACK); });
    Timer1->stop();
    const size_t n = std::min(size_t(k), in_.size());
    std::vector<uint8_t> reply(in_.begin(), in_.begin() + ptrdiff_t(n));
    in_.erase(in_.begin(), in_.begin() + ptrdiff_t(n));
    return reply;
}

bool BootLink::acked(const std::vector<uint8_t> &reply, const char *tag, const QString &what)
{
    if (cancelled_)
        return false;
    if (reply.empty()) {
        ErrLog(QLatin1String(tag), QStringLiteral("no reply to %1").arg(what));
        return false;
    }
    return reply[0] == ACK;
}

bool BootLink::command(uint8_t cmd, const char *tag)
{
    const uint8_t bytes[] = {cmd, uint8_t(cmd ^ 0xFF)};
    return acked(exchange(bytes, 1), tag, QStringLiteral("command %1").arg(hex(cmd, 2)));
}

bool BootLink::commandAndAddress(uint8_t cmd, uint32_t addr, const char *tag)
{
    if (!command(cmd, tag))
        return false;
    return acked(exchange(addressFrame(addr), 1), tag, QStringLiteral("address %1").arg(hex(addr & 0xFFFF, 4)));
}

bool BootLink::BootSync()
{
    const uint8_t sync[] = {SyncByte};
    return acked(exchange(sync, 1), "ErrCO", QStringLiteral("synchronisation"));
}

bool BootLink::BootGet()
{
    const uint8_t get[] = {CmdGet, uint8_t(CmdGet ^ 0xFF)};
    const std::vector<uint8_t> r = exchange(get, GetReplyLen);
    if (!acked(r, "ErrGT", QStringLiteral("Get")))
        return false;
    if (r.size() < 4) {
        ErrLog(QStringLiteral("ErrGT"), QStringLiteral("Get reply of %1 bytes has no type code").arg(r.size()));
        return false;
    }
    BootType = r[3];
    if (!readVariant(VariantAddress))
        return false;
    if ((BootType == 25 || models::isUsbTester(BootType)) && BootVariant == 0)
        return readVariant(VariantAddressAlt);
    return true;
}

bool BootLink::readVariant(uint32_t addr)
{
    // A variant that could not be read must not be taken from an earlier
    // read: it chooses the firmware image.
    if (!BootReadMem(addr, 2)) {
        if (!cancelled_)
            ErrLog(QStringLiteral("ErrGT"), QStringLiteral("variant not read at %1").arg(hex(addr, 4)));
        return false;
    }
    const int hi = RdBuf[0] ^ VariantMask, lo = RdBuf[1] ^ VariantMask;
    if (hi >= 128) {
        ErrLog(QStringLiteral("ErrGT"), QStringLiteral("variant %1 %2 out of range").arg(hex(uint32_t(hi), 2), hex(uint32_t(lo), 2)));
        return false;
    }
    BootVariant = hi * 256 + lo;
    return true;
}

bool BootLink::BootReadMem(uint32_t addr, int n)
{
    if (n < 1 || n > BlockSize)
        return false;
    if (!commandAndAddress(CmdRead, addr, "ErrRM"))
        return false;
    const uint8_t count[] = {uint8_t(n - 1), uint8_t((n - 1) ^ 0xFF)};
    const std::vector<uint8_t> r = exchange(count, n + 1);
    if (!acked(r, "ErrRM", QStringLiteral("read of %1 bytes at %2").arg(n).arg(hex(addr & 0xFFFF, 4))))
        return false;
    std::copy(r.begin() + 1, r.end(), RdBuf.begin());
    if (int(r.size()) < n + 1) {
        ErrLog(QStringLiteral("ErrRM"), QStringLiteral("%1 of %2 bytes read at %3").arg(r.size() - 1).arg(n).arg(hex(addr & 0xFFFF, 4)));
        return false;
    }
    return true;
}

bool BootLink::BootWriteMem(uint32_t addr, std::span<const uint8_t> data, int n)
{
    if (n < 1 || n > BlockSize || int(data.size()) < n)
        return false;
    if (!commandAndAddress(CmdWrite, addr, "ErrWM"))
        return false;
    const std::span<const uint8_t> block = data.first(size_t(n));
    std::vector<uint8_t> packet;
    packet.reserve(size_t(n) + 2);
    packet.push_back(uint8_t(n - 1));
    packet.insert(packet.end(), block.begin(), block.end());
    packet.push_back(writeChecksum(block));
    return acked(exchange(packet, 1), "ErrWM", QStringLiteral("write of %1 bytes at %2").arg(n).arg(hex(addr & 0xFFFF, 4)));
}

bool BootLink::BootErase()
{
    if (!command(CmdErase, "ErrEE"))
        return false;
    const uint8_t all[] = {0xFF, 0x00};
    return acked(exchange(all, 1), "ErrEE", QStringLiteral("erase all"));
}

bool BootLink::BootGo() { return commandAndAddress(CmdGo, uint32_t(startAddress(BootType)), "ErrGO"); }

bool BootLink::Synchronise()
{
    for (int attempt = 1; attempt <= SyncTries; ++attempt) {
        if (BootSync()) {
            Synced = true;
            Timer1->stop();
            return true;
        }
        if (cancelled_ || attempt == SyncTries)
            break;
        if (!Timer2->isActive())
            Timer2->start();
        RetryTick = false;
        if (!waitUntil([this] { return RetryTick; }))
            break;
    }
    return false;
}

} // namespace qx
