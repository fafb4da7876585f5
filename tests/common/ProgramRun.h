#pragma once
// Runs the application's event loop as the program does, until the program
// ends it (its exit code) or, failing that, a generous watchdog ends it
// with 1.
#include <QCoreApplication>
#include <QTimer>

namespace qx::test {

inline int execWithWatchdog(int watchdogMs = 30000)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(watchdogMs);
    return QCoreApplication::exec();
}

} // namespace qx::test
