#pragma once
// The floating readouts: small borderless, rounded, slightly transparent
// windows that stay on top and repeat a device's readings outside the main
// window. FloatingReadout is what both have in common (the title, the two
// lines, five readouts with their unit labels, dragging by the title and the
// colour choice by double-click); frmDisp is the floating readout shown while
// the main window is minimised (voltage, current, power, capacity, energy);
// frmMeter (frmMeter.h) is the USB tester's meter.
//
// The main window writes the values (lcdXxxM->set_Value, lblTitle->setText)
// and shows, hides and unloads the windows through their holders: touching
// frmDispForm().get() loads the window hidden. Every readout keeps all its
// digits: a value with more digits than the readout was laid out for gets
// narrower digits instead of losing its leading ones.
#include "platform/FormHolder.h"

#include <QPoint>
#include <QWidget>
#include <array>
#include <cstdint>

class LCDisp;
class QFrame;
class QLabel;

class FloatingReadout : public QWidget {
    Q_OBJECT
public:
    LCDisp *lcdVolM = nullptr;
    LCDisp *lcdCurM = nullptr;
    LCDisp *lcdPwrM = nullptr;
    LCDisp *lcdD1M = nullptr;
    LCDisp *lcdD2M = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVolM = nullptr;
    QLabel *lblCurM = nullptr;
    QLabel *lblPwrM = nullptr;
    QLabel *lblD1M = nullptr;
    QLabel *lblD2M = nullptr;

    // Text colour of a label, 0x00BBGGRR.
    static uint32_t textColor(const QLabel *label);

protected:
    // Where a window's readouts and labels go, in twips.
    struct Layout {
        int width, height;                  // inner size
        const char *caption;                // window caption (not shown)
        int digits, valueWidth;             // voltage, current and power readouts
        int d12Left, unitLeft, d12UnitLeft; // columns of the other controls
        const char *volDesign, *curDesign, *pwrDesign;
        const char *d1Caption, *d2Caption;
        bool unitColourChoice;              // voltage, current and power labels pick colours too
    };
    explicit FloatingReadout(const Layout &layout);

    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeOnScreen();
    void takePanelColours();
    void SetAlpha(int alpha);
    void RoundWindow(int cornerWidth, int cornerHeight);
    void pickTitleColour();
    void pickUnitColour(QLabel *label, LCDisp *lcd);

    QFrame *Line1 = nullptr;
    QFrame *Line2 = nullptr;
    std::array<std::pair<QLabel *, LCDisp *>, 5> colourLabels_{};
    int colourLabelCount_ = 0;
    bool dragging_ = false;
    QPoint dragStart_, windowStart_;
};

class frmDisp : public FloatingReadout {
    Q_OBJECT
public:
    frmDisp();
};

// The default instance of frmDisp.
qx::FormHolder<frmDisp> &frmDispForm();
