#pragma once
// The quick-charge windows against a simulated USB tester (type 26,
// firmware 3.20) on COM3: the main window with device 0's port opened
// through the program's serial layer, the device's model values set as its
// identification would set them, and what the device received as frame
// texts ("FA 07 00 ... F8").
// Tests of the load test add SimReadings (the device's readings presented
// on its panel).
#include "mainwin/MainFixture.h"

#include "DevSim.h"
#include "SimReadings.h"
#include "common/Hex.h"
#include "common/Loopback.h"
#include "link/COMM.h"
#include "panel/DevCtrl.h"
#include "tools/frmQC.h"
#include "tools/frmUSB.h"

#include <string>
#include <vector>

namespace qx::test {

class QcFixture : public MainFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.start()) << sim.error().toStdString();
        w = &load();
        PortHandle[0] = COMM::OpenComm(3);
        ASSERT_NE(PortHandle[0], 0);
        DevType[0] = 26;
        DevVer[0] = 320;
        CurScale[0] = 1000;
        VolScale[0] = 100;
        PwrScale[0] = 1;
        MaxCur[0] = 4;
        MaxVol[0] = 21;
        w->DevCtrl(0).set_tVol(0, QStringLiteral("5.100"));
    }
    void TearDown() override
    {
        frmUSBForm().unload();
        frmQCForm().unload();
        COMM::CloseComm(PortHandle[0]);
    }

    // Waits until the device has received `count` frames since the last
    // take(), then hands them over as texts.
    std::vector<std::string> take(size_t count, int timeoutMs = 5000)
    {
        waitUntil([&] { return sim.commands().size() >= taken_ + count; }, timeoutMs);
        return takeAll();
    }
    // Every frame received since the last take().
    std::vector<std::string> takeAll()
    {
        const std::vector<sim::SimCommand> all = sim.commands();
        std::vector<std::string> out;
        for (size_t k = taken_; k < all.size(); ++k)
            out.push_back(text(all[k]));
        taken_ = all.size();
        return out;
    }
    // Nothing more was sent: the next frame the device sees is a connect
    // frame written now.
    void expectNothingMore()
    {
        w->SendConnect(0);
        EXPECT_EQ(take(1), (std::vector<std::string>{"FA 05 00 00 00 00 00 00 05 F8"}));
    }
    double usbVolts()
    {
        double v = 0;
        sim.withDevice([&](sim::SimDevice &d) { v = d.usbVolts(); });
        return v;
    }

    static std::string text(const sim::SimCommand &c)
    {
        std::vector<uint8_t> b{0xFA, uint8_t(c.commandByte)};
        b.insert(b.end(), c.d.begin(), c.d.end());
        b.push_back(uint8_t(c.checksum));
        b.push_back(0xF8);
        return hexText(b).toStdString();
    }

    sim::DevSim sim{{.home = home.path(), .com = 3, .type = 26, .firmware = 320, .rate = 20}};
    frmMain *w = nullptr;

private:
    size_t taken_ = 0;
};

} // namespace qx::test
