// The checks of the panel's setting boxes when one loses the focus, and the
// connections of the panel events that this file and frmMainSteps.cpp handle.
#include "mainwin/frmMain.h"

#include "services/InputChecks.h"
#include "link/ModelTable.h"
#include "services/Refusal.h"
#include "services/State.h"
#include "panel/DevCtrl.h"

void frmMain::connectInputsSteps(int n)
{
    ::DevCtrl *p = &DevCtrl(n);
    connect(p, &::DevCtrl::SvalLostFocus, this, [this, p](int chn) { DevCtrl_SvalLostFocus(p->Index(), chn); });
    connect(p, &::DevCtrl::SlmtLostFocus, this, [this, p](int chn) { DevCtrl_SlmtLostFocus(p->Index(), chn); });
    connect(p, &::DevCtrl::StimLostFocus, this, [this, p](int chn) { DevCtrl_StimLostFocus(p->Index(), chn); });
    connect(p, &::DevCtrl::StepSaveClick, this, [this, p] { DevCtrl_StepSaveClick(p->Index()); });
    connect(p, &::DevCtrl::StepOpenClick, this, [this, p] { DevCtrl_StepOpenClick(p->Index()); });
    connect(p, &::DevCtrl::StepSetClick, this, [this, p] { DevCtrl_StepSetClick(p->Index()); });
}

void frmMain::checkSettingBox(int Index, int chn, qx::inputs::Field field)
{
    using qx::inputs::Field;
    if (qx::DevType[Index] == qx::models::NoType)
        return;
    ::DevCtrl &p = DevCtrl(Index);
    const QString text = field == Field::Sval ? p.tSval(chn) : field == Field::Slmt ? p.tSlmt(chn) : p.tStim(chn);
    const qx::inputs::Outcome o = qx::inputs::check(field, qx::deviceLimits(Index), qx::chan(Index, chn).Mode, text);
    if (qx::tell(o.verdict) || o.verdict != qx::Verdict::OutOfRange)
        return;
    if (field == Field::Sval)
        p.set_tSval(chn, o.replacement);
    else if (field == Field::Slmt)
        p.set_tSlmt(chn, o.replacement);
    else
        p.set_tStim(chn, o.replacement);
}

void frmMain::DevCtrl_SvalLostFocus(int Index, int chn) { checkSettingBox(Index, chn, qx::inputs::Field::Sval); }
void frmMain::DevCtrl_SlmtLostFocus(int Index, int chn) { checkSettingBox(Index, chn, qx::inputs::Field::Slmt); }
void frmMain::DevCtrl_StimLostFocus(int Index, int chn) { checkSettingBox(Index, chn, qx::inputs::Field::Stim); }
