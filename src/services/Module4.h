#pragma once
// The open/save file dialog and the colour dialog, shown through qx::ui().
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace qx::Module4 {

// Shows the open (save = false) or save dialog. filter is one
// "description|pattern" pair; defaultExt has no dot. Returns the chosen full
// path, or "" on cancel or failure. A default name longer than 260
// characters returns "" without showing anything. A dialog that returns
// less than 20 ms after it was shown is shown once more with an empty name,
// and only that second answer counts. The owner is not used. Without an
// initial folder the dialog opens in the folder of the last file chosen in
// any of the program's file dialogs, else in the home folder's Data (the
// home folder when there is no Data).
QString ShowFileDialog(QWidget *owner, bool save, const QString &title, const QString &filter,
                       const QString &defaultName, const QString &defaultExt, const QString &initialDir);

// Forgets the folder of the last file chosen (the next dialog opens in Data).
void forgetLastFolder();

// The date and time with which saved files' names begin: year, month, day,
// hour, minute and second as plain numbers joined by "-" ("2024-3-7-9-5-0").
QString DateStamp(const QDateTime &t);

// The colour dialog, opening at the colour `initial` (0x00BBGGRR; -1:
// black): the chosen colour as 0x00BBGGRR (0 is black), or -1 on cancel.
int32_t PickColor(int32_t initial = -1);

// The millisecond clock ShowFileDialog measures with (monotonic). A scripted
// dialog answers at once, so a test either scripts two answers or sets a
// clock here; an empty function restores the steady clock. Returns the
// previous one.
using TickSource = std::function<int64_t()>;
TickSource setTickSource(TickSource source);

} // namespace Module4
