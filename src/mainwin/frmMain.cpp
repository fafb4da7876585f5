// The main window: construction, access to the device views, window events
// and the small shared helpers.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "services/ErrLog.h"
#include "link/Frames.h"
#include "link/PortWatch.h"
#include "services/State.h"
#include "mainwin/frmMsg.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/KeyedTabBar.h"
#include "platform/QxError.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QListWidget>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    buildMenus();
    // The tab strip lies under the device frames; the toolbar shares its row.
    tabDev = new qx::KeyedTabBar(client_);
    tabDev->setObjectName(QStringLiteral("tabDev"));
    tabDev->setDrawBase(false);
    tabDev->setExpanding(false);
    // Tabs 800 twips wide, so that the toolbar fits beside the last one.
    tabDev->setUsesScrollButtons(false);
    tabDev->setElideMode(Qt::ElideNone);
    tabDev->setStyleSheet(QStringLiteral("QTabBar::tab { width: %1px; padding: 4px 0px; font-size: 8pt;"
                                         " border: 1px solid #a0a0a0; border-bottom: none; margin-right: 1px;"
                                         " background: #dcdcdc; margin-top: 2px; }"
                                         "QTabBar::tab:selected { background: #ffffff; margin-top: 0px; }")
                              .arg(qx::twipsToPx(800) - 3));
    tabDev->Add(1, QStringLiteral("dev1"), QStringLiteral("Device1"));
    connect(tabDev, &qx::KeyedTabBar::Click, this,
            [this] { qx::guarded(QStringLiteral("tabDev_Click"), [this] { tabDev_Click(); }); });
    buildToolbar();
    wireSettingsMenus();
    wireAdjResMenus();
    wireQuickCharge();
    wireMenuEvents();
    watchSessionEnd();

    createDeviceViews(0);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->start();
    createNewsExchange();

    // Designed inner size of the window.
    resize(qx::twipsToPx(14400), qx::twipsToPx(9600) + menuBar()->sizeHint().height());
    Form_Load();
}

frmMain::~frmMain() = default;

const frmMain::DeviceViews &frmMain::views(int Index) const
{
    if (Index < 0 || Index >= viewCount_)
        qx::raise(qx::ErrSubscript);
    return views_[size_t(Index)];
}

::DevCtrl &frmMain::DevCtrl(int Index) const { return *views(Index).panel; }
::CurveGraph &frmMain::CurveGraph(int Index) const { return *views(Index).chart; }
qx::Grid &frmMain::gridRun(int Index) const { return *views(Index).gridRun; }
qx::Grid &frmMain::gridAutolist(int Index) const { return *views(Index).gridAutolist; }
QListWidget &frmMain::lstInfo(int Index) const { return *views(Index).lstInfo; }
QFrame &frmMain::frmDev(int Index) const { return *views(Index).frmDev; }
qx::PortWatch &frmMain::tmrComm(int Index) const { return *views(Index).tmrComm; }
QTimer &frmMain::tmrConn(int Index) const { return *views(Index).tmrConn; }
QTimer &frmMain::tmrRecv(int Index) const { return *views(Index).tmrRecv; }

QString frmMain::lstInfoLine(int Index, int line) const
{
    const QListWidget &l = lstInfo(Index);
    if (line < 0 || line >= l.count())
        qx::raise(qx::ErrSubscript);
    return l.item(line)->text();
}

void frmMain::set_lstInfoLine(int Index, int line, const QString &text)
{
    QListWidget &l = lstInfo(Index);
    if (line < 0 || line >= l.count())
        qx::raise(qx::ErrSubscript);
    l.item(line)->setText(text);
}

void frmMain::ErrLog(const QString &func, const QString &description) { qx::ErrLog(func, description); }

uint8_t frmMain::ChkXor(std::span<const uint8_t> buf) { return qx::Frames::ChkXor(buf); }

bool frmMain::ChkRec(int Index)
{
    const qx::DeviceState &d = qx::dev(Index);
    return qx::Frames::ChkRec(d.RxBuf, d.RxMax);
}

void frmMain::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    qx::guarded(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void frmMain::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    // Minimising and restoring change no size here, so they come this way.
    if (e->type() == QEvent::WindowStateChange)
        qx::guarded(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void frmMain::ShowMsg(const QString &text)
{
    if (!qx::OptMsg)
        return;
    frmMsg::Show(text);
}

qx::FormHolder<frmMain> &frmMainForm()
{
    static qx::FormHolder<frmMain> holder;
    return holder;
}
