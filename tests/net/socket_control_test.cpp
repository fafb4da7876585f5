// The socket control: stored properties, its fixed size, and the relay of
// the socket object's members and events.
#include "common/Loopback.h"
#include "SocketEvents.h"

#include "common/FakeUi.h"
#include "net/Socket.h"
#include "platform/Colors.h"
#include "platform/PropertyBag.h"

#include <gtest/gtest.h>

using namespace qx::test;

TEST(SocketControl, StoredPropertiesReadAndWriteWithTheirDefaults)
{
    Socket s;
    qx::PropertyBag none;
    s.ReadProperties(none);
    EXPECT_EQ(s.LocalPort(), 0);
    EXPECT_EQ(s.Protocol(), 0);
    EXPECT_EQ(s.RemoteHost(), "");
    EXPECT_EQ(s.RemotePort(), 0);
    EXPECT_EQ(s.Tag(), "");
    qx::PropertyBag out;
    s.WriteProperties(out);
    EXPECT_TRUE(out.isEmpty());  // every value is its default

    qx::PropertyBag bag;
    bag.WriteProperty("LocalPort", 1234);
    bag.WriteProperty("Protocol", 1);
    bag.WriteProperty("RemoteHost", "127.0.0.1");
    bag.WriteProperty("RemotePort", 8068);
    bag.WriteProperty("Tag", "news");
    Socket t;
    t.ReadProperties(bag);
    EXPECT_EQ(t.LocalPort(), 1234);
    EXPECT_EQ(t.Protocol(), 1);
    EXPECT_EQ(t.RemoteHost(), "127.0.0.1");
    EXPECT_EQ(t.RemotePort(), 8068);
    EXPECT_EQ(t.Tag(), "news");
    qx::PropertyBag back;
    t.WriteProperties(back);
    EXPECT_EQ(back.keys(), (QStringList{"LocalPort", "Protocol", "RemoteHost", "RemotePort", "Tag"}));
    EXPECT_EQ(back.readInt("RemotePort", 0), 8068);

    // A stored value the object refuses reaches the reader as its error.
    qx::PropertyBag bad;
    bad.WriteProperty("RemotePort", 70000);
    Socket u;
    EXPECT_EQ(raised([&] { u.ReadProperties(bad); }).number, 40014);
}

TEST(SocketControl, KeepsItsSize)
{
    Socket s;
    s.resize(300, 100);
    EXPECT_EQ(s.size(), QSize(qx::twipsToPx(420), qx::twipsToPx(420)));
}

TEST(SocketControl, RelaysMembersAndEventsAndTheErrorArgumentsComeBack)
{
    FakeUi ui;
    {
        TcpServer server;
        Socket s;
        SocketEvents<Socket> ev(s);
        s.Connect(QStringLiteral("127.0.0.1"), server.port);
        TcpConn peer = server.accept();
        ASSERT_TRUE(waitUntil([&] { return s.State() == 7; }));
        s.SendData(QStringLiteral("hi"));
        EXPECT_EQ(peer.readExactly(2), "hi");
        peer.send("yo");
        ASSERT_TRUE(waitUntil([&] { return s.BytesReceived() == 2; }));
        qx::net::Value v;
        s.GetData(v);
        EXPECT_EQ(std::get<QByteArray>(v), "yo");
        EXPECT_EQ(ev.log, (QStringList{"Connect", "SendProgress 2 0", "SendComplete", "DataArrival 2"}));
        s.CloseSck();

        // Error: what the window's handler writes into Description and
        // CancelDisplay is what the object acts on.
        ev.onError = [](QString &d, bool &cancel) {
            d = QStringLiteral("Changed by the window");
            cancel = false;
        };
        s.Connect(QStringLiteral("127.0.0.1"), closedPort());
        ASSERT_TRUE(waitUntil([&] { return s.State() == 9; }));
        ASSERT_EQ(ui.msgs.size(), 1u);
        EXPECT_EQ(ui.msgs[0].text, "Changed by the window");
        s.CloseSck();
    }
    EXPECT_EQ(qx::wsa::openSocketCount(), 0);
}
