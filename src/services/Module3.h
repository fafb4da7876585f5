#pragma once
// Interface text in traditional Chinese characters when the language option
// asks for it.
#include <QString>

namespace qx::Module3 {

// The text mapped to traditional characters, character for character (same
// length; characters without a traditional form, ASCII among them, unchanged).
QString SimpToTrad(const QString &text);
// SimpToTrad(text) when qx::LangTrad is 1, otherwise the text unchanged.
QString LangText(const QString &text);

} // namespace Module3
