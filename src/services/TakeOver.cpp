#include "services/TakeOver.h"

#include <algorithm>
#include <cmath>

namespace qx::takeover {

bool keptCounting(double count, double charge)
{
    const double tolerance = std::max(0.1 * charge, 0.0015);
    return float(count) >= float(charge - tolerance);
}

bool ownsLog(const Facts &f)
{
    if (!f.log || f.log->points.empty() || f.log->ended)
        return false;
    if (f.log->settings && *f.log->settings != f.device)
        return false;
    if (f.usbTester)
        return f.awaySecs <= UsbAwaySecs;
    // The device ran on while the program was away: at the current it
    // reports now, give or take the changes of a discharge or a charge's
    // constant-voltage phase (hence half of it).
    const double since = std::max(0.0, runlog::charge(*f.log) - f.log->carried);
    const double away = 0.5 * std::fabs(f.current) * double(std::max<int64_t>(f.awaySecs, 0)) / 3600;
    return keptCounting(f.count, since + away);
}

} // namespace qx::takeover
