// The readout as drawn: the control is rendered into an image and each
// segment of each cell is read back as lit, unlit (burned in) or not
// painted, for values, presets and drawing options. The controls here are
// not shown, so a value is drawn when the picture is read (surface, grab,
// the paint log); steps that must each be drawn read it in between.
#include "common/PaintCounter.h"
#include "panel/LCDisp.h"
#include "panel/LCDispGeometry.h"
#include "panel/LCDispText.h"
#include "platform/Colors.h"

#include <QApplication>
#include <QHash>
#include <QScreen>
#include <gtest/gtest.h>

using namespace qx::lcd;

namespace {
QRgb rgbOf(uint32_t ole) { return qx::oleToColor(ole).rgb() & 0xFFFFFF; }

QImage render(LCDisp &d) { return d.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRgb pixel(const QImage &img, QPoint p) { return img.pixel(p) & 0xFFFFFF; }

// Sets a value and has it drawn now, as a shown control draws it.
void setDrawn(LCDisp &d, const QString &v)
{
    d.set_Value(v);
    d.surface();
}

// Segment a..g of one cell, read from the image: '1' lit, '0' unlit, '.'
// neither (background or something else).
QString segments(const LCDisp &d, const QImage &img, bool exponent, int cell, bool negative = false)
{
    const LCDispProps &p = d.props();
    const GroupSizes s = exponent
        ? GroupSizes{p.SegmentHeightExp, p.SegmentWidthExp, p.InterSegmentGapExp, p.SegmentStyleExp}
        : GroupSizes{p.SegmentHeight, p.SegmentWidth, p.InterSegmentGap, p.SegmentStyle};
    const Regions regs = makeRegions(s.h, s.w, 0, 1, 1);
    const QRgb lit = rgbOf(negative ? p.SegmentLitColorNeg : p.SegmentLitColor);
    const QRgb unlit = rgbOf(negative ? p.BurnInColorNeg : p.BurnInColor);
    const QPoint origin = d.cellRect(exponent, cell).topLeft();
    QString out;
    const auto places = *segmentPlaces(s);
    for (const SegmentPlace &pl : places) {
        const QRegion r = regs[size_t(pl.region)];
        const QPoint c = r.boundingRect().center();
        EXPECT_TRUE(r.contains(c));
        const QRgb px = pixel(img, origin + pl.at + c);
        out += px == lit ? QLatin1Char('1') : px == unlit ? QLatin1Char('0') : QLatin1Char('.');
    }
    return out;
}

// The segments a to g that each character lights ("1") or leaves unlit
// ("0"), as the glyph table of the readout's design lists them; a blank
// without burn-in is only wiped ("."), a character outside the table shows
// as 0.
QStringList glyphs(const QString &cells, bool showBurnIn = true)
{
    static const QHash<QChar, QString> table = {
        {'0', "1111110"}, {'1', "0110000"}, {'2', "1101101"}, {'3', "1111001"}, {'4', "0110011"},
        {'5', "1011011"}, {'6', "1011111"}, {'7', "1110000"}, {'8', "1111111"}, {'9', "1111011"},
        {' ', "0000000"}, {'-', "0000001"}, {'A', "1110111"}, {'B', "0011111"}, {'C', "1001110"},
        {'D', "0111101"}, {'E', "1001111"}, {'F', "1000111"},
    };
    QStringList out;
    for (QChar c : cells) {
        if (c == QLatin1Char(' ') && !showBurnIn)
            out << QStringLiteral(".......");
        else
            out << table.value(c, table.value(QLatin1Char('0')));
    }
    return out;
}

QStringList cellsShown(const LCDisp &d, const QImage &img, bool exponent, bool negative = false)
{
    QStringList out;
    const int n = exponent ? d.NumDigitsExp() : d.NumDigits();
    for (int i = 0; i < n; ++i)
        out << segments(d, img, exponent, i, negative);
    return out;
}

// A small readout with distinct colours for each state.
void smallReadout(LCDisp &d, int digits, int expDigits)
{
    d.set_NumDigits(digits);
    d.set_NumDigitsExp(expDigits);
    // Room for cells up to 26 pixels apart, so the groups never overlap.
    d.set_XOffsetExp(5 + digits * 26 + 10);
    d.set_SegmentLitColorNeg(qx::rgb(255, 0, 0));
    d.set_BurnInColorNeg(qx::rgb(80, 0, 0));
    d.resize(5 + (digits + expDigits) * 26 + 30, 31);
}

bool lit(const LCDisp &d, const QImage &img, QPoint p) { return pixel(img, p) == rgbOf(d.SegmentLitColor()); }

QPoint pointPlace(const LCDisp &d, int cell)
{
    const QRect r = d.cellRect(false, cell);
    return *markPlace(d.DecimalSeparator(), r.x(), r.size(), d.YOffset(), d.SegmentWidth(), d.InterDigitGap(),
                      d.SegmentStyle());
}
} // namespace

TEST(LCDispRender, CellsLieWhereTheOffsetsGapsAndSizesPutThem)
{
    LCDisp d;
    d.set_BorderWidth(1);
    d.set_NumDigits(3);
    d.set_SegmentStyle(StyleHex);
    d.set_SegmentHeight(12);
    d.set_SegmentWidth(4);
    d.set_InterSegmentGap(1);
    d.set_InterDigitGap(6);
    d.set_XOffset(5);
    d.set_YOffset(3);
    d.set_ShowExponent(true);
    d.set_NumDigitsExp(2);
    d.set_SegmentStyleExp(StyleRect);
    d.set_SegmentHeightExp(8);
    d.set_SegmentWidthExp(4);
    d.set_InterSegmentGapExp(0);
    d.set_InterDigitGapExp(2);
    d.set_XOffsetExp(70);
    d.set_YOffsetExp(4);
    d.resize(120, 45);
    // Hexagonal cells 12 + 4 + 2 wide and 24 + 4 + 4 high from x = 1 + 5,
    // rectangular ones 8 + 8 - 3 wide and 16 + 12 - 4 high from x = 1 + 70.
    EXPECT_EQ(d.cellRect(false, 0), QRect(6, 3, 18, 32));
    EXPECT_EQ(d.cellRect(false, 1), QRect(30, 3, 18, 32));
    EXPECT_EQ(d.cellRect(false, 2), QRect(54, 3, 18, 32));
    EXPECT_EQ(d.cellRect(true, 0), QRect(71, 4, 13, 24));
    EXPECT_EQ(d.cellRect(true, 1), QRect(86, 4, 13, 24));
}

TEST(LCDispRender, ValuesShowAsLitSegments)
{
    struct Case {
        const char *value;
        const char *mainCells, *expCells;
        int pointAfter; // -1: no point
        bool negative;
    } cases[] = {
        {"12.34", "1234", "   ", 1, false},
        {"12345", "2345", "   ", -1, false},     // the leftmost digit is lost
        {"abc", " ABC", "   ", -1, false},
        {"1V%+", "1000", "   ", -1, false},      // characters outside the table show 0
        {"-1.5", " -15", "   ", 2, true},
        {"1,234.5", "2345", "   ", 2, false},    // the comma is a cell (cut off here)
        {"1.5E-3", "  15", "-03", 2, false},
        {"7E+12345", "   7", " 45", -1, false},
        {"12.3456", "3456", "   ", -1, false},   // the point falls before the first cell
        {"", "    ", "   ", -1, false},
        {"0123456789", "6789", "   ", -1, false},
    };
    for (const Case &c : cases) {
        LCDisp d;
        smallReadout(d, 4, 3);
        d.set_Value(QString::fromLatin1(c.value));
        const QImage img = render(d);
        EXPECT_EQ(cellsShown(d, img, false, c.negative), glyphs(QString::fromLatin1(c.mainCells))) << c.value;
        EXPECT_EQ(cellsShown(d, img, true, c.negative), glyphs(QString::fromLatin1(c.expCells))) << c.value;
        for (int k = 0; k < 4; ++k) {
            const QRgb want = rgbOf(c.negative ? d.SegmentLitColorNeg() : d.SegmentLitColor());
            EXPECT_EQ(pixel(img, pointPlace(d, k)) == want, k == c.pointAfter) << c.value << " cell " << k;
        }
    }
}

TEST(LCDispRender, EveryGlyphInEveryStyle)
{
    const QString text = QStringLiteral("0123456789 -ABCDEF");
    for (int style : {StyleHex, StyleTrapezoid, StyleRect}) {
        LCDisp d;
        d.set_NumDigits(18);
        d.set_NumDigitsExp(0);
        d.set_SegmentStyle(style);
        d.set_SegmentHeight(10);
        d.set_SegmentWidth(4);
        d.resize(18 * 26, 40);
        d.set_Value(text);
        EXPECT_EQ(cellsShown(d, render(d), false), glyphs(text)) << "style " << style;
    }
}

TEST(LCDispRender, ColonAndExponentShowARunTime)
{
    LCDisp d;
    smallReadout(d, 4, 2);
    d.set_Value(QStringLiteral("12:34E+56"));
    const QImage img = render(d);
    EXPECT_EQ(cellsShown(d, img, false), glyphs(QStringLiteral("1234")));
    EXPECT_EQ(cellsShown(d, img, true), glyphs(QStringLiteral("56"))); // no sign cell
    const QRect c1 = d.cellRect(false, 1);
    const auto dots = colonPlaces(c1.x(), c1.width(), d.YOffset(), d.SegmentHeight(), d.SegmentWidth(),
                                  d.InterDigitGap());
    EXPECT_TRUE(lit(d, img, dots[0]));
    EXPECT_TRUE(lit(d, img, dots[1]));
    // The colon moves with the text and leaves no dot behind.
    d.set_Value(QStringLiteral("123:4E+56"));
    const QImage moved = render(d);
    EXPECT_FALSE(lit(d, moved, dots[0]));
    EXPECT_FALSE(lit(d, moved, dots[1]));
}

TEST(LCDispRender, ThousandsMarksFollowTheGroups)
{
    LCDisp d;
    smallReadout(d, 8, 0);
    d.set_ThousandsSeparator(1);
    d.set_ShowThousandsSeparator(true);
    d.set_Value(QStringLiteral("1234567"));
    const QImage img = render(d);
    EXPECT_EQ(cellsShown(d, img, false), glyphs(QStringLiteral(" 1234567")));
    const auto markAt = [&](int cell) {
        const QRect r = d.cellRect(false, cell);
        return *markPlace(1, r.x(), r.size(), d.YOffset(), d.SegmentWidth(), d.InterDigitGap(), d.SegmentStyle());
    };
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(lit(d, img, markAt(k)), k == 1 || k == 4) << k;
    d.set_Value(QStringLiteral("123"));
    const QImage none = render(d);
    for (int k = 0; k < 8; ++k)
        EXPECT_FALSE(lit(d, none, markAt(k))) << k;
}

TEST(LCDispRender, BlanksWithAndWithoutBurnIn)
{
    LCDisp d;
    smallReadout(d, 4, 0);
    d.set_Value(QStringLiteral("8"));
    EXPECT_EQ(segments(d, render(d), false, 0), QStringLiteral("0000000"));
    d.set_ShowBurnIn(false);
    const QImage img = render(d);
    EXPECT_EQ(segments(d, img, false, 0), QStringLiteral("......."));
    EXPECT_EQ(segments(d, img, false, 3), QStringLiteral("1111111"));
    EXPECT_EQ(pixel(img, d.cellRect(false, 0).center()), rgbOf(d.BackColor1()));
}

TEST(LCDispRender, OnlyChangedCellsAreRepainted)
{
    LCDisp d;
    smallReadout(d, 4, 3);
    d.set_Value(QStringLiteral("12.34"));
    EXPECT_EQ(d.lastPainted().main, QList<int>({0, 1, 2, 3})); // first drawing: every cell
    const QImage before = render(d);

    d.set_Value(QStringLiteral("123.4")); // same cells, the point moves
    EXPECT_TRUE(d.lastPainted().main.isEmpty());
    EXPECT_TRUE(d.lastPainted().exponent.isEmpty());
    const QImage moved = render(d);
    EXPECT_FALSE(lit(d, moved, pointPlace(d, 1)));
    EXPECT_TRUE(lit(d, moved, pointPlace(d, 2)));
    EXPECT_EQ(cellsShown(d, moved, false), glyphs(QStringLiteral("1234")));

    d.set_Value(QStringLiteral("123.9"));
    EXPECT_EQ(d.lastPainted().main, QList<int>({3}));
    const QImage after = render(d);
    // Pixels changed only inside cell 3 and where the point was and went.
    const QRect cell3 = d.cellRect(false, 3);
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != moved.pixel(x, y)) {
                ASSERT_TRUE(cell3.contains(x, y)) << x << "," << y;
            }
    EXPECT_NE(before, after);

    d.set_Value(QStringLiteral("123.9E-1"));
    EXPECT_TRUE(d.lastPainted().main.isEmpty());
    EXPECT_EQ(d.lastPainted().exponent, QList<int>({0, 1, 2}));
    d.set_Value(QStringLiteral("123.9E-2"));
    EXPECT_EQ(d.lastPainted().exponent, QList<int>({2}));
}

TEST(LCDispRender, AReadingOfTheSameValueRepaintsNothing)
{
    // A reading that shows what is on screen already (a steady voltage, a
    // point and thousands marks included) asks the window system for no
    // repaint; a changed digit does.
    LCDisp d;
    smallReadout(d, 8, 0);
    d.set_ShowThousandsSeparator(true);
    d.set_Value(QStringLiteral("12345.6"));
    d.show();
    QApplication::processEvents();
    qx::test::PaintCounter count(&d);
    for (int k = 0; k < 3; ++k) {
        d.set_Value(QStringLiteral("12345.6"));
        QApplication::processEvents();
    }
    EXPECT_EQ(count.paints, 0);
    d.set_Value(QStringLiteral("12345.7"));
    QApplication::processEvents();
    EXPECT_EQ(count.paints, 1);
}

TEST(LCDispRender, StepByStepDrawingEqualsAFreshDrawing)
{
    // Whatever came before, the picture of a value is the same as on a
    // control that draws only that value: no mark is left behind or cut
    // into, no segment is lost when a mark moves or a cell is repainted.
    const QStringList sequences[] = {
        {QStringLiteral("12.34"), QStringLiteral("123.4"), QStringLiteral("1.234"), QStringLiteral("1234")},
        {QStringLiteral("1234567"), QStringLiteral("-12345.6"), QStringLiteral("999"), QStringLiteral("1234567.8")},
        {QStringLiteral("12:34E+56"), QStringLiteral("1:234E+5"), QStringLiteral("-1.5E-3"), QStringLiteral("8:8.8")},
        {QStringLiteral("0.001"), QStringLiteral("10.01"), QStringLiteral("-100.1"), QStringLiteral("1000,5")},
    };
    // Roomy cells, and cells so close that the comma marks reach into
    // their neighbours.
    const QSize heightAndGap[] = {QSize(10, 6), QSize(16, 0)};
    for (QSize hg : heightAndGap)
        for (int style : {StyleHex, StyleTrapezoid, StyleRect})
            for (int kind : {0, 1})
                for (const QStringList &seq : sequences) {
                    const auto make = [&](LCDisp &d) {
                        smallReadout(d, 8, 3);
                        d.resize(d.width(), 60);
                        d.set_SegmentStyle(style);
                        d.set_SegmentWidth(4);
                        d.set_SegmentHeight(hg.width());
                        d.set_InterDigitGap(hg.height());
                        d.set_DecimalSeparator(kind);
                        d.set_ThousandsSeparator(kind);
                        d.set_ShowThousandsSeparator(true);
                    };
                    LCDisp stepped, fresh;
                    make(stepped);
                    make(fresh);
                    for (const QString &v : seq)
                        setDrawn(stepped, v);
                    fresh.set_Value(seq.last());
                    EXPECT_EQ(render(stepped), render(fresh))
                        << "height " << hg.width() << " style " << style << " kind " << kind << " "
                        << seq.join(QLatin1Char(' ')).toStdString();
                }
}

TEST(LCDispRender, ChangeOfSignRepaintsEveryCellInTheNewColours)
{
    LCDisp d;
    smallReadout(d, 4, 2);
    setDrawn(d, QStringLiteral("1.5"));
    d.set_Value(QStringLiteral("-1.5"));
    EXPECT_EQ(d.lastPainted().main, QList<int>({0, 1, 2, 3}));
    EXPECT_EQ(d.lastPainted().exponent, QList<int>({0, 1}));
    const QImage neg = render(d);
    EXPECT_EQ(cellsShown(d, neg, false, true), glyphs(QStringLiteral(" -15")));
    EXPECT_EQ(pixel(neg, pointPlace(d, 2)), rgbOf(d.SegmentLitColorNeg()));
    d.set_Value(QStringLiteral("1.5"));
    EXPECT_EQ(d.lastPainted().main.size(), 4);
    EXPECT_EQ(cellsShown(d, render(d), false), glyphs(QStringLiteral("  15")));
}

TEST(LCDispRender, HiddenExponentIsNotDrawn)
{
    LCDisp d;
    smallReadout(d, 4, 2);
    d.set_Value(QStringLiteral("1E+7"));
    d.set_ShowExponent(false); // the rebuild clears the exponent cells
    d.set_Value(QStringLiteral("2E+9"));
    EXPECT_TRUE(d.lastPainted().exponent.isEmpty());
    const QImage img = render(d);
    EXPECT_EQ(cellsShown(d, img, false), glyphs(QStringLiteral("   2")));
    EXPECT_EQ(cellsShown(d, img, true), QStringList({QStringLiteral("......."), QStringLiteral(".......")}));
}

TEST(LCDispRender, PresetColoursAndSizes)
{
    for (int theme = 1; theme <= 6; ++theme) {
        LCDisp d;
        d.set_Theme(theme);
        d.set_Value(QStringLiteral("8"));
        const QImage img = render(d);
        const LCDispProps &p = d.props();
        EXPECT_EQ(pixel(img, QPoint(img.width() / 2, 0)), rgbOf(0xFF0000)) << theme; // blue border
        EXPECT_EQ(pixel(img, QPoint(2, img.height() - 2)), rgbOf(p.BackColor1)) << theme;
        EXPECT_EQ(segments(d, img, false, 19), QStringLiteral("1111111")) << theme;
        EXPECT_EQ(segments(d, img, false, 0), QStringLiteral("0000000")) << theme;
        EXPECT_EQ(cellsShown(d, img, true), glyphs(QStringLiteral("    "))) << theme;
    }
    LCDisp light;
    light.set_Theme(3);
    const QImage img = render(light);
    EXPECT_EQ(img.size(), QSize(435, 38));
    EXPECT_EQ(pixel(img, QPoint(2, 2)), qRgb(224, 224, 224) & 0xFFFFFF);
    EXPECT_EQ(segments(light, img, false, 19), "1111110"); // "1234567890": black 0
}

TEST(LCDispRender, NewControlShowsItsDefaultValue)
{
    LCDisp d;
    const QImage img = render(d);
    EXPECT_EQ(cellsShown(d, img, false), glyphs(QStringLiteral("          1234567890")));
    EXPECT_EQ(cellsShown(d, img, true), glyphs(QStringLiteral("    ")));
}

TEST(LCDispRender, FillStyles)
{
    LCDisp d;
    smallReadout(d, 2, 0);
    d.set_Value(QStringLiteral("1"));
    // Outline: the edge of a lit segment is lit, its middle is not.
    d.set_SegmentStyle(StyleRect);
    d.set_SegmentWidth(5);
    d.set_SegmentHeight(12);
    d.set_SegmentFillStyle(0);
    QImage img = render(d);
    const QRect c1 = d.cellRect(false, 1);
    const auto places = *segmentPlaces({12, 5, 0, StyleRect});
    const QRect b = makeRegions(12, 5, 0, 1, 1)[RectVertical].boundingRect().translated(c1.topLeft() + places[1].at);
    EXPECT_TRUE(lit(d, img, b.topLeft()));
    EXPECT_FALSE(lit(d, img, b.center()));
    // Shaded: lit segments take the shading, unlit ones are not painted.
    d.set_Seg3DColor1(qx::rgb(10, 20, 30));
    d.set_Seg3DColor2(qx::rgb(200, 210, 220));
    d.set_SegmentFillStyle(2);
    img = render(d);
    const QRgb shade = pixel(img, b.center());
    EXPECT_NE(shade, rgbOf(d.SegmentLitColor()));
    EXPECT_GE(qRed(shade), 10);
    EXPECT_LE(qRed(shade), 200);
    EXPECT_EQ(segments(d, img, false, 1).at(0), QLatin1Char('.')); // segment a of "1" is unlit: not painted
    EXPECT_EQ(pixel(img, b.center() - QPoint(0, b.height())), rgbOf(d.BackColor1()));
}

TEST(LCDispRender, BorderAndRoundedCorners)
{
    LCDisp d;
    d.set_BorderColor(qx::rgb(0, 255, 0));
    d.set_BorderWidth(3);
    QImage img = render(d);
    EXPECT_EQ(pixel(img, QPoint(d.width() / 2, 2)), qRgb(0, 255, 0) & 0xFFFFFF);
    EXPECT_EQ(pixel(img, QPoint(d.width() / 2, 3)), rgbOf(d.BackColor1()));
    EXPECT_TRUE(d.mask().isEmpty()); // square corners: no window region cut
    d.set_CurveTopLeft(10);
    d.set_CurveBottomRight(10);
    EXPECT_FALSE(d.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(d.mask().contains(QPoint(d.width() - 1, d.height() - 1)));
    EXPECT_TRUE(d.mask().contains(QPoint(d.width() - 1, 0)));
    EXPECT_TRUE(d.mask().contains(QPoint(d.width() / 2, d.height() / 2)));
    d.set_BorderWidth(0);
    img = render(d);
    EXPECT_EQ(pixel(img, QPoint(d.width() / 2, 0)), rgbOf(d.BackColor1()));
}

TEST(LCDispRender, BackgroundChangesReachCellsRepaintedLater)
{
    LCDisp d;
    smallReadout(d, 4, 0);
    setDrawn(d, QStringLiteral("1"));
    d.set_BackColor1(qx::rgb(255, 255, 255));
    d.set_BackColor2(qx::rgb(255, 255, 255));
    d.surface();
    d.set_Value(QStringLiteral("7")); // repaints cell 3 from the background image
    const QImage img = render(d);
    const QRect c3 = d.cellRect(false, 3);
    EXPECT_EQ(pixel(img, c3.topLeft()), qRgb(255, 255, 255) & 0xFFFFFF);
    EXPECT_EQ(segments(d, img, false, 3), "1110000"); // 7
}

TEST(LCDispRender, ResizeLeavesNoStaleArea)
{
    LCDisp d;
    d.set_Theme(3); // light grey face
    d.set_Value(QStringLiteral("42"));
    d.resize(600, 60);
    EXPECT_EQ(d.surface().size(), QSize(600, 60));
    const QImage img = render(d);
    const QRgb grey = qRgb(224, 224, 224) & 0xFFFFFF;
    for (QPoint p : {QPoint(598, 30), QPoint(300, 57), QPoint(520, 50)})
        EXPECT_EQ(pixel(img, p), grey) << p.x() << "," << p.y();
    EXPECT_EQ(pixel(img, QPoint(599, 30)), rgbOf(0xFF0000)); // the border follows the new size
    d.set_Value(QStringLiteral("43"));
    EXPECT_EQ(segments(d, render(d), false, 19), "1111001"); // 3
}

TEST(LCDispRender, Seg3DAngleChangesNothingOnScreen)
{
    LCDisp d;
    d.set_SegmentFillStyle(2);
    const QImage before = render(d);
    d.set_Seg3DAngle(33);
    EXPECT_EQ(render(d), before);
}

TEST(LCDispRender, OddValuesNeverFault)
{
    // Texts far longer than the group, separators in the cut-off part, an
    // exponent with no exponent cells, unknown styles and separator kinds.
    LCDisp d;
    d.set_NumDigits(50);
    d.set_NumDigitsExp(5);
    d.set_ShowThousandsSeparator(true);
    d.set_ThousandsGrouping(1);
    const QString longText = QString(200, QLatin1Char('9')) + QStringLiteral(".5:1,2");
    for (const QString &v : {longText, QStringLiteral(":.:.:.:"), QStringLiteral("E+"), QStringLiteral("-E-"),
                             QStringLiteral("1:2:3E+:"), QString(300, QLatin1Char(':'))})
        setDrawn(d, v);
    d.set_NumDigitsExp(0);
    setDrawn(d, QStringLiteral("1:2E+34"));
    d.set_SegmentStyle(9);
    d.set_SegmentStyleExp(-1);
    d.set_DecimalSeparator(5);
    d.set_ThousandsSeparator(-2);
    d.set_SegmentFillStyle(4);
    d.set_PictureMode(8);
    setDrawn(d, QStringLiteral("12.345,6"));
    d.set_SegmentWidth(0);
    d.set_SegmentHeight(0);
    d.set_SegmentStyle(0);
    setDrawn(d, QStringLiteral("8.8"));
    d.resize(0, 0);
    setDrawn(d, QStringLiteral("1"));
    d.resize(50, 20);
    EXPECT_EQ(d.surface().size(), QSize(50, 20));
}

TEST(LCDispRender, PictureBackgrounds)
{
    QImage pic(6, 4, QImage::Format_RGB32);
    pic.fill(qRgb(10, 200, 30));
    for (int mode : {0, 1, 2}) {
        LCDisp d;
        d.set_NumDigits(1);
        d.set_Picture(pic);
        d.set_PictureMode(mode);
        const QImage img = render(d);
        const QPoint probe = mode == 0 ? QPoint(3, 2) : QPoint(d.width() - 3, d.height() - 3);
        EXPECT_EQ(pixel(img, probe), qRgb(10, 200, 30) & 0xFFFFFF) << mode;
        EXPECT_EQ(pixel(img, QPoint(d.width() / 2, 0)), rgbOf(0xFF0000)) << mode; // border on top
    }
    LCDisp empty;
    empty.set_Picture(QImage(0, 5, QImage::Format_RGB32)); // counts as no picture
    EXPECT_EQ(pixel(render(empty), QPoint(3, 3)), rgbOf(empty.BackColor1()));
}

TEST(LCDispRender, ScreenShowsWhatTheValueLightsWhenSegmentsTouchTheBorder)
{
    // Cells at the top edge (no offset) of a bordered readout, as the panel
    // places them: a segment that goes out must go off the screen too, also
    // on the border row its outline reaches. What the window system holds of
    // the window is compared, pixel for pixel, with a readout that was drawn
    // whole with the new value.
    for (int style : {StyleHex, StyleTrapezoid, StyleRect})
        for (bool burnIn : {true, false}) {
            QWidget window;
            window.resize(100, 40);
            LCDisp stepped(&window), fresh;
            fresh.set_Value(QStringLiteral("11.11")); // drawn whole when it gets its size
            for (LCDisp *d : {&stepped, &fresh}) {
                d->set_NumDigits(4);
                d->set_NumDigitsExp(0);
                d->set_SegmentStyle(style);
                d->set_SegmentHeight(12);
                d->set_SegmentWidth(4);
                d->set_XOffset(0);
                d->set_YOffset(0);
                d->set_BorderWidth(1);
                d->set_ShowBurnIn(burnIn);
                d->resize(83, 30);
            }
            const auto onScreen = [&window, &stepped] {
                for (int i = 0; i < 5; ++i)
                    QApplication::processEvents();
                const QImage all = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
                return all.copy(stepped.geometry()).convertToFormat(QImage::Format_RGB32);
            };
            stepped.set_Value(QStringLiteral("88.88"));
            window.show();
            onScreen();
            stepped.set_Value(QStringLiteral("11.11"));
            const QImage shown = onScreen(), whole = render(fresh);
            ASSERT_EQ(shown.size(), whole.size());
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    ASSERT_EQ(pixel(shown, QPoint(x, y)), pixel(whole, QPoint(x, y)))
                        << "style " << style << " burn-in " << burnIn << " at " << x << "," << y;
        }
}

TEST(LCDispRender, AControlHiddenWhileItsValuesChangeShowsTheLastOneWhenShownAgain)
{
    // A readout on a tab that is not the selected one takes every reading
    // but draws none; shown again, the screen holds the last value, as a
    // readout that drew only that value shows it: the sign's colours, the
    // point where it now stands, no segment of an earlier value left.
    QWidget window;
    window.resize(300, 40);
    LCDisp hidden(&window), fresh;
    for (LCDisp *d : {&hidden, &fresh}) {
        smallReadout(*d, 6, 2);
        d->set_ShowThousandsSeparator(true);
    }
    const auto onScreen = [&window, &hidden] {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        const QImage all = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
        return all.copy(hidden.geometry()).convertToFormat(QImage::Format_RGB32);
    };
    hidden.set_Value(QStringLiteral("8888.88"));
    window.show();
    onScreen();
    window.hide();
    for (const char *v : {"-12.5", "1234.5", "0.5E-3", "-3.25"})
        hidden.set_Value(QLatin1String(v));
    window.show();
    const QImage shown = onScreen();
    fresh.set_Value(QStringLiteral("-3.25"));
    const QImage whole = render(fresh);
    EXPECT_EQ(cellsShown(hidden, shown, false, true), glyphs(QStringLiteral("  -325")));
    EXPECT_EQ(pixel(shown, pointPlace(hidden, 3)), rgbOf(hidden.SegmentLitColorNeg()));
    ASSERT_EQ(shown.size(), whole.size());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(pixel(shown, QPoint(x, y)), pixel(whole, QPoint(x, y))) << x << "," << y;
}
