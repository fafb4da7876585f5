#pragma once
// The "STOP" pop-up: a small translucent window in the middle of the screen
// that fades in to opacity 200 of 255 (5 steps every 25 ms), shows its text
// in large letters and stays until it is clicked; then it fades out and
// closes itself. Every request to close it (its close box, Unload) only
// starts the fade-out. It is never modal and has no owner. When the program
// is asked to end while the pop-up shows, it fades out first and then lets
// the program end.
#include "platform/FormHolder.h"

#include <QWidget>

class QLabel;
class QTimer;

class frmMsg : public QWidget {
    Q_OBJECT
public:
    frmMsg();  // Form_Load: centred, opacity 0, fade-in running

    // frmMain.ShowMsg's part: shows the window (loading it when needed) with
    // the text. A window whose fade-out has ended is replaced by a fresh one.
    static void Show(const QString &text);

    QLabel *lblMsg = nullptr;
    QTimer *Timer1 = nullptr;  // fade-in, 25 ms
    QTimer *Timer2 = nullptr;  // fade-out, 25 ms
    int Alpha() const { return alpha_; }
    bool Closing() const { return closing_; }

    void Timer1_Timer();
    void Timer2_Timer();
    // A click on the window or its text: the fade-out starts.
    void Form_Click();
    // A request to unload: fades out first; goes ahead once the fade-out has ended.
    void Unload();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyAlpha();
    void fadeOutEnded();
    int alpha_ = 0;
    bool closing_ = false;
    bool quitWaiting_ = false;  // the program's end waits for the fade-out
};

// The default instance of frmMsg.
qx::FormHolder<frmMsg> &frmMsgForm();
