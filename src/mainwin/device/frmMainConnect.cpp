// Connect and disconnect of a device tab, the connect timer that repeats
// the connect frame until the device has identified itself, the end of a
// link whose port has hung up, and what a port scan found refused.
#include "mainwin/frmMain.h"

#include "link/COMM.h"
#include "services/Module1.h"
#include "services/Module3.h"
#include "link/PortWatch.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "services/Timer.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "panel/frmMeter.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/Numbers.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>
#include <exception>

namespace {

void wrongPort() { qx::promptBox(QStringLiteral("Wrong Port!"), qx::MbCritical); }

// Runs one step of an ending link; a failure is logged and the next step runs.
template <class F>
void step(F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        frmMain::ErrLog(QStringLiteral("Conn"), QString::fromUtf8(e.what()));
    }
}

} // namespace

void frmMain::tmrConn_Timer(int Index) { SendConnect(Index); }

void frmMain::DevCtrl_ConnClick(int Index)
{
    LinkWatch &w = link_.at(size_t(Index));
    // A second click while the stop question or the stops are under way.
    if (w.busy)
        return;
    w.busy = true;
    if (!DevCtrl(Index).Conn())
        connectLink(Index);
    else
        disconnectLink(Index);
    w.busy = false;
}

void frmMain::connectLink(int Index)
{
    using namespace qx;
    if (PortHandle[Index] != 0)
        return;
    try {
        ::DevCtrl &p = DevCtrl(Index);
        const QString portText = p.tPort().mid(3);
        if (!num::isNumeric(portText)) {
            ErrLog(QStringLiteral("Conn"), noPortText(p.tPort()));
            wrongPort();
            return;
        }
        const int32_t port = num::toLong(portText);
        PortHandle[Index] = COMM::OpenComm(port);
        if (PortHandle[Index] == 0) {
            wrongPort();
            return;
        }
        COMM::SetCommParams(PortHandle[Index], 9600, 8, 0, 2);
        // What queued up while nobody read (a crashed run, a device left
        // sending) is not this link's: it starts with an empty input.
        COMM::PurgeInput(PortHandle[Index]);
        startLink(Index);
        Module1::WriteIni(IniFile, QStringLiteral("COMM"), QStringLiteral("PORT%1").arg(Index + 1), portText);
        SendConnect(Index);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("Conn"), QString::fromUtf8(e.what()));
        wrongPort();
        releaseLink(Index);
    }
}

void frmMain::startLink(int Index)
{
    using namespace qx;
    LinkWatch &w = link_.at(size_t(Index));
    w.faults.restart();
    // A frame begun on an earlier link is not finished by this one.
    DeviceState &d = dev(Index);
    d.RxActive = false;
    d.RxPos = 0;
    w.sinceFrame.invalidate();
    w.silent = false;
    tmrComm(Index).start(PortHandle[Index]);
    for (int c = 0; c < 2; ++c) {
        ChannelState &s = chan(Index, c);
        s.Vol = 0;
        s.Cur = 0;
        s.CurFine = 0;
        // The run log of a run the last link followed is written again
        // only by the run's take-over (or a Run or Continue of the user's):
        // the frames before it would add lines at the old link's seconds.
        resetRun(s);
        TotalSecs[Index][c].store(0);
        Running[Index][c] = false;
    }
    DevVer[Index] = 0;
    d.ParCount = 0;
    d.LimitRefused = false;
    // A row kept from a link whose port hung up goes: an empty begin
    // voltage tells the receive routine to take a running test over.
    clearResultRows(Index);
    IdentifyStart(Index);
    tmrConn(Index).start();
    menuUpdate->setEnabled(false);
    DevCtrl(Index).set_Conn(true);
}

QString frmMain::noPortText(const QString &chosen) const
{
    const QString what = chosen.isEmpty() ? QStringLiteral("no port chosen")
                                          : QStringLiteral("\"%1\" names no port").arg(chosen);
    const QStringList &refused = portRefusals_.current();
    if (refused.isEmpty())
        return what + QStringLiteral(": no free port from COM%1 to COM%2 opened").arg(qx::ScanFirstPort).arg(qx::ScanLastPort);
    return what + QStringLiteral(": the port could not be opened: ") + refused.join(QStringLiteral("; "));
}

void frmMain::notePortRefusals(int Index, const qx::PortScanResult &found)
{
    for (const QString &r : portRefusals_.update(found.refused))
        ErrLog(QStringLiteral("ErrComm"), r);
    // The information list of a tab without a link; lines 1 and 2 are free
    // then. The port and its device take one line, the reason the next, so
    // the list's width cuts neither; further refused ports are in the log.
    LinkWatch &w = link_.at(size_t(Index));
    if (qx::PortHandle[Index] != 0 || DevCtrl(Index).Conn())
        return;
    QString port, reason;
    if (!found.refused.isEmpty()) {
        const QString &first = found.refused.first();
        const qsizetype colon = first.indexOf(QLatin1String(": "));
        port = QStringLiteral(" ") + (colon < 0 ? first : first.left(colon + 1));
        reason = colon < 0 ? QString() : QStringLiteral(" ") + first.mid(colon + 2);
    }
    const QString shown = port + QLatin1Char('\n') + reason;
    const QString before = lstInfoLine(Index, 1) + QLatin1Char('\n') + lstInfoLine(Index, 2);
    if (port.isEmpty() && before != w.refusalShown)
        return;
    set_lstInfoLine(Index, 1, port);
    set_lstInfoLine(Index, 2, reason);
    w.refusalShown = shown;
}

void frmMain::disconnectLink(int Index)
{
    using namespace qx;
    try {
        ::DevCtrl &p = DevCtrl(Index);
        // Cancel is the default: Enter must not stop the device's test.
        if (p.StopEnable() &&
            promptBox(QStringLiteral("Stop running?"), MbOkCancel | MbQuestion | MbDefaultButton2) == MrOk) {
            // No idle frame will say that the run ended: the run log says so.
            if (DevCtrl_StopClick(Index, 0))
                recordRunEnd(Index, 0);
            if (p.Dev2S()) {
                QCoreApplication::processEvents();
                QCoreApplication::processEvents();
                if (DevCtrl_StopClick(Index, 1))
                    recordRunEnd(Index, 1);
            }
        }
        closeLink(Index, true, false);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("Conn"), QString::fromUtf8(e.what()));
        wrongPort();
        releaseLink(Index);
    }
}

void frmMain::clearResultRows(int Index)
{
    using namespace qx;
    Grid &g = gridRun(Index);
    const QString none = Module3::LangText(QStringLiteral("No Device"));
    g.set_TextMatrix(1, resultgrid::Model, none);
    if (DevCtrl(Index).Dev2S())
        g.set_TextMatrix(2, resultgrid::Model, none);
    for (int row = 1; row <= 2; ++row)
        for (int col = resultgrid::Mode; col <= resultgrid::AvgVolt; ++col)
            g.set_TextMatrix(row, col, QString());
}

void frmMain::closeLink(int Index, bool sendFrame, bool keepRows)
{
    using namespace qx;
    reportFrameFaults(Index);
    if (PortHandle[Index] != 0) {
        if (sendFrame)
            SendDisconnect(Index);
        COMM::CloseComm(PortHandle[Index]);
    }
    endLink(Index, keepRows);
}

void frmMain::endLink(int Index, bool keepRows)
{
    using namespace qx;
    ::DevCtrl &p = DevCtrl(Index);
    tmrComm(Index).stop();
    tmrConn(Index).stop();
    for (int line = 1; line <= 4; ++line)
        set_lstInfoLine(Index, line, QString());

    if (!keepRows)
        clearResultRows(Index);

    p.set_RunEnable(false);
    p.set_ContEnable(false);
    p.set_SetEnable(false);
    p.set_MonitorEnable(false);
    p.set_StopEnable(false);
    for (int c = 0; c < 2; ++c) {
        p.set_TmrCurveEnable(c, false);
        p.set_TmrShowEnable(c, false);
    }
    Timer::TickOff(Index, 0);
    Timer::TickOff(Index, 1);
    Timer::TickStop(Index, 0);
    Timer::TickStop(Index, 1);

    // The no-device mode list and settings, as at start-up.
    clearPanel(Index);

    menuAdj->setEnabled(false);
    menuUpdate->setEnabled(true);
    unlinkedMenus(Index);
    if (MeterOpen)
        frmMeterForm()->hide();

    p.set_Conn(false);
    // The single page of no device; a strip already so is left as it is
    // (a rebuild lays the strip out and measures its captions again).
    if (!p.TabsAre({QStringLiteral("key1")})) {
        p.TabClear();
        p.TabAdd(1, QStringLiteral("key1"));
    }
    // The lamp goes out with the link.
    tmrRecv(Index).stop();
    p.set_LedRecv(false);
}

void frmMain::releaseLink(int Index)
{
    using namespace qx;
    step([&] { reportFrameFaults(Index); });
    step([&] { COMM::CloseComm(PortHandle[Index]); });
    step([&] {
        tmrComm(Index).stop();
        tmrConn(Index).stop();
        tmrRecv(Index).stop();
    });
    for (int c = 0; c < 2; ++c) {
        step([&] {
            Timer::TickOff(Index, c);
            Timer::TickStop(Index, c);
        });
        step([&] {
            DevCtrl(Index).set_TmrCurveEnable(c, false);
            DevCtrl(Index).set_TmrShowEnable(c, false);
        });
    }
    step([&] {
        ::DevCtrl &p = DevCtrl(Index);
        p.set_LedRecv(false);
        p.set_Conn(false);
    });
    step([&] {
        // The update may open ports again once no tab holds one.
        bool held = false;
        for (int i = 0; i < DevSlots; ++i)
            held = held || PortHandle[i] != 0;
        if (!held)
            menuUpdate->setEnabled(true);
    });
}

void frmMain::portLost(int Index)
{
    using namespace qx;
    ErrLog(QStringLiteral("ErrComm"), DevCtrl(Index).tPort() + QStringLiteral(": the port hung up"));
    // The program no longer knows whether a channel runs: its tests end
    // here, their run logs, curves and result rows stay (Continue resumes
    // them after a new Connect), and the data menus are free again for
    // "Save Data" to write the part recorded, summary and all.
    for (int c = 0; c < 2; ++c)
        Running[Index][c] = false;
    try {
        closeLink(Index, false, true);
        set_lstInfoLine(Index, 1,
                        QStringLiteral(" ") + Module3::LangText(QStringLiteral("Device%1: Port Lost").arg(Index + 1)));
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("Conn"), QString::fromUtf8(e.what()));
        releaseLink(Index);
    }
}
