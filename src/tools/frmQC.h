#pragma once
// "QC2.0 测试": how the output voltage of a quick-charge source holds up
// under load, with a device as the load. The user chooses the output level
// (5, 9 or 12 V) and ticks the currents to try; Test runs a step machine on
// a 2-second timer (rules: QcLoadTest.h): it records the open-circuit
// voltage, starts channel 0 of the device at the first current, moves the
// load to each further current and records the voltage under each, then
// stops the device. Voltage and current are drawn on the window's chart as
// the test runs; the voltages stand in a grid, one row per level and one
// column per current. Readings are the texts of the device panel's voltage
// and current readouts of channel 0, as the reading presentation left them.
//
// A test acts on the device selected when Test was pressed, even when
// another tab is selected later. The level options are locked while a test
// runs; closing the window during a test stops the device's load. When the
// device reports channel 0 not running at a step after the start (its own
// cut-off ended the test), the sequence stops without sending anything
// more, the cells of the currents not measured stay empty and the user is
// told "The device ended the test!".
#include "platform/FormHolder.h"
#include "tools/QcLoadTest.h"

#include <QMainWindow>
#include <array>

class CurveGraph;
class QAction;
class QCheckBox;
class QGroupBox;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

namespace qx {
class Grid;
}

class frmQC : public QMainWindow {
    Q_OBJECT
public:
    frmQC(); // Form_Load
    ~frmQC() override;

    QGroupBox *Frame1 = nullptr;
    QRadioButton *opt5V = nullptr, *opt9V = nullptr, *opt12V = nullptr;
    std::array<QCheckBox *, 5> chk5{};
    std::array<QCheckBox *, 4> chk9{};
    std::array<QCheckBox *, 3> chk12{};
    QPushButton *cmdTest = nullptr;
    qx::Grid *gridList = nullptr;
    ::CurveGraph *CurveGraph = nullptr;
    QTimer *Timer1 = nullptr; // 2000 ms: the step machine
    QMenu *menu_File = nullptr;
    QAction *menuSave = nullptr, *menuTitle = nullptr, *menuClear = nullptr;

    int PlotX = 0;    // x of the next chart point
    int TestDev = 0;  // the device the running (or last) test acts on

    // Index of the current to apply next; 0 while the open voltage is due.
    int TestStep() const { return test_.TestStep; }
    // The test's current list of level 0, 1 or 2 (5, 9, 12 V).
    const qx::qc::LoadTest::List &levelList(int level) const { return test_.list(level); }

    void Form_Resize();
    void cmdTest_Click();
    void Timer1_Timer();
    void menuClear_Click();
    void menuTitle_Click();
    // Ends a running test (stopping the device's load); runs once, when the
    // window closes or is destroyed.
    void Form_Unload();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildControls();
    void writeHeaders(bool cleared);
    int chosenLevel() const;
    void plot(float v, float i);
    // Ends the test; stopLoad: the device's load is stopped too.
    void endTest(bool stopLoad = true);
    // The device ended the test by itself: the sequence stops, nothing more
    // is sent, and the cells of the currents not measured are left empty.
    void deviceEnded(int level);
    void lockLevels(bool locked);

    qx::qc::LoadTest test_;
    bool unloaded_ = false;
};

// The default instance of frmQC.
qx::FormHolder<frmQC> &frmQCForm();
