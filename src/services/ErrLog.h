#pragma once
// The dated error log: one line per failure in the home folder's Log folder,
// file "qx-" + year + month + day (plain numbers, no leading zeros) + ".log",
// for example qx-2026129.log for 9 December 2026. Line:
//   date (yyyy-MM-dd) blank time (HH:mm:ss) " V1.8.9:[" tag "]" description CR LF
// in UTF-8. Written only while the Log folder exists (it is never created
// here). The log cannot log its own failures: ErrLog only returns them.
#include <QDateTime>
#include <QString>
#include <functional>

namespace qx {

// Appends one entry. Line breaks inside tag or description become blanks so
// that an entry stays one line; an entry torn by a full disk is cut off
// before the next one. Safe to call from any thread. False when the entry
// could not be written (no Log folder, a full disk, ...).
bool ErrLog(const QString &tag, const QString &description = QString()) noexcept;

// The file name ErrLog writes to on the given day (without folder).
QString errLogFileName(const QDate &day);

// Makes ErrLog the sink of failures caught by qx::guarded (start-up calls it).
void installErrLogSink();

// Replaces the clock the log reads the date and time from (tests); an empty
// function restores the system clock. Returns the previous clock.
using ErrLogClock = std::function<QDateTime()>;
ErrLogClock setErrLogClock(ErrLogClock clock);

// Hands every entry to tap instead of writing it (a fuzz target that checks
// the entries of each of millions of inputs); an empty function restores
// the file. Returns the previous tap.
using ErrLogTap = std::function<void(const QString &tag, const QString &description)>;
ErrLogTap setErrLogTap(ErrLogTap tap);

} // namespace qx
