#pragma once
// What the data viewer and the settings dialogs use of the main window's
// device views: the chart and panel of every device tab and the temperature
// menu entry. The main window registers itself at start-up; while nothing is
// registered the viewer copies no styles and the dialogs set no chart.
#include <cstdint>

class CurveGraph;

namespace qx::curves {

class MainViews {
public:
    virtual ~MainViews() = default;
    // Number of device tabs; charts and panels exist for 0 .. count - 1.
    virtual int viewCount() const = 0;
    virtual ::CurveGraph &chart(int Index) const = 0;
    // Colours of the panel's power and run-time readouts (0x00BBGGRR).
    virtual uint32_t PwrColor(int Index) const = 0;
    virtual void set_PwrColor(int Index, uint32_t c) = 0;
    virtual uint32_t TimeColor(int Index) const = 0;
    virtual void set_TimeColor(int Index, uint32_t c) = 0;
    // The panel shows two channels.
    virtual bool Dev2S(int Index) const = 0;
    // Check mark of the main window's temperature entry.
    virtual bool TempChecked() const = 0;
    virtual void set_TempChecked(bool on) = 0;
};

// Gives chart g the look of the first device tab's chart: the line colours
// of curves 0 to 2, the pen width, both grid types and the grid, back and
// axes colours. Nothing while no views are registered.
void copyFirstChartStyle(::CurveGraph &g);

// The registered views, or null.
MainViews *mainViews();
// Registers the views (null to clear); returns the previous ones.
MainViews *setMainViews(MainViews *views);

} // namespace qx::curves
