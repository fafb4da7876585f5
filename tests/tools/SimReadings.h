#pragma once
// The receive routine is not the subject of the quick-charge tests and
// demo: SimReadings stands in for it. Each data frame of channel 0 that
// arrives on device Index's port gives the channel its voltage and current
// (the USB tester reports 0.1 mA units) and whether it runs, and goes to
// the main window's reading presentation, which writes the panel's
// readouts that the windows read.
#include "link/COMM.h"
#include "link/FrameReader.h"
#include "link/Frames.h"
#include "services/State.h"
#include "mainwin/frmMain.h"

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
                ChannelState &c = chan(index_, 0);
                c.Vol = float(f.volts());
                c.Cur = c.CurFine = float(f.current / 10000.0);
                Running[index_][0] = f.running();
                w_.ShowReading(index_, 0);
            }
        }
    }

    frmMain &w_;
    int index_;
    FrameReader reader_;
    QTimer timer_;
};

} // namespace qx::test
