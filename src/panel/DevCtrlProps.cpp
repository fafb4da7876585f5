// The device panel's properties and list operations: each reads or writes
// one of its controls, in the layout the two-channel flag names.
#include "panel/DevCtrl.h"
#include "panel/RecvMark.h"

#include "services/Module3.h"
#include "panel/DevCtrlText.h"
#include "panel/LCDisp.h"
#include "platform/Colors.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"
#include "platform/QxError.h"
#include "panel/DevCtrlFit.h"
#include "platform/WidgetStyle.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

namespace {

constexpr int ErrInvalidPicture = 481;

// The enabled state the panel gave a control (not the one inherited from a
// disabled or hidden parent).
bool ownEnabled(const QWidget *w) { return !w->testAttribute(Qt::WA_ForceDisabled); }

// A button or box set to the state it has is left alone: a running test sets
// its panel's states with every reading, and each setEnabled goes through
// the widget's attributes and its children even when nothing changes.
void enable(QWidget *w, bool on)
{
    if (ownEnabled(w) != on)
        w->setEnabled(on);
}

// Appends an entry without selecting it: a list that had no selection keeps none.
void appendEntry(QComboBox *c, const QString &val)
{
    const bool none = c->currentIndex() < 0;
    c->addItem(val);
    if (none)
        c->setCurrentIndex(-1);
}

// A mode box as wide as its longest entry needs ("No Device" in the panel's
// font is wider than the designed box), never narrower than designed nor
// past the inside of its frame. The widest entry's text width is kept on the
// box, so that an added entry measures only itself (identification adds the
// entries one by one).
void fitToEntries(QComboBox *c, const QString *added)
{
    static const char *const widest = "widestEntry";
    const int text = added ? std::max(c->property(widest).toInt(), c->fontMetrics().horizontalAdvance(*added)) : 0;
    c->setProperty(widest, text);
    const int design = c->property("designWidth").toInt();
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    // The label is drawn a pixel in from each side of the edit field.
    const int need = c->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(text + 2, c->height()), c).width();
    const int room = c->parentWidget() ? c->parentWidget()->contentsRect().right() + 1 - c->x() : need;
    c->resize(std::max(design, std::min(need, room)), c->height());
}

// Selects the entry whose text equals val; any other text is refused.
void selectEntry(QComboBox *c, const QString &val)
{
    const int i = c->findText(val, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0)
        qx::raise(qx::ErrInvalidProperty);
    c->setCurrentIndex(i);
}

QString entry(const QComboBox *c, int i)
{
    return i >= 0 && i < c->count() ? c->itemText(i) : QString();
}

void checkChn(int chn)
{
    if (chn < 0 || chn > 1)
        qx::raise(qx::ErrSubscript);
}

// A result grid emptied (texts and formatting) to its design rows, its first
// row under the header current.
void restartResults(qx::Grid *g, int rows, int &row)
{
    g->Clear();
    g->set_Rows(rows);
    row = 1;
}

// The next row becomes current; past the last design row the grid grows by
// one row each time. The row counter is a 16-bit value.
void nextResultRow(qx::Grid *g, int &row, int lastDesignRow)
{
    if (row >= 32767)
        qx::raise(qx::ErrOverflow);
    ++row;
    if (row > lastDesignRow)
        g->set_Rows(g->Rows() + 1);
}

// Timer element chn (0 or 1, in both layouts).
QTimer *channelTimer(const std::array<QTimer *, 2> &timers, int chn)
{
    checkChn(chn);
    return timers[size_t(chn)];
}

void setTimer(QTimer *t, bool on)
{
    if (on && !t->isActive())
        t->start();
    else if (!on)
        t->stop();
}

} // namespace

template <class W>
W *DevCtrl::pick(W *single, const std::array<W *, 2> &pair, int chn) const
{
    if (!dev2S_)
        return single;
    checkChn(chn);
    return pair[size_t(chn)];
}

QComboBox *DevCtrl::modeList() const { return dev2S_ ? cmbMode2S_ : cmbMode_; }

void DevCtrl::writeAutoHeader()
{
    const char *heads[] = {"Index", "Curr(A)", "Volt(V)", "Pwr(W)"};
    for (int c = 0; c < 4; ++c)
        gridAutoRun_->set_TextMatrix(0, c, qx::Module3::LangText(QLatin1String(heads[c])));
}

void DevCtrl::writeStepRunHeader()
{
    const char *heads[] = {"Step", "Mode", "Capacity", "Energy"};
    for (int c = 0; c < 4; ++c)
        gridStepRun_->set_TextMatrix(0, c, qx::Module3::LangText(QLatin1String(heads[c])));
}

void DevCtrl::writeStepSetHeader()
{
    const char *heads[] = {"Step", "Mode", "Set1", "Set2", "Cutoff"};
    for (int c = 0; c < 5; ++c)
        gridStepSet_->set_TextMatrix(0, c, qx::Module3::LangText(QLatin1String(heads[c])));
}

// ---- Methods ----

void DevCtrl::AutoC1Add(const QString &val) { appendEntry(cmbC1Auto_, val); }
void DevCtrl::AutoC1Clr() { cmbC1Auto_->clear(); }
void DevCtrl::AutoC2Add(const QString &val) { appendEntry(cmbC2Auto_, val); }
void DevCtrl::AutoC2Clr() { cmbC2Auto_->clear(); }
void DevCtrl::AutoStepAdd(const QString &val) { appendEntry(cmbStepAuto_, val); }
void DevCtrl::AutoStepClr() { cmbStepAuto_->clear(); }
void DevCtrl::AutoTimeAdd(const QString &val) { appendEntry(cmbTimeAuto_, val); }
void DevCtrl::AutoModeAdd(const QString &val) { appendEntry(cmbModeAuto_, val); }
void DevCtrl::AutoModeClr() { cmbModeAuto_->clear(); }
void DevCtrl::AutoTimeClr() { cmbTimeAuto_->clear(); }

void DevCtrl::AutoListClr()
{
    restartResults(gridAutoRun_, 11, autoRow_);
    writeAutoHeader();
}

void DevCtrl::AutoListAdd() { nextResultRow(gridAutoRun_, autoRow_, 10); }

void DevCtrl::StepListClr()
{
    restartResults(gridStepRun_, 9, stepRow_);
    writeStepRunHeader();
}

void DevCtrl::StepListAdd() { nextResultRow(gridStepRun_, stepRow_, 6); }

void DevCtrl::StepSetClr()
{
    gridStepSet_->Clear();
    writeStepSetHeader();
    for (int r = 1; r <= 10; ++r)
        gridStepSet_->set_TextMatrix(r, 0, QString::number(r));
}

void DevCtrl::StepSetAdd() { gridStepSet_->set_Rows(gridStepSet_->Rows() + 1); }
void DevCtrl::PortAdd(const QString &val, const QString &tip)
{
    appendEntry(cmbPort_, val);
    if (!tip.isEmpty())
        cmbPort_->setItemData(cmbPort_->count() - 1, tip, Qt::ToolTipRole);
}
void DevCtrl::PortClr() { cmbPort_->clear(); }
void DevCtrl::ModeAdd(const QString &val)
{
    appendEntry(modeList(), val);
    fitToEntries(modeList(), &val);
}

void DevCtrl::ModeClr()
{
    modeList()->clear();
    fitToEntries(modeList(), nullptr);
}

void DevCtrl::TabAdd(int val, const QString &key)
{
    tabDev_->Add(val, key, qx::Module3::LangText(qx::panel::tabCaption(val, key)));
}

void DevCtrl::TabClear() { tabDev_->Clear(); }

bool DevCtrl::TabsAre(const QStringList &keys) const
{
    if (tabDev_->Count() != keys.size())
        return false;
    for (int i = 0; i < keys.size(); ++i)
        if (tabDev_->Key(i + 1) != keys[i]
            || tabDev_->Caption(i + 1) != qx::Module3::LangText(qx::panel::tabCaption(i + 1, keys[i])))
            return false;
    return true;
}

// ---- State and channel ----

int DevCtrl::Test() const { return qx::panel::pageOfKey(tabDev_->SelectedKey()); }

void DevCtrl::set_Dev2S(bool flag)
{
    dev2S_ = flag;
    frmRun2S_->setVisible(flag);
    frmCtrl2S_->setVisible(flag);
    frmRun_->setVisible(!flag);
    frmCtrl_->setVisible(!flag);
}

void DevCtrl::set_Conn(bool flag)
{
    conn_ = flag;
    cmdConn_->setText(flag ? QStringLiteral("Disconn") : QStringLiteral("Connect"));
}

bool DevCtrl::Run(int chn) const
{
    checkChn(chn);
    return run_[size_t(chn)];
}

void DevCtrl::set_Run(int chn, bool flag)
{
    checkChn(chn);
    run_[size_t(chn)] = flag;
}

QString DevCtrl::chn() const
{
    return dev2S_ && optChn1_->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

bool DevCtrl::AllChn() const { return optChn2_->isChecked(); }

void DevCtrl::set_ChnEnable(bool on)
{
    optChn0_->setEnabled(on);
    optChn1_->setEnabled(on);
    optChn2_->setEnabled(on);
}

// ---- Port and automatic-test settings ----

QString DevCtrl::tPort() const { return cmbPort_->currentText(); }
void DevCtrl::set_tPort(const QString &val) { selectEntry(cmbPort_, val); }
int DevCtrl::PortCnt() const { return cmbPort_->count(); }
QString DevCtrl::PortList(int val) const { return entry(cmbPort_, val); }
QString DevCtrl::tAutoC1() const { return cmbC1Auto_->currentText(); }
void DevCtrl::set_tAutoC1(const QString &val) { selectEntry(cmbC1Auto_, val); }
QString DevCtrl::tAutoC2() const { return cmbC2Auto_->currentText(); }
void DevCtrl::set_tAutoC2(const QString &val) { selectEntry(cmbC2Auto_, val); }
QString DevCtrl::tAutoVol() const { return txtVolAuto_->text(); }
void DevCtrl::set_tAutoVol(const QString &val) { txtVolAuto_->setText(val); }
QString DevCtrl::tAutoStep() const { return cmbStepAuto_->currentText(); }
void DevCtrl::set_tAutoStep(const QString &val) { selectEntry(cmbStepAuto_, val); }
QString DevCtrl::tAutoTime() const { return cmbTimeAuto_->currentText(); }
void DevCtrl::set_tAutoTime(const QString &val) { selectEntry(cmbTimeAuto_, val); }
QString DevCtrl::tAutoMode() const { return cmbModeAuto_->currentText(); }
void DevCtrl::set_tAutoMode(const QString &val) { selectEntry(cmbModeAuto_, val); }
bool DevCtrl::AutoOptSec() const { return optAutoSec_->isChecked(); }

void DevCtrl::set_AutoOptSec(bool sec)
{
    (sec ? optAutoSec_ : optAutoMin_)->setChecked(true);
}

QString DevCtrl::AutoCmd() const { return cmdStartAuto_->text(); }
void DevCtrl::set_AutoCmd(const QString &val) { cmdStartAuto_->setText(val); }
QString DevCtrl::StepCmd() const { return cmdStartStep_->text(); }
void DevCtrl::set_StepCmd(const QString &val) { cmdStartStep_->setText(val); }

// ---- Grid cells ----

QString DevCtrl::tAutoList(int i) const { return gridAutoRun_->TextMatrix(autoRow_, i); }

void DevCtrl::set_tAutoList(int i, const QString &val)
{
    gridAutoRun_->set_TextMatrix(autoRow_, i, val);
    gridAutoRun_->set_TextMatrix(autoRow_, 0, QString::number(autoRow_));
}

QString DevCtrl::tAutoRun(int i, int j) const { return gridAutoRun_->TextMatrix(i, j); }
int DevCtrl::AutoRunCnt() const { return gridAutoRun_->Rows(); }
QString DevCtrl::tStepList(int i, int j) const { return gridStepRun_->TextMatrix(i, j); }
void DevCtrl::set_tStepList(int i, const QString &val) { gridStepRun_->set_TextMatrix(stepRow_, i, val); }
void DevCtrl::set_tStepList(int i, int, const QString &val) { set_tStepList(i, val); }
int DevCtrl::StepListCnt() const { return gridStepRun_->Rows(); }
QString DevCtrl::tStepSet(int i, int j) const { return gridStepSet_->TextMatrix(i, j); }
void DevCtrl::set_tStepSet(int i, int j, const QString &val) { gridStepSet_->set_TextMatrix(i, j, val); }

void DevCtrl::set_StepColor(int j, uint32_t color)
{
    gridStepSet_->set_Row(j);
    gridStepSet_->set_Col(0);
    gridStepSet_->set_CellBackColor(color);
}

// ---- Layout-dependent values and captions ----

QString DevCtrl::tMode() const { return modeList()->currentText(); }

void DevCtrl::set_tMode(const QString &val)
{
    selectEntry(modeList(), val);
    // A selection made by code is reported as the user's would be, also
    // when the entry was selected already.
    Q_EMIT ModeClick();
}

int DevCtrl::ModeIdx() const { return modeList()->currentIndex(); }
int DevCtrl::ModeCnt() const { return modeList()->count(); }
QString DevCtrl::ModeTxt(int val) const { return entry(modeList(), val); }

QString DevCtrl::tSval(int chn) const { return pick(txtSval_, txtSval2S_, chn)->text(); }
void DevCtrl::set_tSval(int chn, const QString &val) { pick(txtSval_, txtSval2S_, chn)->setText(val); }
QString DevCtrl::tSlmt(int chn) const { return pick(txtSlmt_, txtSlmt2S_, chn)->text(); }
void DevCtrl::set_tSlmt(int chn, const QString &val) { pick(txtSlmt_, txtSlmt2S_, chn)->setText(val); }
QString DevCtrl::tStim(int chn) const { return pick(txtStim_, txtStim2S_, chn)->text(); }
void DevCtrl::set_tStim(int chn, const QString &val) { pick(txtStim_, txtStim2S_, chn)->setText(val); }

QString DevCtrl::readingText(const LCDisp *lcd, const std::array<QLineEdit *, 2> &boxes, int chn) const
{
    return dev2S_ ? pick<QLineEdit>(nullptr, boxes, chn)->text() : lcd->Value();
}

// A reading's box keeps a text it already shows: setting it again would lay
// the text out anew for nothing (the current of a constant-current test, a
// steady voltage).
static void showText(QLineEdit *box, const QString &val)
{
    if (box->text() != val)
        box->setText(val);
}

void DevCtrl::setReading(LCDisp *lcd, const std::array<QLineEdit *, 2> &boxes, int chn, const QString &val)
{
    if (dev2S_)
        showText(pick<QLineEdit>(nullptr, boxes, chn), val);
    else
        lcd->set_Value(val);
}

QString DevCtrl::tVol(int chn) const { return readingText(lcdVol_, txtVol2S_, chn); }
void DevCtrl::set_tVol(int chn, const QString &val) { setReading(lcdVol_, txtVol2S_, chn, val); }
QString DevCtrl::tCur(int chn) const { return readingText(lcdCur_, txtCur2S_, chn); }
void DevCtrl::set_tCur(int chn, const QString &val) { setReading(lcdCur_, txtCur2S_, chn, val); }
QString DevCtrl::tPwr(int chn) const { return readingText(lcdPwr_, txtPwr2S_, chn); }
void DevCtrl::set_tPwr(int chn, const QString &val) { setReading(lcdPwr_, txtPwr2S_, chn, val); }

QString DevCtrl::tTime(int chn) const
{
    if (dev2S_)
        return pick<QLineEdit>(nullptr, txtTime2S_, chn)->text();
    return timeWritten_ ? timeText_ : qx::panel::readoutToTime(lcdTime_->Value());
}

void DevCtrl::set_tTime(int chn, const QString &val)
{
    if (dev2S_) {
        showText(pick<QLineEdit>(nullptr, txtTime2S_, chn), val);
        return;
    }
    lcdTime_->set_Value(qx::panel::timeToReadout(val));
    timeText_ = val;
    timeWritten_ = true;
}

QString DevCtrl::lSval(int chn) const { return pick(lblSval_, lblSval2S_, chn)->text(); }
void DevCtrl::set_lSval(int chn, const QString &val) { pick(lblSval_, lblSval2S_, chn)->setText(val); }
QString DevCtrl::lSlmt(int chn) const { return pick(lblSlmt_, lblSlmt2S_, chn)->text(); }
void DevCtrl::set_lSlmt(int chn, const QString &val) { pick(lblSlmt_, lblSlmt2S_, chn)->setText(val); }
QString DevCtrl::lStim(int chn) const { return pick(lblStim_, lblStim2S_, chn)->text(); }
void DevCtrl::set_lStim(int chn, const QString &val) { pick(lblStim_, lblStim2S_, chn)->setText(val); }
QString DevCtrl::lSvalt(int chn) const { return pick(lblSvalt_, lblSval2St_, chn)->text(); }
void DevCtrl::set_lSvalt(int chn, const QString &val) { pick(lblSvalt_, lblSval2St_, chn)->setText(val); }
QString DevCtrl::lSlmtt(int chn) const { return pick(lblSlmtt_, lblSlmt2St_, chn)->text(); }
void DevCtrl::set_lSlmtt(int chn, const QString &val) { pick(lblSlmtt_, lblSlmt2St_, chn)->setText(val); }
QString DevCtrl::lStimt(int chn) const { return pick(lblStimt_, lblStim2St_, chn)->text(); }
void DevCtrl::set_lStimt(int chn, const QString &val) { pick(lblStimt_, lblStim2St_, chn)->setText(val); }

// ---- Enables and timers ----

bool DevCtrl::ConnEnable() const { return ownEnabled(cmdConn_); }
void DevCtrl::set_ConnEnable(bool on) { enable(cmdConn_, on); }
bool DevCtrl::ContEnable() const { return ownEnabled(dev2S_ ? cmdCont2S_ : cmdCont_); }
void DevCtrl::set_ContEnable(bool on) { enable(dev2S_ ? cmdCont2S_ : cmdCont_, on); }
bool DevCtrl::RunEnable() const { return ownEnabled(dev2S_ ? cmdRun2S_ : cmdRun_); }
void DevCtrl::set_RunEnable(bool on) { enable(dev2S_ ? cmdRun2S_ : cmdRun_, on); }
bool DevCtrl::StopEnable() const { return ownEnabled(dev2S_ ? cmdStop2S_ : cmdStop_); }
void DevCtrl::set_StopEnable(bool on) { enable(dev2S_ ? cmdStop2S_ : cmdStop_, on); }
bool DevCtrl::SetEnable() const { return ownEnabled(dev2S_ ? cmdSet2S_ : cmdSet_); }
void DevCtrl::set_SetEnable(bool on) { enable(dev2S_ ? cmdSet2S_ : cmdSet_, on); }
bool DevCtrl::MonitorEnable() const { return ownEnabled(dev2S_ ? cmdMonitor2S_ : cmdMonitor_); }
void DevCtrl::set_MonitorEnable(bool on) { enable(dev2S_ ? cmdMonitor2S_ : cmdMonitor_, on); }
bool DevCtrl::ModeEnable() const { return ownEnabled(modeList()); }
void DevCtrl::set_ModeEnable(bool on) { enable(modeList(), on); }
bool DevCtrl::SvalEnable(int chn) const { return ownEnabled(pick(txtSval_, txtSval2S_, chn)); }
void DevCtrl::set_SvalEnable(int chn, bool on) { enable(pick(txtSval_, txtSval2S_, chn), on); }
bool DevCtrl::SlmtEnable(int chn) const { return ownEnabled(pick(txtSlmt_, txtSlmt2S_, chn)); }
void DevCtrl::set_SlmtEnable(int chn, bool on) { enable(pick(txtSlmt_, txtSlmt2S_, chn), on); }
bool DevCtrl::StimEnable(int chn) const { return ownEnabled(pick(txtStim_, txtStim2S_, chn)); }
void DevCtrl::set_StimEnable(int chn, bool on) { enable(pick(txtStim_, txtStim2S_, chn), on); }

void DevCtrl::set_StepEnable(bool on)
{
    for (QPushButton *b : {cmdSaveStep_, cmdOpenStep_, cmdClearStep_, cmdSetStep_})
        b->setEnabled(on);
}

bool DevCtrl::TmrCurveEnable(int chn) const { return channelTimer(tmrCurve_, chn)->isActive(); }
void DevCtrl::set_TmrCurveEnable(int chn, bool on) { setTimer(channelTimer(tmrCurve_, chn), on); }
bool DevCtrl::TmrShowEnable(int chn) const { return channelTimer(tmrShow_, chn)->isActive(); }
void DevCtrl::set_TmrShowEnable(int chn, bool on) { setTimer(channelTimer(tmrShow_, chn), on); }
bool DevCtrl::AutoTmrEnable() const { return tmrAuto_->isActive(); }
void DevCtrl::set_AutoTmrEnable(bool on) { setTimer(tmrAuto_, on); }
bool DevCtrl::StepTmrEnable() const { return tmrStep_->isActive(); }
void DevCtrl::set_StepTmrEnable(bool on) { setTimer(tmrStep_, on); }

// ---- Colours, lamp and logo ----

void DevCtrl::set_VolColor(uint32_t c)
{
    if (dev2S_)
        return;
    volColor_ = c;
    qx::setTextColor(lblVolt_, c);
    qx::panel::setReadoutColor(lcdVol_, c);
}

void DevCtrl::set_CurColor(uint32_t c)
{
    if (dev2S_)
        return;
    curColor_ = c;
    qx::setTextColor(lblCurt_, c);
    qx::panel::setReadoutColor(lcdCur_, c);
}

void DevCtrl::set_PwrColor(uint32_t c)
{
    if (dev2S_)
        return;
    pwrColor_ = c;
    qx::setTextColor(lblPwrt_, c);
    qx::panel::setReadoutColor(lcdPwr_, c);
}

uint32_t DevCtrl::TimeColor() const { return lcdTime_->SegmentLitColor(); }

void DevCtrl::set_TimeColor(uint32_t c)
{
    if (!dev2S_)
        qx::panel::setReadoutColor(lcdTime_, c);
}

void DevCtrl::set_LedRecv(bool on) { shpRecv_->setLit(on); }

void DevCtrl::set_ImageLogo(const QString &val)
{
    if (val.isEmpty()) {
        imgLogo_->setPixmap(QPixmap());
        return;
    }
    if (!QFileInfo(val).isFile())
        qx::raise(qx::ErrFileNotFound);
    QImageReader reader(val);
    const QImage img = reader.read();
    if (img.isNull())
        qx::raise(ErrInvalidPicture, QStringLiteral("Invalid picture"));
    imgLogo_->setPixmap(QPixmap::fromImage(img));
}
