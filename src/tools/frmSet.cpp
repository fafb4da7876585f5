#include "tools/frmSet.h"

#include "services/Module3.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/LostFocus.h"
#include "platform/GuardedConnect.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"
#include "services/Refusal.h"
#include "tools/StepEditRules.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

using qx::stepedit::Box;

namespace {

constexpr int Steps = 10;
constexpr int GridWidth = 6600;  // twips
constexpr int NumberColumn = 700;

QString lang(const char *text) { return qx::Module3::LangText(QLatin1String(text)); }
QString stepName(int n) { return lang("Step") + QString::number(n); }

::DevCtrl *panel() { return DevCtrl::find(qx::CurDev); }

} // namespace

frmSet::frmSet()
{
    setObjectName(QStringLiteral("frmSet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(lang("Parameter Setting"));
    buildControls();

    // Form_Load.
    qx::centreOnScreen(this);
    const qx::stepedit::Device d = qx::deviceLimits(qx::CurDev);
    CurFmt = qx::stepedit::curFormat(d);
    VolFmt = qx::stepedit::volFormat(d);
    PwrFmt = qx::stepedit::pwrFormat(d);

    const ::DevCtrl *p = panel();
    for (int i = 0; i <= d.lastChgMode; ++i)
        cmbMode->addItem(p ? p->ModeTxt(i) : QString());
    cmbMode->addItem(lang("Wait"));
    cmbMode->addItem(lang("Cycle"));

    // Every row up to the last filled one gets its entry, so that entry i
    // always edits row i + 1.
    int last = 0;
    for (int r = 1; r <= Steps; ++r) {
        gridSet->set_TextMatrix(r, 0, QString::number(r));
        for (int c = 1; c <= 4; ++c)
            gridSet->set_TextMatrix(r, c, p ? p->tStepSet(r, c) : QString());
        if (!gridSet->TextMatrix(r, 1).isEmpty())
            last = r;
    }
    for (int r = 1; r <= last; ++r)
        cmbFlow->addItem(stepName(r));
    if (cmbFlow->count() < Steps)
        cmbFlow->addItem(stepName(cmbFlow->count() + 1));

    // Step 1 shows its stored values; only an empty step 1 (or one whose
    // mode the list lacks) starts from the first mode's defaults.
    SelStep = -1;
    selectFlow(0);
    if (SelMode < 0) {
        const int stored = cmbMode->findText(gridSet->TextMatrix(1, 1), Qt::MatchExactly);
        selectMode(stored >= 0 && !gridSet->TextMatrix(1, 1).isEmpty() ? stored : 0);
    }
}

frmSet::~frmSet() { Form_Unload(); }

void frmSet::buildControls()
{
    gridSet = qx::control<qx::Grid>(this, "gridSet", qx::twipsRect(120, 120, GridWidth, 3000));
    gridSet->set_Rows(Steps + 1);
    gridSet->set_Cols(5);
    gridSet->set_FixedRows(1);
    gridSet->set_FixedCols(1);
    gridSet->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridSet->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridSet->set_ColWidth(0, NumberColumn);
    // Columns 1 to 4 share the width inside the frame (one pixel each side)
    // in whole pixels.
    const int innerPx = qx::twipsToPx(GridWidth) - 2 - qx::twipsToPx(NumberColumn);
    for (int c = 1; c <= 4; ++c)
        gridSet->set_ColWidth(c, innerPx / 4 * qx::TwipsPerPixel);
    for (int c = 0; c <= 4; ++c)
        gridSet->set_ColAlignment(c, qx::Grid::AlignCenterCenter);
    const char *heads[] = {"Step", "Mode", "Current/Power", "Volt/Cells", "Cutoff"};
    for (int c = 0; c <= 4; ++c)
        gridSet->set_TextMatrix(0, c, lang(heads[c]));
    // Tall enough for the header and the ten steps, frame included.
    int height = 2 * qx::TwipsPerPixel;
    for (int r = 0; r <= Steps; ++r)
        height += gridSet->RowHeight(r);
    gridSet->set_Height(height);
    setFixedSize(qx::twipsToPx(GridWidth + 3300), qx::twipsToPx(std::max(120 + height, 3195) + 120));

    const int x = GridWidth + 360;
    Label9 = qx::control<QLabel>(this, "Label9", qx::twipsRect(x, 180, 900, 300), lang("Step:"));
    cmbFlow = qx::control<QComboBox>(this, "cmbFlow", qx::twipsRect(x + 900, 150, 1500, 330));
    Label13 = qx::control<QLabel>(this, "Label13", qx::twipsRect(x, 600, 900, 300), lang("Mode:"));
    cmbMode = qx::control<QComboBox>(this, "cmbMode", qx::twipsRect(x + 900, 570, 1500, 330));

    lblSet = qx::control<QLabel>(this, "lblSet", qx::twipsRect(x, 1050, 900, 300), lang("Curr:"));
    txtSet = qx::control<QLineEdit>(this, "txtSet", qx::twipsRect(x + 900, 1020, 1200, 330), QStringLiteral("00.10"));
    lblSett = qx::control<QLabel>(this, "lblSett", qx::twipsRect(x + 2160, 1050, 600, 300), QStringLiteral("A"));
    lblLmt = qx::control<QLabel>(this, "lblLmt", qx::twipsRect(x, 1470, 900, 300), lang("Volt:"));
    txtLmt = qx::control<QLineEdit>(this, "txtLmt", qx::twipsRect(x + 900, 1440, 1200, 330), QStringLiteral("01.00"));
    lblLimit1t = qx::control<QLabel>(this, "lblLimit1t", qx::twipsRect(x + 2160, 1470, 600, 300), QStringLiteral("V"));
    lblLmt2 = qx::control<QLabel>(this, "lblLmt2", qx::twipsRect(x, 1890, 900, 300), lang("End:"));
    txtLmt2 = qx::control<QLineEdit>(this, "txtLmt2", qx::twipsRect(x + 900, 1860, 1200, 330));
    lblLmt2t = qx::control<QLabel>(this, "lblLmt2t", qx::twipsRect(x + 2160, 1890, 600, 300), QStringLiteral("M"));

    cmdSet = qx::control<QPushButton>(this, "cmdSet", qx::twipsRect(x, 2400, 1140, 375), lang("Add"));
    cmdClear = qx::control<QPushButton>(this, "cmdClear", qx::twipsRect(x + 1260, 2400, 1140, 375), lang("Clear"));
    cmdOK = qx::control<QPushButton>(this, "cmdOK", qx::twipsRect(x, 2820, 1140, 375), lang("OK"));
    cmdCancel = qx::control<QPushButton>(this, "cmdCancel", qx::twipsRect(x + 1260, 2820, 1140, 375), lang("Cancel"));
    for (QPushButton *b : {cmdSet, cmdClear, cmdOK, cmdCancel})
        b->setAutoDefault(false);

    qx::onSignal(cmbFlow, &QComboBox::activated, this, "frmSet.cmbFlow_Click", &frmSet::cmbFlow_Click);
    qx::onSignal(cmbMode, &QComboBox::activated, this, "frmSet.cmbMode_Click", &frmSet::cmbMode_Click);
    qx::onSignal(cmdSet, &QPushButton::clicked, this, "frmSet.cmdSet_Click", &frmSet::cmdSet_Click);
    qx::onSignal(cmdClear, &QPushButton::clicked, this, "frmSet.cmdClear_Click", &frmSet::cmdClear_Click);
    qx::onSignal(cmdOK, &QPushButton::clicked, this, "frmSet.cmdOK_Click", &frmSet::cmdOK_Click);
    qx::onSignal(cmdCancel, &QPushButton::clicked, this, "frmSet.cmdCancel_Click", &frmSet::cmdCancel_Click);
    // Closing in any way unloads the window (deleted on close).
    connect(this, &QDialog::finished, this, [this] { Form_Unload(); });
    for (QLineEdit *e : {txtSet, txtLmt, txtLmt2})
        e->installEventFilter(this);
}

bool frmSet::eventFilter(QObject *watched, QEvent *event)
{
    if (qx::lostFocus(event)) {
        if (watched == txtSet)
            qx::guarded(QStringLiteral("frmSet.txtSet_LostFocus"), [this] { txtSet_LostFocus(); });
        else if (watched == txtLmt)
            qx::guarded(QStringLiteral("frmSet.txtLmt_LostFocus"), [this] { txtLmt_LostFocus(); });
        else if (watched == txtLmt2)
            qx::guarded(QStringLiteral("frmSet.txtLmt2_LostFocus"), [this] { txtLmt2_LostFocus(); });
    }
    return QDialog::eventFilter(watched, event);
}

void frmSet::selectFlow(int i)
{
    cmbFlow->setCurrentIndex(i);
    cmbFlow_Click();
}

void frmSet::selectMode(int i)
{
    cmbMode->setCurrentIndex(i);
    cmbMode_Click();
}

void frmSet::showLayout()
{
    const qx::stepedit::Device d = qx::deviceLimits(qx::CurDev);
    const qx::stepedit::Layout l = qx::stepedit::layoutOf(d, qx::stepedit::kindOf(d, SelMode));
    lblSet->setText(qx::Module3::LangText(l.setCaption));
    lblSett->setText(l.setUnit);
    lblLmt->setText(qx::Module3::LangText(l.lmtCaption));
    lblLimit1t->setText(l.lmtUnit);
    lblLmt2->setText(qx::Module3::LangText(l.lmt2Caption));
    lblLmt2t->setText(l.lmt2Unit == QLatin1String("Min") ? qx::Module3::LangText(l.lmt2Unit) : l.lmt2Unit);
    txtSet->setEnabled(l.setEnabled);
    txtLmt->setEnabled(l.lmtEnabled);
    txtLmt2->setEnabled(true);
}

void frmSet::cmbMode_Click()
{
    const int k = cmbMode->currentIndex();
    if (k == SelMode || k < 0)
        return;
    SelMode = k;
    showLayout();
    const qx::stepedit::Device d = qx::deviceLimits(qx::CurDev);
    const qx::stepedit::Layout l = qx::stepedit::layoutOf(d, qx::stepedit::kindOf(d, SelMode));
    txtSet->setText(l.setText);
    txtLmt->setText(l.lmtText);
    txtLmt2->setText(l.lmt2Text);
}

void frmSet::cmbFlow_Click()
{
    const int i = cmbFlow->currentIndex();
    if (i < 0)
        return;
    if (i != SelStep) {
        SelStep = i;
        const int row = SelStep + 1;
        if (gridSet->TextMatrix(row, 2).isEmpty())
            return;
        txtSet->setText(gridSet->TextMatrix(row, 2));
        txtLmt->setText(gridSet->TextMatrix(row, 3));
        txtLmt2->setText(gridSet->TextMatrix(row, 4));
        const int k = cmbMode->findText(gridSet->TextMatrix(row, 1), Qt::MatchExactly);
        if (k < 0)
            return;  // a mode the list lacks: nothing more to show
        SelMode = k;
        selectMode(k);  // finds SelMode unchanged and keeps the texts
    }
    if (SelMode >= 0)
        showLayout();
}

void frmSet::leaveCheck(QLineEdit *box, int which)
{
    if (SelMode < 0)
        return;
    const Box b = which == 0 ? Box::Set : which == 1 ? Box::Lmt : Box::Lmt2;
    const qx::stepedit::Checked v = qx::stepedit::leaveCheck(qx::deviceLimits(qx::CurDev), SelMode, b, box->text());
    qx::tell(v.result);
    box->setText(v.text);
}

void frmSet::txtSet_LostFocus() { leaveCheck(txtSet, 0); }
void frmSet::txtLmt_LostFocus() { leaveCheck(txtLmt, 1); }
void frmSet::txtLmt2_LostFocus() { leaveCheck(txtLmt2, 2); }

void frmSet::cmdSet_Click()
{
    if (SelMode < 0 || SelStep < 0)
        return;
    if (!qx::tell(qx::stepedit::addCheck(qx::deviceLimits(qx::CurDev), SelMode, txtSet->text(),
                                                 txtLmt->text(), txtLmt2->text())))
        return;
    const int row = SelStep + 1;
    gridSet->set_TextMatrix(row, 1, cmbMode->currentText());
    gridSet->set_TextMatrix(row, 2, txtSet->text());
    gridSet->set_TextMatrix(row, 3, txtLmt->text());
    gridSet->set_TextMatrix(row, 4, txtLmt2->text());
    if (cmbFlow->currentIndex() == cmbFlow->count() - 1 && SelStep < Steps - 1) {
        ++SelStep;
        cmbFlow->addItem(stepName(SelStep + 1));
        selectFlow(SelStep);
    }
}

void frmSet::cmdClear_Click()
{
    for (int r = 1; r <= Steps; ++r)
        for (int c = 1; c <= 4; ++c)
            gridSet->set_TextMatrix(r, c, QString());
    SelStep = 0;
    cmbFlow->clear();
    cmbFlow->addItem(stepName(1));
    selectFlow(0);
}

void frmSet::cmdOK_Click()
{
    if (::DevCtrl *p = panel()) {
        p->StepSetClr();
        // Every row up to the first empty one goes over, rows after a
        // "Cycle" row included: nothing the user entered is dropped, but
        // the user learns that those rows will not run.
        QStringList modes;
        for (int r = 1; r <= Steps && !gridSet->TextMatrix(r, 1).isEmpty(); ++r) {
            modes << gridSet->TextMatrix(r, 1);
            for (int c = 1; c <= 4; ++c)
                p->set_tStepSet(r, c, gridSet->TextMatrix(r, c));
        }
        qx::stepedit::tellRowsAfterCycle(modes, lang("Cycle"));
    }
    close();
}

void frmSet::cmdCancel_Click() { close(); }

void frmSet::Form_Unload() { qx::DlgDone = true; }

qx::FormHolder<frmSet> &frmSetForm()
{
    static qx::FormHolder<frmSet> holder;
    return holder;
}
