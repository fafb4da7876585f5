// The picture progress bar: value rules and events, captions, the filled
// part of the fore picture, its size, and persistence.
#include "common/ErrorCode.h"
#include "panel/ucProgressBar.h"
#include "platform/Colors.h"
#include "platform/QxError.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {
// Records the events of a bar in order.
struct Events {
    QStringList seen;
    explicit Events(ucProgressBar &b)
    {
        QObject::connect(&b, &ucProgressBar::Change, [this] { seen << QStringLiteral("Change"); });
        QObject::connect(&b, &ucProgressBar::ArrivedFirst, [this] { seen << QStringLiteral("First"); });
        QObject::connect(&b, &ucProgressBar::ArrivedLast, [this] { seen << QStringLiteral("Last"); });
        QObject::connect(&b, &ucProgressBar::Click, [this] { seen << QStringLiteral("Click"); });
    }
    QStringList take() { return std::exchange(seen, {}); }
};

QImage picture(QSize size, QColor c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// The number of pixels of colour c along a row or a column of the bar.
int run(const QImage &img, QColor c, bool vertical)
{
    int n = 0;
    if (vertical) {
        for (int y = 0; y < img.height(); ++y)
            n += img.pixelColor(0, y) == c;
    } else {
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, img.height() - 1) == c;
    }
    return n;
}
} // namespace

TEST(ProgressBar, ValueWritesRaiseTheirEvents)
{
    ucProgressBar b;
    b.set_CaptionFormat(2);
    Events ev(b);
    struct Step {
        int value;
        QStringList events;
        const char *caption;
    } steps[] = {
        {0, {}, "0%"}, // a new bar has reported 0 already
        {50, {QStringLiteral("Change")}, "50%"},
        {50, {}, "50%"},
        {100, {QStringLiteral("Change"), QStringLiteral("Last")}, "100%"},
        {0, {QStringLiteral("Change"), QStringLiteral("First")}, "0%"},
    };
    for (const Step &s : steps) {
        b.set_Value(s.value);
        EXPECT_EQ(ev.take(), s.events) << s.value;
        EXPECT_EQ(b.caption(), QLatin1String(s.caption)) << s.value;
    }
}

TEST(ProgressBar, RefusedWritesChangeNothing)
{
    ucProgressBar b;
    b.set_Value(40);
    Events ev(b);
    struct Case {
        const char *what;
        std::function<void()> write;
        int code;
    } cases[] = {
        {"Value above Max", [&] { b.set_Value(101); }, qx::ErrInvalidProperty},
        {"Value below Min", [&] { b.set_Value(-1); }, qx::ErrInvalidProperty},
        {"Max equal to Min", [&] { b.set_Max(0); }, qx::ErrInvalidProperty},
        {"Max below Min", [&] { b.set_Max(-5); }, qx::ErrInvalidProperty},
        {"Min equal to Max", [&] { b.set_Min(100); }, qx::ErrInvalidProperty},
        {"range too wide", [&] { b.set_Min(std::numeric_limits<int>::min()); }, qx::ErrOverflow},
        {"pointer beyond 16 bits", [&] { b.set_MousePointer(40000); }, qx::ErrOverflow},
    };
    for (const Case &c : cases)
        EXPECT_EQ(qx::test::errorCode(c.write), c.code) << c.what;
    EXPECT_EQ(b.Value(), 40);
    EXPECT_EQ(b.Min(), 0);
    EXPECT_EQ(b.Max(), 100);
    EXPECT_EQ(b.MousePointer(), 0);
    EXPECT_TRUE(ev.take().isEmpty());
}

TEST(ProgressBar, MaxBelowValueBringsValueDown)
{
    ucProgressBar b;
    b.set_Value(80);
    Events ev(b);
    b.set_Max(50);
    EXPECT_EQ(b.Value(), 50);
    EXPECT_EQ(ev.take(), QStringList({QStringLiteral("Change"), QStringLiteral("Last")}));
    b.set_Max(12120); // above the value: only the range changes
    EXPECT_EQ(b.Value(), 50);
    EXPECT_TRUE(ev.take().isEmpty());
}

TEST(ProgressBar, MinWriteMovesValueToMin)
{
    ucProgressBar b;
    b.set_CaptionFormat(5);
    b.set_Value(30);
    Events ev(b);
    b.set_Min(10);
    EXPECT_EQ(b.Value(), 10);
    EXPECT_EQ(ev.take(), QStringList({QStringLiteral("Change"), QStringLiteral("First")}));
    EXPECT_EQ(b.caption(), QStringLiteral("0%")); // the new range is already in use
}

TEST(ProgressBar, CaptionFormats)
{
    ucProgressBar b;
    b.set_Max(150);
    b.set_Min(50);
    b.set_Value(100);
    b.set_CaptionCustom(QStringLiteral("busy"));
    struct Case {
        int format;
        const char *caption;
    } cases[] = {
        {1, "100"},   {2, "50%"},   {3, "50.0%"}, {4, "50.00%"}, {5, "50%"},
        {6, "50.0%"}, {7, "50.00%"}, {99, "busy"}, {0, ""},       {8, ""},
        {98, ""},     {-1, ""},
    };
    for (const Case &c : cases) {
        b.set_CaptionFormat(c.format);
        EXPECT_EQ(b.caption(), QLatin1String(c.caption)) << c.format;
    }
    b.set_Max(1000);
    b.set_Value(125); // 75 / 950 of the way
    b.set_CaptionFormat(4);
    EXPECT_EQ(b.caption(), QStringLiteral("7.89%"));
}

TEST(ProgressBar, FillCopiesThePartOfTheForePicture)
{
    const QColor back(Qt::white), fore(Qt::red);
    ucProgressBar b;
    b.set_BarPictureBack(picture(QSize(100, 40), back));
    b.set_BarPictureFore(picture(QSize(100, 40), fore));
    EXPECT_EQ(b.size(), QSize(100, 40));
    b.resize(300, 300); // the back picture decides the size
    EXPECT_EQ(b.size(), QSize(100, 40));

    struct Case {
        int orientation, value, filled;
    } cases[] = {
        {0, 25, 25}, {0, 0, 0}, {0, 100, 100}, {0, 33, 33},
        {1, 25, 10}, {1, 100, 40}, {1, 0, 0},
        {2, 50, 0}, // no such orientation: nothing is copied
    };
    for (const Case &c : cases) {
        b.set_Orientation(c.orientation);
        b.set_Value(c.value);
        const QImage img = b.grab().toImage();
        const bool vertical = c.orientation == 1;
        EXPECT_EQ(run(img, fore, vertical), c.filled) << c.orientation << "/" << c.value;
        if (c.filled > 0) {
            // Left part, or bottom part, is the filled one.
            EXPECT_EQ(vertical ? img.pixelColor(0, 39) : img.pixelColor(0, 39), fore);
            EXPECT_EQ(vertical ? img.pixelColor(0, 39 - c.filled + 1) : img.pixelColor(c.filled - 1, 0), fore);
        }
    }
}

TEST(ProgressBar, CaptionIsCentredInTheFontColour)
{
    ucProgressBar b;
    b.set_BarPictureBack(picture(QSize(120, 30), Qt::white));
    b.set_FontColor(qx::rgb(0, 0, 255));
    b.set_CaptionFormat(99);
    b.set_CaptionCustom(QStringLiteral("IIIIII"));
    const QImage img = b.grab().toImage();
    int left = img.width(), right = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != QColor(Qt::white)) {
                left = std::min(left, x);
                right = std::max(right, x);
                EXPECT_GT(img.pixelColor(x, y).blue(), img.pixelColor(x, y).red());
            }
    ASSERT_GE(right, left);
    EXPECT_LE(std::abs(left - (img.width() - 1 - right)), 3);
}

TEST(ProgressBar, ClickOnlyRaisesClick)
{
    ucProgressBar b;
    b.resize(50, 20);
    b.set_Value(10);
    Events ev(b);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&b, &press);
    QApplication::sendEvent(&b, &release);
    EXPECT_EQ(ev.take(), QStringList({QStringLiteral("Click")}));
    EXPECT_EQ(b.Value(), 10);
}

TEST(ProgressBar, PersistenceRoundTrip)
{
    ucProgressBar a;
    a.set_BarPictureBack(picture(QSize(60, 12), Qt::gray));
    a.set_BarPictureFore(picture(QSize(60, 12), Qt::green));
    a.set_CaptionFormat(2);
    a.set_Max(12120);
    a.set_Value(600);
    a.set_Orientation(1);
    a.set_FontColor(qx::rgb(1, 2, 3));
    a.set_MousePointer(11);
    qx::PropertyBag bag;
    a.WriteProperties(bag);
    EXPECT_FALSE(bag.contains(QStringLiteral("Min"))); // equal to its default
    EXPECT_FALSE(bag.contains(QStringLiteral("Font")));

    ucProgressBar b;
    Events ev(b);
    b.ReadProperties(bag);
    EXPECT_TRUE(ev.take().isEmpty()); // loading raises nothing
    EXPECT_EQ(b.CaptionFormat(), 2);
    EXPECT_EQ(b.Max(), 12120);
    EXPECT_EQ(b.Value(), 600);
    EXPECT_EQ(b.Orientation(), 1);
    EXPECT_EQ(b.FontColor(), qx::rgb(1, 2, 3));
    EXPECT_EQ(b.MousePointer(), 11);
    EXPECT_EQ(b.size(), QSize(60, 12));
    EXPECT_EQ(b.caption(), QStringLiteral("5%"));
    qx::PropertyBag again;
    b.WriteProperties(again);
    EXPECT_EQ(again.keys(), bag.keys());

    // Missing keys take the defaults of a new bar.
    ucProgressBar c;
    c.ReadProperties(qx::PropertyBag());
    EXPECT_EQ(c.Max(), 100);
    EXPECT_EQ(c.Min(), 0);
    EXPECT_EQ(c.Value(), 0);
    EXPECT_EQ(c.FontColor(), uint32_t(qx::SysButtonText));
    EXPECT_TRUE(c.Enabled());
    EXPECT_TRUE(c.BarPictureBack().isNull());

    // A saved value is loaded unchecked; the bar draws it within its ends.
    qx::PropertyBag odd;
    odd.WriteProperty(QStringLiteral("Value"), 500);
    odd.WriteProperty(QStringLiteral("BarPictureFore"), picture(QSize(40, 10), Qt::red));
    odd.WriteProperty(QStringLiteral("BarPictureBack"), picture(QSize(40, 10), Qt::white));
    c.ReadProperties(odd);
    EXPECT_EQ(c.Value(), 500);
    EXPECT_EQ(run(c.grab().toImage(), Qt::red, false), 40);
    Events ev2(c);
    c.set_Value(0); // the last reported value is Min after loading
    EXPECT_TRUE(ev2.take().isEmpty());
}
