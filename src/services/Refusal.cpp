#include "services/Refusal.h"

#include "services/Prompt.h"
#include "platform/UiServices.h"

namespace qx {

bool tell(Verdict v)
{
    if (v == Verdict::NotNumber)
        promptBox(QStringLiteral("Invalid value!"), MbCritical);
    else if (v == Verdict::OutOfRange)
        promptBox(QStringLiteral("Setting value out of range!"), MbCritical);
    return v == Verdict::Accepted;
}

} // namespace qx
