// The main window's commands: every toolbar key reaches its command, the
// menu entries of the main window (clear, search, title, temperature,
// language, help), the colour cells of the result grid and the status line
// written by the running one-second timer.
#include "MainFixture.h"

#include "common/DialogAnswer.h"
#include "common/Mouse.h"
#include "common/RawPty.h"
#include "curves/CurveGraph.h"
#include "curves/frmShow.h"
#include "curves/frmType.h"
#include "services/Module1.h"
#include "services/Module4.h"
#include "mainwin/frmAbout.h"
#include "panel/DevCtrl.h"
#include "platform/AppVersion.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QEventLoop>
#include <QTimer>
#include <QToolBar>

using namespace qx;

namespace {

class Menus : public test::MainFixture {
protected:
    Menus() { previousTicks = Module4::setTickSource([t = int64_t(0)]() mutable { return t += 100; }); }
    ~Menus() override
    {
        frmAboutForm().unload();
        Module4::setTickSource(previousTicks);
    }

    QString ini(const char *section, const char *key) const
    {
        return Module1::ReadIni(IniFile, QLatin1String(section), QLatin1String(key), QStringLiteral("<none>"));
    }
    // A press of the mouse button on a cell of result grid Index.
    void clickCell(int Index, int row, int col, Qt::MouseButton button = Qt::LeftButton)
    {
        Grid &g = w.gridRun(Index);
        const QRect r = g.visualRect(g.model()->index(row, col));
        test::sendMouse(g.viewport(), QEvent::MouseButtonPress, r.center(), button);
        test::sendMouse(g.viewport(), QEvent::MouseButtonRelease, r.center(), button);
    }
    uint32_t cellColour(int Index, int row, int col)
    {
        Grid &g = w.gridRun(Index);
        g.set_Row(row);
        g.set_Col(col);
        return g.CellBackColor();
    }

    Module4::TickSource previousTicks;
    frmMain &w = load();
};

} // namespace

TEST_F(Menus, EveryToolbarKeyReachesItsCommand)
{
    w.show();
    // "opendat": the data viewer (after its axis-type question).
    {
        test::DialogAnswer<frmType> type(frmTypeForm(), [](frmType &d) { d.cmdOK->click(); });
        w.tlbSysButton("opendat")->trigger();
    }
    EXPECT_TRUE(frmDataForm().isOpen());
    // "savedat" and "savepic": their save dialogs (cancelled here).
    w.tlbSysButton("savedat")->trigger();
    w.tlbSysButton("savepic")->trigger();
    ASSERT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save Data--Device1");
    EXPECT_EQ(ui.fileRequests[1].title, "Save Picture--Device1");
    EXPECT_EQ(ui.fileRequests[1].filter, "bmp file(*.bmp)|*.bmp");
    // "setting": the display settings, waited for until they close.
    {
        test::DialogAnswer<frmShow> settings(frmShowForm(), [](frmShow &d) { d.close(); });
        w.tlbSysButton("setting")->trigger();
        EXPECT_TRUE(settings.answered());
    }
    // "com": the port scan and its message.
    w.tlbSysButton("com")->trigger();
    ASSERT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.msgs[0].text, "Search comm port finished");
    EXPECT_EQ(ui.msgs[0].style, MbInformation);
    EXPECT_EQ(ui.msgs[0].title, "Prompt");
    // "about": the About box, once however often it is asked for.
    w.tlbSysButton("about")->trigger();
    w.tlbSysButton("about")->trigger();
    EXPECT_TRUE(frmAboutForm().isOpen());
    int abouts = 0;
    for (QWidget *t : QApplication::topLevelWidgets())
        abouts += t->isVisible() && qobject_cast<frmAbout *>(t) != nullptr;
    EXPECT_EQ(abouts, 1);
    // An unknown key does nothing.
    w.tlbSys_ButtonClick("nothing");
    EXPECT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.fileRequests.size(), 2u);
}

TEST_F(Menus, ClearCurveAsksThenClearsTheChartAndRestartsTheTimeAxis)
{
    ::CurveGraph &g = w.CurveGraph(0);
    const auto fill = [&] {
        g.AddXY(0, 10, 3.5f);
        g.AddXY(1, 10, 1.0f);
        for (int c = 0; c < 2; ++c) {
            TotalSecs[0][c].store(120 + c);
            RunStartPt[0][c] = 7;
        }
        DeviceState &d = dev(0);
        d.PlotVMax = 4.2f, d.PlotVMin = 3.0f, d.PlotIMax = 2.0f, d.PlotIMin = 0.5f;
        d.PlotY2Max = 40, d.PlotY2Min = 20, d.CurveMaxT = 121;
    };
    fill();
    ui.msgAnswers = {MrCancel};
    w.menuClear->trigger();
    ASSERT_EQ(ui.msgs.size(), 1u);
    EXPECT_EQ(ui.msgs[0].text, "Clear Curve?");
    EXPECT_EQ(ui.msgs[0].style, MbOkCancel | MbInformation);
    EXPECT_EQ(g.DpCnt(0), 1);
    EXPECT_EQ(TotalSecs[0][1].load(), 121);

    ui.msgAnswers = {MrOk};
    w.menuClear->trigger();
    EXPECT_EQ(g.DpCnt(0), 0);
    EXPECT_EQ(g.DpCnt(1), 0);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(TotalSecs[0][c].load(), 0);
        EXPECT_EQ(RunStartPt[0][c], 0);
    }
    const DeviceState &d = dev(0);
    EXPECT_EQ(d.PlotVMax, 0);
    EXPECT_EQ(d.PlotVMin, 0);
    EXPECT_EQ(d.PlotIMax, 0);
    EXPECT_EQ(d.PlotIMin, 0);
    EXPECT_EQ(d.CurveMaxT, 0);
    EXPECT_EQ(d.PlotY2Max, 40);  // the third axis keeps its extremes
    EXPECT_EQ(d.PlotY2Min, 20);
}

TEST_F(Menus, SearchCommPortRescansOnlyWhileNotConnected)
{
    DevCtrl &p = w.DevCtrl(0);
    ASSERT_EQ(p.PortCnt(), 0);
    test::RawPty pty(home.path(), 4);
    ASSERT_TRUE(pty.ok());
    p.set_Conn(true);
    w.menuSearch->trigger();
    EXPECT_EQ(p.PortCnt(), 0);
    EXPECT_TRUE(ui.msgs.empty());
    p.set_Conn(false);
    w.menuSearch->trigger();
    EXPECT_EQ(p.PortCnt(), 1);
    EXPECT_EQ(p.PortList(0), "COM4");
    EXPECT_EQ(ui.msgTexts(), QStringList{"Search comm port finished"});
}

TEST_F(Menus, TitleFromTheMenuAndFromADoubleClickOnAChart)
{
    w.menuAddDev_Click();
    w.CurveGraph(0).set_TitleText("First");
    w.CurveGraph(1).set_TitleText("Second");
    ui.inputAnswers = {QString("Renamed"), QString(""), std::nullopt};
    w.menuTitle->trigger();
    ASSERT_EQ(ui.inputs.size(), 1u);
    EXPECT_EQ(ui.inputs[0].prompt, "Please input new title");
    EXPECT_EQ(ui.inputs[0].title, "Prompt");
    EXPECT_EQ(ui.inputs[0].defaultText, "First");
    EXPECT_EQ(w.CurveGraph(0).TitleText(), "Renamed");
    // An empty answer and Cancel keep the title.
    w.menuTitle->trigger();
    w.menuTitle->trigger();
    EXPECT_EQ(w.CurveGraph(0).TitleText(), "Renamed");

    // A double click on a chart's title renames that chart.
    w.tabDev->set_SelectedIndex(2);
    ui.inputAnswers = {QString("Device two")};
    ::CurveGraph &g = w.CurveGraph(1);
    test::sendMouse(g.lblTitle(), QEvent::MouseButtonDblClick, QPoint(3, 3));
    ASSERT_EQ(ui.inputs.size(), 4u);
    EXPECT_EQ(ui.inputs[3].defaultText, "Second");
    EXPECT_EQ(g.TitleText(), "Device two");
    EXPECT_EQ(w.CurveGraph(0).TitleText(), "Renamed");
}

TEST_F(Menus, TemperatureLanguageAndWebEntriesWriteTheirSettings)
{
    w.menuTemp->setVisible(true);
    ASSERT_FALSE(w.menuTemp->isChecked());
    w.menuTemp->trigger();
    EXPECT_TRUE(w.menuTemp->isChecked());
    EXPECT_EQ(ini("AUTO", "TEMP"), "True");
    w.menuTemp->trigger();
    EXPECT_FALSE(w.menuTemp->isChecked());
    EXPECT_EQ(ini("AUTO", "TEMP"), "False");

    w.menuUnSimp->trigger();
    EXPECT_EQ(LangTrad, 1);
    EXPECT_TRUE(w.menuUnSimp->isChecked());
    EXPECT_FALSE(w.menuSimp->isChecked());
    EXPECT_EQ(ini("LANGUAGE", "LANG"), "1");
    w.menuSimp->trigger();
    w.menuSimp->trigger();  // choosing it again keeps it chosen
    EXPECT_EQ(LangTrad, 0);
    EXPECT_TRUE(w.menuSimp->isChecked());
    EXPECT_FALSE(w.menuUnSimp->isChecked());
    EXPECT_EQ(ini("LANGUAGE", "LANG"), "0");

    w.menuHelp->trigger();
    w.menuCDT->trigger();
    EXPECT_EQ(ui.links, (QStringList{app::webAddress(), app::partnerAddress()}));
    EXPECT_TRUE(ui.msgs.empty());
}

TEST_F(Menus, WithoutABrowserTheWebEntriesTellTheAddress)
{
    ui.linksOpen = false;
    w.menuHelp->trigger();
    frmAboutForm().get().Label1_Click();
    ASSERT_EQ(ui.msgTexts(), (QStringList{"Please visit " + app::webAddress(), "Please visit " + app::webAddress()}));
    EXPECT_EQ(ui.msgs[0].style, MbInformation);
    EXPECT_EQ(ui.msgs[0].title, "Prompt");
    EXPECT_EQ(ui.links.size(), 2) << "the browser was asked first";
}

TEST_F(Menus, ColourCellsOfTheChannelRows)
{
    ::CurveGraph &g = w.CurveGraph(0);
    DevCtrl &p = w.DevCtrl(0);
    // Column 7 of row 1: channel 0's voltage curve.
    const uint32_t before = cellColour(0, 1, 7);
    ui.colorAnswers = {0x0000FF};
    clickCell(0, 1, 7);
    EXPECT_EQ(ui.colorRequests, 1);
    EXPECT_EQ(ui.colorStarts, std::vector<int64_t>{int64_t(before)}) << "the dialog opens at the cell's colour";
    EXPECT_EQ(cellColour(0, 1, 7), 0x0000FFu);
    EXPECT_EQ(g.CurveLineColor(0), 0x0000FFu);
    EXPECT_EQ(p.VolColor(), 0x0000FFu);
    EXPECT_EQ(ini("DATA", "VCOL0"), "255");
    // Column 8 with the right button: the current curve.
    ui.colorAnswers = {0x00FF00};
    clickCell(0, 1, 8, Qt::RightButton);
    EXPECT_EQ(g.CurveLineColor(1), 0x00FF00u);
    EXPECT_EQ(p.CurColor(), 0x00FF00u);
    EXPECT_EQ(ini("DATA", "CCOL0"), "65280");
    // Cancelled: the cell's colour is applied and written again.
    g.set_CurveLineColor(1, 0x123456);
    Module1::WriteIni(IniFile, "DATA", "CCOL0", "1");
    clickCell(0, 1, 8);
    EXPECT_EQ(g.CurveLineColor(1), 0x00FF00u);
    EXPECT_EQ(ini("DATA", "CCOL0"), "65280");

    // Other columns, the header row and, on a one-channel device, row 2
    // ask nothing and change nothing.
    const int asked = ui.colorRequests;
    ui.colorAnswers = {0xFFFFFF};
    clickCell(0, 1, 3);
    clickCell(0, 2, 7);
    clickCell(0, 2, 8);
    EXPECT_EQ(ui.colorRequests, asked);
    EXPECT_EQ(ini("DATA", "VCOL1"), "<none>");
    EXPECT_EQ(g.CurveCount(), 5);

    // Row 2 of a two-channel device: channel 1's curves; the panel keeps
    // channel 0's colours.
    p.set_Dev2S(true);
    w.InitDual(0);
    ui.colorAnswers = {0xFF0000, 0x00FFFF};
    clickCell(0, 2, 7);
    clickCell(0, 2, 8);
    EXPECT_EQ(g.CurveLineColor(5), 0xFF0000u);
    EXPECT_EQ(g.CurveLineColor(6), 0x00FFFFu);
    EXPECT_EQ(cellColour(0, 2, 7), 0xFF0000u);
    EXPECT_EQ(p.VolColor(), 0x0000FFu);
    EXPECT_EQ(p.CurColor(), 0x00FF00u);
    EXPECT_EQ(ini("DATA", "VCOL1"), QString::number(0xFF0000));
    EXPECT_EQ(ini("DATA", "CCOL1"), QString::number(0x00FFFF));
}

TEST_F(Menus, TheRunningTimerWritesTheSelectedDevicesStatusLine)
{
    w.menuAddDev_Click();
    w.tabDev->set_SelectedIndex(2);
    w.VerText = QStringLiteral("V3.20");
    w.set_lstInfoLine(0, 0, "untouched");
    // One tick of the running timer (it writes the line before this runs).
    QEventLoop loop;
    bool ticked = false;
    QObject::connect(w.Timer1, &QTimer::timeout, &loop, [&] {
        ticked = true;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(ticked);
    const QString line = w.lstInfoLine(1, 0);
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(QRegularExpression("^ " + QRegularExpression::escape(date) + " \\d{1,2}:\\d{2}:\\d{2}.*  V3\\.20$")
                    .match(line)
                    .hasMatch())
        << line.toStdString();
    EXPECT_EQ(w.lstInfoLine(0, 0), "untouched");
}
