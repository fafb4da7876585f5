// Text of files written on Windows in an ANSI code page: Chinese (GBK)
// where the bytes are common Chinese characters, Western (Windows-1252)
// otherwise, UTF-8 whenever the bytes are valid UTF-8.
#include "common/QtPrint.h"
#include "platform/TextDecode.h"

#include <gtest/gtest.h>

using namespace qx::text;

namespace {

const char *name(Encoding e)
{
    switch (e) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Gb18030:
        return "GB18030";
    case Encoding::Windows1252:
        return "Windows-1252";
    }
    return "?";
}

} // namespace

TEST(TextDecode, GuessesTheCodePageAndDecodesIt)
{
    const struct {
        QByteArray bytes;
        Encoding enc;
        const char *text; // UTF-8
    } cases[] = {
        {"Akku Pr\xFC" "fung 5\xB0" "C", Encoding::Windows1252, "Akku Prüfung 5°C"},
        {"\xB5\xE7\xB3\xD8\xB2\xE2\xCA\xD4", Encoding::Gb18030, "电池测试"},
        {"\xEF\xAE\xB5\xE7\xB3\xD8 3.7V 2000mAh", Encoding::Gb18030, "锂电池 3.7V 2000mAh"},
        {"18650\xB5\xE7\xB3\xD8", Encoding::Gb18030, "18650电池"},
        {"\xB7\xC5\xB5\xE7" "25\xA1\xE6", Encoding::Gb18030, "放电25℃"},
        {"\xC4\xDA\xD7\xE8m\xA6\xB8", Encoding::Gb18030, "内阻mΩ"},
        {"\xB5\xE7\xB3\xD8" "A", Encoding::Gb18030, "电池A"},
        // Accented letters pair up as Chinese characters, but rare ones, or
        // as a common one between ASCII letters.
        {"Gr\xF6\xDF" "e", Encoding::Windows1252, "Größe"},
        {"INFORMA\xC7\xC3O", Encoding::Windows1252, "INFORMAÇÃO"},
        {"Ladung \x84gut\x93 \x80 5", Encoding::Windows1252, "Ladung „gut“ € 5"},
        {"5\xB0", Encoding::Windows1252, "5°"},                                 // no second byte
        {"\xAA\xA1\xAA\xA2", Encoding::Windows1252, "ª¡ª¢"},                    // private use in GBK
        {"\x81\x8D\x8F\x90\x9D", Encoding::Windows1252, "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"\xB5\xE7\x81\x30\x81\x30", Encoding::Windows1252, "µç\xC2\x81" "0\xC2\x81" "0"}, // four-byte form
        // Valid UTF-8 stays UTF-8, however it would read otherwise.
        {"电池测试 Prüfung", Encoding::Utf8, "电池测试 Prüfung"},
        {"plain", Encoding::Utf8, "plain"},
        {"", Encoding::Utf8, ""},
        {"\xC3\xBC\xC3", Encoding::Windows1252, "Ã¼Ã"},                         // cut UTF-8
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(name(guess(c.bytes)), name(c.enc));
        EXPECT_EQ(decode(c.bytes), QString::fromUtf8(c.text));
        EXPECT_EQ(toUtf8(c.bytes), QByteArray(c.text));
    }
}

TEST(TextDecode, EachEncodingOnRequest)
{
    const QByteArray gbk = "\xB5\xE7\xB3\xD8 1.5A";
    EXPECT_EQ(decode(gbk, Encoding::Gb18030), QString::fromUtf8("电池 1.5A"));
    EXPECT_EQ(decode(gbk, Encoding::Windows1252), QString::fromUtf8("µç³Ø 1.5A"));
    EXPECT_EQ(decode(gbk, Encoding::Utf8), QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD 1.5A"));
    // Every byte has its Windows-1252 character: 256 in, 256 out.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString w = decode(all, Encoding::Windows1252);
    ASSERT_EQ(w.size(), 256);
    EXPECT_EQ(w[0x41], QChar(u'A'));
    EXPECT_EQ(w[0x80], QChar(0x20AC));
    EXPECT_EQ(w[0x9F], QChar(0x0178));
    EXPECT_EQ(w[0xFC], QChar(0x00FC));
}
