// Readings presented in several modes, for screenshots:
//   mainwin_reading_demo [1|2|3|4] [--home DIR]
// Four tabs, each with a run of a few minutes already on its chart:
// 1 a one-channel load discharging at constant current (temperature curve
// on), 2 a two-channel load with both channels at constant power, 3 a charger in its constant-voltage charge mode,
// 4 the USB tester in its meter mode with the floating meter. The number
// picks the tab in front (default 1).
#include "ModelSetup.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "panel/frmMeter.h"
#include "common/DemoHome.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <cmath>

namespace {

using namespace qx;

void identify(frmMain &w, int i, int type, int devVer)
{
    test::identifyAs(w, i, type, devVer);
    dev(i).ParCount = 2;
    w.DevCtrl(i).set_Conn(true);
}

// A run on channel c in mode `mode` with the given frame settings, started
// at `begin` volts.
void start(frmMain &w, int i, int c, int mode, int32_t val, int32_t lmt, int32_t tim, const char *begin)
{
    ChannelState &s = chan(i, c);
    s.Mode = mode;
    s.SetVal = val;
    s.SetLmt = lmt;
    s.SetTim = tim;
    w.ShowModeFields(i, c);
    DevCtrl &p = w.DevCtrl(i);
    Grid &g = w.gridRun(i);
    g.set_TextMatrix(c + 1, 2, QLatin1String(begin));
    g.set_TextMatrix(c + 1, 1, p.tMode() + "  " + p.tSval(c) + p.lSvalt(c) + "  " + p.tSlmt(c) + p.lSlmtt(c));
    w.WriteRunLogHeader(i, c);
    Running[i][c] = true;
    p.set_TmrCurveEnable(c, true);
    w.SetRunState(false, i);
}

struct Reading {
    float vol, cur, temp, cap;
};

// Presents one reading per second up to `secs`.
template <class F>
void history(frmMain &w, int i, int c, int secs, F reading)
{
    for (int t = 1; t <= secs; ++t) {
        TestSecs[i][c].store(t);
        TotalSecs[i][c].store(t);
        const Reading r = reading(t);
        ChannelState &s = chan(i, c);
        s.Vol = r.vol;
        s.Cur = r.cur;
        s.Temp = r.temp;
        s.Cap = r.cap;
        w.ShowReading(i, c);
        w.DevCtrl_TmrCurveOn(i, c);
    }
    w.DevCtrl_TmrShowOn(i, c);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const test::DemoHome home(app.arguments());
    int front = 1;
    if (argc > 1 && app.arguments().at(1).toInt() >= 1 && app.arguments().at(1).toInt() <= 4)
        front = app.arguments().at(1).toInt();

    frmMain &w = frmMainForm().get();
    w.menuTemp->setChecked(true);

    // 1: discharge at 1.5 A down towards 3.00 V.
    identify(w, 0, 1, 0);
    start(w, 0, 0, 0, 150, 300, 0, "12.60V");
    history(w, 0, 0, 420, [](int t) {
        const float v = 12.5f - 0.9f * float(t) / 420 - 0.15f * std::exp(-float(t) / 20);
        return Reading{v, 1.5f, 25.0f + 6.0f * float(t) / 420, 1.5f * float(t) / 3600};
    });

    // 2: two channels at constant power, 4.0 W and 5.0 W.
    identify(w, 1, 17, 0);
    start(w, 1, 0, 1, 40, 3000, 0, "4.150V");
    history(w, 1, 0, 300, [](int t) {
        const float v = 4.12f - 0.35f * float(t) / 300;
        return Reading{v, 4.0f / v, 0, 1.0f * float(t) / 3600};
    });
    start(w, 1, 1, 1, 50, 3000, 0, "4.080V");
    history(w, 1, 1, 300, [](int t) {
        const float v = 4.05f - 0.5f * float(t) / 300;
        return Reading{v, 5.0f / v, 0, 1.3f * float(t) / 3600};
    });

    // 3: a charger at constant voltage, the current falling off.
    identify(w, 2, 8, 0);
    start(w, 2, 0, 1, 200, 420, 20, "3.950V");
    history(w, 2, 0, 600, [](int t) {
        const float v = std::min(4.2f, 3.95f + 0.25f * float(t) / 200);
        const float i = t < 200 ? 2.0f : 2.0f * std::exp(-float(t - 200) / 150);
        return Reading{v, i, 0, 1.1f * float(t) / 3600};
    });

    // 4: the USB tester measuring, its floating meter shown.
    identify(w, 3, 26, 320);
    chan(3, 0).Mode = 1;
    w.ShowModeFields(3, 0);
    w.DevCtrl(3).set_TmrCurveEnable(0, true);
    history(w, 3, 0, 240, [](int t) {
        ChannelState &s = chan(3, 0);
        s.CurFine = 1.8765f + 0.01f * std::sin(float(t) / 10);
        s.UsbDp = 0.6f;
        s.UsbDm = 0.6f;
        return Reading{9.05f - 0.02f * std::sin(float(t) / 13), s.CurFine, 0, 0};
    });

    CurDev = front - 1;
    w.tabDev->setCurrentIndex(front - 1);
    w.tabDev_Click();
    w.show();
    // The meter floats only beside the tester's tab (raised again: without
    // a window manager the main window shown after it would cover it).
    if (front != 4)
        frmMeterForm().unload();
    else
        QTimer::singleShot(500, [] { frmMeterForm()->raise(); });
    return app.exec();
}
