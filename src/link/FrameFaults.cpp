#include "link/FrameFaults.h"

#include <QStringList>

namespace qx {

RxEvent FrameFaults::take(RxView rx, uint8_t b)
{
    const bool inFrame = rx.RxActive;
    const RxEvent ev = takeByte(rx, b);
    switch (ev) {
    case RxEvent::Start:
        if (inFrame) // a frame opened and never closed
            ++frames_;
        started_ = true;
        dropping_ = false;
        break;
    case RxEvent::Dropped:
        ++frames_;
        dropping_ = true;
        break;
    case RxEvent::BadFrame:
    case RxEvent::BadChannel:
        ++frames_;
        break;
    case RxEvent::Stray:
        if (started_ && !dropping_)
            ++bytes_;
        dropping_ = false;
        break;
    case RxEvent::None:
        if (!inFrame && started_ && !dropping_)
            ++bytes_;
        break;
    case RxEvent::Frame:
        break;
    }
    return ev;
}

bool FrameFaults::due(int64_t nowMs) const
{
    return pending() && (!reported_ || nowMs - lastReport_ >= ReportMs);
}

QString FrameFaults::report(int64_t nowMs)
{
    const auto count = [](int64_t n, const char *one, const char *many) {
        return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    QStringList parts;
    if (frames_ > 0)
        parts << count(frames_, "bad frame", "bad frames");
    if (bytes_ > 0)
        parts << count(bytes_, "stray byte", "stray bytes");
    frames_ = bytes_ = 0;
    reported_ = true;
    lastReport_ = nowMs;
    return parts.join(QStringLiteral(", "));
}

} // namespace qx
