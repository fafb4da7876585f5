#include "tools/QcTrigger.h"

#include "platform/Numbers.h"

namespace qx::qc {

int levelForVoltage(QStringView text)
{
    if (!num::isNumeric(text))
        return 0;
    const double v = num::toDouble(text);
    if (v > 18)
        return 3;
    if (v > 10)
        return 2;
    if (v > 8)
        return 1;
    return 0;
}

} // namespace qx::qc
