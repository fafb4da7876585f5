// Text files line by line: CR LF and LF ends, a last line without an end,
// overlong lines passed over whole, files larger than one block, devices
// that give their bytes a piece at a time, and files in a Windows code page.
#include "common/QtPrint.h"
#include "platform/TextLines.h"

#include <QBuffer>
#include <algorithm>
#include <gtest/gtest.h>

using namespace qx::textlines;

namespace {

// A device without a size that hands out at most `piece` bytes a read, as
// a pipe does.
class Trickle : public QIODevice {
public:
    Trickle(const QByteArray &bytes, qint64 piece) : bytes_(bytes), piece_(piece)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = std::min({max, piece_, qint64(bytes_.size()) - at_});
        std::copy_n(bytes_.constData() + at_, n, data);
        at_ += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 piece_;
    qint64 at_ = 0;
};

// Every line of the device, an overlong one as "<too long>".
QStringList readAll(QIODevice &dev)
{
    Lines lines(dev);
    QStringList out;
    QString line;
    bool tooLong = false;
    while (lines.next(line, tooLong))
        out << (tooLong ? QStringLiteral("<too long>") : line);
    return out;
}

QStringList readAll(const QByteArray &bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    QStringList whole = readAll(b);
    Trickle t(bytes, 7);
    EXPECT_EQ(readAll(t), whole) << "read a piece at a time";
    return whole;
}

} // namespace

TEST(TextLines, LineEnds)
{
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},    // empty line, last line without an end
        {"a\rb\r\n", {"a\rb"}},            // a CR inside a line stays
        {"a\r", {"a"}},
        {"\n", {""}},
        {"x\r\r\n", {"x\r"}},              // one CR belongs to the end
    };
    for (const auto &c : cases)
        EXPECT_EQ(readAll(c.bytes), c.lines) << c.bytes.toStdString();
}

TEST(TextLines, OverlongLinesArePassedOverWhole)
{
    const QByteArray longest(MaxLine, 'x');
    const QByteArray over(MaxLine + 1, 'y');
    EXPECT_EQ(readAll("a\r\n" + longest + "\r\nb\r\n"), QStringList({"a", QString::fromLatin1(longest), "b"}));
    EXPECT_EQ(readAll("a\r\n" + over + "\r\n012:5\r\n"), QStringList({"a", "<too long>", "012:5"}));
    // Its tail looks like a line of its own, but is none.
    EXPECT_EQ(readAll(over + "012:5\n" + over), QStringList({"<too long>", "<too long>"}));
    EXPECT_EQ(readAll(QByteArray(3 * Block, 'z') + "\nend"), QStringList({"<too long>", "end"}));
}

TEST(TextLines, FileLargerThanABlock)
{
    // Lines of 1000 bytes up to just below the first block's end, then a
    // line whose "ü" the block's end cuts in two: it is UTF-8 all the same.
    QByteArray bytes;
    QStringList want;
    while (bytes.size() + 1000 <= Block - 1) {
        const QByteArray l = QByteArray::number(want.size()).rightJustified(998, '-');
        bytes += l + "\r\n";
        want << QString::fromLatin1(l);
    }
    const QByteArray cut = QByteArray(Block - 1 - bytes.size(), 'b') + "\xC3\xBC";
    bytes += cut + "\n";
    want << QString::fromUtf8(cut);
    for (int i = 0; i < 3000; ++i) {
        bytes += "line " + QByteArray::number(i) + "\n";
        want << QStringLiteral("line %1").arg(i);
    }
    ASSERT_GT(bytes.size(), Block);
    EXPECT_EQ(readAll(bytes), want);
}

TEST(TextLines, WindowsCodePages)
{
    // The whole file tells the code page: a line of ASCII reads the same
    // in any, the one with "°" in Windows-1252, the Chinese one in GBK.
    EXPECT_EQ(readAll("T:Akku Pr\xFC" "fung 5\xB0" "C\r\nS:1.50\r\n"),
              QStringList({QString::fromUtf8("T:Akku Prüfung 5°C"), "S:1.50"}));
    EXPECT_EQ(readAll("S:1.50\r\nT:\xB5\xE7\xB3\xD8\xB2\xE2\xCA\xD4\r\n"),
              QStringList({"S:1.50", QString::fromUtf8("T:电池测试")}));
    EXPECT_EQ(readAll("T:\xE7\x94\xB5\xE6\xB1\xA0 Pr\xC3\xBC" "fung\r\n"),
              QStringList({QString::fromUtf8("T:电池 Prüfung")}));
}
