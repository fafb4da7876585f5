#include "platform/IniFile.h"
#include "common/FullDisk.h"
#include "common/QtPrint.h"
#include "common/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <thread>

using namespace qx;
using qx::test::TempHome;

namespace {
const QByteArray comment(";--------QX Config File----------\r\n");
}

TEST(Profile, ReadFindsNamesWithoutRegardToCase)
{
    TempHome home;
    home.write("qx.ini", comment + "[COMM]\nPORT1=3\n [Data] \r\n  vCol0 = 255  \r\nEMPTY=\r\n; X=1\r\n");
    const QString ini = home.file("qx.ini");
    struct { const char *section, *key; std::optional<QString> value; } cases[] = {
        {"COMM", "PORT1", "3"},
        {"comm", "port1", "3"},
        {"DATA", "VCOL0", "255"},   // blanks around names and values are dropped
        {"DATA", "EMPTY", ""},      // present, empty
        {"DATA", "; X", std::nullopt}, // comment line
        {"DATA", "PORT1", std::nullopt}, // key of another section
        {"AUTO", "SAVE", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(profile::read(ini, c.section, c.key), c.value) << c.section << " " << c.key;
}

TEST(Profile, AFileInAWindowsCodePageReadsAsWrittenAndIsWrittenBackInUtf8)
{
    const struct {
        QByteArray title; // as the file holds it
        const char *text; // UTF-8
    } cases[] = {
        {"Akku Pr\xFC" "fung 5\xB0" "C", "Akku Prüfung 5°C"},
        {"\xB5\xE7\xB3\xD8\xB2\xE2\xCA\xD4", "电池测试"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        TempHome home;
        const QString ini = home.file("qx.ini");
        home.write("qx.ini", comment + "[DATA]\r\nTITLE=" + c.title + "\r\n;" + c.title + "\r\n");
        EXPECT_EQ(profile::read(ini, "DATA", "TITLE"), QString::fromUtf8(c.text));
        ASSERT_TRUE(profile::write(ini, "COMM", "PORT1", "3"));
        EXPECT_EQ(home.read("qx.ini"), comment + "[DATA]\r\nTITLE=" + c.text + "\r\n;" + c.text +
                                           "\r\n[COMM]\r\nPORT1=3\r\n");
        EXPECT_EQ(profile::read(ini, "DATA", "TITLE"), QString::fromUtf8(c.text));
    }
}

TEST(Profile, ReadOfAMissingFileCreatesNothing)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), std::nullopt);
    EXPECT_FALSE(QFile::exists(ini));
}

TEST(Profile, FirstWriteCreatesFileAndSection)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    ASSERT_TRUE(profile::write(ini, "COMM", "PORT1", "5"));
    EXPECT_EQ(home.read("qx.ini"), QByteArray("[COMM]\r\nPORT1=5\r\n"));
    // A folder that does not exist is not created.
    EXPECT_FALSE(profile::write(home.file("nodir/qx.ini"), "COMM", "PORT1", "5"));
}

TEST(Profile, WriteChangesOnlyItsValue)
{
    TempHome home;
    // LF and CR LF mixed, a last line without line end, unknown lines.
    const QByteArray before = comment
        + "[COMM]\nPORT1=3\nPORT2=4\n\n[DATA]\r\nvcol0=255\r\nstray line\r\nLINE=2";
    home.write("qx.ini", before);
    const QString ini = home.file("qx.ini");

    struct { const char *section, *key, *value; QByteArray after; } cases[] = {
        // in place, keeping the key's own spelling
        {"comm", "port2", "7", comment + "[COMM]\nPORT1=3\nPORT2=7\r\n\n[DATA]\r\nvcol0=255\r\nstray line\r\nLINE=2"},
        {"DATA", "VCOL0", "", comment + "[COMM]\nPORT1=3\nPORT2=4\n\n[DATA]\r\nvcol0=\r\nstray line\r\nLINE=2"},
        // new key: at the end of its section, above the blank separator line
        {"COMM", "PORT3", "9", comment + "[COMM]\nPORT1=3\nPORT2=4\nPORT3=9\r\n\n[DATA]\r\nvcol0=255\r\nstray line\r\nLINE=2"},
        // new key in the last section, whose last line had no line end
        {"DATA", "SCALE", "1", comment + "[COMM]\nPORT1=3\nPORT2=4\n\n[DATA]\r\nvcol0=255\r\nstray line\r\nLINE=2\r\nSCALE=1\r\n"},
        // new section at the end
        {"AUTO", "SAVE", "True", before + "\r\n[AUTO]\r\nSAVE=True\r\n"},
    };
    for (const auto &c : cases) {
        home.write("qx.ini", before);
        ASSERT_TRUE(profile::write(ini, c.section, c.key, c.value)) << c.key;
        EXPECT_EQ(home.read("qx.ini"), c.after) << c.section << " " << c.key;
        EXPECT_EQ(profile::read(ini, c.section, c.key), QString::fromUtf8(c.value));
    }
}

TEST(Profile, RepeatedWritesKeepOneLine)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    home.write("qx.ini", comment);
    for (const char *v : {"1", "22", "中文"})
        ASSERT_TRUE(profile::write(ini, "DATA", "SVR", QString::fromUtf8(v)));
    ASSERT_TRUE(profile::write(ini, "DATA", "LINE", "2"));
    EXPECT_EQ(home.read("qx.ini"), comment + "[DATA]\r\nSVR=中文\r\nLINE=2\r\n");
}

TEST(Profile, WritesThatWouldBreakTheFileAreRefused)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    home.write("qx.ini", comment);
    struct { const char *section, *key, *value; } cases[] = {
        {"", "K", "v"}, {"S", "", "v"}, {"S]", "K", "v"}, {"S", "K=1", "v"}, {"S", ";K", "v"},
        {"S", "[K", "v"}, {"S", "K", "a\nb"}, {"S", "K", "a\rb"}, {"S\n", "K", "v"},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(profile::write(ini, c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(home.read("qx.ini"), comment);
}

TEST(Profile, APathThatIsNoFileFailsQuietly)
{
    TempHome home;
    QDir(home.path()).mkdir("qx.ini");
    const QString ini = home.file("qx.ini");
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), std::nullopt);
    EXPECT_FALSE(profile::write(ini, "COMM", "PORT1", "4"));
    EXPECT_TRUE(QFileInfo(ini).isDir());
}

TEST(Profile, AWriteOnAFullDiskKeepsEverySetting)
{
    TempHome home;
    // Settings of some size, as a program that has run for a while has.
    QByteArray settings = comment + "[COMM]\r\nPORT1=3\r\n[DATA]\r\n";
    for (int k = 0; k < 40; ++k)
        settings += "VCOL" + QByteArray::number(k) + "=16711680\r\n";
    home.write("qx.ini", settings);
    const QString ini = home.file("qx.ini");
    QString why;
    {
        test::FullDisk full(100);
        EXPECT_FALSE(profile::write(ini, "COMM", "PORT1", "4", &why));
    }
    EXPECT_EQ(why, "File too large");
    EXPECT_EQ(home.read("qx.ini"), settings);
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "3");
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"qx.ini"});
}

namespace {

// Bytes this process has read from files so far (as the kernel counts them).
qint64 bytesRead()
{
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// Whether the file's last change (its modification and change times) lies
// at least ms behind the clock.
bool settledFor(const QString &path, int ms)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto age = [&](const timespec &t) {
        return (int64_t(now.tv_sec) - t.tv_sec) * 1000 + (int64_t(now.tv_nsec) - t.tv_nsec) / 1000000;
    };
    return age(st.st_mtim) >= ms && age(st.st_ctim) >= ms;
}

// A settings file of n sections with 20 keys each, about 50 bytes a line.
QByteArray bigFile(int sections)
{
    QByteArray b = comment;
    for (int s = 0; s < sections; ++s) {
        b += "[SEC" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 20; ++k)
            b += "KEY" + QByteArray::number(k) + "=value " + QByteArray::number(s * 100 + k) +
                 " padding padding padding\r\n";
    }
    return b;
}

} // namespace

TEST(Profile, AnUnchangedFileIsReadOnce)
{
    TempHome home;
    const QByteArray bytes = bigFile(1000); // about 1 MB
    home.write("qx.ini", bytes);
    const QString ini = home.file("qx.ini");
    // A file read right after a change is read once more on the next read
    // (a further change in the same clock tick could keep its stamp); this
    // one is read once it has settled, twice as long as that takes.
    while (!settledFor(ini, 100))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(bytesRead(), 0) << "no /proc/self/io";
    const qint64 before = bytesRead();
    for (int i = 0; i < 200; ++i) {
        const int s = (i * 37) % 1000, k = i % 20;
        ASSERT_EQ(profile::read(ini, QStringLiteral("sec%1").arg(s), QStringLiteral("key%1").arg(k)),
                  QStringLiteral("value %1 padding padding padding").arg(s * 100 + k));
    }
    EXPECT_EQ(profile::read(ini, "SEC5", "KEY99"), std::nullopt);
    EXPECT_EQ(profile::read(ini, "NONE", "KEY1"), std::nullopt);
    // 200 reads took the file about once, not 200 times
    EXPECT_LT(bytesRead() - before, 3 * bytes.size());
}

TEST(Profile, EveryChangeOfTheFileIsSeen)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    auto put = [&](const QByteArray &bytes) { home.write("qx.ini", bytes); }; // in place, as an editor may
    put("[COMM]\r\nPORT1=3\r\n");
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "3");

    put("[COMM]\r\nPORT1=12\r\n"); // another size
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "12");

    // the same size in place: the modification time differs
    put("[COMM]\r\nPORT1=13\r\n");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "13");

    // a new file of the same size and time put in its place
    home.write("new.ini", "[COMM]\r\nPORT1=14\r\n");
    QFile n(home.file("new.ini"));
    ASSERT_TRUE(n.open(QIODevice::ReadWrite));
    ASSERT_TRUE(n.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
    n.close();
    ASSERT_EQ(::rename(QFile::encodeName(home.file("new.ini")).constData(), QFile::encodeName(ini).constData()), 0);
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "14");

    // our own writes, and a file that goes and comes back
    ASSERT_TRUE(profile::write(ini, "COMM", "PORT1", "15"));
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "15");
    ASSERT_TRUE(QFile::remove(ini));
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), std::nullopt);
    put("[COMM]\r\nPORT1=16\r\n");
    EXPECT_EQ(profile::read(ini, "COMM", "PORT1"), "16");
}

TEST(Profile, RepeatedSectionsAndKeysKeepTheFirst)
{
    TempHome home;
    home.write("qx.ini", "[A]\r\nX=1\r\nX=2\r\n[B]\r\nY=1\r\n[a]\r\nX=3\r\nZ=4\r\n");
    const QString ini = home.file("qx.ini");
    EXPECT_EQ(profile::read(ini, "A", "X"), "1");
    EXPECT_EQ(profile::read(ini, "A", "Z"), std::nullopt); // only in the repeated section
    EXPECT_EQ(profile::read(ini, "B", "Y"), "1");
}
