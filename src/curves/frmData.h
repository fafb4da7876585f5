#pragma once
// The data viewer: reopens up to ten result files and overlays them in one
// chart, one row per file in a summary grid below it. Each file adds a block
// of five curves: voltage and current against time (or against the capacity
// reached), an empty one, and capacity and energy against seconds (kept for
// the cursor read-out, never drawn). A file is read and checked whole before
// anything is added (ResultReader.h): a file that fails leaves the viewer as
// it was, and the user is told which file and line failed. The title and
// legends can be edited; pictures of the chart, with or without the grid,
// are rendered from the widgets. Failures are appended to the viewer's own
// log qx.log in the program folder.
#include "curves/ResultReader.h"
#include "curves/ViewerScale.h"
#include "platform/FormHolder.h"

#include <QImage>
#include <QMainWindow>

class CurveGraph;
class QAction;
class QMenu;

namespace qx {
class Grid;
}

class frmData : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window as designed (nothing is asked yet; see Form_Load).
    frmData();
    ~frmData() override;

    // The menu command of the main window: brings an open viewer to the
    // front, else loads it (asking for the axis type) and shows it.
    static void showViewer();

    // ---- Controls
    ::CurveGraph &CurveGraph() const { return *chart_; }
    qx::Grid *gridRun = nullptr;
    QMenu *mnuFile = nullptr, *mnuCurve = nullptr;
    QAction *menuOpenData = nullptr, *menuSavePic = nullptr, *menuCapture = nullptr;
    QAction *menuCur = nullptr, *menuLa = nullptr, *menuTitle = nullptr, *menuXY = nullptr, *menuClear = nullptr;

    // ---- Window state
    int FileCount = 0;
    bool XAxisCap = false;     // set by the axis-type dialog frmType
    qx::curves::DataRanges ranges;  // DataXMax, DataVMax/Min, DataIMax/Min
    // The last accepted "Device" line named "QM-30": current axis in 0.05 A
    // steps. Kept for the program's life (it survives "Clear" and a reload).
    static bool FineCurAxis;

    // ---- Handlers
    // Resets the state, asks for the axis type (waits for frmType), copies
    // the main window's first chart's styles. False when the window was
    // closed meanwhile.
    bool Form_Load();
    void Form_Resize();
    void menuOpenData_Click();
    // Opens one file by name (the command after its file dialog).
    void OpenFile(const QString &path);
    void menuSavePic_Click();
    void menuCapture_Click();
    // Run after the entry's check mark has changed.
    void menuCur_Click();
    void menuLa_Click();
    void menuTitle_Click();
    void menuXY_Click();
    void menuClear_Click();
    void CurveGraph_DblClick();
    void CurveGraph_LblClick(int Index);
    void gridRun_Click();

    // The picture of the chart, with the grid below it or without, as the
    // widgets draw themselves.
    QImage Capture(bool withGrid);

    // Appends one line to qx.log.
    static void ErrLog(const QString &tag, const QString &description = QString());

    // A dialog of an open is waiting.
    bool busy() const { return busy_; }

protected:
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildMenus();
    void AutoScale();
    void applyLegends();
    void layoutLegends();
    void growGrid();
    // Fits columns 0 to 6 to their texts and the window's minimum size to
    // the grid; returns the width of those columns (twips).
    int fitGrid();
    // Window top = (screen height - window height) / 2 - 200 twips.
    void placeTop();
    int rowHeightPx() const;
    QString pictureName() const;
    bool savePicture(const QString &title, const QString &defaultName, bool withGrid, const QString &tag);

    ::CurveGraph *chart_ = nullptr;
    int baseHeight_ = 0;   // window height with one file row
    bool busy_ = false;
    bool closePending_ = false;
};

qx::FormHolder<frmData> &frmDataForm();

// Closes every window of the viewer and of the settings dialogs (the
// program's exit).
void unloadCurveWindows();
