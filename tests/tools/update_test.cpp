// The firmware-update window against the simulated boot loader through the
// real serial layer: Identify and Update with the exact bytes, the image in
// the device's memory afterwards, every fault ending in "Update failed" with
// its log tag, the port that a connection holds, images that are refused,
// the buttons during an exchange and closing the window while it waits.
#include "BootFixture.h"

#include "link/COMM.h"
#include "services/State.h"
#include "panel/ucProgressBar.h"
#include "tools/BootLink.h"
#include "tools/FirmwareTable.h"
#include "tools/frmUpdate.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <optional>

using namespace qx;
using namespace qx::test;
using qx::sim::BootFault;
using qx::sim::BootFaultKind;
using qx::sim::BootSimOptions;

namespace {

void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

const Bytes Block1 = repeat({0x12, 0x34}, 64);
const Bytes Tail = {0x01, 0x02, 0x04};
// A two-block test image: 128 bytes 12 34 ..., then 01 02 04.
QByteArray smallImage()
{
    const Bytes all = cat({Block1, Tail});
    return QByteArray(reinterpret_cast<const char *>(all.data()), qsizetype(all.size()));
}

// What Identify sends for a type 10 device: sync, Get, variant read.
const std::vector<Bytes> IdentifyBytes = {{0x7F}, {0x00, 0xFF}, {0x11, 0xEE}, {0x00, 0x00, 0x40, 0x02, 0x42}, {0x01, 0xFE}};

struct UpdateFixture : BootFixture {
    explicit UpdateFixture(BootSimOptions o = {}) : BootFixture(o) {}
    ~UpdateFixture() override
    {
        frmUpdateForm().unload();
        settle();
        qx::DlgDone = false;
    }

    // The window as the menu shows it, on the given port name, with images
    // from `image` (when set) or from the program's resources.
    frmUpdate &open(const QString &port = QStringLiteral("COM3"))
    {
        frmUpdate &w = frmUpdateForm().get();
        w.host.portName = [port] { return port; };
        w.host.enableTabs = [this] { ++tabsEnabled; };
        w.imageSource = [this](int id) {
            requested.push_back(id);
            return image ? *image : firmware::loadImage(id);
        };
        QObject::connect(w.pbFw, &ucProgressBar::Change, [this, p = w.pbFw] { progress.push_back(p->Value()); });
        QObject::connect(&w, &QDialog::finished, [this] { ++unloads; });
        w.show();
        return w;
    }
    // Opened and identified, with the messages and the wire cleared.
    frmUpdate &identified()
    {
        ui.msgs.clear();
        frmUpdate &w = open();
        w.cmdOpen_Click();
        EXPECT_EQ(ui.msgTexts(), QStringList{"Success! Please select device type"});
        EXPECT_TRUE(w.cmdUpdate->isEnabled());
        boot.clearTranscript();
        ui.msgs.clear();
        return w;
    }
    bool closed()
    {
        settle();
        return !frmUpdateForm().isLoaded() && unloads == 1 && tabsEnabled == 1 && qx::DlgDone;
    }
    bool portFree()
    {
        int32_t h = COMM::OpenComm(3);
        const bool free = h != 0;
        COMM::CloseComm(h);
        return free;
    }

    std::optional<QByteArray> image; // unset: the program's own images
    std::vector<int> requested, progress;
    int tabsEnabled = 0, unloads = 0;
};

} // namespace

TEST_F(UpdateFixture, LoadsWithItsCaptionAndUpdateDisabled)
{
    qx::CurDev = 2;
    frmUpdate &w = open();
    qx::CurDev = 0;
    EXPECT_EQ(w.windowTitle(), "Firmware Update--Device3");
    EXPECT_FALSE(w.cmdUpdate->isEnabled());
    EXPECT_TRUE(w.cmdOpen->isEnabled());
    EXPECT_EQ(w.cmbDev->count(), 0);
    EXPECT_EQ(w.pbFw->Value(), 0);
    EXPECT_FALSE(w.link().PortOpen()) << "the port opens with Identify";
    EXPECT_TRUE(boot.transcript().empty());
}

TEST_F(UpdateFixture, IdentifyThenUpdateWritesVerifiesAndStarts)
{
    image = smallImage();
    frmUpdate &w = open();
    w.cmdOpen_Click();
    EXPECT_EQ(w.cmbDev->currentText(), "QM-53");
    ASSERT_EQ(ui.msgTexts(), QStringList{"Success! Please select device type"});
    EXPECT_EQ(ui.msgs.back().style, MbInformation);
    EXPECT_EQ(ui.msgs.back().title, "Prompt");

    w.cmdUpdate_Click();
    EXPECT_EQ(requested, std::vector<int>{101}) << "QM-53 loads image 101";
    ASSERT_EQ(ui.msgTexts(), (QStringList{"Success! Please select device type", "Update OK"}));
    EXPECT_EQ(ui.msgs.back().style, MbInformation);
    EXPECT_EQ(progress, (std::vector<int>{128, 131}));

    std::vector<Bytes> host = IdentifyBytes;
    const std::vector<Bytes> update = {
        {0x00, 0xFF}, {0x11, 0xEE}, {0x00, 0x00, 0x40, 0x02, 0x42}, {0x01, 0xFE}, // Get again
        {0x43, 0xBC}, {0xFF, 0x00},                                                // erase all
        {0x31, 0xCE}, {0x00, 0x00, 0x90, 0x00, 0x90}, cat({{0x7F}, Block1, {0x7F}}),
        {0x11, 0xEE}, {0x00, 0x00, 0x90, 0x00, 0x90}, {0x7F, 0x80},
        {0x31, 0xCE}, {0x00, 0x00, 0x90, 0x80, 0x10}, {0x02, 0x01, 0x02, 0x04, 0xB6},
        {0x11, 0xEE}, {0x00, 0x00, 0x90, 0x80, 0x10}, {0x02, 0xFD},
        {0x21, 0xDE}, {0x00, 0x00, 0x90, 0x00, 0x90}};
    host.insert(host.end(), update.begin(), update.end());
    EXPECT_EQ(chunks(boot.transcript(), true), host);

    EXPECT_EQ(boot.memory(0x9000, 132), cat({Block1, Tail, {0xFF}}));
    EXPECT_EQ(boot.erases(), 1);
    EXPECT_EQ(boot.goAddress(), 0x9000);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(portFree());
    EXPECT_TRUE(logTags().isEmpty());
}

TEST_F(UpdateFixture, FullSizeImageFromTheProgramsResources)
{
    // Image 101 holds 12120 bytes: 94 blocks of 128 and one of 88.
    frmUpdate &w = open();
    w.cmdOpen_Click();
    w.cmdUpdate_Click();
    ASSERT_EQ(ui.msgTexts().back(), "Update OK");
    QFile f(":/firmware/101.bin");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray img = f.readAll();
    ASSERT_EQ(img.size(), 12120);
    const Bytes mem = boot.memory(0x9000, 12120);
    EXPECT_TRUE(std::equal(mem.begin(), mem.end(), reinterpret_cast<const uint8_t *>(img.constData())));
    EXPECT_EQ(boot.memory(0x9000 + 12120, 1), Bytes{0xFF});
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.size(), 95u);
    EXPECT_EQ(progress.back(), 12120);
    // The last block: 88 bytes (count byte 0x57) at 0x9000 + 94 * 128 = 0xBF00.
    const auto host = chunks(boot.transcript(), true);
    const auto last = std::find(host.begin(), host.end(), Bytes{0x00, 0x00, 0xBF, 0x00, 0xBF});
    ASSERT_NE(last, host.end());
    ASSERT_LT(last + 1, host.end());
    EXPECT_EQ((last + 1)->size(), 90u);
    EXPECT_EQ((last + 1)->front(), 0x57);
    EXPECT_TRUE(closed());
}

struct Type26Update : UpdateFixture {
    Type26Update() : UpdateFixture({.type = 26, .variant = 0x0102}) {}
};

TEST_F(Type26Update, NoModelOfferedAndQM59WritesFrom8C00)
{
    frmUpdate &w = open();
    w.cmdOpen_Click();
    ASSERT_EQ(ui.msgTexts(), QStringList{"Firmware is the latest:26-258"});
    EXPECT_EQ(ui.msgs.back().style, MbInformation);
    EXPECT_EQ(w.cmbDev->count(), 0);
    EXPECT_FALSE(w.cmdUpdate->isEnabled());
    EXPECT_TRUE(w.isVisible()) << "the window stays as it was";
    EXPECT_TRUE(w.link().PortOpen());

    // The name that Identify never offers still has its image.
    image = smallImage();
    w.cmbDev->addItem("QM-59");
    boot.clearTranscript();
    w.cmdUpdate_Click();
    EXPECT_EQ(requested, std::vector<int>{231});
    EXPECT_EQ(ui.msgTexts().back(), "Update OK");
    const auto host = chunks(boot.transcript(), true);
    EXPECT_NE(std::find(host.begin(), host.end(), Bytes{0x00, 0x00, 0x8C, 0x80, 0x0C}), host.end());
    EXPECT_EQ(host.back(), (Bytes{0x00, 0x00, 0x8C, 0x00, 0x8C}));
    EXPECT_EQ(boot.memory(0x8C00, 131), cat({Block1, Tail}));
    EXPECT_EQ(boot.goAddress(), 0x8C00);
}

struct NoModel : UpdateFixture {
    NoModel() : UpdateFixture({.variant = 312}) {}
};

TEST_F(NoModel, ShowsTheTypeAndVariantAndKeepsThePortOpen)
{
    frmUpdate &w = open();
    w.cmdOpen_Click();
    EXPECT_EQ(ui.msgTexts(), QStringList{"Firmware is the latest:10-312"});
    EXPECT_TRUE(w.cmdOpen->isEnabled());
    EXPECT_FALSE(w.cmdUpdate->isEnabled());
    EXPECT_FALSE(portFree());
}

TEST_F(UpdateFixture, SecondIdentifyGoesStraightToGetAndAddsTheModelAgain)
{
    frmUpdate &w = identified();
    w.cmdOpen_Click();
    EXPECT_EQ(chunks(boot.transcript(), true),
              (std::vector<Bytes>{{0x00, 0xFF}, {0x11, 0xEE}, {0x00, 0x00, 0x40, 0x02, 0x42}, {0x01, 0xFE}}));
    ASSERT_EQ(w.cmbDev->count(), 2);
    EXPECT_EQ(w.cmbDev->itemText(1), "QM-53");
    EXPECT_EQ(w.cmbDev->currentIndex(), 1);
}

TEST_F(UpdateFixture, IdentifyFailureClosesTheWindow)
{
    boot.addFault({.kind = BootFaultKind::Nack, .command = 0x00});
    frmUpdate &w = open();
    w.cmdOpen_Click();
    ASSERT_EQ(ui.msgTexts(), QStringList{"Failed! Please check TTL cable"});
    EXPECT_EQ(ui.msgs.back().style, MbCritical);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(portFree());
}

TEST_F(UpdateFixture, NoSynchronisationAfterThreeTries)
{
    boot.addFault({.kind = BootFaultKind::Silent, .command = 0x7F, .count = 3});
    open().cmdOpen_Click();
    EXPECT_EQ(ui.msgTexts(), QStringList{"Failed! Please check TTL cable"});
    EXPECT_EQ(boot.hostBytes(), (Bytes{0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(logTags(), (QStringList{"ErrCO", "ErrCO", "ErrCO"}));
    EXPECT_TRUE(closed());
}

// ---- the port ----

TEST_F(UpdateFixture, WrongPortWhenAConnectionHoldsItOrThereIsNone)
{
    int32_t held = COMM::OpenComm(3); // a device tab connected on COM3
    ASSERT_NE(held, 0);
    for (const QString &name : {QStringLiteral("COM3"), QString(), QStringLiteral("COMx")}) {
        SCOPED_TRACE(name.toStdString());
        ui.msgs.clear();
        frmUpdate &w = open(name);
        w.cmdOpen_Click();
        ASSERT_EQ(ui.msgTexts(), QStringList{"Wrong Port!"});
        EXPECT_EQ(ui.msgs.back().style, MbCritical);
        EXPECT_TRUE(w.isVisible()) << "the window stays open";
        EXPECT_TRUE(w.cmdOpen->isEnabled());
        EXPECT_FALSE(w.link().PortOpen());
        frmUpdateForm().unload();
    }
    EXPECT_TRUE(boot.transcript().empty()) << "nothing reached the device";
    COMM::CloseComm(held);
    // Free again: Identify goes through.
    open().cmdOpen_Click();
    EXPECT_EQ(ui.msgTexts().back(), "Success! Please select device type");
}

// ---- refused images ----

TEST_F(UpdateFixture, ImageMissingEmptyOrTooLongIsRefusedBeforeAnyByte)
{
    struct Case {
        const char *what;
        QByteArray image;
    };
    // From 0x9000 an image may take 0x7000 bytes (up to 0xFFFF).
    for (const Case &c : {Case{"missing", QByteArray()}, Case{"empty", QByteArray("")}, Case{"0x7001 bytes", QByteArray(0x7001, 'x')}}) {
        SCOPED_TRACE(c.what);
        QDir(home.path()).remove("Log/" + errLogFileName(QDate::currentDate()));
        tabsEnabled = unloads = 0;
        frmUpdate &w = identified();
        image = c.image;
        w.cmdUpdate_Click();
        ASSERT_EQ(ui.msgTexts(), QStringList{"Update failed"});
        EXPECT_EQ(ui.msgs.back().style, MbCritical);
        EXPECT_TRUE(boot.transcript().empty());
        EXPECT_EQ(boot.erases(), 0);
        EXPECT_EQ(logTags(), QStringList{"ErrImage"});
        EXPECT_TRUE(closed());
    }
}

TEST_F(UpdateFixture, ImageUpToTheAddressLimitIsWritten)
{
    image = QByteArray(0x7000, '\x3C');
    frmUpdate &w = identified();
    w.cmdUpdate_Click();
    EXPECT_EQ(ui.msgTexts().back(), "Update OK");
    EXPECT_EQ(boot.memory(0xFF80, 128), Bytes(128, 0x3C));
    EXPECT_EQ(progress.back(), 0x7000);
}

// ---- faults during the update ----

struct UpdateFault {
    const char *name;
    BootFault fault;
    const char *tag; // "" = none: a NACK is not logged
    Bytes lastSent;  // the last bytes the program sent
};
void PrintTo(const UpdateFault &c, std::ostream *os) { *os << c.name; }

struct UpdateFaultFixture : UpdateFixture, ::testing::WithParamInterface<UpdateFault> {};

TEST_P(UpdateFaultFixture, EndsWithUpdateFailedAndNothingMore)
{
    const UpdateFault c = GetParam();
    image = smallImage();
    frmUpdate &w = identified();
    boot.addFault(c.fault);
    w.cmdUpdate_Click();
    ASSERT_EQ(ui.msgTexts(), QStringList{"Update failed"});
    EXPECT_EQ(ui.msgs.back().style, MbCritical);
    EXPECT_EQ(logTags(), *c.tag ? QStringList{c.tag} : QStringList{});
    const auto host = chunks(boot.transcript(), true);
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(host.back(), c.lastSent);
    EXPECT_EQ(boot.goAddress(), -1);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(portFree());
}

// Reads so far: Identify's variant (1st), Update's variant (2nd), then the
// read-back of block 1 (3rd) and block 2 (4th). Gets: Identify 1st, Update 2nd.
INSTANTIATE_TEST_SUITE_P(
    Faults, UpdateFaultFixture,
    ::testing::Values(
        UpdateFault{"GetNack", {.kind = BootFaultKind::Nack, .command = 0x00, .nth = 2}, "", {0x00, 0xFF}},
        UpdateFault{"GetSilent", {.kind = BootFaultKind::Silent, .command = 0x00, .nth = 2}, "ErrGT", {0x00, 0xFF}},
        UpdateFault{"EraseNack", {.kind = BootFaultKind::Nack, .command = 0x43}, "", {0x43, 0xBC}},
        UpdateFault{"EraseSilent", {.kind = BootFaultKind::Silent, .command = 0x43, .step = 2}, "ErrEE", {0xFF, 0x00}},
        UpdateFault{"SecondWriteNack", {.kind = BootFaultKind::Nack, .command = 0x31, .step = 3, .nth = 2}, "",
                    {0x02, 0x01, 0x02, 0x04, 0xB6}},
        UpdateFault{"WriteAddressLate", {.kind = BootFaultKind::Late, .command = 0x31, .step = 2, .delayMs = 2600},
                    "ErrWM", {0x00, 0x00, 0x90, 0x00, 0x90}},
        UpdateFault{"ReadBackSilent", {.kind = BootFaultKind::Silent, .command = 0x11, .step = 3, .nth = 3}, "ErrRM",
                    {0x7F, 0x80}},
        UpdateFault{"ReadBackShort", {.kind = BootFaultKind::Short, .command = 0x11, .step = 3, .nth = 4, .keep = 2},
                    "ErrRM", {0x02, 0xFD}},
        UpdateFault{"ReadBackCorrupt", {.kind = BootFaultKind::CorruptRead, .command = 0x11, .step = 3, .nth = 3},
                    "ErrVerify", {0x7F, 0x80}},
        UpdateFault{"GoNack", {.kind = BootFaultKind::Nack, .command = 0x21}, "", {0x21, 0xDE}},
        UpdateFault{"GoSilent", {.kind = BootFaultKind::Silent, .command = 0x21, .step = 2}, "ErrGO",
                    {0x00, 0x00, 0x90, 0x00, 0x90}}),
    [](const ::testing::TestParamInfo<UpdateFault> &i) { return std::string(i.param.name); });

// ---- during an exchange ----

TEST_F(UpdateFixture, ButtonsAreDisabledWhileAnExchangeWaits)
{
    image = smallImage();
    // Each Get reply comes 400 ms late, so the checks below run during it.
    boot.addFault({.kind = BootFaultKind::Late, .command = 0x00, .count = 2, .delayMs = 400});
    frmUpdate &w = open();
    std::vector<std::pair<bool, bool>> during; // (Identify, Update) enabled
    const auto look = [&] {
        QTimer::singleShot(150, &w, [&] {
            during.push_back({w.cmdOpen->isEnabled(), w.cmdUpdate->isEnabled()});
            const size_t before = boot.hostBytes().size();
            w.cmdOpen_Click(); // a second start does nothing
            w.cmdUpdate_Click();
            EXPECT_EQ(boot.hostBytes().size(), before);
        });
    };
    look();
    w.cmdOpen_Click();
    EXPECT_TRUE(w.cmdOpen->isEnabled());
    EXPECT_TRUE(w.cmdUpdate->isEnabled());
    look();
    w.cmdUpdate_Click();
    EXPECT_EQ(during, (std::vector<std::pair<bool, bool>>{{false, false}, {false, false}}));
    EXPECT_EQ(ui.msgTexts(), (QStringList{"Success! Please select device type", "Update OK"}));
}

TEST_F(UpdateFixture, StoppingAnUpdateHalfWayIsAskedAndLogged)
{
    const QString Ask = "Stop the update? The device will need a new update.";
    struct Case {
        const char *how;
        void (*close)(frmUpdate &);
        QStringList asked;
    };
    const Case cases[] = {
        {"closed by the user", [](frmUpdate &w) { w.close(); }, {Ask}},
        {"the program ending", [](frmUpdate &) { frmUpdateForm().unload(); }, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        tabsEnabled = unloads = 0;
        qx::DlgDone = false;
        image = smallImage();
        boot.addFault({.kind = BootFaultKind::Silent, .command = 0x31, .step = 3, .nth = int(&c - cases) + 1});
        frmUpdate &w = identified();
        ui.msgAnswers = {MrOk};
        QTimer::singleShot(300, qApp, [&w, &c] { c.close(w); });
        w.cmdUpdate_Click(); // returns once the wait is cancelled
        EXPECT_EQ(ui.msgTexts(), c.asked) << "no \"Update failed\" after a stop";
        if (!c.asked.isEmpty()) {
            ASSERT_FALSE(ui.msgs.empty());
            EXPECT_EQ(ui.msgs[0].style, MbOkCancel | MbInformation | MbDefaultButton2) << "Cancel is the default";
        }
        EXPECT_TRUE(closed());
        EXPECT_TRUE(portFree());
        const auto host = chunks(boot.transcript(), true);
        ASSERT_FALSE(host.empty());
        EXPECT_EQ(host.back(), cat({{0x7F}, Block1, {0x7F}})) << "nothing after the packet that got no answer";
        EXPECT_EQ(logTags(), QStringList{"ErrUpdate"});
        const QString log = QString::fromUtf8(home.read(QStringLiteral("Log/") + errLogFileName(QDate::currentDate())));
        EXPECT_TRUE(log.contains("COM3: the update was stopped before it finished; the device needs a new update"))
            << log.toStdString();
        QFile::remove(home.file(QStringLiteral("Log/") + errLogFileName(QDate::currentDate())));
        boot.clearTranscript();
        ui.msgs.clear();
    }
}

TEST_F(UpdateFixture, AStopThatIsDeclinedLetsTheUpdateFinish)
{
    image = smallImage();
    // The first block's answer comes late, so the close comes during its wait.
    boot.addFault({.kind = BootFaultKind::Late, .command = 0x31, .step = 3, .delayMs = 600});
    frmUpdate &w = identified();
    ui.msgAnswers = {MrCancel};
    bool stayed = false;
    QTimer::singleShot(300, qApp, [&w, &stayed] { stayed = !w.close() && w.isVisible(); });
    w.cmdUpdate_Click();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(ui.msgTexts(), (QStringList{"Stop the update? The device will need a new update.", "Update OK"}));
    EXPECT_TRUE(closed());
    EXPECT_TRUE(logTags().isEmpty());
}

TEST_F(UpdateFixture, StoppingAnIdentifyIsAskedToo)
{
    boot.addFault({.kind = BootFaultKind::Late, .command = 0x00, .delayMs = 600});
    frmUpdate &w = open();
    ui.msgAnswers = {MrOk};
    QTimer::singleShot(300, qApp, [&w] { w.close(); });
    w.cmdOpen_Click();
    EXPECT_EQ(ui.msgTexts(), QStringList{"Stop identifying?"});
    EXPECT_TRUE(closed());
    EXPECT_TRUE(portFree());
    EXPECT_TRUE(logTags().isEmpty()) << "the device's firmware was not touched";
}

TEST_F(UpdateFixture, ButtonClickRunsTheExchange)
{
    frmUpdate &w = open();
    w.cmdOpen->click();
    for (int i = 0; i < 200 && ui.msgs.empty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ui.msgTexts(), QStringList{"Success! Please select device type"});
}

// ---- tables ----

TEST(FirmwareTable, ModelsForTypeAndVariant)
{
    struct Case {
        int type, variant;
        const char *model;
    };
    for (const Case &c : {Case{5, 0, ""}, {5, 7, "QM-37"}, {6, 0, "QM-49"}, {9, 123, "QM-40"}, {10, 310, "QM-53"},
                          {10, 311, "QM-41"}, {10, 312, ""}, {19, 0, ""}, {19, 1, "QM-54"}, {26, 0, ""}, {26, 309, ""},
                          {27, 309, "QM-55"}, {27, 310, ""}, {28, 306, "QM-56"}, {28, 307, "QM-57"}, {36, -5, "QM-31"},
                          {39, 309, "QM-58"}, {39, 0, ""}}) {
        EXPECT_EQ(firmware::modelFor(c.type, c.variant), QLatin1String(c.model)) << c.type << "-" << c.variant;
    }
}

TEST(FirmwareTable, ImagesForModelsAndTheirSizes)
{
    struct Case {
        const char *model;
        int type, id;
    };
    for (const Case &c : {Case{"QM-37", 5, 51}, {"QM-53", 10, 101}, {"QM-41", 10, 102}, {"QM-54", 19, 191},
                          {"QM-59", 26, 231}, {"QM-55", 27, 271}, {"QM-56", 28, 283}, {"QM-57", 28, 284},
                          {"QM-58", 39, 392}, {"QM-49", 6, 6}, {"QM-40", 9, 9}, {"QM-31", 36, 36}, {"", 77, 77}}) {
        EXPECT_EQ(firmware::imageIdFor(QLatin1String(c.model), c.type), c.id) << c.model;
    }
    // Thirteen placeholder images of about 10 to 17 KB, each ending below
    // the address limit from 0x9000.
    for (const int id : {6, 9, 36, 51, 101, 102, 191, 231, 271, 283, 284, 391, 392}) {
        const QByteArray img = firmware::loadImage(id);
        EXPECT_GE(img.size(), 10000) << id;
        EXPECT_LE(img.size(), 17408) << id;
    }
    EXPECT_TRUE(firmware::loadImage(77).isEmpty());
}
