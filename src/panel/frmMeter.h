#pragma once
// The floating meter of the USB tester's meter mode: current with four
// decimals, voltage, power and the voltages of the data lines D+ and D-.
// qx::MeterOpen is True exactly while it is loaded, shown or hidden.
#include "panel/frmDisp.h"

class frmMeter : public FloatingReadout {
    Q_OBJECT
public:
    frmMeter();   // Form_Load: sets MeterOpen
    ~frmMeter() override;  // Form_Unload: clears MeterOpen
};

// The default instance of frmMeter: get() loads it hidden (setting
// MeterOpen), unload() clears MeterOpen.
qx::FormHolder<frmMeter> &frmMeterForm();
