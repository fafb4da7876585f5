// The presentation of one decoded reading: panel readouts, information
// list, status-line version text, result row with average voltage,
// capacity and energy, chart points, run-log line, the floating readout of
// the minimised window and the USB tester's floating meter.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/State.h"
#include "mainwin/CurveScale.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "panel/LCDisp.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"

#include <QAction>
#include <QLabel>
#include <exception>

using qx::curves::Curve;
using qx::curves::curveSlot;

namespace {

using qx::num::format;
using qx::num::general;

QString voltagePicture(int Index, float vol)
{
    const int type = qx::DevType[Index];
    if ((qx::VolScale[Index] == 1000 || qx::models::isUsbTester(type)) && vol < 9.999f)
        return QStringLiteral("0.000");
    if (vol < 4.5f && qx::models::hasFineVoltage(type))
        return QStringLiteral("0.000");
    return vol < 100 ? QStringLiteral("00.00") : QStringLiteral("000.0");
}

QString currentPicture(int Index) { return qx::CurScale[Index] == 100 ? QStringLiteral("00.00") : QStringLiteral("0.000"); }

QString powerPicture(float pwr)
{
    if (pwr < 100)
        return QStringLiteral("00.00");
    return pwr < 1000 ? QStringLiteral("000.0") : QStringLiteral("0000");
}

// Capacity and energy of the floating readout.
QString floatingPicture(float v)
{
    if (v > 100)
        return QStringLiteral("000.0");
    return v > 10 ? QStringLiteral("00.00") : QStringLiteral("0.000");
}

} // namespace

QString frmMain::voltageReadout(int Index, float vol) const { return format(vol, voltagePicture(Index, vol)); }

void frmMain::ShowReading(int Index, int chn)
{
    using namespace qx;
    ChannelState &c = chan(Index, chn);
    // Values beyond the device's limits are not a reading.
    if (!(c.Vol <= MaxVol[Index] && c.Cur <= MaxCur[Index] && c.Temp <= 100)) {
        ErrLog(QStringLiteral("ErrData%1 %2-%3 %4-%5")
                   .arg(Index)
                   .arg(general(c.Vol), general(MaxVol[Index]), general(c.Cur), general(MaxCur[Index])));
        return;
    }
    try {
        ::DevCtrl &p = DevCtrl(Index);
        const DeviceState &d = dev(Index);
        const bool running = Running[Index][chn];

        p.set_tVol(chn, format(c.Vol, voltagePicture(Index, c.Vol)));
        const int type = DevType[Index];
        if (models::hasWideCurrentReadout(type))
            p.set_tCur(chn, format(c.Cur, c.Cur < 100 ? u"00.00" : u"000.0"));
        else
            p.set_tCur(chn, format(c.Cur, currentPicture(Index)));
        c.Pwr = c.Cur * c.Vol;
        p.set_tPwr(chn, format(c.Pwr, powerPicture(c.Pwr)));

        // The lines are built by plain appends: a reading writes them all,
        // most of the time as they stand.
        const QLatin1String state = running ? QLatin1String("START") : QLatin1String("STOP");
        const auto line = [](QLatin1String what, int n, const QString &value) {
            return QLatin1Char(' ') + Module3::LangText(what + QString::number(n) + QLatin1String(": ") + value);
        };
        if (!p.Dev2S()) {
            set_lstInfoLine(Index, 1, line(QLatin1String("Device"), Index + 1, state));
            if (d.HasTemp)
                set_lstInfoLine(Index, 2,
                                line(QLatin1String("Temp"), Index + 1, format(c.Temp, u"0.0") + QStringLiteral(" ℃")));
        } else {
            set_lstInfoLine(Index, chn + 1, line(QLatin1String("Channel"), chn + 1, state));
        }

        if (!dev(CurDev).Chained)
            VerText = DevVer[CurDev] != 0 ? QStringLiteral("V") + format(DevVer[CurDev] * 0.01, u"0.00") : QString();

        ::CurveGraph &g = CurveGraph(Index);
        if (running) {
            Grid &grid = gridRun(Index);
            grid.set_TextMatrix(chn + 1, resultgrid::Mode,
                                p.tMode() + QStringLiteral("  ") + p.tSval(chn) + p.lSvalt(chn) + QStringLiteral("  ") +
                                    p.tSlmt(chn) + p.lSlmtt(chn));
            const int32_t n = g.DpCnt(curveSlot(chn, Curve::Voltage)) - RunStartPt[Index][chn];
            if (n > 0) {
                const float avg = c.VolSum / float(n);
                grid.set_TextMatrix(chn + 1, resultgrid::AvgVolt, format(avg, u"0.00") + QLatin1Char('V'));
                const int32_t secs = TestSecs[Index][chn].load();
                if (models::isUsbTester(type) && secs > c.CapSecs) {
                    c.Cap = c.Cap + c.Cur * float(secs - c.CapSecs) / 3600;
                    c.CapSecs = secs;
                }
                const float energy = avg * c.Cap;
                if (energy > c.Energy)
                    c.Energy = energy;
            }
        }

        if (p.TmrCurveEnable(chn)) {
            const float third = d.HasTemp && menuTemp->isChecked() ? c.Temp : c.Pwr;
            const auto addTotals = [&](float x) {
                g.AddXY(curveSlot(chn, Curve::Capacity), x, curvescale::pictureRound(c.Cap, 3));
                g.AddXY(curveSlot(chn, Curve::Energy), x, curvescale::pictureRound(c.Energy, 3));
            };
            // The point and the run log's line are of one moment: both
            // counters are read here together, so that a tick of the
            // seconds timer while the point is added does not put the
            // log's second one ahead of the point's.
            const int32_t x = TotalSecs[Index][chn].load();
            const int32_t logSecs = TestSecs[Index][chn].load();
            if (running && g.DpCnt(curveSlot(chn, Curve::Voltage)) == 0) {
                // The run starts at its begin voltage.
                QString begin = gridRun(Index).TextMatrix(chn + 1, resultgrid::BeginVolt);
                begin.chop(1);
                const float v0 = num::isNumeric(begin) ? float(num::toDouble(begin)) : c.Vol;
                CurveAddPoint(0, v0, c.Cur, third, Index, chn);
                addTotals(float(x));
            }
            CurveAddPoint(x, c.Vol, c.Cur, third, Index, chn);
            addTotals(float(x));
            if (!c.BakName.isEmpty() && running)
                appendRunLogLine(Index, chn, logSecs);
        }

        ShowCapacity(Index, chn);
        if (Minimized)
            showFloatingReadout();
        showMeter(Index, chn);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrData%1 %2 %3 %4").arg(Index).arg(general(c.Vol), general(c.Cur), general(c.Temp)),
               QString::fromUtf8(e.what()));
    }
}

void frmMain::showFloatingReadout()
{
    using namespace qx;
    const ::DevCtrl &p = DevCtrl(CurDev);
    frmDisp &w = frmDispForm().get();
    w.lblTitle->setText(gridRun(CurDev).TextMatrix(1, resultgrid::Model));
    w.lcdCurM->set_Value(p.tCur(0));
    w.lcdVolM->set_Value(p.tVol(0));
    w.lcdPwrM->set_Value(p.tPwr(0));
    const ChannelState &c = chan(CurDev, 0);
    w.lcdD1M->set_Value(format(c.Cap, floatingPicture(c.Cap)));
    w.lcdD2M->set_Value(format(c.Energy, floatingPicture(c.Energy)));
}

void frmMain::showMeter(int Index, int chn)
{
    using namespace qx;
    if (!models::isUsbTesterFrom320(DevType[Index], DevVer[Index])) {
        // Another device's frame hides the meter only while that device is
        // the selected one; the tester's frames bring it back once the
        // tester is selected again.
        if (MeterOpen && Index == CurDev && frmMeterForm()->isVisible()) {
            frmMeterForm()->hide();
            meterHiddenByOther_ = true;
        }
        return;
    }
    const ChannelState &c = chan(Index, chn);
    if (c.Mode != models::UsbMeterMode) {
        meterHiddenByOther_ = false;
        frmMeterForm().unload();
        return;
    }
    if (dev(Index).ParCount >= 2) {
        const bool comeBack = meterHiddenByOther_ && Index == CurDev && !(Minimized && !OptDisp);
        if (!MeterOpen || comeBack) {
            frmMeterForm()->show();
            meterHiddenByOther_ = false;
        }
    }
    frmMeter &m = frmMeterForm().get();
    m.lcdCurM->set_Value(format(c.CurFine, u"0.0000"));
    m.lcdVolM->set_Value(format(c.Vol, u"00.000"));
    const QString unknown = QStringLiteral("-.---");
    m.lcdD1M->set_Value(UsbOpen ? unknown : format(c.UsbDp, u"0.000"));
    m.lcdD2M->set_Value(UsbOpen ? unknown : format(c.UsbDm, u"0.000"));
    m.lcdPwrM->set_Value(format(c.CurFine * c.Vol, u"00.000"));
}
