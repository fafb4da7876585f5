#pragma once
// Simplified to traditional Chinese, character for character, with the
// character dictionary STCharacters (no phrase conversion). Every character
// maps to at most one character, so the result has as many characters as
// the text; characters without a traditional form (all ASCII among them)
// stay as they are.
#include <QString>

namespace qx::textmap {

// The mapped text. When the dictionary cannot be loaded the text comes back
// unchanged (the failure is reported once as an unhandled error).
QString simpToTrad(const QString &text);

// Whether the dictionary is loaded (loads it on first use).
bool dictionaryLoaded();

// The dictionary file: STCharacters.ocd2 in OpenCC's data folder.
QString dictionaryPath();
// Loads the dictionary from another file instead (tests); the next use loads
// it again. Not for use while other threads map text.
void setDictionaryPath(const QString &path);

} // namespace qx::textmap
