#pragma once
// A main window whose device tabs are identified as devices of given types
// (tables, mode list, two-channel layout, model name), for the reading
// presentation, the run log and Continue.
#include "MainFixture.h"
#include "ModelSetup.h"

#include "curves/CurveGraph.h"
#include "services/State.h"
#include "panel/DevCtrl.h"
#include "platform/Grid.h"
#include "platform/Numbers.h"

#include <QListWidget>

namespace qx::test {

class ReadingFixture : public MainFixture {
protected:
    void SetUp() override
    {
        fixErrLogClock();
        w = &load();
    }

    // Device Index identified as a device of `type`.
    void model(int Index, int type, int devVer = 0) { identifyAs(*w, Index, type, devVer); }
    // The channel's mode with its setting boxes as the mode fields show
    // them for the stored frame integers.
    void settings(int Index, int chn, int mode, int32_t val, int32_t lmt, int32_t tim)
    {
        ChannelState &c = chan(Index, chn);
        c.Mode = mode;
        c.SetVal = val;
        c.SetLmt = lmt;
        c.SetTim = tim;
        w->ShowModeFields(Index, chn);
    }
    // What Run does to the result row and the run log before the first frame.
    void runStarted(int Index, int chn, const char *beginVolt)
    {
        DevCtrl &p = w->DevCtrl(Index);
        Grid &g = w->gridRun(Index);
        g.set_TextMatrix(chn + 1, 2, QLatin1String(beginVolt));
        g.set_TextMatrix(chn + 1, 1,
                         p.tMode() + "  " + p.tSval(chn) + p.lSvalt(chn) + "  " + p.tSlmt(chn) + p.lSlmtt(chn));
        w->WriteRunLogHeader(Index, chn);
        // What the receive routine does with the first running frame.
        Running[Index][chn] = true;
        p.set_TmrCurveEnable(chn, true);
    }
    // One decoded frame of the channel, presented.
    void frame(int Index, int chn, int secs, float vol, float cur, float temp = 0, float cap = -1)
    {
        TestSecs[Index][chn].store(secs);
        TotalSecs[Index][chn].store(secs);
        ChannelState &c = chan(Index, chn);
        c.Vol = vol;
        c.Cur = cur;
        c.Temp = temp;
        if (cap >= 0)
            c.Cap = cap;
        w->ShowReading(Index, chn);
    }

    // The points of a curve of device 0's chart: "x,y x,y ...".
    std::string points(int curve)
    {
        const CurveGraph &g = w->CurveGraph(0);
        QStringList l;
        for (int n = 0; n < g.DpCnt(curve); ++n)
            l << num::general(g.DpX(curve, n)) + "," + num::general(g.DpY(curve, n));
        return l.join(' ').toStdString();
    }
    std::string cell(int Index, int row, int col) { return w->gridRun(Index).TextMatrix(row, col).toStdString(); }
    std::string info(int Index, int line) { return w->lstInfoLine(Index, line).toStdString(); }
    QStringList errLines() const { return errLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts); }
    QStringList fileLines(const QString &name) const
    {
        return QString::fromUtf8(home.read(name)).split(QStringLiteral("\r\n"));
    }

    frmMain *w = nullptr;
};

} // namespace qx::test
