#pragma once
// A colour swatch of the settings dialogs: a framed label filled with its
// colour (0x00BBGGRR, kept in the label's "color" property); a click on it
// opens the colour picker.
#include <QRect>
#include <cstdint>

class QLabel;
class QWidget;

namespace qx::curves {

QLabel *makeSwatch(QWidget *parent, const char *name, const QRect &r);
void setSwatch(QLabel *l, uint32_t color);
uint32_t swatchColor(const QLabel *l);
// The colour picker; a colour chosen replaces the swatch's, Cancel keeps it.
void pickSwatch(QLabel *l);

} // namespace qx::curves
