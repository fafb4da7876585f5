// Start-up of the main window: the settings file and folders, every setting
// of qx.ini, device 0's views and the menus as designed.
#include <QComboBox>
#include "MainFixture.h"

#include "DevSim.h"
#include "curves/CurveGraph.h"
#include "link/PortWatch.h"
#include "link/PortScan.h"
#include "mainwin/ChartSettings.h"
#include "platform/AppHome.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

#include <unistd.h>

using namespace qx;
using qx::test::MainFixture;

namespace {

struct ChartLook {
    uint32_t v, c, back, grid, axes;
    int grid1, grid2, line;
    float vLo, vHi, cLo, cHi, tLo, tHi;
    bool legends;
};

void expectChart(const CurveGraph &g, const ChartLook &e, const char *which)
{
    SCOPED_TRACE(which);
    EXPECT_EQ(g.CurveLineColor(0), e.v);
    EXPECT_EQ(g.CurveLineColor(1), e.c);
    EXPECT_EQ(g.CurveLineColor(2), e.c) << "the third curve takes the current's colour";
    EXPECT_EQ(g.BackColor(), e.back);
    EXPECT_EQ(g.GridColor(), e.grid);
    EXPECT_EQ(g.AxesColor(), e.axes);
    EXPECT_EQ(g.GridType1(), e.grid1);
    EXPECT_EQ(g.GridType2(), e.grid2);
    EXPECT_EQ(g.Line(), e.line);
    EXPECT_FLOAT_EQ(g.MinY(0), e.vLo);
    EXPECT_FLOAT_EQ(g.MaxY(0), e.vHi);
    EXPECT_FLOAT_EQ(g.MinY(1), e.cLo);
    EXPECT_FLOAT_EQ(g.MaxY(1), e.cHi);
    EXPECT_FLOAT_EQ(g.MinX(), e.tLo);
    EXPECT_FLOAT_EQ(g.MaxX(), e.tHi);
    EXPECT_EQ(g.ShowLegend(0), e.legends);
    EXPECT_EQ(g.ShowLegend(1), e.legends);
    EXPECT_EQ(g.CurveCount(), 5);
    EXPECT_EQ(g.CurveAxesY(0), 0);
    EXPECT_EQ(g.CurveAxesY(1), 1);
    EXPECT_EQ(g.CurveAxesY(2), 2);
    EXPECT_TRUE(g.ShowCurve(0));
    EXPECT_TRUE(g.ShowCurve(1));
    EXPECT_FALSE(g.ShowCurve(2));
}

const ChartLook Defaults{16711680, 255, 16777215, 8421504, 0, 0, 2, 2, 0, 20, 0, 10, 0, 100, false};

} // namespace

TEST_F(MainFixture, AHomeThatCannotBeWrittenIsToldOnceAtStart)
{
    const QString warning = QStringLiteral(
        "Settings, run logs and results cannot be saved in the folder %1: it cannot be written.\n"
        "Start the program with --home DIR, or set QX_HOME, to use a folder that can be written.");
    home.write("blocker", "a file where the home folder would go");
    struct Case {
        const char *what;
        QString dir;
        bool warned;
    };
    std::vector<Case> cases = {
        {"a writable home", home.file("fresh"), false},
        {"a home that cannot be created", home.file("blocker/home"), true},
    };
    // A read-only folder stops no one running as root.
    QTemporaryDir readOnly;
    if (::geteuid() != 0 && QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::ExeOwner))
        cases.push_back({"a read-only home", readOnly.path(), true});

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        setHomeDir(c.dir);
        ui.msgs.clear();
        ::testing::internal::CaptureStderr();
        frmMain &w = frmMainForm().get();
        const QString err = QString::fromStdString(::testing::internal::GetCapturedStderr());
        EXPECT_EQ(w.windowTitle(), "[VELTRIX] QX Tester Software V1.8.9") << "the program starts all the same";
        if (c.warned) {
            const QString text = warning.arg(c.dir);
            ASSERT_EQ(ui.msgs.size(), 1u);
            EXPECT_EQ(ui.msgs[0].text, text);
            EXPECT_EQ(ui.msgs[0].title, "Prompt");
            EXPECT_EQ(ui.msgs[0].style, MbOkOnly | MbExclamation);
            EXPECT_EQ(err.count(QStringLiteral("qx-tester: ") + text + '\n'), 1) << err.toStdString();
            EXPECT_FALSE(OptMsg) << "defaults";
        } else {
            EXPECT_TRUE(ui.msgs.empty());
            EXPECT_FALSE(err.contains("cannot be saved")) << err.toStdString();
            EXPECT_TRUE(QFileInfo::exists(c.dir + "/qx.ini"));
        }
        frmMainForm().unload();
        resetState();
    }
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setHomeDir(home.path());
}

TEST_F(MainFixture, FreshHomeGetsSettingsFileFoldersAndDefaults)
{
    frmMain &w = load();
    EXPECT_EQ(home.read("qx.ini"), QByteArray(";--------QX Config File----------\r\n"));
    EXPECT_TRUE(QDir(home.file("Data")).exists());
    EXPECT_TRUE(QDir(home.file("Log")).exists());
    EXPECT_EQ(IniFile, home.file("qx.ini"));

    EXPECT_EQ(w.windowTitle(), "[VELTRIX] QX Tester Software V1.8.9");
    EXPECT_EQ(LangTrad, 0);
    EXPECT_FALSE(OptSave);
    EXPECT_FALSE(OptMsg);
    EXPECT_FALSE(OptHide);
    EXPECT_FALSE(OptDisp);
    EXPECT_TRUE(OptCsv);
    EXPECT_EQ(OptCsvT, 0);
    EXPECT_EQ(OptSah, 0);
    EXPECT_EQ(OptSwh, 0);
    EXPECT_EQ(OptSla, 0);
    EXPECT_TRUE(OptXTime);
    EXPECT_EQ(OptScale, 1);
    EXPECT_FALSE(w.menuTemp->isChecked());
    EXPECT_EQ(w.SvrAddr, "192.0.2.10");
    expectChart(w.CurveGraph(0), Defaults, "device 0");
    EXPECT_EQ(w.DevCtrl(0).PwrColor(), 32896u);
    EXPECT_EQ(w.DevCtrl(0).TimeColor(), 8421504u);
    EXPECT_EQ(w.DevCtrl(0).VolColor(), 16711680u);
    EXPECT_EQ(w.DevCtrl(0).CurColor(), 255u);

    // Shared start values.
    EXPECT_EQ(DevCount, 1);
    EXPECT_EQ(CurDev, 0);
    EXPECT_FLOAT_EQ(MaxCur[0], 10);
    EXPECT_FLOAT_EQ(MaxVol[0], 60);
    EXPECT_EQ(CurScale[0], 100);
    EXPECT_EQ(VolScale[0], 100);
    EXPECT_EQ(w.Minimized, 0);
}

namespace {

// The dark pixels of a header cell (row 0, column col) of a grid, cut to
// their bounding box: what the cell shows of its text.
QImage headerInk(Grid &g, int col)
{
    const QImage shot = g.grab().toImage();
    const QRect cell = g.visualRect(g.model()->index(0, col)).translated(g.viewport()->pos());
    QRect ink;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left() + 1; x < cell.right(); ++x)
            if (qGray(shot.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    if (ink.isEmpty())
        return {};
    QImage out(ink.size(), QImage::Format_Mono);
    for (int y = 0; y < ink.height(); ++y)
        for (int x = 0; x < ink.width(); ++x)
            out.setPixel(x, y, qGray(shot.pixel(ink.left() + x, ink.top() + y)) < 128 ? 1 : 0);
    return out;
}

} // namespace

TEST_F(MainFixture, ResultGridHeadersShowWholeAtTheirDesignedWidths)
{
    frmMain &w = load();
    w.show();
    Grid &g = w.gridRun(0);
    ASSERT_EQ(g.ColWidth(7), 750);
    ASSERT_EQ(g.ColWidth(8), 750);
    // The same words in a column far wider than they are, in the same font:
    // the header cells must show exactly these pixels, not a shortened word.
    Grid wide;
    wide.setFont(g.font());
    wide.set_Cols(2);
    wide.set_ColWidth(0, 3000);
    wide.set_ColWidth(1, 3000);
    wide.set_ColAlignment(0, Grid::AlignCenterCenter);
    wide.set_ColAlignment(1, Grid::AlignCenterCenter);
    wide.set_TextMatrix(0, 0, "CurveV");
    wide.set_TextMatrix(0, 1, "CurveA");
    wide.resize(500, 100);
    for (int c : {7, 8}) {
        SCOPED_TRACE(c);
        const QImage shown = headerInk(g, c), whole = headerInk(wide, c - 7);
        ASSERT_FALSE(whole.isNull());
        EXPECT_EQ(shown.size(), whole.size());
        EXPECT_TRUE(shown == whole) << "the header is shortened";
    }
}

TEST_F(MainFixture, DeviceZeroViewsAsDesigned)
{
    frmMain &w = load();
    DevCtrl &p = w.DevCtrl(0);
    EXPECT_FALSE(p.Dev2S());
    EXPECT_EQ(p.ModeCnt(), 1);
    EXPECT_EQ(p.tMode(), "No Device");
    EXPECT_EQ(p.tSval(0), "00.00");
    EXPECT_EQ(p.tSlmt(0), "00.00");
    EXPECT_EQ(p.tStim(0), "0");
    EXPECT_EQ(p.Index(), 0);

    Grid &g = w.gridRun(0);
    const QStringList headers{"Device", "Mode", "Begin Volt", "Cutoff Volt", "Capacity",
                              "Energy", "Avg Volt", "CurveV", "CurveA"};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(g.TextMatrix(0, c), headers[c]);
        EXPECT_EQ(g.ColAlignment(c), Grid::AlignCenterCenter);
    }
    EXPECT_EQ(g.TextMatrix(1, 0), "No Device");
    EXPECT_EQ(g.ColWidth(0), 1300);
    EXPECT_EQ(g.ColWidth(7), 750);
    EXPECT_EQ(g.ColWidth(8), 750);
    g.set_Row(1);
    g.set_Col(7);
    EXPECT_EQ(g.CellBackColor(), 16711680u);
    g.set_Col(8);
    EXPECT_EQ(g.CellBackColor(), 255u);

    EXPECT_EQ(w.lstInfo(0).count(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w.lstInfoLine(0, i), "");
    EXPECT_FALSE(w.gridAutolist(0).isVisibleTo(&w));
    EXPECT_EQ(w.gridAutolist(0).Cols(), 4);

    // Only the status-line timer runs.
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_FALSE(w.tmrComm(0).isActive());
    EXPECT_FALSE(w.tmrConn(0).isActive());
    EXPECT_FALSE(w.tmrRecv(0).isActive());
    EXPECT_EQ(w.tmrConn(0).interval(), 1000);
    EXPECT_EQ(w.tmrRecv(0).interval(), 500);

    EXPECT_EQ(w.tabDev->Count(), 1);
    EXPECT_EQ(w.tabDev->Key(1), "dev1");
    EXPECT_EQ(w.tabDev->Caption(1), "Device1");
}

TEST_F(MainFixture, MenusAndToolbarStartAsDesigned)
{
    frmMain &w = load();
    struct Entry {
        QAction *a;
        const char *caption;
        bool enabled, visible;
    };
    const Entry entries[] = {
        {w.menuOpenCfg, "Open Parameter", false, true}, {w.menuSaveCfg, "Save Parameter", false, true},
        {w.menuOpenData, "Open Data", true, true},      {w.menuSaveData, "Save Data", true, true},
        {w.menuSavePic, "Save Curve", true, true},      {w.menuCapture, "Save Picture", true, true},
        {w.menuExit, "Exit", true, true},               {w.menuAddDev, "Add Device", true, true},
        {w.menuAdj, "Parameter Calibration", false, true}, {w.menuUpdate, "Firmware Update", true, true},
        {w.menuClear, "Clear Curve", true, true},       {w.menuSearch, "Search Comm Port", true, true},
        {w.menuRes, "Resistance Test", false, false},   {w.menuQc, "QC2.0 Test", false, false},
        {w.menuUsb, "Quick Charger Test", true, false}, {w.menuTitle, "Curve Title", true, true},
        {w.menuCurve, "Coordinate Settings", true, true}, {w.menuShow, "Display Setting", true, true},
        {w.menuTemp, "Temprature Data", true, false},   {w.menuSwSet, "Software Setting", true, true},
        {w.menuHelp, "Help", true, true},               {w.menuAbout, "About", true, true},
        {w.menuCDT, "CDT", true, false},
    };
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.caption);
        EXPECT_EQ(e.a->text(), e.caption);
        EXPECT_EQ(e.a->isVisible(), e.visible);
        // A hidden entry reports itself disabled; its own state shows once it is shown.
        e.a->setVisible(true);
        EXPECT_EQ(e.a->isEnabled(), e.enabled);
        e.a->setVisible(e.visible);
    }
    EXPECT_FALSE(w.menuLang->menuAction()->isVisible());
    EXPECT_TRUE(w.menuSimp->isChecked());
    EXPECT_FALSE(w.menuUnSimp->isChecked());
    // Menu order: File, System, Tools, Setting, Help.
    QStringList titles;
    for (QMenu *m : {w.mnuFile, w.mnuSys, w.mnuTool, w.mnuSet, w.mnuHelp})
        titles << m->title();
    EXPECT_EQ(titles, QStringList({"File", "System", "Tools", "Setting", "Help"}));

    QStringList keys, tips;
    for (QAction *a : w.tlbSys->actions()) {
        keys << a->data().toString();
        tips << a->toolTip();
    }
    EXPECT_EQ(keys, QStringList({"opendat", "savedat", "savepic", "setting", "com", "about"}));
    EXPECT_EQ(tips, QStringList({"Open Data", "Save Data", "Save Picture", "Display Setting",
                                 "Search Comm Port", "About Software"}));
    EXPECT_EQ(w.tlbSysButton("com"), w.tlbSys->actions()[4]);
    EXPECT_EQ(w.tlbSysButton("nothing"), nullptr);
}

TEST_F(MainFixture, PreparedSettingsReachEveryOptionAndEveryChart)
{
    const QByteArray ini = ";--------QX Config File----------\r\n"
                           "[LANGUAGE]\r\nLANG=1\r\n"
                           "[AUTO]\r\nSAVE=True\r\nMSG=true\r\nHIDE=1\r\nDISP=TRUE\r\nCSV=False\r\nCSVT=1.7\r\nTEMP=True\r\n"
                           "[DATA]\r\nVCOL0=65280\r\nCCOL0=16711935\r\nPCOL=123\r\nTCOL=456\r\nBCOL=0\r\n"
                           "GCOL=255\r\nACOL=16777215\r\nMDOT=1\r\nSDOT=0\r\nLINE=1\r\nSAH=2.5\r\nSWH=3.5\r\n"
                           "SLA=1\r\nXTIME=False\r\nSCALE=0\r\nSVR=10.1.2.3\r\n"
                           "[CURVE]\r\nVY0=1\r\nVY1=5\r\nCY0=0.5\r\nCY1=3\r\nCT0=10\r\nCT1=3600\r\n";
    frmMain &w = load(ini);
    EXPECT_EQ(home.read("qx.ini"), ini) << "start-up writes nothing";
    EXPECT_EQ(LangTrad, 1);
    EXPECT_TRUE(OptSave);
    EXPECT_TRUE(OptMsg);
    EXPECT_TRUE(OptHide);
    EXPECT_TRUE(OptDisp);
    EXPECT_FALSE(OptCsv);
    EXPECT_EQ(OptCsvT, 1);
    EXPECT_TRUE(w.menuTemp->isChecked());
    EXPECT_EQ(OptSah, 2) << "nearest, halves to even";
    EXPECT_EQ(OptSwh, 4);
    EXPECT_EQ(OptSla, 1);
    EXPECT_FALSE(OptXTime);
    EXPECT_EQ(OptScale, 0);
    EXPECT_EQ(w.SvrAddr, "10.1.2.3");

    w.menuAddDev_Click();
    w.menuAddDev_Click();
    const ChartLook prepared{65280, 16711935, 0, 255, 16777215, 2, 0, 1, 1, 5, 0.5, 3, 10, 3600, true};
    for (int i = 0; i < DevCount; ++i) {
        expectChart(w.CurveGraph(i), prepared, qPrintable(QStringLiteral("device %1").arg(i)));
        EXPECT_EQ(w.DevCtrl(i).PwrColor(), 123u);
        EXPECT_EQ(w.DevCtrl(i).TimeColor(), 456u);
        EXPECT_EQ(w.DevCtrl(i).VolColor(), 65280u);
        EXPECT_EQ(w.DevCtrl(i).CurColor(), 16711935u);
    }
}

TEST_F(MainFixture, MalformedValuesCountAsMissingKeys)
{
    frmMain &w = load("[LANGUAGE]\nLANG=x\n[AUTO]\nSAVE=perhaps\nCSV=\nCSVT=one\n"
                      "[DATA]\nVCOL0=blue\nCCOL0=-5\nBCOL=1e99\nMDOT=dotted\nLINE=99999\nSCALE=big\nXTIME=2x\n"
                      "[CURVE]\nVY0=low\nVY1=\nCT0=0\nCT1=1e12\n");
    EXPECT_EQ(LangTrad, 0);
    EXPECT_FALSE(OptSave);
    EXPECT_TRUE(OptCsv);
    EXPECT_EQ(OptCsvT, 0);
    EXPECT_EQ(OptScale, 1);
    EXPECT_TRUE(OptXTime);
    expectChart(w.CurveGraph(0), Defaults, "device 0");
}

TEST(ChartSettings, CurvePairsApplyOnlyWhenTheirTestPasses)
{
    const struct {
        float lo, hi;
        bool ok;
    } values[] = {{5, 5.05f, false}, {0, 0.1f, true}, {0, 100, true},   {0, 100.5f, false},
                  {-1, 5, false},    {3, 2, false}, {1.9f, 2.0f, true}, {1.2f, 1.3f, true}};
    for (const auto &v : values)
        EXPECT_EQ(mainwin::valueRangeOk(v.lo, v.hi), v.ok) << v.lo << " " << v.hi;
    const struct {
        int lo, hi;
        bool ok;
    } times[] = {{50, 59, false}, {50, 60, true}, {0, 60001, false}, {0, 60000, true}, {-10, 0, false}};
    for (const auto &t : times)
        EXPECT_EQ(mainwin::timeRangeOk(t.lo, t.hi), t.ok) << t.lo << " " << t.hi;
}

TEST_F(MainFixture, FailingCurvePairKeepsTheChartsRangeWhileOthersApply)
{
    frmMain &w = load("[CURVE]\nVY0=5\nVY1=5.05\nCY0=1\nCY1=2\nCT0=50\nCT1=59\n");
    const CurveGraph &g = w.CurveGraph(0);
    EXPECT_FLOAT_EQ(g.MinY(0), 0);
    EXPECT_FLOAT_EQ(g.MaxY(0), 20);
    EXPECT_FLOAT_EQ(g.MinY(1), 1);
    EXPECT_FLOAT_EQ(g.MaxY(1), 2);
    EXPECT_FLOAT_EQ(g.MinX(), 0);
    EXPECT_FLOAT_EQ(g.MaxX(), 60) << "the chart's own time range";
}

TEST_F(MainFixture, OnlyLanguageZeroOrOneIsTaken)
{
    for (const char *lang : {"2", "-1", "1"}) {
        resetState();
        home.write("qx.ini", QByteArray("[LANGUAGE]\nLANG=") + lang + "\n");
        frmMainForm().get();
        EXPECT_EQ(LangTrad, QByteArray(lang) == "1" ? 1 : 0) << lang;
        frmMainForm().unload();
    }
}

TEST_F(MainFixture, PortScanListsTheSimulatorAndPort1ChoosesAmongThem)
{
    sim::DevSim com3({.home = home.path(), .com = 3, .type = 10});
    sim::DevSim com5({.home = home.path(), .com = 5, .type = 10});
    ASSERT_TRUE(com3.start()) << com3.error().toStdString();
    ASSERT_TRUE(com5.start()) << com5.error().toStdString();
    const PortScanResult found = scanPorts();

    // PORT1 naming a listed port chooses it; naming an absent one keeps the scan's first.
    for (const char *port : {"5", "5.9", "19"}) {
        resetState();
        home.write("qx.ini", QByteArray("[COMM]\nPORT1=") + port + "\n");
        frmMain &w = frmMainForm().get();
        DevCtrl &p = w.DevCtrl(0);
        QStringList listed;
        for (int i = 0; i < p.PortCnt(); ++i)
            listed << p.PortList(i);
        EXPECT_EQ(listed, found.ports);
        EXPECT_TRUE(listed.contains("COM3") && listed.contains("COM5"));
        EXPECT_FALSE(listed.contains("COM1"));
        // each entry's tooltip is the port's device path
        auto *box = p.findChild<QComboBox *>(QStringLiteral("cmbPort"));
        ASSERT_TRUE(box);
        for (int i = 0; i < box->count(); ++i)
            EXPECT_EQ(box->itemData(i, Qt::ToolTipRole).toString(), found.paths.value(i));
        EXPECT_EQ(p.tPort(), QByteArray(port) == "19" ? found.first : QString("COM5")) << port;
        frmMainForm().unload();
    }
}
