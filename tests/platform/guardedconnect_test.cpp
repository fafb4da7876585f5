// A window's handler connected through onSignal: a failure is reported with
// its tag and later signals still reach the handler; the signal's arguments
// are dropped; nothing reaches a receiver that is gone.
#include "platform/GuardedConnect.h"

#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace qx;

namespace {

struct Receiver : QObject {
    int calls = 0;
    bool fail = false;
    void handler()
    {
        ++calls;
        if (fail)
            throw std::runtime_error("boom");
    }
};

} // namespace

TEST(GuardedConnect, AFailingHandlerIsReportedWithItsTagAndStaysConnected)
{
    QStringList reports;
    const ErrorSink previous =
        setUnhandledSink([&](const QString &tag, const QString &text) { reports << tag + QLatin1Char('|') + text; });
    QPushButton button;
    auto receiver = std::make_unique<Receiver>();
    onSignal(&button, &QPushButton::clicked, receiver.get(), "win.cmd_Click", &Receiver::handler);

    receiver->fail = true;
    button.click();
    EXPECT_EQ(reports, QStringList{"win.cmd_Click|boom"});
    receiver->fail = false;
    button.click();
    EXPECT_EQ(receiver->calls, 2);
    EXPECT_EQ(reports.size(), 1);

    // The connection ends with the receiver.
    receiver.reset();
    button.click();
    EXPECT_EQ(reports.size(), 1);
    setUnhandledSink(previous);
}
