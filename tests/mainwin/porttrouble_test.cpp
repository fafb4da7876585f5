// A tab's port when things go wrong around it: a copy of the program killed
// while it held the port, bytes that queued up while nobody read, a port
// the user may not open, and frames the wire spoils. What the user sees:
// the port list, Connect, the tab, the information list, the error log.
#include "SimLinkFixture.h"

#include "DevSim.h"
#include "common/FileModes.h"
#include "common/PortHolder.h"
#include "common/QtPrint.h"
#include "link/COMM.h"

#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <memory>

using namespace qx;
using test::Bytes;
using test::cat;
using test::devFrame;

namespace {

class PortTrouble : public test::SimLinkFixture {
protected:
    bool waitFor(const std::function<bool()> &pred, int ms = 10000) { return test::waitUntil(pred, ms); }
    QStringList portList(int Index = 0) const
    {
        QStringList l;
        for (int i = 0; i < w->DevCtrl(Index).PortCnt(); ++i)
            l << w->DevCtrl(Index).PortList(i);
        return l;
    }
    // The error log's entries, "[tag]description", without date, time and version.
    QStringList logEntries(const QString &tag = QString()) const
    {
        QStringList out;
        for (const QString &line : errLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const QString entry = line.mid(line.indexOf(QStringLiteral(":[")) + 1);
            if (tag.isEmpty() || entry.startsWith(QLatin1Char('[') + tag + QLatin1Char(']')))
                out << entry;
        }
        return out;
    }
    // Until the terminal behind pty holds n bytes that nobody has read.
    static bool queued(const test::RawPty &pty, int n)
    {
        return test::waitUntil([&] {
            int q = 0;
            return ::ioctl(pty.slave(), FIONREAD, &q) == 0 && q == n;
        }, 3000);
    }

};

// Type 21 ("QM-16", one channel, "D-CC" only): idle at mv millivolts.
Bytes idle21(int32_t mv) { return devFrame(0, 21, {0, mv, 0, 250, 100, 350, 0}); }

} // namespace

TEST_F(PortTrouble, ProgramKilledMidTestLeavesThePortToItsNextStart)
{
    sim::DevSimOptions o;
    o.home = home.path();
    o.com = 3;
    o.type = 21;
    o.rate = 20;
    o.speed = 0.01;
    sim = std::make_unique<sim::DevSim>(o);
    ASSERT_TRUE(sim->start()) << sim->error().toStdString();

    // The program before: connected, a discharge of 1.00 A down to 3.50 V
    // started; then killed, with the device going on.
    test::PortHolder before;
    ASSERT_TRUE(before.start(3, [](int32_t h) {
        return COMM::WriteComm(h, Frames::commandFrame(0, 0, Frames::OpConnect)) == 10 &&
               COMM::WriteComm(h, Frames::commandFramePairs(0, 0, Frames::OpStart, 100, 350, 0)) == 10;
    }));
    ASSERT_TRUE(waitFor([&] { return sim->channel(0).running; }));
    before.kill();
    ASSERT_TRUE(sim->waitFramesSent(20, 5000)); // they queue up while nobody reads

    // Started again, the program offers the port and takes the test over.
    open();
    EXPECT_EQ(portList(), QStringList{"COM3"});
    EXPECT_TRUE(info(0, 1).empty());
    clickConnect();
    EXPECT_EQ(ui.msgs.size(), 0u) << "a message instead of the link";
    ASSERT_TRUE(connected());
    EXPECT_TRUE(waitFor([&] { return identified() && w->DevCtrl(0).StopEnable(); }));
    EXPECT_EQ(cell(0, 1, 0), "QM-16");
    EXPECT_TRUE(logEntries(QStringLiteral("Conn")).isEmpty());
}

TEST_F(PortTrouble, ConnectStartsWithAnEmptyInput)
{
    test::RawPty pty(home.path(), 3);
    ASSERT_TRUE(pty.ok());
    open();
    choosePort(0, 3);
    // Frames of the device that was there before (type 11, "QM-07",
    // running) wait in the port's input.
    const Bytes old = devFrame(10, 11, {150, 3700, 0, 250, 150, 300, 0});
    ASSERT_TRUE(pty.write(cat(old, old, old)));
    ASSERT_TRUE(queued(pty, 3 * 19));

    clickConnect();
    ASSERT_TRUE(connected());
    EXPECT_EQ(test::hexText(pty.read(10)), "FA 05 00 00 00 00 00 00 05 F8");
    // The device that is there now answers.
    ASSERT_TRUE(pty.write(idle21(3960)));
    ASSERT_TRUE(waitFor([&] { return identified(); }));
    EXPECT_EQ(cell(0, 1, 0), "QM-16");
    EXPECT_EQ(modes(), QStringList{"D-CC"});
    EXPECT_EQ(w->DevCtrl(0).tVol(0), "03.96");
    EXPECT_FALSE(w->DevCtrl(0).StopEnable()) << "the old device's running test was taken over";
}

TEST_F(PortTrouble, PortTheUserMayNotOpenIsToldOnce)
{
    test::RawPty pty(home.path(), 3);
    ASSERT_TRUE(pty.ok());
    struct stat st{};
    ASSERT_EQ(::fstat(pty.slave(), &st), 0);
    const group *g = ::getgrgid(st.st_gid);
    ASSERT_NE(g, nullptr);
    // Its group may read and write it; the test's user is its owner and may not.
    ASSERT_EQ(::fchmod(pty.slave(), 0060), 0);
    const QString port = QStringLiteral("COM3 %1:").arg(pty.path());
    const QString reason = QStringLiteral("no permission (group %1)").arg(QString::fromLocal8Bit(g->gr_name));
    const QString told = port + QLatin1Char(' ') + reason;
    // The note takes two lines of the list, each whole within its width.
    const auto noteShownWhole = [&] {
        EXPECT_EQ(info(0, 1), " " + port.toStdString());
        EXPECT_EQ(info(0, 2), " " + reason.toStdString());
        w->show(); // laid out at the window's own size
        QCoreApplication::processEvents();
        const QListWidget &list = w->lstInfo(0);
        for (int line : {1, 2}) {
            const QRect r = list.visualItemRect(list.item(line));
            EXPECT_LE(r.left() + list.fontMetrics().horizontalAdvance(list.item(line)->text()),
                      list.viewport()->width())
                << "line " << line << " is cut";
        }
    };
    {
        test::FileModesApply asUser;
        open();
        EXPECT_TRUE(portList().isEmpty());
        noteShownWhole();
        w->menuSearch_Click(); // the user searches again
        EXPECT_TRUE(portList().isEmpty());
        noteShownWhole();
        clickConnect();
    }
    ASSERT_EQ(ui.msgs.size(), 2u);
    EXPECT_EQ(ui.msgs[0].text, "Search comm port finished");
    EXPECT_EQ(ui.msgs[1].text, "Wrong Port!");
    EXPECT_FALSE(connected());
    EXPECT_EQ(logEntries(), (QStringList{"[ErrComm]" + told,
                                         "[Conn]no port chosen: the port could not be opened: " + told}));

    // Once the user may open it, it is listed and the note goes.
    ASSERT_EQ(::fchmod(pty.slave(), 0620), 0);
    w->menuSearch_Click();
    EXPECT_EQ(portList(), QStringList{"COM3"});
    EXPECT_EQ(info(0, 1), "");
    EXPECT_EQ(info(0, 2), "");
    clickConnect();
    EXPECT_TRUE(connected());
    EXPECT_EQ(logEntries().size(), 2);
}

TEST_F(PortTrouble, FramesTheWireSpoilsLeaveATraceInTheErrorLog)
{
    test::RawPty pty(home.path(), 3);
    ASSERT_TRUE(pty.ok());
    open();
    choosePort(0, 3);
    clickConnect();
    ASSERT_EQ(test::hexText(pty.read(10)), "FA 05 00 00 00 00 00 00 05 F8");
    // Connected in the middle of a frame: its tail is no fault.
    const Bytes first = idle21(3960);
    ASSERT_TRUE(pty.write(cat(Bytes(first.begin() + 9, first.end()), first)));
    ASSERT_TRUE(waitFor([&] { return identified(); }));

    Bytes badSum = idle21(3950);
    badSum[17] = uint8_t((badSum[17] + 1) % 240);
    ASSERT_TRUE(pty.write(cat(badSum, Bytes{0x13, 0x37}, idle21(3940))));
    ASSERT_TRUE(waitFor([&] { return w->DevCtrl(0).tVol(0) == "03.94"; }));
    // The first loss is told at once; what follows within the minute waits.
    EXPECT_EQ(logEntries(QStringLiteral("ErrFrame")), QStringList{"[ErrFrame]COM3: 1 bad frame"});
    // The link ends: what is left is told.
    clickConnect();
    ASSERT_FALSE(connected());
    EXPECT_EQ(logEntries(QStringLiteral("ErrFrame")),
              (QStringList{"[ErrFrame]COM3: 1 bad frame", "[ErrFrame]COM3: 2 stray bytes"}));
}
