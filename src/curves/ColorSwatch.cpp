#include "curves/ColorSwatch.h"

#include "services/Module4.h"
#include "platform/Colors.h"
#include "platform/WidgetStyle.h"

#include <QLabel>

namespace qx::curves {

QLabel *makeSwatch(QWidget *parent, const char *name, const QRect &r)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(r);
    l->setFrameShape(QFrame::Box);
    l->setCursor(Qt::PointingHandCursor);
    setSwatch(l, 0);
    return l;
}

void setSwatch(QLabel *l, uint32_t color)
{
    l->setProperty("color", uint(color));
    setFillColor(l, color);
}

uint32_t swatchColor(const QLabel *l) { return uint32_t(l->property("color").toUInt()); }

void pickSwatch(QLabel *l)
{
    const int32_t c = Module4::PickColor(int32_t(oleResolve(swatchColor(l))));
    if (c >= 0)
        setSwatch(l, uint32_t(c));
}

} // namespace qx::curves
