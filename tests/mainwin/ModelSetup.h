#pragma once
// A device tab set up as the identification of a model row sets it up: the
// per-device tables, the mode list, the two-channel layout, the model name
// in the result rows and a port of its own (COM3 for device 0, COM4 for 1...).
#include "link/ModelTable.h"
#include "link/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"

namespace qx::test {

inline void applyModelRow(frmMain &w, int Index, int type, int devVer = 0)
{
    while (w.viewCount() <= Index)
        w.menuAddDev_Click();
    const models::ModelRow r = models::modelRow(type, devVer);
    DevType[Index] = type;
    DevVer[Index] = devVer;
    MaxCur[Index] = r.maxCur.value_or(10);
    MaxVol[Index] = r.maxVol.value_or(60);
    MinCur[Index] = r.minCur;
    MinVol[Index] = r.minVol;
    CurScale[Index] = r.curScale;
    VolScale[Index] = r.volScale;
    PwrScale[Index] = r.pwrScale;
    LastDisMode[Index] = r.lastDisMode;
    LastChgMode[Index] = r.lastChgMode;
    CvFlag[Index] = r.cvFlag;
    dev(Index).HasTemp = r.hasTemp;
    DevCtrl &p = w.DevCtrl(Index);
    const bool two = models::isTwoChannel(type);
    p.set_Dev2S(two);
    p.ModeClr();
    for (const QString &m : r.modes)
        p.ModeAdd(m);
    if (two)
        w.InitDual(Index);
    for (int row = 1; row <= (two ? 2 : 1); ++row)
        w.gridRun(Index).set_TextMatrix(row, 0, r.name);
    p.PortAdd(QStringLiteral("COM%1").arg(3 + Index));
    p.set_tPort(QStringLiteral("COM%1").arg(3 + Index));
}

} // namespace qx::test
