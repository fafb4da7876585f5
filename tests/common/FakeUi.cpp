#include "common/FakeUi.h"

namespace qx::test {

FakeUi::FakeUi() : previous_(setUi(this)) {}
FakeUi::~FakeUi() { setUi(previous_); }

int FakeUi::msgBox(const QString &text, int style, const QString &title)
{
    msgs.push_back({text, style, title});
    if (!msgAnswers.empty()) {
        const int a = msgAnswers.front();
        msgAnswers.pop_front();
        return a == Enter ? defaultAnswer(style) : a;
    }
    return (style & 7) == MbOkOnly ? MrOk : MrCancel;
}

std::optional<QString> FakeUi::inputBox(const QString &prompt, const QString &title,
                                        const QString &defaultText)
{
    inputs.push_back({prompt, title, defaultText});
    std::optional<QString> a;
    if (!inputAnswers.empty()) {
        a.swap(inputAnswers.front());
        inputAnswers.pop_front();
    }
    return a;
}

QString FakeUi::fileDialog(const FileDialogRequest &req)
{
    fileRequests.push_back(req);
    if (!fileAnswers.empty()) {
        QString a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
    return QString();
}

int64_t FakeUi::pickColor(int64_t initial)
{
    ++colorRequests;
    colorStarts.push_back(initial);
    if (!colorAnswers.empty()) {
        int64_t a = colorAnswers.front();
        colorAnswers.pop_front();
        return a;
    }
    return -1;
}

bool FakeUi::openLink(const QString &url)
{
    links << url;
    return linksOpen;
}

QStringList FakeUi::msgTexts() const
{
    QStringList l;
    for (const auto &m : msgs)
        l << m.text;
    return l;
}

::testing::AssertionResult FakeUi::shownPrompt(const QString &text) const
{
    const bool ok = text.isEmpty()
        ? msgs.empty()
        : msgs.size() == 1 && msgs[0].text == text && msgs[0].style == MbCritical && msgs[0].title == "Prompt";
    if (ok)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << "wanted " << (text.isEmpty() ? std::string("no message") : "the prompt \"" + text.toStdString() + '"')
            << ", shown:";
    for (const Msg &m : msgs)
        failure << " [" << m.title.toStdString() << ", style " << m.style << ": " << m.text.toStdString() << ']';
    return failure;
}

} // namespace qx::test
