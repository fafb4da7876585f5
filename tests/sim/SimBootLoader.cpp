#include "SimBootLoader.h"
#include "SimPty.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace qx::sim {

namespace {

constexpr uint8_t CmdSync = 0x7F;
constexpr uint8_t CmdGet = 0x00;
constexpr uint8_t CmdRead = 0x11;
constexpr uint8_t CmdGo = 0x21;
constexpr uint8_t CmdWrite = 0x31;
constexpr uint8_t CmdErase = 0x43;
constexpr uint8_t Mask = 0xB3;
constexpr int IdleMs = 20; // longest pause of the thread's loop

int key(uint8_t cmd, int step) { return cmd << 4 | step; }

} // namespace

SimBootLoader::SimBootLoader(BootSimOptions options)
    : opt_(std::move(options))
    , appStart_(opt_.appStart >= 0 ? opt_.appStart : (opt_.type == 26 ? 0x8C00 : 0x9000))
{
    std::fill(mem_.begin() + appStart_, mem_.end(), OldFirmware);
    const auto put = [this](int addr, int value) {
        mem_[size_t(addr)] = uint8_t((value >> 8) ^ Mask);
        mem_[size_t(addr) + 1] = uint8_t((value & 0xFF) ^ Mask);
    };
    put(0x4002, opt_.variantAtAlt ? 0 : opt_.variant);
    if (opt_.variantAtAlt)
        put(0x1002, opt_.variant);
}

SimBootLoader::~SimBootLoader() { stop(); }

bool SimBootLoader::start()
{
    if (thread_.joinable())
        return true;
    if (!pty_.open(opt_.home, opt_.com, error_))
        return false;
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void SimBootLoader::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    pty_.close();
}

void SimBootLoader::addFault(const BootFault &f)
{
    std::lock_guard g(lock_);
    faults_.push_back(f);
}

std::vector<BootChunk> SimBootLoader::transcript() const
{
    std::lock_guard g(lock_);
    return transcript_;
}

std::vector<uint8_t> SimBootLoader::hostBytes() const
{
    std::lock_guard g(lock_);
    std::vector<uint8_t> all;
    for (const BootChunk &c : transcript_)
        if (c.fromHost)
            all.insert(all.end(), c.bytes.begin(), c.bytes.end());
    return all;
}

void SimBootLoader::clearTranscript()
{
    std::lock_guard g(lock_);
    transcript_.clear();
}

std::vector<uint8_t> SimBootLoader::memory(int addr, int n) const
{
    std::lock_guard g(lock_);
    const int from = std::clamp(addr, 0, int(mem_.size()));
    const int to = std::clamp(addr + n, from, int(mem_.size()));
    return {mem_.begin() + from, mem_.begin() + to};
}

bool SimBootLoader::synced() const
{
    std::lock_guard g(lock_);
    return synced_;
}

int SimBootLoader::goAddress() const
{
    std::lock_guard g(lock_);
    return goAddress_;
}

int SimBootLoader::erases() const
{
    std::lock_guard g(lock_);
    return erases_;
}

void SimBootLoader::run()
{
    while (!stop_) {
        int waitMs = IdleMs;
        {
            std::lock_guard g(lock_);
            if (!out_.empty()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(out_.front().due - Clock::now());
                waitMs = int(std::clamp<long long>(left.count(), 0, IdleMs));
            }
        }
        pollfd p{pty_.master(), POLLIN, 0};
        if (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
            uint8_t buf[512];
            const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
            std::lock_guard g(lock_);
            for (ssize_t i = 0; i < n; ++i) {
                record(true, buf[i]);
                feed(buf[i]);
            }
        }
        std::lock_guard g(lock_);
        flushDue();
    }
}

void SimBootLoader::record(bool fromHost, uint8_t b)
{
    if (transcript_.empty() || transcript_.back().fromHost != fromHost)
        transcript_.push_back({fromHost, {}});
    transcript_.back().bytes.push_back(b);
}

void SimBootLoader::send(const std::vector<uint8_t> &bytes, int delayMs)
{
    // Bytes leave in order: a late reply holds back everything after it.
    auto due = Clock::now() + std::chrono::milliseconds(delayMs);
    if (!out_.empty())
        due = std::max(due, out_.back().due);
    const auto gap = opt_.bytesPerSecond > 0 ? std::chrono::microseconds(1000000 / opt_.bytesPerSecond)
                                             : std::chrono::microseconds(0);
    for (const uint8_t b : bytes) {
        due += gap;
        out_.push_back({due, b});
    }
}

void SimBootLoader::flushDue()
{
    const auto now = Clock::now();
    while (!out_.empty() && out_.front().due <= now) {
        const uint8_t b = out_.front().byte;
        const ssize_t w = ::write(pty_.master(), &b, 1);
        if (w < 0 && errno == EAGAIN)
            return; // the line is full: try again on the next round
        out_.pop_front();
        if (w == 1)
            record(false, b);
    }
}

template <class Effect>
bool SimBootLoader::answer(uint8_t cmd, int step, std::vector<uint8_t> reply, Effect effect)
{
    const int times = ++reached_[key(cmd, step)];
    const BootFault *fault = nullptr;
    for (const BootFault &f : faults_)
        if (f.command == cmd && f.step == step && times >= f.nth && times < f.nth + f.count)
            fault = &f;
    if (!fault) {
        effect();
        send(reply, 0);
        return true;
    }
    switch (fault->kind) {
    case BootFaultKind::Nack:
        send({NACK}, 0);
        return false;
    case BootFaultKind::Silent:
        return false;
    case BootFaultKind::Late:
        effect();
        send(reply, fault->delayMs);
        return true;
    case BootFaultKind::Short:
        effect();
        reply.resize(std::min(reply.size(), size_t(std::max(0, fault->keep))));
        send(reply, 0);
        return true;
    case BootFaultKind::CorruptRead:
        effect();
        if (reply.size() > 1)
            reply.back() ^= 0xFF;
        send(reply, 0);
        return true;
    }
    return false;
}

void SimBootLoader::feed(uint8_t b)
{
    const auto addressOk = [this] {
        return acc_[0] == 0 && acc_[1] == 0 && acc_[4] == (acc_[2] ^ acc_[3]);
    };
    const auto fail = [this] {
        send({NACK}, 0);
        st_ = St::Idle;
    };

    switch (st_) {
    case St::Unsynced:
    case St::Idle:
        if (b == CmdSync) {
            answer(CmdSync, 1, {ACK}, [this] { synced_ = true; });
            st_ = synced_ ? St::Idle : St::Unsynced;
        } else if (st_ == St::Idle) {
            cmd_ = b;
            st_ = St::Cmd2;
        }
        return;
    case St::Cmd2:
        if ((cmd_ ^ b) != 0xFF)
            return fail();
        acc_.clear();
        switch (cmd_) {
        case CmdGet: {
            const std::vector<uint8_t> get = {ACK, 0x05, uint8_t(opt_.version), uint8_t(opt_.type),
                                              CmdRead, CmdGo, CmdWrite, CmdErase, ACK};
            answer(CmdGet, 1, get, [] {});
            st_ = St::Idle;
            return;
        }
        case CmdRead:
        case CmdWrite:
        case CmdGo:
            st_ = answer(cmd_, 1, {ACK}, [] {}) ? St::Addr : St::Idle;
            return;
        case CmdErase:
            st_ = answer(cmd_, 1, {ACK}, [] {}) ? St::EraseArg : St::Idle;
            return;
        default:
            return fail();
        }
    case St::Addr: {
        acc_.push_back(b);
        if (acc_.size() < 5)
            return;
        addr_ = uint32_t(acc_[2]) << 8 | acc_[3];
        if (!addressOk() || (cmd_ == CmdWrite && int(addr_) < appStart_))
            return fail();
        acc_.clear();
        const bool go = cmd_ == CmdGo;
        const bool on = answer(cmd_, 2, {ACK}, [this, go] {
            if (go)
                goAddress_ = int(addr_);
        });
        st_ = !on ? St::Idle : go ? St::Started : cmd_ == CmdRead ? St::Count : St::WrLen;
        return;
    }
    case St::Count: {
        acc_.push_back(b);
        if (acc_.size() < 2)
            return;
        const int n = acc_[0] + 1;
        if (acc_[1] != (acc_[0] ^ 0xFF) || int(addr_) + n > int(mem_.size()))
            return fail();
        std::vector<uint8_t> reply(size_t(n) + 1, ACK);
        std::copy_n(mem_.begin() + addr_, n, reply.begin() + 1);
        answer(CmdRead, 3, reply, [] {});
        st_ = St::Idle;
        return;
    }
    case St::WrLen:
        need_ = b + 1;
        acc_.assign(1, b);
        st_ = St::WrData;
        return;
    case St::WrData: {
        acc_.push_back(b);
        if (int(acc_.size()) < need_ + 2)
            return;
        uint8_t c = acc_[0];
        for (int i = 1; i <= need_; ++i)
            c = uint8_t(Mask ^ (acc_[size_t(i)] ^ c));
        if (c != acc_.back() || int(addr_) + need_ > int(mem_.size()))
            return fail();
        answer(CmdWrite, 3, {ACK}, [this] {
            for (int i = 0; i < need_; ++i)
                mem_[addr_ + uint32_t(i)] &= acc_[size_t(i) + 1];
        });
        st_ = St::Idle;
        return;
    }
    case St::EraseArg:
        acc_.push_back(b);
        if (acc_.size() < 2)
            return;
        if (acc_[0] != 0xFF || acc_[1] != 0x00)
            return fail();
        answer(CmdErase, 2, {ACK}, [this] {
            std::fill(mem_.begin() + appStart_, mem_.end(), uint8_t(0xFF));
            ++erases_;
        });
        st_ = St::Idle;
        return;
    case St::Started:
        return;
    }
}

} // namespace qx::sim
