#include "DevSim.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>

#include <poll.h>
#include <unistd.h>

namespace qx::sim {

using namespace Frames;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int ReadyMs = 50;      // longest pause of the thread's loop
constexpr double MaxStepSecs = 1; // real time one turn of the loop simulates at most

double clampSpeed(double x) { return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, MaxSpeed); }
double clampRate(double x) { return std::isnan(x) ? 4.0 : std::clamp(x, MinRate, MaxRate); }

// A whole number lo..hi, or nullopt.
std::optional<int> wholeNumber(const QString &text, int lo, int hi)
{
    bool ok = false;
    const double x = text.toDouble(&ok);
    if (!ok || !(x >= lo && x <= hi) || x != std::floor(x))
        return std::nullopt;
    return int(x);
}
} // namespace

DevSim::DevSim(DevSimOptions options)
    : opt_(std::move(options)), dev_(opt_.type, opt_.firmware), rng_(opt_.seed)
{
    opt_.rate = clampRate(opt_.rate);
    opt_.speed = clampSpeed(opt_.speed);
    dev_.setParamFrames(opt_.paramFrames);
}

DevSim::~DevSim() { stop(); }

bool DevSim::start()
{
    if (thread_.joinable())
        return true;
    if (opt_.type < 1 || opt_.type > 99) {
        error_ = QStringLiteral("type code must be 1 to 99");
        return false;
    }
    if (!pty_.open(opt_.home, opt_.com, error_))
        return false;
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void DevSim::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    pty_.close();
}

void DevSim::closeFds() { pty_.closeFds(); }

void DevSim::run()
{
    auto last = Clock::now();
    auto next = last;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / opt_.rate));
    while (!stop_) {
        const auto now0 = Clock::now();
        const int waitMs = int(std::clamp<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(next - now0).count(), 0, ReadyMs));
        if (pty_.master() >= 0) {
            pollfd p{pty_.master(), POLLIN, 0};
            if (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN))
                readCommands();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        }
        if (hungUp_ && pty_.master() >= 0) {
            {
                std::lock_guard g(lock_);
                closeFds();
            }
            changed_.notify_all();
        }
        const auto now = Clock::now();
        {
            std::lock_guard g(lock_);
            // A stalled loop (a stopped process) does not make up for the lost
            // time at once, so one turn's work stays small at any speed.
            const double real = std::min(std::chrono::duration<double>(now - last).count(), MaxStepSecs);
            dev_.advance(real * opt_.speed);
        }
        last = now;
        if (now >= next) {
            next += period;
            if (next < now)
                next = now + period;
            sendFrames();
        }
    }
}

void DevSim::readCommands()
{
    uint8_t buf[256];
    const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
    if (n <= 0)
        return;
    std::lock_guard g(lock_);
    for (ssize_t i = 0; i < n; ++i) {
        const uint8_t b = buf[i];
        if (b == FrameStart) {
            inActive_ = true;
            inFrame_.clear();
        } else if (b == FrameEnd) {
            if (inActive_ && inFrame_.size() == 8) {
                std::array<uint8_t, 8> bytes{};
                std::copy(inFrame_.begin(), inFrame_.end(), bytes.begin());
                const SimCommand c = SimCommand::fromBytes(bytes);
                received_.push_back(c);
                dev_.handle(c);
            }
            inActive_ = false;
        } else if (inActive_) {
            if (inFrame_.size() < 8)
                inFrame_.push_back(b);
            else
                inActive_ = false;
        }
    }
    changed_.notify_all();
}

void DevSim::sendFrames()
{
    std::vector<uint8_t> out;
    size_t count = 0;
    {
        std::lock_guard g(lock_);
        if (silent_ || hungUp_ || pty_.master() < 0)
            return;
        for (const DevFrame &f : dev_.tickFrames()) {
            if (stray_ > 0) {
                --stray_;
                out.push_back(FrameEnd);
            }
            if (noise_ > 0) {
                --noise_;
                const int k = 1 + int(rng_() % 8);
                for (int i = 0; i < k; ++i) {
                    uint8_t b;
                    do
                        b = uint8_t(rng_() % 256);
                    while (b == FrameStart || b == FrameEnd);
                    out.push_back(b);
                }
            }
            std::vector<uint8_t> bytes(f.begin(), f.end());
            if (badSum_ > 0) {
                --badSum_;
                bytes[17] = uint8_t((bytes[17] + 1) % ByteLimit);
            }
            if (truncate_ > 0) {
                --truncate_;
                bytes.resize(11);
            } else if (overlong_ > 0) {
                --overlong_;
                bytes.insert(bytes.end() - 1, uint8_t(7));
            }
            out.insert(out.end(), bytes.begin(), bytes.end());
            ++count;
        }
    }
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t w = ::write(pty_.master(), out.data() + done, out.size() - done);
        if (w > 0)
            done += size_t(w);
        else if (!(w < 0 && errno == EINTR))
            break; // the line is full (nobody reads) or gone: the rest is lost
    }
    framesSent_ += int(count);
    changed_.notify_all();
}

std::vector<SimCommand> DevSim::commands() const
{
    std::lock_guard g(lock_);
    return received_;
}

void DevSim::clearCommands()
{
    std::lock_guard g(lock_);
    received_.clear();
}

bool DevSim::waitForCommand(int op, int timeoutMs, int count)
{
    std::unique_lock g(lock_);
    return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] {
        return std::count_if(received_.begin(), received_.end(),
                             [op](const SimCommand &c) { return c.valid && c.op == op; }) >= count;
    });
}

bool DevSim::waitFramesSent(int count, int timeoutMs)
{
    const int target = framesSent_.load() + count;
    std::unique_lock g(lock_);
    return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return framesSent_.load() >= target; });
}

void DevSim::addFault(int &counter, int n)
{
    std::lock_guard g(lock_);
    counter += std::max(0, n);
}

void DevSim::faultBadChecksum(int n) { addFault(badSum_, n); }

void DevSim::faultTruncate(int n) { addFault(truncate_, n); }

void DevSim::faultOverlong(int n) { addFault(overlong_, n); }

void DevSim::faultStrayEnd(int n) { addFault(stray_, n); }

void DevSim::faultNoise(int n) { addFault(noise_, n); }

void DevSim::setSilent(bool on)
{
    std::lock_guard g(lock_);
    silent_ = on;
}

void DevSim::hangUp()
{
    hungUp_ = true;
    if (!thread_.joinable()) {
        closeFds();
        return;
    }
    // The thread owns the descriptors: wait until it has closed them.
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    std::unique_lock g(lock_);
    changed_.wait_until(g, deadline, [this] { return pty_.master() < 0; });
}

void DevSim::withDevice(const std::function<void(SimDevice &)> &f)
{
    std::lock_guard g(lock_);
    f(dev_);
}

SimChannel DevSim::channel(int ch) const
{
    std::lock_guard g(lock_);
    return dev_.channel(ch);
}

bool DevSim::connected() const
{
    std::lock_guard g(lock_);
    return dev_.connected();
}

void DevSim::setSpeed(double simSecondsPerSecond)
{
    std::lock_guard g(lock_);
    opt_.speed = clampSpeed(simSecondsPerSecond);
}

QString DevSim::control(const QString &line)
{
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return {};
    const QString cmd = w[0].toLower();
    bool ok = w.size() >= 2;
    const double arg = ok ? w[1].toDouble(&ok) : 0;
    if (cmd == QLatin1String("badsum") || cmd == QLatin1String("truncate") || cmd == QLatin1String("overlong") ||
        cmd == QLatin1String("stray") || cmd == QLatin1String("noise")) {
        const std::optional<int> count = w.size() >= 2 ? wholeNumber(w[1], 0, MaxFaultCount) : std::nullopt;
        if (!count)
            return QStringLiteral("error: %1 needs a whole number 0..%2").arg(cmd).arg(MaxFaultCount);
        const int n = *count;
        if (cmd == QLatin1String("badsum"))
            faultBadChecksum(n);
        else if (cmd == QLatin1String("truncate"))
            faultTruncate(n);
        else if (cmd == QLatin1String("overlong"))
            faultOverlong(n);
        else if (cmd == QLatin1String("stray"))
            faultStrayEnd(n);
        else
            faultNoise(n);
        return {};
    }
    if (cmd == QLatin1String("silent")) {
        if (w.size() < 2 || (w[1] != QLatin1String("on") && w[1] != QLatin1String("off")))
            return QStringLiteral("error: silent on|off");
        setSilent(w[1] == QLatin1String("on"));
        return {};
    }
    if (cmd == QLatin1String("hangup")) {
        hangUp();
        return {};
    }
    if (cmd == QLatin1String("speed")) {
        if (!ok || !(arg >= 0 && arg <= MaxSpeed))
            return QStringLiteral("error: speed needs a number 0..%1").arg(MaxSpeed);
        setSpeed(arg);
        return {};
    }
    if (cmd == QLatin1String("soc")) {
        const std::optional<int> ch = w.size() >= 3 ? wholeNumber(w[2], 0, 1) : std::optional<int>(0);
        if (!ok || !(arg >= 0 && arg <= 1) || !ch)
            return QStringLiteral("error: soc 0..1 [channel 0|1]");
        withDevice([&](SimDevice &d) { d.channel(*ch).battery.soc = arg; });
        return {};
    }
    if (cmd == QLatin1String("status")) {
        std::lock_guard g(lock_);
        QString s = QStringLiteral("connected=%1").arg(dev_.connected() ? 1 : 0);
        for (int ch = 0; ch < dev_.model().channels(); ++ch) {
            const SimChannel &c = dev_.channel(ch);
            s += QStringLiteral(" ch%1: running=%2 mode=%3 V=%4 A=%5 Ah=%6 Wh=%7 s=%8 end=%9")
                     .arg(ch)
                     .arg(c.running ? 1 : 0)
                     .arg(c.mode)
                     .arg(c.volts, 0, 'f', 3)
                     .arg(c.amps, 0, 'f', 3)
                     .arg(c.capacityAh, 0, 'f', 4)
                     .arg(c.energyWh, 0, 'f', 4)
                     .arg(qint64(c.testSecs))
                     .arg(c.endReason.empty() ? QStringLiteral("-") : QString::fromStdString(c.endReason));
        }
        return s;
    }
    if (cmd == QLatin1String("help"))
        return QStringLiteral("badsum|truncate|overlong|stray|noise N, silent on|off, hangup, speed X, "
                              "soc F [CH], status, quit");
    return QStringLiteral("error: unknown command %1").arg(cmd);
}

} // namespace qx::sim
