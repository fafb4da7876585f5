#pragma once
// The internal-resistance test of one battery cell on the selected device's
// selected channel. Test sends the resistance-test frame with the typed
// current (at most the device's maximum); the receive routine captures the
// device's answer, the voltage drop, in ResVolt; Timer1 polls it once a
// second and shows the resistance in milliohm, or gives up at the fourth
// tick. The result is worked out with the current the frame carried.
//
// Test refuses a running channel, a voltage above 4.5 V, a current text
// that is not a number from 200 to 30000 mA and a current that would be
// sent as zero; nothing is sent then. Created for each opening (the main
// window waits for finished()); closing clears ResVolt, sets DlgDone and
// enables the main window's tab strip through host.
#include "platform/FormHolder.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class frmRes : public QDialog {
    Q_OBJECT
public:
    struct Host {
        std::function<void(bool)> setTabsEnabled; // the device tab strip
    };

    frmRes();  // Form_Load
    ~frmRes() override;

    Host host;

    QLineEdit *txtCap = nullptr; // test current, mA
    QLineEdit *txtRes = nullptr; // result, milliohm (read-only)
    QPushButton *cmdTest = nullptr;
    QTimer *Timer1 = nullptr;    // 1000 ms, polls ResVolt while a test waits

    int16_t TickCount = 0;       // ticks of Timer1 since the last Test
    double SentmA = 0;           // the current the last test frame carried, mA

    void cmdTest_Click();
    void Timer1_Timer();
    void txtCap_LostFocus();
    void Form_Unload();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void SendRes(int chn);
    bool unloaded_ = false;
};

// The default instance of frmRes.
qx::FormHolder<frmRes> &frmResForm();
