// The save door on a full disk: a replaced file keeps its earlier bytes, a
// new file never appears short under its name, an append that fails leaves
// at most a torn line that the next append cuts off, also when the file is
// held open; a held file followed through what others do to it (moved
// aside, it keeps its lines and the later ones go under its name) and its
// lines kept through a kill; new files take the first free name, also where
// the file system can neither rename without replacing nor link.
#include "common/Files.h"
#include "common/FullDisk.h"

#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

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
    // Each append opening the file, and one Appender that holds the file
    // open from the first append on.
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "held open" : "opened each time");
        savefile::Appender appender;
        const auto append = [&](const char *name, const QByteArray &bytes, QString *why = nullptr) {
            return held ? appender.append(file(name), bytes, why) : savefile::append(file(name), bytes, why);
        };
        put("run.bak", "head\r\n");
        EXPECT_TRUE(append("run.bak", "1\t1.00\t4.000\r\n"));
        QString why;
        {
            // Room for part of the next line only.
            FullDisk full(25);
            EXPECT_FALSE(append("run.bak", "2\t1.00\t3.990\r\n", &why));
        }
        EXPECT_EQ(why, "File too large");
        EXPECT_EQ(readFile(file("run.bak")), "head\r\n1\t1.00\t4.000\r\n2\t1.0");
        EXPECT_TRUE(append("run.bak", "3\t1.00\t3.980\r\n"));
        EXPECT_EQ(readFile(file("run.bak")), "head\r\n1\t1.00\t4.000\r\n3\t1.00\t3.980\r\n");

        // A file of one torn line, and a missing file.
        put("torn.log", "no line end");
        EXPECT_TRUE(append("torn.log", "x\r\n"));
        EXPECT_EQ(readFile(file("torn.log")), "x\r\n");
        QFile::remove(file("new.log"));
        EXPECT_TRUE(append("new.log", "y\r\n"));
        EXPECT_EQ(readFile(file("new.log")), "y\r\n");
        EXPECT_FALSE(append("no-such-folder/z.log", "z\r\n", &why));
        EXPECT_EQ(why, "No such file or directory");
    }
}

TEST_F(SaveDoor, AnAppenderFollowsWhatOthersDoToItsFile)
{
    savefile::Appender a;
    const auto append = [&](const QByteArray &bytes) { return a.append(file("run.bak"), bytes); };
    ASSERT_TRUE(append("1\r\n"));
    const struct {
        const char *what;
        std::function<void()> change;
        QByteArray expect; // after appending "2\r\n"
    } cases[] = {
        {"a torn line added", [&] { test::appendTo(file("run.bak"), "1.5\t0"); }, "1\r\n2\r\n"},
        {"whole lines added", [&] { test::appendTo(file("run.bak"), "1.5\r\n"); }, "1\r\n1.5\r\n2\r\n"},
        {"emptied", [&] { put("run.bak", ""); }, "2\r\n"},
        {"rewritten shorter, torn", [&] { put("run.bak", "1"); }, "2\r\n"},
        {"removed", [&] { QFile::remove(file("run.bak")); }, "2\r\n"},
        {"replaced by another file", [&] { ASSERT_TRUE(savefile::replace(file("run.bak"), "0\r\n")); },
         "0\r\n2\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(savefile::replace(file("run.bak"), "1\r\n"));
        ASSERT_TRUE(append("")); // holds the file now on the disk
        c.change();
        EXPECT_TRUE(append("2\r\n"));
        EXPECT_EQ(readFile(file("run.bak")), c.expect);
    }
}

TEST_F(SaveDoor, AnAppenderFollowsTheNameWhenItsFileIsMovedAside)
{
    // A log moved aside while lines go on (kept by the user, a backup or a
    // rotation tool) keeps exactly the lines written before; the later ones
    // go under the name, into whatever file is there then.
    const struct {
        const char *what;
        std::function<void()> move;
        QByteArray underName; // before the later lines
    } cases[] = {
        {"renamed", [&] { ASSERT_TRUE(QFile::rename(file("run.bak"), file("kept.bak"))); }, ""},
        {"renamed, a new file made in its place",
         [&] {
             ASSERT_TRUE(QFile::rename(file("run.bak"), file("kept.bak")));
             put("run.bak", "new\r\n");
         },
         "new\r\n"},
        {"another file renamed over the name, the old one linked elsewhere",
         [&] {
             ASSERT_EQ(::link(QFile::encodeName(file("run.bak")).constData(),
                              QFile::encodeName(file("kept.bak")).constData()),
                       0);
             put("other", "0\r\n");
             ASSERT_EQ(::rename(QFile::encodeName(file("other")).constData(),
                                QFile::encodeName(file("run.bak")).constData()),
                       0);
         },
         "0\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file("run.bak"));
        QFile::remove(file("kept.bak"));
        savefile::Appender a;
        const auto append = [&](const QByteArray &line) { EXPECT_TRUE(a.append(file("run.bak"), line)); };
        append("head\r\n");
        append("1\t1.50\t4.000\r\n");
        append("2\t1.50\t3.990\r\n");
        c.move();
        append("3\t1.50\t3.980\r\n");
        append("4\t1.50\t3.970\r\n");
        EXPECT_EQ(readFile(file("kept.bak")), "head\r\n1\t1.50\t4.000\r\n2\t1.50\t3.990\r\n");
        EXPECT_EQ(readFile(file("run.bak")), c.underName + "3\t1.50\t3.980\r\n4\t1.50\t3.970\r\n");
        EXPECT_EQ(entries(), QStringList({"kept.bak", "run.bak"}));
    }
}

TEST_F(SaveDoor, LinesAppendedAreInTheFileWhenTheProcessIsKilled)
{
    // A process that appends lines through a held Appender and is killed
    // with SIGKILL at some moment: every line it had appended is in the
    // file, whole, and nothing but whole lines.
    constexpr int Lines = 200000;
    std::vector<QByteArray> lines;
    for (int n = 1; n <= Lines; ++n)
        lines.push_back(QByteArray::number(n) + "\t1.500\t4.000\r\n");
    savefile::Appender a;
    ASSERT_TRUE(a.append(file("run.bak"), "head\r\n")); // opened before the fork: no allocation after it
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const QString path = file("run.bak");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        for (int n = 0; n < Lines; ++n) {
            if (!a.append(path, lines[size_t(n)]))
                ::_exit(1);
            if (n % 1000 == 999) // tells how many lines went in
                (void)!::write(pipeFds[1], &n, sizeof n);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int told = -1, n = 0;
    while (told < 20000 && ::read(pipeFds[0], &n, sizeof n) == sizeof n)
        told = n;
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    while (::read(pipeFds[0], &n, sizeof n) == sizeof n)
        told = n;
    ::close(pipeFds[0]);

    const QByteArray all = readFile(path);
    ASSERT_TRUE(all.startsWith("head\r\n"));
    ASSERT_TRUE(all.endsWith("\r\n"));
    const QList<QByteArray> got = all.sliced(6, all.size() - 7).split('\n');
    ASSERT_GT(got.size(), told); // lines 1 to told + 1 were appended before the last word
    for (qsizetype i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i] + '\n', lines[size_t(i)]) << "line " << i + 1;
}

// The ways a file is made under a free name: as on most file systems
// (rename without replace), as on those that only have links, and as on
// those with neither.
const struct {
    const char *way;
    unsigned missing;
} SaveWays[] = {
    {"by rename", 0},
    {"by link", savefile::detail::NoRenameNoReplace},
    {"by exclusive create", savefile::detail::NoRenameNoReplace | savefile::detail::NoLink},
};

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
    for (const auto &way : SaveWays) {
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

TEST_F(SaveDoor, AFileKeptAsideTakesTheFirstFreeNameAndIsNeverLost)
{
    for (const auto &way : SaveWays) {
        SCOPED_TRACE(way.way);
        const CallsMissing missing(way.missing);
        QTemporaryDir d;
        const QString log = d.filePath(QStringLiteral("qx-QM-16-COM3-1-1.bak"));
        const QString kept = d.filePath(QStringLiteral("qx-QM-16-COM3-1-1-2026-12-11-9-5-3.bak"));
        for (const QString &taken : {QString(), kept}) {
            if (!taken.isEmpty()) {
                QFile f(taken);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write("kept before\r\n");
            }
            QFile f(log);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("the old run\r\n");
            f.close();
            const QString expect = taken.isEmpty() ? kept : d.filePath(QStringLiteral("qx-QM-16-COM3-1-1-2026-12-11-9-5-3-2.bak"));
            EXPECT_EQ(savefile::keepAside(log, kept), expect);
            EXPECT_FALSE(QFile::exists(log));
            EXPECT_EQ(readFile(expect), "the old run\r\n");
        }
        EXPECT_EQ(readFile(kept), "kept before\r\n");
        EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
    // A file that is not there stays not there, and says why.
    QString reason;
    EXPECT_TRUE(savefile::keepAside(file(QStringLiteral("none.bak")), file(QStringLiteral("kept.bak")), &reason).isEmpty());
    EXPECT_EQ(reason.toStdString(), "No such file or directory");
}
