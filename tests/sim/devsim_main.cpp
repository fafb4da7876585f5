// qx-devsim: a simulated device on a pseudo-terminal.
//
//   qx-devsim --home DIR --com N --type T [--firmware V] [--rate HZ]
//             [--speed X] [--seed S]
//             [--badsum N] [--truncate N] [--overlong N] [--stray N] [--noise N] [--silent]
//
// Links the terminal as DIR/ports/COMn, prints its device path as the first
// line of standard output and runs until SIGINT or SIGTERM (or "quit" on
// standard input), then removes the link. Standard input takes the command
// language of DevSim::control ("help" lists it); replies go to standard output.
#include "DevSim.h"

#include <QString>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t quitSignal = 0;
void onSignal(int) { quitSignal = 1; }

int usage(const char *why)
{
    std::fprintf(stderr,
                 "qx-devsim: %s\n"
                 "usage: qx-devsim --home DIR --com N --type T [--firmware V] [--rate HZ] [--speed X] [--seed S]\n"
                 "                 [--badsum N] [--truncate N] [--overlong N] [--stray N] [--noise N] [--silent]\n",
                 why);
    return 2;
}

bool number(const char *text, double &out)
{
    bool ok = false;
    out = QString::fromLocal8Bit(text).toDouble(&ok);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    qx::sim::DevSimOptions opt;
    QStringList startup; // fault commands given as flags
    bool haveHome = false, haveCom = false, haveType = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--silent") {
            startup << QStringLiteral("silent on");
            continue;
        }
        if (i + 1 >= argc)
            return usage(("missing value for " + a).c_str());
        const char *v = argv[++i];
        double x = 0;
        if (a == "--home") {
            opt.home = QString::fromLocal8Bit(v);
            haveHome = true;
        } else if (a == "--com" || a == "--type" || a == "--firmware" || a == "--rate" || a == "--speed" ||
                   a == "--seed") {
            if (!number(v, x))
                return usage(("not a number: " + a + " " + v).c_str());
            if (a == "--com") {
                opt.com = int(x);
                haveCom = true;
            } else if (a == "--type") {
                opt.type = int(x);
                haveType = true;
            } else if (a == "--firmware") {
                opt.firmware = int(x);
            } else if (a == "--rate") {
                opt.rate = x;
            } else if (a == "--speed") {
                opt.speed = x;
            } else {
                opt.seed = unsigned(x);
            }
        } else if (a == "--badsum" || a == "--truncate" || a == "--overlong" || a == "--stray" || a == "--noise") {
            startup << QString::fromStdString(a.substr(2) + " ") + QString::fromLocal8Bit(v);
        } else {
            return usage(("unknown option " + a).c_str());
        }
    }
    if (!haveHome || !haveCom || !haveType)
        return usage("--home, --com and --type are required");
    if (opt.com < 1 || opt.firmware < 0 || opt.firmware > 57599 || opt.rate <= 0 || opt.speed < 0)
        return usage("a value is out of range");

    qx::sim::DevSim sim(opt);
    if (!sim.start()) {
        std::fprintf(stderr, "qx-devsim: %s\n", sim.error().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", sim.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    for (const QString &line : startup) {
        const QString reply = sim.control(line);
        if (!reply.isEmpty())
            std::fprintf(stderr, "qx-devsim: %s\n", reply.toLocal8Bit().constData());
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    bool stdinOpen = true;
    std::string pending;
    while (!quitSignal) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (!stdinOpen || ::poll(&p, 1, 200) <= 0) {
            if (!stdinOpen)
                ::usleep(200 * 1000);
            continue;
        }
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            stdinOpen = n < 0 && errno == EINTR;
            continue;
        }
        pending.append(buf, size_t(n));
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            const QString line = QString::fromLocal8Bit(pending.substr(0, eol)).trimmed();
            pending.erase(0, eol + 1);
            if (line == QLatin1String("quit")) {
                quitSignal = 1;
                break;
            }
            const QString reply = sim.control(line);
            std::printf("%s\n", reply.isEmpty() ? "ok" : reply.toLocal8Bit().constData());
            std::fflush(stdout);
        }
    }
    sim.stop();
    return 0;
}
