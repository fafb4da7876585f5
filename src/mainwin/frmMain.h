#pragma once
// The main window: the menu bar, the device tab strip with its toolbar, and
// one set of views per device tab (up to ten): the frame frmDev(i) holding
// the panel DevCtrl(i), the chart CurveGraph(i), the result grid gridRun(i),
// the enlarged automatic-test grid gridAutolist(i), the information list
// lstInfo(i), the watch of the device's port tmrComm(i) and its timers
// tmrConn(i), tmrRecv(i).
//
// Members are spread over files by concern:
//   frmMain.cpp           construction, view access, window events, helpers
//   frmMainLoad.cpp       Form_Load: start values, settings file, port scan
//   frmMainTabs.cpp       device views, "Add Device", tab click, InitDual
//   frmMainModeFields.cpp ShowModeFields and ShowCapacity (table: ModeFields.h)
//   frmMainLayout.cpp     Form_Resize, minimise and restore, tray icon
//   frmMainMenus.cpp      menu bar, toolbar and status-line timer
// The reading presentation joins as further frmMain*.cpp files here; the
// device handlers (receive routine, connect, the command handlers
// frmMain::DevCtrl_<Event>, run log, test engines) are in device/.
//
// The device views are control arrays indexed by device index: element i
// exists for i from 0 to DevCount - 1; any other index fails with
// QxError(ErrSubscript). Shared state lives in services/State.h. Inside members
// the accessors DevCtrl(i) and CurveGraph(i) hide the class names: write
// ::DevCtrl and ::CurveGraph for the types.
#include "link/FrameFaults.h"
#include "link/Frames.h"
#include "link/PortScan.h"
#include "platform/FormHolder.h"
#include "platform/Tray.h"
#include "services/RunLog.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <span>

class CurveGraph;
class DevCtrl;
class QAction;
class QFrame;
class QImage;
class QListWidget;
class QMenu;
class QTimer;
class QToolBar;
class Socket;

namespace qx {
class Grid;
class KeyedTabBar;
class PortWatch;
} // namespace qx
namespace qx::mainwin {
struct ChartSettings;
}
namespace qx::models {
struct ModelRow;
}
namespace qx::inputs {
enum class Field;
}

class frmMain : public QMainWindow, public qx::TrayClient {
    Q_OBJECT
public:
    // Builds the window as designed and runs Form_Load (settings, device 0).
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // ---- Per-device views ----
    ::DevCtrl &DevCtrl(int Index) const;
    ::CurveGraph &CurveGraph(int Index) const;
    qx::Grid &gridRun(int Index) const;
    qx::Grid &gridAutolist(int Index) const;
    QListWidget &lstInfo(int Index) const;
    QFrame &frmDev(int Index) const;
    // What wakes the receive routine: the port's readiness (link/PortWatch.h).
    qx::PortWatch &tmrComm(int Index) const;
    QTimer &tmrConn(int Index) const;
    QTimer &tmrRecv(int Index) const;
    // Number of device view sets (equals DevCount).
    int viewCount() const { return viewCount_; }
    // Line `line` (0 status, 1-2 START/STOP, 3-4 monitor, 5-6 run records not
    // saved) of lstInfo(Index).
    QString lstInfoLine(int Index, int line) const;
    void set_lstInfoLine(int Index, int line, const QString &text);

    // ---- Window controls ----
    qx::KeyedTabBar *tabDev = nullptr;
    QToolBar *tlbSys = nullptr;
    QTimer *Timer1 = nullptr;  // status line, 1000 ms, running from the start
    QMenu *mnuFile = nullptr, *mnuSys = nullptr, *mnuTool = nullptr, *mnuSet = nullptr,
          *mnuHelp = nullptr, *menuLang = nullptr;
    QAction *menuOpenCfg = nullptr, *menuSaveCfg = nullptr, *menuOpenData = nullptr,
            *menuSaveData = nullptr, *menuSavePic = nullptr, *menuCapture = nullptr,
            *menuExit = nullptr;
    QAction *menuAddDev = nullptr, *menuAdj = nullptr, *menuUpdate = nullptr;
    QAction *menuClear = nullptr, *menuSearch = nullptr, *menuRes = nullptr, *menuQc = nullptr,
            *menuUsb = nullptr;
    QAction *menuTitle = nullptr, *menuCurve = nullptr, *menuShow = nullptr, *menuTemp = nullptr,
            *menuSwSet = nullptr;
    QAction *menuSimp = nullptr, *menuUnSimp = nullptr, *menuHelp = nullptr, *menuAbout = nullptr,
            *menuCDT = nullptr;
    // The toolbar button with this key ("opendat", "savedat", "savepic",
    // "setting", "com", "about"), or null.
    QAction *tlbSysButton(const QString &key) const;

    // ---- Variables of the window ----
    int Minimized = 0;   // the window has been handled as minimised
    int StopNotice = 0;  // a test-end notice is pending
    QString VerText;     // status-line version text
    QString NewsText, NewsLink, ScrollText, SvrAddr;

    // ---- News and banner exchange (mainwin/frmMainNews.cpp) ----
    // Nothing switches the poll Timer2 on, so the exchange never runs.
    Socket *Winsock1 = nullptr;  // the socket control, never shown
    QTimer *Timer2 = nullptr;    // poll, 1000 ms: connects every 30th tick
    QTimer *Timer3 = nullptr;    // 2000 ms: closes the connection after a reply
    QTimer *Timer4 = nullptr;    // 350 ms: scrolls ScrollText through the status line
    int32_t NewsTick = 0;
    QString NewsFile;
    bool UploadOn = false, DownloadOn = false;
    int32_t UploadLen = 0, DownloadLen = 0;
    int PollConnect = 0;
    int ScrollPos = 0;
    // Where the poll connects: the news service's fixed address and port.
    QString NewsHost;
    int NewsPort = 8068;
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Winsock1_Connect();
    void Winsock1_DataArrival(int32_t bytesTotal);
    void SockClose();
    // Status-line timer tick (Timer1, frmMainStatus.cpp): the news scroller
    // while a news text is pending, else date, time and firmware version.
    void Timer1_Timer();
    // A click on information list Index: clears a pending news text, then
    // opens a pending news link (only an http or https URL) and clears it.
    void lstInfo_DragDrop(int Index);

    // ---- Operations ----
    // Refills DevCtrl(Index)'s port list with the ports COM2..COM20 that open;
    // the first becomes the chosen port (none found: the choice stays).
    void ScanPorts(int Index);
    // Captions, units, texts and enables of the channel's three setting boxes.
    void ShowModeFields(int Index, int chn);
    // The capacity and energy cells of the channel's result row.
    void ShowCapacity(int Index, int chn);
    // Sets device Index's chart and result grid up for two channels.
    void InitDual(int Index);
    // "Add Device": one more tab with its views (at most ten).
    void menuAddDev_Click();
    // A tab was picked: CurDev follows it and its frame comes to the front.
    void tabDev_Click();
    // Lays the views out for the window's size; handles minimise and restore.
    void Form_Resize();
    // The "STOP" pop-up, when prompts are on.
    void ShowMsg(const QString &text);
    // Constant opacity of the main window, 0 to 255.
    void SetAlpha(int alpha);
    // Form_MouseDown as the notification icon reaches it: a left click
    // (513) with OptHide on restores the window.
    void trayMouseDown(int code) override;

    // ---- Data viewer and settings dialogs (frmMainSettings.cpp) ----
    // "Open Data" (and the toolbar key "opendat"): shows the data viewer.
    void menuOpenData_Click();
    // "Coordinate Settings": frmCurve, waiting until it closes.
    void menuCurve_Click();
    // "Display Setting" (and the toolbar key "setting"): frmShow with its
    // temperature choice for the selected device, waiting until it closes.
    void menuShow_Click();
    // "Software Setting": frmSw, not waited for.
    void menuSwSet_Click();

    // ---- Command senders (device/frmMainSend.cpp) ----
    // Each builds one command frame and writes it to the device's port when
    // the port is open. A frame that cannot be built (a text that is not a
    // number, a value outside the frame's range) is logged with the sender's
    // tag and nothing is written. True when all ten bytes were written.
    bool SendConnect(int Index);
    bool SendDisconnect(int Index);
    bool SendStop(int Index, int chn);
    // Elapsed whole minutes of the channel's test (op 10).
    bool SendTime(int Index, int chn);
    // Start (op 1), adjust (op 7) or continue (op 8) with the panel's three
    // setting texts, converted by the rules of the device type and mode;
    // the frame integers go to SetVal, SetLmt and SetTim.
    bool SendStart(int Index, int chn, int op);
    // Public senders of the sweep and the tool windows, on channel chn, or
    // on the channel the panel of Index shows when chn is -1.
    bool RemoteSet(int Index, float val, int chn = -1);
    bool RemoteQC(int Index, int val, int chn = -1);
    bool RemotePE(int Index, int val, int chn = -1);

    // ---- Display and curve ticks of the panel (device/frmMainTimers.cpp) ----
    void DevCtrl_TmrShowOn(int Index, int chn);
    void DevCtrl_TmrCurveOn(int Index, int chn);

    // ---- Firmware update (frmMainUpdate.cpp) ----
    // "Firmware Update": shows frmUpdate without blocking, the tab strip
    // disabled, and waits until it unloads; with the window already open it
    // only brings it to the front.
    void menuUpdate_Click();
    // ---- Run log, Continue and Monitor (device/frmMainRunLog.cpp) ----
    // Run-log base path of a channel (without ".bak"), from the result row's
    // model name and the panel's port.
    QString RunLogName(int Index, int chn) const;
    // Run start: deletes the channel's old run log and writes the header;
    // sets BakName. A header that cannot be written is told as
    // runRecordFailed; the run goes on.
    void WriteRunLogHeader(int Index, int chn);
    // The records of a run: its run log and its automatic result file.
    enum class RunRecord : uint8_t { Log = 1, Data = 2 };
    // A record of the channel's run could not be written. Once per run and
    // record: the error log gets tag and description, the error output one
    // line, and the information list's line 5 + chn says what was not saved
    // (" Device1: Run log not saved") until the channel's next run starts.
    void runRecordFailed(int Index, int chn, RunRecord what, const QString &tag, const QString &description);
    // Continue: the run log is read back and the device told to go on; the
    // seconds resume at the log's last second (the device waited).
    void DevCtrl_ContClick(int Index, int chn);
    // A running test not started by the program (its first data frame f):
    // when the channel's run log is this test's own (takeover::ownsLog), it
    // is continued as by Continue, the seconds resuming after the time since
    // the log was last written as well; otherwise a new run begins as Run
    // begins one (nothing is sent), its seconds from now and its capacity
    // the device's count, and an earlier log is kept aside under its time.
    void takeOverRun(int Index, int chn, const qx::Frames::FrameFields &f);
    void DevCtrl_MonitorClick(int Index, int chn);

    // ---- Reading presentation (mainwin/frmMainReading.cpp) ----
    void ShowReading(int Index, int chn);

    // ---- Curve points and scaling (mainwin/frmMainCurve.cpp) ----
    void CurveAddPoint(int32_t x, float v, float i, float p, int Index, int chn);
    void CurveAddPointQuiet(int32_t x, float v, float i, float p, int Index, int chn);
    void CurveAutoScale(int Index);

    // ---- Run and idle enabling (mainwin/frmMainRunState.cpp) ----
    // The panel's running or idle look, and the running or idle look of
    // the shared menu entries that belongs to device Index: "running" while
    // any channel of the device runs. The entries show the look of the
    // selected device only (ShowSharedMenus).
    void SetRunState(bool idle, int Index);
    // The shared menu entries (Open/Save Parameter, Open/Save Data, Clear
    // Curve, Coordinate Settings, Resistance Test, QC2.0 Test, Software
    // Setting) take the look of the selected device CurDev.
    void ShowSharedMenus();
    // The calibration window's point buttons: voltage points while idle
    // (flag True), current points while a test runs.
    void AdjButtons(bool flag);
    // AdjButtons for the selected device's selected channel: idle unless
    // Running(CurDev, c), c the channel its panel shows.
    void AdjButtonsCurDev();
    // AdjButtons(flag) when Index is the selected device; a command on
    // another tab leaves the calibration buttons alone.
    void AdjButtonsFor(int Index, bool flag);
    void AutoListInit(int Index);

private:
    // The shared menu entries' look of one device, in the order of
    // ShowSharedMenus; as at start-up until the device's first run or idle.
    struct MenuLook {
        bool openCfg = false, saveCfg = false, openData = true, saveData = true, clear = true, curve = true,
             res = false, qc = false, swSet = true;
    };
    std::array<MenuLook, 11> menuLook_{};
    void setMenuLook(int Index, const MenuLook &look);
    // The look of a device that is not running: the parameter entries only
    // while it is connected.
    static MenuLook idleMenuLook(bool connected);
    static MenuLook runningMenuLook();
    // The link of device Index has ended (Disconnect, a port that hung up).
    void unlinkedMenus(int Index);

public:

    // ---- Calibration and resistance test (mainwin/frmMainAdjRes.cpp) ----
    // "Parameter Calibration": shows frmAdj for the selected device without
    // waiting; its OK and Cancel give the tab strip back.
    void menuAdj_Click();
    // "Resistance Test": frmRes for an identified device whose selected
    // channel reads at most 4.5 V, waiting until it closes.
    void menuRes_Click();

    // One line of the dated error log.
    static void ErrLog(const QString &func, const QString &description = QString());
    // Checksum of a command frame buffer (elements 1..10).
    static uint8_t ChkXor(std::span<const uint8_t> buf);
    // Checks the frame in device Index's receive buffer.
    static bool ChkRec(int Index);

    // ---- Model identification, parameter frames, result data file ----
    // (device/frmMainIdentify.cpp, device/frmMainParams.cpp, mainwin/frmMainDataFile.cpp)
    // A new identification of device Index begins: no channel's steps have
    // run yet. Connect calls it when it enables tmrConn(Index).
    void IdentifyStart(int Index);
    // The identification pass over the valid frame b of channel chn, run
    // while tmrConn(Index) is enabled, before ParamFrame and the data-frame
    // processing of the same frame. False when the type code is 0: nothing
    // is identified and the frame goes no further. Switches tmrConn(Index)
    // off once the device is identified: after the first frame for one-channel
    // types, after steps of both channels for types 17 and 18.
    bool IdentifyModel(int Index, int chn, const qx::Frames::DevBytes &b);
    // The parameter-frame step over the valid frame b of channel chn, run
    // for every frame whose status byte is 100 to 199.
    void ParamFrame(int Index, int chn, const qx::Frames::DevBytes &b);
    // Writes channel chn of device Index as a result data file to FileName
    // (through a temporary file renamed into place). False, after logging
    // "ErrWriteData", when the file could not be written; the file that was
    // there before stays untouched then.
    bool WriteDataFile(int Index, int chn, const QString &FileName);
    // "Save Data" (menu entry and toolbar key "savedat").
    void menuSaveData_Click();
    // The automatic save at the end of a test of channel chn: Data in the
    // home folder (created when missing), the automatic name for `when`,
    // as a new file ("-2", "-3", ... when the name is taken). Returns the
    // path written, or "" when nothing was saved (told as runRecordFailed).
    QString AutoSaveData(int Index, int chn, const QDateTime &when = QDateTime::currentDateTime());

    // ---- Setting-box checks, step file and step editor ----
    // (mainwin/device/frmMainInputs.cpp, mainwin/device/frmMainSteps.cpp)
    // The panel's setting box lost the focus: check it against the device.
    void DevCtrl_SvalLostFocus(int Index, int chn);
    void DevCtrl_SlmtLostFocus(int Index, int chn);
    void DevCtrl_StimLostFocus(int Index, int chn);
    // The step page's Save and Open: the program table to and from a step file.
    void DevCtrl_StepSaveClick(int Index);
    void DevCtrl_StepOpenClick(int Index);
    // The step page's Set: opens the step editor and waits until it closes.
    void DevCtrl_StepSetClick(int Index);

    // ---- Quick-charge windows (mainwin/frmMainQc.cpp) ----
    // "Quick Charger Test": shows frmUSB without blocking (an open one comes
    // to the front).
    void menuUsb_Click();
    // "QC2.0 Test" (never visible): shows frmQC the same way.
    void menuQc_Click();
    // ---- end of quick-charge windows ----

private:
    void wireQuickCharge();
    void connectInputsSteps(int n);
    void checkSettingBox(int Index, int chn, qx::inputs::Field field);
    // ---- end of setting-box checks, step file and step editor ----

public:
    // ---- Automatic current sweep and step program (device/frmMainAuto.cpp,
    // device/frmMainAutoFile.cpp, device/frmMainStepRun.cpp) ----
    // The auto page's Start/Stop: starts a sweep on the panel's channel (the
    // sweep keeps that channel to its end) or stops the running one. C1, C2,
    // the step and the step time are checked before the device is started.
    void DevCtrl_AutoTestClick(int Index);
    // One second of the sweep (the panel's auto timer).
    void DevCtrl_AutoTmrOn(int Index);
    // The cut-off voltage box lost the focus: checked against the device.
    void DevCtrl_AutoVolLostFocus(int Index);
    // The enlarged auto result table: shown over the panel, hidden again.
    void DevCtrl_AutoListClick(int Index);
    void gridAutolist_DblClick(int Index);
    // The auto page's Save: the auto result file.
    void DevCtrl_AutoSaveClick(int Index);
    // The step page's Start/Stop (also the program's own end).
    void DevCtrl_StepTestClick(int Index);
    // One second of the step program (the panel's step timer).
    void DevCtrl_StepTmrOn(int Index);
    // The step page's Clear: empties the program table.
    void DevCtrl_StepClrClick(int Index);

private:
    void connectEngines(int n);
    // The sweep's table row from the readings of channel chn.
    void autoFillRow(int Index, int chn);
    // The sweep is over: Start offered again, timer off.
    void autoEnded(int Index);
    void stepLoadRow(int Index, int chn);
    void stepRowEnded(int Index, int chn);
    void stepResult(int Index, int chn, bool wait);
    void stepMarkRows(int Index, int row);
    // ---- end of automatic current sweep and step program ----

public:
    // ---- Shutdown, parameter file, pictures, menu and toolbar commands ----
    // (mainwin/frmMainShutdown.cpp, frmMainCfgFile.cpp, frmMainPicture.cpp,
    // frmMainMenuEvents.cpp)
    // "Open Parameter" / "Save Parameter": the selected device's chart title
    // and its shown channel's set value, limit and time limit (CfgFile.h).
    void menuOpenCfg_Click();
    void menuSaveCfg_Click();
    // "Save Curve" (the chart) and "Save Picture" (the chart with the result
    // grid below it, also the toolbar key "savepic") of the selected device
    // as a bitmap file; failures are logged ("ErrSavePic", "ErrCapture").
    void menuSavePic_Click();
    void menuCapture_Click();
    // The main window is closing: asks "Close software?" and, while a
    // firmware update runs, "Stop the update? ..." (Cancel = true keeps the
    // window open and the update going); then stops every seconds counter, offers to
    // stop running tests, sends every device the disconnect frame, closes
    // every port, removes the notification icon and unloads every other
    // window. closeEvent runs it once and ends the program after it.
    void Form_Unload(bool &Cancel);
    // "Exit": closes the main window (Form_Unload asks first).
    void menuExit_Click();
    void menuClear_Click();
    void menuSearch_Click();
    void menuTitle_Click();
    // Runs after the entry's check mark has changed (the menu toggles it).
    void menuTemp_Click();
    void menuSimp_Click();
    void menuUnSimp_Click();
    void menuHelp_Click();
    void menuCDT_Click();
    void menuAbout_Click();
    // A toolbar button, by its key; an unknown key does nothing.
    void tlbSys_ButtonClick(const QString &key);
    // A mouse button went down on result grid Index (its MouseRow and
    // MouseCol tell the cell): a colour cell of a channel row asks for the
    // channel's voltage or current curve colour.
    void gridRun_MouseDown(int Index);
    // A double click on chart Index: asks for its title.
    void CurveGraph_DblClick(int Index);

private:
    void wireMenuEvents();
    void connectViewEvents(int n);
    // A menu entry's clicks to its handler, run guarded under the tag.
    void wireEntry(QAction *entry, const char *tag, void (frmMain::*handler)());
    // The save dialog of "Save Parameter", "Save Curve" and "Save Picture"
    // for the selected device and its shown channel: title word & "--Device"
    // & n (& "-Channel" & m), default name stamp-model (& "-" & m); the
    // chosen path with "." & ext added when it does not end in ext, or "".
    QString askSavePath(const QString &word, const QString &filter, const QString &ext);
    QImage CopyCurve(int Index, bool withGrid) const;
    void savePicture(const QString &word, bool withGrid, const QString &tag);
    // The desktop session ending during a firmware update asks the update's
    // question; Cancel keeps the session and the update going.
    void watchSessionEnd();
    enum class Shutdown { None, Asking, Done };
    Shutdown shutdown_ = Shutdown::None;
    // ---- end of shutdown, parameter file, pictures, menu and toolbar commands ----

public:
    // ---- Panel commands, receive routine, connect and disconnect ----
    // (device/frmMainCommands.cpp, device/frmMainRecv.cpp, device/frmMainConnect.cpp,
    // device/frmMainLinkEvents.cpp)
    // tmrComm(Index) found the port readable while connected: CommRecv(Index).
    void tmrComm_Timer(int Index);
    // tmrRecv(Index), 500 ms after a frame start: the receive lamp goes out.
    void tmrRecv_Timer(int Index);
    // tmrConn(Index), every 1000 ms until the device is identified: the
    // connect frame once more.
    void tmrConn_Timer(int Index);
    // One read of device Index's port through RecvBytes. A port whose far
    // end hung up closes the link (the tab shows it and keeps its curves and
    // run logs); a device that stays silent for silenceMs() after its last
    // valid frame is shown as not replying until its frames come again.
    void CommRecv(int Index);
    // 5000 ms in the program; tests shorten it rather than wait for it.
    int silenceMs() const { return silenceMs_; }
    void setSilenceMs(int ms) { silenceMs_ = ms; }
    // The bytes of one read of device Index: cut into frames, and every
    // valid frame in turn through identification (while tmrConn runs), the
    // parameter-frame step and the data-frame processing. A run-time error
    // is logged ("ErrComm") and drops the rest of the read.
    void RecvBytes(int Index, std::span<const uint8_t> bytes);
    // The panel's Connect button: connects when the panel is not connected,
    // else asks before stopping a running test and disconnects. A connect or
    // disconnect that fails part-way ("Wrong Port!") leaves the port closed,
    // the device's timers stopped and the button offering "Connect".
    void DevCtrl_ConnClick(int Index);
    // Run: the start frame, then (only when it was sent) the running panel,
    // the result row and a new run log. True when the start frame was sent.
    // A run log that cannot be written throws QxError after everything else.
    bool DevCtrl_RunClick(int Index, int chn);
    // What Run does after its start frame went out: the channel's counters,
    // curves and axes of a fresh run, the running panel, the result row with
    // beginVolt (the voltage readout without "V") and a new run log.
    void beginRun(int Index, int chn, const QString &beginVolt);
    // The panel's Start button: Run, and when the start frame could not be
    // built from the setting boxes, why ("Invalid value!", "Setting value
    // out of range!").
    void runClicked(int Index, int chn);
    // Set: the adjust frame; the next running frames refresh the settings.
    void DevCtrl_SetClick(int Index, int chn);
    // Stop: the stop frame and the idle panel. True when the frame was sent.
    bool DevCtrl_StopClick(int Index, int chn);
    // A new mode in the panel's mode list: default settings for it.
    void DevCtrl_ModeClick(int Index);
    // The two halves of a link that leave the port as it is. startLink:
    // what Connect does once the port is open, before the connect frame
    // (receiver, readings, counters and result rows cleared, identification
    // begun, tmrComm and tmrConn running, the panel connected). endLink:
    // what Disconnect does once the port is closed (timers and counters
    // stopped, the information list, the panel and its pages as without a
    // device; keepRows: the result rows stay, else they are cleared).
    void startLink(int Index);
    void endLink(int Index, bool keepRows);

private:
    // The panel's link and command events and the device's link timers.
    void connectLinkEvents(int n);
    bool takeFrame(int Index, const qx::Frames::DevBytes &b);
    void dataFrame(int Index, int chn, const qx::Frames::DevBytes &b);
    void runningFrame(int Index, int chn, const qx::Frames::FrameFields &f, bool firstFrame);
    // endLost: the frame that ends a test did not come (this idle frame
    // carries no count of the run).
    void idleFrame(int Index, int chn, bool endLost);
    void watchSilence(int Index);
    void portLost(int Index);
    void connectLink(int Index);
    void disconnectLink(int Index);
    // Disconnect's steps after the stop question; sendFrame: the disconnect
    // frame goes out first (not when the port has gone); keepRows: the
    // result rows stay (a lost port), else they are cleared.
    void closeLink(int Index, bool sendFrame, bool keepRows);
    // The result rows as no device left them: "No Device", nothing else.
    void clearResultRows(int Index);
    // What a failed connect or disconnect leaves: port closed, timers and
    // counters stopped, "Connect" offered. Every step runs.
    void releaseLink(int Index);
    // One received byte of device Index through its frame receiver, the
    // frames and bytes it loses counted and reported in the error log
    // ("ErrFrame", at most once a minute); reportFrameFaults(Index) tells
    // what is left when the link ends.
    qx::RxEvent takeRxByte(int Index, uint8_t b);
    void reportFrameFaults(int Index);
    // After a port scan for tab Index: a port that is there but may not be
    // opened is told once in the error log and on the tab's information
    // list while the tab is not connected.
    void notePortRefusals(int Index, const qx::PortScanResult &found);
    // The error log's description of a Connect without a port to open.
    QString noPortText(const QString &chosen) const;
    struct LinkWatch {
        QElapsedTimer sinceFrame; // since the last valid frame; invalid: none since Connect
        bool silent = false;      // "No Reply" is shown
        bool busy = false;        // a connect or disconnect is under way
        bool reading = false;     // CommRecv is under way
        qx::FrameFaults faults;   // what the wire lost since Connect
        QString refusalShown;     // the port refusals shown on the information list
    };
    std::array<LinkWatch, 11> link_{};
    int silenceMs_ = 5000;
    qx::PortRefusals portRefusals_;
    // ---- end of panel commands, receive routine, connect and disconnect ----

protected:
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    struct DeviceViews {
        QFrame *frmDev = nullptr;
        ::DevCtrl *panel = nullptr;
        ::CurveGraph *chart = nullptr;
        qx::Grid *gridRun = nullptr;
        qx::Grid *gridAutolist = nullptr;
        QListWidget *lstInfo = nullptr;
        qx::PortWatch *tmrComm = nullptr;
        QTimer *tmrConn = nullptr, *tmrRecv = nullptr;
    };
    const DeviceViews &views(int Index) const;

    // frmMainLoad.cpp
    void Form_Load();
    void readOptions();
    void choosePort(int Index, const QString &name);
    // frmMainTabs.cpp
    void createDeviceViews(int n);
    // Device Index's frame shown in front, every other device frame hidden.
    void showDeviceFrame(int Index);
    void clearPanel(int n);
    void setupResultGrid(int n);
    void paintColourCells(int n, int row, uint32_t volColour, uint32_t curColour);
    void setupChart(int n, const qx::mainwin::ChartSettings &s);
    // Panel events to their handlers (frmMainEvents.cpp).
    void connectPanel(int n);
    // A quick-charge request (d6 = (val + offset) Mod 240) on channel chn
    // (-1: the panel's).
    bool sendRequest(int Index, int val, int chn, int offset, const QString &tag);
    // frmMainNews.cpp
    void createNewsExchange();
    void hookInfoList(QListWidget *list, int n);  // frmMainStatus.cpp
    void newsSend(const QString &text);
    void newsReply(const QByteArray &raw);
    void bannerData(const QByteArray &raw);
    // frmMainRunLog.cpp
    // The reading's line at secs, the run's seconds the reading was taken at.
    void appendRunLogLine(int Index, int chn, int32_t secs);
    // One line (a data line or a record) on the channel's run log; a failure
    // is told as runRecordFailed.
    void appendRunLog(int Index, int chn, const QString &line);
    // The run log's records: the settings a running frame reports when the
    // log holds others (or none) this run; the charge the device's count
    // does not hold (CapBase, once it began again from 0); the run's end,
    // once.
    void recordSettings(int Index, int chn, const qx::RunSettings &s);
    void recordCarried(int Index, int chn);
    void recordRunEnd(int Index, int chn);
    // The channel's run log read back for a Continue; nullopt (logged as
    // "ErrCont") when it cannot be read; skipped lines are logged.
    std::optional<qx::runlog::Contents> readRunLog(const QString &path);
    // Puts the run a log recorded back on the channel (curves, counters,
    // result cells, the charge carried over; the seconds after `away` more)
    // and tells the device to go on. False when the log has no data line.
    bool resumeRun(int Index, int chn, const qx::runlog::Contents &log, int32_t away);
    // The channel's run log moved aside (first free name after its time);
    // false, told, when it could not be.
    bool keepRunLogAside(int Index, int chn, const QString &path);
    // The voltage readout's text of a reading (frmMainReading.cpp).
    QString voltageReadout(int Index, float vol) const;
    // frmMainReading.cpp
    void showFloatingReadout();
    void showMeter(int Index, int chn);
    // Per channel: the RunRecord bits told as not saved in this run.
    std::array<std::array<uint8_t, 2>, 11> runFailures_{};
    // Per channel: the run log's line writer (its file kept open).
    std::array<std::array<qx::runlog::LineWriter, 2>, 11> runLogs_;
    // A new run of the channel: nothing of it is told as not saved yet.
    void resetRunFailures(int Index, int chn);
    // frmMainRunState.cpp: what the auto page's current, step and time
    // lists of each device were last filled for (count -1: not filled).
    struct AutoLists {
        bool fine = false; // steps of 0.01 A
        int count = -1;    // current entries
    };
    std::array<AutoLists, 10> autoLists_{};
    // The meter window was hidden by another device's frame.
    bool meterHiddenByOther_ = false;
    // frmMainMenus.cpp
    void buildMenus();
    void buildToolbar();
    // frmMainSettings.cpp
    void wireSettingsMenus();
    // frmMainAdjRes.cpp
    void wireAdjResMenus();
    std::function<void(bool)> tabsSwitch();
    // frmMainLayout.cpp
    void layoutViews();
    void layoutDevice(int i, int W, int H);
    void minimiseOrRestore();
    void hideToTray();
    void restoreFloating();

    // device/frmMainIdentify.cpp: channels whose identification steps have run
    // since IdentifyStart (bit 0 channel 0, bit 1 channel 1), per device.
    std::array<int, 11> identSteps_{};
    void identifyChannel(int Index, int chn, const qx::models::ModelRow &row);
    // device/frmMainParams.cpp: MaxVol and MaxCur from a parameter frame's
    // b11:b12 and b13:b14. A limit of 0 is refused (the one before stays),
    // logged ("ErrParam") once per link.
    void takeLimits(int Index, const qx::Frames::FrameFields &f);

    QWidget *client_ = nullptr;
    std::array<DeviceViews, 10> views_{};
    int viewCount_ = 0;
};

// The main window's default instance: get() builds it (running Form_Load),
// unload() destroys it.
qx::FormHolder<frmMain> &frmMainForm();
