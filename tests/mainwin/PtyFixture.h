#pragma once
// A main window whose device 0 has COM3 open, the far end of that port a
// bare pseudo-terminal the test reads the program's frames from; what the
// device would report is set by the test as the receive routine sets it.
// The error log's clock is fixed. EngineFixture makes device 0 a
// one-channel load of 100 units per A and V (type 10) for the test engines.
#include "MainFixture.h"

#include "common/RawPty.h"
#include "link/COMM.h"
#include "services/State.h"
#include "panel/DevCtrl.h"


#include <string>

namespace qx::test {

// The stop frame of channel 0.
inline const std::string Stop0 = "FA 02 00 00 00 00 00 00 02 F8";

class PtyFixture : public MainFixture {
protected:
    void SetUp() override
    {
        fixErrLogClock();
        w = &load();
        ASSERT_TRUE(pty.ok());
        PortHandle[0] = COMM::OpenComm(3);
        ASSERT_NE(PortHandle[0], 0);
    }
    void TearDown() override { COMM::CloseComm(PortHandle[0]); }
    DevCtrl &p() { return w->DevCtrl(0); }
    // The next frame on the wire, or "" when none comes.
    std::string next(int ms = 3000) { return hexText(pty.read(10, ms)).toStdString(); }

    RawPty pty{home.path(), 3};
    frmMain *w = nullptr;
};

class EngineFixture : public PtyFixture {
protected:
    void SetUp() override
    {
        PtyFixture::SetUp();
        if (HasFatalFailure())
            return;
        DevType[0] = 10;
        CurScale[0] = VolScale[0] = 100;
        PwrScale[0] = 1;
    }
};

} // namespace qx::test
