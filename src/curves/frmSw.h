#pragma once
// The software settings dialog "Software Setting": the end-of-test pop-up,
// automatic saving of the result file, hiding to the notification area,
// the floating readout while minimised and the result file format. OK sets
// the options at once and writes them to [AUTO] of qx.ini; when that fails
// (a full or read-only disk) it says "Save failed!" and the dialog stays
// open.
#include "platform/FormHolder.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmSw : public QDialog {
    Q_OBJECT
public:
    frmSw();  // Form_Load

    QCheckBox *chkMsg = nullptr, *chkHide = nullptr, *chkDisp = nullptr, *chkAuto = nullptr;
    QRadioButton *optCsv = nullptr, *optCsv2 = nullptr, *optDat = nullptr;
    QLineEdit *txtPath = nullptr;
    QPushButton *cmdPath = nullptr, *cmdOK = nullptr, *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
};

qx::FormHolder<frmSw> &frmSwForm();
