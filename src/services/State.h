#pragma once
// The state that the device link, the test engines, the main window and the
// tool windows share, for the whole run of the program (memory only).
//
// Index ranges (every access is checked; a bad index throws
// QxError(ErrSubscript)):
//   device index   0 to 10 (DevSlots = 11 slots; at most 10 tabs exist, so
//                  slots 0 to 9 carry tabs and slot 10 never does)
//   channel        0 or 1  (ChnSlots = 2; channel 1 only on two-channel models)
//
// Per-device tables are written Table[i], per-channel tables Table[i][c].
// The main window's own per-device and per-channel variables are the records
// DeviceState (dev(i)) and ChannelState (chan(i, c)).
//
// Threads: everything is used on the user-interface thread, except the
// seconds counters TestSecs and TotalSecs (incremented by the seconds timer's
// thread with fetch_add, reset or restored by the UI thread with store, read
// with load) and TickFlag / TickId (written by the UI thread, read by the
// timer thread); those four are std::atomic<int32_t>.
#include "platform/QxError.h"
#include "services/RunSettings.h"

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

namespace qx {

constexpr int DevSlots = 11; // device slots 0 to 10
constexpr int ChnSlots = 2;  // channels 0 and 1
constexpr int MaxDevTabs = 10;

// A fixed table whose index is checked on every access.
template <class T, int N>
class Table {
public:
    T &operator[](int i) { return v_[check(i)]; }
    const T &operator[](int i) const { return v_[check(i)]; }
    static constexpr int size() { return N; }
    auto begin() { return v_.begin(); }
    auto end() { return v_.end(); }
    auto begin() const { return v_.begin(); }
    auto end() const { return v_.end(); }

private:
    static std::size_t check(int i)
    {
        if (i < 0 || i >= N)
            raise(ErrSubscript);
        return std::size_t(i);
    }
    std::array<T, N> v_{};
};

template <class T>
using DevTable = Table<T, DevSlots>;
template <class T>
using ChnTable = Table<Table<T, ChnSlots>, DevSlots>;

using Counter = std::atomic<int32_t>;
static_assert(Counter::is_always_lock_free, "seconds counters must be lock-free");

// ---- Per-device tables (device 0 to 10) ----
extern DevTable<int32_t> PortHandle; // open serial port's handle; 0 = closed
extern DevTable<int> DevType;        // type code 1..99; 0 = none identified; kept across a disconnect
extern DevTable<int32_t> DevVer;     // firmware version x 100 (320 = 3.20); 0 = not reported
extern DevTable<float> MaxCur;       // A, upper bound of currents
extern DevTable<float> MaxVol;       // V, upper bound of voltage limits
extern DevTable<float> MinCur;       // A, lowest settable current
extern DevTable<float> MinVol;       // V, lowest settable voltage limit
extern DevTable<int> VolScale;       // frame units per V (100 or 1000)
extern DevTable<int> CurScale;       // frame units per A (100 or 1000)
extern DevTable<int> PwrScale;       // frame units per W (1 or 10)
extern DevTable<int> LastDisMode;    // modes 0..LastDisMode discharge
extern DevTable<int> LastChgMode;    // modes LastDisMode+1..LastChgMode charge
extern DevTable<bool> CvFlag;        // mode LastChgMode takes a cut-off current as third value

// ---- Per-channel tables (device 0 to 10, channel 0 to 1) ----
extern ChnTable<bool> Running;       // the device reports the channel running
extern ChnTable<Counter> TestSecs;   // s, run time of the channel's test
extern ChnTable<Counter> TotalSecs;  // s since the seconds timer started: x of new curve points
extern ChnTable<int32_t> RunStartPt; // curve point count when the run started
extern ChnTable<Counter> TickFlag;   // 1 = the seconds timer also counts TestSecs
extern ChnTable<Counter> TickId;     // the channel's periodic timer id; 0 = none

// ---- Single module values ----
extern int CurDev;     // selected tab's device index
extern int DevCount;   // number of device tabs, 1 to 10
extern bool DlgDone;   // child-window handshake
extern bool AdjOpen;   // calibration window open
extern bool MeterOpen; // meter window loaded
extern bool UsbOpen;   // quick-charge window loaded
extern float ResVolt;  // V captured for the resistance test; 0 = none
extern int LangTrad;   // 1 = interface texts mapped to traditional characters
extern QString IniFile; // full path of qx.ini
extern bool OptSave;   // [AUTO] SAVE
extern bool OptHide;   // [AUTO] HIDE
extern bool OptMsg;    // [AUTO] MSG
extern bool OptDisp;   // [AUTO] DISP
extern bool OptCsv;    // [AUTO] CSV
extern int OptCsvT;    // [AUTO] CSVT: 0 = "," else ";"
extern int OptSla;     // [DATA] SLA
extern int OptScale;   // [DATA] SCALE
extern int OptSah;     // [DATA] SAH
extern int OptSwh;     // [DATA] SWH
extern bool OptXTime;  // [DATA] XTIME

// The main window's variables per device.
struct DeviceState {
    // frame receiver
    bool RxActive = false;
    int RxPos = 0;                        // next frame byte position, 1 to 17
    std::array<uint8_t, 19> RxBuf{};      // positions 1 to 18 used (0 unused)
    int RxMax = 0;                        // 0 before the first start marker, then 17
    int ParCount = 0;                     // parameter frames since connect
    bool LimitRefused = false;            // a zero limit of a parameter frame was logged since connect
    bool HasTemp = false;                 // the model reports a temperature
    bool Chained = false;                 // a step program has started its first row
    int32_t CurveMaxT = 0;                // s, largest TotalSecs of the channels
    float PlotVMax = 0, PlotVMin = 0;     // V axis extremes; 0 = not seeded
    float PlotIMax = 0, PlotIMin = 0;     // A axis extremes
    float PlotY2Max = 0, PlotY2Min = 0;   // third axis extremes (°C or W)
    // automatic current sweep
    int AutoTick = 0;                     // seconds counted in the current step
    int AutoStepSecs = 0;                 // step time in seconds
    bool AutoUp = false;                  // the sweep rises (C1 <= C2)
    float AutoCur = 0;                    // A, set current of the current step
    float AutoEnd = 0;                    // A, C2
    bool AutoBusy = false;                // a sweep runs (no STOP pop-up)
    bool AutoOn = false;                  // a sweep runs (button toggles on it)
    int AutoChn = 0;                      // channel the sweep started on
    // step program
    int StepMode = 0;                     // mode index of the row; ModeCnt marks "Wait"
    int32_t StepSecs = 0;                 // time limit of the row in s; 0 = none
    int32_t StepTick = 0;                 // seconds counted in the row
    int StepNo = 0;                       // current row, 1 to 10
    int StepCycle = 0;                    // current pass, from 1
    int StepPhase = 0;                    // 0 load, 1 started, 2 running or ended
    int StepConfirm = 0;                  // repeated start attempts, 0 to 3
    bool StepOn = false;                  // a program runs
};

// The main window's variables per device and channel.
struct ChannelState {
    float Vol = 0;        // V, last voltage reading
    float Cur = 0;        // A (mA on type 40), last current reading
    float CurFine = 0;    // A with 0.1 mA resolution
    float UsbDp = 0;      // V, USB data line D+ (type 26)
    float UsbDm = 0;      // V, USB data line D- (type 26)
    float Temp = 0;       // °C
    float Pwr = 0;        // W, power of the last reading
    float Cap = 0;        // Ah, capacity of the run
    float Energy = 0;     // Wh, energy of the run
    float VolSum = 0;     // V, sum of the plotted voltages of the run
    int32_t CapSecs = 0;  // s, TestSecs up to which a type-26 capacity is integrated
    float CapOffset = 0;  // Ah added to the device's count: carried over by Continue
    float CapBase = 0;    // Ah of the run the device's count did not hold before the last Continue
    bool CapResume = false; // the next data frame decides whether CapOffset stays
    int32_t SetVal = 0;   // raw set value
    int32_t SetLmt = 0;   // raw limit
    int32_t SetTim = 0;   // raw third value
    int Mode = 0;         // mode index = mode digit of the frames
    int SetRefresh = 0;   // 1 after a Set command
    bool TakeOver = false; // a running test not started here waits for a data frame with its settings
    QString RunVolText;   // the voltage readout of the last running frame
    int32_t MinutesSent = 0; // elapsed minutes last sent to the device this run; 0 = none
    QString BakName;      // run-log base path without ".bak"; "" = no run log
    std::optional<RunSettings> LoggedSettings; // the settings the run log last recorded this run
    bool LogEnded = false; // the run log's last line is an end record
};

// Every value of one run of a channel back to none: counters, carried
// charge, the run log and what it recorded, a waiting take-over (the
// readings, the settings and the mode stay). Run, Continue and a new link
// start from it.
void resetRun(ChannelState &c);

// Device record of slot i (0 to 10).
DeviceState &dev(int i);
// Channel record of slot i (0 to 10), channel c (0 or 1).
ChannelState &chan(int i, int c);

// Everything the shared tables hold for device slot i: its entries of every
// per-device and per-channel table and its two records. The seconds timers'
// TickFlag and TickId are left out: they belong to the timer threads (stop
// the slot's timers before a restore). A tab is put back to one start with
// it, so that what follows does not depend on what came before.
struct SlotState {
    int32_t portHandle = 0;
    int devType = 0;
    int32_t devVer = 0;
    float maxCur = 0, maxVol = 0, minCur = 0, minVol = 0;
    int volScale = 0, curScale = 0, pwrScale = 0, lastDisMode = 0, lastChgMode = 0;
    bool cvFlag = false;
    std::array<bool, ChnSlots> running{};
    std::array<int32_t, ChnSlots> testSecs{}, totalSecs{}, runStartPt{};
    DeviceState device;
    std::array<ChannelState, ChnSlots> channels;
};
SlotState saveSlot(int i);
void restoreSlot(int i, const SlotState &s);

// Every item back to its start value (zero, False, "") and then the
// program-start values of applyStartValues(): a clean state as at program
// start, before the settings are read.
void resetState();
// The start values that start-up gives the shared state: MaxCur(0) 10,
// MaxVol(0) 60, CurScale(0) and VolScale(0) 100, ResVolt 0, DevCount 1,
// CurDev 0, device 0's chart extremes and CurveMaxT 0, Mode(0, 0) 0.
void applyStartValues();

} // namespace qx
