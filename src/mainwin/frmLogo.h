#pragma once
// The start-up splash: the program's title, the maker's name and a web link
// on a see-through window (its white is not drawn), centred on the screen.
// Two seconds after it appears it shows the main window and closes itself.
#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

class frmLogo : public QWidget {
    Q_OBJECT
public:
    // showMain runs at the splash timer's tick (the program shows frmMain).
    explicit frmLogo(std::function<void()> showMain);

    QLabel *Label1 = nullptr;  // title
    QLabel *Label2 = nullptr;  // web link
    QLabel *Label3 = nullptr;  // maker's name
    QTimer *Timer1 = nullptr;  // 2000 ms, running from the start

    void Timer1_Timer();
    void Label2_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *e) override;

private:
    // Colour key white: every white pixel of the drawn window is cut away.
    void cutAwayWhite();
    std::function<void()> showMain_;
};
