#pragma once
// The control panel of one device: a tab strip with up to three pages
// (single test, automatic current sweep, step program), the readings, the
// port choice with the connect button and the receive lamp, the set-value
// boxes and command buttons for one or two channels, three grids and six
// timers.
//
// The panel keeps almost no logic: every user action and every timer tick is
// passed on as one of the signals below, and the main window drives the
// panel through its properties (getter X(...), setter set_X(..., v)).
//
// Device index: the main window holds one panel per device tab and sets
// set_Index(i) on each. Its connections add the index themselves:
//     connect(p, &DevCtrl::RunClick, this,
//             [this, p](int chn) { DevCtrl_RunClick(p->Index(), chn); });
// DevCtrl::find(i) returns the live panel whose index is i.
//
// Signals are raised synchronously. Signals started by the user or a timer
// run their handlers guarded (a failure goes to the error sink); signals
// raised by a property write (ModeClick from set_tMode) let the handler's
// failure reach the writer.
//
// Layout-dependent members act on the layout in force at the call: the
// single controls in the one-channel layout (chn not used), element chn of
// the two-channel controls in the two-channel layout, where a chn other than
// 0 or 1 fails with QxError(ErrSubscript). A grid cell outside its grid
// fails the same way. Writing a text that is not an entry of a drop-down
// list fails with QxError(ErrInvalidProperty) and keeps the selection.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <type_traits>

class LCDisp;
class QComboBox;
class QFont;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace qx::panel {
class RecvMark;
}
namespace qx {
class Grid;
class KeyedTabBar;
}

class DevCtrl : public QWidget {
    Q_OBJECT
public:
    explicit DevCtrl(QWidget *parent = nullptr);
    ~DevCtrl() override;

    // ---- Device index (set by the main window) ----
    int Index() const { return index_; }
    void set_Index(int index) { index_ = index; }
    static DevCtrl *find(int index);

    // The panel's compact face: one small sans-serif face that keeps the
    // captions inside their places (fixed in twips) whatever the desktop's
    // font. The result grid beside the panel uses it too.
    static QFont compactFont();

    // ---- Methods ----
    void AutoC1Add(const QString &val);
    void AutoC1Clr();
    void AutoC2Add(const QString &val);
    void AutoC2Clr();
    void AutoStepAdd(const QString &val);
    void AutoStepClr();
    void AutoTimeAdd(const QString &val);
    void AutoModeAdd(const QString &val);
    void AutoModeClr();
    void AutoTimeClr();
    void AutoListClr();
    void AutoListAdd();
    void StepListClr();
    void StepListAdd();
    void StepSetClr();
    void StepSetAdd();
    // Appends a port name; tip (the port's device path) shows as its tooltip.
    void PortAdd(const QString &val, const QString &tip = QString());
    void PortClr();
    void ModeAdd(const QString &val);
    void ModeClr();
    // Adds a page tab at position val (1 to count + 1) with key key; its
    // caption is "Single Test" for 1, "Auto Test" for 2 with "key2", else
    // "Cycle Test" (through qx::Module3::LangText).
    void TabAdd(int val, const QString &key);
    void TabClear();
    // The strip holds exactly the tabs TabAdd gives these keys, in order.
    bool TabsAre(const QStringList &keys) const;

    // ---- State and channel ----
    int Test() const;  // 1 "key1", 2 "key2", 3 any other key
    bool Dev2S() const { return dev2S_; }
    void set_Dev2S(bool flag);
    bool Conn() const { return conn_; }
    void set_Conn(bool flag);
    bool Run(int chn) const;
    void set_Run(int chn, bool flag);
    QString chn() const;  // "1" only for "Chn2" in the two-channel layout
    bool AllChn() const;
    void set_ChnEnable(bool on);

    // ---- Port and automatic-test settings ----
    QString tPort() const;
    void set_tPort(const QString &val);
    int PortCnt() const;
    QString PortList(int val) const;  // "" outside the list
    QString tAutoC1() const;
    void set_tAutoC1(const QString &val);
    QString tAutoC2() const;
    void set_tAutoC2(const QString &val);
    QString tAutoVol() const;
    void set_tAutoVol(const QString &val);
    QString tAutoStep() const;
    void set_tAutoStep(const QString &val);
    QString tAutoTime() const;
    void set_tAutoTime(const QString &val);
    QString tAutoMode() const;
    void set_tAutoMode(const QString &val);
    bool AutoOptSec() const;
    void set_AutoOptSec(bool sec);
    QString AutoCmd() const;
    void set_AutoCmd(const QString &val);
    QString StepCmd() const;
    void set_StepCmd(const QString &val);

    // ---- Grid cells ----
    QString tAutoList(int i) const;
    void set_tAutoList(int i, const QString &val);
    QString tAutoRun(int i, int j) const;
    int AutoRunCnt() const;
    QString tStepList(int i, int j = 0) const;
    void set_tStepList(int i, const QString &val);
    void set_tStepList(int i, int j, const QString &val);  // j is not used
    int StepListCnt() const;
    QString tStepSet(int i, int j) const;
    void set_tStepSet(int i, int j, const QString &val);
    void set_StepColor(int j, uint32_t color);

    // ---- Layout-dependent values and captions ----
    QString tMode() const;
    // Selects the entry and raises ModeClick, also when it was selected.
    void set_tMode(const QString &val);
    int ModeIdx() const;
    int ModeCnt() const;
    QString ModeTxt(int val) const;  // "" outside the list
    QString tSval(int chn) const;
    void set_tSval(int chn, const QString &val);
    QString tSlmt(int chn) const;
    void set_tSlmt(int chn, const QString &val);
    QString tStim(int chn) const;
    void set_tStim(int chn, const QString &val);
    QString tVol(int chn) const;
    void set_tVol(int chn, const QString &val);
    QString tCur(int chn) const;
    void set_tCur(int chn, const QString &val);
    QString tPwr(int chn) const;
    void set_tPwr(int chn, const QString &val);
    // One-channel layout: hh:mm:ss shows hh:mm in the readout's main digits
    // and ss in its exponent digits (all hour digits, 100 hours and more
    // included); the read returns the text last written.
    QString tTime(int chn) const;
    void set_tTime(int chn, const QString &val);
    QString lSval(int chn) const;
    void set_lSval(int chn, const QString &val);
    QString lSlmt(int chn) const;
    void set_lSlmt(int chn, const QString &val);
    QString lStim(int chn) const;
    void set_lStim(int chn, const QString &val);
    QString lSvalt(int chn) const;
    void set_lSvalt(int chn, const QString &val);
    QString lSlmtt(int chn) const;
    void set_lSlmtt(int chn, const QString &val);
    QString lStimt(int chn) const;
    void set_lStimt(int chn, const QString &val);

    // ---- Enables and timers ----
    bool ConnEnable() const;
    void set_ConnEnable(bool on);
    bool ContEnable() const;
    void set_ContEnable(bool on);
    bool RunEnable() const;
    void set_RunEnable(bool on);
    bool StopEnable() const;
    void set_StopEnable(bool on);
    bool SetEnable() const;
    void set_SetEnable(bool on);
    bool MonitorEnable() const;
    void set_MonitorEnable(bool on);
    bool ModeEnable() const;
    void set_ModeEnable(bool on);
    bool SvalEnable(int chn) const;
    void set_SvalEnable(int chn, bool on);
    bool SlmtEnable(int chn) const;
    void set_SlmtEnable(int chn, bool on);
    bool StimEnable(int chn) const;
    void set_StimEnable(int chn, bool on);
    void set_StepEnable(bool on);
    bool TmrCurveEnable(int chn) const;
    void set_TmrCurveEnable(int chn, bool on);
    bool TmrShowEnable(int chn) const;
    void set_TmrShowEnable(int chn, bool on);
    bool AutoTmrEnable() const;
    void set_AutoTmrEnable(bool on);
    bool StepTmrEnable() const;
    void set_StepTmrEnable(bool on);

    // ---- Colours, lamp and logo ----
    // Writes act in the one-channel layout only; reads always return the
    // one-channel label's (TimeColor: readout's) colour.
    uint32_t VolColor() const { return volColor_; }
    void set_VolColor(uint32_t c);
    uint32_t CurColor() const { return curColor_; }
    void set_CurColor(uint32_t c);
    uint32_t PwrColor() const { return pwrColor_; }
    void set_PwrColor(uint32_t c);
    uint32_t TimeColor() const;
    void set_TimeColor(uint32_t c);
    void set_LedRecv(bool on);
    // Loads a picture file into the logo; "" clears it. A missing file fails
    // with QxError(ErrFileNotFound), an unreadable one with code 481.
    void set_ImageLogo(const QString &val);

Q_SIGNALS:
    void ConnClick();
    void ModeClick();
    void ContClick(int chn);
    void MonitorClick(int chn);
    void SetClick(int chn);
    void RunClick(int chn);
    void StopClick(int chn);
    void SvalLostFocus(int chn);
    void SlmtLostFocus(int chn);
    void StimLostFocus(int chn);
    void AutoVolLostFocus();
    void TmrCurveOn(int chn);
    void TmrShowOn(int chn);
    void AutoTestClick();
    void StepTestClick();
    void StepSetClick();
    void StepSaveClick();
    void StepClrClick();
    void StepOpenClick();
    void AutoSaveClick();
    void StepTmrOn();
    void AutoTmrOn();
    void AutoListClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Building (DevCtrl.cpp).
    void buildTabs();
    void buildSinglePage(QWidget *page);
    void buildRunOne(QGroupBox *f);
    void buildRunTwo(QGroupBox *f);
    void buildCtrlOne(QGroupBox *f);
    void buildCtrlTwo(QGroupBox *f);
    void buildComm(QGroupBox *f);
    void buildAutoPage(QWidget *page);
    void buildStepPage(QWidget *page);
    void buildTimers();
    void layoutGrids();
    void watchFocus(QLineEdit *box, void (DevCtrl::*signal)(int), int chn);
    void showPage(int page);
    void tabClicked();
    // Raises an event for a user action or a timer tick; a handler's failure
    // goes to the error sink.
    template <class... A>
    void raiseGuarded(void (DevCtrl::*event)(A...), std::type_identity_t<A>... args);
    // Raises the event each time the control's signal comes.
    template <class Sender, class Signal, class... A>
    void relay(Sender *from, Signal what, void (DevCtrl::*event)(A...), std::type_identity_t<A>... args);
    // Raises a channel command for the chosen channel, or for both with
    // "All Channel" (channel 0, two passes of pending events, channel 1).
    void dispatch(void (DevCtrl::*signal)(int));

    // Properties helpers (DevCtrlProps.cpp).
    template <class W>
    W *pick(W *single, const std::array<W *, 2> &pair, int chn) const;
    QComboBox *modeList() const;
    // A reading: the readout in the one-channel layout, box chn in the two-channel one.
    QString readingText(const LCDisp *lcd, const std::array<QLineEdit *, 2> &boxes, int chn) const;
    void setReading(LCDisp *lcd, const std::array<QLineEdit *, 2> &boxes, int chn, const QString &val);
    void writeAutoHeader();
    void writeStepRunHeader();
    void writeStepSetHeader();

    int index_ = 0;
    bool dev2S_ = false;
    bool conn_ = false;
    std::array<bool, 2> run_{};
    int autoRow_ = 1;
    int stepRow_ = 1;
    QString timeText_;  // last text written to tTime in the one-channel layout
    bool timeWritten_ = false;
    uint32_t volColor_ = 0, curColor_ = 0, pwrColor_ = 0;

    // Tab strip and pages.
    qx::KeyedTabBar *tabDev_ = nullptr;
    QFrame *tabBody_ = nullptr;
    std::array<QWidget *, 3> frmDev_{};

    // Single-test page.
    QGroupBox *frmRun_ = nullptr, *frmRun2S_ = nullptr, *frmCtrl_ = nullptr,
              *frmCtrl2S_ = nullptr, *frmCom_ = nullptr;
    LCDisp *lcdVol_ = nullptr, *lcdCur_ = nullptr, *lcdPwr_ = nullptr, *lcdTime_ = nullptr;
    QLabel *lblVolt_ = nullptr, *lblCurt_ = nullptr, *lblPwrt_ = nullptr;
    QLabel *imgLogo_ = nullptr;
    QComboBox *cmbMode_ = nullptr;
    QLabel *lblSval_ = nullptr, *lblSlmt_ = nullptr, *lblStim_ = nullptr;
    QLabel *lblSvalt_ = nullptr, *lblSlmtt_ = nullptr, *lblStimt_ = nullptr;
    QLineEdit *txtSval_ = nullptr, *txtSlmt_ = nullptr, *txtStim_ = nullptr;
    QPushButton *cmdRun_ = nullptr, *cmdStop_ = nullptr, *cmdMonitor_ = nullptr,
                *cmdCont_ = nullptr, *cmdSet_ = nullptr;
    QComboBox *cmbMode2S_ = nullptr;
    std::array<QLabel *, 2> lblSval2S_{}, lblSlmt2S_{}, lblStim2S_{};
    std::array<QLabel *, 2> lblSval2St_{}, lblSlmt2St_{}, lblStim2St_{};
    std::array<QLineEdit *, 2> txtSval2S_{}, txtSlmt2S_{}, txtStim2S_{};
    QRadioButton *optChn0_ = nullptr, *optChn1_ = nullptr, *optChn2_ = nullptr;
    QPushButton *cmdRun2S_ = nullptr, *cmdStop2S_ = nullptr, *cmdCont2S_ = nullptr,
                *cmdSet2S_ = nullptr, *cmdMonitor2S_ = nullptr;
    std::array<QLineEdit *, 2> txtVol2S_{}, txtCur2S_{}, txtPwr2S_{}, txtTime2S_{};
    QComboBox *cmbPort_ = nullptr;
    QPushButton *cmdConn_ = nullptr;
    qx::panel::RecvMark *shpRecv_ = nullptr;

    // Automatic-test page.
    qx::Grid *gridAutoRun_ = nullptr;
    QComboBox *cmbC1Auto_ = nullptr, *cmbC2Auto_ = nullptr, *cmbStepAuto_ = nullptr,
              *cmbTimeAuto_ = nullptr, *cmbModeAuto_ = nullptr;
    QLineEdit *txtVolAuto_ = nullptr;
    QRadioButton *optAutoSec_ = nullptr, *optAutoMin_ = nullptr;
    QPushButton *cmdStartAuto_ = nullptr, *cmdSave_ = nullptr;

    // Step-program page.
    qx::Grid *gridStepRun_ = nullptr, *gridStepSet_ = nullptr;
    QPushButton *cmdOpenStep_ = nullptr, *cmdSaveStep_ = nullptr, *cmdSetStep_ = nullptr,
                *cmdClearStep_ = nullptr, *cmdStartStep_ = nullptr;

    // Timers, each of one second (platform/Second.h) as the panel is built.
    QTimer *tmrAuto_ = nullptr, *tmrStep_ = nullptr;
    std::array<QTimer *, 2> tmrCurve_{}, tmrShow_{};

    // Focus watch: box -> (signal, channel).
    struct FocusWatch {
        QLineEdit *box;
        void (DevCtrl::*signal)(int);
        int chn;
    };
    std::array<FocusWatch, 9> watches_{};
    int watchCount_ = 0;
};
