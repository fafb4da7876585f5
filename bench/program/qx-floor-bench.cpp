// qx-floor-bench: the least a program must do for a reading, measured
// beside the program by bench/program_bench. It holds the same ports as the
// program (COMM, the program's own port code), waits for them in one poll(),
// reads what is there, cuts the bytes into frames with the program's frame
// reader, decodes each frame and appends a data line to the channel's run
// log (runlog::dataLine through a runlog::LineWriter, as the program does).
// No window, no event loop, no timer: its CPU time per reading is the floor
// that the program's own cost per reading is set against.
//
//   qx-floor-bench --home DIR --ports N --type T
// opens COM3 .. COM(2 + N) of DIR/ports and sends each device a connect,
// then prints "ready". Commands, one a line on standard input:
//   run A       every channel of every device: "D-CC" (mode 0) at A amperes,
//               cut-off 2.50 V, no time limit       -> "running" (sent)
//   quit        ends it (so does the end of standard input)
// Run logs: DIR/floor-<port>-<channel>.bak, one line a running reading.
#include "link/COMM.h"
#include "link/FrameReader.h"
#include "link/Frames.h"
#include "link/ModelTable.h"
#include "platform/AppHome.h"
#include "services/RunLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

struct Port {
    int32_t handle = 0;
    int fd = -1;
    int number = 0;
    qx::RxState rx;
    std::array<qx::runlog::LineWriter, 2> logs;
    std::array<QString, 2> logPath;
};

void say(const char *s)
{
    std::printf("%s\n", s);
    std::fflush(stdout);
}

void send(Port &p, qx::Frames::CmdBuf buf)
{
    qx::Frames::finishCommand(buf);
    qx::COMM::WriteComm(p.handle, buf);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&](const char *name, const QString &fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    const QString home = qx::initHome(option("--home", QString()));
    const int ports = option("--ports", QStringLiteral("10")).toInt();
    const int type = option("--type", QStringLiteral("7")).toInt();
    const qx::models::ModelRow model = qx::models::modelRow(type, 0);
    const int channels = qx::models::isTwoChannel(type) ? 2 : 1;

    std::vector<Port> port(size_t(std::max(ports, 0)));
    for (size_t i = 0; i < port.size(); ++i) {
        Port &p = port[i];
        p.number = 3 + int(i);
        p.handle = qx::COMM::OpenComm(p.number);
        if (p.handle == 0) {
            std::fprintf(stderr, "qx-floor-bench: COM%d does not open\n", p.number);
            return 1;
        }
        qx::COMM::SetCommParams(p.handle, 9600, 8, 0, 2); // as the program: a terminal may refuse some
        p.fd = qx::COMM::PortDescriptor(p.handle);
        for (int c = 0; c < 2; ++c)
            p.logPath[size_t(c)] = QDir(home).filePath(QStringLiteral("floor-%1-%2.bak").arg(p.number).arg(c));
        send(p, qx::Frames::commandFrame(0, 0, qx::Frames::OpConnect));
    }
    say("ready");

    std::vector<pollfd> fds(port.size() + 1);
    fds[0] = {STDIN_FILENO, POLLIN, 0};
    for (size_t i = 0; i < port.size(); ++i)
        fds[i + 1] = {port[i].fd, POLLIN, 0};
    std::string input;
    QElapsedTimer clock;
    clock.start();
    const QString curPicture = model.curScale == 100 ? QStringLiteral("00.00") : QStringLiteral("0.000");
    for (;;) {
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents) {
            char buf[256];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0)
                break;
            input.append(buf, size_t(n));
            size_t eol;
            bool quit = false;
            while ((eol = input.find('\n')) != std::string::npos) {
                const QStringList w = QString::fromStdString(input.substr(0, eol)).split(QLatin1Char(' '));
                input.erase(0, eol + 1);
                if (w.value(0) == QLatin1String("quit")) {
                    quit = true;
                } else if (w.value(0) == QLatin1String("run")) {
                    const double amps = w.value(1).toDouble();
                    for (Port &p : port)
                        for (int c = 0; c < channels; ++c)
                            send(p, qx::Frames::commandFramePairs(c, 0, qx::Frames::OpStart,
                                                                  int32_t(std::lround(amps * model.curScale)),
                                                                  int32_t(std::lround(2.5 * model.volScale)), 0));
                    say("running");
                }
            }
            if (quit)
                break;
        }
        for (size_t i = 0; i < port.size(); ++i) {
            if (!fds[i + 1].revents)
                continue;
            Port &p = port[i];
            int32_t n = 0;
            const std::vector<uint8_t> bytes = qx::COMM::ReadComm(p.handle, n);
            for (int32_t k = 0; k < n; ++k) {
                if (qx::takeByte(qx::RxView::of(p.rx), bytes[size_t(k)]) != qx::RxEvent::Frame)
                    continue;
                const qx::Frames::FrameFields f = qx::Frames::decode(qx::frameBytes(p.rx.RxBuf));
                if (f.kind != 0 || !f.running())
                    continue;
                const int c = f.channel == 1 ? 1 : 0;
                const float cur = float(f.current) / float(model.curScale);
                p.logs[size_t(c)].append(p.logPath[size_t(c)],
                                         qx::runlog::dataLine(int32_t(clock.elapsed() / 1000), cur, curPicture,
                                                              float(f.volts()), std::nullopt));
            }
        }
    }
    for (Port &p : port)
        qx::COMM::CloseComm(p.handle);
    return 0;
}
