#pragma once
// Keeps every digit of a seven-segment readout visible: when a value needs
// more main cells than the readout was laid out with, the readout gets that
// many cells and narrower digits (smaller gaps first, then shorter segments)
// so they fit the room the layout gives the main group; a value that fits
// again brings the laid-out geometry back.
#include "platform/PropertyBag.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

class LCDisp;
class QWidget;

namespace qx::panel {

// What fitting needs of a readout value's main part (before "E+"/"E-"),
// after the readout's own normalising (a leading "." gains a "0"): the cells
// it occupies (without the decimal point and the colon) and whether it holds
// a colon.
struct MainPart {
    int cells = 0;
    bool colon = false;
};
MainPart mainPart(const QString &value);
inline int mainCells(const QString &value) { return mainPart(value).cells; }

// Geometry of the main group that fitting changes.
struct DigitGeometry {
    int numDigits = 4;
    int segmentHeight = 12;
    int interDigitGap = 6;
    int yOffset = 0;
    bool operator==(const DigitGeometry &) const = default;
};

// The geometry that shows `cells` cells within `roomPx` pixels (measured from
// the first cell's left edge), starting from the laid-out geometry `design`;
// segmentWidth, segmentGap and style are the group's other sizes. Keeps the
// design when the cells fit it. The digits stay vertically centred where the
// design put them. A value with a colon keeps the designed gap between the
// digits (only the segments get shorter), so the colon's dots keep clear of
// the digits beside them.
DigitGeometry fitDigits(const DigitGeometry &design, int cells, int roomPx, int segmentWidth,
                        int segmentGap, int style, bool colon = false);

// The design values the panel's and the floating windows' readouts share:
// hexagonal digits 12 long and 4 wide (exponent segments 4 wide, 8 long),
// no left offset, `digits` main and `expDigits` exponent cells, the lit
// colours and the value; background, border and unlit colours are the
// caller's, as is anything else it adds.
qx::PropertyBag readoutDesign(int digits, int expDigits, uint32_t lit, uint32_t litNeg,
                              const QString &value);

// Lights a readout's segments in one colour, for positive and negative values.
void setReadoutColor(LCDisp *lcd, uint32_t color);

// A readout made from its design values, named and placed at r (pixels),
// that keeps every digit of its values (ReadoutFit).
LCDisp *placeReadout(QWidget *parent, const QString &name, const QRect &r,
                     const qx::PropertyBag &design);

// Watches one readout: on every Value write it refits the main group. The
// laid-out geometry is taken when the watch starts. The room ends at the
// exponent group when the readout shows one, else at its inner right edge.
class ReadoutFit : public QObject {
public:
    explicit ReadoutFit(LCDisp *lcd);
    // Takes the readout's present geometry as the laid-out one.
    void capture();
    // Refits for the readout's present value.
    void refit();
    int roomPx() const;

private:
    // What a fit is worked out from, and what it gave.
    struct Inputs {
        QString value;
        int room = 0, segmentWidth = 0, segmentGap = 0, style = 0;
        DigitGeometry design;
        bool operator==(const Inputs &) const = default;
    };
    struct Fit {
        Inputs in;
        DigitGeometry want;
    };

    LCDisp *lcd_;
    DigitGeometry design_;
    bool busy_ = false;
    std::optional<Fit> last_;
};

} // namespace panel
