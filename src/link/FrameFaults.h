#pragma once
// What a link loses on the wire, counted per device so that the error log
// can tell a user with a bad cable why the curve has gaps: every frame the
// frame reader drops (a bad checksum, a byte of 240 or more, too short, too
// long, a channel digit above 1, or opened and never closed) and every byte
// that belongs to no frame (noise, a stray end marker). Bytes before the
// link's first start marker are not counted (a port opened in the middle of
// a frame starts with its tail), nor are the rest of an overlong frame once
// it was dropped.
//
// The first fault of a link is due for a report at once, later ones at
// most once a minute (ReportMs after the last report), with what was
// counted since; what is left when the link ends is reported then.
#include "link/FrameReader.h"

#include <QString>
#include <cstdint>

namespace qx {

class FrameFaults {
public:
    static constexpr int64_t ReportMs = 60000;

    // A new link: nothing counted, nothing reported yet.
    void restart() { *this = FrameFaults(); }
    // Takes b into rx as takeByte does, counting what is lost with it.
    RxEvent take(RxView rx, uint8_t b);
    // Faults were counted since the last report.
    bool pending() const { return frames_ > 0 || bytes_ > 0; }
    // A report is due at nowMs (milliseconds of a steady clock).
    bool due(int64_t nowMs) const;
    // "3 bad frames, 12 stray bytes"; the counts start again, and nowMs is
    // the time of this report.
    QString report(int64_t nowMs);

private:
    int64_t frames_ = 0, bytes_ = 0;
    bool started_ = false;  // a start marker came on this link
    bool dropping_ = false; // the rest of an overlong frame is coming
    bool reported_ = false; // a report was made on this link
    int64_t lastReport_ = 0;
};

} // namespace qx
