// Fuzz target for the receive routine of a connected device tab.
//
// The input's first byte seeds the sizes of the reads (1 to 64 bytes, as a
// port read delivers them); the rest is the byte stream, handed read by read
// to frmMain::RecvBytes of tab 0, which is connected once through its
// Connect button to a pseudo-terminal. After every input the tab is put
// back to the start it had just after that connect, without touching the
// port: the link's two halves (frmMain::endLink, frmMain::startLink), the
// device slot's shared tables as saved then, the chart emptied with its
// axes as then, the floating meter gone. So every input starts a new
// identification from the same state, and a finding reproduces alone.
// After every read the tab must still be connected with its receiver state
// in range and its identification consistent; no run-time error may have
// been logged by the routine or what it calls, and a limit of 0 that a
// parameter frame reports is refused with one log entry per input at most.
// No start or continue frame goes out for a channel before a running data
// frame of that channel, in the input, reported the device's settings. A
// broken invariant aborts (libFuzzer reports it). The gtest driver
// recv_fuzz_test.cpp uses RecvTarget directly; built alone with
// -fsanitize=fuzzer the target makes its own application, home folder and
// dialog answers.
#include "common/RawPty.h"
#include "curves/CurveGraph.h"
#include "services/ErrLog.h"
#include "link/FrameReader.h"
#include "link/Frames.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "mainwin/frmMsg.h"
#include "panel/frmMeter.h"
#include "tools/frmAdj.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/SerialPort.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

namespace qx::fuzz {

// A folder pattern for the target's home: in memory where the system has
// such a folder, since every input's Connect writes the settings file.
inline QString homePattern()
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return base + QStringLiteral("/qx-recv-fuzz-XXXXXX");
}

// Tab 0 of the main window, connected to a pseudo-terminal linked as COM3
// in the current home folder (which must be empty and stay for its life).
// The test's side of the terminal stays open, so the tab's port never hangs up.
class RecvTarget {
public:
    RecvTarget()
    {
        QFile ini(homePath(QStringLiteral("qx.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[AUTO]\r\nSAVE=False\r\nMSG=False\r\n");
        ini.close();
        if (!pty_.ok())
            return;
        w_ = &frmMainForm().get();
        w_->DevCtrl(0).set_tPort(QStringLiteral("COM3"));
        // The entries the routine logs are kept here, not written: reading
        // them back from the file would cost more than the input.
        previousTap_ = setErrLogTap([this](const QString &tag, const QString &description) {
            logged_.push_back('[' + tag.toStdString() + ']' + description.toStdString());
        });
        // A run log for every model name on both channels, so that a test
        // the device runs is taken over (Continue reads its log).
        for (int c = 1; c <= 2; ++c) {
            for (int k = 1; k <= 52; ++k)
                runLogs_.insert(QStringLiteral("qx-QM-%1-COM3-1-%2.bak").arg(k, 2, 10, QLatin1Char('0')).arg(c));
            runLogs_.insert(QStringLiteral("qx-No Device-COM3-1-%1.bak").arg(c));
        }
        for (const QString &f : runLogs_)
            writeRunLog(f.chopped(4));
        w_->DevCtrl_ConnClick(0);
        drain();
        if (!connected()) {
            w_ = nullptr;
            return;
        }
        // The calibration window loads (hidden) with the first frame's
        // buttons and stays; loaded from the start, every input finds it so.
        frmAdjForm().get();
        slot_ = saveSlot(0);
        resVolt_ = ResVolt;
        const ::CurveGraph &g = w_->CurveGraph(0);
        axes_ = {g.MaxX(), g.MinX(), {g.MaxY(0), g.MaxY(1), g.MaxY(2)}, {g.MinY(0), g.MinY(1), g.MinY(2)}, g.Size()};
        curves_ = g.CurveCount();
        dual_ = w_->DevCtrl(0).Dev2S();
        restart();
    }
    ~RecvTarget()
    {
        setErrLogTap(std::move(previousTap_));
        frmMainForm().unload();
        // Windows the routine may have loaded.
        frmAdjForm().unload();
        frmMeterForm().unload();
        frmMsgForm().unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    RecvTarget(const RecvTarget &) = delete;
    RecvTarget &operator=(const RecvTarget &) = delete;

    // One input; "" when every invariant held, else what broke. The tab is
    // put back after the input rather than before the next, so that what
    // the input made is freed within it (libFuzzer runs an input twice more
    // to look for a leak when it allocated more than it freed).
    std::string check(const uint8_t *data, size_t size)
    {
        if (!w_)
            return "the tab did not connect";
        std::string e = run(data, size);
        restart();
        return e;
    }

private:
    std::string run(const uint8_t *data, size_t size)
    {
        if (size == 0)
            return {};
        uint32_t seed = data[0] * 2654435761u + 1;
        ++data;
        --size;
        size_t at = 0;
        // The valid frames of the stream, as the device sent them, and the
        // channels whose settings a running data frame has reported.
        FrameReader device;
        std::array<bool, 2> reported{};
        std::vector<uint8_t> sent;
        while (at < size) {
            seed = seed * 1103515245u + 12345u;
            const size_t n = std::min<size_t>(size - at, 1 + (seed >> 16) % 64);
            const std::span<const uint8_t> read(data + at, n);
            // The tab answers only frames, and it takes no frame that the
            // device's own reader does not take in the same read.
            const std::vector<Frames::DevBytes> frames = device.feed(read).frames;
            for (const Frames::DevBytes &b : frames) {
                const Frames::FrameFields f = Frames::decode(b);
                if (f.kind == 0 && f.running() && f.channel < 2)
                    reported[size_t(f.channel)] = true;
            }
            w_->RecvBytes(0, read);
            at += n;
            std::string e = invariants();
            if (e.empty() && !frames.empty())
                e = commandsSent(sent, reported);
            if (!e.empty())
                return e;
        }
        drain();
        return loggedError();
    }

    bool connected() const { return PortHandle[0] != 0 && w_->DevCtrl(0).Conn(); }

    // The tab as just after the connect, the port left open.
    void restart()
    {
        // No event loop runs here: what the last input posted (repaint and
        // layout requests) is delivered now, so that it does not pile up
        // from input to input.
        QCoreApplication::sendPostedEvents();
        // A run log that the last input continued grew, or a new run's
        // replaced it (kept aside): it is as before, the kept one goes.
        bool wrote = false;
        for (int c = 0; c < 2; ++c)
            if (!chan(0, c).BakName.isEmpty()) {
                writeRunLog(QFileInfo(chan(0, c).BakName).fileName());
                wrote = true;
            }
        if (wrote)
            for (const QString &f : QDir(homeDir()).entryList({QStringLiteral("*.bak")}, QDir::Files))
                if (!runLogs_.contains(f))
                    QFile::remove(homePath(f));
        w_->endLink(0, false);
        restoreSlot(0, slot_);
        ResVolt = resVolt_;
        // What a two-channel model set up, which Disconnect leaves.
        if (w_->DevCtrl(0).Dev2S() != dual_)
            w_->DevCtrl(0).set_Dev2S(dual_);
        ::CurveGraph &g = w_->CurveGraph(0);
        if (g.CurveCount() != curves_)
            g.set_CurveCount(curves_);
        g.ClearAll();
        g.set_MaxX(axes_.maxX);
        g.set_MinX(axes_.minX);
        for (int k = 0; k < 3; ++k) {
            g.set_MaxY(k, axes_.maxY[size_t(k)]);
            g.set_MinY(k, axes_.minY[size_t(k)]);
        }
        g.set_Size(axes_.size);
        if (frmMeterForm().isLoaded())
            frmMeterForm().unload();
        // Objects given to deleteLater (the meter just unloaded, ...) go
        // now: outside an event loop only a call for this kind deletes
        // them, and waiting they would pile up in the event queue, input
        // after input, each one slowing the delivery of every other event.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w_->startLink(0);
        logged_.clear();
    }
    // A run log of two minutes at 1 A, from 3.70 V down to 3.65 V.
    static void writeRunLog(const QString &base)
    {
        QFile f(homePath(base + QStringLiteral(".bak")));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write("-----------QX Tester Software------------\r\nMode:D-CC  1.00A  3.00V\r\n"
                    "Begin Volt:3.70V\r\nTime(S)\tCur(A)\tVol(V)\r\n"
                    "0\t1.00\t3.700\r\n60\t1.00\t3.680\r\n120\t1.00\t3.650\r\n");
    }
    // What the tab wrote to the port is read away, so that writes never wait.
    void drain()
    {
        uint8_t buf[512];
        while (::read(pty_.master(), buf, sizeof buf) > 0) {
        }
    }
    // The command frames the tab wrote since the last call (a frame cut
    // short stays in `sent` for the next): a start or continue frame of a
    // channel carries settings, so it must not go out before a running data
    // frame of that channel reported the device's own.
    std::string commandsSent(std::vector<uint8_t> &sent, const std::array<bool, 2> &reported)
    {
        uint8_t buf[512];
        ssize_t n;
        while ((n = ::read(pty_.master(), buf, sizeof buf)) > 0)
            sent.insert(sent.end(), buf, buf + n);
        size_t at = 0;
        while (sent.size() - at >= size_t(Frames::CmdLen)) {
            if (sent[at] != Frames::FrameStart) {
                ++at;
                continue;
            }
            const int command = sent[at + 1];
            const int op = command % 16;
            const int chn = command / 16 / 10;
            at += size_t(Frames::CmdLen);
            if ((op == Frames::OpStart || op == Frames::OpContinue) && !(chn < 2 && reported[size_t(chn)]))
                return "a start or continue frame went out before the device reported its settings";
        }
        sent.erase(sent.begin(), sent.begin() + long(at));
        return {};
    }
    std::string invariants() const
    {
        const DeviceState &d = dev(0);
        if (d.RxPos < 0 || d.RxPos > 18 || (!d.RxActive && d.RxPos != 0) || (d.RxActive && d.RxPos < 1) ||
            (d.RxMax != 0 && d.RxMax != 17))
            return "receiver state out of range";
        if (!connected())
            return "the link ended";
        const int T = DevType[0];
        if (T < 0 || T > 99)
            return "type code out of range";
        if (!w_->tmrConn(0).isActive()) {
            if (T == 0)
                return "identified without a type code";
            if (w_->DevCtrl(0).Dev2S() != (T == 17 || T == 18))
                return "panel layout does not follow the model";
        }
        return {};
    }
    // A run-time error logged by the routine or what it calls is a finding;
    // so is a refused limit logged more than once (once per link).
    std::string loggedError()
    {
        int refused = 0;
        std::string all;
        bool error = false;
        for (const std::string &e : logged_) {
            all += e + '\n';
            for (const char *tag : {"[ErrComm]", "[ErrCurve]", "[ErrCap]", "[ErrAutoInit]"})
                error = error || e.starts_with(tag);
            refused += e.starts_with("[ErrParam]");
        }
        if (error)
            return "logged " + all;
        if (refused > 1)
            return "a refused limit logged more than once: " + all;
        return {};
    }

    struct Axes {
        float maxX = 0, minX = 0;
        std::array<float, 3> maxY{}, minY{};
        bool size = false;
    };

    test::RawPty pty_{homeDir(), 3};
    frmMain *w_ = nullptr;
    ErrLogTap previousTap_;
    std::vector<std::string> logged_; // the entries since the restart
    QSet<QString> runLogs_;           // the run logs' file names in the home folder
    SlotState slot_;
    float resVolt_ = 0;
    Axes axes_;
    int curves_ = 0;
    bool dual_ = false;
};

} // namespace qx::fuzz

#ifndef QX_RECV_FUZZ_NO_MAIN
#include "lsan_supp.h"

// The leak check between inputs knows the leaks of system libraries that
// the test programs know (tests/common/lsan.supp).
extern "C" const char *__lsan_default_suppressions() { return qxLeakSuppressions; }
// Allocation stacks of 5 frames (ASAN_OPTIONS may ask for more): with the
// default 30 the sanitizer's table of allocation stacks fills with ever new
// deep stacks over millions of inputs, and every allocation gets slower (a
// third of the time after a million inputs). A quarantine of 16 MB instead of 256 (freed memory waits there before it is
// used again): an input frees far less than that, so a use after free is
// still caught within the input and the next, and the allocator reuses warm
// pages instead of faulting in new ones (a third more inputs a second).
extern "C" const char *__asan_default_options() { return "malloc_context_size=5:quarantine_size_mb=16"; }

namespace {

// Every question answered with Cancel, every other box with OK.
class QuietUi : public qx::UiServices {
public:
    int msgBox(const QString &, int style, const QString &) override
    {
        return (style & 7) == qx::MbOkOnly ? qx::MrOk : qx::MrCancel;
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString fileDialog(const qx::FileDialogRequest &) override { return {}; }
    int64_t pickColor(int64_t) override { return -1; }
    bool openLink(const QString &) override { return true; }
};

// What the target needs for its life, gone again at exit (before the leak check).
struct Globals {
    int argc = 1;
    char *argv[2] = {const_cast<char *>("recv_fuzz"), nullptr};
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QTemporaryDir> home;
    QuietUi ui;
    std::unique_ptr<qx::fuzz::RecvTarget> target;
};
Globals *globals = nullptr;

void endGlobals()
{
    globals->target.reset();
    qx::setUi(nullptr);
    globals->home.reset();
    globals->app.reset();
    delete globals;
    globals = nullptr;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    globals = new Globals;
    globals->app = std::make_unique<QApplication>(globals->argc, globals->argv);
    qx::SerialPort::setSystemPorts(false);
    globals->home = std::make_unique<QTemporaryDir>(qx::fuzz::homePattern());
    qx::setHomeDir(globals->home->path());
    qx::setUi(&globals->ui);
    globals->target = std::make_unique<qx::fuzz::RecvTarget>();
    std::atexit(endGlobals);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string e = globals->target->check(data, size);
    if (!e.empty()) {
        std::fprintf(stderr, "receive routine: %s\n", e.c_str());
        std::abort();
    }
    return 0;
}
#endif
