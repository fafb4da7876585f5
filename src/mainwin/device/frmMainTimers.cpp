// The panel's display and curve ticks of a channel (1000 ms each, on the
// user-interface thread): the run time readout, the elapsed-minutes frame of
// one-channel devices, and the device's curve time.
#include "mainwin/frmMain.h"

#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Numbers.h"

#include <exception>

void frmMain::DevCtrl_TmrShowOn(int Index, int chn)
{
    using namespace qx;
    try {
        const int32_t T = TestSecs[Index][chn].load();
        const QString text = num::format(double(T / 3600), u"00") + QLatin1Char(':') +
                             num::format(double(T % 3600 / 60), u"00") + QLatin1Char(':') +
                             num::format(double(T % 60), u"00");
        ::DevCtrl &p = DevCtrl(Index);
        p.set_tTime(chn, text);
        // Two-channel devices never get the minutes; the last goes at 65520 s.
        // Each minute goes once: a tick can come twice within one second
        // of the counter (late behind a prompt, then on time).
        ChannelState &c = chan(Index, chn);
        const int32_t minutes = T / 60;
        if (!p.Dev2S() && T % 60 == 0 && T >= 1 && T < 65530 && minutes != c.MinutesSent && SendTime(Index, chn))
            c.MinutesSent = minutes;
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrTmrShow"), QString::fromUtf8(e.what()));
    }
}

void frmMain::DevCtrl_TmrCurveOn(int Index, int chn)
{
    qx::DeviceState &d = qx::dev(Index);
    const int32_t t = qx::TotalSecs[Index][chn].load();
    if (d.CurveMaxT < t)
        d.CurveMaxT = t;
}
