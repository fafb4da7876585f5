#pragma once
// The receive routine and the reading presentation are not the subject of
// the quick-charge tests and demo: SimReadings stands in for them, writing
// the voltage and current of each data frame of channel 0 that arrives on
// device Index's port into the readouts of its panel, with the USB tester's
// pictures ("0.000" below 9.999 V, else "00.00"; current "0.000" from its
// 0.1 mA units).
#include "link/COMM.h"
#include "link/FrameReader.h"
#include "link/Frames.h"
#include "link/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "platform/Numbers.h"

#include <QTimer>

#include <vector>

namespace qx::test {

// Frames of device Index's port into the readouts of its panel's channel 0.
class SimReadings {
public:
    SimReadings(frmMain &w, int Index) : w_(w), index_(Index)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(20);
    }

private:
    void poll()
    {
        for (;;) {
            int32_t n = 0;
            const std::vector<uint8_t> bytes = COMM::ReadComm(PortHandle[index_], n);
            if (n <= 0)
                return;
            for (const Frames::DevBytes &b : reader_.feed(bytes).frames) {
                const Frames::FrameFields f = Frames::decode(b);
                if (f.isParameter() || f.channel != 0)
                    continue;
                const double v = f.volts();
                DevCtrl &p = w_.DevCtrl(index_);
                p.set_tVol(0, num::format(v, v < 9.999 ? u"0.000" : u"00.00"));
                p.set_tCur(0, num::format(f.current / 10000.0, u"0.000"));
            }
        }
    }

    frmMain &w_;
    int index_;
    FrameReader reader_;
    QTimer timer_;
};

} // namespace qx::test
