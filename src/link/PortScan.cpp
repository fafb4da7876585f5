#include "link/PortScan.h"

#include "link/COMM.h"

namespace qx {

PortScanResult scanPorts()
{
    PortScanResult r;
    for (int n = ScanFirstPort; n <= ScanLastPort; ++n) {
        const COMM::PortProbe probe = COMM::ProbePort(n);
        const QString name = QStringLiteral("COM%1").arg(n);
        if (!probe.refusal.isEmpty())
            r.refused << name + QLatin1Char(' ') + COMM::PortPath(n) + QStringLiteral(": ") + probe.refusal;
        if (!probe.free)
            continue;
        r.ports << name;
        r.paths << COMM::PortPath(n);
        if (r.first.isEmpty())
            r.first = name;
    }
    return r;
}

QStringList PortRefusals::update(const QStringList &refused)
{
    QStringList fresh;
    for (const QString &r : refused)
        if (!current_.contains(r))
            fresh << r;
    current_ = refused;
    return fresh;
}

} // namespace qx
