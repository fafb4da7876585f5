#pragma once
// "USB Quick Charge": asks the USB tester to request a voltage from the
// charger it hangs on: a fixed QC2.0 level (5, 9, 12, 20 V), QC3.0 mode with
// single steps up or down (by hand, or repeated every 2 seconds), or a step
// of the pulse protocol ("MTK-PE"); and shows the device's voltage once a
// second. Each request is one adjust frame through the main window
// (tools/MainOps.h); the device answers only with its data frames.
//
// The window acts on the device and channel selected when it opened, even
// when another tab is selected later. A level option sends its request
// whenever it becomes the chosen one, by the user or by the window; choosing
// a level (or QC2.0) ends a running auto-repeat. UsbOpen is True while the
// window is loaded. Shown without blocking; kept above other windows.
#include "platform/FormHolder.h"

#include <QDialog>

class LCDisp;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

class frmUSB : public QDialog {
    Q_OBJECT
public:
    frmUSB(); // Form_Load
    ~frmUSB() override;

    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr, *Frame3 = nullptr, *Frame4 = nullptr, *Frame5 = nullptr;
    QRadioButton *optQc2 = nullptr, *optQc3 = nullptr;
    QRadioButton *opt5V = nullptr, *opt9V = nullptr, *opt12V = nullptr, *opt20V = nullptr;
    QRadioButton *optManual = nullptr, *optAuto = nullptr;
    QPushButton *cmdQCInc = nullptr, *cmdQCDec = nullptr, *cmdPEInc = nullptr, *cmdPEDec = nullptr;
    LCDisp *lcdVol = nullptr;
    QLabel *lblVolt = nullptr;
    QTimer *Timer1 = nullptr; // 1000 ms: the voltage readout
    QTimer *Timer2 = nullptr; // 2000 ms: the QC3.0 auto-repeat

    int QcLevel = 0;    // QC2.0 level 0..3 (5, 9, 12, 20 V)
    bool QcUp = false;  // the auto-repeat steps up
    int UsbDev = 0;     // the device the window was opened for
    int UsbChn = 0;     // and its channel

    void optQc2_Click();
    void optQc3_Click();
    void opt5V_Click();
    void opt9V_Click();
    void opt12V_Click();
    void opt20V_Click();
    void cmdQCInc_Click();
    void cmdQCDec_Click();
    void cmdPEInc_Click();
    void cmdPEDec_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    // Stops the timers and clears UsbOpen; runs once, when the window closes
    // or is destroyed.
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    void buildControls();
    void levelChosen(int level);
    void qc3Step(int code, bool up);
    void stopRepeat();
    void send(int code);
    QRadioButton *levelOption(int level) const;
    bool unloaded_ = false;
};

// The default instance of frmUSB.
qx::FormHolder<frmUSB> &frmUSBForm();
