#pragma once
// Reading a result data file for the data viewer, without widgets: the
// summary lines, the data lines as the viewer's four curves (voltage and
// current against x, capacity and energy against seconds), the computed
// capacity, energy and average voltage, and the tracked axis ranges.
//
// A file is read to its end before anything is shown: it either gives a
// complete ResultData or an error naming the line that failed, so a bad file
// changes nothing in the viewer. It is read once, in blocks, into the curves'
// points: the memory a read takes is its points and one block.
//
// Format accepted (what the main window writes): lines ending in CR, CR LF
// or LF; key lines "Device:", "Mode:", "Begin Volt:", "Cutoff Volt:",
// "Capacity:", "Energy:", "Avg Volt:", "Title:" followed by their value;
// data lines starting with a digit: time (s), current (A), voltage (V) and
// any further fields (ignored), joined by one separator, "," ";" or TAB,
// numbers with "." as decimal mark; every other line is skipped. The
// separator is taken from the column line ("Time(S)" and the separator) or,
// failing that, from the first data line; the caller's choice applies only
// when neither shows one.
// A value that is not UTF-8 (a file written on Windows) is read in the code
// page it most likely came from (platform/TextDecode.h).
#include "curves/CurveGraphData.h"
#include "curves/ViewerScale.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

namespace qx::curves {

// Summary columns of the viewer's grid.
enum SummaryColumn : int {
    ColDevice = 0, ColMode, ColBeginVolt, ColCutoffVolt, ColCapacity, ColEnergy, ColAvgVolt, ColTitle,
    SummaryColumns
};

struct ReadOptions {
    char fallbackSeparator = ',';
    bool xAxisCap = false;    // x is the capacity reached (mAh), else seconds
    DataRanges ranges;        // ranges of the files already shown
};

struct ResultData {
    bool ok = false;
    // Failure: the line (from 1; 0 when no single line is to blame) and
    // what is wrong with it.
    int64_t errorLine = 0;
    QString error;

    // Cells as the viewer shows them: stated by the file, else computed
    // (capacity, energy, average voltage); "" when neither.
    std::array<QString, SummaryColumns> cells;
    bool deviceStated = false;   // a "Device" line gave cell 0
    char separator = ',';

    // The four curves of the file's block, ready to hand to the chart.
    PointStore volt, curr, cap, energy;
    bool xRising = true;     // x of the voltage and current points never decreases
    bool tRising = true;     // nor the seconds of the capacity and energy points
    int32_t lines = 0;       // data lines
    double voltSum = 0;      // V, sum over the data lines
    double capacity = 0;     // mA·s
    double energySum = 0;    // mW·s
    double avgVolt = 0;      // V, rounded to two decimals
    DataRanges ranges;       // the caller's ranges widened by this file's points
};

// Longest line accepted (bytes, without its line end).
constexpr int64_t MaxLineLength = 65536;

// Reads the file at path, from the disk once, in blocks (a pipe reads too).
ResultData readResultFile(const QString &path, const ReadOptions &opt);
// The same for bytes already in memory.
ResultData parseResultBytes(std::string_view bytes, const ReadOptions &opt);

// The separator the viewer would choose from a file name alone: TAB unless
// the name ends in "csv" in any case, then ";" when csvType is not 0, else ",".
char separatorForName(const QString &name, int csvType);

} // namespace qx::curves
