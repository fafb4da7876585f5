// The identification pass: the type code of a device's frames picks its row
// of the device model table, which sets up the panel (layout, modes, pages),
// the chart, the result grid's name cell, the shared menu entries and the
// device's limits, scales and mode groups.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "services/FrameDecode.h"
#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/QxError.h"

#include <QAction>
#include <QTimer>

void frmMain::IdentifyStart(int Index)
{
    if (Index < 0 || Index >= int(identSteps_.size()))
        qx::raise(qx::ErrSubscript);
    identSteps_[size_t(Index)] = 0;
}

bool frmMain::IdentifyModel(int Index, int chn, const qx::Frames::DevBytes &b)
{
    using namespace qx;
    if (Index < 0 || Index >= int(identSteps_.size()) || chn < 0 || chn > 1)
        qx::raise(ErrSubscript);
    const Frames::FrameFields f = Frames::decode(b);

    // The frame's own values.
    ChannelState &c = chan(Index, chn);
    c.Mode = f.mode;
    // A USB tester's capacity field is its D+ voltage.
    if (!models::isUsbTester(f.typeCode))
        takeCapacity(c, f.capacity);
    if (f.kind == 0) {
        takeSettings(c, f);
    } else {
        DevVer[Index] = f.setValue;
        dev(Index).ParCount += 1;
    }

    DevType[Index] = f.typeCode;
    if (f.typeCode == models::NoType)
        return false;

    const models::ModelRow row = models::modelRow(f.typeCode, DevVer[Index]);
    identifyChannel(Index, chn, row);
    int &steps = identSteps_[size_t(Index)];
    // A two-channel set-up whose channel-1 steps ran first: channel 0's
    // steps rebuilt the mode list and the second grid row, so channel 1's
    // name and fields follow once more.
    if (models::isTwoChannel(row.type) && chn == 0 && (steps & 2))
        identifyChannel(Index, 1, row);
    steps |= 1 << chn;

    // Identified once every channel of the model has had its steps; a step
    // that failed above leaves the timer running, so the next frame retries.
    if (!models::isTwoChannel(row.type) || steps == 3)
        tmrConn(Index).stop();
    return true;
}

// The steps of the pass that act on the views for one channel of the model.
void frmMain::identifyChannel(int Index, int chn, const qx::models::ModelRow &row)
{
    using namespace qx;
    ::DevCtrl &p = DevCtrl(Index);
    const bool twoChannel = models::isTwoChannel(row.type);

    CurveGraph(Index).set_AxesY1Txt(models::currentAxisLabel(row.type));
    // The layout first: the mode members act on the list of the layout in force.
    p.set_Dev2S(twoChannel);
    const auto setPages = [&] {
        p.TabClear();
        const QStringList keys = models::pageKeys(row.pages);
        for (int i = 0; i < keys.size(); ++i)
            p.TabAdd(i + 1, keys[i]);
    };
    if (!twoChannel || chn == 0) {
        p.ModeClr();
        for (const QString &m : row.modes)
            p.ModeAdd(Module3::LangText(m));
        if (twoChannel) {
            InitDual(Index);
            setPages();
        }
    }

    menuRes->setVisible(row.resMenu);
    dev(Index).HasTemp = row.hasTemp;
    if (models::showsUsbMenu(row.type))
        menuUsb->setVisible(true);
    if (!twoChannel)
        setPages();
    // Once shown, the temperature and quick-charge entries stay.
    if (row.hasTemp)
        menuTemp->setVisible(true);
    menuQc->setVisible(false);

    MinCur[Index] = row.minCur;
    MinVol[Index] = row.minVol;
    CurScale[Index] = row.curScale;
    VolScale[Index] = row.volScale;
    PwrScale[Index] = row.pwrScale;
    CvFlag[Index] = row.cvFlag;
    LastDisMode[Index] = row.lastDisMode;
    LastChgMode[Index] = row.lastChgMode;
    if (row.maxCur)
        MaxCur[Index] = *row.maxCur;
    if (row.maxVol)
        MaxVol[Index] = *row.maxVol;
    if (!row.name.isEmpty())
        gridRun(Index).set_TextMatrix(models::nameRow(row.type, chn), resultgrid::Model, row.name);

    if (chn == 0)
        AutoListInit(Index);
    if (models::modeFieldsAtIdentify(row.type))
        ShowModeFields(Index, chn);
}
