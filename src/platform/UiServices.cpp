#include "platform/UiServices.h"
#include "platform/Colors.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace qx {

namespace {
UiServices *&current()
{
    static UiServices *s = nullptr;
    return s;
}
QtUiServices &qtServices()
{
    static QtUiServices s;
    return s;
}
} // namespace

UiServices &ui() { return current() ? *current() : qtServices(); }

int defaultAnswer(int style)
{
    const bool second = style & MbDefaultButton2;
    switch (style & 0x7) {
    case MbOkCancel: return second ? MrCancel : MrOk;
    case MbYesNoCancel:
    case MbYesNo: return second ? MrNo : MrYes;
    default: return MrOk;
    }
}

UiServices *setUi(UiServices *services)
{
    UiServices *old = current();
    current() = services;
    return old;
}

int QtUiServices::msgBox(const QString &text, int style, const QString &title)
{
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(text);
    // An address or a path in a message can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (style & 0x70) {
    case MbCritical: box.setIcon(QMessageBox::Critical); break;
    case MbQuestion: box.setIcon(QMessageBox::Question); break;
    case MbExclamation: box.setIcon(QMessageBox::Warning); break;
    case MbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (style & 0x7) {
    case MbOkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MbYesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MbYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (defaultAnswer(style)) {
    case MrCancel: box.setDefaultButton(QMessageBox::Cancel); break;
    case MrYes: box.setDefaultButton(QMessageBox::Yes); break;
    case MrNo: box.setDefaultButton(QMessageBox::No); break;
    default: box.setDefaultButton(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return MrCancel;
    case QMessageBox::Yes: return MrYes;
    case QMessageBox::No: return MrNo;
    default: return MrOk;
    }
}

std::optional<QString> QtUiServices::inputBox(const QString &prompt, const QString &title,
                                              const QString &defaultText)
{
    bool ok = false;
    QString s = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return s;
}

QStringList fileDialogFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString named = QLatin1Char('(') + parts[i + 1] + QLatin1Char(')');
        filters << (parts[i].contains(named) ? parts[i] : parts[i] + QLatin1Char(' ') + named);
    }
    return filters;
}

QString QtUiServices::fileDialog(const FileDialogRequest &req)
{
    const QStringList filters = fileDialogFilters(req.filter);
    QFileDialog dlg(nullptr, req.title, req.initialDir);
    dlg.setAcceptMode(req.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(req.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    if (!req.defaultExt.isEmpty())
        dlg.setDefaultSuffix(req.defaultExt);
    if (!req.defaultName.isEmpty())
        dlg.selectFile(req.defaultName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

int64_t QtUiServices::pickColor(int64_t initial)
{
    const QColor start = initial >= 0 ? oleToColor(uint32_t(initial & 0xFFFFFF)) : QColor(Qt::black);
    QColor c = QColorDialog::getColor(start);
    if (!c.isValid())
        return -1;
    return colorToOle(c);
}

bool QtUiServices::openLink(const QString &url) { return QDesktopServices::openUrl(QUrl(url)); }

} // namespace qx
