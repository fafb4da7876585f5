#include "services/State.h"

#include <type_traits>

namespace qx {

DevTable<int32_t> PortHandle;
DevTable<int> DevType;
DevTable<int32_t> DevVer;
DevTable<float> MaxCur;
DevTable<float> MaxVol;
DevTable<float> MinCur;
DevTable<float> MinVol;
DevTable<int> VolScale;
DevTable<int> CurScale;
DevTable<int> PwrScale;
DevTable<int> LastDisMode;
DevTable<int> LastChgMode;
DevTable<bool> CvFlag;

ChnTable<bool> Running;
ChnTable<Counter> TestSecs;
ChnTable<Counter> TotalSecs;
ChnTable<int32_t> RunStartPt;
ChnTable<Counter> TickFlag;
ChnTable<Counter> TickId;

int CurDev = 0;
int DevCount = 0;
bool DlgDone = false;
bool AdjOpen = false;
bool MeterOpen = false;
bool UsbOpen = false;
float ResVolt = 0;
int LangTrad = 0;
QString IniFile;
bool OptSave = false;
bool OptHide = false;
bool OptMsg = false;
bool OptDisp = false;
bool OptCsv = false;
int OptCsvT = 0;
int OptSla = 0;
int OptScale = 0;
int OptSah = 0;
int OptSwh = 0;
bool OptXTime = false;

namespace {
DevTable<DeviceState> devices;
ChnTable<ChannelState> channels;

template <class T>
void clear(DevTable<T> &t)
{
    for (auto &v : t)
        v = T{};
}

template <class T>
void clear(ChnTable<T> &t)
{
    for (auto &row : t)
        for (auto &v : row) {
            if constexpr (std::is_same_v<T, Counter>)
                v.store(0);
            else
                v = T{};
        }
}
} // namespace

DeviceState &dev(int i) { return devices[i]; }
ChannelState &chan(int i, int c) { return channels[i][c]; }

void resetRun(ChannelState &c)
{
    c.Cap = 0;
    c.Energy = 0;
    c.VolSum = 0;
    c.CapSecs = 0;
    c.CapOffset = 0;
    c.CapBase = 0;
    c.CapResume = false;
    c.TakeOver = false;
    c.RunVolText.clear();
    c.MinutesSent = 0;
    c.BakName.clear();
    c.LoggedSettings.reset();
    c.LogEnded = false;
}

SlotState saveSlot(int i)
{
    SlotState s;
    s.portHandle = PortHandle[i];
    s.devType = DevType[i];
    s.devVer = DevVer[i];
    s.maxCur = MaxCur[i];
    s.maxVol = MaxVol[i];
    s.minCur = MinCur[i];
    s.minVol = MinVol[i];
    s.volScale = VolScale[i];
    s.curScale = CurScale[i];
    s.pwrScale = PwrScale[i];
    s.lastDisMode = LastDisMode[i];
    s.lastChgMode = LastChgMode[i];
    s.cvFlag = CvFlag[i];
    for (int c = 0; c < ChnSlots; ++c) {
        const auto k = std::size_t(c);
        s.running[k] = Running[i][c];
        s.testSecs[k] = TestSecs[i][c].load();
        s.totalSecs[k] = TotalSecs[i][c].load();
        s.runStartPt[k] = RunStartPt[i][c];
        s.channels[k] = chan(i, c);
    }
    s.device = dev(i);
    return s;
}

void restoreSlot(int i, const SlotState &s)
{
    PortHandle[i] = s.portHandle;
    DevType[i] = s.devType;
    DevVer[i] = s.devVer;
    MaxCur[i] = s.maxCur;
    MaxVol[i] = s.maxVol;
    MinCur[i] = s.minCur;
    MinVol[i] = s.minVol;
    VolScale[i] = s.volScale;
    CurScale[i] = s.curScale;
    PwrScale[i] = s.pwrScale;
    LastDisMode[i] = s.lastDisMode;
    LastChgMode[i] = s.lastChgMode;
    CvFlag[i] = s.cvFlag;
    for (int c = 0; c < ChnSlots; ++c) {
        const auto k = std::size_t(c);
        Running[i][c] = s.running[k];
        TestSecs[i][c].store(s.testSecs[k]);
        TotalSecs[i][c].store(s.totalSecs[k]);
        RunStartPt[i][c] = s.runStartPt[k];
        chan(i, c) = s.channels[k];
    }
    dev(i) = s.device;
}

void resetState()
{
    clear(PortHandle);
    clear(DevType);
    clear(DevVer);
    clear(MaxCur);
    clear(MaxVol);
    clear(MinCur);
    clear(MinVol);
    clear(VolScale);
    clear(CurScale);
    clear(PwrScale);
    clear(LastDisMode);
    clear(LastChgMode);
    clear(CvFlag);

    clear(Running);
    clear(TestSecs);
    clear(TotalSecs);
    clear(RunStartPt);
    clear(TickFlag);
    clear(TickId);

    CurDev = 0;
    DevCount = 0;
    DlgDone = false;
    AdjOpen = false;
    MeterOpen = false;
    UsbOpen = false;
    ResVolt = 0;
    LangTrad = 0;
    IniFile.clear();
    OptSave = OptHide = OptMsg = OptDisp = OptCsv = OptXTime = false;
    OptCsvT = OptSla = OptScale = OptSah = OptSwh = 0;

    clear(devices);
    clear(channels);
    applyStartValues();
}

void applyStartValues()
{
    MaxCur[0] = 10.0f;
    MaxVol[0] = 60.0f;
    CurScale[0] = 100;
    VolScale[0] = 100;
    ResVolt = 0;
    DevCount = 1;
    CurDev = 0;
    DeviceState &d = dev(0);
    d.PlotVMax = d.PlotVMin = d.PlotIMax = d.PlotIMin = 0;
    d.CurveMaxT = 0;
    chan(0, 0).Mode = 0;
}

namespace {
// The tables hold their program-start values from the beginning.
[[maybe_unused]] const bool startValuesApplied = (applyStartValues(), true);
} // namespace

} // namespace qx
