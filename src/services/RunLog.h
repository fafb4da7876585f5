#pragma once
// The run log of a channel (".bak" beside the program): a header written at
// the run start and one line per reading while the channel runs, each line
// on the disk as soon as it is appended, so that a run can be continued
// after the program lost its record of it. Text is UTF-8 with CR LF line ends; readers accept
// LF alone.
//
//   -----------QX Tester Software------------
//   Device:<model>
//   Mode:<mode summary>
//   Begin Volt:<voltage>V
//   ------------Run Log--------------
//   Time(S)<TAB>Cur(A)<TAB>Vol(V)[<TAB>Temp(C)]     ("Cur(mA)" for type 40)
//   <seconds><TAB><current><TAB><voltage>[<TAB><temperature>]
//
// Between the data lines the program keeps three records of its own, which
// a reader that knows only the lines above passes over (they begin with
// neither a digit nor a header caption):
//   Settings:<mode>,<set>,<limit>,<third>   the device's settings, raw, as
//       its first data frame of the run reported them and again whenever
//       they change (Set, the sweep's steps);
//   Carried:<Ah>   the run's charge that the device's count does not hold:
//       the device began counting again from 0 when a Continue reached it;
//   End:<seconds>,<Ah>  the program saw the run end (the device went idle,
//       or the link ended after the user's Stop went out), with the run's
//       capacity then: the device's own figure for the charge so far.
//
// A crash or power loss can leave the last line without its line end (torn).
// Readers skip such a line and any malformed data line; LineWriter cuts a
// torn tail off before it writes, so a new line is never glued onto it.
// No painting here.
#include "platform/SaveFile.h"
#include "services/RunSettings.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace qx::runlog {

inline const QString Title = QStringLiteral("-----------QX Tester Software------------");
inline const QString SiteLine = QStringLiteral("------------Run Log--------------");

// Captions and cells of the result grid that the header repeats.
struct Header {
    QString deviceCaption, model;     // header cell 0, row cell 0
    QString modeCaption, mode;        // header cell 1, row cell 1
    QString beginCaption, beginVolt;  // header cell 2, row cell 2
    bool temperature = false;         // a temperature column follows the voltage
    bool milliAmps = false;           // type 40: currents in mA
};

QStringList headerLines(const Header &h);
// "Time(S)" TAB "Cur(A)" TAB "Vol(V)" [TAB "Temp(C)"], "Cur(mA)" for milliAmps.
QString columnLine(bool temperature, bool milliAmps);

// One data line (without its line end): seconds, the current through
// curPicture ("00.00" or "0.000"), the voltage through "0.000" and the
// temperature through "0.0" when given.
QString dataLine(int32_t secs, float cur, const QString &curPicture, float vol, std::optional<float> temp);

// The program's own records (see above), without their line ends.
QString settingsRecord(const RunSettings &s);
QString carriedRecord(double ah);
QString endRecord(int32_t secs, double ah);

// Replaces the file with the header lines. QxError(ErrFileIo) on failure.
void writeHeader(const QString &path, const Header &h);
// Appends the data lines of one channel's run log, the file kept open from
// one line to the next (savefile::Appender): each line with its CR LF in
// one write; a torn last line (no line end) is cut off first.
class LineWriter {
public:
    // QxError(ErrFileIo) when the file cannot be opened or written.
    void append(const QString &path, const QString &line);
    // The file is let go (a new run's header replaces it).
    void close() { out_.close(); }

private:
    savefile::Appender out_;
};

struct Point {
    int32_t t = 0;  // whole seconds
    double cur = 0; // A (mA on type 40)
    double vol = 0; // V
};

// What a run log holds, as far as its lines are well formed.
struct Contents {
    std::optional<QString> model, mode, beginVolt; // text after the colon
    std::vector<Point> points;
    // Line numbers (from 1) of skipped lines: malformed data lines and a
    // torn last line.
    std::vector<int> skipped;
    // The program's records: the last settings and carried charge (0 when
    // none), whether an end record follows every data line and record, and
    // the last end record's capacity with the number of data lines before it.
    std::optional<RunSettings> settings;
    double carried = 0;
    bool ended = false;
    std::optional<double> endCharge;
    size_t pointsAtEnd = 0;
};

// The run's charge as the log gives it, in the current's unit times hours:
// the capacity of its last end record (the device's count when the run
// ended) and each later data line's current over the seconds since the line
// before it; without an end record every data line's, from second 0.
double charge(const Contents &c);

// Reads a run log; nullopt when the file cannot be opened or read.
// Header lines are taken when they carry a value (the device line is longer
// than "Device:" plus one character, the mode line than "Mode:" plus one,
// the begin line than "Begin Volt:" plus one). A line whose first character
// is a digit is a data line: 3 fields (4 with a temperature column), split by
// TAB, each a number; the column count follows the column line when there is
// one. The program's records are taken when well formed (a malformed one is
// passed over, as a reader without them would). Every other line is ignored.
std::optional<Contents> read(const QString &path);

} // namespace qx::runlog
