// The save door on a full disk: a replaced file keeps its earlier bytes, a
// new file never appears short under its name, an append that fails leaves
// at most a torn line that the next append cuts off; new files take the
// first free name, also where the file system can neither rename without
// replacing nor link.
#include "common/Files.h"
#include "common/FullDisk.h"

#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace qx;
using test::FullDisk;
using test::readFile;

namespace {

class SaveDoor : public ::testing::Test {
protected:
    QString file(const QString &name) const { return dir.filePath(name); }
    void put(const QString &name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    // Every entry of the folder, hidden ones too.
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir;
    const QByteArray earlier = "earlier\r\n";
    const QByteArray longer = QByteArray(2000, 'x') + "\r\n";
};

// The file system as one without the calls named, while it lives.
struct CallsMissing {
    explicit CallsMissing(unsigned calls) : before(savefile::detail::setMissing(calls)) {}
    ~CallsMissing()
    {
        savefile::detail::setMissing(before);
        savefile::detail::setBeforeRewrite({});
    }
    unsigned before;
};

} // namespace

TEST_F(SaveDoor, AFullDiskKeepsTheEarlierFileAndLeavesNothingBehind)
{
    // A disk full at once, and one that takes the first kilobyte.
    for (const rlim_t room : {rlim_t(0), rlim_t(1000)}) {
        SCOPED_TRACE(room);
        put("a.csv", earlier);
        QString why;
        {
            FullDisk full(room);
            ASSERT_TRUE(full.ok());
            EXPECT_FALSE(savefile::replace(file("a.csv"), longer, &why));
        }
        EXPECT_EQ(why, "File too large");
        EXPECT_EQ(readFile(file("a.csv")), earlier);
        EXPECT_EQ(entries(), QStringList{"a.csv"});

        // A new file: nothing under its name, nor a temporary file.
        QString made = "?";
        {
            FullDisk full(room);
            made = savefile::createNew(file("b.csv"), longer, &why);
        }
        EXPECT_EQ(made, "");
        EXPECT_EQ(why, "File too large");
        EXPECT_EQ(entries(), QStringList{"a.csv"});
    }
    // With room again both go through.
    EXPECT_TRUE(savefile::replace(file("a.csv"), longer));
    EXPECT_EQ(readFile(file("a.csv")), longer);
    EXPECT_EQ(savefile::createNew(file("b.csv"), longer), file("b.csv"));
    EXPECT_EQ(entries(), QStringList({"a.csv", "b.csv"}));
}

TEST_F(SaveDoor, AnAppendCutShortIsCutOffBeforeTheNextOne)
{
    put("run.bak", "head\r\n1\t1.00\t4.000\r\n");
    QString why;
    {
        // Room for part of the next line only.
        FullDisk full(25);
        EXPECT_FALSE(savefile::append(file("run.bak"), "2\t1.00\t3.990\r\n", &why));
    }
    EXPECT_EQ(why, "File too large");
    EXPECT_EQ(readFile(file("run.bak")), "head\r\n1\t1.00\t4.000\r\n2\t1.0");
    EXPECT_TRUE(savefile::append(file("run.bak"), "3\t1.00\t3.980\r\n"));
    EXPECT_EQ(readFile(file("run.bak")), "head\r\n1\t1.00\t4.000\r\n3\t1.00\t3.980\r\n");

    // A file of one torn line, and a missing file.
    put("torn.log", "no line end");
    EXPECT_TRUE(savefile::append(file("torn.log"), "x\r\n"));
    EXPECT_EQ(readFile(file("torn.log")), "x\r\n");
    EXPECT_TRUE(savefile::append(file("new.log"), "y\r\n"));
    EXPECT_EQ(readFile(file("new.log")), "y\r\n");
    EXPECT_FALSE(savefile::append(file("no-such-folder/z.log"), "z\r\n", &why));
    EXPECT_EQ(why, "No such file or directory");
}

TEST_F(SaveDoor, ANewFileTakesTheFirstFreeNameAndReplacesNone)
{
    const struct {
        const char *name;
        QStringList taken;
        const char *expect;
    } cases[] = {
        {"r.csv", {}, "r.csv"},
        {"r.csv", {"r.csv"}, "r-2.csv"},
        {"r.csv", {"r.csv", "r-2.csv"}, "r-3.csv"},
        {"r.csv", {"r.csv", "r-3.csv"}, "r-2.csv"},
        {"2024-3-5-9-7-3-QM-1.5-1-1.dat", {"2024-3-5-9-7-3-QM-1.5-1-1.dat"}, "2024-3-5-9-7-3-QM-1.5-1-1-2.dat"},
        {"plain", {"plain"}, "plain-2"},
    };
    // As on most file systems (rename without replace), as on those that
    // only have links, and as on those with neither.
    const struct {
        const char *way;
        unsigned missing;
    } ways[] = {
        {"by rename", 0},
        {"by link", savefile::detail::NoRenameNoReplace},
        {"by exclusive create", savefile::detail::NoRenameNoReplace | savefile::detail::NoLink},
    };
    for (const auto &way : ways) {
        const CallsMissing missing(way.missing);
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + way.way);
            QTemporaryDir d;
            for (const QString &t : c.taken) {
                QFile f(d.filePath(t));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(t.toUtf8());
            }
            EXPECT_EQ(savefile::createNew(d.filePath(c.name), "new\r\n"), d.filePath(c.expect));
            EXPECT_EQ(readFile(d.filePath(c.expect)), "new\r\n");
            for (const QString &t : c.taken)
                EXPECT_EQ(readFile(d.filePath(t)), t.toUtf8());
            QStringList all = c.taken;
            all << c.expect;
            all.sort();
            EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), all);
        }
    }
}

TEST_F(SaveDoor, WithoutRenameOrLinkAFailedWriteLeavesNoShortFile)
{
    const CallsMissing missing(savefile::detail::NoRenameNoReplace | savefile::detail::NoLink);
    put("r.csv", earlier);
    // The disk fills once the free name is made: the first kilobyte goes in.
    std::unique_ptr<FullDisk> full;
    savefile::detail::setBeforeRewrite([&] { full = std::make_unique<FullDisk>(1000); });
    QString why;
    EXPECT_EQ(savefile::createNew(file("r.csv"), longer, &why), "");
    EXPECT_TRUE(full && full->ok());
    savefile::detail::setBeforeRewrite({});
    full.reset();
    EXPECT_EQ(why, "File too large");
    EXPECT_EQ(entries(), QStringList{"r.csv"}) << "no r-2.csv cut short, no temporary file";
    EXPECT_EQ(readFile(file("r.csv")), earlier);

    // With room again the same save goes through, beside the earlier file.
    EXPECT_EQ(savefile::createNew(file("r.csv"), longer, &why), file("r-2.csv"));
    EXPECT_EQ(readFile(file("r-2.csv")), longer);
    EXPECT_EQ(readFile(file("r.csv")), earlier);
    EXPECT_EQ(entries(), QStringList({"r-2.csv", "r.csv"}));
}

TEST_F(SaveDoor, ATargetThatCannotBeAFileFails)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.csv"));
    QString why;
    EXPECT_FALSE(savefile::replace(file("taken.csv"), earlier, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(savefile::replace(file("no-such-folder/a.csv"), earlier, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(savefile::createNew(file("no-such-folder/a.csv"), earlier, &why), "");
    EXPECT_EQ(why, "No such file or directory");
    EXPECT_EQ(entries(), QStringList{"taken.csv"});
}
