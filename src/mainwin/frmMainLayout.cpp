// Layout of the device views for the window's size, minimising (floating
// readout, notification icon) and restoring.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "services/Module5.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/Colors.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "platform/Numbers.h"
#include "platform/Guard.h"
#include "platform/Tray.h"
#include "platform/WidgetStyle.h"
#include "platform/WindowAlpha.h"

#include <QFrame>
#include <QListWidget>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

namespace {

// A widget's place in twips; sizes below zero become zero.
void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(qx::twipsRect(left, top, std::max(width, 0), std::max(height, 0)));
}

int tw(int px) { return qx::pxToTwips(px); }

// Twips to whole pixels, rounded up: a size that must hold the twips.
int pxAtLeast(int twips) { return (twips + 14) / 15; }

constexpr int PanelHeight = 7575;  // as designed
constexpr int FrameTop = 480, FrameBelow = 20;  // frame height = H - 500
constexpr int ListGap = 100;  // between the panel and the information list
constexpr int LastToolbarLeft = 9 * 800 + 820;  // with ten tabs

} // namespace

void frmMain::Form_Resize()
{
    // A minimised window has no inner area to lay out.
    if (!isMinimized()) {
        try {
            layoutViews();
        } catch (...) {
            // The views placed so far keep their places.
        }
    }
    minimiseOrRestore();
}

void frmMain::layoutViews()
{
    // The smallest inner area keeps every panel control and the toolbar
    // (where ten tabs put it) in reach, and the first three lines of the
    // information list (status, START/STOP, temperature) in sight.
    int listLines = 0;
    if (viewCount_ > 0) {
        const QListWidget *list = views(0).lstInfo;
        listLines = 3 * std::max(list->sizeHintForRow(0), 0) + 2 * list->frameWidth();
    }
    client_->setMinimumSize(qx::twipsToPx(LastToolbarLeft) + tlbSys->sizeHint().width(),
                            pxAtLeast(FrameTop + PanelHeight + ListGap + FrameBelow) + listLines);
    const int W = tw(client_->width());
    const int H = tw(client_->height());
    tlbSys->move(qx::twipsToPx((qx::DevCount - 1) * 800 + 820), 0);
    place(tabDev, 0, 0, W + 50, H);
    tabDev->lower();
    for (int i = 0; i < viewCount_; ++i)
        layoutDevice(i, W, H);
    tlbSys->raise();
}

void frmMain::layoutDevice(int i, int W, int H)
{
    const DeviceViews &v = views(i);
    const int frameW = W - 100, frameH = H - 500;
    place(v.frmDev, 0, 480, frameW, frameH);

    const int panelW = tw(v.panel->width()), panelH = tw(v.panel->height());
    const int gridH = v.gridRun->Height();
    const int chartL = 50, chartT = 0;
    const int chartW = frameW - panelW - 100;
    const int chartH = frameH - gridH - 150;
    place(v.chart, chartL, chartT, chartW, chartH);

    const int gridT = chartT + chartH + 100;
    v.gridRun->move(qx::twipsToPx(chartL), qx::twipsToPx(gridT));
    v.gridRun->set_Width(std::max(chartW, 0));

    const int panelL = chartL + chartW + 100;
    const int panelT = tw(v.panel->y());
    v.panel->move(qx::twipsToPx(panelL), qx::twipsToPx(panelT));

    const int listT = panelT + panelH + ListGap;
    place(v.lstInfo, panelL, listT, panelW - 100, frameH - listT);

    // Result grid columns: the model and the two colour cells keep their
    // widths, the begin voltage to the average voltage share the rest with
    // the mode two and a half times as wide.
    const int colW = std::max(qx::num::toInt((v.gridRun->Width() - 2800) / 7.5), 0);
    for (int c = qx::resultgrid::BeginVolt; c <= qx::resultgrid::AvgVolt; ++c)
        v.gridRun->set_ColWidth(c, colW);
    v.gridRun->set_ColWidth(qx::resultgrid::Mode, qx::num::toInt(colW * 2.5));

    const int autoW = panelW - 100;
    place(v.gridAutolist, panelL, panelT, autoW, gridT + gridH);
    v.gridAutolist->set_ColWidth(0, 650);
    const int autoCol = std::max(qx::num::toInt((autoW - 650 - 300) / 3.0), 0);
    for (int c = 1; c <= 3; ++c)
        v.gridAutolist->set_ColWidth(c, autoCol);
}

void frmMain::minimiseOrRestore()
{
    using namespace qx;
    if (isMinimized() && !Minimized) {
        Minimized = 1;
        if (OptDisp && DevCtrl(CurDev).Conn() && !MeterOpen)
            frmDispForm()->show();
        if (!OptDisp && MeterOpen)
            frmMeterForm()->hide();
        // Hidden behind the icon only when there is a notification area to
        // bring it back from; otherwise it stays minimised on the task bar.
        // Hidden once the minimising has finished (showing minimised from
        // code would show the window again right after this handler).
        if (OptHide && tray::available())
            QTimer::singleShot(0, this, [this] {
                qx::guarded(QStringLiteral("Form_Resize"), [this] { hideToTray(); });
            });
    } else if (!isMinimized() && Minimized) {
        Minimized = 0;
        restoreFloating();
    }
}

void frmMain::hideToTray()
{
    // Still minimised, still to be hidden (the options may have changed).
    if (!isMinimized() || !Minimized || !qx::OptHide || !qx::tray::available())
        return;
    hide();
    qx::Module5::TrayAdd(this, windowTitle(), windowIcon(), 0);
}

void frmMain::restoreFloating()
{
    if (frmDispForm().isLoaded())
        frmDispForm()->hide();
    if (qx::MeterOpen)
        frmMeterForm()->show();
}

void frmMain::trayMouseDown(int code)
{
    if (!qx::OptHide || code != qx::tray::CodeLeftDown)
        return;
    qx::Module5::TrayDelete(this, 0);
    showNormal();
    Minimized = 0;
    restoreFloating();
}

void frmMain::SetAlpha(int alpha) { qx::setWindowAlpha(this, alpha); }
