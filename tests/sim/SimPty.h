#pragma once
// The pseudo-terminal under a simulated device: a raw pair of descriptors
// and the ports/COMn link that makes it the program's port n.
#include <QString>

namespace qx::sim {

class SimPty {
public:
    SimPty() = default;
    ~SimPty() { close(); }
    SimPty(const SimPty &) = delete;
    SimPty &operator=(const SimPty &) = delete;

    // Opens a pseudo-terminal in raw mode both ways (no echo, no translation
    // of 0x0D or 0xFF), the master side non-blocking, and, with a home
    // folder, makes <home>/ports/COMn a link to it (replacing what was
    // there). False, with error saying why, when any of it fails (nothing
    // stays open then).
    bool open(const QString &home, int com, QString &error);
    // Closes both sides (the program sees a hang-up); the link stays.
    void closeFds();
    // Closes both sides and removes the link when it still points here.
    void close();

    int master() const { return master_; }
    QString slavePath() const { return slavePath_; } // e.g. /dev/pts/5
    QString linkPath() const { return linkPath_; }   // <home>/ports/COMn, "" without home

private:
    int master_ = -1, slave_ = -1;
    QString slavePath_, linkPath_;
};

} // namespace qx::sim
