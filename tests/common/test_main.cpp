// gtest main for every test program: a QApplication on the offscreen
// platform, so widgets and painting work without a screen, and a home folder
// of its own whose ports folder is all the program can reach: the machine's
// serial devices (/dev/ttyS*, ttyUSB*, ttyACM*) are never opened or locked
// by a test.
#include "lsan_supp.h"
#include "platform/AppHome.h"
#include "platform/SerialPort.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Sanitizer settings for every test program. Leaks are reported; the few
// suppressed ones are listed, each with its reason, in lsan.supp.
extern "C" const char *__asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }
extern "C" const char *__lsan_default_suppressions() { return qxLeakSuppressions; }
extern "C" const char *__ubsan_default_options() { return "print_stacktrace=1"; }

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    qx::SerialPort::setSystemPorts(false);
    QTemporaryDir home;
    qx::setHomeDir(home.path());
    return RUN_ALL_TESTS();
}
