#include "platform/IniFile.h"
#include "common/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

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
