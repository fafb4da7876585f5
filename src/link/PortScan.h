#pragma once
// The port scan behind a device panel's port list: COM2 to COM20 are tried
// in ascending order; a port that is free and opens is closed again at once
// and listed. The scan changes nothing on any port (COMM::ProbePort).
// COM1 is never offered. The main window's ScanPorts fills the panel from
// the result (the list, and the first port as the chosen one when there is
// any; with none the chosen port keeps its text). A port that is there but
// may not be opened by this user stays out of the list; the scan says why
// (refused), so that the window can tell it.
#include <QString>
#include <QStringList>

namespace qx {

struct PortScanResult {
    QStringList ports;   // "COM2", "COM7", ... in ascending order
    QString first;       // ports.front(), or "" when none opened
    QStringList paths;   // the device path of each listed port, for the tooltip
    QStringList refused; // "COM5 /dev/ttyUSB0: no permission (group dialout)", ...
};

inline constexpr int ScanFirstPort = 2;
inline constexpr int ScanLastPort = 20;

PortScanResult scanPorts();

// What has been said about refused ports: a refusal is told once, and again
// only after a scan found that port no longer refused.
class PortRefusals {
public:
    // The refusals of a new scan; returns those to tell now.
    QStringList update(const QStringList &refused);
    // The refusals of the last scan.
    const QStringList &current() const { return current_; }

private:
    QStringList current_;
};

} // namespace qx
