// The readout's text work and geometry: splitting values, glyphs, marks,
// cell sizes, segment shapes and the background gradient.
#include "panel/LCDispGeometry.h"
#include "panel/LCDispText.h"

#include <gtest/gtest.h>

using namespace qx::lcd;

TEST(LCDispText, NormaliseUpperCasesAndPrefixesALeadingPoint)
{
    EXPECT_EQ(normaliseValue(QStringLiteral(".5")), QStringLiteral("0.5"));
    EXPECT_EQ(normaliseValue(QStringLiteral("abc")), QStringLiteral("ABC"));
    EXPECT_EQ(normaliseValue(QStringLiteral("1.5e-3")), QStringLiteral("1.5E-3"));
    EXPECT_EQ(normaliseValue(QString()), QString());
}

TEST(LCDispText, SplitValueTable)
{
    struct Case {
        const char *value;
        int expDigits;
        const char *main, *exponent;
    } cases[] = {
        {"12.34", 4, "12.34", "    "},          // no exponent: blanks
        {"1.5E-3", 4, "1.5", "-003"},            // sign cell, zero padded
        {"1.5E+12345", 4, "1.5", " 345"},        // digits cut to the rightmost
        {"12:34E+56", 2, "12:34", " 56"},        // colon: digits fill the group
        {"12:34E+5", 2, "12:34", " 05"},
        {"1E5", 4, "1E5", "    "},               // E without a sign is no exponent
        {"2E-1E+3", 3, "2E-1", " 03"},           // "E+" is looked for first
        {"1E+5", 0, "1", ""},                    // no exponent cells
        {"1:2E+5", 0, "1:2", ""},
    };
    for (const Case &c : cases) {
        const SplitText s = splitValue(QString::fromLatin1(c.value), c.expDigits);
        EXPECT_EQ(s.main, QLatin1String(c.main)) << c.value;
        EXPECT_EQ(s.exponent, QLatin1String(c.exponent)) << c.value;
    }
}

TEST(LCDispText, GlyphIndexTable)
{
    EXPECT_EQ(glyphIndex(QLatin1Char(' '), true), GlyphBlank);
    EXPECT_EQ(glyphIndex(QLatin1Char(' '), false), -1);
    EXPECT_EQ(glyphIndex(QLatin1Char('-'), true), GlyphMinus);
    for (int d = 0; d <= 9; ++d)
        EXPECT_EQ(glyphIndex(QChar(u'0' + d), true), d);
    const QString hex = QStringLiteral("ABCDEF");
    for (int i = 0; i < hex.size(); ++i)
        EXPECT_EQ(glyphIndex(hex.at(i), true), 12 + i);
    for (QChar c : QStringLiteral("V%+.,:Gx"))
        EXPECT_EQ(glyphIndex(c, true), 0) << QString(c).toStdString();
    // The patterns that matter most for reading a meter.
    EXPECT_STREQ(kGlyphs[8], "1111111");
    EXPECT_STREQ(kGlyphs[GlyphMinus], "0000001");
    EXPECT_STREQ(kGlyphs[13], "0011111"); // b
}

TEST(LCDispText, AlignRightPadsAndCutsFromTheLeft)
{
    EXPECT_EQ(alignRight(QStringLiteral("12"), 4), QStringLiteral("  12"));
    EXPECT_EQ(alignRight(QStringLiteral("12345"), 4), QStringLiteral("2345"));
    EXPECT_EQ(alignRight(QStringLiteral("12"), 0), QString());
}

TEST(LCDispText, TakeSeparatorGivesTheCellBeforeIt)
{
    struct Case {
        const char *text, *seps;
        int digits;
        std::optional<int> cell;
        const char *rest;
    } cases[] = {
        {"12.34", ".,", 4, 1, "1234"},
        {"123.4", ".,", 4, 2, "1234"},
        {"1,234.5", ".,", 8, 6, "1,2345"}, // the full stop wins over the comma
        {"1,5", ".,", 4, 2, "15"},
        {"12.", ".,", 4, 3, "12"},
        {"1234", ".,", 4, std::nullopt, "1234"},
        {"12.3456", ".,", 4, -1, "123456"}, // before the first cell
        {"12:34", ":", 4, 1, "1234"},
    };
    for (const Case &c : cases) {
        QString t = QString::fromLatin1(c.text);
        EXPECT_EQ(takeSeparator(t, c.digits, QString::fromLatin1(c.seps)), c.cell) << c.text;
        EXPECT_EQ(t, QLatin1String(c.rest)) << c.text;
    }
}

TEST(LCDispText, ThousandsMarksTable)
{
    const auto marks = [](const char *text, int digits, int grouping) {
        QString out;
        for (bool b : findThousandsMarks(QString::fromLatin1(text), digits, grouping))
            out += b ? QLatin1Char('^') : QLatin1Char('.');
        return out;
    };
    EXPECT_EQ(marks("1234567", 8, 3), QStringLiteral(".^..^..."));
    EXPECT_EQ(marks("123", 8, 3), QStringLiteral("........"));
    EXPECT_EQ(marks("1234.56", 8, 3), QStringLiteral("..^....."));
    EXPECT_EQ(marks("-123456", 8, 3), QStringLiteral("....^...")); // never after the sign
    EXPECT_EQ(marks("123456", 8, 2), QStringLiteral("...^.^.."));
    EXPECT_EQ(marks("12345", 8, 1), QStringLiteral("...^^^^."));
    // A text longer than the group: marks only for the cells shown.
    EXPECT_EQ(marks("123456789012", 8, 3), QStringLiteral(".^..^..."));
    // A grouping below 1 gives no marks (it must not loop).
    EXPECT_EQ(marks("1234567", 8, 0), QStringLiteral("........"));
    EXPECT_EQ(marks("1234567", 8, -3), QStringLiteral("........"));
}

TEST(LCDispGeometry, CellSizesByStyle)
{
    EXPECT_EQ(cellSize({8, 3, 0, StyleRect}), QSize(11, 21));
    EXPECT_EQ(cellSize({12, 4, 0, StyleHex}), QSize(16, 28));
    EXPECT_EQ(cellSize({12, 4, 1, StyleTrapezoid}), QSize(14, 28));
    EXPECT_FALSE(cellSize({8, 3, 0, 7}).has_value());
}

TEST(LCDispGeometry, SegmentPlacesInACell)
{
    // Segment length 12, width 4, gap 1: region and top left corner of the
    // segments a to g, worked out from the placement rules of each style.
    struct Case {
        int style;
        std::array<std::pair<int, QPoint>, 7> places;
    };
    const Case cases[] = {
        {StyleHex,
         {{{HexHorizontal, {3, 0}}, {HexVertical, {14, 3}}, {HexVertical, {14, 17}}, {HexHorizontal, {3, 28}},
           {HexVertical, {0, 17}}, {HexVertical, {0, 3}}, {HexHorizontal, {3, 14}}}}},
        {StyleTrapezoid,
         {{{TrapTop, {1, 0}}, {TrapRight, {10, 1}}, {TrapRight, {10, 15}}, {TrapBottom, {1, 24}},
           {TrapLeft, {0, 15}}, {TrapLeft, {0, 1}}, {HexHorizontal, {1, 12}}}}},
        {StyleRect,
         {{{RectHorizontal, {4, 0}}, {RectVertical, {16, 4}}, {RectVertical, {16, 20}}, {RectHorizontal, {4, 32}},
           {RectVertical, {0, 20}}, {RectVertical, {0, 4}}, {RectHorizontal, {4, 16}}}}},
    };
    for (const Case &c : cases) {
        const auto places = *segmentPlaces({12, 4, 1, c.style});
        for (size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(places[i].region, c.places[i].first) << "style " << c.style << " segment " << i;
            EXPECT_EQ(places[i].at, c.places[i].second) << "style " << c.style << " segment " << i;
        }
    }
}

TEST(LCDispGeometry, SegmentsStayInsideTheirCellAndDoNotOverlap)
{
    for (int style : {StyleHex, StyleTrapezoid, StyleRect}) {
        const GroupSizes s{12, 4, 1, style};
        const QRect cell(QPoint(0, 0), *cellSize(s));
        const Regions regs = makeRegions(s.h, s.w, 5, 1, 1);
        const auto places = *segmentPlaces(s);
        QRegion all;
        for (const SegmentPlace &pl : places) {
            const QRegion r = regs[size_t(pl.region)].translated(pl.at);
            EXPECT_FALSE(r.isEmpty()) << style;
            EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(r.boundingRect())) << style;
            EXPECT_FALSE(all.intersects(r)) << "style " << style << " region " << pl.region;
            all += r;
        }
    }
}

TEST(LCDispGeometry, HexagonThicknessIsAtLeastFourAndEven)
{
    for (int w : {1, 2, 3, 4, 5, 7}) {
        const QRect br = QRegion(hexPolygon(w, 20), Qt::WindingFill).boundingRect();
        EXPECT_EQ(br.width(), std::max(4, w - w % 2)) << w;
    }
}

TEST(LCDispGeometry, MarkShapesAndPlaces)
{
    const Regions regs = makeRegions(8, 3, 5, 1, 0);
    EXPECT_EQ(regs[PointMark].boundingRect(), QRect(0, 0, 2, 2)); // square (w - 1)
    EXPECT_FALSE(regs[ThousandsMark].isEmpty());                  // comma shape
    EXPECT_TRUE(makeRegions(8, 3, 5, 2, 7)[PointMark].isEmpty()); // unknown kinds give no shape
    EXPECT_EQ(markPlace(1, 10, QSize(11, 21), 5, 3, 6, StyleRect), QPoint(10 + 11 + 3 - 1, 5 + 21 - 3 + 1 - 1));
    EXPECT_EQ(markPlace(0, 10, QSize(11, 21), 5, 3, 6, StyleRect), QPoint(10 + 11 - 3, 5 + 21 - 3 - 1));
    EXPECT_FALSE(markPlace(2, 10, QSize(11, 21), 5, 3, 6, StyleRect).has_value());
    const auto colon = colonPlaces(10, 11, 5, 8, 3, 6);
    EXPECT_EQ(colon[0], QPoint(10 + 11 + 3 - 1 + 1, 5 + 4 + 1));
    EXPECT_EQ(colon[1].y() - colon[0].y(), 8);
}

TEST(LCDispGeometry, RoundedRegionCutsOnlyTheCorners)
{
    const QRegion plain = roundedRegion(0, 0, 100, 30, 0, 0, 0, 0);
    EXPECT_EQ(plain, QRegion(0, 0, 100, 30));
    const QRegion round = roundedRegion(0, 0, 100, 30, 15, 15, 15, 15);
    for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 29), QPoint(99, 29)})
        EXPECT_FALSE(round.contains(corner));
    for (QPoint inside : {QPoint(50, 0), QPoint(50, 29), QPoint(0, 15), QPoint(99, 15), QPoint(50, 15)})
        EXPECT_TRUE(round.contains(inside));
}

TEST(LCDispGeometry, GradientRunsFromColourOneToColourTwo)
{
    const uint32_t red = 0x0000FF, blue = 0xFF0000;
    const QRgb r = qRgb(255, 0, 0), b = qRgb(0, 0, 255);
    const QImage up = fillGradient(40, 20, red, blue, 90, false); // bottom to top
    EXPECT_EQ(up.pixel(5, 19), r);
    EXPECT_EQ(up.pixel(5, 0), b);
    EXPECT_EQ(up.pixel(0, 10), up.pixel(39, 10)); // rows are flat
    const QImage across = fillGradient(40, 20, red, blue, 180, false);
    EXPECT_EQ(across.pixel(0, 5), across.pixel(0, 15)); // columns are flat
    EXPECT_NE(across.pixel(0, 5), across.pixel(39, 5));
    // Middle-out, an even number of steps: colour 1 at both ends, colour 2 in the middle.
    const QImage mid = fillGradient(10, 20, red, blue, 90, true);
    EXPECT_EQ(mid.pixel(0, 19), r);
    EXPECT_EQ(qRed(mid.pixel(0, 0)), 255 - 255 / 19); // step 1, not a dark step
    EXPECT_EQ(mid.pixel(0, 9), b);
    EXPECT_TRUE(fillGradient(0, 5, red, blue, 90, false).isNull());
}

TEST(LCDispGeometry, GradientStaysInsideItsTableForAnyAngleAndSize)
{
    // Every pixel is one of the steps between the colours, whatever the
    // angle (including odd ones) and the shape of the image.
    for (float angle : {0.f, 1.f, 44.5f, 45.f, 89.f, 90.f, 135.f, 180.f, 225.f, 269.f, 271.f, 359.f, -30.f,
                        720.f, 1e30f, std::numeric_limits<float>::quiet_NaN()})
        for (QSize size : {QSize(1, 1), QSize(1, 50), QSize(50, 1), QSize(97, 13), QSize(13, 97)}) {
            const QImage img = fillGradient(size.width(), size.height(), 0x000000, 0x00C8FF, angle, true);
            ASSERT_FALSE(img.isNull());
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QRgb p = img.pixel(x, y);
                    // On the line from black to (255, 200, 0): green
                    // follows red at 200/255, give or take rounding.
                    ASSERT_EQ(qBlue(p), 0);
                    ASSERT_LE(qGreen(p), 200);
                    ASSERT_NEAR(qGreen(p), qRed(p) * 200.0 / 255.0, 1.0) << x << "," << y << " at " << angle;
                }
        }
    // Equal colours give a flat picture whatever the angle.
    const QImage flat = fillGradient(30, 10, 0x123456, 0x123456, 33, true);
    EXPECT_EQ(flat.pixel(0, 0), flat.pixel(29, 9));
}
