#pragma once
// Request codes of the quick-charge trigger and the QC2.0 level that matches
// a source's voltage.
#include <QStringView>

namespace qx::qc {

// Codes of the quick-charge request (the main window's RemoteQC).
enum QcCode : int {
    Qc2Level5V = 0, // QC2.0 levels 0 to 3: 5, 9, 12, 20 V
    Qc2Level20V = 3,
    Qc3Mode = 4,
    Qc3StepUp = 5,
    Qc3StepDown = 6,
};
// Codes of the pulse protocol's steps (the main window's RemotePE).
enum PeCode : int { PeStepDown = 0, PeStepUp = 1 };

constexpr int MaxLevel = 3;

// The QC2.0 level of a voltage text: 3 above 18 V, 2 above 10 V, 1 above
// 8 V, else 0. A text that is not a number counts as level 0.
int levelForVoltage(QStringView text);

} // namespace qx::qc
