#include "curves/frmColor.h"

#include "curves/ColorSwatch.h"
#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "curves/frmData.h"
#include "services/State.h"
#include "platform/Guard.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace qx;
using namespace qx::curves;


frmColor::frmColor()
{
    setObjectName(QStringLiteral("frmColor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Curve Color"));
    setFixedSize(twipsToPx(4080), twipsToPx(2400));
    control<QLabel>(this, nullptr, twipsRect(240, 280, 720, 300), QStringLiteral("Volt:"));
    lblVolColor = makeSwatch(this, "lblVolColor", twipsRect(960, 240, 720, 330));
    control<QLabel>(this, nullptr, twipsRect(2040, 280, 720, 300), QStringLiteral("Curr:"));
    lblCurColor = makeSwatch(this, "lblCurColor", twipsRect(2760, 240, 720, 330));
    control<QLabel>(this, nullptr, twipsRect(240, 880, 840, 300), QStringLiteral("Legend:"));
    txtVol = control<QLineEdit>(this, "txtVol", twipsRect(1080, 840, 2400, 330));
    cmdOK = control<QPushButton>(this, "cmdOK", twipsRect(600, 1620, 1215, 375), QStringLiteral("OK"));
    cmdCancel = control<QPushButton>(this, "cmdCancel", twipsRect(2160, 1620, 1215, 375), QStringLiteral("Cancel"));
    lblVolColor->installEventFilter(this);
    lblCurColor->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmColor.cmdOK_Click"), [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmColor.cmdCancel_Click"), [this] { cmdCancel_Click(); }); });
    connect(this, &QDialog::finished, this, [] { DlgDone = true; });

    // Form_Load: the new file's curves are the last block of the viewer's chart.
    centreOnScreen(this);
    if (!frmDataForm().isLoaded())
        return;
    const CurveGraph &g = frmDataForm().get().CurveGraph();
    VolIdx = lastSetSlot(g.CurveCount(), Curve::Voltage);
    CurIdx = lastSetSlot(g.CurveCount(), Curve::Current);
    if (VolIdx < 0)
        return;
    setSwatch(lblVolColor, g.CurveLineColor(VolIdx));
    setSwatch(lblCurColor, g.CurveLineColor(CurIdx));
    txtVol->setText(g.LegendText(VolIdx));
}

void frmColor::lblVolColor_Click() { pickSwatch(lblVolColor); }
void frmColor::lblCurColor_Click() { pickSwatch(lblCurColor); }

void frmColor::cmdOK_Click()
{
    if (frmDataForm().isLoaded() && VolIdx >= 0) {
        CurveGraph &g = frmDataForm().get().CurveGraph();
        g.set_CurveLineColor(VolIdx, swatchColor(lblVolColor));
        g.set_CurveLineColor(CurIdx, swatchColor(lblCurColor));
        g.set_LegendText(VolIdx, txtVol->text());
    }
    accept();
}

void frmColor::cmdCancel_Click() { reject(); }

bool frmColor::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        if (o == lblVolColor)
            guarded(QStringLiteral("frmColor.lblVolColor_Click"), [this] { lblVolColor_Click(); });
        else if (o == lblCurColor)
            guarded(QStringLiteral("frmColor.lblCurColor_Click"), [this] { lblCurColor_Click(); });
    }
    return QDialog::eventFilter(o, e);
}

qx::FormHolder<frmColor> &frmColorForm()
{
    static qx::FormHolder<frmColor> holder;
    return holder;
}
