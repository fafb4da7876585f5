#pragma once
// The step-program editor: a working copy of the step program table of the
// selected device's panel (DevCtrl(CurDev)), edited one step at a time
// through a mode list and three fields whose checks follow the device's
// limits (rules: StepEditRules.h). OK writes the program back into the
// panel's table; Cancel and closing the window leave the table as it was.
// Shown without blocking; it unloads when closed and then sets DlgDone.
#include "platform/FormHolder.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qx {
class Grid;
}

class frmSet : public QDialog {
    Q_OBJECT
public:
    frmSet();  // Form_Load
    ~frmSet() override;

    qx::Grid *gridSet = nullptr;
    QLabel *Label9 = nullptr, *Label13 = nullptr;
    QComboBox *cmbFlow = nullptr, *cmbMode = nullptr;
    QLabel *lblSet = nullptr, *lblSett = nullptr;
    QLabel *lblLmt = nullptr, *lblLimit1t = nullptr;
    QLabel *lblLmt2 = nullptr, *lblLmt2t = nullptr;
    QLineEdit *txtSet = nullptr, *txtLmt = nullptr, *txtLmt2 = nullptr;
    QPushButton *cmdSet = nullptr, *cmdClear = nullptr, *cmdOK = nullptr, *cmdCancel = nullptr;

    int SelStep = -1;  // cmbFlow index of the step edited (grid row SelStep + 1)
    int SelMode = -1;  // cmbMode index of the mode chosen
    QString CurFmt, VolFmt, PwrFmt;

    void cmbFlow_Click();
    void cmbMode_Click();
    void cmdSet_Click();
    void cmdClear_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void txtSet_LostFocus();
    void txtLmt_LostFocus();
    void txtLmt2_LostFocus();
    void Form_Unload();

    // Selects entry i of the list from code, running its click handler as a
    // user's choice does (also when the entry was already selected).
    void selectFlow(int i);
    void selectMode(int i);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // Captions, units and enables of the three fields for the kind of SelMode.
    void showLayout();
    void leaveCheck(QLineEdit *box, int which);
};

// The default instance of frmSet.
qx::FormHolder<frmSet> &frmSetForm();
