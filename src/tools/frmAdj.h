#pragma once
// The calibration window: four points (voltage low and high, current low
// and high), each an entry of the true value measured with an external
// instrument and a "Calibration" button that checks the entry against the
// device's range and its present reading and sends the point's calibration
// frame. OK sends the store command; OK and Cancel hide the window.
//
// The main window sets which points may be pressed (the voltage points
// while the selected channel is idle, the current points while it runs).
// The window is loaded hidden the first time its buttons are set and stays
// loaded until the program ends; each showing from the calibration menu
// makes the set-up (Form_Load) again for the device selected then.
//
// With no open port nothing can be calibrated: a click says so ("Please
// connect device first") and OK stays as it was; OK then keeps the window
// open. Entries whose value would not fit a frame are out of range.
#include "platform/FormHolder.h"

#include <QDialog>
#include <QString>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmAdj : public QDialog {
    Q_OBJECT
public:
    // What the window needs of the main window.
    struct Host {
        std::function<void(bool)> setTabsEnabled; // the device tab strip
    };

    frmAdj();  // builds the controls and runs Form_Load
    ~frmAdj() override;  // Form_Unload

    Host host;

    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr;
    QLabel *lblVL = nullptr, *lblVH = nullptr, *lblCL = nullptr, *lblCH = nullptr;
    QLineEdit *txtVL = nullptr, *txtVH = nullptr, *txtCL = nullptr, *txtCH = nullptr;
    QPushButton *cmdVL = nullptr;
    QPushButton *cmdVH = nullptr;
    QPushButton *cmdCL = nullptr;
    QPushButton *cmdCH = nullptr;
    QPushButton *cmdOK = nullptr, *cmdCancel = nullptr;

    float AdjScale = 0;
    QString CurFmt, VolFmt;

    // The set-up for the device selected now: caption, scale, formats, OK
    // disabled, fields rewritten.
    void Form_Load();
    void cmdVL_Click();
    void cmdVH_Click();
    void cmdCL_Click();
    void cmdCH_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void txtVL_LostFocus();
    void txtVH_LostFocus();
    void txtCL_LostFocus();
    void txtCH_LostFocus();
    void Form_Unload();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    void buildControls();
    void point(QLineEdit *box, int sub);
    void leaveCheck(QLineEdit *box, bool volt);
    // Writes the frame; false (after saying why) when it could not go out.
    bool SendAdj(int sub, int32_t value);
    void closeDown();
};

// The default instance of frmAdj: get() loads it hidden.
qx::FormHolder<frmAdj> &frmAdjForm();
