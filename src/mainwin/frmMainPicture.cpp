// Pictures of the selected device: "Save Curve" (the chart) and "Save
// Picture" (the chart with the result grid below it). The chart and the grid
// draw themselves into an off-screen image at their own place and size, so
// the picture holds neither another window lying over them nor a shifted
// edge, whatever the window's size.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Colors.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"
#include "platform/Picture.h"
#include "platform/QxError.h"
#include "platform/UiServices.h"

#include <QDateTime>
#include <QFrame>
#include <QImage>

QImage frmMain::CopyCurve(int Index, bool withGrid) const
{
    ::CurveGraph &chart = CurveGraph(Index);
    qx::Grid &grid = gridRun(Index);
    QRect area = chart.geometry();
    // With the grid: down to 50 twips below the grid's bottom edge.
    if (withGrid)
        area.setBottom(grid.geometry().bottom() + qx::twipsToPx(50));
    return qx::picture::render(area, {&chart, withGrid ? &grid : nullptr},
                               frmDev(Index).palette().color(QPalette::Window));
}

void frmMain::savePicture(const QString &word, bool withGrid, const QString &tag)
{
    const int dev = qx::CurDev;
    const QString path = askSavePath(word, QStringLiteral("bmp file(*.bmp)|*.bmp"), QStringLiteral("bmp"));
    if (path.isEmpty())
        return;
    QString reason;
    if (!qx::picture::saveBmp(CopyCurve(dev, withGrid), path, &reason)) {
        ErrLog(tag, path + QStringLiteral(": ") + reason);
        qx::promptBox(QStringLiteral("Save failed!"), qx::MbCritical);
    }
}

void frmMain::menuSavePic_Click()
{
    try {
        savePicture(QStringLiteral("Save Curve"), false, QStringLiteral("ErrSavePic"));
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrSavePic"), QString::fromUtf8(e.what()));
    }
}

void frmMain::menuCapture_Click()
{
    try {
        savePicture(QStringLiteral("Save Picture"), true, QStringLiteral("ErrCapture"));
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrCapture"), QString::fromUtf8(e.what()));
    }
}
