#include "common/DecimalComma.h"
#include "common/ErrorCode.h"
#include "common/QtPrint.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

#include <gtest/gtest.h>

using namespace qx;
using namespace qx::num;

TEST(Numbers, RoundingIsHalfToEven)
{
    struct { double in; int out; } cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3},
    };
    for (auto c : cases)
        EXPECT_EQ(toInt(c.in), c.out) << c.in;
    EXPECT_THROW(toInt(3e9), QxError);
    EXPECT_THROW(toInt16(32767.5), QxError); // rounds to 32768
    EXPECT_EQ(toInt16(32766.5), 32766);
}

TEST(Numbers, LeadingNumberReading)
{
    struct { const char16_t *in; double out; } cases[] = {
        {u"3.5V", 3.5}, {u"abc", 0}, {u"", 0}, {u"  12", 12}, {u"1 2 3", 123}, {u"-0.80", -0.8},
        {u".5", 0.5}, {u"1e3x", 1000}, {u"2e", 2}, {u"1,5", 1}, {u"+7", 7}, {u"-", 0}, {u"1.2.3", 1.2},
    };
    for (auto c : cases)
        EXPECT_DOUBLE_EQ(val(QString::fromUtf16(c.in)), c.out) << QString::fromUtf16(c.in).toStdString();
}

TEST(Numbers, IsNumericAndStrictConversion)
{
    const char16_t *yes[] = {u"1", u" 1.5 ", u"-0.8", u".5", u"5.", u"1e3", u"+2"};
    const char16_t *no[] = {u"", u"  ", u"abc", u"3.5V", u"1.2.3", u"-", u".", u"1 2", u"e3"};
    for (auto s : yes) {
        EXPECT_TRUE(isNumeric(QString::fromUtf16(s))) << QString::fromUtf16(s).toStdString();
        EXPECT_NO_THROW(toDouble(QString::fromUtf16(s)));
    }
    for (auto s : no) {
        EXPECT_FALSE(isNumeric(QString::fromUtf16(s))) << QString::fromUtf16(s).toStdString();
        try {
            toDouble(QString::fromUtf16(s));
            ADD_FAILURE() << "no error for " << QString::fromUtf16(s).toStdString();
        } catch (const QxError &e) {
            EXPECT_EQ(e.code(), ErrTypeMismatch);
        }
    }
    EXPECT_THROW(toSingle(u"1e40"), QxError);
    EXPECT_EQ(toLong(u"2.5"), 2);
}

TEST(Numbers, BeyondTheDoubleRange)
{
    // Too large is an overflow (and no number for val), too small is zero.
    struct { const char16_t *in; int error; double value; } cases[] = {
        {u"1e400", ErrOverflow, 0},        {u"-1e400", ErrOverflow, 0},
        {u"123456e304", ErrOverflow, 0},   {u"1e99999999999999999999", ErrOverflow, 0},
        {u"1e-400", 0, 0},                 {u"-0.0001e-320", 0, 0},
        {u"0.000001e-330", 0, 0},          {u"1e-99999999999999999999", 0, 0},
        {u"1.5e308", 0, 1.5e308},          {u"4.9e-324", 0, 4.9e-324},
    };
    for (auto c : cases) {
        const QString in = QString::fromUtf16(c.in);
        SCOPED_TRACE(in.toStdString());
        double got = -1;
        EXPECT_EQ(test::errorCode([&] { got = toDouble(in); }), c.error);
        if (!c.error) {
            EXPECT_EQ(got, c.value);
        }
        EXPECT_EQ(isNumeric(in), c.error == 0);
        EXPECT_EQ(val(in), c.value);
    }
}

// A program started under a locale whose decimal mark is "," (Qt hands the
// environment's locale to the C library) reads and writes numbers with "."
// all the same: typed values, files and frames mean what they say.
TEST(Numbers, DecimalPointInADecimalCommaLocale)
{
    test::DecimalComma german;
    if (!german.ok())
        GTEST_SKIP() << german.why();

    EXPECT_EQ(val(u"2.75"), 2.75);
    EXPECT_EQ(val(u" 1.50A"), 1.5);
    EXPECT_EQ(val(u"3,98"), 3);
    EXPECT_EQ(val(u"1.5e-3"), 0.0015);
    EXPECT_EQ(toDouble(u"2.75"), 2.75);
    EXPECT_EQ(toSingle(u"-0.125"), -0.125f);
    EXPECT_EQ(toLong(u"3.5"), 4);
    EXPECT_TRUE(isNumeric(u"4.20"));
    EXPECT_FALSE(isNumeric(u"4,20"));
    EXPECT_EQ(test::errorCode([] { toDouble(u"1e400"); }), ErrOverflow);

    EXPECT_EQ(general(3.98), QStringLiteral("3.98"));
    EXPECT_EQ(general(-0.5f), QStringLiteral("-0.5"));
    EXPECT_EQ(general(12345678.0f), QStringLiteral("1.234568E+07"));
    EXPECT_EQ(general(1.25e-7), QStringLiteral("1.25E-07"));
    EXPECT_EQ(format(2.75, u"0.00"), QStringLiteral("2.75"));
    EXPECT_EQ(format(1.5f, u"00.000"), QStringLiteral("01.500"));
}

TEST(Numbers, Pictures)
{
    struct { double v; const char16_t *pic; const char16_t *out; } cases[] = {
        {1.0, u"0.00", u"1.00"},     {0.125, u"0.00", u"0.13"},  {2.675, u"0.00", u"2.68"},
        {3.14159, u"0.000", u"3.142"}, {5.0, u"00.00", u"05.00"}, {123.456, u"00.00", u"123.46"},
        {12.34, u"000.0", u"012.3"}, {9.96, u"0.0", u"10.0"},    {99.999, u"00.00", u"100.00"},
        {-1.5, u"0.00", u"-1.50"},   {-0.001, u"0.00", u"0.00"}, {2.5, u"0", u"3"},
        {1234567.0, u"0", u"1234567"}, {0.0, u"0.000", u"0.000"}, {1.5, u"0.00V", u"1.50V"},
        {0.5, u"#.00", u".50"},
    };
    for (auto c : cases)
        EXPECT_EQ(format(c.v, QString::fromUtf16(c.pic)), QString::fromUtf16(c.out))
            << c.v << " " << QString::fromUtf16(c.pic).toStdString();
    // float overload rounds on the float's own shortest form
    EXPECT_EQ(format(0.1f, u"0.000000000"), QStringLiteral("0.100000000"));
    EXPECT_EQ(format(1.005f, u"0.00"), QStringLiteral("1.01"));
}

TEST(Numbers, GeneralForm)
{
    EXPECT_EQ(general(31.5f), QStringLiteral("31.5"));
    EXPECT_EQ(general(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(general(30.0), QStringLiteral("30"));
    EXPECT_EQ(general(-1.25), QStringLiteral("-1.25"));
    EXPECT_EQ(general(12345678.0f), QStringLiteral("1.234568E+07"));
    EXPECT_EQ(general(1e20), QStringLiteral("1E+20"));
    EXPECT_EQ(general(0.00001234), QStringLiteral("1.234E-05"));
    EXPECT_EQ(general(123456789012345.0), QStringLiteral("123456789012345"));
    EXPECT_EQ(general(0.1 + 0.2), QStringLiteral("0.3"));
}

TEST(Numbers, IntegerDivisionTruncates)
{
    EXPECT_EQ(idiv(7, 2), 3);
    EXPECT_EQ(idiv(-7, 2), -3);
    EXPECT_EQ(imod(-7, 2), -1);
    EXPECT_THROW(idiv(1, 0), QxError);
}
