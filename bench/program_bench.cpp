// The program's own CPU cost, measured as a user runs it: qx-tester-bench
// (the program with a driver that clicks what a user clicks, see
// bench/program/qx-tester-bench.cpp) in a temporary home folder, and ten
// simulated devices (qx-devsim) on pseudo-terminals. By default two sets of
// devices are measured, both giving the program 20 readings a second:
// single-channel ones (type 7) at two readings a second, and two-channel
// ones (type 17) at one reading per channel per second. --type and --rate
// (readings per channel per second) measure one set of another kind, e.g.
// "--type 7 --rate 10" for 100 readings a second. The CPU time is the
// kernel's account of the program's process (all threads, see cpuSeconds),
// read at the start and the end of each window; the
// bench's own work and the simulators' are not in it. Wall time is not
// used, so builds running beside it change the figures little.
//
// States, each measured for --seconds (60):
//   idle       one tab, nothing connected
//   silent     ten tabs connected and identified, the devices then silent
//              (past the five seconds after which a tab shows "No Reply")
//   running    every channel of every tab runs a test ("D-CC" at --current
//              amperes, 1.00 by default: every readout then changes with
//              every reading), the first tab shown
// and the cost per reading: the running state's CPU over the readings the
// run logs gained in its window, and the same less the silent state's CPU.
//
// The floor: in the running window, beside the program, qx-floor-bench
// (bench/program/qx-floor-bench.cpp) holds ten more simulated devices of
// the same kind running the same test, and does only what no program can
// leave out: one poll() over the ports, the read, the frame cutting and
// decoding and the run log's line, with the program's own code for each.
// Its CPU over its run logs' new lines is the floor per reading; each cost
// per reading is printed with the floor of the same run and the ratio.
//
// Each platform runs --runs times (a fresh program each, --jobs of them side
// by side); the table shows the median of the runs and, for the running
// state, the lowest and highest. Platforms: "offscreen", and "xcb" on an
// Xvfb of its own when Xvfb is installed (--platform offscreen|xcb|both).
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#ifndef QX_BENCH_PROGRAM
#define QX_BENCH_PROGRAM "qx-tester-bench"
#endif
#ifndef QX_DEVSIM
#define QX_DEVSIM "qx-devsim"
#endif
#ifndef QX_FLOOR
#define QX_FLOOR "qx-floor-bench"
#endif

namespace {

// One kind of device and how often each of its channels reports.
struct Devices {
    int type = 7;
    double rate = 2; // readings per channel per second
    int channels() const { return type == 17 || type == 18 ? 2 : 1; }
};

struct Options {
    int seconds = 60;
    int runs = 1;
    int devices = 10;
    Devices kind;
    QString current = QStringLiteral("1.00"); // A, the tests' set value
    int jobs = 1;
    std::vector<QString> platforms;
    bool verbose = false;
    QString program = QStringLiteral(QX_BENCH_PROGRAM);
};

void note(const Options &o, const QString &text)
{
    if (o.verbose)
        std::fprintf(stderr, "program_bench: %s\n", qPrintable(text));
}

// CPU time of a process, in seconds; nullopt when it is gone. The sum of
// its threads' run time in nanoseconds (/proc/<pid>/task/*/schedstat) where
// the kernel keeps it: the floor's few milliseconds a minute are lost in
// the 10 ms ticks of user + system time (/proc/<pid>/stat), the fallback.
std::optional<double> cpuSeconds(qint64 pid)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList ids = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    double ns = 0;
    bool all = !ids.isEmpty();
    for (const QString &id : ids) {
        QFile f(tasks + QLatin1Char('/') + id + QStringLiteral("/schedstat"));
        bool ok = f.open(QIODevice::ReadOnly);
        const qint64 run = ok ? f.readAll().split(' ').value(0).toLongLong(&ok) : 0;
        all = all && ok;
        ns += double(run);
    }
    if (all)
        return ns / 1e9;
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray s = f.readAll();
    // The command name may hold blanks: fields are counted after its ')'.
    const int close = s.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = s.mid(close + 2).split(' ');
    // Fields 14 and 15 of the line (utime, stime) are 11 and 12 after ')'.
    if (fields.size() < 13)
        return std::nullopt;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks;
}

// Reads lines of a child's standard output until one satisfies want.
bool waitLine(QProcess &p, const std::function<bool(const QString &)> &want, int ms, QString *got = nullptr)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        while (p.canReadLine()) {
            const QString line = QString::fromLocal8Bit(p.readLine()).trimmed();
            if (got)
                *got = line;
            if (want(line))
                return true;
        }
        if (p.state() == QProcess::NotRunning)
            return false;
        p.waitForReadyRead(200);
    }
    return false;
}

bool sayAndWait(QProcess &p, const QByteArray &cmd, const QString &reply, int ms)
{
    p.write(cmd + '\n');
    p.waitForBytesWritten(1000);
    return waitLine(p, [&](const QString &l) { return l == reply; }, ms);
}

// Lines of every run log (*.bak) in the home folder.
qint64 runLogLines(const QString &home, const QString &pattern = QStringLiteral("*.bak"))
{
    qint64 n = 0;
    for (QDirIterator it(home, {pattern}, QDir::Files); it.hasNext();) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            n += f.readAll().count('\n');
    }
    return n;
}

// A private X server; stops with the object.
class Xvfb {
public:
    bool start()
    {
        // Runs side by side must not pick the same display.
        static std::mutex pick;
        std::lock_guard hold(pick);
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (exe.isEmpty())
            return false;
        for (int n = 90 + int(getpid() % 50); n < 200; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            proc_.start(exe, {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (!proc_.waitForStarted(3000))
                return false;
            for (int i = 0; i < 50 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)); ++i)
                QThread::msleep(100);
            if (proc_.state() != QProcess::Running)
                continue;
            display_ = QStringLiteral(":%1").arg(n);
            return true;
        }
        return false;
    }
    QString display() const { return display_; }
    ~Xvfb()
    {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.terminate();
            proc_.waitForFinished(3000);
        }
    }

private:
    QProcess proc_;
    QString display_;
};

struct RunFigures {
    std::map<std::string, double> cpu;  // state -> CPU seconds per second
    double readingsPerSecond = 0;
    double perReading = 0;     // running CPU seconds per reading
    double extraPerReading = 0; // (running - silent) CPU seconds per reading
    double floorPerReading = 0; // qx-floor-bench's CPU seconds per reading, same window
};

// Starts ten simulated devices in home; false when one does not start.
bool startDevices(const Options &o, const QString &home, std::vector<std::unique_ptr<QProcess>> &sims)
{
    for (int i = 0; i < o.devices; ++i) {
        auto sim = std::make_unique<QProcess>();
        sim->start(QStringLiteral(QX_DEVSIM),
                   {QStringLiteral("--home"), home, QStringLiteral("--com"), QString::number(3 + i),
                    QStringLiteral("--type"), QString::number(o.kind.type), QStringLiteral("--rate"),
                    QString::number(o.kind.rate), QStringLiteral("--speed"), QStringLiteral("1")});
        if (!waitLine(*sim, [](const QString &l) { return l.startsWith(QLatin1Char('/')); }, 5000))
            return false;
        sims.push_back(std::move(sim));
    }
    return true;
}

void stopProcess(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.write("quit\n");
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(2000);
    }
}

class Run {
public:
    Run(const Options &o, QString platform) : o_(o), platform_(std::move(platform)) {}
    ~Run() { stop(); }

    std::optional<RunFigures> go()
    {
        if (!home_.isValid())
            return fail("no temporary folder");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (platform_ == QLatin1String("xcb")) {
            if (!x_.start())
                return fail("Xvfb does not start");
            env.insert(QStringLiteral("DISPLAY"), x_.display());
        }
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform_);
        // The devices exist before the program starts, so its port scan lists them.
        if (!startDevices(o_, home_.path(), sims_))
            return fail("qx-devsim does not start");
        prog_.setProcessEnvironment(env);
        prog_.setProcessChannelMode(QProcess::SeparateChannels);
        prog_.setStandardErrorFile(home_.filePath(QStringLiteral("program.err")));
        prog_.start(o_.program, {QStringLiteral("--home"), home_.path()});
        if (!waitLine(prog_, [](const QString &l) { return l == QLatin1String("ready"); }, 20000))
            return fail("the program does not start");
        const qint64 pid = prog_.processId();
        RunFigures r;

        settle(3000);
        note(o_, platform_ + QStringLiteral(": idle"));
        if (!measure(pid, "idle", r))
            return fail("the program ended");

        if (!sayAndWait(prog_, "tabs " + QByteArray::number(o_.devices),
                        QStringLiteral("tabs %1").arg(o_.devices), 20000))
            return fail("tabs were not added");
        if (!sayAndWait(prog_, "connect", QStringLiteral("connected"), 70000))
            return fail("the devices did not connect");
        if (!tellDevices("silent on"))
            return fail("the devices did not fall silent");
        settle(7000); // past the silence limit: "No Reply" is shown
        note(o_, platform_ + QStringLiteral(": silent"));
        if (!measure(pid, "silent", r))
            return fail("the program ended");

        if (!tellDevices("silent off"))
            return fail("the devices did not speak again");
        if (!sayAndWait(prog_, "run " + o_.current.toLatin1(), QStringLiteral("running"), 70000))
            return fail("the tests did not start");
        if (!sayAndWait(prog_, "select 1", QStringLiteral("selected 1"), 5000))
            return fail("the first tab was not selected");
        if (!floorHome_.isValid() || !startDevices(o_, floorHome_.path(), floorSims_))
            return fail("the floor's devices do not start");
        floor_.setProcessChannelMode(QProcess::SeparateChannels);
        floor_.setStandardErrorFile(floorHome_.filePath(QStringLiteral("floor.err")));
        floor_.start(QStringLiteral(QX_FLOOR),
                     {QStringLiteral("--home"), floorHome_.path(), QStringLiteral("--ports"),
                      QString::number(o_.devices), QStringLiteral("--type"), QString::number(o_.kind.type)});
        if (!waitLine(floor_, [](const QString &l) { return l == QLatin1String("ready"); }, 10000) ||
            !sayAndWait(floor_, "run " + o_.current.toLatin1(), QStringLiteral("running"), 10000))
            return fail("qx-floor-bench does not start");
        settle(3000);
        note(o_, platform_ + QStringLiteral(": running"));
        const QString floorLogs = QStringLiteral("floor-*.bak");
        const qint64 before = runLogLines(home_.path());
        const qint64 floorBefore = runLogLines(floorHome_.path(), floorLogs);
        const std::optional<double> floorA = cpuSeconds(floor_.processId());
        if (!measure(pid, "running", r))
            return fail("the program ended");
        const std::optional<double> floorB = cpuSeconds(floor_.processId());
        const qint64 readings = runLogLines(home_.path()) - before;
        const qint64 floorReadings = runLogLines(floorHome_.path(), floorLogs) - floorBefore;
        r.readingsPerSecond = double(readings) / o_.seconds;
        if (readings > 0) {
            r.perReading = r.cpu["running"] * o_.seconds / double(readings);
            r.extraPerReading = (r.cpu["running"] - r.cpu["silent"]) * o_.seconds / double(readings);
        }
        if (floorA && floorB && floorReadings > 0)
            r.floorPerReading = (*floorB - *floorA) / double(floorReadings);
        return r;
    }

private:
    std::optional<RunFigures> fail(const char *why)
    {
        std::fprintf(stderr, "program_bench (%s): %s\n", qPrintable(platform_), why);
        QFile err(home_.filePath(QStringLiteral("program.err")));
        if (err.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s", err.readAll().right(2000).constData());
        return std::nullopt;
    }
    // One line of the simulators' command language to every device; each
    // answers "ok" once it has taken it.
    bool tellDevices(const QByteArray &line)
    {
        bool ok = true;
        for (auto &s : sims_) {
            s->write(line + '\n');
            s->waitForBytesWritten(1000);
            ok = waitLine(*s, [](const QString &l) { return l == QLatin1String("ok"); }, 5000) && ok;
        }
        return ok;
    }
    // Waits while the children's output keeps being drained.
    void settle(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            prog_.waitForReadyRead(100);
            prog_.readAll();
            if (floor_.isOpen())
                floor_.readAll();
            for (auto *sims : {&sims_, &floorSims_})
                for (auto &s : *sims)
                    s->readAll();
        }
    }
    bool measure(qint64 pid, const char *state, RunFigures &r)
    {
        const std::optional<double> a = cpuSeconds(pid);
        QElapsedTimer t;
        t.start();
        settle(o_.seconds * 1000);
        const std::optional<double> b = cpuSeconds(pid);
        if (!a || !b)
            return false;
        // Divided by the window as planned: the wall clock only says when to stop.
        r.cpu[state] = (*b - *a) / o_.seconds;
        return true;
    }
    void stop()
    {
        stopProcess(prog_);
        stopProcess(floor_);
        for (auto *sims : {&sims_, &floorSims_}) {
            for (auto &s : *sims)
                stopProcess(*s);
            sims->clear();
        }
    }

    const Options &o_;
    QString platform_;
    QTemporaryDir home_;
    Xvfb x_;
    std::vector<std::unique_ptr<QProcess>> sims_;
    QProcess prog_;
    // The floor: its own devices in its own home (their ports COM3 ..).
    QTemporaryDir floorHome_;
    std::vector<std::unique_ptr<QProcess>> floorSims_;
    QProcess floor_;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int usage()
{
    std::fprintf(stderr, "usage: program_bench [--type T [--rate R]] [--current A] [--seconds S] [--runs N] [--jobs J]\n"
                         "                     [--platform offscreen|xcb|both]\n"
                         "                     [--program PATH (another build of qx-tester-bench)] [-v]\n"
                         "  --type T   device type of the ten simulated devices (default: type 7 at 2\n"
                         "             readings a second, then type 17 at 1 per channel)\n"
                         "  --rate R   readings per channel per second (default: 20 a second in all)\n"
                         "  --current A  the tests' current in amperes (default 1.00)\n");
    return 2;
}


// Runs every platform with one kind of device and prints its rows; the
// number of runs that failed.
int measureKind(Options o, const Devices &kind)
{
    o.kind = kind;
    std::printf("\n%d devices of type %d (%d channel%s, %g reading%s per channel per second: %g a second), "
                "tests at %s A, %d s per state, median of %d run(s)\n",
                o.devices, kind.type, kind.channels(), kind.channels() > 1 ? "s" : "", kind.rate,
                kind.rate == 1 ? "" : "s", o.devices * kind.channels() * kind.rate, qPrintable(o.current), o.seconds,
                o.runs);
    std::printf("%-10s %8s %8s %9s %15s %10s %10s %8s %6s %10s %6s\n", "platform", "idle %", "silent %",
                "running %", "running min-max", "readings/s", "us/reading", "floor us", "ratio", "less silent",
                "ratio");
    int failed = 0;
    for (const QString &p : o.platforms) {
        std::map<std::string, std::vector<double>> cpu;
        std::vector<double> rate, per, extra, floor, ratio, extraRatio;
        // Runs side by side (--jobs) each have their own home, devices and
        // program; only the machine's cores are shared.
        std::vector<std::optional<RunFigures>> results(size_t(o.runs));
        for (int first = 0; first < o.runs; first += o.jobs) {
            std::vector<std::thread> batch;
            for (int k = first; k < std::min(o.runs, first + o.jobs); ++k)
                batch.emplace_back([&o, &p, &results, k] { results[size_t(k)] = Run(o, p).go(); });
            for (std::thread &t : batch)
                t.join();
        }
        for (int k = 0; k < o.runs; ++k) {
            const std::optional<RunFigures> &r = results[size_t(k)];
            if (!r) {
                ++failed;
                continue;
            }
            for (const auto &[state, v] : r->cpu)
                cpu[state].push_back(v);
            rate.push_back(r->readingsPerSecond);
            per.push_back(r->perReading);
            extra.push_back(r->extraPerReading);
            floor.push_back(r->floorPerReading);
            if (r->floorPerReading > 0) {
                ratio.push_back(r->perReading / r->floorPerReading);
                extraRatio.push_back(r->extraPerReading / r->floorPerReading);
            }
            note(o, QStringLiteral("%1 type %2 run %3: idle %4%, silent %5%, running %6%, %7 us/reading, floor %8 us")
                        .arg(p)
                        .arg(kind.type)
                        .arg(k + 1)
                        .arg(r->cpu.at("idle") * 100, 0, 'f', 3)
                        .arg(r->cpu.at("silent") * 100, 0, 'f', 3)
                        .arg(r->cpu.at("running") * 100, 0, 'f', 3)
                        .arg(r->perReading * 1e6, 0, 'f', 1)
                        .arg(r->floorPerReading * 1e6, 0, 'f', 1));
        }
        if (rate.empty())
            continue;
        const auto [lo, hi] = std::minmax_element(cpu["running"].begin(), cpu["running"].end());
        const QString range = QStringLiteral("%1-%2").arg(*lo * 100, 0, 'f', 3).arg(*hi * 100, 0, 'f', 3);
        // Each ratio is the median of the runs' own ratios (a run's cost
        // over the floor of that same run).
        std::printf("%-10s %8.3f %8.3f %9.3f %15s %10.1f %10.1f %8.1f %6.1f %10.1f %6.1f\n", qPrintable(p),
                    median(cpu["idle"]) * 100, median(cpu["silent"]) * 100, median(cpu["running"]) * 100,
                    qPrintable(range), median(rate), median(per) * 1e6, median(floor) * 1e6, median(ratio),
                    median(extra) * 1e6, median(extraRatio));
        std::fflush(stdout);
    }
    return failed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Options o;
    std::optional<int> type;
    std::optional<double> rate;
    QString platform = QStringLiteral("both");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto value = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        bool ok = true;
        if (a == QLatin1String("--seconds"))
            o.seconds = value().toInt(&ok);
        else if (a == QLatin1String("--runs"))
            o.runs = value().toInt(&ok);
        else if (a == QLatin1String("--jobs"))
            o.jobs = value().toInt(&ok);
        else if (a == QLatin1String("--type"))
            type = value().toInt(&ok);
        else if (a == QLatin1String("--rate"))
            rate = value().toDouble(&ok);
        else if (a == QLatin1String("--current")) {
            o.current = value();
            const double amps = o.current.toDouble(&ok);
            ok = ok && amps > 0 && amps <= 100;
        }
        else if (a == QLatin1String("--platform"))
            platform = value();
        else if (a == QLatin1String("--program"))
            o.program = value();
        else if (a == QLatin1String("-v"))
            o.verbose = true;
        else if (a.startsWith(QLatin1String("--benchmark")))
            continue; // the other benches' options (scripts/bench passes them on)
        else
            return usage();
        if (!ok || o.seconds < 1 || o.runs < 1 || o.jobs < 1 || (type && (*type < 1 || *type > 99)) ||
            (rate && (*rate < 0.1 || *rate > 1000)))
            return usage();
    }
    if (rate && !type)
        return usage();
    if (platform == QLatin1String("both")) {
        o.platforms.push_back(QStringLiteral("offscreen"));
        if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            o.platforms.push_back(QStringLiteral("xcb"));
    } else if (platform == QLatin1String("offscreen") || platform == QLatin1String("xcb")) {
        o.platforms.push_back(platform);
    } else {
        return usage();
    }

    // Without --type: 20 readings a second from single-channel devices, then
    // from two-channel ones (each tab then takes both channels together).
    std::vector<Devices> kinds;
    if (type) {
        Devices d{*type, 0};
        d.rate = rate ? *rate : 20.0 / (o.devices * d.channels());
        kinds.push_back(d);
    } else {
        kinds = {Devices{7, 2}, Devices{17, 1}};
    }
    std::printf("program_bench: CPU time of the program's process (user + system), in %% of one core\n");
    int failed = 0;
    for (const Devices &d : kinds)
        failed += measureKind(o, d);
    return failed ? 1 : 0;
}
