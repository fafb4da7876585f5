#pragma once
// Text rules of the device panel that need no screen: page tab captions and
// keys, and the run-time text of the one-channel time readout.
#include <QString>

namespace qx::panel {

// Caption of a page tab added at position val with key key (before the text
// mapping): "Single Test" for 1, "Auto Test" for 2 with "key2", otherwise
// "Cycle Test".
QString tabCaption(int val, const QString &key);

// The page a tab key brings up: 1 "key1", 2 "key2", 3 any other key.
int pageOfKey(const QString &key);

// The time readout's value for a run-time text: the hours and minutes go to
// the main digits and the seconds to the exponent digits, so "12:34:56" is
// "12:34E+56" and "100:00:00" is "100:00E+00". A text that does not end in
// ":ss" gives its first 5 characters, "E+" and its last 2 characters.
QString timeToReadout(const QString &text);

// The run-time text of a readout value: the main part, ":" and the last two
// characters ("12:34E+56" gives "12:34:56").
QString readoutToTime(const QString &value);

} // namespace panel
