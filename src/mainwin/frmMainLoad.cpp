// Form_Load: the caption, device 0's views, the shared start values, the
// settings file with the Data and Log folders, every setting of qx.ini and
// the port scan.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "services/Module1.h"
#include "link/PortScan.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "platform/AppVersion.h"
#include "mainwin/ChartSettings.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/Grid.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace {

const QString IniComment = QStringLiteral(";--------QX Config File----------");

// The settings file with its comment line when there is none yet.
void ensureIniFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return;
    // A failure shows in the check of the home folder that follows.
    qx::savefile::replace(path, (IniComment + QStringLiteral("\r\n")).toUtf8());
}

void ensureFolder(const QString &name)
{
    if (!QFileInfo::exists(qx::homePath(name)))
        QDir(qx::homeDir()).mkdir(name);
}

// A home folder (or settings file) that cannot be written is told once, in
// a message and on the error output: the program still starts, with the
// settings it can read.
void warnUnwritableHome(bool homeWritable, const QString &ini)
{
    QFile settings(ini);
    if (homeWritable && settings.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return;
    const QString text =
        QStringLiteral("Settings, run logs and results cannot be saved in the folder %1: it cannot be written.\n"
                       "Start the program with --home DIR, or set QX_HOME, to use a folder that can be written.")
            .arg(QDir::toNativeSeparators(qx::homeDir()));
    std::fputs(qPrintable(QStringLiteral("qx-tester: ") + text + QLatin1Char('\n')), stderr);
    qx::ui().msgBox(text, qx::MbOkOnly | qx::MbExclamation, QStringLiteral("Prompt"));
}

} // namespace

void frmMain::Form_Load()
{
    using namespace qx;

    setWindowTitle(QStringLiteral("[%1] %2 V%3").arg(app::makerName(), app::programTitle(), app::versionNumbers()));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.left() + (s.width() - width()) / 2, s.top() + (s.height() - height()) / 2);
    }

    // Device 0's views as designed: panel, result grid, frame in front.
    DevCtrl(0).set_Dev2S(false);
    clearPanel(0);
    Grid &grid = gridRun(0);
    grid.set_Width(resultgrid::Columns * grid.ColWidth(resultgrid::BeginVolt));
    // Three rows high, its border included, so no scroll bar takes room.
    grid.set_Height(3 * grid.RowHeight(2) + qx::pxToTwips(2 * grid.frameWidth()));
    setupResultGrid(0);
    showDeviceFrame(0);
    chan(0, 0).Mode = 0;
    ShowModeFields(0, 0);
    DevCtrl(0).set_LedRecv(false);

    applyStartValues();

    const QString ini = homePath(QStringLiteral("qx.ini"));
    const bool writable = homeWritable();  // makes the home folder when missing
    ensureIniFile(ini);
    ensureFolder(QStringLiteral("Data"));
    ensureFolder(QStringLiteral("Log"));
    warnUnwritableHome(writable, ini);
    IniFile = ini;

    const int32_t lang = qx::Module1::ReadIniFloor(IniFile, QStringLiteral("LANGUAGE"), QStringLiteral("LANG"), 0);
    LangTrad = lang == 1 ? 1 : 0;  // any other value than 0 or 1 is ignored
    SvrAddr = qx::Module1::ReadIni(IniFile, QStringLiteral("DATA"), QStringLiteral("SVR"), QStringLiteral("192.0.2.10"));

    ScanPorts(CurDev);
    const int32_t port = qx::Module1::ReadIniFloor(IniFile, QStringLiteral("COMM"), QStringLiteral("PORT1"), 2);
    choosePort(0, QStringLiteral("COM%1").arg(port));

    readOptions();
    setupChart(0, mainwin::readChartSettings(IniFile));

    gridAutolist(0).hide();
    Minimized = 0;
}

void frmMain::readOptions()
{
    using namespace qx;
    const QString Auto = QStringLiteral("AUTO"), Data = QStringLiteral("DATA");
    OptSave = qx::Module1::ReadIniBool(IniFile, Auto, QStringLiteral("SAVE"), false);
    OptMsg = qx::Module1::ReadIniBool(IniFile, Auto, QStringLiteral("MSG"), false);
    OptHide = qx::Module1::ReadIniBool(IniFile, Auto, QStringLiteral("HIDE"), false);
    OptDisp = qx::Module1::ReadIniBool(IniFile, Auto, QStringLiteral("DISP"), false);
    OptCsv = qx::Module1::ReadIniBool(IniFile, Auto, QStringLiteral("CSV"), true);
    OptCsvT = qx::Module1::ReadIniFloor(IniFile, Auto, QStringLiteral("CSVT"), 0);
    menuTemp->setChecked(qx::Module1::ReadIniBool(IniFile, Auto, QStringLiteral("TEMP"), false));
    OptSah = qx::Module1::ReadIniNearest(IniFile, Data, QStringLiteral("SAH"), 0);
    OptSwh = qx::Module1::ReadIniNearest(IniFile, Data, QStringLiteral("SWH"), 0);
    OptSla = qx::Module1::ReadIniNearest(IniFile, Data, QStringLiteral("SLA"), 0);
    OptXTime = qx::Module1::ReadIniBool(IniFile, Data, QStringLiteral("XTIME"), true);
    OptScale = qx::Module1::ReadIniNearest(IniFile, Data, QStringLiteral("SCALE"), 1);
}

void frmMain::choosePort(int Index, const QString &name)
{
    ::DevCtrl &p = DevCtrl(Index);
    for (int i = 0; i < p.PortCnt(); ++i) {
        if (p.PortList(i) == name) {
            p.set_tPort(name);
            return;
        }
    }
}

void frmMain::ScanPorts(int Index)
{
    ::DevCtrl &p = DevCtrl(Index);
    // A step that fails is left out; the scan goes on.
    try {
        p.PortClr();
    } catch (...) {
    }
    qx::PortScanResult found;
    try {
        found = qx::scanPorts();
    } catch (...) {
        return;
    }
    bool first = false;
    for (int i = 0; i < found.ports.size(); ++i) {
        try {
            p.PortAdd(found.ports[i], i < found.paths.size() ? found.paths[i] : QString());
            if (!first) {
                p.set_tPort(found.ports[i]);
                first = true;
            }
        } catch (...) {
        }
    }
    try {
        notePortRefusals(Index, found);
    } catch (...) {
    }
}
