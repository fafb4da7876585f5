// The parameter-frame step: a device's parameter frames report its firmware
// version and its own limits, and for some models the version refines the
// name and the mode list that identification set.
#include "mainwin/frmMain.h"

#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"

void frmMain::ParamFrame(int Index, int chn, const qx::Frames::DevBytes &b)
{
    using namespace qx;
    if (chn < 0 || chn > 1)
        qx::raise(ErrSubscript);
    const Frames::FrameFields f = Frames::decode(b);
    ::DevCtrl &p = DevCtrl(Index);

    DevVer[Index] = f.setValue;
    takeLimits(Index, f);

    const int ver = DevVer[Index];
    const auto name = [&](const char *text) { gridRun(Index).set_TextMatrix(1, resultgrid::Model, QLatin1String(text)); };
    const auto rebuild = [&] {
        p.ModeClr();
        for (const QString &m : models::refinedModes(DevType[Index]))
            p.ModeAdd(Module3::LangText(m));
    };
    // The channel's mode stays selected in the rebuilt list (when the list has it).
    const auto reselect = [&] {
        const int m = chan(Index, chn).Mode;
        if (m >= 0 && m < p.ModeCnt())
            p.set_tMode(p.ModeTxt(m));
    };
    const auto fieldsWhenUnset = [&] {
        if (p.tMode().isEmpty())
            ShowModeFields(Index, chn);
    };

    switch (DevType[Index]) {
    case 5:
        if (p.ModeTxt(models::DisplayOnlyMode) == QLatin1String("DC5V") && ver == 302) {
            rebuild();
            reselect();
            MinCur[Index] = 0.01f;
        }
        name(ver == 302 ? "QM-37" : "QM-38");
        break;
    case 6:
        name(ver == 310 ? "QM-48" : "QM-49");
        break;
    case 9:
    case 10: {
        const bool nine = DevType[Index] == 9;
        if (ver == 311) {
            if (p.ModeCnt() == 3) {
                rebuild();
                LastDisMode[Index] = 0;
                LastChgMode[Index] = 1;
                name(nine ? "QM-39" : "QM-41");
            }
        } else {
            name(nine ? "QM-40" : "QM-42");
        }
        fieldsWhenUnset();
        break;
    }
    case 20:
        name(ver == 310 ? "QM-46" : "QM-47");
        break;
    case 25:
        if (p.ModeCnt() == 1 && ver == 310) {
            rebuild();
            reselect();
            MinCur[Index] = 0.01f;
        }
        name(ver == 310 ? "QM-43" : ver == 315 ? "QM-44" : "QM-45");
        break;
    case 38:
        if (ver == 310) {
            name("QM-50");
        } else if (ver == 320) {
            name("QM-51");
        } else if (ver == 311) {
            if (p.ModeCnt() == 1) {
                rebuild();
                p.TabAdd(2, QStringLiteral("key3"));
                name("QM-32");
                LastChgMode[Index] = 1;
                CvFlag[Index] = true;
            }
        } else {
            name("QM-52");
        }
        fieldsWhenUnset();
        break;
    default:
        break;
    }

    dev(Index).ParCount += 1;
}

void frmMain::takeLimits(int Index, const qx::Frames::FrameFields &f)
{
    using namespace qx;
    // A scale of 0 (a slot never identified) gives no limit rather than a
    // division by zero.
    QStringList refused;
    if (VolScale[Index] != 0) {
        if (f.limit > 0)
            MaxVol[Index] = float(f.limit) / float(VolScale[Index]);
        else
            refused << QStringLiteral("voltage");
    }
    if (CurScale[Index] != 0) {
        if (f.third > 0)
            MaxCur[Index] = float(f.third) / float(CurScale[Index]);
        else
            refused << QStringLiteral("current");
    }
    // A limit of 0 would refuse every reading of the device: the one known
    // before stays. Logged once per link, as the device repeats its report.
    DeviceState &d = dev(Index);
    if (refused.isEmpty() || d.LimitRefused)
        return;
    d.LimitRefused = true;
    ErrLog(QStringLiteral("ErrParam"), QStringLiteral("%1: maximum %2 of 0 refused (%3 V, %4 A kept)")
                                           .arg(DevCtrl(Index).tPort(), refused.join(QStringLiteral(" and ")),
                                                num::general(MaxVol[Index]), num::general(MaxCur[Index])));
}
