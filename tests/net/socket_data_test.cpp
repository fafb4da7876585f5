// Sending and receiving through the socket object on the loopback address:
// every value type as bytes on the wire and back, the buffers, progress and
// completion events, partial reads, and UDP datagrams to and from a peer.
#include "common/Loopback.h"
#include "SocketEvents.h"

#include "common/FakeUi.h"
#include "net/CSocketMaster.h"
#include "net/modSocketMaster.h"

#include <gtest/gtest.h>

using namespace qx::test;
using namespace qx::net;

namespace {

using Events = SocketEvents<CSocketMaster>;

// A client object connected to a test server.
struct Connected : ::testing::Test {
    Connected()
    {
        c.Connect(QStringLiteral("127.0.0.1"), server.port);
        peer = server.accept();
        EXPECT_TRUE(waitUntil([&] { return c.State() == 7; }));
        ev.log.clear();
    }
    ~Connected() override
    {
        c.CloseSck();
        EXPECT_EQ(qx::wsa::openSocketCount(), 0);
    }
    FakeUi ui;
    TcpServer server;
    CSocketMaster c;
    Events ev{c};
    TcpConn peer;
};

struct Wire {
    const char *what;
    Value value;
    QByteArray bytes;
};

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// Every value type and its bytes (little-endian, as the platform lays them out).
std::vector<Wire> wireTable()
{
    return {
        {"Byte", uint8_t(0xAB), hex("ab")},
        {"Integer", int16_t(-2), hex("feff")},
        {"Long", int32_t(0x01020304), hex("04030201")},
        {"Single", 1.5f, hex("0000c03f")},
        {"Double", -2.25, hex("00000000000002c0")},
        {"Currency 1.2345", Currency{12345}, hex("3930000000000000")},
        {"Date 2.5", Date{2.5}, hex("0000000000000440")},
        {"Boolean True", true, hex("ffff")},
        {"Boolean False", false, hex("0000")},
        {"String", QStringLiteral("abc"), QByteArray("abc")},
        {"Byte array", QByteArray("\x00\x01\xff", 3), hex("0001ff")},
    };
}

} // namespace

TEST_F(Connected, EveryValueTypeGoesOutAsItsBytes)
{
    QByteArray expected;
    for (const Wire &w : wireTable()) {
        ev.log.clear();
        c.SendData(w.value);
        expected += w.bytes;
        EXPECT_EQ(ev.log, (QStringList{QStringLiteral("SendProgress %1 0").arg(w.bytes.size()), "SendComplete"}))
            << w.what;
    }
    EXPECT_EQ(peer.readExactly(expected.size()).toHex(), expected.toHex());
}

TEST_F(Connected, EveryValueTypeIsReadBackFromItsBytes)
{
    for (const Wire &w : wireTable()) {
        peer.send(w.bytes);
        ASSERT_TRUE(waitUntil([&] { return c.BytesReceived() == w.bytes.size(); })) << w.what;
        Value type = int32_t(varType(w.value));
        Value got;
        c.GetData(got, &type);
        EXPECT_EQ(got, w.value) << w.what;
        EXPECT_EQ(c.BytesReceived(), 0) << w.what;
    }
}

TEST_F(Connected, EmptyOrUnsupportedValuesSendNothing)
{
    c.SendData(QString());
    c.SendData(QByteArray());
    EXPECT_TRUE(ev.log.isEmpty());
    const Raised r = raised([&] { c.SendData(Value{}); });
    EXPECT_EQ(r.number, 40018);
    EXPECT_EQ(r.text, "Unsupported variant type.");
    EXPECT_EQ(r.source, "CSocketMaster.SendData");
    c.SendData(QStringLiteral("ok"));
    EXPECT_EQ(peer.readExactly(2), "ok");
}

TEST_F(Connected, ArrivalsReportTheWholeBufferAndReadsTakeWhatIsAsked)
{
    peer.send("0123456789");
    ASSERT_TRUE(waitUntil([&] { return ev.has("DataArrival 10"); }));
    peer.send("abcdefghij");
    ASSERT_TRUE(waitUntil([&] { return ev.has("DataArrival 20"); }));

    Value v;
    Value max = int32_t(5);
    c.PeekData(v, nullptr, &max);
    EXPECT_EQ(std::get<QByteArray>(v), "01234");
    EXPECT_EQ(c.BytesReceived(), 20);
    v = Value{};
    c.GetData(v, nullptr, &max);
    EXPECT_EQ(std::get<QByteArray>(v), "01234");
    EXPECT_EQ(c.BytesReceived(), 15);

    // A variable that holds text receives text, whatever type was asked for;
    // the type it used is written back.
    v = QStringLiteral("old");
    Value type = int32_t(vbByteArray);
    Value three = int32_t(3);
    c.GetData(v, &type, &three);
    EXPECT_EQ(std::get<QString>(v), "567");
    EXPECT_EQ(std::get<int32_t>(type), vbString);

    // A maxLen that is not a number becomes the count available.
    Value notNumber = QStringLiteral("all");
    v = Value{};
    c.PeekData(v, nullptr, &notNumber);
    EXPECT_EQ(std::get<int32_t>(notNumber), 12);

    // maxLen 0 gives an empty array; a negative one is refused.
    Value zero = int32_t(0);
    v = Value{};
    c.GetData(v, nullptr, &zero);
    EXPECT_EQ(std::get<QByteArray>(v), QByteArray());
    Value negative = int32_t(-1);
    EXPECT_EQ(raised([&] { c.GetData(v, nullptr, &negative); }).number, 40014);
    EXPECT_EQ(c.BytesReceived(), 12);

    // A Long needs four bytes: with three there, nothing is taken.
    c.GetData(v);  // everything
    EXPECT_EQ(std::get<QByteArray>(v), "89abcdefghij");
    peer.send("xyz");
    ASSERT_TRUE(waitUntil([&] { return c.BytesReceived() == 3; }));
    Value lng = int32_t(77);
    c.GetData(lng);
    EXPECT_EQ(std::get<int32_t>(lng), 77);
    EXPECT_EQ(c.BytesReceived(), 3);

    // With nothing buffered an empty array comes back.
    c.GetData(v);
    v = Value{};
    c.GetData(v);
    EXPECT_EQ(std::get<QByteArray>(v), QByteArray());
}

TEST_F(Connected, AFullPlatformBufferFinishesOnTheWriteNotification)
{
    // Larger than the socket buffers on both sides, so the platform pushes back.
    QByteArray big(16 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 + (i >> 11));
    c.SendData(big);
    ASSERT_FALSE(ev.log.isEmpty());
    EXPECT_TRUE(ev.log[0].startsWith("SendProgress ")) << ev.log[0].toStdString();
    EXPECT_FALSE(ev.log[0].endsWith(" 0"));  // bytes remaining
    EXPECT_FALSE(ev.has("SendComplete"));
    // A second send before the first is taken queues behind it.
    c.SendData(QByteArray("tail"));

    const QByteArray got = peer.readExactly(big.size() + 4, 60000);
    ASSERT_EQ(got.size(), big.size() + 4);
    EXPECT_TRUE(got.left(big.size()) == big);
    EXPECT_EQ(got.right(4), "tail");
    ASSERT_TRUE(waitUntil([&] { return ev.has("SendComplete"); }));
    EXPECT_EQ(ev.log.last(), "SendComplete");
    EXPECT_EQ(ev.log[ev.log.size() - 2].section(' ', 2), "0");
}

TEST_F(Connected, ASendFromSendCompleteStartsAtOnce)
{
    int rounds = 0;
    ev.onComplete = [&] {
        if (++rounds < 3)
            c.SendData(QStringLiteral("again"));
    };
    c.SendData(QStringLiteral("first"));
    EXPECT_EQ(peer.readExactly(15), "firstagainagain");
    EXPECT_EQ(rounds, 3);
}

TEST_F(Connected, AResetByThePeerIsAnError)
{
    linger l{1, 0};  // close with a reset
    ::setsockopt(peer.fd(), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    peer.close();
    ASSERT_TRUE(waitUntil([&] { return c.State() == 9; }));
    EXPECT_EQ(ev.log, QStringList{"Error 10054 Connection reset by peer. CSocketMaster.PostSocket"});
}

// ---- UDP ----

namespace {

struct Udp : ::testing::Test {
    ~Udp() override { EXPECT_EQ(qx::wsa::openSocketCount(), 0); }
    FakeUi ui;
    UdpPeer peer;
};

} // namespace

TEST_F(Udp, DatagramsArriveWithTheirSender)
{
    CSocketMaster u;
    Events ev(u);
    u.set_Protocol(CSocketMaster::sckUDPProtocol);
    u.Bind(0, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(u.State(), 1);
    u.set_RemoteHost(QStringLiteral("someone"));  // UDP: in any state

    QList<QByteArray> got;
    ev.onData = [&](int32_t n) {
        EXPECT_EQ(u.BytesReceived(), n);
        Value v;
        u.GetData(v);
        got << std::get<QByteArray>(v);
    };
    // Two datagrams in a row: the handler reads each, none is lost.
    peer.sendTo(uint16_t(u.LocalPort()), "first");
    peer.sendTo(uint16_t(u.LocalPort()), "second!");
    ASSERT_TRUE(waitUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got, (QList<QByteArray>{"first", "second!"}));
    EXPECT_EQ(ev.log, (QStringList{"DataArrival 5", "DataArrival 7"}));
    EXPECT_EQ(u.RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(u.RemotePort(), peer.port);
    EXPECT_EQ(u.RemoteHost(), "");

    // A datagram the handler leaves is dropped; the next one still comes.
    ev.onData = nullptr;
    peer.sendTo(uint16_t(u.LocalPort()), "left");
    ASSERT_TRUE(waitUntil([&] { return ev.log.size() == 3; }));
    settleFor(50);
    EXPECT_EQ(u.BytesReceived(), 0);
    peer.sendTo(uint16_t(u.LocalPort()), "next");
    ASSERT_TRUE(waitUntil([&] { return u.BytesReceived() == 4; }));
    Value v;
    u.PeekData(v);
    EXPECT_EQ(std::get<QByteArray>(v), "next");
    u.CloseSck();
}

TEST_F(Udp, ReadingLessThanADatagramOrNothing)
{
    CSocketMaster u;
    u.set_Protocol(1);
    u.Bind(0, QStringLiteral("127.0.0.1"));
    peer.sendTo(uint16_t(u.LocalPort()), "abcdef");
    ASSERT_TRUE(waitUntil([&] { return u.BytesReceived() == 6; }));
    // maxLen 0: empty array, the datagram is dropped, error 10040.
    Value v;
    Value zero = int32_t(0);
    const Raised r = raised([&] { u.GetData(v, nullptr, &zero); });
    EXPECT_EQ(r.number, 10040);
    EXPECT_EQ(r.text, "Message too long.");
    EXPECT_EQ(r.source, "CSocketMaster.RecvData");
    EXPECT_EQ(std::get<QByteArray>(v), QByteArray());
    EXPECT_EQ(u.BytesReceived(), 0);
    // Nothing waiting: the variable stays as it was.
    Value keep = QStringLiteral("unchanged");
    u.GetData(keep);
    EXPECT_EQ(std::get<QString>(keep), "unchanged");
    u.CloseSck();
}

TEST_F(Udp, SendDataOpensTheObjectAndSendsOneDatagramPerCall)
{
    CSocketMaster u;
    Events ev(u);
    u.set_Protocol(1);
    u.set_RemoteHost(QStringLiteral("127.0.0.1"));
    u.set_RemotePort(peer.port);
    u.SendData(QString());  // nothing sent, but the object is open
    EXPECT_EQ(u.State(), 1);
    u.SendData(int32_t(0x64636261));
    u.SendData(QStringLiteral("two"));
    uint16_t from = 0;
    EXPECT_EQ(peer.receive(&from), "abcd");
    EXPECT_EQ(from, u.LocalPort());
    EXPECT_EQ(peer.receive(), "two");
    EXPECT_TRUE(ev.log.isEmpty());  // UDP raises no progress or completion

    u.set_RemoteHost(QString());
    const Raised r = raised([&] { u.SendData(QStringLiteral("lost")); });
    EXPECT_EQ(r.number, 10047);
    EXPECT_EQ(r.text, "Address family not supported by protocol family.");
    EXPECT_EQ(r.source, "CSocketMaster.SendBufferedDataUDP");
    u.set_RemoteHost(QStringLiteral("nowhere.invalid"));
    EXPECT_EQ(raised([&] { u.SendData(QStringLiteral("lost")); }).number, 40014);
    u.CloseSck();
    EXPECT_EQ(u.State(), 0);
}

TEST_F(Udp, ConnectOnlyOpensTheObject)
{
    CSocketMaster u;
    Events ev(u);
    u.set_Protocol(1);
    u.Connect(QStringLiteral("127.0.0.1"), peer.port);
    EXPECT_EQ(u.State(), 1);
    settleFor(30);
    EXPECT_TRUE(ev.log.isEmpty());
    u.CloseSck();
}

TEST_F(Connected, SendingToAPeerThatHasGoneIsAnErrorNotASignal)
{
    peer.close();
    // Before the close is noticed the object still counts as connected; the
    // sends meet the closed connection (which would raise SIGPIPE unasked).
    for (int i = 0; i < 50 && c.State() == 7; ++i) {
        c.SendData(QByteArray(1000, 'x'));
        QThread::msleep(2);
    }
    EXPECT_EQ(c.State(), 9);
    EXPECT_TRUE(ev.hasPrefix("Error 10054 Connection reset by peer. CSocketMaster.SendBufferedData"))
        << ev.log.join('|').toStdString();
}

TEST(Accepted, AnAcceptedSocketNeverBlocks)
{
    FakeUi ui;
    CSocketMaster listener, server;
    SocketEvents<CSocketMaster> lev(listener), sev(server);
    listener.Bind(0, QStringLiteral("127.0.0.1"));
    listener.Listen();
    lev.onRequest = [&](int32_t id) { server.Accept(id); };
    TcpConn client = TcpConn::connectTo(uint16_t(listener.LocalPort()));
    ASSERT_TRUE(waitUntil([&] { return server.State() == 7; }));
    // The client reads nothing: the send returns with bytes remaining.
    server.SendData(QByteArray(32 * 1024 * 1024, 'z'));
    ASSERT_FALSE(sev.log.isEmpty());
    EXPECT_TRUE(sev.log[0].startsWith("SendProgress ")) << sev.log[0].toStdString();
    EXPECT_FALSE(sev.log[0].endsWith(" 0"));
    server.CloseSck();
    listener.CloseSck();
}
