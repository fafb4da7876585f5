#include "services/Module1.h"
#include "common/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qx::Module1;
using qx::test::TempHome;

TEST(Module1, ReadGivesTheDefaultForMissingOrEmptyValues)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    EXPECT_EQ(ReadIni(ini, "COMM", "PORT1", "2"), "2"); // no file
    EXPECT_FALSE(QFile::exists(ini));
    home.write("qx.ini", ";--------QX Config File----------\r\n[COMM]\r\nPORT1=\r\nPORT2=4\r\n");
    EXPECT_EQ(ReadIni(ini, "COMM", "PORT1", "2"), "2"); // empty value
    EXPECT_EQ(ReadIni(ini, "COMM", "PORT2", "2"), "4");
    EXPECT_EQ(ReadIni(ini, "COMM", "PORT3", "2"), "2"); // no key
    EXPECT_EQ(ReadIni(ini, "AUTO", "PORT2", "x"), "x"); // no section
}

TEST(Module1, LongValuesComeBackCutTo254Characters)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    const QString v300(300, QLatin1Char('7'));
    ASSERT_NE(WriteIni(ini, "DATA", "SVR", v300), 0);
    EXPECT_EQ(ReadIni(ini, "DATA", "SVR", ""), v300.left(254));
    // A character outside the basic plane is not split at the cut.
    const QString wide = QString(253, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80") + "b";
    ASSERT_NE(WriteIni(ini, "DATA", "SVR", wide), 0);
    EXPECT_EQ(ReadIni(ini, "DATA", "SVR", ""), wide.left(253));
}

TEST(Module1, WriteReportsFailureWithoutThrowing)
{
    TempHome home;
    EXPECT_EQ(WriteIni(home.file("missing/qx.ini"), "COMM", "PORT1", "3"), 0);
    EXPECT_EQ(WriteIni(home.file("qx.ini"), "COMM", "PORT1", "3"), 1);
    EXPECT_EQ(ReadIni(home.file("qx.ini"), "comm", "port1", ""), "3");
}

TEST(Module1, ValueFormsTreatMalformedTextAsMissing)
{
    struct Case {
        const char *text;
        std::optional<bool> b;
        std::optional<int32_t> floor, nearest;
        std::optional<float> real;
        std::optional<uint32_t> colour;
    };
    const Case cases[] = {
        {"True", true, {}, {}, {}, {}},
        {"fALSE", false, {}, {}, {}, {}},
        {"0", false, 0, 0, 0.0f, 0u},
        {"1.7", true, 1, 2, 1.7f, 1u},
        {"-0.5", true, -1, 0, -0.5f, {}},
        {"2.5", true, 2, 2, 2.5f, 2u},
        {"3.5", true, 3, 4, 3.5f, 3u},
        {"16711680", true, 16711680, 16711680, 16711680.0f, 16711680u},
        {"4294967295", true, {}, {}, 4294967295.0f, 4294967295u},
        {"4294967296", true, {}, {}, 4294967296.0f, {}},
        {"1e40", true, {}, {}, {}, {}},
        {"abc", {}, {}, {}, {}, {}},
        {"3.5V", {}, {}, {}, {}, {}},
        {"Yes", {}, {}, {}, {}, {}},
    };
    for (const auto &c : cases) {
        const QString t = QString::fromUtf8(c.text);
        EXPECT_EQ(toIniBool(t), c.b) << c.text;
        EXPECT_EQ(toIniFloor(t), c.floor) << c.text;
        EXPECT_EQ(toIniNearest(t), c.nearest) << c.text;
        EXPECT_EQ(toIniReal(t), c.real) << c.text;
        EXPECT_EQ(toIniColor(t), c.colour) << c.text;
    }
}

TEST(Module1, TypedReadsFallBackToTheirDefault)
{
    TempHome home;
    const QString ini = home.file("qx.ini");
    home.write("qx.ini", "[DATA]\r\nVCOL0=abc\r\nLINE=1.7\r\nXTIME=false\r\nVY1=12.5\r\nSCALE=\r\n");
    EXPECT_EQ(ReadIniColor(ini, "DATA", "VCOL0", 16711680u), 16711680u);
    EXPECT_EQ(ReadIniFloor(ini, "DATA", "LINE", 2), 1);
    EXPECT_FALSE(ReadIniBool(ini, "DATA", "XTIME", true));
    EXPECT_FLOAT_EQ(ReadIniReal(ini, "DATA", "VY1", 20.0f), 12.5f);
    EXPECT_EQ(ReadIniNearest(ini, "DATA", "SCALE", 1), 1);
    EXPECT_TRUE(ReadIniBool(ini, "AUTO", "CSV", true));
}
