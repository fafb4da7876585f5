#pragma once
// A main window beside simulated devices: at the end every tab's port is
// closed before the devices go, so that no tab sees its device hang up.
#include "LinkFixture.h"

#include "DevSim.h"
#include "link/COMM.h"

#include <memory>

namespace qx::test {

class SimLinkFixture : public LinkFixture {
protected:
    void TearDown() override
    {
        closeDevices();
        LinkFixture::TearDown();
    }
    void closeDevices()
    {
        if (w)
            for (int i = 0; i < w->viewCount(); ++i)
                COMM::CloseComm(PortHandle[i]);
        sim.reset();
    }

    std::unique_ptr<sim::DevSim> sim;
};

} // namespace qx::test
