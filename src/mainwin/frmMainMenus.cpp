// The main window's command surface as designed: the menu bar with every
// entry in its start state, and the toolbar with its six keyed buttons.
#include "mainwin/frmMain.h"


#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {

QAction *entry(QMenu *menu, const char *name, const QString &caption, bool enabled = true, bool visible = true)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setEnabled(enabled);
    a->setVisible(visible);
    return a;
}

QMenu *menuOf(QMenuBar *bar, const char *name, const QString &caption)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(QLatin1String(name));
    return m;
}

} // namespace

void frmMain::buildMenus()
{
    QMenuBar *bar = menuBar();

    mnuFile = menuOf(bar, "mnuFile", QStringLiteral("File"));
    menuOpenCfg = entry(mnuFile, "menuOpenCfg", QStringLiteral("Open Parameter"), false);
    menuSaveCfg = entry(mnuFile, "menuSaveCfg", QStringLiteral("Save Parameter"), false);
    mnuFile->addSeparator();
    menuOpenData = entry(mnuFile, "menuOpenData", QStringLiteral("Open Data"));
    menuSaveData = entry(mnuFile, "menuSaveData", QStringLiteral("Save Data"));
    menuSavePic = entry(mnuFile, "menuSavePic", QStringLiteral("Save Curve"));
    menuCapture = entry(mnuFile, "menuCapture", QStringLiteral("Save Picture"));
    mnuFile->addSeparator();
    menuExit = entry(mnuFile, "menuExit", QStringLiteral("Exit"));
    wireEntry(menuSaveData, "menuSaveData_Click", &frmMain::menuSaveData_Click);

    mnuSys = menuOf(bar, "mnuSys", QStringLiteral("System"));
    menuAddDev = entry(mnuSys, "menuAddDev", QStringLiteral("Add Device"));
    menuAdj = entry(mnuSys, "menuAdj", QStringLiteral("Parameter Calibration"), false);
    menuUpdate = entry(mnuSys, "menuUpdate", QStringLiteral("Firmware Update"));
    wireEntry(menuAddDev, "menuAddDev_Click", &frmMain::menuAddDev_Click);
    wireEntry(menuUpdate, "menuUpdate_Click", &frmMain::menuUpdate_Click);

    mnuTool = menuOf(bar, "mnuTool", QStringLiteral("Tools"));
    menuClear = entry(mnuTool, "menuClear", QStringLiteral("Clear Curve"));
    menuSearch = entry(mnuTool, "menuSearch", QStringLiteral("Search Comm Port"));
    menuRes = entry(mnuTool, "menuRes", QStringLiteral("Resistance Test"), false, false);
    menuQc = entry(mnuTool, "menuQc", QStringLiteral("QC2.0 Test"), false, false);
    menuUsb = entry(mnuTool, "menuUsb", QStringLiteral("Quick Charger Test"), true, false);

    mnuSet = menuOf(bar, "mnuSet", QStringLiteral("Setting"));
    menuTitle = entry(mnuSet, "menuTitle", QStringLiteral("Curve Title"));
    menuCurve = entry(mnuSet, "menuCurve", QStringLiteral("Coordinate Settings"));
    menuShow = entry(mnuSet, "menuShow", QStringLiteral("Display Setting"));
    menuTemp = entry(mnuSet, "menuTemp", QStringLiteral("Temprature Data"), true, false);
    menuTemp->setCheckable(true);
    menuSwSet = entry(mnuSet, "menuSwSet", QStringLiteral("Software Setting"));

    mnuHelp = menuOf(bar, "mnuHelp", QStringLiteral("Help"));
    menuLang = mnuHelp->addMenu(QStringLiteral("语言"));
    menuLang->setObjectName(QStringLiteral("menuLang"));
    menuLang->menuAction()->setVisible(false);
    menuSimp = entry(menuLang, "menuSimp", QStringLiteral("简体中文"));
    menuSimp->setCheckable(true);
    menuSimp->setChecked(true);
    menuUnSimp = entry(menuLang, "menuUnSimp", QStringLiteral("繁体中文"));
    menuUnSimp->setCheckable(true);
    menuHelp = entry(mnuHelp, "menuHelp", QStringLiteral("Help"));
    menuAbout = entry(mnuHelp, "menuAbout", QStringLiteral("About"));
    menuCDT = entry(mnuHelp, "menuCDT", QStringLiteral("CDT"), true, false);
}

void frmMain::buildToolbar()
{
    tlbSys = new QToolBar(client_);
    tlbSys->setObjectName(QStringLiteral("tlbSys"));
    tlbSys->setIconSize(QSize(16, 16));
    tlbSys->setMovable(false);
    tlbSys->setFloatable(false);
    QStyle *style = QApplication::style();
    const struct {
        const char *key;
        const char *tip;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {"opendat", "Open Data", QStyle::SP_DialogOpenButton},
        {"savedat", "Save Data", QStyle::SP_DialogSaveButton},
        {"savepic", "Save Picture", QStyle::SP_FileDialogContentsView},
        {"setting", "Display Setting", QStyle::SP_FileDialogDetailedView},
        {"com", "Search Comm Port", QStyle::SP_BrowserReload},
        {"about", "About Software", QStyle::SP_MessageBoxInformation},
    };
    for (const auto &b : buttons) {
        QAction *a = tlbSys->addAction(style->standardIcon(b.icon), QLatin1String(b.tip));
        a->setObjectName(QLatin1String(b.key));
        a->setData(QLatin1String(b.key));
        a->setToolTip(QLatin1String(b.tip));
    }
    tlbSys->adjustSize();
}

QAction *frmMain::tlbSysButton(const QString &key) const
{
    for (QAction *a : tlbSys->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}
