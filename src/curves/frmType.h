#pragma once
// The viewer's axis-type dialog "Curve Type": asked once while the viewer
// loads, whether its x axis is time ("V--A--Second") or capacity
// ("V--A--mAh"). Closing it any other way than OK keeps the time axis. Sets
// DlgDone when it closes.
#include "platform/FormHolder.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

class frmType : public QDialog {
    Q_OBJECT
public:
    frmType();

    QRadioButton *optVT = nullptr, *optVC = nullptr;
    QPushButton *cmdOK = nullptr;

    void cmdOK_Click();
};

qx::FormHolder<frmType> &frmTypeForm();
