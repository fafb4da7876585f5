// Serial port access: port names, exclusive opens, line settings, raw bytes,
// reads that never wait, hang-up, the port scan, and a round trip with the
// simulated device.
#include "common/TempHome.h"
#include "link/COMM.h"
#include "link/PortScan.h"
#include "platform/SerialPort.h"

#include "DevSim.h"
#include "SimWire.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <chrono>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace qx;
using Clock = std::chrono::steady_clock;

namespace {

// A bare pseudo-terminal linked as <home>/ports/COMn; the test plays the
// device on its master side.
struct RawPty {
    int master = -1, slave = -1;
    QString path;

    RawPty(const QString &home, int com, bool raw = true)
    {
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            return;
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        if (raw)
            ::tcsetattr(slave, TCSANOW, &t);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(::ttyname(slave));
        QDir().mkpath(home + "/ports");
        QFile::link(path, home + QStringLiteral("/ports/COM%1").arg(com));
    }
    ~RawPty()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    std::vector<uint8_t> readMaster(size_t want, int timeoutMs) const
    {
        std::vector<uint8_t> out;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < want && Clock::now() < deadline) {
            uint8_t buf[128];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                out.insert(out.end(), buf, buf + n);
            else
                ::usleep(2000);
        }
        return out;
    }
};

// A pseudo-terminal linked as COMn of a fresh home folder, opened through COMM.
struct PortOnPty {
    test::TempHome home;
    RawPty pty;
    int32_t h;

    explicit PortOnPty(int com, bool raw = true) : pty(home.path(), com, raw), h(qx::COMM::OpenComm(com)) {}
    ~PortOnPty() { qx::COMM::CloseComm(h); }
};

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
    for (const Case c : {Case{1, "/dev/ttyS0"}, {4, "/dev/ttyS3"}, {5, "/dev/ttyUSB0"}, {12, "/dev/ttyUSB7"},
                         {13, "/dev/ttyACM0"}, {20, "/dev/ttyACM7"}, {21, ""}, {0, ""}, {-3, ""}})
        EXPECT_EQ(SerialPort::pathOf(c.port), QString::fromLatin1(c.path)) << c.port;

    // a link in the home folder's ports folder wins, even a dangling one
    QDir().mkpath(home.file("ports"));
    QFile::link(home.file("nowhere"), home.file("ports/COM3"));
    EXPECT_EQ(SerialPort::pathOf(3), home.file("ports/COM3"));
    EXPECT_EQ(qx::COMM::OpenComm(3), 0);

    RawPty pty(home.path(), 25);
    EXPECT_EQ(SerialPort::pathOf(25), home.file("ports/COM25"));
    EXPECT_EQ(qx::COMM::PortPath(25), pty.path); // the tooltip shows the device
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

TEST(Comm, OpensExclusivelyRawAt9600Even)
{
    PortOnPty port(5, false); // cooked until the program opens it
    const RawPty &pty = port.pty;
    int32_t &h = port.h;
    ASSERT_FALSE(pty.path.isEmpty());
    ASSERT_NE(h, 0);
    EXPECT_EQ(qx::COMM::OpenComm(5), 0) << "a held port opens a second time";
    SerialPort other;
    EXPECT_FALSE(other.open(pty.path)) << "held port opened by its device path";

    // A pseudo-terminal keeps CS8 and drops parity whatever is asked, so
    // parity and data bits are not visible here.
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave, &t), 0);
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
    ::tcgetattr(pty.slave, &t);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B19200)) << "a refused setting changes nothing";
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    qx::COMM::SetCommParams(h, 9600, 8, 0, 2); // the connect settings, refused or not, keep the line raw
    ::tcgetattr(pty.slave, &t);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_TRUE(qx::COMM::SetPortTimeouts(h, 2, 3));

    const int32_t first = h;
    qx::COMM::CloseComm(h);
    EXPECT_EQ(h, 0);
    h = qx::COMM::OpenComm(5);
    EXPECT_NE(h, 0) << "a released port opens again";
    EXPECT_NE(h, first) << "handles are not reused at once";
}

TEST(Comm, BytesPassUnchangedAndReadsNeverWait)
{
    PortOnPty port(6);
    const int32_t h = port.h;
    ASSERT_NE(h, 0);
    qx::COMM::SetCommParams(h, 9600, 8, 0, 2);

    const auto t0 = Clock::now();
    int32_t n = -1;
    EXPECT_TRUE(qx::COMM::ReadComm(h, n).empty());
    EXPECT_EQ(n, 0);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(20));

    // every byte value, with CR, LF, XON, XOFF and 0xFF among them, both ways;
    // more than one read's worth, so reads stop at 64
    std::vector<uint8_t> all(257);
    for (int i = 0; i < 256; ++i)
        all[size_t(i + 1)] = uint8_t(i); // element 0 unused
    EXPECT_EQ(qx::COMM::WriteComm(h, all), 256);
    EXPECT_EQ(port.pty.readMaster(256, 2000), std::vector<uint8_t>(all.begin() + 1, all.end()));

    ASSERT_EQ(::write(port.pty.master, all.data() + 1, 256), 256);
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
    EXPECT_GE(took, std::chrono::milliseconds(90));
    EXPECT_LT(took, std::chrono::milliseconds(600));
    EXPECT_FALSE(qx::COMM::PortGone(h));
}

TEST(Comm, HangUpIsReportedAndReadsStayCheap)
{
    test::TempHome home;
    auto pty = std::make_unique<RawPty>(home.path(), 9);
    int32_t h = qx::COMM::OpenComm(9);
    ASSERT_NE(h, 0);
    const uint8_t hello[] = {0x31, 0x32};
    ASSERT_EQ(::write(pty->master, hello, 2), 2);
    pty.reset(); // the far end goes away

    // bytes that arrived before the hang-up may still be read; then it is gone
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (!qx::COMM::PortGone(h) && Clock::now() < deadline) {
        int32_t n = 0;
        qx::COMM::ReadComm(h, n);
    }
    ASSERT_TRUE(qx::COMM::PortGone(h));

    const auto t0 = Clock::now();
    const auto c0 = std::clock();
    for (int i = 0; i < 20000; ++i) {
        int32_t n = 5;
        EXPECT_TRUE(qx::COMM::ReadComm(h, n).empty());
        ASSERT_EQ(n, 0);
    }
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_LT(double(std::clock() - c0) / CLOCKS_PER_SEC, 0.5);
    EXPECT_EQ(qx::COMM::WriteComm(h, std::vector<uint8_t>{0, 1, 2}), 0);
    qx::COMM::CloseComm(h);
    EXPECT_EQ(h, 0);
}

TEST(Comm, ScanListsPortsThatOpen)
{
    test::TempHome home;
    sim::DevSim dev({.home = home.path(), .com = 7, .type = 10});
    ASSERT_TRUE(dev.start()) << dev.error().toStdString();
    RawPty held(home.path(), 3);
    int32_t h = qx::COMM::OpenComm(3);
    ASSERT_NE(h, 0);
    QFile::link(home.file("gone"), home.file("ports/COM11"));
    RawPty outside(home.path(), 21); // beyond the scanned range
    RawPty low(home.path(), 2);

    const PortScanResult r = scanPorts();
    EXPECT_TRUE(r.ports.contains("COM7"));
    EXPECT_TRUE(r.ports.contains("COM2"));
    EXPECT_FALSE(r.ports.contains("COM3")) << "held port offered";
    EXPECT_FALSE(r.ports.contains("COM11")) << "dangling link offered";
    EXPECT_FALSE(r.ports.contains("COM21"));
    EXPECT_FALSE(r.ports.contains("COM1"));
    EXPECT_EQ(r.first, "COM2");
    EXPECT_EQ(r.paths.size(), r.ports.size());
    EXPECT_EQ(r.paths[r.ports.indexOf("COM7")], dev.slavePath());
    for (int i = 1; i < r.ports.size(); ++i)
        EXPECT_LT(r.ports[i - 1].mid(3).toInt(), r.ports[i].mid(3).toInt());

    // every port the scan opened was closed again
    int32_t again = qx::COMM::OpenComm(7);
    EXPECT_NE(again, 0);
    qx::COMM::CloseComm(again);
    qx::COMM::CloseComm(h);
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
