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

// Runs the program as over ssh or from a script: no display, no Wayland
// session, the platform chosen by Qt (or `platform` when given); a run
// that would open the window is ended by the watchdog and shows as code -1.
Outcome run(const QStringList &args, const QString &platform = {}, int waitMs = 20000)
{
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
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
    for (const QStringList &args : {QStringList{"--help"}, {"-h"}, {"-reverse", "--help"}, {"--bogus", "--help"}}) {
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

TEST(CommandLine, WhatNeitherTheProgramNorQtTakesIsRefusedWithTheUsageWithoutADisplay)
{
    struct Case {
        QStringList args;
        const char *why;
    };
    const Case cases[] = {
        {{"--bogus"}, "Unknown option 'bogus'."},
        {{"stray"}, "Unknown argument 'stray'."},
        {{"--home", "/tmp", "stray"}, "Unknown argument 'stray'."},
        {{"--home"}, "--home needs a folder."},
        {{"--home", "--nosuch"}, "--home needs a folder."},
        {{"--home="}, "--home needs a folder."},
        // Qt's own options and their values are passed over, with one dash
        // or two (the X11 plugin's with one only): the refusal names what
        // comes after them.
        {{"-platform", "offscreen", "--bogus"}, "Unknown option 'bogus'."},
        {{"--platform", "xcb", "-reverse", "-style", "fusion", "-geometry", "640x480+0+0", "--bogus"},
         "Unknown option 'bogus'."},
        {{"-style=fusion", "-stylesheet", "a.qss", "-qwindowtitle", "T", "-session", "s1", "-display", ":0", "x.csv"},
         "Unknown argument 'x.csv'."},
        {{"-name", "n", "-visual", "33", "-nograb", "-dograb", "-widgetcount", "-qwindowgeometry", "1x1", "-v2"},
         "Unknown option 'v2'."},
        {{"--display", ":0"}, "Unknown option 'display'."},
        // A Qt option that needs a value and has none.
        {{"-platform"}, "Missing value after '-platform'."},
        {{"--home", "/tmp", "-style"}, "Missing value after '-style'."},
    };
    // Qt's choice of platform with nothing to connect to, and X11 named.
    for (const QString platform : {"", "xcb"}) {
        for (const Case &c : cases) {
            SCOPED_TRACE((platform + ": " + c.args.join(' ')).toStdString());
            const Outcome r = run(c.args, platform);
            EXPECT_EQ(r.code, 2);
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("qx-tester: ") + c.why + "\n\nUsage: qx-tester [options]"))
                << r.err.toStdString();
            EXPECT_FALSE(r.err.contains("could not connect")) << "nothing reached Qt";
        }
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
    // -display belongs to the X11 plugin: another platform leaves it unused.
    p.start(program(), {"-platform", "offscreen", "-reverse", "-style", "fusion", "-display", ":99", "--home", dir});
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
