#pragma once
// How a readout value becomes cell characters: normalising the text,
// splitting off the exponent, the glyph of each character, where the
// decimal point, colon and thousands marks go. Pure text work.
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace qx::lcd {

// Glyph patterns: seven "0"/"1" characters for segments a..g. Entries 0-9
// are the digits, 10 blank, 11 minus, 12-17 A, b, C, d, E, F.
constexpr int GlyphBlank = 10;
constexpr int GlyphMinus = 11;
extern const std::array<const char *, 18> kGlyphs;

// Upper case, and "0" in front of a leading ".".
QString normaliseValue(const QString &value);

// The main text and the exponent text of a normalised value. Without "E+" or
// "E-" the exponent is numDigitsExp blanks; otherwise its first character is
// the sign cell (blank or "-") followed by the digits, cut to fit the group
// (with a ":" in the value the digits fill the whole group and the sign is
// cut off by the right alignment). numDigitsExp 0 gives an empty exponent.
struct SplitText {
    QString main, exponent;
};
SplitText splitValue(const QString &value, int numDigitsExp);

// The glyph of one character: blank (10, or -1 = only wiped when showBurnIn
// is off), minus, A-F, digits; any other character shows as 0.
int glyphIndex(QChar c, bool showBurnIn);

// Right alignment: blanks in front up to n characters, only the rightmost n kept.
QString alignRight(const QString &text, int n);

// Removes the first of the separator characters found (tried in the order
// given) and returns the 0-based cell that shows the character before it
// once the text is right-aligned to numDigits cells; it may lie outside
// 0..numDigits-1 when the separator falls in the cut-off part. Nothing when
// the text holds none of them.
std::optional<int> takeSeparator(QString &text, int numDigits, QStringView separators);

// The thousands flags of a main text (before its point and colon are
// removed): flag k set means a mark follows main cell k. A mark follows
// every digit that has a multiple of grouping digits between it and the
// decimal point (or the end), never the sign and never a cell left of the
// first cell. grouping below 1 gives no marks.
std::vector<bool> findThousandsMarks(const QString &text, int numDigits, int grouping);

} // namespace lcd
