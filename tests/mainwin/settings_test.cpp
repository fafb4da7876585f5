// The main window's entries for the data viewer and the coordinate, display
// and software settings: each dialog writes exactly its qx.ini keys and takes
// effect on every device tab at once; each wait is its own.
#include "MainFixture.h"

#include "common/DialogAnswer.h"
#include "common/FileModes.h"
#include "common/FullDisk.h"
#include "curves/ColorSwatch.h"
#include "curves/CurveGraph.h"
#include "curves/frmColor.h"
#include "curves/frmCurve.h"
#include "curves/frmData.h"
#include "curves/frmShow.h"
#include "curves/frmSw.h"
#include "curves/frmType.h"
#include "services/Module4.h"
#include "panel/DevCtrl.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <optional>

using namespace qx;
using namespace qx::curves;
using qx::test::DialogAnswer;
using qx::test::MainFixture;

namespace {

// The lines of qx.ini after the comment line the main window starts it with.
QStringList iniLines(const test::TempHome &home)
{
    QStringList l = QString::fromUtf8(home.read("qx.ini")).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    if (!l.isEmpty() && l.front().startsWith(';'))
        l.pop_front();
    return l;
}

struct Settings : MainFixture {
    frmMain &w = load();
    Settings()
    {
        w.menuAddDev_Click();
        w.menuAddDev_Click();
    }
};

} // namespace

TEST_F(Settings, CoordinateSettingsShowTheSelectedTabAndSetEveryTab)
{
    CurveGraph &g2 = w.CurveGraph(2);
    g2.set_MinY(0, 2.5f);
    g2.set_MaxY(0, 14);
    g2.set_MinY(1, 0);
    g2.set_MaxY(1, 3);
    g2.set_MinX(0);
    g2.set_MaxX(99.6f);
    CurDev = 2;
    bool shown = false;
    DialogAnswer<frmCurve> answer(frmCurveForm(), [&](frmCurve &d) {
        shown = true;
        EXPECT_EQ(d.windowTitle(), "Curve Coordinate Settings");
        EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(d.txtVL->text(), "2.5");
        EXPECT_EQ(d.txtVH->text(), "14.0");
        EXPECT_EQ(d.txtCH->text(), "3.0");
        EXPECT_EQ(d.txtTime2->text(), "99");
        d.txtVL->setText("1.2");
        d.txtVH->setText("1.3");
        d.txtCL->setText("0.0");
        d.txtCH->setText("5");
        d.txtTime->setText("10");
        d.txtTime2->setText("20");
        d.cmdOK->click();
    });
    DlgDone = false;
    w.menuCurve->trigger();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(DlgDone);
    EXPECT_TRUE(ui.msgs.empty()) << ui.msgTexts().join("|").toStdString();
    for (int i = 0; i < 3; ++i) {
        const CurveGraph &g = w.CurveGraph(i);
        EXPECT_FLOAT_EQ(g.MinY(0), 1.2f) << i;
        EXPECT_FLOAT_EQ(g.MaxY(0), 1.3f) << i;
        EXPECT_FLOAT_EQ(g.MinY(1), 0) << i;
        EXPECT_FLOAT_EQ(g.MaxY(1), 5) << i;
        EXPECT_FLOAT_EQ(g.MinX(), 10) << i;
        EXPECT_FLOAT_EQ(g.MaxX(), 20) << i;
    }
    const QStringList lines = iniLines(home);
    const int curve = int(lines.indexOf("[CURVE]"));
    ASSERT_GE(curve, 0) << lines.join("|").toStdString();
    EXPECT_EQ(lines.mid(curve), (QStringList{"[CURVE]", "VY0=1.2", "VY1=1.3", "CY0=0.0", "CY1=5", "CT0=10", "CT1=20"}))
        << lines.join("|").toStdString();

    // Read back at the next start: 1.2..1.3 passes the start-up test too.
    frmMainForm().unload();
    frmMain &again = frmMainForm().get();
    EXPECT_FLOAT_EQ(again.CurveGraph(0).MinY(0), 1.2f);
    EXPECT_FLOAT_EQ(again.CurveGraph(0).MaxY(0), 1.3f);
}

TEST_F(Settings, CoordinateCancelChangesNothing)
{
    const QByteArray before = home.read("qx.ini");
    DialogAnswer<frmCurve> answer(frmCurveForm(), [](frmCurve &d) {
        d.txtVH->setText("50");
        d.cmdCancel->click();
    });
    w.menuCurve->trigger();
    ASSERT_TRUE(answer.answered());
    EXPECT_FLOAT_EQ(w.CurveGraph(0).MaxY(0), 20);
    EXPECT_EQ(home.read("qx.ini"), before);
}

TEST_F(Settings, DisplaySettingsApplyToEveryChartAndPanelAndWriteTheirKeys)
{
    // Tab 2 is a two-channel device with a temperature sensor; tab 1 has none.
    w.DevCtrl(1).set_Dev2S(true);
    w.InitDual(1);
    dev(1).HasTemp = true;
    CurDev = 1;
    w.menuTemp->setChecked(true);
    w.CurveGraph(0).set_CurveLineColor(2, 0x123456);
    const QByteArray iniBefore = home.read("qx.ini");

    ui.colorAnswers = {0x0000FF, 0x00FFFF, 0x111111, 0x222222, 0x333333, 0x00AA00};
    DialogAnswer<frmShow> answer(frmShowForm(), [&](frmShow &d) {
        EXPECT_EQ(d.windowTitle(), "Display Setting");
        // Loaded from the first tab's chart and panel.
        EXPECT_EQ(d.cmbDot->currentText(), "Solid");
        EXPECT_EQ(d.cmbDot2->currentText(), "Dot");
        EXPECT_EQ(d.cmbLine->currentText(), "2");
        EXPECT_EQ(swatchColor(d.lblBackColor), 16777215u);
        EXPECT_EQ(swatchColor(d.lblGridColor), 8421504u);
        EXPECT_EQ(swatchColor(d.lblPwrColor), 32896u);
        EXPECT_EQ(swatchColor(d.lblY2), 0x123456u) << "the third curve's colour in force";
        EXPECT_TRUE(d.optTemp->isEnabled());
        EXPECT_TRUE(d.optTemp->isChecked());
        EXPECT_TRUE(d.optTime->isChecked());
        EXPECT_TRUE(d.chkScale->isChecked());

        d.cmbDot->setCurrentText("Dot");
        d.cmbLine->setCurrentText("1");
        for (QLabel *s : {d.lblGridColor, d.lblBackColor, d.lblAxesColor, d.lblPwrColor, d.lblTimeColor, d.lblY2})
            pickSwatch(s);
        d.chkY2->setChecked(true);
        d.chkLabel->setChecked(true);
        d.chkCap->setChecked(true);
        d.cmdOK->click();
    });
    DlgDone = false;
    w.tlbSysButton("setting")->trigger();
    ASSERT_TRUE(answer.answered());
    EXPECT_TRUE(DlgDone);

    for (int i = 0; i < 3; ++i) {
        const CurveGraph &g = w.CurveGraph(i);
        EXPECT_EQ(g.GridType1(), 2) << i;
        EXPECT_EQ(g.GridType2(), 2) << i;
        EXPECT_EQ(g.Line(), 1) << i;
        EXPECT_EQ(g.GridColor(), 0x0000FFu) << i;
        EXPECT_EQ(g.BackColor(), 0x00FFFFu) << i;
        EXPECT_EQ(g.AxesColor(), 0x111111u) << i;
        // A two-channel panel keeps its readout colours (it has no such readouts).
        EXPECT_EQ(w.DevCtrl(i).PwrColor(), i == 1 ? 32896u : 0x222222u) << i;
        EXPECT_EQ(w.DevCtrl(i).TimeColor(), i == 1 ? 8421504u : 0x333333u) << i;
        EXPECT_TRUE(g.ShowAxesY2()) << i;
        EXPECT_TRUE(g.ShowCurve(2)) << i;
        EXPECT_EQ(g.CurveAxesY(2), 2) << i;
        EXPECT_EQ(g.CurveLineColor(2), 0x00AA00u) << i;
        EXPECT_TRUE(g.ShowLegend(0) && g.ShowLegend(1) && g.ShowLegend(2)) << i;
    }
    // Per device: temperature only where the device measures it.
    EXPECT_EQ(w.CurveGraph(0).LegendText(2), "Power");
    EXPECT_EQ(w.CurveGraph(0).AxesY2Txt(), "[W]");
    EXPECT_EQ(w.CurveGraph(1).LegendText(2), "Temp1");
    EXPECT_EQ(w.CurveGraph(1).AxesY2Txt(), "[C]");
    // Channel 2's third curve follows on the two-channel chart.
    const CurveGraph &dual = w.CurveGraph(1);
    EXPECT_TRUE(dual.ShowCurve(7));
    EXPECT_EQ(dual.CurveAxesY(7), 2);
    EXPECT_EQ(dual.LegendText(7), "Temp2");
    EXPECT_EQ(dual.CurveLineColor(7), 0x00AA00u);
    EXPECT_TRUE(dual.ShowLegend(5) && dual.ShowLegend(6) && dual.ShowLegend(7));
    EXPECT_TRUE(w.menuTemp->isChecked());
    EXPECT_EQ(OptSla, 1);
    EXPECT_EQ(OptSah, 1);
    EXPECT_TRUE(OptXTime);

    // Exactly the [DATA] keys, in the dialog's order, after what was there.
    const QStringList lines = iniLines(home);
    const int data = int(lines.indexOf("[DATA]"));
    ASSERT_GE(data, 0) << lines.join("|").toStdString();
    EXPECT_EQ(lines.mid(data), (QStringList{"[DATA]", "MDOT=1", "SDOT=1", "GCOL=255", "BCOL=65535", "ACOL=1118481",
                                            "PCOL=2236962", "TCOL=3355443", "XTIME=True", "SAH=1", "SWH=0", "SLA=1",
                                            "SCALE=1", "LINE=1"}))
        << lines.join("|").toStdString();
    EXPECT_TRUE(home.read("qx.ini").startsWith(iniBefore));

    // Opened again, the third curve's swatch keeps the colour chosen.
    DialogAnswer<frmShow> again(frmShowForm(), [](frmShow &d) {
        EXPECT_EQ(swatchColor(d.lblY2), 0x00AA00u);
        EXPECT_TRUE(d.chkY2->isChecked());
        d.cmdCancel->click();
    });
    w.menuShow->trigger();
    EXPECT_TRUE(again.answered());
}

TEST_F(Settings, DisplaySettingsWithoutTemperatureOrThirdAxis)
{
    CurDev = 0;
    w.menuTemp->setChecked(true);
    DialogAnswer<frmShow> answer(frmShowForm(), [](frmShow &d) {
        // The selected device reports no temperature: power is the only choice.
        EXPECT_FALSE(d.optTemp->isEnabled());
        EXPECT_TRUE(d.optPwr->isChecked());
        d.chkY2->setChecked(false);
        d.optTime->setChecked(false);
        d.optCap->setChecked(true);
        d.cmdOK->click();
    });
    w.menuShow->trigger();
    ASSERT_TRUE(answer.answered());
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(w.CurveGraph(i).ShowAxesY2());
        EXPECT_FALSE(w.CurveGraph(i).ShowCurve(2));
        EXPECT_FALSE(w.CurveGraph(i).ShowLegend(2));
    }
    EXPECT_TRUE(w.menuTemp->isChecked()) << "untouched while the third axis is off";
    EXPECT_FALSE(OptXTime);
    EXPECT_TRUE(iniLines(home).contains("XTIME=False"));
}

TEST_F(Settings, SoftwareSettingsSetTheOptionsAndWriteAutoKeys)
{
    OptCsv = true;
    OptCsvT = 1;
    w.menuSwSet->trigger();
    ASSERT_TRUE(frmSwForm().isOpen()) << "shown without a wait";
    frmSw &d = frmSwForm().get();
    EXPECT_EQ(d.windowTitle(), "Software Setting");
    EXPECT_TRUE(d.optCsv2->isChecked());
    EXPECT_FALSE(d.txtPath->isEnabled());
    EXPECT_TRUE(d.txtPath->text().endsWith(QStringLiteral("Data/")));
    d.chkMsg->setChecked(true);
    d.chkAuto->setChecked(true);
    d.optDat->setChecked(true);
    d.cmdOK->click();
    EXPECT_TRUE(OptMsg);
    EXPECT_TRUE(OptSave);
    EXPECT_FALSE(OptHide);
    EXPECT_FALSE(OptCsv);
    EXPECT_EQ(OptCsvT, 1) << "kept for a later switch back to csv";
    const QStringList lines = iniLines(home);
    const int at = int(lines.indexOf("[AUTO]"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.mid(at), (QStringList{"[AUTO]", "MSG=True", "SAVE=True", "HIDE=False", "DISP=False", "CSV=False",
                                          "CSVT=1"}));

    // Cancel after changes leaves the options and the file as they were.
    const QByteArray before = home.read("qx.ini");
    w.menuSwSet->trigger();
    frmSw &e = frmSwForm().get();
    EXPECT_TRUE(e.optDat->isChecked());
    e.chkHide->setChecked(true);
    e.optCsv->setChecked(true);
    e.cmdCancel->click();
    EXPECT_FALSE(OptHide);
    EXPECT_FALSE(OptCsv);
    EXPECT_EQ(home.read("qx.ini"), before);
}

TEST_F(Settings, SoftwareSettingsThatCannotBeSavedAreToldAndTheDialogStays)
{
    fixErrLogClock();
    ASSERT_TRUE(QDir(home.path()).mkpath("Log"));
    // A file longer than the error log's line, so that a disk with room for
    // the one and not for the other can be had.
    home.write("qx.ini", home.read("qx.ini") + "; " + QByteArray(600, 'x') + "\r\n");
    struct Case {
        const char *how;
        const char *reason;
    };
    const Case cases[] = {{"full disk", "File too large"}, {"read-only folder", "Permission denied"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        const bool full = &c == &cases[0];
        OptMsg = false;
        const QByteArray before = home.read("qx.ini");
        w.menuSwSet->trigger();
        frmSw &d = frmSwForm().get();
        d.chkMsg->setChecked(true);
        {
            std::optional<test::FullDisk> disk;
            std::optional<test::FileModesApply> asUser;
            if (full) {
                // Room for the error log's line, not for qx.ini written again.
                disk.emplace(rlim_t(before.size()));
                ASSERT_TRUE(disk->ok());
            } else {
                asUser.emplace();
                ASSERT_TRUE(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::ExeOwner));
            }
            d.cmdOK->click();
            QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        ASSERT_EQ(ui.msgTexts(), QStringList{"Save failed!"});
        EXPECT_EQ(ui.msgs[0].style, MbCritical);
        EXPECT_TRUE(frmSwForm().isOpen()) << "left open for another try";
        EXPECT_TRUE(OptMsg) << "the option holds for this run";
        EXPECT_EQ(home.read("qx.ini"), before);
        // One line: the writes after the first failure are not tried.
        const QStringList logged = errLog().split("\r\n", Qt::SkipEmptyParts);
        ASSERT_EQ(logged.size(), 1) << errLog().toStdString();
        EXPECT_EQ(logged[0], "2024-03-05 09:07:03 V1.8.9:[ErrIni]" + home.file("qx.ini") + ": " + c.reason);

        // With room again OK saves and closes.
        d.cmdOK->click();
        EXPECT_FALSE(frmSwForm().isOpen());
        EXPECT_TRUE(iniLines(home).contains("MSG=True"));
        EXPECT_EQ(ui.msgs.size(), 1u);
        ui.msgs.clear();
        QFile::remove(home.file("Log/qx-202435.log"));
    }
}

TEST_F(Settings, EachWaitEndsOnlyWithItsOwnDialog)
{
    bool showReturned = false, curveClosedFirst = false;
    DialogAnswer<frmShow> show(frmShowForm(), [&](frmShow &d) {
        // Inside the display dialog's wait: the coordinate dialog closes.
        frmCurveForm().get().reject();
        for (int k = 0; k < 20; ++k)
            QCoreApplication::processEvents();
        curveClosedFirst = !frmCurveForm().isOpen();
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(showReturned);
        d.cmdCancel->click();
    });
    DialogAnswer<frmCurve> curve(frmCurveForm(), [&](frmCurve &) {
        w.menuShow->trigger();
        showReturned = true;
    });
    w.menuCurve->trigger();
    EXPECT_TRUE(curve.answered());
    EXPECT_TRUE(show.answered());
    EXPECT_TRUE(curveClosedFirst);
    EXPECT_TRUE(showReturned);
    EXPECT_FALSE(frmShowForm().isOpen());
}

TEST_F(Settings, ViewerCopiesTheFirstChartsStylesAndClosesWithTheProgram)
{
    CurveGraph &g0 = w.CurveGraph(0);
    g0.set_BackColor(0x202020);
    g0.set_GridColor(0x404040);
    g0.set_CurveLineColor(0, 0x00FF00);
    g0.set_CurveLineColor(1, 0xFF00FF);
    g0.set_Line(1);
    DialogAnswer<frmType> type(frmTypeForm(), [](frmType &d) { d.cmdOK->click(); });
    w.tlbSysButton("opendat")->trigger();
    ASSERT_TRUE(type.answered());
    ASSERT_TRUE(frmDataForm().isOpen());
    frmData &v = frmDataForm().get();
    EXPECT_EQ(v.CurveGraph().BackColor(), 0x202020u);
    EXPECT_EQ(v.CurveGraph().GridColor(), 0x404040u);
    EXPECT_EQ(v.CurveGraph().Line(), 1);

    // The first file's colour dialog shows the copied colours.
    int64_t ticks = 0;
    const auto previous = Module4::setTickSource([&] { return ticks += 100; });
    home.write("a.csv", "0,1.00,4.000\r\n10,1.00,4.000\r\n");
    ui.fileAnswers = {home.file("a.csv")};
    DialogAnswer<frmColor> colours(frmColorForm(), [](frmColor &d) {
        EXPECT_EQ(swatchColor(d.lblVolColor), 0x00FF00u);
        EXPECT_EQ(swatchColor(d.lblCurColor), 0xFF00FFu);
        d.cmdOK->click();
    });
    v.menuOpenData->trigger();
    Module4::setTickSource(previous);
    EXPECT_TRUE(colours.answered());
    EXPECT_EQ(v.FileCount, 1);

    w.menuSwSet->trigger();
    v.menuXY->trigger();
    ASSERT_TRUE(frmSwForm().isOpen() && frmCurve2Form().isOpen());
    unloadCurveWindows();
    EXPECT_FALSE(frmDataForm().isLoaded());
    EXPECT_FALSE(frmSwForm().isLoaded());
    EXPECT_FALSE(frmCurve2Form().isLoaded());
}
