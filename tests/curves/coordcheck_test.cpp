// The coordinate dialogs' checks: each field when it is left, and all six on
// OK in their order, with the dialogs' own messages.
#include "common/FakeUi.h"
#include "curves/CoordCheck.h"
#include "curves/frmCurve.h"
#include "services/State.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace qx;
using namespace qx::curves;

TEST(CoordCheck, LeavingAFieldChecksAndRewritesIt)
{
    const struct {
        CoordField f;
        const char *text;
        const char *message; // null: accepted
        const char *rewritten;
    } cases[] = {
        {FieldVL, "5", nullptr, "5.0"},
        {FieldVH, "100", nullptr, "100.0"},
        {FieldVH, "100.01", "电压坐标设置超出范围", nullptr},
        {FieldCL, "-0.1", "电流坐标设置超出范围", nullptr},
        {FieldCH, "", "设置数据有误！", nullptr},
        {FieldCH, "1,5", "设置数据有误！", nullptr},
        {FieldTime, "12.6", nullptr, "13"},
        {FieldTime2, "60000", nullptr, "60000"},
        {FieldTime2, "60001", "时间坐标设置超出范围", nullptr},
        {FieldTime, "abc", "设置数据有误！", nullptr},
    };
    for (const auto &c : cases) {
        QString out = QStringLiteral("untouched");
        const auto fail = checkField(c.f, QString::fromUtf8(c.text), &out);
        if (c.message) {
            ASSERT_TRUE(fail) << c.text;
            EXPECT_EQ(fail->message, QString::fromUtf8(c.message)) << c.text;
            EXPECT_EQ(out, "untouched");
        } else {
            EXPECT_FALSE(fail) << c.text;
            EXPECT_EQ(out, QString::fromUtf8(c.rewritten)) << c.text;
        }
    }
}

TEST(CoordCheck, OkChecksInOrderWithSpansInTenths)
{
    auto texts = [](const char *vl, const char *vh, const char *cl, const char *ch, const char *t0, const char *t1) {
        return CoordTexts{QString::fromUtf8(vl), QString::fromUtf8(vh), QString::fromUtf8(cl),
                          QString::fromUtf8(ch), QString::fromUtf8(t0), QString::fromUtf8(t1)};
    };
    const struct {
        CoordTexts t;
        const char *message;
    } cases[] = {
        {texts("0.0", "0.1", "0.0", "10.0", "0", "10"), nullptr},
        {texts("0.2", "0.3", "1.2", "1.3", "0", "100"), nullptr},  // 0.1 spans that are not exact in binary
        {texts("0.0", "0.05", "0.0", "10.0", "0", "100"), "电压轴范围需大于等于0.1V"},
        {texts("0.0", "10.0", "2.0", "2.05", "0", "100"), "电流轴范围需大于等于0.1A"},
        {texts("0.0", "10.0", "0.0", "10.0", "0", "9"), "时间轴范围需大于等于10S"},
        {texts("0.0", "200", "0.0", "200", "0", "100"), "电流坐标设置超出范围"},  // current reported first
        {texts("0.0", "200", "0.0", "10.0", "0", "70000"), "电压坐标设置超出范围"},  // time only once the rest pass
        {texts("0.0", "10.0", "0.0", "10.0", "-5", "100"), "时间坐标设置超出范围"},
        {texts("0.0", "10.0", "x", "10.0", "0", "100"), "设置数据有误！"},
        {texts("0.0", "10.0", "0.0", "10.0", "0", ""), "设置数据有误！"},
    };
    for (const auto &c : cases) {
        const auto fail = checkAll(c.t);
        if (!c.message) {
            EXPECT_FALSE(fail) << c.t[FieldVH].toStdString() << " " << c.t[FieldCH].toStdString();
            continue;
        }
        ASSERT_TRUE(fail) << c.message;
        EXPECT_EQ(fail->message, QString::fromUtf8(c.message));
    }
}

TEST(CoordDialog, OkRefusesTextThatIsNotANumberAndKeepsTheDialogOpen)
{
    test::FakeUi ui;
    frmCurve2 &d = frmCurve2Form().fresh();
    d.show();
    EXPECT_EQ(d.windowTitle(), "Curve Coordinate Settings");
    for (QLineEdit *e : {d.txtVL, d.txtVH, d.txtCL, d.txtCH, d.txtTime, d.txtTime2})
        e->setText("1");
    d.txtVH->setText("5");
    d.txtCH->setText("5");
    d.txtTime2->setText("5 s");
    d.cmdOK->click();
    ASSERT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.msgs[0].text, "设置数据有误！");
    EXPECT_EQ(ui.msgs[0].title, "提示");
    EXPECT_EQ(ui.msgs[0].style, MbCritical);
    EXPECT_TRUE(d.isVisible());

    // Leaving a field with a bad value: the message, the text stays.
    d.LostFocus(FieldTime2);
    EXPECT_EQ(ui.msgs.size(), 2u);
    EXPECT_EQ(d.txtTime2->text(), "5 s");
    d.txtTime2->setText("99.6");
    d.LostFocus(FieldTime2);
    EXPECT_EQ(d.txtTime2->text(), "100");
    d.cmdCancel->click();
    EXPECT_FALSE(d.isVisible());
    frmCurve2Form().unload();
}
