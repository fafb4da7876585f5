// The device panel: building its pages and controls, and turning user
// actions and timer ticks into the panel's signals.
#include "panel/DevCtrl.h"

#include "services/Module3.h"
#include "panel/DevCtrlFit.h"
#include "panel/DevCtrlText.h"
#include "panel/LCDisp.h"
#include "panel/RecvMark.h"
#include "platform/Colors.h"
#include "platform/Grid.h"
#include "platform/Guard.h"
#include "platform/KeyedTabBar.h"
#include "platform/LostFocus.h"
#include "platform/PropertyBag.h"
#include "platform/Second.h"
#include "platform/WidgetStyle.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <vector>

namespace {

// Every panel alive, for DevCtrl::find.
std::vector<DevCtrl *> &allPanels()
{
    static std::vector<DevCtrl *> panels;
    return panels;
}

constexpr uint32_t LightGrey = qx::rgb(224, 224, 224);
constexpr uint32_t Blue = qx::rgb(0, 0, 255);
constexpr uint32_t Red = qx::rgb(255, 0, 0);
constexpr uint32_t DarkRed = qx::rgb(192, 0, 0);
constexpr uint32_t Olive = qx::rgb(128, 128, 0);
constexpr uint32_t ReadingText = qx::rgb(0, 0, 192);

template <class W>
W *make(QWidget *parent, const QString &name, const QRect &r)
{
    auto *w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(r);
    return w;
}

QString indexed(const char *name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

QLabel *label(QWidget *parent, const QString &name, const QString &text, const QRect &r)
{
    auto *l = make<QLabel>(parent, name, r);
    l->setText(text);
    return l;
}

// A caption that hides what lies behind it (the stacked caption pairs).
QLabel *opaqueLabel(QWidget *parent, const QString &name, const QString &text, const QRect &r)
{
    QLabel *l = label(parent, name, text, r);
    l->setAutoFillBackground(true);
    return l;
}

QLabel *unitLabel(QWidget *parent, const QString &name, const QString &text, int left, int top,
                  uint32_t color)
{
    QLabel *l = label(parent, name, text, qx::twipsRect(left, top, 435, 375));
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(12);
    l->setFont(f);
    qx::setTextColor(l, color);
    return l;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, const QRect &r,
                    bool enabled)
{
    auto *b = make<QPushButton>(parent, name, r);
    b->setText(text);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setEnabled(enabled);
    return b;
}

QLineEdit *box(QWidget *parent, const QString &name, const QRect &r, const QString &text = {})
{
    auto *e = make<QLineEdit>(parent, name, r);
    e->setAlignment(Qt::AlignCenter);
    e->setText(text);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, qx::oleToColor(LightGrey));
    e->setPalette(pal);
    return e;
}

QComboBox *dropList(QWidget *parent, const QString &name, int left, int top, int width)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(false);
    c->setGeometry(qx::twipsToPx(left), qx::twipsToPx(top), qx::twipsToPx(width),
                   c->sizeHint().height());
    c->setProperty("designWidth", c->width());
    return c;
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, const QRect &r)
{
    auto *g = make<QGroupBox>(parent, name, r);
    g->setTitle(caption);
    return g;
}

QFrame *hLine(QWidget *parent, int left, int top, int right, uint32_t color)
{
    auto *f = new QFrame(parent);
    f->setGeometry(qx::twipsToPx(left), qx::twipsToPx(top), qx::twipsToPx(right - left), 1);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, qx::oleToColor(color));
    f->setPalette(pal);
    return f;
}

// A seven-segment readout with the panel's design settings.
LCDisp *readout(QWidget *parent, const QString &name, const QRect &r, uint32_t lit, uint32_t litNeg,
                const QString &value, bool time)
{
    qx::PropertyBag bag = qx::panel::readoutDesign(4, time ? 2 : 0, lit, litNeg, value);
    for (const char *key : {"BackColor1", "BackColor2", "BorderColor"})
        bag.WriteProperty(QLatin1String(key), uint32_t(qx::SysButtonFace));
    bag.WriteProperty("BurnInColor", LightGrey);
    bag.WriteProperty("BurnInColorNeg", LightGrey);
    bag.WriteProperty("YOffset", 0);
    if (time) {
        bag.WriteProperty("SegmentHeightExp", 9);
        bag.WriteProperty("SegmentStyleExp", 0);
        bag.WriteProperty("InterDigitGapExp", 4);
        bag.WriteProperty("XOffsetExp", 88);
    }
    return qx::panel::placeReadout(parent, name, r, bag);
}

// The logo: a small picture drawn once.
QPixmap defaultLogo()
{
    QPixmap pm(80, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    p.setBrush(QColor(230, 236, 250));
    p.drawRoundedRect(QRectF(6, 14, 62, 36), 6, 6);
    p.setBrush(QColor(0, 0, 160));
    p.drawRect(QRectF(68, 26, 6, 12));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(22);
    p.setFont(f);
    p.drawText(QRectF(6, 14, 62, 36), Qt::AlignCenter, QStringLiteral("QX"));
    return pm;
}

} // namespace

DevCtrl *DevCtrl::find(int index)
{
    for (DevCtrl *p : allPanels())
        if (p->index_ == index)
            return p;
    return nullptr;
}

template <class... A>
void DevCtrl::raiseGuarded(void (DevCtrl::*event)(A...), std::type_identity_t<A>... args)
{
    qx::guarded(QStringLiteral("DevCtrl"), [&] { Q_EMIT(this->*event)(args...); });
}

template <class Sender, class Signal, class... A>
void DevCtrl::relay(Sender *from, Signal what, void (DevCtrl::*event)(A...), std::type_identity_t<A>... args)
{
    connect(from, what, this, [this, event, args...] { raiseGuarded(event, args...); });
}

QFont DevCtrl::compactFont()
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(8.5);
    return f;
}

DevCtrl::DevCtrl(QWidget *parent) : QWidget(parent)
{
    allPanels().push_back(this);
    resize(qx::twipsToPx(3600), qx::twipsToPx(7560));
    setFont(compactFont());
    volColor_ = Blue;
    curColor_ = Red;
    pwrColor_ = Olive;

    buildTabs();
    for (int i = 0; i < 3; ++i) {
        auto *page = make<QWidget>(this, indexed("frmDev", i), qx::twipsRect(0, 360, 3375, 7095));
        page->setAutoFillBackground(true);
        frmDev_[size_t(i)] = page;
    }
    buildSinglePage(frmDev_[0]);
    buildAutoPage(frmDev_[1]);
    buildStepPage(frmDev_[2]);
    buildTimers();
    layoutGrids();
    set_Dev2S(false);
    showPage(1);
}

DevCtrl::~DevCtrl()
{
    for (int i = 0; i < watchCount_; ++i)
        watches_[size_t(i)].box->removeEventFilter(this);
    txtVolAuto_->removeEventFilter(this);
    auto &all = allPanels();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void DevCtrl::buildTabs()
{
    // The strip's body lies behind the pages; the tabs sit on top of it.
    tabBody_ = make<QFrame>(this, QStringLiteral("tabBody"), qx::twipsRect(0, 330, 3495, 7245));
    tabBody_->setFrameShape(QFrame::StyledPanel);
    tabDev_ = new qx::KeyedTabBar(this);
    tabDev_->setObjectName(QStringLiteral("tabDev"));
    tabDev_->setGeometry(0, 0, qx::twipsToPx(3495), qx::twipsToPx(360));
    tabDev_->setDrawBase(false);
    tabDev_->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));
    tabDev_->Add(1, QStringLiteral("key1"), QStringLiteral("Single Test"));
    connect(tabDev_, &qx::KeyedTabBar::Click, this, [this] { tabClicked(); });
}

void DevCtrl::buildSinglePage(QWidget *page)
{
    frmRun_ = frame(page, QStringLiteral("frmRun"), QStringLiteral("Run Data"), qx::twipsRect(0, 0, 3375, 2295));
    frmRun2S_ = frame(page, QStringLiteral("frmRun2S"), QStringLiteral("Run Data"), qx::twipsRect(0, 0, 3375, 2295));
    frmCtrl_ = frame(page, QStringLiteral("frmCtrl"), QStringLiteral("Parameter Setting"),
                     qx::twipsRect(0, 2400, 3375, 3615));
    frmCtrl2S_ = frame(page, QStringLiteral("frmCtrl2S"), QStringLiteral("Parameter Setting"),
                       qx::twipsRect(0, 2400, 3375, 3615));
    frmCom_ = frame(page, QStringLiteral("frmCom"), QStringLiteral("Comm Setting"), qx::twipsRect(0, 6120, 3375, 975));
    buildRunOne(frmRun_);
    buildRunTwo(frmRun2S_);
    buildCtrlOne(frmCtrl_);
    buildCtrlTwo(frmCtrl2S_);
    buildComm(frmCom_);
}

void DevCtrl::buildRunOne(QGroupBox *f)
{
    lcdVol_ = readout(f, QStringLiteral("lcdVol"), qx::twipsRect(120, 360, 1245, 450), Blue, Blue, "00.00", false);
    lcdCur_ = readout(f, QStringLiteral("lcdCur"), qx::twipsRect(1800, 360, 1245, 450), Red, DarkRed, "00.00", false);
    lcdPwr_ = readout(f, QStringLiteral("lcdPwr"), qx::twipsRect(120, 1000, 1245, 450), Olive, Olive, "00.00", false);
    lcdTime_ = readout(f, QStringLiteral("lcdTime"), qx::twipsRect(120, 1560, 1845, 450), Olive, Olive,
                       "00:00E+00", true);
    lblVolt_ = unitLabel(f, QStringLiteral("lblVolt"), QStringLiteral("V"), 1440, 480, Blue);
    lblCurt_ = unitLabel(f, QStringLiteral("lblCurt"), QStringLiteral(" A"), 3000, 480, Red);
    lblPwrt_ = unitLabel(f, QStringLiteral("lblPwrt"), QStringLiteral("W"), 1440, 1080, Olive);
    hLine(f, 120, 900, 3240, qx::rgb(128, 128, 128));
    imgLogo_ = make<QLabel>(f, QStringLiteral("imgLogo"), qx::twipsRect(2040, 1005, 1200, 960));
    imgLogo_->setPixmap(defaultLogo());
}

void DevCtrl::buildRunTwo(QGroupBox *f)
{
    label(f, QStringLiteral("lblChn1"), QStringLiteral("Channel1"), qx::twipsRect(720, 360, 1095, 300));
    label(f, QStringLiteral("lblChn2"), QStringLiteral("Channel2"), qx::twipsRect(2040, 360, 1095, 300));
    const struct {
        const char *caption, *name, *unitName, *unit, *box;
        int top;
        std::array<QLineEdit *, 2> *boxes;
        const char *text;
    } rows[] = {
        {"Volt:", "lblVol2S", "lblVol2St", "V", "txtVol2S", 720, &txtVol2S_, "00.00"},
        {"Curr:", "lblCur2S", "lblCur2St", "A", "txtCur2S", 1080, &txtCur2S_, "00.00"},
        {"Pwr:", "lblPwr2S", "lblPwr2St", "W", "txtPwr2S", 1440, &txtPwr2S_, "0.0"},
        {"Time:", "lblTime2S", nullptr, nullptr, "txtTime2S", 1800, &txtTime2S_, "00:00:00"},
    };
    for (const auto &r : rows) {
        label(f, QLatin1String(r.name), QLatin1String(r.caption), qx::twipsRect(120, r.top, 600, 330));
        const bool time = r.boxes == &txtTime2S_;
        for (int c = 0; c < 2; ++c) {
            QLineEdit *e = box(f, indexed(r.box, c), qx::twipsRect(c == 0 ? 720 : 2040, r.top, time ? 1095 : 735, 330),
                               QLatin1String(r.text));
            // Readings are shown, never typed.
            e->setReadOnly(true);
            qx::setTextColor(e, ReadingText);
            (*r.boxes)[size_t(c)] = e;
            if (r.unit)
                label(f, indexed(r.unitName, c), QLatin1String(r.unit),
                      qx::twipsRect(c == 0 ? 1560 : 2880, r.top, 435, 330));
        }
    }
}

void DevCtrl::buildCtrlOne(QGroupBox *f)
{
    label(f, QStringLiteral("lblMode"), QStringLiteral("Mode:"), qx::twipsRect(240, 360, 1575, 375));
    cmbMode_ = dropList(f, QStringLiteral("cmbMode"), 1800, 360, 1215);
    lblSval_ = label(f, QStringLiteral("lblSval"), QStringLiteral("Test Val:"), qx::twipsRect(240, 840, 1335, 375));
    lblSlmt_ = label(f, QStringLiteral("lblSlmt"), QStringLiteral("Cutoff Volt:"), qx::twipsRect(240, 1320, 1575, 375));
    lblStim_ = label(f, QStringLiteral("lblStim"), QStringLiteral("Max Time:"), qx::twipsRect(240, 1800, 1575, 375));
    txtSval_ = box(f, QStringLiteral("txtSval"), qx::twipsRect(1800, 840, 855, 375));
    txtSlmt_ = box(f, QStringLiteral("txtSlmt"), qx::twipsRect(1800, 1320, 855, 375));
    txtStim_ = box(f, QStringLiteral("txtStim"), qx::twipsRect(1800, 1800, 855, 375));
    lblSvalt_ = label(f, QStringLiteral("lblSvalt"), QStringLiteral("A"), qx::twipsRect(2760, 840, 435, 375));
    lblSlmtt_ = label(f, QStringLiteral("lblSlmtt"), QStringLiteral("V"), qx::twipsRect(2760, 1320, 435, 375));
    lblStimt_ = label(f, QStringLiteral("lblStimt"), QStringLiteral("M"), qx::twipsRect(2760, 1800, 435, 375));
    cmdRun_ = button(f, QStringLiteral("cmdRun"), QStringLiteral("Start"), qx::twipsRect(120, 2400, 1095, 495), false);
    cmdStop_ = button(f, QStringLiteral("cmdStop"), QStringLiteral("Stop"), qx::twipsRect(1200, 2400, 975, 495), false);
    cmdMonitor_ = button(f, QStringLiteral("cmdMonitor"), QStringLiteral("Monitor"),
                         qx::twipsRect(2160, 2400, 1095, 975), false);
    cmdCont_ = button(f, QStringLiteral("cmdCont"), QStringLiteral("Continue"), qx::twipsRect(120, 2880, 1095, 495), false);
    cmdSet_ = button(f, QStringLiteral("cmdSet"), QStringLiteral("Adjust"), qx::twipsRect(1200, 2880, 975, 495), false);

    // The one-channel buttons always pass channel 0.
    relay(cmdCont_, &QPushButton::clicked, &DevCtrl::ContClick, 0);
    relay(cmdMonitor_, &QPushButton::clicked, &DevCtrl::MonitorClick, 0);
    relay(cmdSet_, &QPushButton::clicked, &DevCtrl::SetClick, 0);
    relay(cmdRun_, &QPushButton::clicked, &DevCtrl::RunClick, 0);
    relay(cmdStop_, &QPushButton::clicked, &DevCtrl::StopClick, 0);
    relay(cmbMode_, &QComboBox::activated, &DevCtrl::ModeClick);
    watchFocus(txtSval_, &DevCtrl::SvalLostFocus, 0);
    watchFocus(txtSlmt_, &DevCtrl::SlmtLostFocus, 0);
    watchFocus(txtStim_, &DevCtrl::StimLostFocus, 0);
}

void DevCtrl::buildCtrlTwo(QGroupBox *f)
{
    label(f, QStringLiteral("lblSchn0"), QStringLiteral("Chn1"), qx::twipsRect(1320, 360, 735, 330));
    label(f, QStringLiteral("lblSchn1"), QStringLiteral("Chn2"), qx::twipsRect(2040, 360, 735, 330));
    cmbMode2S_ = dropList(f, QStringLiteral("cmbMode2S"), 1320, 720, 1455);

    // Each caption is a pair of labels at one place: the row captions show
    // element 0, the unit captions element 1.
    struct Row {
        const char *name, *front, *back;
        int top;
        std::array<QLabel *, 2> *labels;
    };
    std::array<QLabel *, 2> modeLabels{};
    const Row rows[] = {
        {"lblMode2S", "Mode:", "运行模式:", 720, &modeLabels},
        {"lblSval2S", "TestVal:", "设定电流:", 1080, &lblSval2S_},
        {"lblSlmt2S", "Curoff V:", "终止电压:", 1440, &lblSlmt2S_},
        {"lblStim2S", "RunTime:", "运行时间:", 1800, &lblStim2S_},
    };
    const auto stack = [&](const Row &r, int left, int width, int front) {
        const int back = 1 - front;
        (*r.labels)[size_t(back)] = opaqueLabel(f, indexed(r.name, back), QString::fromUtf8(r.back),
                                                qx::twipsRect(left, r.top, width, 330));
        (*r.labels)[size_t(front)] = opaqueLabel(f, indexed(r.name, front), QString::fromUtf8(r.front),
                                                 qx::twipsRect(left, r.top, width, 330));
    };
    for (const Row &r : rows)
        stack(r, 240, 1050, 0);
    const Row units[] = {
        {"lblSval2St", "A", "A", 1080, &lblSval2St_},
        {"lblSlmt2St", "V", "V", 1440, &lblSlmt2St_},
        {"lblStim2St", "M", "分", 1800, &lblStim2St_},
    };
    for (const Row &r : units)
        stack(r, 2880, 435, 1);
    const struct {
        const char *name;
        int top;
        std::array<QLineEdit *, 2> *boxes;
        void (DevCtrl::*signal)(int);
    } boxes[] = {
        {"txtSval2S", 1080, &txtSval2S_, &DevCtrl::SvalLostFocus},
        {"txtSlmt2S", 1440, &txtSlmt2S_, &DevCtrl::SlmtLostFocus},
        {"txtStim2S", 1800, &txtStim2S_, &DevCtrl::StimLostFocus},
    };
    for (const auto &b : boxes)
        for (int c = 0; c < 2; ++c) {
            QLineEdit *e = box(f, indexed(b.name, c), qx::twipsRect(c == 0 ? 1320 : 2040, b.top, 735, 330));
            (*b.boxes)[size_t(c)] = e;
            watchFocus(e, b.signal, c);
        }

    hLine(f, 240, 2280, 3120, qx::rgb(128, 128, 128));
    optChn0_ = make<QRadioButton>(f, QStringLiteral("optChn0"), qx::twipsRect(360, 2400, 855, 330));
    optChn0_->setText(QStringLiteral("Chn1"));
    optChn1_ = make<QRadioButton>(f, QStringLiteral("optChn1"), qx::twipsRect(1200, 2400, 855, 330));
    optChn1_->setText(QStringLiteral("Chn2"));
    optChn2_ = make<QRadioButton>(f, QStringLiteral("optChn2"), qx::twipsRect(2040, 2400, 1305, 330));
    optChn2_->setText(QStringLiteral("All Channel"));
    optChn0_->setChecked(true);

    cmdRun2S_ = button(f, QStringLiteral("cmdRun2S"), QStringLiteral("Start"), qx::twipsRect(240, 2760, 975, 375), false);
    cmdStop2S_ = button(f, QStringLiteral("cmdStop2S"), QStringLiteral("Stop"), qx::twipsRect(1200, 2760, 975, 375), false);
    cmdCont2S_ = button(f, QStringLiteral("cmdCont2S"), QStringLiteral("Continue"), qx::twipsRect(2160, 2760, 975, 375), false);
    cmdSet2S_ = button(f, QStringLiteral("cmdSet2S"), QStringLiteral("Adjust"), qx::twipsRect(240, 3120, 975, 375), false);
    cmdMonitor2S_ = button(f, QStringLiteral("cmdMonitor2S"), QStringLiteral("Monitor"),
                           qx::twipsRect(1200, 3120, 1935, 375), false);
    auto raiseChosen = [this](QPushButton *b, void (DevCtrl::*signal)(int)) {
        connect(b, &QPushButton::clicked, this, [this, signal] { dispatch(signal); });
    };
    raiseChosen(cmdRun2S_, &DevCtrl::RunClick);
    raiseChosen(cmdStop2S_, &DevCtrl::StopClick);
    raiseChosen(cmdCont2S_, &DevCtrl::ContClick);
    raiseChosen(cmdSet2S_, &DevCtrl::SetClick);
    raiseChosen(cmdMonitor2S_, &DevCtrl::MonitorClick);
    relay(cmbMode2S_, &QComboBox::activated, &DevCtrl::ModeClick);
}

void DevCtrl::buildComm(QGroupBox *f)
{
    cmbPort_ = dropList(f, QStringLiteral("cmbPort"), 240, 360, 1335);
    cmdConn_ = button(f, QStringLiteral("cmdConn"), QStringLiteral("Connect"), qx::twipsRect(1680, 360, 1455, 495), true);
    shpRecv_ = make<qx::panel::RecvMark>(f, QStringLiteral("shpRecv"), qx::twipsRect(3120, 360, 150, 495));
    shpRecv_->setFrameShape(QFrame::Box);
    shpRecv_->setLineWidth(1);
    QPalette pal = shpRecv_->palette();
    pal.setColor(QPalette::Window, qx::oleToColor(Red));
    pal.setColor(QPalette::WindowText, Qt::black);
    shpRecv_->setPalette(pal);
    relay(cmdConn_, &QPushButton::clicked, &DevCtrl::ConnClick);
}

void DevCtrl::buildAutoPage(QWidget *page)
{
    QGroupBox *run = frame(page, QStringLiteral("frmRunAuto"), QStringLiteral("Run Data"), qx::twipsRect(0, 0, 3375, 3375));
    gridAutoRun_ = make<qx::Grid>(run, QStringLiteral("gridAutoRun"), qx::twipsRect(0, 240, 3345, 3135));
    QGroupBox *ctrl = frame(page, QStringLiteral("frmCtrlAuto"), QStringLiteral("Parameter Setting"),
                            qx::twipsRect(0, 3600, 3375, 3495));
    cmbModeAuto_ = dropList(ctrl, QStringLiteral("cmbModeAuto"), 1440, 360, 975);
    cmbModeAuto_->hide();
    const struct {
        const char *capName, *caption, *unitName, *unit;
        int top, inputTop;
    } rows[] = {
        {"lblStartC", "Start Curr:", "lblSett", "A", 360, 360},
        {"lblStopC", "Stop Curr:", "Label3", "A", 840, 800},
        {"Label4", "Cutoff Volt:", "Label2", "V", 1320, 1250},
        {"lblStep1", "Step:", "Label7", "A", 1800, 1680},
        {"lblStep2", "Change:", nullptr, nullptr, 2280, 2160},
    };
    for (const auto &r : rows) {
        label(ctrl, QLatin1String(r.capName), QLatin1String(r.caption), qx::twipsRect(240, r.top, 1215, 375));
        if (r.unit)
            label(ctrl, QLatin1String(r.unitName), QLatin1String(r.unit), qx::twipsRect(2520, r.top, 435, 375));
    }
    cmbC1Auto_ = dropList(ctrl, QStringLiteral("cmbC1Auto"), 1440, 360, 975);
    cmbC2Auto_ = dropList(ctrl, QStringLiteral("cmbC2Auto"), 1440, 800, 975);
    txtVolAuto_ = box(ctrl, QStringLiteral("txtVolAuto"), qx::twipsRect(1440, 1250, 975, 375), QStringLiteral("0.80"));
    cmbStepAuto_ = dropList(ctrl, QStringLiteral("cmbStepAuto"), 1440, 1680, 975);
    cmbTimeAuto_ = dropList(ctrl, QStringLiteral("cmbTimeAuto"), 1440, 2160, 975);
    optAutoSec_ = make<QRadioButton>(ctrl, QStringLiteral("optAutoSec"), qx::twipsRect(2520, 2160, 735, 270));
    optAutoSec_->setText(QStringLiteral("S"));
    optAutoMin_ = make<QRadioButton>(ctrl, QStringLiteral("optAutoMin"), qx::twipsRect(2520, 2400, 735, 270));
    optAutoMin_->setText(QStringLiteral("M"));
    optAutoSec_->setChecked(true);
    cmdStartAuto_ = button(ctrl, QStringLiteral("cmdStartAuto"), QStringLiteral("Start"),
                           qx::twipsRect(480, 2760, 1215, 495), true);
    cmdSave_ = button(ctrl, QStringLiteral("cmdSave"), QStringLiteral("Save"), qx::twipsRect(1680, 2760, 1215, 495), true);

    relay(cmdStartAuto_, &QPushButton::clicked, &DevCtrl::AutoTestClick);
    relay(cmdSave_, &QPushButton::clicked, &DevCtrl::AutoSaveClick);
    relay(gridAutoRun_, &qx::Grid::DblClick, &DevCtrl::AutoListClick);
    txtVolAuto_->installEventFilter(this);
}

void DevCtrl::buildStepPage(QWidget *page)
{
    QGroupBox *run = frame(page, QStringLiteral("frmRunPrg"), QStringLiteral("Run Data"), qx::twipsRect(0, 0, 3375, 2655));
    gridStepRun_ = make<qx::Grid>(run, QStringLiteral("gridStepRun"), qx::twipsRect(0, 240, 3345, 2350));
    QGroupBox *ctrl = frame(page, QStringLiteral("frmCtrlPrg"), QStringLiteral("Parameter Setting"),
                            qx::twipsRect(0, 2640, 3375, 4455));
    gridStepSet_ = make<qx::Grid>(ctrl, QStringLiteral("gridStepSet"), qx::twipsRect(0, 240, 3345, 3195));
    cmdOpenStep_ = button(ctrl, QStringLiteral("cmdOpenStep"), QStringLiteral("Open"), qx::twipsRect(120, 3600, 1095, 375), true);
    cmdSaveStep_ = button(ctrl, QStringLiteral("cmdSaveStep"), QStringLiteral("Save"), qx::twipsRect(1200, 3600, 1095, 375), true);
    cmdSetStep_ = button(ctrl, QStringLiteral("cmdSetStep"), QStringLiteral("Setting"), qx::twipsRect(120, 3960, 1095, 375), true);
    cmdClearStep_ = button(ctrl, QStringLiteral("cmdClearStep"), QStringLiteral("Clear"), qx::twipsRect(1200, 3960, 1095, 375), true);
    cmdStartStep_ = button(ctrl, QStringLiteral("cmdStartStep"), QStringLiteral("Start"), qx::twipsRect(2280, 3600, 975, 735), true);

    const std::pair<QPushButton *, void (DevCtrl::*)()> buttons[] = {
        {cmdOpenStep_, &DevCtrl::StepOpenClick}, {cmdSaveStep_, &DevCtrl::StepSaveClick},
        {cmdSetStep_, &DevCtrl::StepSetClick},   {cmdClearStep_, &DevCtrl::StepClrClick},
        {cmdStartStep_, &DevCtrl::StepTestClick},
    };
    for (const auto &[b, event] : buttons)
        relay(b, &QPushButton::clicked, event);
}

void DevCtrl::buildTimers()
{
    auto timer = [this] {
        auto *t = new QTimer(this);
        t->setInterval(qx::secondMs());
        return t;
    };
    tmrAuto_ = timer();
    tmrStep_ = timer();
    relay(tmrAuto_, &QTimer::timeout, &DevCtrl::AutoTmrOn);
    relay(tmrStep_, &QTimer::timeout, &DevCtrl::StepTmrOn);
    for (int c = 0; c < 2; ++c) {
        tmrCurve_[size_t(c)] = timer();
        tmrShow_[size_t(c)] = timer();
        relay(tmrCurve_[size_t(c)], &QTimer::timeout, &DevCtrl::TmrCurveOn, c);
        relay(tmrShow_[size_t(c)], &QTimer::timeout, &DevCtrl::TmrShowOn, c);
    }
}

void DevCtrl::layoutGrids()
{
    const auto even = [](double v) { return int(std::nearbyint(v)); };
    gridAutoRun_->set_Cols(4);
    gridAutoRun_->set_Rows(11);
    gridAutoRun_->set_ColWidth(0, 650);
    for (int c = 1; c <= 3; ++c)
        gridAutoRun_->set_ColWidth(c, even((3345 - 650 - 300) / 3.0));
    for (int c = 0; c < 4; ++c)
        gridAutoRun_->set_ColAlignment(c, qx::Grid::AlignCenterCenter);
    writeAutoHeader();
    autoRow_ = 1;

    gridStepRun_->set_Cols(4);
    gridStepRun_->set_Rows(9);
    const int stepRunWidths[] = {500, 800, 850, 900};
    for (int c = 0; c < 4; ++c) {
        gridStepRun_->set_ColWidth(c, stepRunWidths[c]);
        gridStepRun_->set_ColAlignment(c, qx::Grid::AlignCenterCenter);
    }
    writeStepRunHeader();
    stepRow_ = 1;

    gridStepSet_->set_Cols(5);
    gridStepSet_->set_Rows(11);
    gridStepSet_->set_ColWidth(0, 500);
    int total = 500;
    for (int c = 1; c <= 4; ++c) {
        gridStepSet_->set_ColWidth(c, even((3345 - 500) / 4.0));
        total += gridStepSet_->ColWidth(c);
    }
    for (int c = 0; c < 5; ++c)
        gridStepSet_->set_ColAlignment(c, qx::Grid::AlignCenterCenter);
    gridStepSet_->set_Width(total);
    // The columns fill the grid to its border; the last pixel of rounding
    // needs no scroll bar.
    gridStepSet_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 1; r <= 10; ++r)
        gridStepSet_->set_TextMatrix(r, 0, QString::number(r));
    writeStepSetHeader();
}

void DevCtrl::watchFocus(QLineEdit *box, void (DevCtrl::*signal)(int), int chn)
{
    watches_[size_t(watchCount_++)] = FocusWatch{box, signal, chn};
    box->installEventFilter(this);
}

bool DevCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (qx::lostFocus(event)) {
        if (watched == txtVolAuto_) {
            raiseGuarded(&DevCtrl::AutoVolLostFocus);
        } else {
            for (int i = 0; i < watchCount_; ++i) {
                const FocusWatch &w = watches_[size_t(i)];
                if (w.box == watched)
                    raiseGuarded(w.signal, w.chn);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DevCtrl::showPage(int page)
{
    // The page in front is the one visible.
    for (int i = 0; i < 3; ++i)
        frmDev_[size_t(i)]->setVisible(i == page - 1);
    frmDev_[size_t(page - 1)]->raise();
}

void DevCtrl::tabClicked() { showPage(qx::panel::pageOfKey(tabDev_->SelectedKey())); }

void DevCtrl::dispatch(void (DevCtrl::*signal)(int))
{
    const auto raiseFor = [this, signal](int chn) { raiseGuarded(signal, chn); };
    if (optChn0_->isChecked()) {
        raiseFor(0);
    } else if (optChn1_->isChecked()) {
        raiseFor(1);
    } else {
        QPointer<DevCtrl> self(this);
        raiseFor(0);
        for (int pass = 0; pass < 2 && self; ++pass)
            QCoreApplication::processEvents();
        if (self)
            raiseFor(1);
    }
}
