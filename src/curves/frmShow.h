#pragma once
// The display settings dialog "Display Setting": grid styles and colours,
// background and axes colours, curve line width, the panels' power and
// run-time readout colours, legends, the third value axis with its curve
// (power or temperature), the automatic-scaling option and two remembered
// check boxes. OK applies the choices to the chart and panel of every
// device tab at once and writes them to [DATA] of qx.ini. The viewer's chart
// is not affected. Sets DlgDone when it closes.
//
// The third curve starts from the colour the first chart has, is labelled
// per device ("Temp" only on devices that report a temperature) and on
// two-channel charts also sets channel 2's third curve (curve 7).
#include "platform/FormHolder.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

class frmShow : public QDialog {
    Q_OBJECT
public:
    frmShow();  // Form_Load

    QComboBox *cmbDot = nullptr, *cmbDot2 = nullptr, *cmbLine = nullptr;
    QLabel *lblGridColor = nullptr, *lblBackColor = nullptr, *lblAxesColor = nullptr;
    QLabel *lblPwrColor = nullptr, *lblTimeColor = nullptr, *lblY2 = nullptr;
    QCheckBox *chkY2 = nullptr;
    QRadioButton *optPwr = nullptr, *optTemp = nullptr;
    QRadioButton *optTime = nullptr, *optCap = nullptr;
    QCheckBox *chkCap = nullptr, *chkWh = nullptr, *chkLabel = nullptr, *chkScale = nullptr;
    QPushButton *cmdOK = nullptr, *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
};

qx::FormHolder<frmShow> &frmShowForm();
