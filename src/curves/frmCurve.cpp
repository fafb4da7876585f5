#include "curves/frmCurve.h"

#include "curves/CurveGraph.h"
#include "curves/MainViews.h"
#include "curves/frmData.h"
#include "services/Module1.h"
#include "services/Module3.h"
#include "services/State.h"
#include "platform/Guard.h"
#include "platform/LostFocus.h"
#include "platform/Numbers.h"
#include "platform/Placement.h"
#include "platform/UiServices.h"
#include "platform/WidgetStyle.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

using namespace qx;
using namespace qx::curves;

namespace {

QPushButton *button(QWidget *parent, const char *name, const char *text, const QRect &r)
{
    auto *b = control<QPushButton>(parent, name, r, QLatin1String(text));
    b->setAutoDefault(false);
    return b;
}

// Whole part of a value as plain decimal text.
QString wholeText(float v)
{
    const double f = std::floor(double(v));
    return std::isfinite(f) ? QString::number(qint64(std::clamp(f, -9.0e15, 9.0e15))) : QStringLiteral("0");
}

} // namespace

CoordDialog::CoordDialog()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    // Kept above every other window whenever it is active.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Curve Coordinate Settings"));
    setFixedSize(twipsToPx(4560), twipsToPx(2460));

    const struct {
        const char *caption, *unit, *lo, *hi;
        int top;
    } rows[] = {{"Voltage:", "V", "txtVL", "txtVH", 240},
                {"Current:", "A", "txtCL", "txtCH", 720},
                {"Time:", "S", "txtTime", "txtTime2", 1200}};
    QLineEdit **fields[] = {&txtVL, &txtVH, &txtCL, &txtCH, &txtTime, &txtTime2};
    for (int r = 0; r < 3; ++r) {
        const auto &row = rows[r];
        control<QLabel>(this, nullptr, twipsRect(240, row.top + 40, 960, 300), QLatin1String(row.caption));
        *fields[2 * r] = control<QLineEdit>(this, row.lo, twipsRect(1200, row.top, 1080, 330));
        control<QLabel>(this, nullptr, twipsRect(2400, row.top + 40, 300, 300), QStringLiteral("--"));
        *fields[2 * r + 1] = control<QLineEdit>(this, row.hi, twipsRect(2760, row.top, 1080, 330));
        control<QLabel>(this, nullptr, twipsRect(3960, row.top + 40, 360, 300), QLatin1String(row.unit));
    }
    for (QLineEdit **f : fields)
        (*f)->installEventFilter(this);
    auto *line = control<QFrame>(this, nullptr, twipsRect(120, 1680, 4320, 30));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    cmdOK = button(this, "cmdOK", "OK", twipsRect(1080, 1860, 1215, 375));
    cmdCancel = button(this, "cmdCancel", "Cancel", twipsRect(2640, 1860, 1215, 375));
    connect(cmdOK, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmCurve.cmdOK_Click"), [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmCurve.cmdCancel_Click"), [this] { cmdCancel_Click(); }); });
    // Form_Unload: however the dialog closes.
    connect(this, &QDialog::finished, this, [] { DlgDone = true; });
}

QLineEdit *CoordDialog::field(CoordField f) const
{
    switch (f) {
    case FieldVL: return txtVL;
    case FieldVH: return txtVH;
    case FieldCL: return txtCL;
    case FieldCH: return txtCH;
    case FieldTime: return txtTime;
    default: return txtTime2;
    }
}

void CoordDialog::Form_Load(const CurveGraph *g)
{
    centreOnScreen(this);
    if (!g)
        return;
    txtVL->setText(num::format(g->MinY(0), u"0.0"));
    txtVH->setText(num::format(g->MaxY(0), u"0.0"));
    txtCL->setText(num::format(g->MinY(1), u"0.0"));
    txtCH->setText(num::format(g->MaxY(1), u"0.0"));
    txtTime->setText(wholeText(g->MinX()));
    txtTime2->setText(wholeText(g->MaxX()));
}

void CoordDialog::LostFocus(CoordField f)
{
    QLineEdit *e = field(f);
    QString text;
    if (const auto fail = checkField(f, e->text(), &text)) {
        checking_ = true;
        ui().msgBox(Module3::LangText(fail->message), MbCritical, Module3::LangText(CoordTitle));
        checking_ = false;
        // The focus goes back to the field once the focus change under way is done.
        QTimer::singleShot(0, e, [e] { e->setFocus(Qt::OtherFocusReason); });
        return;
    }
    e->setText(text);
}

bool CoordDialog::eventFilter(QObject *o, QEvent *e)
{
    if (qx::lostFocus(e) && !checking_) {
        // Leaving the window or heading for Cancel checks nothing.
        const QWidget *to = QApplication::focusWidget();
        if (to != cmdCancel && (!to || to->window() == this)) {
            for (int f = 0; f < CoordFields; ++f)
                if (o == field(CoordField(f)))
                    guarded(QStringLiteral("frmCurve.LostFocus"), [&] { LostFocus(CoordField(f)); });
        }
    }
    return QDialog::eventFilter(o, e);
}

void CoordDialog::cmdOK_Click()
{
    CoordTexts texts;
    for (int f = 0; f < CoordFields; ++f)
        texts[size_t(f)] = field(CoordField(f))->text();
    if (const auto fail = checkAll(texts)) {
        ui().msgBox(Module3::LangText(fail->message), MbCritical, Module3::LangText(CoordTitle));
        if (fail->message == MsgNotNumber)
            field(fail->field)->setFocus(Qt::OtherFocusReason);
        return;
    }
    save();
    auto value = [&](CoordField f) { return num::toSingle(texts[size_t(f)]); };
    for (CurveGraph *g : targets()) {
        g->set_MinY(0, value(FieldVL));
        g->set_MaxY(0, value(FieldVH));
        g->set_MinY(1, value(FieldCL));
        g->set_MaxY(1, value(FieldCH));
        g->set_MinX(value(FieldTime));
        g->set_MaxX(value(FieldTime2));
        g->DrawCurve();
    }
    accept();
}

void CoordDialog::cmdCancel_Click() { reject(); }

// ---------------------------------------------------------------- frmCurve

frmCurve::frmCurve()
{
    setObjectName(QStringLiteral("frmCurve"));
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, txtCL);
    setTabOrder(txtCL, txtCH);
    setTabOrder(txtCH, txtVL);
    setTabOrder(txtVL, txtVH);
    setTabOrder(txtVH, txtTime);
    setTabOrder(txtTime, txtTime2);
    const MainViews *m = mainViews();
    Form_Load(m && CurDev >= 0 && CurDev < m->viewCount() ? &m->chart(CurDev) : nullptr);
    cmdOK->setFocus();
}

std::vector<CurveGraph *> frmCurve::targets() const
{
    std::vector<CurveGraph *> out;
    if (const MainViews *m = mainViews())
        for (int i = 0; i < DevCount && i < m->viewCount(); ++i)
            out.push_back(&m->chart(i));
    return out;
}

void frmCurve::save() const
{
    const struct {
        const char *key;
        QLineEdit *from;
    } keys[] = {{"VY0", txtVL}, {"VY1", txtVH}, {"CY0", txtCL}, {"CY1", txtCH}, {"CT0", txtTime}, {"CT1", txtTime2}};
    for (const auto &k : keys)
        Module1::WriteIni(IniFile, QStringLiteral("CURVE"), QLatin1String(k.key), k.from->text());
}

// --------------------------------------------------------------- frmCurve2

frmCurve2::frmCurve2()
{
    setObjectName(QStringLiteral("frmCurve2"));
    setTabOrder(txtTime2, txtTime);
    setTabOrder(txtTime, txtVH);
    setTabOrder(txtVH, txtVL);
    setTabOrder(txtVL, txtCH);
    setTabOrder(txtCH, txtCL);
    setTabOrder(txtCL, cmdCancel);
    setTabOrder(cmdCancel, cmdOK);
    Form_Load(frmDataForm().isLoaded() ? &frmDataForm().get().CurveGraph() : nullptr);
    txtTime2->setFocus();
}

std::vector<CurveGraph *> frmCurve2::targets() const
{
    if (!frmDataForm().isLoaded())
        return {};
    return {&frmDataForm().get().CurveGraph()};
}

qx::FormHolder<frmCurve> &frmCurveForm()
{
    static qx::FormHolder<frmCurve> holder;
    return holder;
}

qx::FormHolder<frmCurve2> &frmCurve2Form()
{
    static qx::FormHolder<frmCurve2> holder;
    return holder;
}
