// The program's message box as the user meets it: the button that Enter
// presses, for each style of box the program shows.
#include "platform/UiServices.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qx;

namespace {

// Shows a box through the Qt services and presses Enter on it (on the
// widget with the focus, as a key goes); the answer, or 0 when no box came.
int enterOn(int style)
{
    bool pressed = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || pressed)
            return;
        pressed = true;
        QWidget *target = box->focusWidget() ? box->focusWidget() : box;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
    });
    poll.start();
    QtUiServices qt;
    const int answer = qt.msgBox(QStringLiteral("Stop?"), style, QStringLiteral("Prompt"));
    return pressed ? answer : 0;
}

} // namespace

TEST(MessageBox, EnterPressesTheDefaultButton)
{
    const struct {
        int style;
        int enter;
    } cases[] = {
        {MbOkOnly | MbInformation, MrOk},
        {MbOkCancel | MbInformation, MrOk},
        {MbOkCancel | MbInformation | MbDefaultButton2, MrCancel},
        {MbOkCancel | MbQuestion | MbDefaultButton2, MrCancel},
        {MbYesNo, MrYes},
        {MbYesNo | MbDefaultButton2, MrNo},
        {MbYesNoCancel | MbDefaultButton2, MrNo},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(enterOn(c.style), c.enter);
        // The test seam's Enter answers the same.
        EXPECT_EQ(defaultAnswer(c.style), c.enter);
    }
}
