#pragma once
// The device model table: what a type code (b15 mod 100 of every device
// frame) tells about the model behind it. Pure data, no widgets; the
// identification pass of the main window applies a row to the panel, the
// menus, the chart, the result grid and the per-device tables.
//
// Every type code 1 to 99 has a row: types without one of their own get the
// generic row (mode "D-CC", one page, the default scales and bounds, limits
// and name kept). Type 26 has two rows, chosen by the firmware version known
// at identification.
#include <QString>
#include <QStringList>
#include <optional>

namespace qx::models {

// Page sets: the panel's TabAdd calls in order.
enum class Pages {
    P123, // (1, "key1"), (2, "key2"), (3, "key3")
    P13,  // (1, "key1"), (2, "key3")
    P12,  // (1, "key1"), (2, "key2")
    P1,   // (1, "key1")
};

// The page keys of a page set, in TabAdd order (position = index + 1).
QStringList pageKeys(Pages p);

struct ModelRow {
    int type = 0;
    QString name;                 // "" = the pass writes no name
    QStringList modes;            // work modes; position = mode index
    Pages pages = Pages::P1;
    std::optional<float> maxCur;  // A; none = kept as it was
    std::optional<float> maxVol;  // V; none = kept as it was
    float minCur = 0.1f;          // A
    float minVol = 0.8f;          // V
    int curScale = 100;           // frame units per A
    int volScale = 100;           // frame units per V
    int pwrScale = 1;             // frame units per W
    int lastDisMode = 0;
    int lastChgMode = 0;
    bool cvFlag = false;
    bool hasTemp = false;         // reports a temperature
    bool resMenu = false;         // the resistance test applies
};

// The row in force for a type code (1 to 99) and firmware version (x 100).
// Codes outside 1..99 get the generic row too.
ModelRow modelRow(int type, int devVer);

// The mode list that a parameter frame's firmware version gives types 5
// (3.02), 9 and 10 (3.11), 25 (3.10) and 38 (3.11) in place of the row's
// list; empty for every other type.
QStringList refinedModes(int type);

// Types 17 and 18: two channels, the two-channel panel layout.
bool isTwoChannel(int type);
// The grid row that takes the model name: chn + 1 for types 17, 18, 19, 35
// and 36, row 1 for every other type.
int nameRow(int type, int chn);
// Types 9, 10 and 38 lay out their mode fields from their parameter frames,
// not at identification.
bool modeFieldsAtIdentify(int type);
// The chart's current-axis label: "[mA]" for type 51, else "[A]".
QString currentAxisLabel(int type);
// Type 26 (the USB tester) shows the quick-charge menu.
bool showsUsbMenu(int type);

// Mode indexes (positions in a model's mode list) that mean the same on
// every model that has them. The mode groups are read from the row:
// indexes 0 to LastDisMode discharge, LastDisMode + 1 to LastChgMode charge.
//
// "D-CC", constant-current discharge: the first mode of every list but
// type 51's.
inline constexpr int CcMode = 0;
// "D-CP", constant-power discharge, on the models whose set value is a power
// in mode 1.
inline constexpr int PowerMode = 1;
// "Meter", the reading mode of the USB tester (and of type 25).
inline constexpr int UsbMeterMode = 1;
// Type 5's last mode, "DC5V" (or "Meter" from its firmware 3.02): it shows
// the readings and takes a cut-off current alone.
inline constexpr int DisplayOnlyMode = 8;
// The five charge profiles of the models that charge by cells: modes 1 to 5
// of types 1 to 4, and 2 to 6 of types 5 and 6, after their power mode.
constexpr bool isCellMode(int mode) { return mode >= 1 && mode <= 5; }
constexpr bool isCellModeAfterPower(int mode) { return isCellMode(mode - 1); }

// What a type code tells beyond its row: the facts that the readouts, the
// setting rules and the firmware loader look up by model.

// The type code of a device not identified (yet): a frame's type byte says
// "none", or no frame has come since the tab was added.
inline constexpr int NoType = 0;

// Type 26, the USB tester. Its capacity and temperature fields carry the
// D+ and D- voltages (the program integrates the capacity itself), its mode
// 1 is "Meter", its voltage readout keeps three decimals below 9.999 V, and
// its firmware starts at its own address.
inline constexpr int UsbTesterType = 26;
constexpr bool isUsbTester(int type) { return type == UsbTesterType; }
// The USB tester on firmware 3.20 or later: its current pair counts
// 0.1 mA, its "Meter" mode feeds the floating meter, and a resumed run
// starts with the run command.
inline constexpr int UsbMeterVersion = 320;
constexpr bool isUsbTesterFrom320(int type, int devVer)
{
    return isUsbTester(type) && devVer >= UsbMeterVersion;
}

// Types 25 and 26: mode 1 is "Meter" (on type 25 once its firmware 3.10
// list is in force), a reading mode with no power to set.
bool hasMeterAtModeOne(int type);

// Types 1 to 4: chargers whose modes 1 to 5 charge a number of cells (the
// limit is a cell count, at most by the model).
constexpr bool chargesByCells(int type) { return type >= 1 && type <= 4; }
// The start frame and the step editor treat a device not identified yet as
// one of those.
constexpr bool cellRulesApply(int type) { return type == NoType || chargesByCells(type); }
// Types 5 and 6: constant-power discharge in mode 1, then five charge
// profiles by cell count (modes 2 to 6).
constexpr bool chargesByCellsWithPower(int type) { return type == 5 || type == 6; }

// Types 9 and 10: firmware 3.11 replaces their list "D-CC", "D-CP", "C-CV"
// by "D-CC", "C-CV" (LastDisMode 1 becomes 0), so LastDisMode tells which
// list is in force.
bool losesPowerModeWithFirmware(int type);
// Type 28: in its constant-voltage charge only the cut-off current can be
// set; the set-value and limit boxes are disabled.
bool cvChargeTakesCutoffOnly(int type);

// Readouts with three decimals below 4.5 V: types 5 to 16, 19, 20, 24, 25,
// 32, 35 to 38 and 40.
bool hasFineVoltage(int type);
// Types 38 and 40: the current readout is "00.00" below 100 and "000.0"
// from there, whatever the current scale.
bool hasWideCurrentReadout(int type);
// Type 40 reports its currents in mA: the run log and the result file head
// their current column "Cur(mA)", the setting boxes read mA.
bool countsMilliamps(int type);
// Type 35: the chart's current axis steps by 0.05 A and the automatic
// test's current lists by 0.01 A (0.5 A and 0.1 A on the other models).
bool hasFineCurrent(int type);
// Types 35 and 36: the setting boxes write the set current (and the
// cut-off current) with three decimals.
bool setsMilliampCurrent(int type);
// Type 51: its one mode is "Meter" and its chart's current axis reads mA.
bool isMilliampMeter(int type);

} // namespace qx::models
