// qx-devsim: a simulated device on a pseudo-terminal.
//
//   qx-devsim --home DIR --com N --type T [--firmware V] [--rate HZ]
//             [--speed X] [--seed S]
//             [--badsum N] [--truncate N] [--overlong N] [--stray N] [--noise N] [--silent]
//
// Links the terminal as DIR/ports/COMn, prints its device path as the first
// line of standard output and runs until SIGINT or SIGTERM (or "quit" on
// standard input), then removes the link; a second signal ends it at once.
// Numbers outside their range (see usage) are refused with exit code 2. Standard input takes the command
// language of DevSim::control ("help" lists it); replies go to standard output.
#include "DevSim.h"

#include <QString>
#include <QStringList>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <optional>
#include <cstdio>
#include <cstring>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t quitSignal = 0;
void onSignal(int) { quitSignal = 1; }

int usage(const std::string &why)
{
    std::fprintf(stderr,
                 "qx-devsim: %s\n"
                 "usage: qx-devsim --home DIR --com N --type T [--firmware V] [--rate HZ] [--speed X] [--seed S]\n"
                 "                 [--badsum N] [--truncate N] [--overlong N] [--stray N] [--noise N] [--silent]\n"
                 "  N (--com) 1..255, T 1..99, V 0..57599, HZ %g..%g, X 0..%g, S 0..4294967295,\n"
                 "  fault counts 0..%d\n",
                 why.c_str(), qx::sim::MinRate, qx::sim::MaxRate, qx::sim::MaxSpeed, qx::sim::MaxFaultCount);
    return 2;
}

// The value of an option as a number lo..hi (a whole one when whole is set);
// nullopt when it is no such number.
std::optional<double> number(const char *text, double lo, double hi, bool whole)
{
    bool ok = false;
    const double x = QString::fromLocal8Bit(text).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(x) || x < lo || x > hi || (whole && x != std::floor(x)))
        return std::nullopt;
    return x;
}

struct Range {
    const char *option;
    double lo, hi;
    bool whole;
};

const Range ranges[] = {
    {"--com", 1, 255, true},
    {"--type", 1, 99, true},
    {"--firmware", 0, 57599, true},
    {"--rate", qx::sim::MinRate, qx::sim::MaxRate, false},
    {"--speed", 0, qx::sim::MaxSpeed, false},
    {"--seed", 0, 4294967295.0, true},
    {"--badsum", 0, qx::sim::MaxFaultCount, true},
    {"--truncate", 0, qx::sim::MaxFaultCount, true},
    {"--overlong", 0, qx::sim::MaxFaultCount, true},
    {"--stray", 0, qx::sim::MaxFaultCount, true},
    {"--noise", 0, qx::sim::MaxFaultCount, true},
};

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
            return usage("missing value for " + a);
        const char *v = argv[++i];
        if (a == "--home") {
            opt.home = QString::fromLocal8Bit(v);
            haveHome = true;
            continue;
        }
        const Range *range = nullptr;
        for (const Range &r : ranges)
            if (a == r.option)
                range = &r;
        if (!range)
            return usage("unknown option " + a);
        const std::optional<double> x = number(v, range->lo, range->hi, range->whole);
        if (!x) {
            char why[200];
            std::snprintf(why, sizeof why, "%s %s: not a%s number from %.10g to %.10g", a.c_str(), v,
                          range->whole ? " whole" : "", range->lo, range->hi);
            return usage(why);
        }
        if (a == "--com") {
            opt.com = int(*x);
            haveCom = true;
        } else if (a == "--type") {
            opt.type = int(*x);
            haveType = true;
        } else if (a == "--firmware") {
            opt.firmware = int(*x);
        } else if (a == "--rate") {
            opt.rate = *x;
        } else if (a == "--speed") {
            opt.speed = *x;
        } else if (a == "--seed") {
            opt.seed = unsigned(*x);
        } else {
            startup << QString::fromStdString(a.substr(2)) + QStringLiteral(" %1").arg(qint64(*x));
        }
    }
    if (!haveHome || !haveCom || !haveType)
        return usage("--home, --com and --type are required");

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
    sa.sa_flags = SA_RESETHAND; // a second signal ends the program outright
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
