#pragma once
// The port scan behind a device panel's port list: COM2 to COM20 are tried
// in ascending order; a port that is free and opens is closed again at once
// and listed. The scan changes nothing on any port (COMM::PortAvailable).
// COM1 is never offered. The main window's ScanPorts fills the panel from
// the result (the list, and the first port as the chosen one when there is
// any; with none the chosen port keeps its text).
#include <QString>
#include <QStringList>

namespace qx {

struct PortScanResult {
    QStringList ports; // "COM2", "COM7", ... in ascending order
    QString first;     // ports.front(), or "" when none opened
    QStringList paths; // the device path of each listed port, for the tooltip
};

inline constexpr int ScanFirstPort = 2;
inline constexpr int ScanLastPort = 20;

PortScanResult scanPorts();

} // namespace qx
