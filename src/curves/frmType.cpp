#include "curves/frmType.h"

#include "curves/frmData.h"
#include "services/State.h"
#include "platform/Guard.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"

#include <QPushButton>
#include <QRadioButton>

frmType::frmType()
{
    setObjectName(QStringLiteral("frmType"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Curve Type"));
    setFixedSize(qx::twipsToPx(3360), qx::twipsToPx(1800));
    optVT = qx::control<QRadioButton>(this, "optVT", qx::twipsRect(480, 240, 2400, 330), QStringLiteral("V--A--Second"));
    optVC = qx::control<QRadioButton>(this, "optVC", qx::twipsRect(480, 660, 2400, 330), QStringLiteral("V--A--mAh"));
    optVT->setChecked(true);
    cmdOK = qx::control<QPushButton>(this, "cmdOK", qx::twipsRect(1080, 1200, 1215, 375), QStringLiteral("OK"));
    connect(cmdOK, &QPushButton::clicked, this,
            [this] { qx::guarded(QStringLiteral("frmType.cmdOK_Click"), [this] { cmdOK_Click(); }); });
    connect(this, &QDialog::finished, this, [] { qx::DlgDone = true; });
    qx::centreOnScreen(this);
}

void frmType::cmdOK_Click()
{
    if (frmDataForm().isLoaded())
        frmDataForm().get().XAxisCap = optVC->isChecked();
    accept();
}

qx::FormHolder<frmType> &frmTypeForm()
{
    static qx::FormHolder<frmType> holder;
    return holder;
}
