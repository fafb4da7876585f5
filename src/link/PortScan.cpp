#include "link/PortScan.h"

#include "link/COMM.h"

namespace qx {

PortScanResult scanPorts()
{
    PortScanResult r;
    for (int n = ScanFirstPort; n <= ScanLastPort; ++n) {
        if (!qx::COMM::PortAvailable(n))
            continue;
        const QString name = QStringLiteral("COM%1").arg(n);
        r.ports << name;
        r.paths << qx::COMM::PortPath(n);
        if (r.first.isEmpty())
            r.first = name;
    }
    return r;
}

} // namespace qx
