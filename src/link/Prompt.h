#pragma once
// The program's message box: titled "Prompt", title and text passed through
// Module3::LangText, shown through qx::ui().
#include <QString>

namespace qx {

// Shows text with the given MsgStyle (buttons + icon); returns the answer.
int promptBox(const QString &text, int style);

} // namespace qx
