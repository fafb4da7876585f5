#pragma once
// The columns of a device tab's result grid (gridRun): row 0 holds the
// captions, row chn + 1 the run of channel chn. The columns Model to AvgVolt
// are also the summary lines of the channel's result file, in this order.
namespace qx::resultgrid {

enum Column : int {
    Model = 0,  // "Device": the model name (the run log and result files take it from here)
    Mode,       // the mode with its set value and limit while a run goes on
    BeginVolt,  // the voltage when the run started ("" until then)
    CutoffVolt, // the voltage when it ended
    Capacity,
    Energy,
    AvgVolt,
    CurveV,     // the voltage curve's colour; a click picks another
    CurveA,     // the current curve's colour
    Columns
};

inline constexpr int SummaryColumns = AvgVolt + 1;

} // namespace qx::resultgrid
