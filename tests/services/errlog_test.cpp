#include "services/ErrLog.h"
#include "common/FakeUi.h"
#include "common/FullDisk.h"
#include "common/TempHome.h"
#include "platform/Guard.h"
#include "platform/QxError.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace qx;
using qx::test::TempHome;

namespace {

// A home folder with a Log folder and a clock the test sets.
struct LogFixture : ::testing::Test {
    TempHome home;
    QDateTime now{QDate(2026, 12, 9), QTime(14, 3, 7)};
    ErrLogClock previous;

    void SetUp() override
    {
        QDir(home.path()).mkdir("Log");
        previous = setErrLogClock([this] { return now; });
    }
    void TearDown() override { setErrLogClock(previous); }
    QByteArray log(const char *name) const { return home.read(QStringLiteral("Log/") + name); }
};

} // namespace

TEST(ErrLogName, PlainNumbersWithoutLeadingZeros)
{
    struct { QDate day; const char *name; } cases[] = {
        {QDate(2026, 12, 9), "qx-2026129.log"},
        {QDate(2026, 11, 15), "qx-20261115.log"},
        {QDate(2027, 1, 1), "qx-202711.log"},
        {QDate(2026, 1, 11), "qx-2026111.log"}, // shares its name with 1 November
    };
    for (const auto &c : cases)
        EXPECT_EQ(errLogFileName(c.day), c.name);
}

TEST_F(LogFixture, EntriesAppendOneLineEach)
{
    ErrLog("ErrComm", "Overflow");
    now = now.addSecs(60);
    ErrLog("ErrStart8");
    EXPECT_EQ(log("qx-2026129.log"),
              "2026-12-09 14:03:07 V1.8.9:[ErrComm]Overflow\r\n"
              "2026-12-09 14:04:07 V1.8.9:[ErrStart8]\r\n");
}

TEST_F(LogFixture, AfterMidnightANewFileBegins)
{
    now = QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59));
    ErrLog("ErrTmrShow", "a");
    now = now.addSecs(2);
    ErrLog("ErrTmrShow", "b");
    EXPECT_EQ(log("qx-2026129.log"), "2026-12-09 23:59:59 V1.8.9:[ErrTmrShow]a\r\n");
    EXPECT_EQ(log("qx-20261210.log"), "2026-12-10 00:00:01 V1.8.9:[ErrTmrShow]b\r\n");
}

TEST_F(LogFixture, AnEntryStaysOneLineAndUtf8)
{
    ErrLog("ErrData0 31.5-30 1.2-5", QString::fromUtf8("第一\r\n第二\n"));
    EXPECT_EQ(log("qx-2026129.log"),
              QByteArray("2026-12-09 14:03:07 V1.8.9:[ErrData0 31.5-30 1.2-5]第一 第二 \r\n"));
}

TEST_F(LogFixture, WithoutLogFolderNothingIsWrittenOrCreated)
{
    ASSERT_TRUE(QDir(home.file("Log")).removeRecursively());
    ErrLog("ErrComm", "x");
    EXPECT_FALSE(QDir(home.file("Log")).exists());
    // A file named Log is no folder either.
    home.write("Log", "");
    ErrLog("ErrComm", "x");
    EXPECT_EQ(home.read("Log"), QByteArray());
}

TEST_F(LogFixture, AnEntryThatCannotBeWrittenIsDroppedAlone)
{
    // A folder where the day's file should be: the entry is lost, nothing
    // else is written or created, and no message is shown.
    test::FakeUi ui;
    QDir log(home.file("Log"));
    log.mkdir("qx-2026129.log");
    ErrLog("ErrComm", "lost");
    EXPECT_EQ(log.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"qx-2026129.log"});
    EXPECT_TRUE(QDir(log.filePath("qx-2026129.log")).isEmpty());
    EXPECT_TRUE(ui.msgs.empty());
    // Once the file can be written the next entry goes in, alone.
    ASSERT_TRUE(log.rmdir("qx-2026129.log"));
    ErrLog("ErrComm", "kept");
    EXPECT_EQ(this->log("qx-2026129.log"), "2026-12-09 14:03:07 V1.8.9:[ErrComm]kept\r\n");
}

TEST_F(LogFixture, AnEntryCutShortByAFullDiskIsNotContinued)
{
    const QByteArray first = "2026-12-09 14:03:07 V1.8.9:[ErrComm]first\r\n";
    EXPECT_TRUE(ErrLog("ErrComm", "first"));
    {
        // Room for part of the next entry only.
        test::FullDisk full(first.size() + 20);
        EXPECT_FALSE(ErrLog("ErrBak", "cut short"));
    }
    EXPECT_EQ(log("qx-2026129.log").size(), first.size() + 20);
    EXPECT_TRUE(ErrLog("ErrComm", "third"));
    EXPECT_EQ(log("qx-2026129.log"), first + "2026-12-09 14:03:07 V1.8.9:[ErrComm]third\r\n");
}

TEST_F(LogFixture, UnhandledFailuresGoToTheLog)
{
    installErrLogSink();
    guarded("ErrGuard", [] { qx::raise(ErrSubscript); });
    setUnhandledSink(nullptr);
    EXPECT_EQ(log("qx-2026129.log"),
              ("2026-12-09 14:03:07 V1.8.9:[ErrGuard]" + errorText(ErrSubscript) + "\r\n").toUtf8());
}
