#include "curves/frmShow.h"

#include "curves/ColorSwatch.h"
#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "curves/MainViews.h"
#include "services/Module1.h"
#include "services/State.h"
#include "platform/Guard.h"
#include "platform/Placement.h"
#include "platform/WidgetStyle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace qx;
using namespace qx::curves;

namespace {

QComboBox *list(QWidget *parent, const char *name, const QStringList &items, const QRect &r)
{
    auto *c = control<QComboBox>(parent, name, r);
    c->addItems(items);
    return c;
}

// Selects the entry with this text, adding it when the list lacks it.
void choose(QComboBox *c, const QString &text)
{
    int i = c->findText(text);
    if (i < 0) {
        c->addItem(text);
        i = c->count() - 1;
    }
    c->setCurrentIndex(i);
}

QString onOff(bool v) { return v ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

frmShow::frmShow()
{
    setObjectName(QStringLiteral("frmShow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Display Setting"));
    setFixedSize(twipsToPx(6240), twipsToPx(4560));

    const QStringList dots{QStringLiteral("Solid"), QStringLiteral("Dot")};
    QGroupBox *line = control<QGroupBox>(this, nullptr, twipsRect(120, 60, 2880, 1500), QStringLiteral("Line"));
    control<QLabel>(line, nullptr, twipsRect(120, 300, 840, 300), QStringLiteral("Majoy:"));
    cmbDot = list(line, "cmbDot", dots, twipsRect(1080, 260, 1560, 330));
    control<QLabel>(line, nullptr, twipsRect(120, 700, 840, 300), QStringLiteral("Minor:"));
    cmbDot2 = list(line, "cmbDot2", dots, twipsRect(1080, 660, 1560, 330));
    control<QLabel>(line, nullptr, twipsRect(120, 1100, 840, 300), QStringLiteral("Width:"));
    cmbLine = list(line, "cmbLine", {QStringLiteral("1"), QStringLiteral("2")}, twipsRect(1080, 1060, 1560, 330));

    QGroupBox *colour = control<QGroupBox>(this, nullptr, twipsRect(3120, 60, 3000, 1500), QStringLiteral("Color"));
    control<QLabel>(colour, nullptr, twipsRect(120, 300, 720, 300), QStringLiteral("Grid:"));
    lblGridColor = makeSwatch(colour, "lblGridColor", twipsRect(960, 260, 1800, 330));
    control<QLabel>(colour, nullptr, twipsRect(120, 700, 720, 300), QStringLiteral("Bg:"));
    lblBackColor = makeSwatch(colour, "lblBackColor", twipsRect(960, 660, 1800, 330));
    control<QLabel>(colour, nullptr, twipsRect(120, 1100, 720, 300), QStringLiteral("Axes:"));
    lblAxesColor = makeSwatch(colour, "lblAxesColor", twipsRect(960, 1060, 1800, 330));

    control<QLabel>(this, nullptr, twipsRect(240, 1740, 720, 300), QStringLiteral("Power:"));
    lblPwrColor = makeSwatch(this, "lblPwrColor", twipsRect(1080, 1700, 1800, 330));
    control<QLabel>(this, nullptr, twipsRect(3240, 1740, 720, 300), QStringLiteral("Time:"));
    lblTimeColor = makeSwatch(this, "lblTimeColor", twipsRect(4080, 1700, 1800, 330));

    QGroupBox *curve2 = control<QGroupBox>(this, nullptr, twipsRect(120, 2160, 2880, 1260), QStringLiteral("Curve2"));
    chkY2 = control<QCheckBox>(curve2, "chkY2", twipsRect(120, 300, 1200, 300), QStringLiteral("Show"));
    lblY2 = makeSwatch(curve2, "lblY2", twipsRect(1440, 280, 1200, 330));
    optPwr = control<QRadioButton>(curve2, "optPwr", twipsRect(120, 780, 1200, 300), QStringLiteral("Power"));
    optTemp = control<QRadioButton>(curve2, "optTemp", twipsRect(1440, 780, 1200, 300), QStringLiteral("Temp"));
    optPwr->setChecked(true);

    QGroupBox *axis = control<QGroupBox>(this, nullptr, twipsRect(3120, 2160, 3000, 1260), QStringLiteral("轴单位"));
    optTime = control<QRadioButton>(axis, "optTime", twipsRect(120, 300, 1320, 300), QStringLiteral("Time"));
    optCap = control<QRadioButton>(axis, "optCap", twipsRect(1560, 300, 1320, 300), QStringLiteral("Capacity"));
    chkCap = control<QCheckBox>(axis, "chkCap", twipsRect(120, 780, 1320, 300), QStringLiteral("容量"));
    chkWh = control<QCheckBox>(axis, "chkWh", twipsRect(1560, 780, 1320, 300), QStringLiteral("能量"));

    chkLabel = control<QCheckBox>(this, "chkLabel", twipsRect(240, 3600, 1200, 300), QStringLiteral("Label"));
    chkScale = control<QCheckBox>(this, "chkScale", twipsRect(1560, 3600, 1440, 300), QStringLiteral("Auto Scale"));
    cmdOK = control<QPushButton>(this, "cmdOK", twipsRect(3240, 3960, 1215, 375), QStringLiteral("OK"));
    cmdCancel = control<QPushButton>(this, "cmdCancel", twipsRect(4680, 3960, 1215, 375), QStringLiteral("Cancel"));
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    for (QLabel *s : {lblGridColor, lblBackColor, lblAxesColor, lblPwrColor, lblTimeColor, lblY2})
        s->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmShow.cmdOK_Click"), [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { guarded(QStringLiteral("frmShow.cmdCancel_Click"), [this] { cmdCancel_Click(); }); });
    connect(this, &QDialog::finished, this, [] { DlgDone = true; });

    // Form_Load: the first device tab's chart and panel, whatever tab is selected.
    centreOnScreen(this);
    optTime->setChecked(OptXTime);
    chkCap->setChecked(OptSah != 0);
    chkWh->setChecked(OptSwh != 0);
    chkLabel->setChecked(OptSla != 0);
    chkScale->setChecked(OptScale != 0);
    const MainViews *m = mainViews();
    if (!m || m->viewCount() < 1)
        return;
    const CurveGraph &g = m->chart(0);
    cmbDot->setCurrentIndex(g.GridType1() > 0 ? 1 : 0);
    cmbDot2->setCurrentIndex(g.GridType2() > 0 ? 1 : 0);
    choose(cmbLine, QString::number(g.Line()));
    setSwatch(lblGridColor, g.GridColor());
    setSwatch(lblBackColor, g.BackColor());
    setSwatch(lblAxesColor, g.AxesColor());
    setSwatch(lblPwrColor, m->PwrColor(0));
    setSwatch(lblTimeColor, m->TimeColor(0));
    chkY2->setChecked(g.ShowAxesY2());
    setSwatch(lblY2, g.CurveLineColor(curveSlot(0, Curve::PowerOrTemp)));
}

bool frmShow::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonPress)
        if (auto *s = qobject_cast<QLabel *>(o))
            guarded(QStringLiteral("frmShow.") + s->objectName() + QStringLiteral("_Click"), [s] { pickSwatch(s); });
    return QDialog::eventFilter(o, e);
}

void frmShow::cmdOK_Click()
{
    MainViews *m = mainViews();
    const int count = m ? std::min(DevCount, m->viewCount()) : 0;
    const int width = cmbLine->currentText().toInt();
    for (int i = 0; i < count; ++i) {
        CurveGraph &g = m->chart(i);
        g.set_GridColor(swatchColor(lblGridColor));
        g.set_BackColor(swatchColor(lblBackColor));
        g.set_AxesColor(swatchColor(lblAxesColor));
        m->set_PwrColor(i, swatchColor(lblPwrColor));
        m->set_TimeColor(i, swatchColor(lblTimeColor));
        g.set_Line(width);
    }
    const QString Data = QStringLiteral("DATA");
    auto write = [&](const char *key, const QString &value) {
        Module1::WriteIni(IniFile, Data, QLatin1String(key), value);
    };
    const bool dot1 = cmbDot->currentText() != QStringLiteral("Solid");
    const bool dot2 = cmbDot2->currentText() != QStringLiteral("Solid");
    for (int i = 0; i < count; ++i)
        m->chart(i).set_GridType1(dot1 ? 2 : 0);
    write("MDOT", onOff(dot1));
    for (int i = 0; i < count; ++i)
        m->chart(i).set_GridType2(dot2 ? 2 : 0);
    write("SDOT", onOff(dot2));

    write("GCOL", QString::number(swatchColor(lblGridColor)));
    write("BCOL", QString::number(swatchColor(lblBackColor)));
    write("ACOL", QString::number(swatchColor(lblAxesColor)));
    write("PCOL", QString::number(swatchColor(lblPwrColor)));
    write("TCOL", QString::number(swatchColor(lblTimeColor)));
    write("XTIME", optTime->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    write("SAH", onOff(chkCap->isChecked()));
    write("SWH", onOff(chkWh->isChecked()));
    write("SLA", onOff(chkLabel->isChecked()));
    write("SCALE", onOff(chkScale->isChecked()));
    write("LINE", cmbLine->currentText());

    OptSah = chkCap->isChecked() ? 1 : 0;
    OptSwh = chkWh->isChecked() ? 1 : 0;
    OptSla = chkLabel->isChecked() ? 1 : 0;
    OptXTime = optTime->isChecked();
    OptScale = chkScale->isChecked() ? 1 : 0;

    const bool showY2 = chkY2->isChecked();
    const bool temp = optTemp->isChecked();
    const uint32_t y2Colour = swatchColor(lblY2);
    if (m && showY2)
        m->set_TempChecked(temp);
    for (int i = 0; i < count; ++i) {
        CurveGraph &g = m->chart(i);
        const bool dual = m->Dev2S(i) && g.CurveCount() >= 2 * CurvesPerSet;
        const bool legends = OptSla == 1;
        const int channels = dual ? 2 : 1;
        for (int chn = 0; chn < channels; ++chn)
            for (const Curve k : {Curve::Voltage, Curve::Current})
                g.set_ShowLegend(curveSlot(chn, k), legends);
        // The third curve of each channel.
        std::vector<int> thirds;
        for (int chn = 0; chn < channels; ++chn)
            thirds.push_back(curveSlot(chn, Curve::PowerOrTemp));
        // A device without a temperature sensor plots power there.
        const bool isTemp = temp && dev(i).HasTemp;
        g.set_ShowAxesY2(showY2);
        if (showY2)
            g.set_AxesY2Txt(isTemp ? QStringLiteral("[C]") : QStringLiteral("[W]"));
        for (size_t k = 0; k < thirds.size(); ++k) {
            const int c = thirds[k];
            g.set_ShowCurve(c, showY2);
            if (showY2) {
                QString text = isTemp ? QStringLiteral("Temp") : QStringLiteral("Power");
                if (dual)
                    text += QString::number(k + 1);
                g.set_LegendText(c, text);
                g.set_CurveAxesY(c, 2);
            }
            g.set_ShowLegend(c, showY2 && legends);
            g.set_CurveLineColor(c, y2Colour);
        }
        g.DrawCurve();
    }
    accept();
}

void frmShow::cmdCancel_Click() { reject(); }

qx::FormHolder<frmShow> &frmShowForm()
{
    static qx::FormHolder<frmShow> holder;
    return holder;
}
