#pragma once
// The program's message box: titled "Prompt", title and text passed through
// Module3::LangText, shown through qx::ui().
#include <QString>

namespace qx {

// Shows text with the given MsgStyle (buttons + icon); returns the answer.
int promptBox(const QString &text, int style);

// Opens one of the program's web pages in the desktop's browser; when that
// is not possible, tells the address instead ("Please visit <url>").
void openWebPage(const QString &url);

} // namespace qx
