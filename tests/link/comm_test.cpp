// Serial port access: port names, exclusive opens, holds that end with
// their process, line settings, raw bytes, reads that never wait, an input
// that starts empty, hang-up, the port scan, refused permission, and a
// round trip with the simulated device.
#include "common/FileModes.h"
#include "common/Loopback.h"
#include "common/PortHolder.h"
#include "common/QtPrint.h"
#include "common/RawPty.h"
#include "common/TempHome.h"
#include "link/COMM.h"
#include "link/PortScan.h"
#include "platform/SerialPort.h"

#include "DevSim.h"
#include "SimWire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace qx;
using Clock = std::chrono::steady_clock;

namespace {

// A pseudo-terminal linked as COMn of a fresh home folder, opened through COMM.
struct PortOnPty {
    test::TempHome home;
    test::RawPty pty;
    int32_t h;

    explicit PortOnPty(int com, bool raw = true) : pty(home.path(), com, raw), h(qx::COMM::OpenComm(com)) {}
    ~PortOnPty() { qx::COMM::CloseComm(h); }
};

// Every line setting of a terminal, to compare before and after.
struct Termios {
    termios t{};
    static Termios of(int fd)
    {
        Termios r;
        ::tcgetattr(fd, &r.t);
        return r;
    }
    bool operator==(const Termios &o) const
    {
        return t.c_iflag == o.t.c_iflag && t.c_oflag == o.t.c_oflag && t.c_cflag == o.t.c_cflag &&
               t.c_lflag == o.t.c_lflag && std::equal(std::begin(t.c_cc), std::end(t.c_cc), std::begin(o.t.c_cc)) &&
               ::cfgetispeed(&t) == ::cfgetispeed(&o.t) && ::cfgetospeed(&t) == ::cfgetospeed(&o.t);
    }
    friend std::ostream &operator<<(std::ostream &os, const Termios &x)
    {
        return os << std::hex << "iflag " << x.t.c_iflag << " oflag " << x.t.c_oflag << " cflag " << x.t.c_cflag
                  << " lflag " << x.t.c_lflag << std::dec << " speed " << ::cfgetospeed(&x.t);
    }
};

// The terminal's exclusive mode (TIOCEXCL).
bool exclusive(int fd)
{
    int on = 0;
    return ::ioctl(fd, TIOCGEXCL, &on) == 0 && on != 0;
}

// How many of this process's descriptors are open on a device.
int descriptorsOn(const QString &device)
{
    int n = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target == device || target.startsWith(device + QLatin1Char(' ')))
            ++n;
    }
    return n;
}

// A lock folder of the test's own for the lifetime of the object ($QX_LOCK_DIRS).
struct LockDir {
    QTemporaryDir dir;
    LockDir() { qputenv("QX_LOCK_DIRS", QFile::encodeName(dir.path())); }
    ~LockDir() { qunsetenv("QX_LOCK_DIRS"); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }
    void clear() const
    {
        for (const QString &f : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(f));
    }
};

// A process number that names no live process.
pid_t deadPid()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

std::vector<uint8_t> readAll(int32_t h, size_t want, int timeoutMs)
{
    std::vector<uint8_t> out;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < want && Clock::now() < deadline) {
        int32_t n = 0;
        const auto bytes = qx::COMM::ReadComm(h, n);
        EXPECT_EQ(bytes.size(), size_t(n));
        EXPECT_LE(n, 64);
        out.insert(out.end(), bytes.begin(), bytes.end());
        if (n == 0)
            ::usleep(2000);
    }
    return out;
}

} // namespace

TEST(Comm, PortNumbersResolveToDevicePaths)
{
    test::TempHome home;
    struct Case {
        int port;
        const char *path;
    };
    SerialPort::setSystemPorts(true); // only the names: nothing is opened here
    for (const Case c : {Case{1, "/dev/ttyS0"}, {4, "/dev/ttyS3"}, {5, "/dev/ttyUSB0"}, {12, "/dev/ttyUSB7"},
                         {13, "/dev/ttyACM0"}, {20, "/dev/ttyACM7"}, {21, ""}, {0, ""}, {-3, ""}})
        EXPECT_EQ(SerialPort::pathOf(c.port), QString::fromLatin1(c.path)) << c.port;
    SerialPort::setSystemPorts(false);

    // a link in the home folder's ports folder wins, even a dangling one
    QDir().mkpath(home.file("ports"));
    QFile::link(home.file("nowhere"), home.file("ports/COM3"));
    EXPECT_EQ(SerialPort::pathOf(3), home.file("ports/COM3"));
    EXPECT_EQ(qx::COMM::OpenComm(3), 0);

    test::RawPty pty(home.path(), 25);
    EXPECT_EQ(SerialPort::pathOf(25), home.file("ports/COM25"));
    EXPECT_EQ(qx::COMM::PortPath(25), pty.path()); // the tooltip shows the device
}

TEST(Comm, TestsReachOnlyTheirOwnPortsFolder)
{
    // The test main switches the system's devices off: on a bench PC with
    // hardware attached no test opens or locks /dev/ttyS*, ttyUSB*, ttyACM*.
    EXPECT_FALSE(SerialPort::systemPorts());
    test::TempHome home;
    for (int n = 0; n <= 21; ++n) {
        EXPECT_EQ(SerialPort::pathOf(n).toStdString(), "") << n;
        EXPECT_EQ(qx::COMM::OpenComm(n), 0) << n;
        EXPECT_FALSE(qx::COMM::PortAvailable(n)) << n;
    }
    EXPECT_TRUE(scanPorts().ports.isEmpty());
}

TEST(Comm, ClosedHandleDoesNothing)
{
    const uint8_t frame[] = {0, 0xFA, 5, 0, 0, 0, 0, 0, 0, 5, 0xF8};
    for (int32_t h : {0, 987654}) {
        int32_t n = 77;
        EXPECT_TRUE(qx::COMM::ReadComm(h, n).empty());
        EXPECT_EQ(n, 0);
        EXPECT_EQ(qx::COMM::WriteComm(h, frame), 0);
        EXPECT_FALSE(qx::COMM::SetCommParams(h, 9600, 8, 0, 2));
        EXPECT_FALSE(qx::COMM::SetPortTimeouts(h, 2, 3));
        EXPECT_FALSE(qx::COMM::PortGone(h));
        int32_t v = h;
        qx::COMM::CloseComm(v);
        EXPECT_EQ(v, 0);
    }
}

TEST(Comm, OpensExclusivelyAndConnectMakesTheLineRawAt9600)
{
    test::TempHome home;
    test::RawPty pty(home.path(), 5, false); // cooked at 115200 until a device connects
    ASSERT_FALSE(pty.path().isEmpty());
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &t), 0);
    const Termios before = Termios::of(pty.slave());

    int32_t h = qx::COMM::OpenComm(5);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Termios::of(pty.slave()), before) << "opening changed the line settings";
    EXPECT_EQ(qx::COMM::OpenComm(5), 0) << "a held port opens a second time";
    EXPECT_FALSE(qx::COMM::PortAvailable(5)) << "a held port counts as free";
    SerialPort other;
    EXPECT_FALSE(other.open(pty.path())) << "held port opened by its device path";

    // Connect: 9600 8E1. A pseudo-terminal keeps CS8 and drops parity
    // whatever is asked, so parity and data bits are not visible here.
    qx::COMM::SetCommParams(h, 9600, 8, 0, 2);
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_iflag & (PARMRK | ISTRIP | ICRNL | INLCR | IXON), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B9600));

    struct Line {
        int baud, size, stop, parity;
        bool ok;
    };
    for (const Line l : {Line{19200, 8, 2, 0, true}, {12345, 8, 0, 0, false}, {9600, 9, 0, 0, false},
                         {9600, 8, 3, 0, false}, {9600, 8, 0, 5, false}}) {
        EXPECT_EQ(qx::COMM::SetCommParams(h, l.baud, uint8_t(l.size), uint8_t(l.stop), uint8_t(l.parity)), l.ok)
            << l.baud << " " << l.size << " " << l.stop << " " << l.parity;
    }
    ::tcgetattr(pty.slave(), &t);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B19200)) << "a refused setting changes nothing";
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(qx::COMM::SetPortTimeouts(h, 2, 3));

    const int32_t first = h;
    qx::COMM::CloseComm(h);
    EXPECT_EQ(h, 0);
    h = qx::COMM::OpenComm(5);
    EXPECT_NE(h, 0) << "a released port opens again";
    EXPECT_NE(h, first) << "handles are not reused at once";
    qx::COMM::CloseComm(h);
}

TEST(Comm, BytesPassUnchangedAndReadsNeverWait)
{
    PortOnPty port(6);
    const int32_t h = port.h;
    ASSERT_NE(h, 0);
    qx::COMM::SetCommParams(h, 9600, 8, 0, 2);

    // nothing waiting: the read returns (a waiting read would never return)
    int32_t n = -1;
    EXPECT_TRUE(qx::COMM::ReadComm(h, n).empty());
    EXPECT_EQ(n, 0);

    // every byte value, with CR, LF, XON, XOFF and 0xFF among them, both ways;
    // more than one read's worth, so reads stop at 64
    std::vector<uint8_t> all(257);
    for (int i = 0; i < 256; ++i)
        all[size_t(i + 1)] = uint8_t(i); // element 0 unused
    EXPECT_EQ(qx::COMM::WriteComm(h, all), 256);
    EXPECT_EQ(port.pty.read(256, 2000), std::vector<uint8_t>(all.begin() + 1, all.end()));

    ASSERT_EQ(::write(port.pty.master(), all.data() + 1, 256), 256);
    EXPECT_EQ(readAll(h, 256, 2000), std::vector<uint8_t>(all.begin() + 1, all.end()));
    EXPECT_EQ(qx::COMM::WriteComm(h, std::vector<uint8_t>{}), 0);
}

TEST(Comm, WriteGivesUpWhenNobodyReads)
{
    PortOnPty port(8);
    const int32_t h = port.h;
    ASSERT_NE(h, 0);
    std::vector<uint8_t> big(1 << 20, 0x11); // far more than the terminal buffers
    const auto t0 = Clock::now();
    const int32_t written = qx::COMM::WriteComm(h, big);
    const auto took = Clock::now() - t0;
    EXPECT_LT(written, int32_t(big.size() - 1));
    EXPECT_GE(took, std::chrono::milliseconds(90)); // it waited about its time-out
    EXPECT_LT(took, std::chrono::seconds(10));       // and then gave up
    EXPECT_FALSE(qx::COMM::PortGone(h));
}

TEST(Comm, HangUpIsReportedAndReadsStayCheap)
{
    test::TempHome home;
    auto pty = std::make_unique<test::RawPty>(home.path(), 9);
    const QString ptyPath = pty->path();
    int32_t h = qx::COMM::OpenComm(9);
    ASSERT_NE(h, 0);
    const uint8_t hello[] = {0x31, 0x32};
    ASSERT_EQ(::write(pty->master(), hello, 2), 2);
    pty.reset(); // the far end goes away

    // bytes that arrived before the hang-up may still be read; then it is gone
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (!qx::COMM::PortGone(h) && Clock::now() < deadline) {
        int32_t n = 0;
        qx::COMM::ReadComm(h, n);
    }
    ASSERT_TRUE(qx::COMM::PortGone(h));

    // the device was let go at once: reads no longer reach it
    EXPECT_EQ(descriptorsOn(ptyPath), 0);
    for (int i = 0; i < 3; ++i) {
        int32_t n = 5;
        EXPECT_TRUE(qx::COMM::ReadComm(h, n).empty());
        ASSERT_EQ(n, 0);
    }
    EXPECT_EQ(qx::COMM::WriteComm(h, std::vector<uint8_t>{0, 1, 2}), 0);
    qx::COMM::CloseComm(h);
    EXPECT_EQ(h, 0);
}

TEST(Comm, ScanListsPortsThatOpen)
{
    test::TempHome home;
    sim::DevSim dev({.home = home.path(), .com = 7, .type = 10});
    ASSERT_TRUE(dev.start()) << dev.error().toStdString();
    test::RawPty held(home.path(), 3);
    int32_t h = qx::COMM::OpenComm(3);
    ASSERT_NE(h, 0);
    QFile::link(home.file("gone"), home.file("ports/COM11"));
    test::RawPty outside(home.path(), 21); // beyond the scanned range
    test::RawPty low(home.path(), 2);

    const PortScanResult r = scanPorts();
    ASSERT_TRUE(r.ports.contains("COM7"));
    EXPECT_TRUE(r.ports.contains("COM2"));
    EXPECT_FALSE(r.ports.contains("COM3")) << "held port offered";
    EXPECT_FALSE(r.ports.contains("COM11")) << "dangling link offered";
    EXPECT_FALSE(r.ports.contains("COM21"));
    EXPECT_FALSE(r.ports.contains("COM1"));
    EXPECT_EQ(r.first, "COM2");
    ASSERT_EQ(r.paths.size(), r.ports.size());
    EXPECT_EQ(r.paths[r.ports.indexOf("COM7")], dev.slavePath());
    for (int i = 1; i < r.ports.size(); ++i)
        EXPECT_LT(r.ports[i - 1].mid(3).toInt(), r.ports[i].mid(3).toInt());

    // every port the scan opened was closed again
    int32_t again = qx::COMM::OpenComm(7);
    EXPECT_NE(again, 0);
    qx::COMM::CloseComm(again);
    qx::COMM::CloseComm(h);
}

TEST(Comm, ScanLeavesEveryPortAsItWas)
{
    // A terminal at 115200 in cooked mode with echo, as another program uses
    // it without any lock, and one that nobody has open.
    test::TempHome home;
    test::RawPty used(home.path(), 4, false);
    test::RawPty idle(home.path(), 6, false);
    ASSERT_FALSE(used.path().isEmpty());
    ASSERT_FALSE(idle.path().isEmpty());
    for (const test::RawPty *p : {&used, &idle}) {
        termios t{};
        ASSERT_EQ(::tcgetattr(p->slave(), &t), 0);
        t.c_lflag |= ICANON | ECHO | ISIG;
        t.c_iflag |= ICRNL | IXON;
        ::cfsetispeed(&t, B115200);
        ::cfsetospeed(&t, B115200);
        ASSERT_EQ(::tcsetattr(p->slave(), TCSANOW, &t), 0);
    }
    idle.closeSlave(); // its settings stay readable on the master side
    const Termios usedBefore = Termios::of(used.slave());
    const Termios idleBefore = Termios::of(idle.master());

    const PortScanResult r = scanPorts();
    EXPECT_EQ(r.ports, (QStringList{"COM4", "COM6"}));
    EXPECT_EQ(Termios::of(used.slave()), usedBefore);
    EXPECT_EQ(Termios::of(idle.master()), idleBefore);
    EXPECT_FALSE(exclusive(used.slave())) << "the scan left the port in exclusive mode";
    EXPECT_EQ(descriptorsOn(used.path()), 1) << "the scan left the port open";
    EXPECT_EQ(descriptorsOn(idle.path()), 0) << "the scan left the port open";
    EXPECT_EQ(::flock(used.slave(), LOCK_EX | LOCK_NB), 0) << "the scan left the port locked";
}

TEST(Comm, LockedPortsAreNeitherListedNorOpened)
{
    test::TempHome home;
    const LockDir locks;
    test::RawPty pty(home.path(), 7);
    ASSERT_FALSE(pty.path().isEmpty());
    const QString name = QFileInfo(pty.path()).fileName();          // "5" for /dev/pts/5
    const QString dashed = pty.path().mid(5).replace('/', '_');     // "pts_5"
    int32_t binary = int32_t(::getpid());
    struct Case {
        const char *what;
        QString file;
        QByteArray text;
        bool held;
    };
    const Case cases[] = {
        {"lock file naming this live process", "LCK.." + name, QByteArray::number(::getpid()).rightJustified(10) + "\n",
         true},
        {"lock file with the path under /dev", "LCK.." + dashed, QByteArray::number(::getpid()) + "\n", true},
        {"binary lock file", "LCK.." + name, QByteArray(reinterpret_cast<const char *>(&binary), 4), true},
        {"stale lock file", "LCK.." + name, QByteArray::number(deadPid()).rightJustified(10) + "\n", false},
        {"lock file of another device", "LCK..ttyUSB9", QByteArray::number(::getpid()) + "\n", false},
        {"empty lock file", "LCK.." + name, QByteArray(), false},
    };
    for (const Case &c : cases) {
        locks.clear();
        locks.write(c.file, c.text);
        EXPECT_EQ(scanPorts().ports.contains("COM7"), !c.held) << c.what;
        int32_t h = qx::COMM::OpenComm(7);
        EXPECT_EQ(h != 0, !c.held) << c.what;
        qx::COMM::CloseComm(h);
    }
    locks.clear();

    // exclusive mode set by another program that also holds an flock
    // (honoured also when running as root)
    ASSERT_EQ(::flock(pty.slave(), LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::ioctl(pty.slave(), TIOCEXCL), 0);
    EXPECT_FALSE(scanPorts().ports.contains("COM7"));
    EXPECT_EQ(qx::COMM::OpenComm(7), 0);
    EXPECT_TRUE(exclusive(pty.slave())) << "the other program's exclusive mode was cleared";
    ASSERT_EQ(::flock(pty.slave(), LOCK_UN), 0);

    // exclusive mode with no live holder beside it: a crashed program's
    // leftover, no reason to refuse the port; the scan leaves it, the open
    // clears it
    EXPECT_TRUE(scanPorts().ports.contains("COM7"));
    EXPECT_TRUE(exclusive(pty.slave())) << "the scan changed the terminal";
    int32_t h = qx::COMM::OpenComm(7);
    EXPECT_NE(h, 0);
    EXPECT_FALSE(exclusive(pty.slave())) << "the leftover exclusive mode stays";
    qx::COMM::CloseComm(h);

    // flock held by another program
    ASSERT_EQ(::flock(pty.slave(), LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(scanPorts().ports.contains("COM7"));
    EXPECT_EQ(qx::COMM::OpenComm(7), 0);
    ASSERT_EQ(::flock(pty.slave(), LOCK_UN), 0);
    EXPECT_TRUE(scanPorts().ports.contains("COM7"));
}

TEST(Comm, ConnectFrameIsAnsweredBySimulatedDevice)
{
    test::TempHome home;
    sim::DevSim dev({.home = home.path(), .com = 4, .type = 10, .firmware = 320, .rate = 20});
    ASSERT_TRUE(dev.start()) << dev.error().toStdString();
    int32_t h = qx::COMM::OpenComm(4);
    ASSERT_NE(h, 0);
    qx::COMM::SetCommParams(h, 9600, 8, 0, 2);

    const Frames::CmdBuf connect = Frames::commandFrame(0, 0, Frames::OpConnect);
    EXPECT_EQ(qx::COMM::WriteComm(h, connect), 10);
    ASSERT_TRUE(dev.waitForCommand(Frames::OpConnect, 2000));
    const auto sent = dev.commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].commandByte, 5);
    EXPECT_TRUE(sent[0].valid);

    FrameReader reader;
    const sim::Watched w = sim::watchPort(h, reader, 4, 5000);
    ASSERT_EQ(w.frames.size(), 4u);
    EXPECT_EQ(sim::countOf(w, RxEvent::BadFrame), 0);
    const Frames::FrameFields p = Frames::decode(w.frames[0]);
    EXPECT_EQ(p.kind, 1);
    EXPECT_EQ(p.typeCode, 10);
    EXPECT_EQ(p.channel, 0);
    EXPECT_EQ(p.setValue, 320);    // firmware
    EXPECT_EQ(p.limit, 5 * 100);   // max voltage x VolScale
    EXPECT_EQ(p.third, 40 * 100);  // max current x CurScale
    EXPECT_EQ(Frames::decode(w.frames[1]).kind, 1);
    const Frames::FrameFields d = Frames::decode(w.frames[2]);
    EXPECT_EQ(d.kind, 0);
    EXPECT_FALSE(d.running());
    EXPECT_NEAR(d.volts(), 3.96, 0.01); // the idle battery
    qx::COMM::CloseComm(h);
}

TEST(Comm, HoldOfAKilledProgramEndsWithIt)
{
    test::TempHome home;
    // The terminal outlives the holder: its far end and the slave side stay
    // open here, as a device, a serial bridge or a second program keep them.
    test::RawPty pty(home.path(), 5);
    ASSERT_FALSE(pty.path().isEmpty());
    ASSERT_EQ(::fchmod(pty.slave(), 0666), 0); // a user's port
    test::PortHolder holder;
    ASSERT_TRUE(holder.start(5));
    EXPECT_FALSE(scanPorts().ports.contains("COM5")) << "a live program's port offered";
    EXPECT_EQ(qx::COMM::OpenComm(5), 0) << "a live program's port opened";

    holder.kill();
    EXPECT_TRUE(scanPorts().ports.contains("COM5")) << "the killed program's port is not offered";
    // A user without root's rights opens it too: a terminal left in
    // exclusive mode would refuse every open of theirs (EBUSY).
    const pid_t user = ::fork();
    if (user == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        SerialPort p;
        ::_exit(p.open(pty.path()) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(user, &status, 0), user);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a user could not open the port";
    int32_t h = qx::COMM::OpenComm(5);
    EXPECT_NE(h, 0);
    qx::COMM::CloseComm(h);
}

TEST(Comm, PurgeDropsWhatQueuedBeforeIt)
{
    PortOnPty port(6);
    const int32_t h = port.h;
    ASSERT_NE(h, 0);
    qx::COMM::SetCommParams(h, 9600, 8, 0, 2);
    ASSERT_TRUE(port.pty.write({0xFA, 0x11, 0x22, 0xF8, 0xFA, 0x33}));
    // the pseudo-terminal has handed them over
    ASSERT_TRUE(test::waitUntil([&] {
        int queued = 0;
        return ::ioctl(port.pty.slave(), FIONREAD, &queued) == 0 && queued == 6;
    }, 2000));
    EXPECT_TRUE(qx::COMM::PurgeInput(h));
    ASSERT_TRUE(port.pty.write({0x44, 0x55}));
    EXPECT_EQ(readAll(h, 2, 2000), (std::vector<uint8_t>{0x44, 0x55}));
    EXPECT_FALSE(qx::COMM::PurgeInput(0));
}

TEST(Comm, RefusedPermissionIsToldWithWhoMayOpen)
{
    test::TempHome home;
    test::RawPty pty(home.path(), 9);
    ASSERT_FALSE(pty.path().isEmpty());
    struct stat st{};
    ASSERT_EQ(::fstat(pty.slave(), &st), 0);
    const group *g = ::getgrgid(st.st_gid);
    const passwd *u = ::getpwuid(st.st_uid);
    ASSERT_TRUE(g && u);
    const QString group = QString::fromLocal8Bit(g->gr_name), owner = QString::fromLocal8Bit(u->pw_name);
    // The owner (the test's own user) is denied in each case; who else may?
    struct Case {
        mode_t mode;
        QString who;
    };
    const Case cases[] = {
        {0060, "group " + group}, // the group reads and writes: join it
        {0020, "mode 020"},       // the group may only write: no use
        {0000, "mode 000"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(::fchmod(pty.slave(), c.mode), 0);
        test::FileModesApply asUser;
        const PortScanResult r = scanPorts();
        EXPECT_FALSE(r.ports.contains("COM9")) << c.mode;
        EXPECT_EQ(r.refused, QStringList{"COM9 " + pty.path() + ": no permission (" + c.who + ")"}) << c.mode;
        EXPECT_EQ(qx::COMM::OpenComm(9), 0) << c.mode;
    }
    ::fchmod(pty.slave(), 0620);
    EXPECT_EQ(SerialPort::whoMayOpen(pty.path()), "owner " + owner);
    EXPECT_TRUE(scanPorts().refused.isEmpty());
    // Ports that are not there are no refusal.
    QFile::link(home.file("gone"), home.file("ports/COM10"));
    const PortScanResult r = scanPorts();
    EXPECT_EQ(r.ports, QStringList{"COM9"});
    EXPECT_TRUE(r.refused.isEmpty());
}
