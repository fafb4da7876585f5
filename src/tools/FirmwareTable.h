#pragma once
// What the firmware update offers and writes: the model for a boot loader's
// type code and variant, the firmware image for the chosen model, and the
// images themselves, embedded in the program as resources ":/firmware/<id>.bin"
// (identifiers 6, 9, 36, 51, 101, 102, 191, 231, 271, 283, 284, 391, 392).
// The images are opaque: they are sent byte for byte as stored.
#include <QByteArray>
#include <QString>

#include <functional>

namespace qx::firmware {

// The model that Identify offers for a boot loader's type code and variant,
// or "" when there is none.
QString modelFor(int bootType, int variant);
// The image identifier for the model selected in the list; a name without a
// row of its own gives the type code.
int imageIdFor(const QString &model, int bootType);
// The embedded image with this identifier; empty when there is none.
QByteArray loadImage(int id);

// Where the firmware update takes its images from (loadImage unless a test
// installs another source).
using ImageSource = std::function<QByteArray(int id)>;

} // namespace qx::firmware
