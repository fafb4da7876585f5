#pragma once
// What the quick-charge windows use of the main window's operations: the
// adjust requests and the start and stop commands of a device's channel.
// The main window registers itself at start-up; while nothing is registered
// the windows send nothing.
//
// Every operation names its device and channel: a window acts on the device
// and channel it was opened or started for, whichever tab is selected later.
namespace qx::tools {

class MainOps {
public:
    virtual ~MainOps() = default;
    // Quick-charge request code val (0-3 a QC2.0 level, 4 QC3.0 mode, 5 and
    // 6 a QC3.0 step up and down).
    virtual void RemoteQC(int Index, int chn, int val) = 0;
    // Step of the pulse protocol: 1 up, 0 down.
    virtual void RemotePE(int Index, int chn, int val) = 0;
    // New set current (A) of a running channel.
    virtual void RemoteSet(int Index, int chn, float val) = 0;
    // The panel's Start and Stop commands for the channel.
    virtual void RunClick(int Index, int chn) = 0;
    virtual void StopClick(int Index, int chn) = 0;
};

// The registered operations, or null.
MainOps *mainOps();
// Registers the operations (null to clear); returns the previous ones.
MainOps *setMainOps(MainOps *ops);

} // namespace qx::tools
