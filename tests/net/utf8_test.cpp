// UTF-8 conversion of message texts.
#include "net/UTF8.h"

#include <gtest/gtest.h>

using namespace qx::UTF8;

TEST(Utf8, EncodesAndDecodesTexts)
{
    EXPECT_TRUE(Utf8Encode(QString()).isEmpty());
    EXPECT_EQ(Utf8Decode(QByteArray()), QString());
    EXPECT_EQ(Utf8Encode(QStringLiteral("301en")), QByteArray::fromHex("333031656e"));
    // One UTF-16 unit of Chinese is three bytes, and back.
    const QString zhong = QString(QChar(0x4E2D));
    EXPECT_EQ(Utf8Encode(zhong), QByteArray::fromHex("e4b8ad"));
    EXPECT_EQ(Utf8Decode(QByteArray::fromHex("e4b8ad")), zhong);
    // A character outside the basic plane (two UTF-16 units) is four bytes.
    EXPECT_EQ(Utf8Encode(QString::fromUcs4(U"\U0001F600")), QByteArray::fromHex("f09f9880"));
}

TEST(Utf8, WhatCannotBeConvertedBecomesReplacementCharacters)
{
    // A lone surrogate cannot be encoded: U+FFFD, not zeros.
    const QString lone(QChar(0xD800));
    EXPECT_EQ(Utf8Encode(QStringLiteral("a") + lone + QStringLiteral("b")), QByteArray::fromHex("61efbfbd62"));
    // Malformed bytes decode to U+FFFD; the good ones around them stay.
    EXPECT_EQ(Utf8Decode(QByteArray::fromHex("41ff42")), QStringLiteral("A\uFFFDB"));
    const QString cut = Utf8Decode(QByteArray::fromHex("e4b8"));  // cut short
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_EQ(cut, QString(cut.size(), QChar(0xFFFD)));
    EXPECT_FALSE(Utf8Decode(QByteArray::fromHex("c0af")).contains(QChar(0)));      // overlong "/"
    EXPECT_FALSE(Utf8Decode(QByteArray::fromHex("c0af")).contains(QLatin1Char('/')));
}
