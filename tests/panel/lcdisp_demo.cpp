// Demo window: the six readout presets with a few values, the panel's own
// readout settings, and the drawing options (gradient, rounded corners,
// outline and shaded segments, thousands marks, comma point), plus the
// picture progress bar. Run under Xvfb for a screenshot.
#include "panel/LCDisp.h"
#include "panel/ucProgressBar.h"
#include "platform/Colors.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

namespace {
LCDisp *readout(QWidget *parent, int theme, const QString &value)
{
    auto *d = new LCDisp(parent);
    d->set_Theme(theme);
    d->set_Value(value);
    d->setFixedSize(d->size());
    return d;
}

// The device panel's readout look: hexagonal digits on button face.
LCDisp *panelReadout(QWidget *parent, uint32_t lit, const QString &value, int expDigits)
{
    auto *d = new LCDisp(parent);
    d->resize(qx::twipsToPx(expDigits ? 1845 : 1245), qx::twipsToPx(450));
    for (auto set : {&LCDisp::set_BackColor1, &LCDisp::set_BackColor2, &LCDisp::set_BorderColor})
        (d->*set)(qx::SysButtonFace);
    d->set_BurnInColor(qx::rgb(224, 224, 224));
    d->set_BurnInColorNeg(qx::rgb(224, 224, 224));
    d->set_SegmentLitColor(lit);
    d->set_SegmentLitColorNeg(lit);
    d->set_SegmentStyle(0);
    d->set_SegmentHeight(12);
    d->set_SegmentWidth(4);
    d->set_SegmentWidthExp(4);
    d->set_XOffset(0);
    d->set_YOffset(0);
    d->set_NumDigits(4);
    d->set_NumDigitsExp(expDigits);
    d->set_SegmentHeightExp(expDigits ? 9 : 8);
    if (expDigits) {
        d->set_SegmentStyleExp(0);
        d->set_InterDigitGapExp(4);
        d->set_XOffsetExp(88);
    }
    d->set_Value(value);
    d->setFixedSize(d->size());
    return d;
}

QImage barPicture(QColor a, QColor b)
{
    QImage img(240, 24, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, 24);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    p.fillRect(img.rect(), g);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, 239, 23);
    return img;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget win;
    win.setWindowTitle(QStringLiteral("Readouts"));
    auto *grid = new QGridLayout(&win);
    int row = 0;
    const auto add = [&](const QString &caption, QWidget *w) {
        grid->addWidget(new QLabel(caption, &win), row, 0);
        grid->addWidget(w, row++, 1, Qt::AlignLeft);
    };
    const QStringList values = {QStringLiteral("-12.345E-07"), QStringLiteral("3.1415926"),
                                QStringLiteral("ABCDEF 0.5"), QStringLiteral("12:34E+56"),
                                QStringLiteral("-0.001"), QStringLiteral("1234567890")};
    for (int t = 1; t <= 6; ++t)
        add(QStringLiteral("Theme %1").arg(t), readout(&win, t, values[t - 1]));

    add(QStringLiteral("Panel volt"), panelReadout(&win, qx::rgb(0, 0, 255), QStringLiteral("12.34"), 0));
    add(QStringLiteral("Panel time"), panelReadout(&win, qx::rgb(128, 128, 0), QStringLiteral("01:23E+45"), 2));

    auto *grad = readout(&win, 5, QStringLiteral("1234567.25"));
    grad->set_BackColor1(qx::rgb(0, 0, 96));
    grad->set_BackColor2(qx::rgb(0, 128, 160));
    grad->set_ShowThousandsSeparator(true);
    grad->set_CurveTopLeft(12);
    grad->set_CurveTopRight(12);
    grad->set_CurveBottomLeft(12);
    grad->set_CurveBottomRight(12);
    grad->set_BorderWidth(2);
    add(QStringLiteral("Gradient, marks, round"), grad);

    auto *shaded = readout(&win, 2, QStringLiteral("-88.8E+88"));
    shaded->set_Seg3DColor1(qx::rgb(40, 0, 0));
    shaded->set_Seg3DColor2(qx::rgb(255, 200, 200));
    shaded->set_SegmentFillStyle(2);
    add(QStringLiteral("Shaded"), shaded);

    auto *outline = readout(&win, 4, QStringLiteral("1,024.5"));
    outline->set_SegmentFillStyle(0);
    outline->set_DecimalSeparator(0);
    add(QStringLiteral("Outline, comma"), outline);

    auto *bar = new ucProgressBar(&win);
    bar->set_BarPictureBack(barPicture(QColor(235, 235, 235), QColor(190, 190, 190)));
    bar->set_BarPictureFore(barPicture(QColor(120, 200, 120), QColor(20, 120, 20)));
    bar->set_CaptionFormat(2);
    bar->set_Max(12120);
    bar->set_Value(7575);
    add(QStringLiteral("Progress"), bar);

    win.show();
    return app.exec();
}
