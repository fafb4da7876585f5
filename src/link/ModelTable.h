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

} // namespace qx::models
