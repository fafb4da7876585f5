#pragma once
// The calibration window: four point buttons (voltage low and high, current
// low and high). The main window sets which of them may be pressed: the
// voltage points while the selected channel is idle, the current points
// while it runs. The window is loaded hidden the first time its buttons are
// set and stays loaded until the program ends.
#include "platform/FormHolder.h"

#include <QWidget>

class QPushButton;

class frmAdj : public QWidget {
    Q_OBJECT
public:
    frmAdj();
    ~frmAdj() override;

    QPushButton *cmdVL = nullptr;
    QPushButton *cmdVH = nullptr;
    QPushButton *cmdCL = nullptr;
    QPushButton *cmdCH = nullptr;
};

// The default instance of frmAdj: get() loads it hidden.
qx::FormHolder<frmAdj> &frmAdjForm();
