#pragma once
// The viewer's colour dialog "Curve Color", shown for every file being
// opened: the colours of the file's new voltage and current curves and the
// text of its voltage legend. OK applies them to the viewer's chart; Cancel
// or the close box keeps what the chart has. Sets DlgDone when it closes.
#include "platform/FormHolder.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmColor : public QDialog {
    Q_OBJECT
public:
    frmColor();

    QLabel *lblVolColor = nullptr, *lblCurColor = nullptr;  // colour swatches
    QLineEdit *txtVol = nullptr;
    QPushButton *cmdOK = nullptr, *cmdCancel = nullptr;
    int VolIdx = 0, CurIdx = 0;

    void cmdOK_Click();
    void cmdCancel_Click();
    void lblVolColor_Click();
    void lblCurColor_Click();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
};

qx::FormHolder<frmColor> &frmColorForm();

