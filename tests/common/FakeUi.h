#pragma once
// Scripted stand-in for the dialog services: tests queue the answers, the
// fake hands them out in order and records every request. An unscripted
// request answers like a user pressing Cancel (or OK on an OK-only box).
// Installed for its lifetime.
#include "platform/UiServices.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <deque>
#include <vector>

namespace qx::test {

class FakeUi : public UiServices {
public:
    struct Msg {
        QString text;
        int style;
        QString title;
    };
    struct Input {
        QString prompt, title, defaultText;
    };

    FakeUi();
    ~FakeUi() override;
    FakeUi(const FakeUi &) = delete;
    FakeUi &operator=(const FakeUi &) = delete;

    // A message answer that presses the box's default button, as Enter does.
    static constexpr int Enter = 0;

    // Answers, consumed in order.
    std::deque<int> msgAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QString> fileAnswers;
    std::deque<int64_t> colorAnswers;

    // What was asked.
    std::vector<Msg> msgs;
    std::vector<Input> inputs;
    std::vector<FileDialogRequest> fileRequests;
    int colorRequests = 0;
    std::vector<int64_t> colorStarts; // the colour each colour dialog opened at
    QStringList links;      // every link asked to open
    bool linksOpen = true;  // false: the desktop has no browser

    int msgBox(const QString &text, int style, const QString &title) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                    const QString &defaultText) override;
    QString fileDialog(const FileDialogRequest &req) override;
    int64_t pickColor(int64_t initial) override;
    bool openLink(const QString &url) override;

    // Texts of the messages shown so far.
    QStringList msgTexts() const;
    // The messages shown so far are one critical box titled "Prompt" with
    // this text; for an empty text, no message was shown at all.
    ::testing::AssertionResult shownPrompt(const QString &text) const;

private:
    UiServices *previous_;
};

} // namespace qx::test
