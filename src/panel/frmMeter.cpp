#include "panel/frmMeter.h"

#include "services/State.h"

frmMeter::frmMeter()
    : FloatingReadout(Layout{4185, 1695, "USB测量", 5, 1605, 600, 3720, 120, "00.000", "0.0000", "000.00",
                             "D+", "D-", false})
{
    setObjectName(QStringLiteral("frmMeter"));
    qx::MeterOpen = true;
}

frmMeter::~frmMeter() { qx::MeterOpen = false; }

qx::FormHolder<frmMeter> &frmMeterForm()
{
    static qx::FormHolder<frmMeter> holder;
    return holder;
}
