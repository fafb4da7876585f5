#pragma once
// Every message box, input box, file dialog, colour dialog and web link of
// the program goes through this interface: the program installs the Qt
// implementation, tests a scripted fake, so no test ever waits on a dialog.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class QWidget;

namespace qx {

// Message box style: buttons + icon, as the program's message calls pass them.
enum MsgStyle : int {
    MbOkOnly = 0,
    MbOkCancel = 1,
    MbYesNoCancel = 3,
    MbYesNo = 4,
    MbCritical = 16,
    MbQuestion = 32,
    MbExclamation = 48,
    MbInformation = 64,
    // The second button (Cancel of OK/Cancel, No of Yes/No) is the one
    // Enter presses, else the first: for a question whose yes cannot be
    // undone.
    MbDefaultButton2 = 256
};
// Message box answers.
enum MsgResult : int { MrOk = 1, MrCancel = 2, MrYes = 6, MrNo = 7 };
// The answer of a box's default button (the one Enter presses).
int defaultAnswer(int style);

struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;       // one "description|pattern" pair, e.g. "step file(*.stp)|*.stp"
    QString defaultName;
    QString defaultExt;   // without the dot
    QString initialDir;
};

class UiServices {
public:
    virtual ~UiServices() = default;
    // Shows a message; returns the button chosen (MrOk for an OK-only box).
    virtual int msgBox(const QString &text, int style, const QString &title) = 0;
    // Asks for a text; std::nullopt on Cancel.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                            const QString &defaultText) = 0;
    // Open or save dialog; the chosen full path, or "" on cancel.
    virtual QString fileDialog(const FileDialogRequest &req) = 0;
    // Colour dialog opening at `initial` (0x00BBGGRR; -1: black); the chosen
    // 0x00BBGGRR, or -1 on cancel.
    virtual int64_t pickColor(int64_t initial) = 0;
    // Opens a web link in the desktop's browser; false when the desktop has
    // no way to open it (no browser found).
    virtual bool openLink(const QString &url) = 0;
};

// The name filters a file dialog shows for a "description|pattern" filter
// (pairs may repeat): the description followed by its pattern in brackets,
// or the description as it stands when it already names its pattern
// ("csv file(*.csv)").
QStringList fileDialogFilters(const QString &filter);

// The services in use (the Qt implementation unless one was installed).
UiServices &ui();
// Installs services (tests install a fake); returns the previous ones. The
// caller keeps ownership; pass nullptr to go back to the Qt implementation.
UiServices *setUi(UiServices *services);

// The Qt implementation (modal Qt dialogs).
class QtUiServices : public UiServices {
public:
    int msgBox(const QString &text, int style, const QString &title) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                    const QString &defaultText) override;
    QString fileDialog(const FileDialogRequest &req) override;
    int64_t pickColor(int64_t initial) override;
    bool openLink(const QString &url) override;
};

} // namespace qx
