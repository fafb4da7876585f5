// The receive routine of a device: one read of its port each time the port
// has bytes (or has hung up), cut into frames; each valid frame goes through the identification pass while
// the device is not identified, the parameter-frame step when it is a
// parameter frame, and the data-frame processing, which decodes the reading,
// follows the channel's run state (a test started, taken over or ended,
// with the automatic save at its end) and presents the reading.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "link/COMM.h"
#include "services/FrameDecode.h"
#include "link/FrameReader.h"
#include "link/ModelTable.h"
#include "link/PortWatch.h"
#include "services/Module3.h"
#include "services/State.h"
#include "services/Timer.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "tools/ToolPanel.h"

#include <QAction>
#include <QTimer>
#include <exception>

void frmMain::tmrComm_Timer(int Index) { CommRecv(Index); }

void frmMain::tmrRecv_Timer(int Index)
{
    DevCtrl(Index).set_LedRecv(false);
    tmrRecv(Index).stop();
}

void frmMain::CommRecv(int Index)
{
    using namespace qx;
    LinkWatch &w = link_.at(size_t(Index));
    PortWatch &watch = tmrComm(Index);
    // Bytes that come while a read is still being processed (a nested event
    // loop below it) wait until it ends.
    if (w.reading) {
        watch.hold();
        return;
    }
    const int32_t h = PortHandle[Index];
    if (h == 0)
        return;
    w.reading = true;
    int32_t n = 0;
    const std::vector<uint8_t> bytes = COMM::ReadComm(h, n);
    if (n > 0)
        RecvBytes(Index, std::span<const uint8_t>(bytes.data(), size_t(n)));
    w.reading = false;
    if (PortHandle[Index] != h)
        return; // the link ended (or began anew) while the bytes were processed
    watch.release();
    if (n == 0 && COMM::PortGone(h)) {
        portLost(Index);
        return;
    }
    // Readable without a byte to read: the next look in 50 ms, as a poll would.
    if (n == 0)
        watch.rest(PortWatch::PollMs);
    watchSilence(Index);
}

void frmMain::RecvBytes(int Index, std::span<const uint8_t> bytes)
{
    using namespace qx;
    try {
        DeviceState &d = dev(Index);
        const int32_t h = PortHandle[Index];
        for (const uint8_t b : bytes) {
            switch (takeRxByte(Index, b)) {
            case RxEvent::Start:
                DevCtrl(Index).set_LedRecv(true);
                if (!tmrRecv(Index).isActive())
                    tmrRecv(Index).start();
                break;
            case RxEvent::Frame:
                // A device that is not identified ends the read.
                if (!takeFrame(Index, frameBytes(d.RxBuf)))
                    return;
                // A frame's processing closed the link: the rest is not ours.
                if (PortHandle[Index] != h)
                    return;
                break;
            default:
                // Bytes outside a frame and frames that fail their checks
                // cost only themselves.
                break;
            }
        }
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrComm"), QString::fromUtf8(e.what()));
    }
}

bool frmMain::takeFrame(int Index, const qx::Frames::DevBytes &b)
{
    using namespace qx;
    const int ch = b[15] / 100; // below 2: the frame reader drops type bytes of 200 or more
    LinkWatch &w = link_.at(size_t(Index));
    w.sinceFrame.start();
    w.silent = false;
    if (!AdjOpen)
        menuAdj->setEnabled(true);
    if (tmrConn(Index).isActive() && !IdentifyModel(Index, ch, b))
        return false;
    if (b[0] / 100 == 1)
        ParamFrame(Index, ch, b);
    dataFrame(Index, ch, b);
    if (StopNotice) {
        const DeviceState &d = dev(Index);
        if (!d.Chained && !d.AutoBusy)
            ShowMsg(QStringLiteral("STOP"));
        StopNotice = 0;
    }
    return true;
}

void frmMain::dataFrame(int Index, int chn, const qx::Frames::DevBytes &b)
{
    using namespace qx;
    const Frames::FrameFields f = Frames::decode(b);
    ChannelState &c = chan(Index, chn);
    const bool wasRunning = Running[Index][chn];
    const int T = DevType[Index];

    if (CurScale[Index] == 100) {
        c.Cur = float(f.current * 0.01);
    } else {
        c.Cur = float(f.current * 0.001);
        c.CurFine = float(f.current * 0.0001);
        if (models::isUsbTesterFrom320(T, DevVer[Index]))
            c.Cur = float((f.current / 10) * 0.001);
    }
    c.Vol = float(f.volts());
    // The resistance test reads the selected device's idle frames only.
    if (Index == CurDev && ResVolt == 0 && !wasRunning) {
        const float v = float(f.capacity * 0.001);
        if (v > 0 && v != c.Cap)
            ResVolt = v;
    }
    // The frame that ends a test carries the run's capacity; when that
    // frame was lost, the next idle frame reads 0 and the last running
    // capacity stays (before the first count after a Continue, the
    // carried-over charge is all there is: the rule below gives it).
    if (wasRunning && !models::isUsbTester(T) && (f.running() || f.capacity != 0 || c.CapResume) &&
        takeCapacity(c, f.capacity))
        recordCarried(Index, chn);
    c.Temp = !DevCtrl(Index).Dev2S() && !models::isUsbTester(T) ? float(f.temperature * 0.1) : 0.0f;
    if (models::isUsbTester(T)) {
        c.UsbDp = float(f.capacity * 0.001);
        c.UsbDm = float(f.temperature * 0.001);
    }
    StopNotice = 0;

    if (f.running())
        runningFrame(Index, chn, f, !wasRunning);
    else
        idleFrame(Index, chn, wasRunning && !models::isUsbTester(T) && f.capacity == 0);
}

void frmMain::runningFrame(int Index, int chn, const qx::Frames::FrameFields &f, bool firstFrame)
{
    using namespace qx;
    ChannelState &c = chan(Index, chn);
    ::DevCtrl &p = DevCtrl(Index);

    if (firstFrame) {
        c.Mode = f.mode;
        if (f.kind == 0) {
            takeSettings(c, f);
        } else {
            DevVer[Index] = f.setValue;
            takeLimits(Index, f);
            dev(Index).ParCount += 1;
        }
        ShowModeFields(Index, chn);
        // Run and Continue fill the begin voltage: a test without it was
        // started on the device itself (or before the program knew of it).
        c.TakeOver = gridRun(Index).TextMatrix(chn + 1, resultgrid::BeginVolt).isEmpty();
    }
    // Continue carries the panel's settings to the device, so the take-over
    // waits for a data frame: a parameter frame (the first frames after a
    // connect) reports the firmware and the limits in their place, and the
    // panel still holds no settings of this test. It also waits until the
    // model is identified: a two-channel model whose channel 2 reported
    // first has neither its mode list nor its second channel's curves yet.
    if (c.TakeOver && f.kind == 0 && !tmrConn(Index).isActive()) {
        c.TakeOver = false;
        if (!firstFrame) {
            c.Mode = f.mode;
            takeSettings(c, f);
            ShowModeFields(Index, chn);
        }
        // Run or Continue of the user's own, while the take-over waited,
        // has taken the run already.
        if (gridRun(Index).TextMatrix(chn + 1, resultgrid::BeginVolt).isEmpty())
            takeOverRun(Index, chn, f);
    }
    Running[Index][chn] = true;
    // The run log keeps what the device runs with (a take-over tells its
    // own test by it).
    if (f.kind == 0)
        recordSettings(Index, chn, RunSettings{f.mode, f.setValue, f.limit, f.third});

    if (c.SetRefresh > 0) {
        if (f.kind == 0) {
            takeSettings(c, f);
            ShowModeFields(Index, chn);
            c.SetRefresh += 1;
        }
        if (c.SetRefresh == 3)
            c.SetRefresh = 0;
    }

    if (qx::tools::panelChannel(&p) == chn)
        SetRunState(false, Index);
    AdjButtonsCurDev();
    p.set_TmrShowEnable(chn, true);
    p.set_TmrCurveEnable(chn, true);
    Timer::TickOn(Index, chn);
    Timer::TickStart(Index, chn);
    ShowReading(Index, chn);
    c.RunVolText = p.tVol(chn);
}

void frmMain::idleFrame(int Index, int chn, bool endLost)
{
    using namespace qx;
    ChannelState &c = chan(Index, chn);
    ::DevCtrl &p = DevCtrl(Index);

    ShowReading(Index, chn);
    // A run that ends before it was taken over has nothing to continue.
    c.TakeOver = false;
    if (Running[Index][chn]) {
        // The test has ended at the voltage of the frame that ends it; when
        // that frame was lost, this one is a rested reading, and the last
        // loaded one is the cut-off.
        const QString cutoff = endLost && !c.RunVolText.isEmpty() ? c.RunVolText : p.tVol(chn);
        gridRun(Index).set_TextMatrix(chn + 1, resultgrid::CutoffVolt, cutoff + QLatin1Char('V'));
        StopNotice = p.Dev2S() ? 0 : 1;
        recordRunEnd(Index, chn);
        if (!c.BakName.isEmpty() && OptSave)
            AutoSaveData(Index, chn);
        c.BakName.clear();
        p.set_TmrShowEnable(chn, false);
        Timer::TickOff(Index, chn);
        // Between the rows of a step program the curve goes on.
        if (!dev(Index).Chained) {
            if (lstInfoLine(Index, chn + 3).isEmpty()) {
                p.set_TmrCurveEnable(chn, false);
                Timer::TickStop(Index, chn);
            }
            RunStartPt[Index][chn] = 0;
        }
        CurveGraph(Index).set_Size(true);
    }
    Running[Index][chn] = false;
    if (qx::tools::panelChannel(&p) == chn)
        SetRunState(true, Index);
    AdjButtonsCurDev();
}

void frmMain::watchSilence(int Index)
{
    LinkWatch &w = link_.at(size_t(Index));
    if (!w.sinceFrame.isValid() || w.silent || qx::PortHandle[Index] == 0)
        return;
    const qint64 left = silenceMs_ - w.sinceFrame.elapsed();
    if (left > 0) {
        tmrComm(Index).expect(int(left));
        return;
    }
    w.silent = true;
    ErrLog(QStringLiteral("ErrComm"),
           QStringLiteral("%1: no reply for %2 s").arg(DevCtrl(Index).tPort(), QString::number(silenceMs_ / 1000.0)));
    set_lstInfoLine(Index, 1,
                    QStringLiteral(" ") + qx::Module3::LangText(QStringLiteral("Device%1: No Reply").arg(Index + 1)));
}
