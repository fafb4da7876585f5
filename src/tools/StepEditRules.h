#pragma once
// The rules of the step editor (frmSet): which kind of step an entry of its
// mode list is, the captions, units and starting texts of its three fields
// for that kind, and the checks of the fields (when one loses the focus and
// when a step is added).
//
// The editor's mode list holds the device's modes 0 to LastChgMode, then
// "Wait" and "Cycle". Kinds by entry k:
//   wait         k = LastChgMode + 1          third field: minutes
//   cycle        k = LastChgMode + 2          third field: repeat count
//   power        k <= LastDisMode, k = 1      W, V, minutes
//   discharge    k <= LastDisMode, k != 1     A, V, minutes
//   cv charge    k = LastChgMode, CvFlag      A, V, cut-off current A
//   cells        LastDisMode < k <= LastChgMode and (k < LastChgMode or
//                type 5 or more)              A, cell count, minutes
//   volt charge  the rest                     A, V, minutes
// A cell count is checked as a count (1 to 12) only where LastDisMode < k <
// LastChgMode on types below 5; elsewhere the limit is checked as a voltage.
#include "services/DeviceLimits.h"
#include "services/Refusal.h"

#include <QString>
#include <QStringList>

namespace qx::stepedit {

enum class Kind { Power, Discharge, CvCharge, Cells, VoltCharge, Wait, Cycle };
enum class Box { Set, Lmt, Lmt2 };

// What the editor reads of the selected device.
using Device = DeviceLimits;

// Number pictures of currents, voltages and powers by the device's scales.
QString curFormat(const Device &d);
QString volFormat(const Device &d);
QString pwrFormat(const Device &d);

Kind kindOf(const Device &d, int k);

// Captions (before text mapping), units and enables of the three fields,
// and the texts a fresh choice of the kind puts into them.
struct Layout {
    QString setCaption, setUnit, lmtCaption, lmtUnit, lmt2Caption, lmt2Unit;
    bool setEnabled = true, lmtEnabled = true;
    QString setText, lmtText, lmt2Text;
};
Layout layoutOf(const Device &d, Kind kind);

using qx::Verdict;
struct Checked {
    Verdict result = Verdict::Accepted;
    QString text;  // the field's text afterwards: accepted text as rewritten, or the replacement
};
// The check of a field that lost the focus, for entry k.
Checked leaveCheck(const Device &d, int k, Box box, const QString &text);

// The check of Add for entry k: Accepted, NotNumber or OutOfRange (the first
// failing field decides).
Verdict addCheck(const Device &d, int k, const QString &set, const QString &lmt, const QString &lmt2);

// The step program's rows go on after a "Cycle" row: modes are the mode
// texts of rows 1, 2, ... (the program ends at the first empty one), cycle
// the text of a "Cycle" row. The step engine repeats the program or ends it
// at its first "Cycle" row, so the rows after it are never run.
bool rowsAfterCycle(const QStringList &modes, const QString &cycle);
// When rowsAfterCycle: tells the user ("Steps after Cycle will not run!",
// information) and returns true. The rows stay as they are.
bool tellRowsAfterCycle(const QStringList &modes, const QString &cycle);

} // namespace qx::stepedit
