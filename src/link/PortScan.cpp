#include "link/PortScan.h"

#include "link/COMM.h"

namespace qx {

PortScanResult scanPorts()
{
    PortScanResult r;
    for (int n = ScanFirstPort; n <= ScanLastPort; ++n) {
        int32_t h = qx::COMM::OpenComm(n);
        if (h == 0)
            continue;
        const QString name = QStringLiteral("COM%1").arg(n);
        r.ports << name;
        r.paths << qx::COMM::PortPath(n);
        if (r.first.isEmpty())
            r.first = name;
        qx::COMM::CloseComm(h);
    }
    return r;
}

} // namespace qx
