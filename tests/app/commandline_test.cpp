// The program's command line as a user meets it: the exit code and what is
// printed, from the real executable.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString program() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/qx-tester"); }

struct Outcome {
    int code = -1;
    QString out, err;
};

// Runs the program without a display; a run that would open the window is
// ended by the watchdog and shows as code -1.
Outcome run(const QStringList &args, int waitMs = 20000)
{
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(program(), args);
    Outcome r;
    if (!p.waitForFinished(waitMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

TEST(CommandLine, HelpAndVersionPrintAndEndWithoutADisplay)
{
    for (const QStringList &args : {QStringList{"--help"}, {"-h"}, {"-reverse", "--help"}}) {
        const Outcome r = run(args);
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(r.code, 0);
        EXPECT_TRUE(r.out.startsWith("Usage: qx-tester [options]")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("--home <folder>"));
        EXPECT_TRUE(r.out.contains("--version"));
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    for (const QStringList &args : {QStringList{"--version"}, {"-v"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, "QX Tester Software 1.8.9\n");
    }
}

TEST(CommandLine, UnknownOptionsAndAHomeWithoutAFolderAreRefusedWithTheUsage)
{
    struct Case {
        QStringList args;
        const char *why;
    };
    const Case cases[] = {
        {{"--home"}, "--home needs a folder."},
        {{"--home", "--nosuch"}, "--home needs a folder."},
        {{"--home="}, "--home needs a folder."},
        // Judged once Qt has taken its own options: these need a platform.
        {{"-platform", "offscreen", "--bogus"}, "Unknown option 'bogus'."},
        {{"-platform", "offscreen", "stray"}, "Unknown argument 'stray'."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(QStringLiteral("qx-tester: ") + c.why)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("Usage: qx-tester [options]"));
    }
    // Nothing was made for the option taken as a folder.
    EXPECT_FALSE(QDir(QStringLiteral("--nosuch")).exists());
}

TEST(CommandLine, QtsOwnOptionsAndTheHomeFolderStartTheProgram)
{
    QTemporaryDir home;
    const QString dir = home.path() + QStringLiteral("/bench home");
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QX_HOME"));
    p.setProcessEnvironment(env);
    p.start(program(), {"-platform", "offscreen", "-reverse", "--home", dir});
    ASSERT_TRUE(p.waitForStarted());
    // The running program makes its settings file in the folder given.
    for (int i = 0; i < 400 && !QFile::exists(dir + "/qx.ini"); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(dir + "/qx.ini"));
    EXPECT_EQ(p.state(), QProcess::Running);
    p.terminate();
    if (!p.waitForFinished(10000))
        p.kill();
    p.waitForFinished();
}

} // namespace
