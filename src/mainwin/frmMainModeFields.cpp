// The setting boxes of a channel for its mode and model, and the capacity
// and energy cells of its result row.
#include "mainwin/frmMain.h"

#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/State.h"
#include "mainwin/ModeFields.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"

#include <QSignalBlocker>

void frmMain::ShowModeFields(int Index, int chn)
{
    using namespace qx::modefields;
    ::DevCtrl &p = DevCtrl(Index);
    const Input in = Input::fromState(Index, chn, p.Dev2S());
    if (in.devType == qx::models::NoType)
        return;

    // A mode index that names no entry of the list leaves the mode box as
    // it is; the layout still follows the index.
    // Showing the mode is not choosing one: the panel's ModeClick, which
    // gives a newly chosen mode its default settings, stays quiet here.
    if (in.mode >= 0 && in.mode < p.ModeCnt()) {
        const QSignalBlocker quiet(&p);
        p.set_tMode(p.ModeTxt(in.mode));
    }

    const Layout l = qx::modefields::layout(in);
    const auto caption = [](const Box &b) { return qx::Module3::LangText(b.caption + QLatin1Char(':')); };
    p.set_lSval(chn, caption(l[SetBox]));
    p.set_lSvalt(chn, l[SetBox].unit);
    p.set_tSval(chn, l[SetBox].text);
    p.set_SvalEnable(chn, l[SetBox].enabled);
    p.set_lSlmt(chn, caption(l[LimitBox]));
    p.set_lSlmtt(chn, l[LimitBox].unit);
    p.set_tSlmt(chn, l[LimitBox].text);
    p.set_SlmtEnable(chn, l[LimitBox].enabled);
    p.set_lStim(chn, caption(l[ThirdBox]));
    p.set_lStimt(chn, l[ThirdBox].unit);
    p.set_tStim(chn, l[ThirdBox].text);
    p.set_StimEnable(chn, l[ThirdBox].enabled);

    ShowCapacity(Index, chn);
}

void frmMain::ShowCapacity(int Index, int chn)
{
    try {
        const qx::ChannelState &c = qx::chan(Index, chn);
        // Below 10 the value is shown in thousandths: 9.999 Ah is 9999mAh.
        const auto cell = [](float v, const char *unit, const char *milli) {
            if (v >= 10)
                return qx::num::format(v, u"0.00") + QLatin1String(unit);
            return qx::num::format(float(v * 1000), u"0") + QLatin1String(milli);
        };
        qx::Grid &g = gridRun(Index);
        g.set_TextMatrix(chn + 1, qx::resultgrid::Capacity, cell(c.Cap, "Ah", "mAh"));
        g.set_TextMatrix(chn + 1, qx::resultgrid::Energy, cell(c.Energy, "Wh", "mWh"));
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrCap"), QString::fromStdString(e.what()));
    }
}
