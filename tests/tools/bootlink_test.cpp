// The boot-loader link against the simulated boot loader, through the real
// serial layer: the bytes of every operation, the variant read, the
// synchronisation tries, the failures and their log tags, and replies that
// come too late.
#include "BootFixture.h"

#include "link/COMM.h"
#include "tools/BootLink.h"

#include <QTimer>

using namespace qx;
using namespace qx::test;
using qx::sim::BootFault;
using qx::sim::BootFaultKind;
using qx::sim::BootSimOptions;

namespace {

struct LinkFixture : BootFixture {
    explicit LinkFixture(BootSimOptions o = {}) : BootFixture(o) {}
    void SetUp() override
    {
        BootFixture::SetUp();
        ASSERT_TRUE(link.OpenPort(3));
    }
    // One operation's exchange: what the host sent and what came back, step
    // by step.
    void expectWire(const std::vector<Bytes> &host, const std::vector<Bytes> &device)
    {
        const auto t = boot.transcript();
        EXPECT_EQ(chunks(t, true), host);
        EXPECT_EQ(chunks(t, false), device);
        ASSERT_FALSE(t.empty());
        EXPECT_TRUE(t.front().fromHost);
    }
    BootLink link;
};

const Bytes Ack = {0x79};
const Bytes Nack = {0x1F};

} // namespace

TEST_F(LinkFixture, SyncThenGetReadsTypeAndMaskedVariant)
{
    ASSERT_TRUE(link.BootSync());
    ASSERT_TRUE(link.BootGet());
    EXPECT_EQ(link.BootType, 10);
    EXPECT_EQ(link.BootVariant, 310);
    // 310 = 0x0136 is kept as 0x01 ^ 0xB3, 0x36 ^ 0xB3 = B2 85.
    expectWire({{0x7F}, {0x00, 0xFF}, {0x11, 0xEE}, {0x00, 0x00, 0x40, 0x02, 0x42}, {0x01, 0xFE}},
               {Ack, {0x79, 0x05, 0x10, 0x0A, 0x11, 0x21, 0x31, 0x43, 0x79}, Ack, Ack, {0x79, 0xB2, 0x85}});
    EXPECT_TRUE(logTags().isEmpty());
}

struct VariantCase {
    int type, variant;
    bool atAlt;
    bool readsAlt; // 0x1002 is read as well
    int expected;
};
void PrintTo(const VariantCase &c, std::ostream *os) { *os << "type " << c.type << " variant " << c.variant; }

struct VariantFixture : LinkFixture, ::testing::WithParamInterface<VariantCase> {
    VariantFixture() : LinkFixture({.type = GetParam().type, .variant = GetParam().variant, .variantAtAlt = GetParam().atAlt}) {}
};

TEST_P(VariantFixture, SecondAddressOnlyForTypes25And26WithZero)
{
    const VariantCase c = GetParam();
    ASSERT_TRUE(link.BootSync());
    ASSERT_TRUE(link.BootGet());
    EXPECT_EQ(link.BootType, c.type);
    EXPECT_EQ(link.BootVariant, c.expected);
    const Bytes frame4002 = {0x00, 0x00, 0x40, 0x02, 0x42}, frame1002 = {0x00, 0x00, 0x10, 0x02, 0x12};
    std::vector<Bytes> host = {{0x7F}, {0x00, 0xFF}, {0x11, 0xEE}, frame4002, {0x01, 0xFE}};
    if (c.readsAlt)
        host.insert(host.end(), {{0x11, 0xEE}, frame1002, {0x01, 0xFE}});
    EXPECT_EQ(chunks(boot.transcript(), true), host);
}

INSTANTIATE_TEST_SUITE_P(Types, VariantFixture,
                         ::testing::Values(VariantCase{26, 0x0207, true, true, 0x0207},
                                           VariantCase{25, 0x0101, true, true, 0x0101},
                                           VariantCase{26, 309, false, false, 309},
                                           VariantCase{9, 0x0207, true, false, 0}));

struct WideVariant : LinkFixture {
    WideVariant() : LinkFixture({.variant = 0x8000}) {}
};

TEST_F(WideVariant, FailsGetAndLogsErrGT)
{
    ASSERT_TRUE(link.BootSync());
    EXPECT_FALSE(link.BootGet());
    EXPECT_EQ(link.BootType, 10) << "the type code is kept before the variant is read";
    EXPECT_EQ(logTags(), QStringList{"ErrGT"});
}

TEST_F(LinkFixture, WriteReadEraseGoBytes)
{
    ASSERT_TRUE(link.BootSync());
    ASSERT_TRUE(link.BootErase());
    // 128 bytes 12 34 12 34 ...: the XOR of the data is 0, so the checksum
    // is n - 1 = 7F; three bytes 01 02 04 (odd): 02^01^02^04 = 05, masked B6.
    const Bytes block = repeat({0x12, 0x34}, 64);
    ASSERT_TRUE(link.BootWriteMem(0x9000, block, 128));
    ASSERT_TRUE(link.BootWriteMem(0x9080, Bytes{0x01, 0x02, 0x04, 0xEE}, 3));
    ASSERT_TRUE(link.BootReadMem(0x9000, 128));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), link.RdBuf.begin()));
    ASSERT_TRUE(link.BootReadMem(0x9080, 4));
    EXPECT_EQ(Bytes(link.RdBuf.begin(), link.RdBuf.begin() + 4), (Bytes{0x01, 0x02, 0x04, 0xFF}));
    link.BootType = 10;
    ASSERT_TRUE(link.BootGo());

    expectWire({{0x7F},
                {0x43, 0xBC}, {0xFF, 0x00},
                {0x31, 0xCE}, {0x00, 0x00, 0x90, 0x00, 0x90}, cat({{0x7F}, block, {0x7F}}),
                {0x31, 0xCE}, {0x00, 0x00, 0x90, 0x80, 0x10}, {0x02, 0x01, 0x02, 0x04, 0xB6},
                {0x11, 0xEE}, {0x00, 0x00, 0x90, 0x00, 0x90}, {0x7F, 0x80},
                {0x11, 0xEE}, {0x00, 0x00, 0x90, 0x80, 0x10}, {0x03, 0xFC},
                {0x21, 0xDE}, {0x00, 0x00, 0x90, 0x00, 0x90}},
               {Ack, Ack, Ack, Ack, Ack, Ack, Ack, Ack, Ack, Ack, Ack, cat({Ack, block}), Ack, Ack,
                {0x79, 0x01, 0x02, 0x04, 0xFF}, Ack, Ack});
    EXPECT_EQ(boot.goAddress(), 0x9000);
    EXPECT_EQ(boot.erases(), 1);
}

struct Type26 : LinkFixture {
    Type26() : LinkFixture({.type = 26, .variant = 1}) {}
};

TEST_F(Type26, GoStartsAt8C00)
{
    ASSERT_TRUE(link.BootSync());
    ASSERT_TRUE(link.BootGet());
    boot.clearTranscript();
    ASSERT_TRUE(link.BootGo());
    EXPECT_EQ(chunks(boot.transcript(), true), (std::vector<Bytes>{{0x21, 0xDE}, {0x00, 0x00, 0x8C, 0x00, 0x8C}}));
    EXPECT_EQ(boot.goAddress(), 0x8C00);
}

TEST(BootLinkChecksum, PlainXorForEvenCountsMaskedForOdd)
{
    struct Case {
        Bytes data;
        uint8_t sum;
    };
    // c = n-1, then c = B3 ^ d ^ c per byte.
    for (const Case &c : {Case{{0x00, 0x00}, 0x01}, Case{{0xAA}, 0xAA ^ 0xB3}, Case{{0x01, 0x02, 0x04}, 0xB6},
                          Case{repeat({0xFF}, 128), 0x7F}, Case{cat({repeat({0x00}, 127), {0x5A}}), 0x25 /* 7F ^ 5A */}}) {
        EXPECT_EQ(BootLink::writeChecksum(c.data), c.sum) << c.data.size();
    }
}

// ---- failures ----

struct FailCase {
    const char *name;
    BootFault fault;
    int op;          // 0 sync, 1 Get, 2 read 128 at 0x9000, 3 write 3 at 0x9000, 4 erase, 5 Go
    const char *tag; // "" = no log line
};
void PrintTo(const FailCase &c, std::ostream *os) { *os << c.name; }

struct FailFixture : LinkFixture, ::testing::WithParamInterface<FailCase> {};

TEST_P(FailFixture, OperationFailsAndLogsItsTag)
{
    const FailCase c = GetParam();
    if (c.op != 0) {
        ASSERT_TRUE(link.BootSync());
    }
    boot.addFault(c.fault);
    link.BootType = 10;
    bool ok = true;
    switch (c.op) {
    case 0: ok = link.BootSync(); break;
    case 1: ok = link.BootGet(); break;
    case 2: ok = link.BootReadMem(0x9000, 128); break;
    case 3: ok = link.BootWriteMem(0x9000, Bytes{1, 2, 3}, 3); break;
    case 4: ok = link.BootErase(); break;
    case 5: ok = link.BootGo(); break;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(logTags(), *c.tag ? QStringList{c.tag} : QStringList{});
    // Nothing after the failing step.
    const auto t = boot.transcript();
    ASSERT_FALSE(t.empty());
    const int steps = c.fault.step;
    int hostChunks = int(chunks(t, true).size()) - (c.op != 0 ? 1 : 0);
    EXPECT_EQ(hostChunks, steps);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailFixture,
    ::testing::Values(
        FailCase{"SyncSilent", {.kind = BootFaultKind::Silent, .command = 0x7F}, 0, "ErrCO"},
        FailCase{"SyncNack", {.kind = BootFaultKind::Nack, .command = 0x7F}, 0, ""},
        FailCase{"GetNack", {.kind = BootFaultKind::Nack, .command = 0x00}, 1, ""},
        FailCase{"GetThreeBytes", {.kind = BootFaultKind::Short, .command = 0x00, .keep = 3}, 1, "ErrGT"},
        FailCase{"ReadAddressSilent", {.kind = BootFaultKind::Silent, .command = 0x11, .step = 2}, 2, "ErrRM"},
        FailCase{"ReadShort", {.kind = BootFaultKind::Short, .command = 0x11, .step = 3, .keep = 100}, 2, "ErrRM"},
        FailCase{"ReadNack", {.kind = BootFaultKind::Nack, .command = 0x11, .step = 3}, 2, ""},
        FailCase{"WriteLate", {.kind = BootFaultKind::Late, .command = 0x31, .step = 3, .delayMs = 2600}, 3, "ErrWM"},
        FailCase{"WriteNack", {.kind = BootFaultKind::Nack, .command = 0x31, .step = 1}, 3, ""},
        FailCase{"EraseSilent", {.kind = BootFaultKind::Silent, .command = 0x43, .step = 2}, 4, "ErrEE"},
        FailCase{"GoSilent", {.kind = BootFaultKind::Silent, .command = 0x21, .step = 1}, 5, "ErrGO"}),
    [](const ::testing::TestParamInfo<FailCase> &i) { return std::string(i.param.name); });

TEST_F(LinkFixture, ShortReadKeepsTheBytesThatCame)
{
    ASSERT_TRUE(link.BootSync());
    boot.addFault({.kind = BootFaultKind::Short, .command = 0x11, .step = 3, .keep = 3});
    EXPECT_FALSE(link.BootReadMem(0x9000, 4));
    EXPECT_EQ(Bytes(link.RdBuf.begin(), link.RdBuf.begin() + 3), (Bytes{0x5A, 0x5A, 0x00}));
    EXPECT_EQ(logTags(), QStringList{"ErrRM"});
}

TEST(BootLinkClosed, EveryOperationWaitsOutAndLogs)
{
    TempHome home;
    QDir(home.path()).mkdir("Log");
    BootLink link;
    EXPECT_FALSE(link.BootSync());
    EXPECT_FALSE(link.BootGo());
    const QString log = QString::fromUtf8(home.read("Log/" + errLogFileName(QDate::currentDate())));
    EXPECT_TRUE(log.contains("[ErrCO]no reply to synchronisation")) << log.toStdString();
    EXPECT_TRUE(log.contains("[ErrGO]no reply to command 0x21")) << log.toStdString();
}

// ---- synchronisation ----

TEST_F(LinkFixture, SynchronisesOnTheThirdTry)
{
    boot.addFault({.kind = BootFaultKind::Silent, .command = 0x7F, .count = 2});
    EXPECT_TRUE(link.Synchronise());
    EXPECT_TRUE(link.Synced);
    EXPECT_EQ(boot.hostBytes(), (Bytes{0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(chunks(boot.transcript(), false), std::vector<Bytes>{Ack});
    EXPECT_EQ(logTags(), (QStringList{"ErrCO", "ErrCO"}));
}

TEST_F(LinkFixture, ThreeFailedTriesFailSynchronisation)
{
    boot.addFault({.kind = BootFaultKind::Silent, .command = 0x7F, .count = 3});
    EXPECT_FALSE(link.Synchronise());
    EXPECT_FALSE(link.Synced);
    EXPECT_EQ(boot.hostBytes(), (Bytes{0x7F, 0x7F, 0x7F}));
}

TEST_F(LinkFixture, AnswerAfterTheWaitNeverAcknowledgesALaterStep)
{
    // The first ACK comes 2700 ms after the first 0x7F: after its wait ran
    // out (2000 ms) and before the second try (the pause is stretched to
    // 1500 ms). The second try must wait for its own ACK, so the Get reply
    // lines up and the type code is read from its fourth byte.
    link.Timer2->setInterval(1500);
    boot.addFault({.kind = BootFaultKind::Late, .command = 0x7F, .delayMs = 2700});
    ASSERT_TRUE(link.Synchronise());
    ASSERT_TRUE(link.BootGet());
    EXPECT_EQ(link.BootType, 10);
    EXPECT_EQ(link.BootVariant, 310);
    const auto t = boot.transcript();
    ASSERT_GE(t.size(), 5u);
    EXPECT_EQ(t[0].bytes, Bytes{0x7F});
    EXPECT_EQ(t[1].bytes, Ack) << "the late ACK";
    EXPECT_TRUE(t[2].fromHost);
    EXPECT_EQ(t[2].bytes, Bytes{0x7F}) << "the second try after the late ACK";
    EXPECT_EQ(t[3].bytes, Ack);
}

// ---- cancelling ----

TEST_F(LinkFixture, CancelEndsAWaitAndSendsNothingMore)
{
    ASSERT_TRUE(link.BootSync());
    boot.addFault({.kind = BootFaultKind::Silent, .command = 0x43, .step = 2});
    QTimer::singleShot(200, &link, [this] { link.cancel(); });
    EXPECT_FALSE(link.BootErase());
    EXPECT_FALSE(link.BootGo());
    EXPECT_EQ(boot.hostBytes(), (Bytes{0x7F, 0x43, 0xBC, 0xFF, 0x00}));
    EXPECT_TRUE(logTags().isEmpty()) << "a cancelled wait is no failure of the device";
}
