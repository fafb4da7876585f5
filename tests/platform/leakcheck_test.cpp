// The leak check of the sanitizer build reaches our own code under Qt: a
// leak in a timer's slot or in an event handler makes the test program fail.
// The test runs this program once more with a probe that leaks there and
// reads the child's exit code and report. Without the sanitizer there is no
// leak check, and the test is skipped.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__) || defined(QX_SANITIZED)
#define QX_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_LEAK_CHECKED 1
#endif
#endif

namespace {

char *volatile lastBlock = nullptr;

// Blocks whose only pointer is dropped: leaks.
__attribute__((noinline)) void leakFromTimerSlot()
{
    for (int i = 0; i < 8; ++i)
        lastBlock = new char[1000 + i];
    lastBlock = nullptr;
}

__attribute__((noinline)) void leakFromEventHandler()
{
    for (int i = 0; i < 8; ++i)
        lastBlock = new char[2000 + i];
    lastBlock = nullptr;
}

struct Handler : QObject {
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        leakFromEventHandler();
        return true;
    }
};

} // namespace

// The probe: only runs in the child started below.
TEST(LeakCheck, Probe)
{
    if (qgetenv("QX_LEAK_PROBE") != "1")
        GTEST_SKIP() << "runs only as the child of LeakCheck.LeaksUnderQtAreReported";
    bool fired = false;
    QTimer::singleShot(0, [&] {
        leakFromTimerSlot();
        fired = true;
    });
    Handler h;
    QCoreApplication::postEvent(&h, new QEvent(QEvent::User));
    for (int i = 0; i < 100 && !fired; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::sendPostedEvents(&h);
    EXPECT_TRUE(fired);
}

TEST(LeakCheck, LeaksUnderQtAreReported)
{
#ifndef QX_LEAK_CHECKED
    GTEST_SKIP() << "no leak check in this build";
#else
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QX_LEAK_PROBE", "1");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=LeakCheck.Probe"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray report = child.readAllStandardError() + child.readAllStandardOutput();
    EXPECT_NE(child.exitCode(), 0) << report.toStdString();
    EXPECT_TRUE(report.contains("LeakSanitizer: detected memory leaks")) << report.toStdString();
    EXPECT_TRUE(report.contains("leakFromTimerSlot")) << report.toStdString();
    EXPECT_TRUE(report.contains("leakFromEventHandler")) << report.toStdString();
#endif
}
