#include "platform/Picture.h"

#include "platform/SaveFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QWidget>
#include <limits>

namespace qx::picture {

namespace {

// The bitmap file stores its size and its pixel data's size as 32-bit
// numbers: rows of 3 bytes a pixel, padded to 4 bytes, after a 54-byte header.
bool fitsBitmap(const QImage &image)
{
    const qint64 row = (qint64(image.width()) * 24 + 31) / 32 * 4;
    return row * image.height() + 54 <= std::numeric_limits<int32_t>::max();
}

} // namespace

QImage render(const QRect &area, std::initializer_list<QWidget *> widgets, const QColor &background)
{
    if (area.isEmpty())
        return {};
    QImage image(area.size(), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(background);
    QPainter painter(&image);
    for (QWidget *w : widgets)
        if (w)
            w->render(&painter, w->pos() - area.topLeft());
    return image;
}

bool saveBmp(const QImage &image, const QString &path, QString *reason)
{
    const auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (image.isNull())
        return fail(QStringLiteral("there is no picture"));
    if (!fitsBitmap(image))
        return fail(QStringLiteral("the picture is too large for a bitmap file (%1 x %2 pixels)")
                        .arg(image.width())
                        .arg(image.height()));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        return fail(writer.errorString());
    buffer.close();
    return savefile::replace(path, bytes, reason);
}

} // namespace qx::picture
