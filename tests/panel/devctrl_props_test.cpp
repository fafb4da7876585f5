// The device panel's properties and list operations.
#include "common/ErrorCode.h"
#include "panel/DevCtrl.h"
#include "panel/DevCtrlFit.h"
#include "panel/DevCtrlText.h"
#include "panel/LCDisp.h"
#include "common/PaintCounter.h"
#include "platform/Colors.h"
#include "platform/Grid.h"
#include "platform/QxError.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

template <class W>
W *child(DevCtrl &p, const char *name)
{
    W *w = p.findChild<W *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Every main cell of a readout lies inside its room (no digit cut off).
void expectCellsInside(const LCDisp *lcd, int roomRight, const char *what)
{
    for (int i = 0; i < lcd->NumDigits(); ++i) {
        const QRect r = lcd->cellRect(false, i);
        EXPECT_GE(r.left(), 0) << what << " cell " << i;
        EXPECT_LE(r.right(), roomRight) << what << " cell " << i;
    }
}

} // namespace

TEST(DevCtrlText, TabCaptionsPagesAndRunTimeTexts)
{
    const struct {
        int val;
        const char *key, *caption;
        int page;
    } tabs[] = {
        {1, "key1", "Single Test", 1}, {2, "key2", "Auto Test", 2}, {2, "key3", "Cycle Test", 3},
        {3, "key3", "Cycle Test", 3},  {1, "other", "Single Test", 3}, {3, "key2", "Cycle Test", 2},
    };
    for (const auto &t : tabs) {
        EXPECT_EQ(qx::panel::tabCaption(t.val, QLatin1String(t.key)), QLatin1String(t.caption)) << t.val << t.key;
        EXPECT_EQ(qx::panel::pageOfKey(QLatin1String(t.key)), t.page) << t.key;
    }

    const struct {
        const char *text, *value;
    } times[] = {
        {"12:34:56", "12:34E+56"},
        {"00:00:00", "00:00E+00"},
        {"100:00:00", "100:00E+00"},
        {"1234:05:06", "1234:05E+06"},
        {"12", "12E+12"},
    };
    for (const auto &t : times) {
        EXPECT_EQ(qx::panel::timeToReadout(QLatin1String(t.text)), QLatin1String(t.value)) << t.text;
        if (QByteArray(t.text).size() >= 8) {
            EXPECT_EQ(qx::panel::readoutToTime(QLatin1String(t.value)), QLatin1String(t.text)) << t.text;
        }
    }
}

TEST(DevCtrlFit, CellsNeededAndNarrowerDigits)
{
    const struct {
        const char *value;
        int cells;
    } cells[] = {
        {"00.00", 4}, {"1000.0", 5}, {".5", 2}, {"12:34E+56", 4}, {"100:00E+00", 5}, {"-.---", 4}, {"", 0},
    };
    for (const auto &c : cells)
        EXPECT_EQ(qx::panel::mainCells(QLatin1String(c.value)), c.cells) << c.value;

    const qx::panel::DigitGeometry design{4, 12, 6, 3};
    EXPECT_EQ(qx::panel::fitDigits(design, 4, 81, 4, 0, 0), design);
    EXPECT_EQ(qx::panel::fitDigits(design, 3, 10, 4, 0, 0), design) << "fewer cells keep the design";
    // Hexagonal cells are h + w wide: five 12-high cells need 80 + 4 gaps.
    const struct {
        int cells, room;
        qx::panel::DigitGeometry want;
    } fits[] = {
        {5, 104, {5, 12, 6, 3}},
        {5, 88, {5, 12, 2, 3}},
        {5, 81, {5, 10, 2, 5}},
        {6, 81, {6, 6, 4, 9}},
    };
    for (const auto &f : fits) {
        const auto got = qx::panel::fitDigits(design, f.cells, f.room, 4, 0, 0);
        EXPECT_EQ(got, f.want) << f.cells << " cells in " << f.room << ": " << got.numDigits << " "
                               << got.segmentHeight << " " << got.interDigitGap << " " << got.yOffset;
    }
    // With a colon the gaps stay 6 and the segments shorten: five cells of
    // 8 + 4 with four gaps of 6 take 84 pixels; cells 20 high instead of 28
    // sit 4 pixels lower.
    EXPECT_EQ(qx::panel::fitDigits(design, 5, 88, 4, 0, 0, true), (qx::panel::DigitGeometry{5, 8, 6, 7}));
}

TEST(DevCtrlProps, ALongRunTimeKeepsItsColonClearOfTheDigits)
{
    // 101 hours 23 minutes need five main cells where four are laid out.
    DevCtrl p;
    p.set_tTime(0, "101:23:45");
    auto *lcd = child<LCDisp>(p, "lcdTime");
    ASSERT_EQ(lcd->NumDigits(), 5);
    const QImage img = lcd->surface();
    const QRgb lit = qx::oleToColor(lcd->SegmentLitColor()).rgb();
    // The colon follows the third cell ("1", "0", "1"), before the "2".
    const QRect before = lcd->cellRect(false, 2), after = lcd->cellRect(false, 3);
    int dotRows = 0;
    for (int y = before.top(); y <= before.bottom(); ++y) {
        // A run of lit pixels that starts in the gap must end before the
        // next digit's cell.
        int x = before.right() + 1;
        while (x < after.left() && img.pixel(x, y) != lit)
            ++x;
        if (x >= after.left())
            continue;
        ++dotRows;
        while (x < after.right() && img.pixel(x, y) == lit)
            ++x;
        EXPECT_LT(x, after.left()) << "the colon runs into the digit at row " << y;
    }
    EXPECT_GE(dotRows, 4) << "both dots of the colon are drawn";
}

TEST(DevCtrlProps, CreationLaysOutTheGridsAndTheOneChannelLayout)
{
    DevCtrl p;
    auto *autoRun = child<qx::Grid>(p, "gridAutoRun");
    auto *stepRun = child<qx::Grid>(p, "gridStepRun");
    auto *stepSet = child<qx::Grid>(p, "gridStepSet");
    EXPECT_EQ(p.AutoRunCnt(), 11);
    EXPECT_EQ(p.StepListCnt(), 9);
    EXPECT_EQ(stepSet->Rows(), 11);
    EXPECT_EQ(autoRun->ColWidth(0), 650);
    EXPECT_EQ(autoRun->ColWidth(3), 798);
    EXPECT_EQ(stepRun->ColWidth(3), 900);
    EXPECT_EQ(stepSet->ColWidth(1), 711);
    EXPECT_EQ(stepSet->Width(), 500 + 4 * 711);
    EXPECT_EQ(autoRun->ColAlignment(2), qx::Grid::AlignCenterCenter);
    EXPECT_EQ(p.tAutoRun(0, 1), "Curr(A)");
    EXPECT_EQ(p.tStepList(0, 3), "Energy");
    EXPECT_EQ(p.tStepSet(0, 2), "Set1");
    for (int r = 1; r <= 10; ++r)
        EXPECT_EQ(p.tStepSet(r, 0), QString::number(r));
    EXPECT_EQ(p.tAutoRun(1, 0), "") << "the result grids show only their headers";
    EXPECT_EQ(p.tStepList(1), "");

    EXPECT_FALSE(p.Dev2S());
    EXPECT_FALSE(p.Conn());
    EXPECT_EQ(child<QPushButton>(p, "cmdConn")->text(), "Connect");
    EXPECT_FALSE(p.RunEnable());
    EXPECT_FALSE(p.MonitorEnable());
    EXPECT_EQ(p.tVol(0), "00.00");
    EXPECT_EQ(p.tTime(0), "00:00:00");
    EXPECT_EQ(p.tAutoVol(), "0.80");
    EXPECT_TRUE(p.AutoOptSec());
    EXPECT_EQ(p.chn(), "0");
    EXPECT_EQ(p.ModeIdx(), -1);
}

TEST(DevCtrlProps, ResultRowsGrowPastTheirLastDesignRow)
{
    DevCtrl p;
    const struct {
        int adds, autoRows, stepRows;
    } cases[] = {{0, 11, 9}, {5, 11, 9}, {6, 11, 10}, {9, 11, 13}, {10, 12, 14}, {12, 14, 16}};
    for (const auto &c : cases) {
        p.AutoListClr();
        p.StepListClr();
        for (int i = 0; i < c.adds; ++i) {
            p.AutoListAdd();
            p.StepListAdd();
        }
        EXPECT_EQ(p.AutoRunCnt(), c.autoRows) << c.adds;
        EXPECT_EQ(p.StepListCnt(), c.stepRows) << c.adds;
        // The current rows (adds + 1) can be written.
        p.set_tAutoList(1, "x");
        p.set_tStepList(1, "y");
        EXPECT_EQ(p.tAutoRun(c.adds + 1, 1), "x");
        EXPECT_EQ(p.tStepList(c.adds + 1, 1), "y");
    }
}

TEST(DevCtrlProps, ResultCellsWriteTheCurrentRow)
{
    DevCtrl p;
    p.AutoListAdd();
    p.AutoListAdd();
    p.set_tAutoList(2, "1.23");
    EXPECT_EQ(p.tAutoRun(3, 2), "1.23");
    EXPECT_EQ(p.tAutoRun(3, 0), "3") << "the row number goes into column 0";
    EXPECT_EQ(p.tAutoList(2), "1.23");

    p.StepListAdd();
    p.set_tStepList(1, 5, "D-CC");
    EXPECT_EQ(p.tStepList(2, 1), "D-CC") << "j is not used on write";
    EXPECT_EQ(p.tStepList(2, 0), "") << "no row number on the step results";
    EXPECT_EQ(qx::test::errorCode([&] { p.tStepList(1, 5); }), qx::ErrSubscript) << "read takes (i, j)";
    EXPECT_EQ(qx::test::errorCode([&] { p.tAutoRun(11, 0); }), qx::ErrSubscript);

    // Clearing empties texts and formatting and writes the header again.
    p.set_tStepSet(1, 1, "D-CC");
    p.set_StepColor(2, 0xFF);
    auto *stepSet = child<qx::Grid>(p, "gridStepSet");
    EXPECT_EQ(stepSet->Row(), 2);
    EXPECT_EQ(stepSet->Col(), 0);
    EXPECT_EQ(stepSet->CellBackColor(), 0xFFu);
    p.StepSetAdd();
    p.StepSetClr();
    EXPECT_EQ(stepSet->Rows(), 12) << "StepSetClr keeps the rows";
    EXPECT_EQ(p.tStepSet(1, 1), "");
    EXPECT_EQ(p.tStepSet(10, 0), "10");
    EXPECT_EQ(p.tStepSet(11, 0), "");
    EXPECT_EQ(p.tStepSet(0, 4), "Cutoff");
    stepSet->set_Row(2);
    EXPECT_EQ(stepSet->CellBackColor(), 0u);

    p.AutoListClr();
    EXPECT_EQ(p.tAutoRun(3, 2), "");
    EXPECT_EQ(p.tAutoRun(0, 0), "Index");
}

TEST(DevCtrlProps, LayoutDependentMembersFollowTheTwoChannelFlag)
{
    DevCtrl p;
    p.ModeAdd("D-CC");
    p.ModeAdd("D-CV");
    p.set_tMode("D-CV");
    p.set_Dev2S(true);
    EXPECT_EQ(p.ModeCnt(), 0) << "the two-channel list is a list of its own";
    p.ModeAdd("C-NiMh");
    EXPECT_EQ(p.ModeTxt(0), "C-NiMh");
    p.set_Dev2S(false);
    EXPECT_EQ(p.ModeCnt(), 2);
    EXPECT_EQ(p.tMode(), "D-CV");
    EXPECT_EQ(p.ModeIdx(), 1);
    EXPECT_EQ(p.ModeTxt(5), "") << "an index past the list";
    EXPECT_EQ(p.ModeTxt(-1), "");

    // One-channel: chn is not used.
    p.set_tSval(1, "1.00");
    EXPECT_EQ(p.tSval(0), "1.00");
    EXPECT_EQ(child<QLineEdit>(p, "txtSval")->text(), "1.00");
    p.set_lSvalt(7, "W");
    EXPECT_EQ(p.lSvalt(0), "W");

    // Two-channel: element chn, other channels fail.
    p.set_Dev2S(true);
    const struct {
        std::function<void(int, QString)> set;
        std::function<QString(int)> get;
        const char *box0, *box1;
    } members[] = {
        {[&](int c, QString v) { p.set_tSval(c, v); }, [&](int c) { return p.tSval(c); }, "txtSval2S_0", "txtSval2S_1"},
        {[&](int c, QString v) { p.set_tSlmt(c, v); }, [&](int c) { return p.tSlmt(c); }, "txtSlmt2S_0", "txtSlmt2S_1"},
        {[&](int c, QString v) { p.set_tStim(c, v); }, [&](int c) { return p.tStim(c); }, "txtStim2S_0", "txtStim2S_1"},
        {[&](int c, QString v) { p.set_tVol(c, v); }, [&](int c) { return p.tVol(c); }, "txtVol2S_0", "txtVol2S_1"},
        {[&](int c, QString v) { p.set_tCur(c, v); }, [&](int c) { return p.tCur(c); }, "txtCur2S_0", "txtCur2S_1"},
        {[&](int c, QString v) { p.set_tPwr(c, v); }, [&](int c) { return p.tPwr(c); }, "txtPwr2S_0", "txtPwr2S_1"},
        {[&](int c, QString v) { p.set_tTime(c, v); }, [&](int c) { return p.tTime(c); }, "txtTime2S_0", "txtTime2S_1"},
    };
    for (const auto &m : members) {
        m.set(0, "a");
        m.set(1, "b");
        EXPECT_EQ(child<QLineEdit>(p, m.box0)->text(), "a") << m.box0;
        EXPECT_EQ(child<QLineEdit>(p, m.box1)->text(), "b") << m.box1;
        EXPECT_EQ(m.get(1), "b");
        EXPECT_EQ(qx::test::errorCode([&] { m.set(2, "c"); }), qx::ErrSubscript) << m.box0;
        EXPECT_EQ(qx::test::errorCode([&] { m.get(-1); }), qx::ErrSubscript) << m.box0;
    }
    EXPECT_EQ(p.tSval(0), "a");
    p.set_Dev2S(false);
    EXPECT_EQ(p.tSval(0), "1.00") << "the one-channel box kept its text";

    // Readings of both channels are read-only.
    for (const char *name : {"txtVol2S_0", "txtVol2S_1", "txtCur2S_0", "txtCur2S_1", "txtPwr2S_1", "txtTime2S_1"})
        EXPECT_TRUE(child<QLineEdit>(p, name)->isReadOnly()) << name;
}

TEST(DevCtrlProps, TwoChannelCaptionsWriteTheElementOfTheChannel)
{
    DevCtrl p;
    p.set_Dev2S(true);
    p.set_lSval(0, "Curr:");
    p.set_lSval(1, "Pwr:");
    p.set_lStimt(0, "M");
    p.set_lStimt(1, "S");
    EXPECT_EQ(child<QLabel>(p, "lblSval2S_0")->text(), "Curr:");
    EXPECT_EQ(child<QLabel>(p, "lblSval2S_1")->text(), "Pwr:");
    EXPECT_EQ(child<QLabel>(p, "lblStim2St_1")->text(), "S");
    EXPECT_EQ(p.lStimt(0), "M");
    EXPECT_EQ(p.lSval(1), "Pwr:");
    EXPECT_EQ(qx::test::errorCode([&] { p.set_lSlmt(2, "x"); }), qx::ErrSubscript);
}

TEST(DevCtrlProps, ChannelChoice)
{
    DevCtrl p;
    const struct {
        bool two;
        const char *option;
        const char *chn;
        bool all;
    } cases[] = {
        {false, "optChn1", "0", false}, {true, "optChn0", "0", false},
        {true, "optChn1", "1", false},  {true, "optChn2", "0", true},
    };
    for (const auto &c : cases) {
        p.set_Dev2S(c.two);
        child<QRadioButton>(p, c.option)->setChecked(true);
        EXPECT_EQ(p.chn(), QLatin1String(c.chn)) << c.two << c.option;
        EXPECT_EQ(p.AllChn(), c.all) << c.option;
    }
    p.set_ChnEnable(false);
    for (const char *o : {"optChn0", "optChn1", "optChn2"})
        EXPECT_FALSE(child<QRadioButton>(p, o)->isEnabled()) << o;
    p.set_Run(1, true);
    EXPECT_TRUE(p.Run(1));
    EXPECT_FALSE(p.Run(0));
    EXPECT_EQ(qx::test::errorCode([&] { p.set_Run(2, true); }), qx::ErrSubscript);
}

TEST(DevCtrlProps, DropDownListsTakeOnlyTheirEntries)
{
    DevCtrl p;
    const struct {
        const char *list;
        std::function<void(QString)> add, set;
        std::function<QString()> get;
    } lists[] = {
        {"cmbPort", [&](QString v) { p.PortAdd(v); }, [&](QString v) { p.set_tPort(v); }, [&] { return p.tPort(); }},
        {"cmbC1Auto", [&](QString v) { p.AutoC1Add(v); }, [&](QString v) { p.set_tAutoC1(v); }, [&] { return p.tAutoC1(); }},
        {"cmbC2Auto", [&](QString v) { p.AutoC2Add(v); }, [&](QString v) { p.set_tAutoC2(v); }, [&] { return p.tAutoC2(); }},
        {"cmbStepAuto", [&](QString v) { p.AutoStepAdd(v); }, [&](QString v) { p.set_tAutoStep(v); }, [&] { return p.tAutoStep(); }},
        {"cmbTimeAuto", [&](QString v) { p.AutoTimeAdd(v); }, [&](QString v) { p.set_tAutoTime(v); }, [&] { return p.tAutoTime(); }},
        {"cmbModeAuto", [&](QString v) { p.AutoModeAdd(v); }, [&](QString v) { p.set_tAutoMode(v); }, [&] { return p.tAutoMode(); }},
    };
    for (const auto &l : lists) {
        l.add("1.0");
        l.add("2.0");
        EXPECT_EQ(l.get(), "") << l.list << ": adding selects nothing";
        l.set("2.0");
        EXPECT_EQ(l.get(), "2.0") << l.list;
        EXPECT_EQ(qx::test::errorCode([&] { l.set("3.0"); }), qx::ErrInvalidProperty) << l.list;
        EXPECT_EQ(l.get(), "2.0") << l.list;
    }
    EXPECT_EQ(p.PortCnt(), 2);
    EXPECT_EQ(p.PortList(1), "2.0");
    EXPECT_EQ(p.PortList(2), "");
    p.PortClr();
    p.AutoC1Clr();
    p.AutoC2Clr();
    p.AutoStepClr();
    p.AutoTimeClr();
    EXPECT_EQ(p.PortCnt(), 0);
    EXPECT_EQ(p.tAutoC1(), "");
    EXPECT_EQ(child<QComboBox>(p, "cmbTimeAuto")->count(), 0);
}

TEST(DevCtrlProps, ModeBoxesShowTheirLongestEntryWholeWithinTheirFrame)
{
    for (bool two : {false, true}) {
        SCOPED_TRACE(two ? "two channels" : "one channel");
        DevCtrl p;
        p.set_Dev2S(two);
        p.ModeClr();
        p.ModeAdd(QStringLiteral("No Device"));
        p.set_tMode(QStringLiteral("No Device"));
        p.show();
        QComboBox *c = child<QComboBox>(p, two ? "cmbMode2S" : "cmbMode");
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.currentText = c->currentText();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        // The label is drawn a pixel in from each side of the field.
        EXPECT_GE(field.width() - 2, c->fontMetrics().horizontalAdvance(QStringLiteral("No Device")));
        EXPECT_LE(c->geometry().right(), c->parentWidget()->contentsRect().right());
        // Short entries keep the box as designed.
        p.ModeClr();
        p.ModeAdd(QStringLiteral("D-CC"));
        EXPECT_EQ(c->width(), qx::twipsToPx(two ? 1455 : 1215));
    }
}

TEST(DevCtrlProps, EnablesAndCaptionsOfEachLayout)
{
    DevCtrl p;
    using Get = bool (DevCtrl::*)() const;
    using Set = void (DevCtrl::*)(bool);
    const struct {
        Get get;
        Set set;
        const char *one, *two;
    } buttons[] = {
        {&DevCtrl::RunEnable, &DevCtrl::set_RunEnable, "cmdRun", "cmdRun2S"},
        {&DevCtrl::StopEnable, &DevCtrl::set_StopEnable, "cmdStop", "cmdStop2S"},
        {&DevCtrl::ContEnable, &DevCtrl::set_ContEnable, "cmdCont", "cmdCont2S"},
        {&DevCtrl::SetEnable, &DevCtrl::set_SetEnable, "cmdSet", "cmdSet2S"},
        {&DevCtrl::MonitorEnable, &DevCtrl::set_MonitorEnable, "cmdMonitor", "cmdMonitor2S"},
        {&DevCtrl::ModeEnable, &DevCtrl::set_ModeEnable, "cmbMode", "cmbMode2S"},
        {&DevCtrl::ConnEnable, &DevCtrl::set_ConnEnable, "cmdConn", "cmdConn"},
    };
    for (const auto &b : buttons) {
        p.set_Dev2S(false);
        (p.*b.set)(false);
        p.set_Dev2S(true);
        (p.*b.set)(true);
        EXPECT_TRUE((p.*b.get)()) << b.two;
        EXPECT_TRUE(child<QWidget>(p, b.two)->isEnabledTo(&p)) << b.two;
        p.set_Dev2S(false);
        EXPECT_EQ((p.*b.get)(), b.one == std::string_view(b.two)) << b.one;
    }
    p.set_SvalEnable(0, false);
    EXPECT_FALSE(p.SvalEnable(1));
    p.set_Dev2S(true);
    p.set_StimEnable(1, false);
    EXPECT_FALSE(p.StimEnable(1));
    EXPECT_TRUE(p.StimEnable(0));
    p.set_StepEnable(false);
    for (const char *b : {"cmdSaveStep", "cmdOpenStep", "cmdClearStep", "cmdSetStep"})
        EXPECT_FALSE(child<QPushButton>(p, b)->isEnabledTo(&p)) << b;
    EXPECT_TRUE(child<QPushButton>(p, "cmdStartStep")->isEnabledTo(&p));

    p.set_Conn(true);
    EXPECT_EQ(child<QPushButton>(p, "cmdConn")->text(), "Disconn");
    EXPECT_TRUE(p.Conn());
    p.set_Conn(false);
    EXPECT_EQ(child<QPushButton>(p, "cmdConn")->text(), "Connect");
    p.set_AutoCmd("Stop");
    p.set_StepCmd("Stop");
    EXPECT_EQ(p.AutoCmd(), "Stop");
    EXPECT_EQ(child<QPushButton>(p, "cmdStartStep")->text(), "Stop");
    p.set_AutoOptSec(false);
    EXPECT_TRUE(child<QRadioButton>(p, "optAutoMin")->isChecked());
}

TEST(DevCtrlProps, ColoursActOnlyInTheOneChannelLayout)
{
    DevCtrl p;
    auto *lcdVol = child<LCDisp>(p, "lcdVol");
    auto *lcdTime = child<LCDisp>(p, "lcdTime");
    EXPECT_EQ(p.VolColor(), 0xFF0000u);
    EXPECT_EQ(p.PwrColor(), 0x008080u);
    p.set_VolColor(0x00FF00);
    p.set_TimeColor(0x123456);
    EXPECT_EQ(lcdVol->SegmentLitColor(), 0x00FF00u);
    EXPECT_EQ(lcdVol->SegmentLitColorNeg(), 0x00FF00u);
    EXPECT_EQ(child<QLabel>(p, "lblVolt")->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(p.TimeColor(), 0x123456u);

    p.set_Dev2S(true);
    p.set_VolColor(0xFF);
    p.set_CurColor(0xFF00);
    p.set_PwrColor(0xFF);
    p.set_TimeColor(0xFF);
    EXPECT_EQ(p.VolColor(), 0x00FF00u);
    EXPECT_EQ(p.CurColor(), 0xFFu);
    EXPECT_EQ(p.PwrColor(), 0x008080u);
    EXPECT_EQ(p.TimeColor(), 0x123456u);
    EXPECT_EQ(lcdVol->SegmentLitColor(), 0x00FF00u);
    (void)lcdTime;
}

// The receive mark on screen: lit, its inside is red; dark, its inside shows
// exactly what lies behind it (the window with the mark hidden), also after
// the frame around it changed its look, and lighting it again works.
TEST(DevCtrlProps, ReceiveMarkLightsAndGoesDarkOverItsFrame)
{
    QWidget window;
    window.resize(300, 560);
    DevCtrl p(&window);
    window.show();
    auto *mark = child<QFrame>(p, "shpRecv");
    const QRect inside(mark->mapTo(&window, QPoint(2, 2)), mark->size() - QSize(4, 4));
    const auto shot = [&] { return window.grab().toImage().copy(inside); };
    const auto behind = [&] {
        mark->hide();
        const QImage img = shot();
        mark->show();
        return img;
    };

    p.set_LedRecv(true);
    const QImage lit = shot();
    for (int y = 0; y < lit.height(); ++y)
        for (int x = 0; x < lit.width(); ++x)
            ASSERT_EQ(QColor(lit.pixel(x, y)), QColor(255, 0, 0)) << x << "," << y;
    p.set_LedRecv(false);
    const QImage unlit = shot();
    EXPECT_EQ(unlit, behind());

    // A blue frame behind the mark (the style tints it a little): the dark
    // mark follows it.
    auto *frame = mark->parentWidget();
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, QColor(40, 90, 160));
    frame->setPalette(pal);
    frame->setAutoFillBackground(true);
    const QImage dark = shot();
    EXPECT_NE(dark, unlit);
    const QColor middle(dark.pixel(dark.width() / 2, dark.height() / 2));
    EXPECT_LT(std::abs(middle.blue() - 160) + std::abs(middle.red() - 40), 8) << middle.name().toStdString();
    EXPECT_EQ(dark, behind());
    p.set_LedRecv(true);
    EXPECT_EQ(QColor(shot().pixel(1, 1)), QColor(255, 0, 0));

    // Lighting and darkening repaint the mark alone: not the frame around
    // it, nor the button it touches, nor the panel behind.
    QCoreApplication::processEvents();
    qx::test::PaintCounter markPaints(mark), framePaints(frame), buttonPaints(child<QWidget>(p, "cmdConn")),
        panelPaints(&p);
    for (bool on : {false, true, false}) {
        p.set_LedRecv(on);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(markPaints.paints, 3);
    EXPECT_EQ(framePaints.paints + buttonPaints.paints + panelPaints.paints, 0);
}

TEST(DevCtrlProps, RunTimeKeepsEveryDigitAndReadsBackWhatWasWritten)
{
    DevCtrl p;
    auto *lcd = child<LCDisp>(p, "lcdTime");
    const int roomRight = lcd->BorderWidth() + lcd->XOffsetExp() - 2;
    const struct {
        const char *text, *value;
        int digits;
    } cases[] = {
        {"12:34:56", "12:34E+56", 4},
        {"100:00:00", "100:00E+00", 5},
        {"1000:59:59", "1000:59E+59", 6},
        {"01:02:03", "01:02E+03", 4},
    };
    for (const auto &c : cases) {
        p.set_tTime(0, QLatin1String(c.text));
        EXPECT_EQ(lcd->Value(), QLatin1String(c.value));
        EXPECT_EQ(p.tTime(0), QLatin1String(c.text));
        EXPECT_EQ(lcd->NumDigits(), c.digits) << c.text;
        expectCellsInside(lcd, roomRight, c.text);
    }
    EXPECT_EQ(lcd->SegmentHeight(), 12) << "a short time gets the design digits back";

    // The readings keep their digits too.
    auto *vol = child<LCDisp>(p, "lcdVol");
    p.set_tVol(0, "123.45");
    EXPECT_EQ(p.tVol(0), "123.45");
    EXPECT_EQ(vol->NumDigits(), 5);
    expectCellsInside(vol, vol->width() - 1, "lcdVol");
}

TEST(DevCtrlProps, AReadoutRefittedBackAndForthLooksAsOneDrawnOnce)
{
    // Each run time below takes other digits and sizes than the one before:
    // whatever the readout kept from earlier fits, its picture is the one a
    // new readout with its final properties draws.
    DevCtrl p;
    auto *stepped = child<LCDisp>(p, "lcdTime");
    for (const char *t : {"12:34:56", "1000:59:59", "100:00:00", "1000:59:59", "01:02:03", "100:00:00"}) {
        p.set_tTime(0, QLatin1String(t));
        stepped->surface(); // each drawn, as on a panel that is shown
    }
    ASSERT_EQ(stepped->NumDigits(), 5);
    qx::PropertyBag bag;
    stepped->WriteProperties(bag);
    LCDisp fresh;
    fresh.resize(stepped->size());
    fresh.ReadProperties(bag);
    EXPECT_TRUE(stepped->surface() == fresh.surface());
}

TEST(DevCtrlProps, LogoPictureFiles)
{
    DevCtrl p;
    QTemporaryDir dir;
    const QString png = dir.filePath("logo.png");
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(png));
    const QString junk = dir.filePath("junk.bmp");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    auto *logo = child<QLabel>(p, "imgLogo");
    p.set_ImageLogo(png);
    EXPECT_EQ(logo->pixmap().size(), QSize(8, 6));
    EXPECT_EQ(qx::test::errorCode([&] { p.set_ImageLogo(dir.filePath("missing.png")); }), qx::ErrFileNotFound);
    EXPECT_EQ(qx::test::errorCode([&] { p.set_ImageLogo(junk); }), 481);
    EXPECT_EQ(logo->pixmap().size(), QSize(8, 6)) << "a refused file keeps the picture";
    p.set_ImageLogo("");
    EXPECT_TRUE(logo->pixmap().isNull());
}

TEST(DevCtrlProps, FindLocatesPanelsByIndex)
{
    auto a = std::make_unique<DevCtrl>();
    DevCtrl b;
    a->set_Index(4);
    b.set_Index(5);
    EXPECT_EQ(DevCtrl::find(5), &b);
    EXPECT_EQ(DevCtrl::find(4), a.get());
    a.reset();
    EXPECT_EQ(DevCtrl::find(4), nullptr);
}
