#include "link/COMM.h"

#include "platform/SerialPort.h"

#include <map>
#include <memory>
#include <mutex>

namespace qx::COMM {

namespace {

struct Table {
    std::mutex lock;
    std::map<int32_t, std::unique_ptr<qx::SerialPort>> ports;
    int32_t last = 0;

    // The next free positive handle.
    int32_t nextHandle()
    {
        do
            last = last == INT32_MAX ? 1 : last + 1;
        while (ports.count(last));
        return last;
    }
};

Table &table()
{
    static Table t;
    return t;
}

// Runs f on the port of h under the table lock; def when h is not open.
template <class R, class F>
R withPort(int32_t h, R def, F &&f)
{
    if (h == 0)
        return def;
    Table &t = table();
    std::lock_guard g(t.lock);
    const auto it = t.ports.find(h);
    return it == t.ports.end() ? def : f(*it->second);
}

} // namespace

int32_t OpenComm(int32_t port)
{
    auto p = std::make_unique<qx::SerialPort>();
    if (!p->open(qx::SerialPort::pathOf(port)))
        return 0;
    Table &t = table();
    std::lock_guard g(t.lock);
    const int32_t h = t.nextHandle();
    t.ports.emplace(h, std::move(p));
    return h;
}

bool PortAvailable(int32_t port) { return ProbePort(port).free; }

PortProbe ProbePort(int32_t port)
{
    using Access = qx::SerialPort::Access;
    const QString path = qx::SerialPort::pathOf(port);
    PortProbe r;
    switch (qx::SerialPort::check(path)) {
    case Access::Free: r.free = true; break;
    case Access::NoPermission: {
        const QString who = qx::SerialPort::whoMayOpen(path);
        r.refusal = who.isEmpty() ? QStringLiteral("no permission") : QStringLiteral("no permission (%1)").arg(who);
        break;
    }
    default: break;
    }
    return r;
}

void CloseComm(int32_t &h)
{
    if (h != 0) {
        Table &t = table();
        std::lock_guard g(t.lock);
        t.ports.erase(h);
    }
    h = 0;
}

std::vector<uint8_t> ReadComm(int32_t h, int32_t &n)
{
    std::vector<uint8_t> buf(qx::SerialPort::ReadMax);
    n = withPort(h, 0, [&](qx::SerialPort &p) { return p.read(buf.data(), int(buf.size())); });
    buf.resize(size_t(n));
    return buf;
}

int32_t WriteComm(int32_t h, std::span<const uint8_t> buf)
{
    if (buf.size() < 2)
        return 0;
    return withPort(h, 0, [&](qx::SerialPort &p) { return p.write(buf.data() + 1, int(buf.size() - 1)); });
}

bool SetCommParams(int32_t h, int32_t baud, uint8_t byteSize, uint8_t stopBits, uint8_t parity)
{
    if (h == 0)
        return false;
    const bool taken = withPort(h, false, [&](qx::SerialPort &p) { return p.setLine(baud, byteSize, stopBits, parity); });
    SetPortTimeouts(h, 2, 3);
    return taken;
}

bool SetPortTimeouts(int32_t h, int32_t /*a*/, int32_t /*b*/)
{
    return withPort(h, false, [](qx::SerialPort &p) { return p.setTimeouts(); });
}

bool PurgeInput(int32_t h)
{
    return withPort(h, false, [](qx::SerialPort &p) { return p.flushInput(); });
}

bool PortGone(int32_t h)
{
    return withPort(h, false, [](qx::SerialPort &p) { return p.gone(); });
}

int PortDescriptor(int32_t h)
{
    return withPort(h, -1, [](qx::SerialPort &p) { return p.descriptor(); });
}

QString PortPath(int32_t port) { return qx::SerialPort::devicePathOf(port); }

} // namespace COMM
