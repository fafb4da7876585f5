// The run log of a channel (header at the run start, one line per reading),
// Continue, which reloads it and resumes the run, and Monitor, which records
// curves without a test.
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "link/Frames.h"
#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/RunLog.h"
#include "services/TakeOver.h"
#include "services/State.h"
#include "services/Timer.h"
#include "mainwin/CurveScale.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"
#include "platform/QxError.h"
#include "platform/SaveFile.h"
#include "platform/Second.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QListWidget>
#include <algorithm>
#include <cstdio>
#include <limits>

using qx::curves::Curve;
using qx::curves::curveSlot;

namespace {

// A file name part never leads out of the program folder.
QString namePart(QString s)
{
    s.replace(QLatin1Char('/'), QLatin1Char('_'));
    s.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return s;
}

float round3(double v) { return qx::curvescale::pictureRound(float(v), 3); }

QString lineNumbers(const std::vector<int> &lines)
{
    QStringList l;
    for (size_t i = 0; i < lines.size() && i < 10; ++i)
        l << QString::number(lines[i]);
    if (lines.size() > 10)
        l << QStringLiteral("...");
    return l.join(QStringLiteral(", "));
}

} // namespace

QString frmMain::RunLogName(int Index, int chn) const
{
    const QString model = gridRun(Index).TextMatrix(chn + 1, qx::resultgrid::Model);
    return qx::homePath(QStringLiteral("qx-%1-%2-%3-%4")
                            .arg(namePart(model), namePart(DevCtrl(Index).tPort()))
                            .arg(Index + 1)
                            .arg(chn + 1));
}

void frmMain::resetRunFailures(int Index, int chn)
{
    uint8_t &told = runFailures_.at(size_t(Index)).at(size_t(chn));
    if (told != 0)
        set_lstInfoLine(Index, 5 + chn, QString());
    told = 0;
}

void frmMain::runRecordFailed(int Index, int chn, RunRecord what, const QString &tag, const QString &description)
{
    using namespace qx;
    try {
        uint8_t &told = runFailures_.at(size_t(Index)).at(size_t(chn));
        const auto bit = uint8_t(what);
        if (told & bit)
            return;
        told |= bit;
        ErrLog(tag, description);
        const QString who = DevCtrl(Index).Dev2S() ? QStringLiteral("Channel%1").arg(chn + 1)
                                                   : QStringLiteral("Device%1").arg(Index + 1);
        const QString lost = what == RunRecord::Log ? QStringLiteral("Run log not saved")
                                                    : QStringLiteral("Data not saved");
        // The error output says it even when the error log cannot be written.
        std::fputs(qPrintable(QStringLiteral("qx-tester: %1: %2: %3\n").arg(who, lost, description)), stderr);
        const QString shown = told == (uint8_t(RunRecord::Log) | uint8_t(RunRecord::Data))
                                  ? QStringLiteral("Files not saved")
                                  : lost;
        set_lstInfoLine(Index, 5 + chn, QStringLiteral(" ") + Module3::LangText(who + QStringLiteral(": ") + shown));
        // The list shows about five lines: this one is brought into view.
        QListWidget &list = lstInfo(Index);
        list.scrollToItem(list.item(5 + chn));
    } catch (const std::exception &e) {
        ErrLog(tag, description + QStringLiteral(" (") + QString::fromUtf8(e.what()) + QLatin1Char(')'));
    }
}

void frmMain::WriteRunLogHeader(int Index, int chn)
{
    using namespace qx;
    ChannelState &c = chan(Index, chn);
    c.BakName = RunLogName(Index, chn);
    resetRunFailures(Index, chn);
    const Grid &g = gridRun(Index);
    runlog::Header h;
    h.deviceCaption = g.TextMatrix(0, resultgrid::Model);
    h.model = g.TextMatrix(chn + 1, resultgrid::Model);
    h.modeCaption = g.TextMatrix(0, resultgrid::Mode);
    h.mode = g.TextMatrix(chn + 1, resultgrid::Mode);
    h.beginCaption = g.TextMatrix(0, resultgrid::BeginVolt);
    h.beginVolt = g.TextMatrix(chn + 1, resultgrid::BeginVolt);
    h.temperature = dev(Index).HasTemp && menuTemp->isChecked();
    h.milliAmps = models::countsMilliamps(DevType[Index]);
    runLogs_.at(size_t(Index)).at(size_t(chn)).close();
    try {
        runlog::writeHeader(c.BakName + QStringLiteral(".bak"), h);
    } catch (const QxError &e) {
        runRecordFailed(Index, chn, RunRecord::Log, QStringLiteral("ErrBak"), e.description());
    }
}

void frmMain::appendRunLogLine(int Index, int chn, int32_t secs)
{
    using namespace qx;
    const ChannelState &c = chan(Index, chn);
    const bool temp = dev(Index).HasTemp && menuTemp->isChecked();
    appendRunLog(Index, chn,
                 runlog::dataLine(secs, c.Cur, CurScale[Index] == 100 ? QStringLiteral("00.00") : QStringLiteral("0.000"),
                                  c.Vol, temp ? std::optional<float>(c.Temp) : std::nullopt));
}

void frmMain::appendRunLog(int Index, int chn, const QString &line)
{
    using namespace qx;
    ChannelState &c = chan(Index, chn);
    c.LogEnded = false;
    try {
        runLogs_.at(size_t(Index)).at(size_t(chn)).append(c.BakName + QStringLiteral(".bak"), line);
    } catch (const QxError &e) {
        // The reading is still presented; the next one tries again.
        runRecordFailed(Index, chn, RunRecord::Log, QStringLiteral("ErrBak"), e.description());
    }
}

void frmMain::recordSettings(int Index, int chn, const qx::RunSettings &s)
{
    qx::ChannelState &c = qx::chan(Index, chn);
    if (c.BakName.isEmpty() || c.LoggedSettings == s)
        return;
    appendRunLog(Index, chn, qx::runlog::settingsRecord(s));
    c.LoggedSettings = s;
}

void frmMain::recordCarried(int Index, int chn)
{
    const qx::ChannelState &c = qx::chan(Index, chn);
    if (!c.BakName.isEmpty())
        appendRunLog(Index, chn, qx::runlog::carriedRecord(double(c.CapBase)));
}

void frmMain::recordRunEnd(int Index, int chn)
{
    qx::ChannelState &c = qx::chan(Index, chn);
    if (c.BakName.isEmpty() || c.LogEnded)
        return;
    appendRunLog(Index, chn, qx::runlog::endRecord(qx::TestSecs[Index][chn].load(), double(c.Cap)));
    c.LogEnded = true;
}

std::optional<qx::runlog::Contents> frmMain::readRunLog(const QString &path)
{
    using namespace qx;
    std::optional<runlog::Contents> log = runlog::read(path);
    if (!log) {
        ErrLog(QStringLiteral("ErrCont"), path + QStringLiteral(": cannot be read"));
        return std::nullopt;
    }
    if (!log->skipped.empty())
        ErrLog(QStringLiteral("ErrCont"), QStringLiteral("%1: %2 line(s) skipped (line %3)")
                                              .arg(path)
                                              .arg(log->skipped.size())
                                              .arg(lineNumbers(log->skipped)));
    return log;
}

void frmMain::DevCtrl_ContClick(int Index, int chn)
{
    using namespace qx;
    // A frame of channel 2 from a one-channel device (a type byte spoilt on
    // the way) has no run, curves or boxes to continue.
    if (chn != 0 && !DevCtrl(Index).Dev2S())
        return;
    const QString path = RunLogName(Index, chn) + QStringLiteral(".bak");
    if (!QFileInfo::exists(path))
        return;
    if (const std::optional<runlog::Contents> log = readRunLog(path))
        resumeRun(Index, chn, *log, 0);
}

void frmMain::takeOverRun(int Index, int chn, const qx::Frames::FrameFields &f)
{
    using namespace qx;
    if (chn != 0 && !DevCtrl(Index).Dev2S())
        return;
    const QString path = RunLogName(Index, chn) + QStringLiteral(".bak");
    const QFileInfo file(path);
    const bool exists = file.exists();
    // A device that ran on has counted the seconds since the log's last
    // line too: the program's seconds since the log was last written, to
    // the nearest whole one (the line was written somewhere within its
    // second); none when the clock says the log is from the future.
    int32_t away = 0;
    if (exists) {
        const qint64 ms = file.lastModified().msecsTo(QDateTime::currentDateTime());
        const qint64 secs = (ms + secondMs() / 2) / secondMs();
        away = int32_t(std::clamp<qint64>(secs, 0, std::numeric_limits<int32_t>::max() / 2));
    }
    const std::optional<runlog::Contents> log = exists ? readRunLog(path) : std::nullopt;
    const ChannelState &c = chan(Index, chn);
    takeover::Facts facts;
    facts.log = log ? &*log : nullptr;
    facts.usbTester = models::isUsbTester(DevType[Index]);
    facts.device = RunSettings{f.mode, f.setValue, f.limit, f.third};
    facts.count = Frames::rangeCapacity(f.capacity);
    facts.current = double(c.Cur);
    facts.awaySecs = away;
    if (takeover::ownsLog(facts) && resumeRun(Index, chn, *log, away))
        return;

    // Another test (or none recorded): a run of its own, as Run begins one,
    // the device's count its capacity. The log it found stays as it was.
    if (exists && !keepRunLogAside(Index, chn, path))
        return;
    beginRun(Index, chn, voltageReadout(Index, c.Vol));
    if (!facts.usbTester)
        chan(Index, chn).Cap = float(facts.count);
}

bool frmMain::keepRunLogAside(int Index, int chn, const QString &path)
{
    using namespace qx;
    // The writer lets the old file go first.
    runLogs_.at(size_t(Index)).at(size_t(chn)).close();
    const QDateTime t = QFileInfo(path).lastModified();
    const QString kept = QStringLiteral("%1-%2-%3-%4-%5-%6-%7.bak")
                             .arg(RunLogName(Index, chn))
                             .arg(t.date().year())
                             .arg(t.date().month())
                             .arg(t.date().day())
                             .arg(t.time().hour())
                             .arg(t.time().minute())
                             .arg(t.time().second());
    QString reason;
    if (!savefile::keepAside(path, kept, &reason).isEmpty())
        return true;
    // Neither this run's log nor its result file is written: the old run's
    // log is not replaced.
    resetRunFailures(Index, chn);
    const QString why = path + QStringLiteral(": not kept aside: ") + reason;
    runRecordFailed(Index, chn, RunRecord::Log, QStringLiteral("ErrBak"), why);
    runRecordFailed(Index, chn, RunRecord::Data, QStringLiteral("ErrBak"), why);
    return false;
}

bool frmMain::resumeRun(int Index, int chn, const qx::runlog::Contents &log, int32_t away)
{
    using namespace qx;
    ChannelState &c = chan(Index, chn);
    resetRun(c);
    ::CurveGraph &g = CurveGraph(Index);
    if (g.Large())
        g.set_Large(false);
    g.set_Size(false);
    // Only this channel's curves are reloaded; the other channel's points,
    // average and energy stay.
    for (const Curve k : curves::AllCurves)
        g.Clear(curveSlot(chn, k));
    RunStartPt[Index][chn] = 0;

    Grid &grid = gridRun(Index);
    if (log.model)
        grid.set_TextMatrix(chn + 1, resultgrid::Model, *log.model);
    if (log.mode)
        grid.set_TextMatrix(chn + 1, resultgrid::Mode, *log.mode);
    if (log.beginVolt)
        grid.set_TextMatrix(chn + 1, resultgrid::BeginVolt, *log.beginVolt);

    double A = 0, E = 0; // mA*s and mW*s
    int32_t p = 0, t = 0;
    for (const runlog::Point &pt : log.points) {
        t = pt.t;
        A += pt.cur * double(t - p) * 1000;
        E += pt.cur * double(t - p) * 1000 * pt.vol;
        p = t;
        CurveAddPointQuiet(t, float(pt.vol), float(pt.cur), 0, Index, chn);
        g.AddXY(curveSlot(chn, Curve::Capacity), float(t), round3(A / 3600000));
        g.AddXY(curveSlot(chn, Curve::Energy), float(t), round3(E / 3600000));
    }
    if (log.points.empty())
        return false;

    const int32_t points = g.DpCnt(curveSlot(chn, Curve::Voltage));
    if (points > 0) {
        const double avg = num::roundHalfEven(double(c.VolSum) / points * 100) / 100;
        grid.set_TextMatrix(chn + 1, resultgrid::AvgVolt, num::general(avg) + QLatin1Char('V'));
    }
    grid.set_TextMatrix(chn + 1, resultgrid::CutoffVolt, QString());

    // The run's charge in Ah (the device's own figure at the end the log
    // recorded, and the lines since); the next data frame decides whether
    // it is carried over (the device may still hold the capacity, or the
    // part of it since it last began again from 0).
    const double charge = runlog::charge(log);
    c.CapOffset = float(charge);
    c.CapBase = float(std::min(log.carried, charge));
    c.CapResume = true;
    // A USB tester's charge is the program's own count: it goes on from
    // the log's last second (the seconds away count at the next reading's
    // current, as any seconds between two readings do).
    if (models::isUsbTester(DevType[Index])) {
        c.Cap = c.CapOffset;
        c.CapSecs = t;
    }

    t += away;
    TestSecs[Index][chn].store(t);
    TotalSecs[Index][chn].store(t);
    if (dev(Index).CurveMaxT < t)
        dev(Index).CurveMaxT = t;
    CurveAutoScale(Index);
    g.DrawCurve();

    c.BakName = RunLogName(Index, chn);
    c.LoggedSettings = log.settings;
    c.LogEnded = log.ended;
    resetRunFailures(Index, chn);
    SendStart(Index, chn, models::isUsbTesterFrom320(DevType[Index], DevVer[Index]) ? 1 : 8);
    SetRunState(false, Index);
    AdjButtonsFor(Index, false);
    return true;
}

void frmMain::DevCtrl_MonitorClick(int Index, int chn)
{
    using namespace qx;
    ::DevCtrl &panel = DevCtrl(Index);
    if (!panel.RunEnable() || dev(Index).ParCount < 2)
        return;
    if (!panel.TmrCurveEnable(chn)) {
        const ::CurveGraph &g = CurveGraph(Index);
        const int32_t n = g.DpCnt(curveSlot(chn, Curve::Voltage));
        // The curve goes on where it stopped.
        TotalSecs[Index][chn].store(n == 0 ? 0 : num::toInt(g.DpX(curveSlot(chn, Curve::Voltage), n - 1)));
        panel.set_TmrCurveEnable(chn, true);
        Timer::TickStart(Index, chn);
        const QString who = panel.Dev2S() ? QStringLiteral("Channel%1").arg(chn + 1)
                                          : QStringLiteral("Device%1").arg(Index + 1);
        set_lstInfoLine(Index, chn + 3,
                        QStringLiteral(" ") + Module3::LangText(who + QStringLiteral(": Monitor ON")));
    } else {
        panel.set_TmrCurveEnable(chn, false);
        Timer::TickStop(Index, chn);
        set_lstInfoLine(Index, chn + 3, QString());
    }
}
