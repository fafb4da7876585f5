// The program in a process of its own, for a test that kills it: the main
// window with the program's own serial code and timers, in the test's home
// folder, its first tab connected through the panel's Connect button to
// port COMn of that folder (the simulated device). Dialogs are answered by
// the test stand-in (an unscripted question is cancelled).
//
//   mainwin_held_program --home DIR --com N --second MS [--run SET LIMIT]
//
// --second: the program's second in milliseconds (as test::ShortSecond).
// --run: once connected, the panel's set value and limit are typed (no time
// limit) and Run is clicked; without it the program only connects, and a
// test the device still runs is taken over as at any Connect.
// It prints "running" on its standard output once its panel shows the test
// running, then goes on until it is killed. A line "stop" or "cont" on its
// standard input clicks the panel's Stop or Continue. It ends by itself when its
// standard input closes (the test is gone) or after a watchdog, so that no
// copy outlives a test that failed.
#include "common/DemoHome.h"
#include "common/FakeUi.h"
#include "common/ProgramRun.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "platform/Second.h"
#include "platform/SerialPort.h"
#include "services/State.h"

#include <QApplication>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

QString option(const QStringList &args, const char *name, int after = 1)
{
    const qsizetype at = args.indexOf(QLatin1String(name));
    return at > 0 && at + after < args.size() ? args[at + after] : QString();
}

void click(frmMain &w, const char *button)
{
    if (auto *b = w.DevCtrl(0).findChild<QPushButton *>(QLatin1String(button)))
        b->click();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const qx::test::DemoHome home(args);
    qx::SerialPort::setSystemPorts(false);
    const int second = option(args, "--second").toInt();
    if (second > 0)
        qx::setSecondMs(second);
    const QString port = QStringLiteral("COM") + option(args, "--com");
    const QString setVal = option(args, "--run", 1), setLmt = option(args, "--run", 2);
    qx::test::FakeUi ui;

    frmMain &w = frmMainForm().get();
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QByteArray typed;
    QObject::connect(input, &QSocketNotifier::activated, &app, [input, &typed, &w] {
        char buf[64];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input->setEnabled(false);
            QCoreApplication::exit(1);
            return;
        }
        typed.append(buf, n);
        for (qsizetype end = typed.indexOf('\n'); end >= 0; end = typed.indexOf('\n')) {
            const QByteArray line = typed.left(end).trimmed();
            typed.remove(0, end + 1);
            if (line == "stop")
                click(w, "cmdStop");
            else if (line == "cont")
                click(w, "cmdCont");
        }
    });

    DevCtrl &p = w.DevCtrl(0);
    p.PortAdd(port);
    p.set_tPort(port);
    click(w, "cmdConn");

    // Watches the panel: identified, then (with --run) Run, then running.
    enum { Connecting, Starting, Told } stage = Connecting;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (stage == Connecting && p.Conn() && !w.tmrConn(0).isActive()) {
            if (!setVal.isEmpty()) {
                p.set_tSval(0, setVal);
                p.set_tSlmt(0, setLmt);
                p.set_tStim(0, QStringLiteral("0"));
                click(w, "cmdRun");
            }
            stage = Starting;
        }
        if (stage == Starting && p.StopEnable() && qx::Running[0][0]) {
            std::fputs("running\n", stdout);
            std::fflush(stdout);
            stage = Told;
        }
    });
    watch.start(20);

    const int rc = qx::test::execWithWatchdog(120000);
    frmMainForm().unload();
    return rc;
}
