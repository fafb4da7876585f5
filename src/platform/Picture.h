#pragma once
// Pictures of what a window shows: widgets drawn by themselves into an
// off-screen image (never copied from the screen, so a window lying over
// them does not get into the picture), and the image saved as a Windows
// bitmap file (".bmp", 24 bits a pixel).
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <initializer_list>

class QWidget;

namespace qx::picture {

// An image of `area`, given in the coordinates of the widgets' common
// parent: each widget (null ones are passed over) draws itself, with its
// children, at its place; the rest of the area is `background`. A null
// image when the area is empty or too large to be held.
QImage render(const QRect &area, std::initializer_list<QWidget *> widgets, const QColor &background);

// Writes the image as a bitmap file at path through the save door
// (SaveFile.h): the earlier file stays unless the new one is complete.
// False, with the reason, when the image is null, too large for the
// format, or cannot be written.
bool saveBmp(const QImage &image, const QString &path, QString *reason);

} // namespace qx::picture
