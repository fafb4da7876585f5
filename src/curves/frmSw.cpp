#include "curves/frmSw.h"

#include "link/Module1.h"
#include "link/State.h"
#include "platform/AppHome.h"
#include "platform/Guard.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace qx;

namespace {

template <class B>
B *box(QWidget *parent, const char *name, const char *caption, const QRect &r)
{
    auto *b = new B(QLatin1String(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(r);
    return b;
}

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

    chkMsg = box<QCheckBox>(this, "chkMsg", "Prompt Message", twipsRect(360, 240, 2280, 300));
    chkHide = box<QCheckBox>(this, "chkHide", "Minimize Hidden", twipsRect(2760, 240, 2280, 300));
    chkDisp = box<QCheckBox>(this, "chkDisp", "Suspension Form", twipsRect(360, 660, 2280, 300));
    chkAuto = box<QCheckBox>(this, "chkAuto", "Auto Save", twipsRect(2760, 660, 2280, 300));
    auto *format = new QLabel(QStringLiteral("Data Format:"), this);
    format->setGeometry(twipsRect(360, 1140, 1440, 300));
    optCsv = box<QRadioButton>(this, "optCsv", "csv(,)", twipsRect(1800, 1140, 1080, 300));
    optCsv2 = box<QRadioButton>(this, "optCsv2", "csv(;)", twipsRect(2880, 1140, 1080, 300));
    optDat = box<QRadioButton>(this, "optDat", "dat", twipsRect(3960, 1140, 960, 300));
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setGeometry(twipsRect(360, 1680, 4080, 330));
    txtPath->setEnabled(false);
    cmdPath = box<QPushButton>(this, "cmdPath", "... ", twipsRect(4500, 1680, 480, 330));
    cmdOK = box<QPushButton>(this, "cmdOK", "OK", twipsRect(1320, 2280, 1215, 375));
    cmdCancel = box<QPushButton>(this, "cmdCancel", "Cancel", twipsRect(2880, 2280, 1215, 375));
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
    const QString Auto = QStringLiteral("AUTO");
    Module1::WriteIni(IniFile, Auto, QStringLiteral("MSG"), trueFalse(OptMsg));
    Module1::WriteIni(IniFile, Auto, QStringLiteral("SAVE"), trueFalse(OptSave));
    Module1::WriteIni(IniFile, Auto, QStringLiteral("HIDE"), trueFalse(OptHide));
    Module1::WriteIni(IniFile, Auto, QStringLiteral("DISP"), trueFalse(OptDisp));
    Module1::WriteIni(IniFile, Auto, QStringLiteral("CSV"), trueFalse(OptCsv));
    Module1::WriteIni(IniFile, Auto, QStringLiteral("CSVT"), QString::number(OptCsvT));
    accept();
}

void frmSw::cmdCancel_Click() { reject(); }

qx::FormHolder<frmSw> &frmSwForm()
{
    static qx::FormHolder<frmSw> holder;
    return holder;
}
