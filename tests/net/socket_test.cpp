// The socket object on the loopback address: states, connecting (by address
// and by name), refusals, resolution failures, listening and accepting,
// closing from either side, the error texts and the hidden window.
#include "common/Loopback.h"
#include "SocketEvents.h"

#include "common/ErrorCode.h"
#include "common/FakeUi.h"
#include "net/CSocketMaster.h"
#include "net/modSocketMaster.h"

#include <gtest/gtest.h>
#include <memory>

using namespace qx::test;
using qx::net::Value;
namespace msm = qx::modSocketMaster;

namespace {

struct SocketTest : ::testing::Test {
    ~SocketTest() override
    {
        // Every test leaves no socket and no hidden window behind.
        EXPECT_EQ(qx::wsa::openSocketCount(), 0);
        EXPECT_FALSE(msm::HasMessageWindow());
    }
    FakeUi ui;
};

using Events = SocketEvents<CSocketMaster>;

} // namespace

TEST_F(SocketTest, PropertyChecksRaiseTheirNumbersTextsAndSources)
{
    CSocketMaster s;
    EXPECT_EQ(s.State(), 0);
    EXPECT_EQ(s.SocketHandle(), -1);
    EXPECT_EQ(s.Protocol(), 0);

    struct Case {
        const char *what;
        std::function<void()> f;
        int number;
        const char *text;
        const char *source;
    };
    const char *range = "The argument passed to a function was not in the correct format or in the specified range.";
    const Case cases[] = {
        {"RemotePort -1", [&] { s.set_RemotePort(-1); }, 40014, range, "CSocketMaster.RemotePort"},
        {"RemotePort 65536", [&] { s.set_RemotePort(65536); }, 40014, range, "CSocketMaster.RemotePort"},
        {"LocalPort 70000", [&] { s.set_LocalPort(70000); }, 40014, range, "CSocketMaster.LocalPort"},
        {"Connect port 0", [&] { s.Connect(QStringLiteral("127.0.0.1"), 0); }, 40014, range, "CSocketMaster.Connect"},
        {"Connect port text", [&] { s.Connect(QStringLiteral("127.0.0.1"), QStringLiteral("http")); }, 40018,
         "Unsupported variant type.", "CSocketMaster.Connect"},
        {"Bind port 65536", [&] { s.Bind(65536); }, 40014, range, "CSocketMaster.BindInternal"},
        {"Bind to a name that is not there", [&] { s.Bind(0, QStringLiteral("nowhere.invalid")); }, 40014,
         "Invalid argument", "CSocketMaster.BindInternal"},
        {"SendData while closed", [&] { s.SendData(QStringLiteral("x")); }, 40006,
         "Wrong protocol or connection state for the requested transaction or request", "CSocketMaster.SendData"},
    };
    for (const Case &c : cases) {
        const Raised r = raised(c.f);
        EXPECT_EQ(r.number, c.number) << c.what;
        EXPECT_EQ(r.text, QString::fromUtf8(c.text)) << c.what;
        EXPECT_EQ(r.source, QString::fromUtf8(c.source)) << c.what;
    }
    // Port 0 is a valid RemotePort although Connect refuses it.
    s.set_RemotePort(0);
    EXPECT_EQ(s.RemotePort(), 0);
    EXPECT_EQ(s.State(), 0);

    // Lets and methods that need state 0.
    s.Bind(0, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.State(), 1);
    for (const auto &f : std::initializer_list<std::function<void()>>{
             [&] { s.set_RemoteHost("a"); }, [&] { s.set_RemotePort(1); }, [&] { s.set_LocalPort(1); },
             [&] { s.set_Protocol(1); }, [&] { s.Connect(); }, [&] { s.Bind(); }, [&] { s.Accept(1); }}) {
        const Raised r = raised(f);
        EXPECT_EQ(r.number, 40020);
        EXPECT_EQ(r.text, "Invalid operation at current state");
    }
    s.set_Tag(QStringLiteral("any state"));
    EXPECT_EQ(s.Tag(), "any state");
    s.CloseSck();
    EXPECT_EQ(s.State(), 0);
}

TEST_F(SocketTest, ConnectsByAddressAndTheServerClosing)
{
    TcpServer server;
    CSocketMaster c;
    Events ev(c);
    c.Connect(QStringLiteral("127.0.0.1"), server.port);
    EXPECT_EQ(c.State(), 6);  // no resolution for a dotted address
    TcpConn peer = server.accept();
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(waitUntil([&] { return c.State() == 7; }));
    EXPECT_EQ(ev.log, QStringList{"Connect"});
    EXPECT_EQ(c.RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(c.RemotePort(), server.port);
    EXPECT_EQ(c.RemoteHost(), "127.0.0.1");
    EXPECT_NE(c.LocalPort(), 0);  // the system's choice

    // The server closes: CloseSck, state 8 until the user closes too.
    peer.close();
    ASSERT_TRUE(waitUntil([&] { return c.State() == 8; }));
    settleFor(50);
    EXPECT_EQ(ev.log, (QStringList{"Connect", "CloseSck"}));
    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
    EXPECT_EQ(c.SocketHandle(), -1);
    EXPECT_EQ(c.LocalPort(), 0);  // the set local port again
    EXPECT_EQ(c.RemoteHostIP(), "");
    EXPECT_EQ(c.RemoteHost(), "127.0.0.1");
}

TEST_F(SocketTest, TheClientClosingReachesThePeer)
{
    TcpServer server;
    CSocketMaster c;
    c.set_LocalPort(0);
    c.Connect(QStringLiteral("127.0.0.1"), server.port);
    TcpConn peer = server.accept();
    ASSERT_TRUE(waitUntil([&] { return c.State() == 7; }));
    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
    peer.readExactly(1);
    EXPECT_TRUE(peer.eof);
    // Closing again changes nothing.
    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
}

TEST_F(SocketTest, AHostNamePassesThroughResolution)
{
    TcpServer server;
    CSocketMaster c;
    Events ev(c);
    QList<int> states;
    QObject::connect(&c, &CSocketMaster::ConnectEvent, [&] { states << c.State(); });
    c.Connect(QStringLiteral("localhost"), server.port);
    EXPECT_EQ(c.State(), 4);
    TcpConn peer = server.accept();
    ASSERT_TRUE(peer.valid());
    ASSERT_TRUE(waitUntil([&] { return c.State() == 7; }));
    EXPECT_EQ(ev.log, QStringList{"Connect"});
    EXPECT_EQ(c.RemoteHostIP(), "127.0.0.1");
    c.CloseSck();
}

TEST_F(SocketTest, ANameThatDoesNotResolveEndsInStateNineAndCloseSckRecovers)
{
    TcpServer server;
    CSocketMaster c;
    Events ev(c);
    c.Connect(QStringLiteral("no-such-host.invalid"), server.port);
    EXPECT_EQ(c.State(), 4);
    ASSERT_TRUE(waitUntil([&] { return c.State() == 9; }));
    EXPECT_EQ(ev.log, QStringList{"Error 11001 Host not found. CSocketMaster.ConnectToIP"});
    EXPECT_TRUE(ui.msgs.empty());  // the handler left CancelDisplay alone
    EXPECT_EQ(qx::test::errorCode([&] { c.Connect(); }), 40020);

    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
    c.Connect(QStringLiteral("127.0.0.1"), server.port);
    TcpConn peer = server.accept();
    ASSERT_TRUE(waitUntil([&] { return c.State() == 7; }));
    c.CloseSck();
}

TEST_F(SocketTest, ClosingDuringResolutionCancelsIt)
{
    CSocketMaster c;
    Events ev(c);
    c.Connect(QStringLiteral("localhost"), 9);
    EXPECT_EQ(c.State(), 4);
    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
    settleFor(100);
    EXPECT_TRUE(ev.log.isEmpty());
    EXPECT_EQ(c.State(), 0);
}

TEST_F(SocketTest, ARefusedConnectionRaisesErrorTenThousandSixtyOne)
{
    CSocketMaster c;
    Events ev(c);
    c.Connect(QStringLiteral("127.0.0.1"), closedPort());
    ASSERT_TRUE(waitUntil([&] { return c.State() == 9; }));
    EXPECT_EQ(ev.log, QStringList{"Error 10061 Connection refused. CSocketMaster.PostSocket"});
    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
}

TEST_F(SocketTest, AnErrorHandlerThatClearsCancelDisplayGetsAMessageBox)
{
    CSocketMaster c;
    Events ev(c);
    ev.onError = [](QString &text, bool &cancel) {
        text = QStringLiteral("No service");
        cancel = false;
    };
    c.Connect(QStringLiteral("127.0.0.1"), closedPort());
    ASSERT_TRUE(waitUntil([&] { return c.State() == 9; }));
    ASSERT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.msgs[0].text, "No service");
    EXPECT_EQ(ui.msgs[0].title, "CSocketMaster.PostSocket");
    EXPECT_EQ(ui.msgs[0].style, qx::MbOkOnly);
    c.CloseSck();
}

TEST_F(SocketTest, ADottedAddressIsNeverTakenForAPendingResolution)
{
    // 1.0.0.0 has the 32-bit value 1 in network order on this machine; it
    // is an address like any other (no connection is made to it here).
    EXPECT_TRUE(qx::wsa::isDottedAddress("1.0.0.0"));
    EXPECT_EQ(qx::wsa::inet_addr("1.0.0.0"), 1u);
    for (const char *bad : {"1.0.0", "1.0.0.0.0", "256.0.0.1", "1.0.0.x", " 1.0.0.0", "1..0.0", "1.0.0.0\n"})
        EXPECT_FALSE(qx::wsa::isDottedAddress(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(qx::wsa::inet_addr("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_TRUE(qx::wsa::isDottedAddress("255.255.255.255"));
}

TEST_F(SocketTest, ListensAndAcceptsOnLoopback)
{
    CSocketMaster listener;
    Events lev(listener);
    listener.Bind(0, QStringLiteral("127.0.0.1"));
    listener.Listen();  // already bound: not bound again
    EXPECT_EQ(listener.State(), 2);
    EXPECT_EQ(listener.LocalIP(), "127.0.0.1");
    const int port = listener.LocalPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(qx::test::errorCode([&] { listener.Listen(); }), 40020);

    CSocketMaster server;
    Events sev(server);
    QString ipDuring;
    int32_t portDuring = -1;
    lev.onRequest = [&](int32_t id) {
        ipDuring = listener.RemoteHostIP();
        portDuring = listener.RemotePort();
        server.Accept(id);
    };
    TcpConn client = TcpConn::connectTo(uint16_t(port));
    ASSERT_TRUE(client.valid());
    ASSERT_TRUE(waitUntil([&] { return server.State() == 7; }));
    EXPECT_EQ(lev.log, QStringList{"ConnectionRequest"});
    EXPECT_EQ(ipDuring, "127.0.0.1");
    EXPECT_EQ(portDuring, localPortOf(client.fd()));
    // Afterwards the listener shows its own values again.
    EXPECT_EQ(listener.RemoteHostIP(), "");
    EXPECT_EQ(listener.RemotePort(), 0);
    EXPECT_EQ(listener.State(), 2);
    EXPECT_EQ(server.RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(server.RemotePort(), localPortOf(client.fd()));
    EXPECT_EQ(server.LocalPort(), port);

    // The accepted connection carries data both ways.
    client.send("ping");
    ASSERT_TRUE(waitUntil([&] { return sev.has("DataArrival 4"); }));
    Value got;
    server.GetData(got);
    EXPECT_EQ(std::get<QByteArray>(got), "ping");
    server.SendData(QByteArray("pong"));
    EXPECT_EQ(client.readExactly(4), "pong");

    // A connection request nobody accepts is closed.
    lev.onRequest = nullptr;
    TcpConn other = TcpConn::connectTo(uint16_t(port));
    ASSERT_TRUE(waitUntil([&] { return lev.log.size() == 2; }));
    other.readExactly(1);
    EXPECT_TRUE(other.eof);

    server.CloseSck();
    listener.CloseSck();
    EXPECT_EQ(listener.State(), 0);
}

TEST_F(SocketTest, DataAndACloseBeforeAcceptReachTheAcceptingObject)
{
    CSocketMaster listener;
    Events lev(listener);
    listener.Bind(0, QStringLiteral("127.0.0.1"));
    listener.Listen();
    CSocketMaster server;
    Events sev(server);
    TcpConn client;
    lev.onRequest = [&](int32_t id) {
        // Before accepting, the peer sends and hangs up; the holder keeps both.
        client.send("early data");
        client.close();
        settleFor(200);
        server.Accept(id);
    };
    client = TcpConn::connectTo(uint16_t(listener.LocalPort()));
    ASSERT_TRUE(waitUntil([&] { return server.State() == 8; }));
    EXPECT_EQ(sev.log, (QStringList{"DataArrival 10", "CloseSck"}));
    // What came before the close can still be read.
    Value got;
    server.GetData(got, nullptr, nullptr);
    EXPECT_EQ(std::get<QByteArray>(got), "early data");
    server.CloseSck();
    listener.CloseSck();
}

TEST_F(SocketTest, AcceptRefusesAHandleThatIsAlreadyOwned)
{
    TcpServer tcp;
    CSocketMaster a;
    a.Connect(QStringLiteral("127.0.0.1"), tcp.port);
    TcpConn peer = tcp.accept();
    ASSERT_TRUE(waitUntil([&] { return a.State() == 7; }));

    CSocketMaster b;
    const Raised r = raised([&] { b.Accept(a.SocketHandle()); });
    EXPECT_EQ(r.number, 40006);
    EXPECT_EQ(r.source, "CSocketMaster.Accept");
    EXPECT_EQ(b.SocketHandle(), -1);
    b.CloseSck();  // must not close a's socket
    a.SendData(QStringLiteral("still mine"));
    EXPECT_EQ(peer.readExactly(10), "still mine");
    a.CloseSck();
}

TEST_F(SocketTest, AFailureInsideAHandlerBecomesAnErrorEvent)
{
    TcpServer server;
    CSocketMaster c;
    Events ev(c);
    QObject::connect(&c, &CSocketMaster::DataArrival, [](int32_t) { throw qx::QxError(5, QStringLiteral("boom")); });
    c.Connect(QStringLiteral("127.0.0.1"), server.port);
    TcpConn peer = server.accept();
    ASSERT_TRUE(waitUntil([&] { return c.State() == 7; }));
    peer.send("x");
    ASSERT_TRUE(waitUntil([&] { return c.State() == 9; }));
    EXPECT_EQ(ev.log.last(), "Error 5 boom CSocketMaster.PostSocket");
    c.CloseSck();
    EXPECT_EQ(c.State(), 0);
}

TEST_F(SocketTest, TheHiddenWindowLivesFromTheFirstSocketToTheLast)
{
    EXPECT_FALSE(msm::HasMessageWindow());
    {
        CSocketMaster a, b;
        a.Bind(0, QStringLiteral("127.0.0.1"));
        EXPECT_TRUE(msm::HasMessageWindow());
        b.Bind(0, QStringLiteral("127.0.0.1"));
        a.CloseSck();
        EXPECT_TRUE(msm::HasMessageWindow());
        b.CloseSck();
        EXPECT_FALSE(msm::HasMessageWindow());
        a.Bind(0, QStringLiteral("127.0.0.1"));  // a fresh window
        EXPECT_TRUE(msm::HasMessageWindow());
    }
    EXPECT_EQ(msm::Instances(), 0);
}

TEST_F(SocketTest, ErrorTextsAndPortConversions)
{
    EXPECT_EQ(msm::GetErrorDescription(10035), "Resource temporarily unavailable.");
    EXPECT_EQ(msm::GetErrorDescription(10061), "Connection refused.");
    EXPECT_EQ(msm::GetErrorDescription(11004), "Valid name, no data record of requested type.");
    EXPECT_EQ(msm::GetErrorDescription(10059), "Unknown error.");
    EXPECT_EQ(msm::UnsignedToInteger(8068), 8068);
    EXPECT_EQ(msm::UnsignedToInteger(65535), -1);
    EXPECT_EQ(qx::test::errorCode([] { msm::UnsignedToInteger(65536); }), 6);
    EXPECT_EQ(msm::IntegerToUnsigned(-1), 65535);
    EXPECT_EQ(msm::HiWord(qx::wsa::makeLong(16, 10061)), 10061);
    EXPECT_EQ(msm::LoWord(qx::wsa::makeLong(16, 10061)), 16);
}

TEST_F(SocketTest, ErrnoValuesMapToTheirWinsockNumbers)
{
    struct M {
        int err, wsa;
    };
    for (const M m : {M{ECONNREFUSED, 10061}, M{EWOULDBLOCK, 10035}, M{EAGAIN, 10035}, M{EADDRINUSE, 10048},
                      M{EADDRNOTAVAIL, 10049}, M{ECONNRESET, 10054}, M{EPIPE, 10054}, M{ETIMEDOUT, 10060},
                      M{EHOSTUNREACH, 10065}, M{ENETUNREACH, 10051}, M{EMSGSIZE, 10040}, M{ENOTCONN, 10057},
                      M{EBADF, 10038}, M{EINPROGRESS, 10036}})
        EXPECT_EQ(qx::wsa::fromErrno(m.err), m.wsa) << m.err;
}

TEST_F(SocketTest, AddressInUseIsReportedByBind)
{
    CSocketMaster a, b;
    a.Bind(0, QStringLiteral("127.0.0.1"));
    const Raised r = raised([&] { b.Bind(a.LocalPort(), QStringLiteral("127.0.0.1")); });
    EXPECT_EQ(r.number, 10048);
    EXPECT_EQ(r.text, "Address already in use.");
    EXPECT_EQ(r.source, "CSocketMaster.BindInternal");
    a.CloseSck();
    b.CloseSck();
}
