#pragma once
// The About box: the program's title, version and build, its logo, a web
// link and OK. Shown without blocking; OK closes (unloads) it.
#include "platform/FormHolder.h"

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout();  // Form_Load: fills the labels, centres the window

    QLabel *lblTitle = nullptr;
    QLabel *lblVer = nullptr;
    QLabel *lblRelease = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;  // web link
    QLabel *lblInfo1 = nullptr;
    QLabel *lblInfo2 = nullptr;
    QPushButton *cmdOK = nullptr;

    void cmdOK_Click();
    void Label1_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The default instance of frmAbout.
qx::FormHolder<frmAbout> &frmAboutForm();

// The program's logo, drawn at the given size in pixels.
QPixmap programLogo(int size);
