#include "tools/AdjResRules.h"

#include "link/ModelTable.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

namespace qx::adjres {

float adjScale(int type, int version, int curScale)
{
    bool tenfold = false;
    switch (type) {
    case models::UsbTesterType:
        tenfold = models::isUsbTesterFrom320(type, version);
        break;
    case 5:
        tenfold = version == 310;
        break;
    case 6: case 7: case 9: case 10: case 19: case 20:
    case 31: case 32: case 33: case 35: case 36: case 38:
        tenfold = true;
        break;
    default:
        break;
    }
    return float(tenfold ? int64_t(curScale) * 10 : int64_t(curScale));
}

QString curFormat(float adjScale)
{
    if (adjScale == 100.0f)
        return QStringLiteral("0.00");
    if (adjScale == 1000.0f)
        return QStringLiteral("0.000");
    return QStringLiteral("0.0000");
}

Verdict fieldCheck(const QString &text, float max)
{
    if (!num::isNumeric(text))
        return Verdict::NotNumber;
    const double v = num::toDouble(text);
    if (v < 0 || v > double(max))
        return Verdict::OutOfRange;
    return Verdict::Accepted;
}

Point pointCheck(const QString &text, float max, const QString &reading, double scale)
{
    Point p;
    p.verdict = fieldCheck(text, max);
    if (p.verdict != Verdict::Accepted)
        return p;
    p.verdict = Verdict::OutOfRange;
    // Without a reading there is nothing to hold the entry against.
    if (!num::isNumeric(reading))
        return p;
    const double entry = num::toDouble(text);
    const float r = num::single(num::toDouble(reading));
    const float low = num::single(double(r) * 0.9);
    const float high = num::single(double(r) * 1.1);
    const float v = num::single(entry);
    if (v < low || v > high)
        return p;
    const double raw = num::roundHalfEven(entry * scale);
    // Larger values would put bytes of 240 or more inside the frame.
    if (raw < 0 || raw > Frames::MaxPair)
        return p;
    p.value = int32_t(raw);
    p.verdict = Verdict::Accepted;
    return p;
}

Frames::CmdBuf calibFrame(int chn, int sub, int32_t value)
{
    Frames::CmdBuf buf{};
    buf[2] = Frames::commandByte(chn, 0, Frames::OpCalib);
    Frames::putByte(buf, 1, sub);
    Frames::putPair(buf, 2, value);
    Frames::finishCommand(buf);
    return buf;
}

Verdict resCheck(const QString &text)
{
    if (!num::isNumeric(text))
        return Verdict::NotNumber;
    const double v = num::toDouble(text);
    if (v < 200 || v > 30000)
        return Verdict::OutOfRange;
    return Verdict::Accepted;
}

ResCurrent resCurrent(const QString &text, float maxCur, int curScale)
{
    const float limit = num::single(double(maxCur) * 1000.0);
    const double typed = num::toDouble(text);
    int32_t i = double(limit) > typed ? num::toInt16(typed) : num::toInt(double(limit));
    ResCurrent r;
    if (curScale == 100) {
        i = num::idiv(i, 10);
        r.mA = double(i) * 10.0;
    } else {
        r.mA = double(i);
    }
    r.frameValue = i;
    return r;
}

Frames::CmdBuf resFrame(int chn, int32_t value)
{
    Frames::CmdBuf buf{};
    buf[2] = Frames::commandByte(chn, 0, Frames::OpResTest);
    Frames::putPair(buf, 1, value);
    Frames::finishCommand(buf);
    return buf;
}

QString resResult(float volts, double mA)
{
    return num::format(double(volts) / mA * 1000000.0, u"0.0");
}

} // namespace qx::adjres
