#include "platform/TextMap.h"
#include "common/TempHome.h"
#include "platform/Guard.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qx;

// The dictionary comes from the distribution's OpenCC package and is read
// through the library's own classes: an upgrade that changes its file
// header or format must fail here, not silently leave the captions in
// simplified characters.
TEST(TextMap, InstalledDictionaryLoadsAndMapsKnownCharacters)
{
    ASSERT_TRUE(QFile::exists(textmap::dictionaryPath())) << textmap::dictionaryPath().toStdString();
    ASSERT_TRUE(textmap::dictionaryLoaded())
        << "the installed character dictionary no longer loads (its header or format changed?)";
    EXPECT_EQ(textmap::simpToTrad(QString::fromUtf8("电池测试设置")), QString::fromUtf8("電池測試設置"));
    EXPECT_EQ(textmap::simpToTrad(QString::fromUtf8("过压")), QString::fromUtf8("過壓"));
}

TEST(TextMap, MapsCharacterForCharacter)
{
    ASSERT_TRUE(textmap::dictionaryLoaded());
    struct { const char *in, *out; } cases[] = {
        {"", ""},
        {"Voltage 12.5V", "Voltage 12.5V"},
        {"电压", "電壓"},
        {"提示", "提示"},                 // no traditional form: unchanged
        {"设置值超出范围!", "設置值超出範圍!"},
        {"发", "發"},                     // one character, one result even where phrases differ
        {"头发", "頭發"},                 // no phrase conversion
        {"\xF0\xA0\x80\x80电", "\xF0\xA0\x80\x80電"}, // outside the basic plane: unchanged
    };
    for (const auto &c : cases) {
        const QString in = QString::fromUtf8(c.in);
        const QString out = textmap::simpToTrad(in);
        EXPECT_EQ(out, QString::fromUtf8(c.out)) << c.in;
        EXPECT_EQ(out.toUcs4().size(), in.toUcs4().size()) << c.in;
    }
    // A lone surrogate passes unchanged.
    const QString lone = QString(QChar(0xD800)) + QString::fromUtf8("电");
    EXPECT_EQ(textmap::simpToTrad(lone), QString(QChar(0xD800)) + QString::fromUtf8("電"));
}

TEST(TextMap, MissingDictionaryLeavesTextUnchangedAndReportsOnce)
{
    const QString original = textmap::dictionaryPath();
    QStringList reports;
    ErrorSink previous = setUnhandledSink([&](const QString &tag, const QString &) { reports << tag; });
    qx::test::TempHome home;
    home.write("bad.ocd2", "not a dictionary");
    for (const QString &path : {home.file("missing.ocd2"), home.file("bad.ocd2")}) {
        reports.clear();
        textmap::setDictionaryPath(path);
        EXPECT_EQ(textmap::simpToTrad(QString::fromUtf8("电压")), QString::fromUtf8("电压"));
        EXPECT_EQ(textmap::simpToTrad(QString::fromUtf8("电")), QString::fromUtf8("电"));
        EXPECT_FALSE(textmap::dictionaryLoaded());
        EXPECT_EQ(reports, QStringList{"ErrTextMap"}) << path.toStdString();
    }
    setUnhandledSink(previous);
    textmap::setDictionaryPath(original);
    EXPECT_EQ(textmap::simpToTrad(QString::fromUtf8("电")), QString::fromUtf8("電"));
}
