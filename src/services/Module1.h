#pragma once
// Settings access: single values of the settings file (always called with
// qx::IniFile as the file). A read that fails yields the default; a write
// that fails leaves the file as it was and is logged ("ErrIni").
#include <QString>
#include <cstdint>
#include <optional>

namespace qx::Module1 {

// The stored value, cut to 254 characters; the default when the file, the
// section or the key is missing or the value is empty.
QString ReadIni(const QString &file, const QString &section, const QString &key, const QString &def);
// Writes one value (creating file, section and key as needed); non-zero on success.
// A failure (a full disk, a folder that cannot be written) keeps the file whole.
int WriteIni(const QString &file, const QString &section, const QString &key, const QString &value);

// Typed reads of the settings' value forms. A value that does not convert to
// its form (text where a number is expected, a number too large for the
// field) counts as a missing key and yields the default.
// Boolean: "True"/"False" in any case, or a number (0 = False, else True).
bool ReadIniBool(const QString &file, const QString &section, const QString &key, bool def);
// Integer (floor): the number, then the largest integer not above it (1.7 -> 1, -0.5 -> -1).
int32_t ReadIniFloor(const QString &file, const QString &section, const QString &key, int32_t def);
// Integer (nearest): halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int32_t ReadIniNearest(const QString &file, const QString &section, const QString &key, int32_t def);
// Real: a 32-bit float.
float ReadIniReal(const QString &file, const QString &section, const QString &key, float def);
// Colour (0x00BBGGRR as decimal text): a number, then floor; a 32-bit value.
uint32_t ReadIniColor(const QString &file, const QString &section, const QString &key, uint32_t def);

// The conversions themselves, for a value already read; std::nullopt when
// the text does not convert.
std::optional<bool> toIniBool(const QString &text);
std::optional<int32_t> toIniFloor(const QString &text);
std::optional<int32_t> toIniNearest(const QString &text);
std::optional<float> toIniReal(const QString &text);
std::optional<uint32_t> toIniColor(const QString &text);

} // namespace Module1
