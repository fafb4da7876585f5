// Readout properties: defaults, presets, range checks, persistence through
// the property bag, and the notifications the host receives.
#include "common/ErrorCode.h"
#include "panel/LCDisp.h"
#include "panel/LCDispProps.h"
#include "platform/Colors.h"
#include "platform/PropertyBag.h"
#include "platform/QxError.h"

#include <gtest/gtest.h>

using namespace qx::lcd;

namespace {
// Every property of two controls written out the same way.
QVariantMap persisted(const LCDispProps &p)
{
    qx::PropertyBag bag;
    writeProps(p, bag);
    QVariantMap m;
    for (const QString &k : bag.keys())
        m.insert(k, bag.ReadProperty(k));
    return m;
}
} // namespace

TEST(PropertyBag, ReadsDefaultsMatchesKeysWithoutCaseAndSkipsDefaults)
{
    qx::PropertyBag bag;
    QStringList heard;
    bag.addListener([&](const QString &n) { heard << n; });
    EXPECT_EQ(bag.readInt(QStringLiteral("Max"), 100), 100);
    bag.WriteProperty(QStringLiteral("Max"), 250, 100);
    EXPECT_EQ(bag.readInt(QStringLiteral("max"), 100), 250);
    bag.WriteProperty(QStringLiteral("MAX"), 250, 100); // unchanged: no notification
    bag.WriteProperty(QStringLiteral("Max"), 100, 100); // equal to its default: not stored
    EXPECT_FALSE(bag.contains(QStringLiteral("Max")));
    EXPECT_EQ(heard, QStringList({QStringLiteral("Max"), QStringLiteral("Max")}));

    // Conversions: wrong types and values that do not fit read as the default.
    bag.WriteProperty(QStringLiteral("A"), QStringLiteral("abc"));
    bag.WriteProperty(QStringLiteral("B"), 70000);
    bag.WriteProperty(QStringLiteral("C"), QStringLiteral("True"));
    bag.WriteProperty(QStringLiteral("D"), -2147483633LL); // a system colour saved as a signed value
    bag.WriteProperty(QStringLiteral("E"), QStringLiteral("2.5"));
    EXPECT_EQ(bag.readInt(QStringLiteral("A"), 7), 7);
    EXPECT_EQ(bag.readInt16(QStringLiteral("B"), 3), 3);
    EXPECT_TRUE(bag.readBool(QStringLiteral("C"), false));
    EXPECT_EQ(bag.readColor(QStringLiteral("D"), 0), 0x8000000Fu);
    EXPECT_EQ(bag.readInt(QStringLiteral("E"), 0), 2); // halves to even
    EXPECT_FLOAT_EQ(bag.readFloat(QStringLiteral("E"), 0), 2.5f);
    EXPECT_TRUE(bag.readImage(QStringLiteral("A")).isNull());
}

TEST(LCDispProps, TableHoldsAllPropertiesInInterfaceOrder)
{
    const auto &t = propTable();
    EXPECT_STREQ(t.front().name, "BackAngle");
    EXPECT_STREQ(t.back().name, "YOffsetExp");
    EXPECT_EQ(findProp(u"numdigits")->effect, Effect::Rebuild);
    EXPECT_EQ(findProp(u"Seg3DAngle")->effect, Effect::None);
    EXPECT_EQ(findProp(u"ThousandsSeparator")->effect, Effect::Value);
    EXPECT_EQ(findProp(u"BackColor1")->effect, Effect::Background);
    EXPECT_EQ(findProp(u"BorderColor")->effect, Effect::Redraw);
    EXPECT_EQ(findProp(u"Seg3DColor1")->effect, Effect::RebuildRedraw);
    EXPECT_EQ(findProp(u"Nope"), nullptr);
}

TEST(LCDispProps, DefaultsArePresetFive)
{
    LCDispProps preset;
    preset.Value = QStringLiteral("other");
    ASSERT_EQ(applyTheme(preset, 5), QSize(6045, 465));
    preset.Value = LCDispProps().Value;
    EXPECT_EQ(persisted(preset), persisted(LCDispProps()));
    EXPECT_TRUE(persisted(LCDispProps()).isEmpty());
}

TEST(LCDispProps, PresetTable)
{
    struct Case {
        int theme;
        uint32_t back, burnIn, lit;
        int style, segH;
        QSize twips;
    } cases[] = {
        {1, 0, 0x60, 0xFF, 0, 8, QSize(5715, 450)},
        {2, 0, 0x60, 0xFF, 0, 12, QSize(8355, 630)},
        {3, 0xE0E0E0, 0xD0D0D0, 0, 1, 12, QSize(6525, 570)},
        {4, 0xE0E0E0, 0xD0D0D0, 0, 1, 14, QSize(7875, 630)},
        {5, 0, 0x505000, 0xFFFF00, 2, 8, QSize(6045, 465)},
        {6, 0, 0x5050, 0xFFFF, 2, 4, QSize(3525, 300)},
    };
    for (const Case &c : cases) {
        LCDispProps p;
        p.NumDigits = 7;
        p.Seg3DColor1 = 0x123456;
        p.CurveTopLeft = 9;
        EXPECT_EQ(applyTheme(p, c.theme), c.twips) << c.theme;
        EXPECT_EQ(p.BackColor1, c.back);
        EXPECT_EQ(p.BackColor2, c.back);
        EXPECT_EQ(p.BurnInColorNeg, c.burnIn);
        EXPECT_EQ(p.SegmentLitColorNeg, c.lit);
        EXPECT_EQ(p.SegmentStyle, c.style);
        EXPECT_EQ(p.SegmentHeight, c.segH);
        EXPECT_EQ(p.NumDigits, 20);             // shared by every preset
        EXPECT_EQ(p.CurveTopLeft, 0);
        EXPECT_EQ(p.Seg3DColor1, 0x123456u);    // left alone
    }
    LCDispProps p;
    p.NumDigits = 7;
    EXPECT_FALSE(applyTheme(p, 0));
    EXPECT_FALSE(applyTheme(p, 7));
    EXPECT_EQ(p.NumDigits, 7);
}

TEST(LCDispProps, ReadBringsValuesIntoRangeAndEvensHexSegments)
{
    qx::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("NumDigits"), 80);
    bag.WriteProperty(QStringLiteral("NumDigitsExp"), 9);
    bag.WriteProperty(QStringLiteral("ThousandsGrouping"), 0);
    bag.WriteProperty(QStringLiteral("SegmentStyle"), 0);
    bag.WriteProperty(QStringLiteral("SegmentWidth"), 3);
    bag.WriteProperty(QStringLiteral("SegmentHeight"), 9);
    bag.WriteProperty(QStringLiteral("SegmentWidthExp"), 3);
    LCDispProps p = readProps(bag);
    EXPECT_EQ(p.NumDigits, MaxDigits);
    EXPECT_EQ(p.NumDigitsExp, MaxDigitsExp);
    EXPECT_EQ(p.ThousandsGrouping, 1);
    EXPECT_EQ(p.SegmentWidth, 4);
    EXPECT_EQ(p.SegmentHeight, 10);
    EXPECT_EQ(p.SegmentWidthExp, 3); // the exponent sizes stay as read
    bag.WriteProperty(QStringLiteral("SegmentStyle"), 2);
    EXPECT_EQ(readProps(bag).SegmentWidth, 3);
}

TEST(LCDispProps, ASavedSetWithNegativeSizesTakesTheirDefaults)
{
    qx::PropertyBag bag;
    const struct {
        const char *key;
        int saved, read;
    } cases[] = {
        {"SegmentHeight", -1000, 8}, {"SegmentWidth", -1, 3},        {"SegmentHeightExp", -6, 6},
        {"SegmentWidthExp", -3, 3},  {"InterDigitGap", -1000, 6},    {"InterDigitGapExp", -2, 2},
        {"InterSegmentGap", -5, 0},  {"InterSegmentGapExp", -1, 0},  {"BorderWidth", -3, 1},
        {"CurveTopLeft", -8000, 0},  {"CurveTopRight", -32767, 0},  {"CurveBottomLeft", 99999, 32767},
        {"CurveBottomRight", 8000, 8000},
    };
    for (const auto &c : cases)
        bag.WriteProperty(QLatin1String(c.key), c.saved);
    LCDisp d;
    d.ReadProperties(bag);
    const int got[] = {d.SegmentHeight(), d.SegmentWidth(), d.SegmentHeightExp(), d.SegmentWidthExp(),
                       d.InterDigitGap(), d.InterDigitGapExp(), d.InterSegmentGap(), d.InterSegmentGapExp(),
                       d.BorderWidth(), d.CurveTopLeft(), d.CurveTopRight(), d.CurveBottomLeft(),
                       d.CurveBottomRight()};
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(got[i], cases[i].read) << cases[i].key << " saved as " << cases[i].saved;
}

TEST(LCDispControl, PersistenceRoundTrip)
{
    LCDisp a;
    a.set_NumDigits(6);
    a.set_NumDigitsExp(2);
    a.set_SegmentLitColor(qx::SysButtonText);
    a.set_BackAngle(45.5f);
    a.set_BorderWidth(3);
    a.set_ShowBurnIn(false);
    a.set_Seg3DAngle(12);
    a.set_Value(QStringLiteral("-1.25"));
    QImage pic(8, 4, QImage::Format_RGB32);
    pic.fill(Qt::red);
    a.set_Picture(pic);
    qx::PropertyBag bag;
    a.WriteProperties(bag);
    EXPECT_EQ(bag.keys().size(), 9);

    LCDisp b;
    b.ReadProperties(bag);
    EXPECT_EQ(persisted(b.props()), persisted(a.props()));
    EXPECT_EQ(b.Value(), QStringLiteral("-1.25"));
    EXPECT_EQ(b.SegmentLitColor(), uint32_t(qx::SysButtonText));
    EXPECT_FLOAT_EQ(b.BackAngle(), 45.5f);
    EXPECT_EQ(b.Picture().size(), QSize(8, 4));

    // Missing keys take their defaults; keys match without regard to case.
    qx::PropertyBag sparse;
    sparse.WriteProperty(QStringLiteral("numdigits"), 3);
    LCDisp c;
    c.ReadProperties(sparse);
    LCDispProps expect;
    expect.NumDigits = 3;
    EXPECT_EQ(persisted(c.props()), persisted(expect));
}

TEST(LCDispControl, SettersRefuseValuesThatWouldOverrunTheTables)
{
    LCDisp d;
    struct Case {
        const char *what;
        std::function<void()> set;
    } cases[] = {
        {"NumDigits 51", [&] { d.set_NumDigits(51); }},
        {"NumDigits 0", [&] { d.set_NumDigits(0); }},
        {"NumDigitsExp 6", [&] { d.set_NumDigitsExp(6); }},
        {"NumDigitsExp -1", [&] { d.set_NumDigitsExp(-1); }},
        {"ThousandsGrouping 0", [&] { d.set_ThousandsGrouping(0); }},
        {"ThousandsGrouping -2", [&] { d.set_ThousandsGrouping(-2); }},
        {"SegmentHeight huge", [&] { d.set_SegmentHeight(1 << 30); }},
        {"BorderWidth 40000", [&] { d.set_BorderWidth(40000); }},
        // Negative sizes, gaps and radii (error 380).
        {"SegmentHeight -1000", [&] { d.set_SegmentHeight(-1000); }},
        {"SegmentWidth -1", [&] { d.set_SegmentWidth(-1); }},
        {"SegmentHeightExp -1", [&] { d.set_SegmentHeightExp(-1); }},
        {"SegmentWidthExp -4", [&] { d.set_SegmentWidthExp(-4); }},
        {"InterDigitGap -1000", [&] { d.set_InterDigitGap(-1000); }},
        {"InterDigitGapExp -1", [&] { d.set_InterDigitGapExp(-1); }},
        {"InterSegmentGap -1", [&] { d.set_InterSegmentGap(-1); }},
        {"InterSegmentGapExp -2", [&] { d.set_InterSegmentGapExp(-2); }},
        {"BorderWidth -1", [&] { d.set_BorderWidth(-1); }},
        {"CurveTopLeft -1", [&] { d.set_CurveTopLeft(-1); }},
        {"CurveTopRight -32767", [&] { d.set_CurveTopRight(-32767); }},
        {"CurveBottomLeft -8000", [&] { d.set_CurveBottomLeft(-8000); }},
        {"CurveBottomRight 32768", [&] { d.set_CurveBottomRight(32768); }},
    };
    const QVariantMap before = persisted(d.props());
    for (const Case &c : cases)
        EXPECT_EQ(qx::test::errorCode(c.set), qx::ErrInvalidProperty) << c.what;
    EXPECT_EQ(persisted(d.props()), before);
    d.set_NumDigits(50);
    d.set_NumDigitsExp(5);
    d.set_NumDigitsExp(0);
    d.set_Value(QStringLiteral("1.5E-3")); // an exponent with no exponent cells
    EXPECT_EQ(d.NumDigits(), 50);
}

TEST(LCDispControl, CornerRadiiReachNoFurtherThanTheControlsSize)
{
    // 403 x 31 pixels: a radius beyond 403 rounds the corner as 403 does,
    // on the screen (pixels) and in the window's shape alike.
    LCDisp d;
    d.resize(403, 31);
    d.set_CurveTopLeft(403);
    d.set_CurveBottomRight(12);
    const QImage bounded = d.surface().copy();
    const QRegion shape = d.mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    for (int r : {404, 8000, 32767}) {
        d.set_CurveTopLeft(r);
        EXPECT_TRUE(d.surface() == bounded) << r;
        EXPECT_EQ(d.mask(), shape) << r;
    }
}

TEST(LCDispControl, HostIsToldWhichPropertyChanged)
{
    LCDisp d;
    QStringList names;
    QObject::connect(&d, &LCDisp::PropertyChanged, [&](const QString &n) { names << n; });
    d.set_SegmentLitColor(0xFF);
    d.set_Seg3DAngle(10);
    d.set_Value(QStringLiteral("1"));
    d.set_Theme(3); // the preset's own changes are not reported
    EXPECT_EQ(names, QStringList({QStringLiteral("SegmentLitColor"), QStringLiteral("Seg3DAngle"),
                                  QStringLiteral("Value"), QStringLiteral("Theme")}));
}

TEST(LCDispControl, ValueReadsBackNormalised)
{
    LCDisp d;
    d.set_Value(QStringLiteral(".5"));
    EXPECT_EQ(d.Value(), QStringLiteral("0.5"));
    d.set_Value(QStringLiteral("abc"));
    EXPECT_EQ(d.Value(), QStringLiteral("ABC"));
}

TEST(LCDispControl, ThemeResizesAndSetsItsLook)
{
    LCDisp d;
    d.set_NumDigits(4);
    d.set_Theme(3);
    EXPECT_EQ(d.size(), QSize(435, 38));
    EXPECT_EQ(d.SegmentStyle(), 1);
    EXPECT_EQ(d.NumDigits(), 20);
    EXPECT_EQ(d.Theme(), 3);
    d.set_Theme(7); // no preset: only stored and redrawn
    EXPECT_EQ(d.size(), QSize(435, 38));
    EXPECT_EQ(d.BackColor1(), 0xE0E0E0u);
    EXPECT_EQ(d.Theme(), 7);
}
