#include "curves/frmSw.h"

#include "services/Module1.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "platform/AppHome.h"
#include "platform/Guard.h"
#include "platform/Placement.h"
#include "platform/UiServices.h"
#include "platform/WidgetStyle.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

using namespace qx;

namespace {

QString trueFalse(bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); }

} // namespace

frmSw::frmSw()
{
    setObjectName(QStringLiteral("frmSw"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Software Setting"));
    setFixedSize(twipsToPx(5280), twipsToPx(3000));

    chkMsg = control<QCheckBox>(this, "chkMsg", twipsRect(360, 240, 2280, 300), QStringLiteral("Prompt Message"));
    chkHide = control<QCheckBox>(this, "chkHide", twipsRect(2760, 240, 2280, 300), QStringLiteral("Minimize Hidden"));
    chkDisp = control<QCheckBox>(this, "chkDisp", twipsRect(360, 660, 2280, 300), QStringLiteral("Suspension Form"));
    chkAuto = control<QCheckBox>(this, "chkAuto", twipsRect(2760, 660, 2280, 300), QStringLiteral("Auto Save"));
    control<QLabel>(this, nullptr, twipsRect(360, 1140, 1440, 300), QStringLiteral("Data Format:"));
    optCsv = control<QRadioButton>(this, "optCsv", twipsRect(1800, 1140, 1080, 300), QStringLiteral("csv(,)"));
    optCsv2 = control<QRadioButton>(this, "optCsv2", twipsRect(2880, 1140, 1080, 300), QStringLiteral("csv(;)"));
    optDat = control<QRadioButton>(this, "optDat", twipsRect(3960, 1140, 960, 300), QStringLiteral("dat"));
    txtPath = control<QLineEdit>(this, "txtPath", twipsRect(360, 1680, 4080, 330));
    txtPath->setEnabled(false);
    cmdPath = control<QPushButton>(this, "cmdPath", twipsRect(4500, 1680, 480, 330), QStringLiteral("... "));
    cmdOK = control<QPushButton>(this, "cmdOK", twipsRect(1320, 2280, 1215, 375), QStringLiteral("OK"));
    cmdCancel = control<QPushButton>(this, "cmdCancel", twipsRect(2880, 2280, 1215, 375), QStringLiteral("Cancel"));
    for (QPushButton *b : {cmdPath, cmdOK, cmdCancel})
        b->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmSw.cmdOK_Click"), [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmSw.cmdCancel_Click"), [this] { cmdCancel_Click(); }); });

    // Form_Load.
    centreOnScreen(this);
    chkMsg->setChecked(OptMsg);
    chkHide->setChecked(OptHide);
    chkDisp->setChecked(OptDisp);
    chkAuto->setChecked(OptSave);
    if (!OptCsv)
        optDat->setChecked(true);
    else if (OptCsvT == 0)
        optCsv->setChecked(true);
    else
        optCsv2->setChecked(true);
    txtPath->setText(QDir::toNativeSeparators(homePath(QStringLiteral("Data"))) + QDir::separator());
}

void frmSw::cmdOK_Click()
{
    OptSave = chkAuto->isChecked();
    OptMsg = chkMsg->isChecked();
    OptHide = chkHide->isChecked();
    OptDisp = chkDisp->isChecked();
    if (optCsv->isChecked()) {
        OptCsvT = 0;
        OptCsv = true;
    } else if (optCsv2->isChecked()) {
        OptCsvT = 1;
        OptCsv = true;
    } else {
        OptCsv = false;
    }
    // The options hold for this run at once. A write that fails keeps
    // qx.ini whole and is logged ("ErrIni"); the rest are not tried, the
    // user is told and the dialog stays open, so OK can be tried again.
    const QString Auto = QStringLiteral("AUTO");
    const std::pair<const char *, QString> values[] = {
        {"MSG", trueFalse(OptMsg)},   {"SAVE", trueFalse(OptSave)}, {"HIDE", trueFalse(OptHide)},
        {"DISP", trueFalse(OptDisp)}, {"CSV", trueFalse(OptCsv)},   {"CSVT", QString::number(OptCsvT)},
    };
    for (const auto &[key, value] : values) {
        if (!Module1::WriteIni(IniFile, Auto, QLatin1String(key), value)) {
            promptBox(QStringLiteral("Save failed!"), MbCritical);
            return;
        }
    }
    accept();
}

void frmSw::cmdCancel_Click() { reject(); }

qx::FormHolder<frmSw> &frmSwForm()
{
    static qx::FormHolder<frmSw> holder;
    return holder;
}
