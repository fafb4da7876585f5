#pragma once
// Reader and writer of profile files (qx.ini): lines "[SECTION]" followed by
// "key=value" lines. Section and key names match without regard to case;
// names and values are trimmed of blanks when read. Lines starting with ";"
// are comments. Every line the program does not touch (comments, unknown
// lines, other sections and keys, their line ends) stays as it is: a write
// replaces the one value in place, or adds the key at the end of its section,
// or adds the section (with the key) at the end of the file. Written lines
// end with CR LF; CR LF and LF are both read. Text is UTF-8; a file written
// on Windows in its ANSI code page reads as such (platform/TextDecode.h),
// and the first write turns it into UTF-8, every line as it reads.
#include <QString>
#include <optional>

namespace qx::profile {

// The value of key in section; std::nullopt when the file, the section or
// the key is missing or the file cannot be read. Reading never creates the
// file. The first of several equal sections or keys counts. A file is read
// and parsed once and its values reused until it changes: a write through
// write() or another program's change (a new file in its place, another
// size, modification or change time) makes the next read parse it anew.
std::optional<QString> read(const QString &path, const QString &section, const QString &key);

// Writes key=value into section, creating the file and the section when
// needed (the folder must exist). The file is replaced as a whole through
// the save door (SaveFile.h), so a failed write (a full disk among others)
// leaves it unchanged. Refuses (returns false, writes nothing) an empty
// section or key, a section name holding "]", a key holding "=" or starting
// with "[" or ";", and any line break in section, key or value, since those
// would break the file's lines. On failure *reason says why.
bool write(const QString &path, const QString &section, const QString &key, const QString &value,
           QString *reason = nullptr);

} // namespace qx::profile
