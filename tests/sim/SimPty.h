#pragma once
// The pseudo-terminal under a simulated device: a raw pair of descriptors
// and the ports/COMn link that makes it the program's port n.
#include <QString>

namespace qx::sim {

// Opens a pseudo-terminal in raw mode both ways (no echo, no translation of
// 0x0D or 0xFF), the master side non-blocking; both close on exec. False,
// with error saying why, when it fails (nothing stays open then).
bool openRawPty(int &master, int &slave, QString &slavePath, QString &error);
void closeFd(int &fd);

// Makes <home>/ports/COMn a link to target, replacing what was there;
// returns the link's path, or "" with error.
QString linkPort(const QString &home, int com, const QString &target, QString &error);
// Removes the link when it still points to target; clears link.
void unlinkPort(QString &link, const QString &target);

} // namespace qx::sim
