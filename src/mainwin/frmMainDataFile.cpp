// The result data file: "Save Data" and the automatic save at the end of a
// test (format and names: ResultFile.h).
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "curves/CurveSlots.h"
#include "link/ModelTable.h"
#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "mainwin/ResultFile.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/FileEnding.h"
#include "platform/Grid.h"
#include "platform/QxError.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"
#include "tools/ToolPanel.h"

#include <QAction>
#include <QDir>

using qx::curves::Curve;
using qx::curves::curveSlot;

namespace {

// Everything the file says about channel chn of device Index, as the views hold it.
qx::resultfile::Content gather(const frmMain &w, int Index, int chn)
{
    using namespace qx;
    resultfile::Content c;
    c.sep = resultfile::separator(OptCsv, OptCsvT);

    const ::DevCtrl &p = w.DevCtrl(Index);
    if (p.StepListCnt() > 1 && !p.tStepList(1, 1).isEmpty() && p.Test() == 3 && !dev(Index).Chained) {
        for (int r = 0; r < p.StepListCnt(); ++r)
            c.stepRows.push_back({p.tStepList(r, 0), p.tStepList(r, 1), p.tStepList(r, 2), p.tStepList(r, 3)});
    } else {
        const Grid &g = w.gridRun(Index);
        for (int col = 0; col < resultgrid::SummaryColumns; ++col) {
            c.headers[size_t(col)] = g.TextMatrix(0, col);
            c.cells[size_t(col)] = g.TextMatrix(chn + 1, col);
        }
    }

    const ::CurveGraph &graph = w.CurveGraph(Index);
    c.title = graph.TitleText();
    if (dev(Index).HasTemp && w.menuTemp->isChecked())
        c.columns = resultfile::Columns::WithTemp;
    else if (models::countsMilliamps(DevType[Index]))
        c.columns = resultfile::Columns::CurMilli;
    c.milliAmpDigits = CurScale[Index] != 100;

    const int v = curveSlot(chn, Curve::Voltage), cur = curveSlot(chn, Curve::Current),
              third = curveSlot(chn, Curve::PowerOrTemp);
    const int32_t count = graph.DpCnt(v);
    const bool temp = c.columns == resultfile::Columns::WithTemp;
    // The current and third curves are filled together with the voltage
    // curve; one that fell behind fails the save rather than write zeros.
    if (graph.DpCnt(cur) < count || (temp && graph.DpCnt(third) < count))
        raise(ErrSubscript);
    for (int32_t i = std::max(RunStartPt[Index][chn], 0); i < count; ++i) {
        resultfile::Point pt;
        pt.x = graph.DpX(v, i);
        pt.vol = graph.DpY(v, i);
        pt.cur = graph.DpY(cur, i);
        if (temp)
            pt.temp = graph.DpY(third, i);
        c.points.push_back(pt);
    }
    return c;
}

QByteArray fileBytes(const frmMain &w, int Index, int chn)
{
    QByteArray bytes;
    for (const QString &l : qx::resultfile::lines(gather(w, Index, chn)))
        bytes += l.toUtf8() + "\r\n";
    return bytes;
}

} // namespace

bool frmMain::WriteDataFile(int Index, int chn, const QString &FileName)
{
    QString failure;
    try {
        if (qx::savefile::replace(FileName, fileBytes(*this, Index, chn), &failure))
            return true;
    } catch (const std::exception &e) {
        failure = QString::fromUtf8(e.what());
    }
    ErrLog(QStringLiteral("ErrWriteData"), FileName + QStringLiteral(": ") + failure);
    return false;
}

void frmMain::menuSaveData_Click()
{
    using namespace qx;
    try {
        const int dev = CurDev;
        const ::DevCtrl &p = DevCtrl(dev);
        const int chn = qx::tools::panelChannel(&p);
        if (Running[dev][chn])
            return;
        QString title = Module3::LangText(QStringLiteral("Save Data--Device%1").arg(dev + 1));
        const QString model = gridRun(dev).TextMatrix(chn + 1, resultgrid::Model);
        const QString name = resultfile::dialogName(QDateTime::currentDateTime(), model, dev, chn, p.Dev2S());
        if (p.Dev2S())
            title += QStringLiteral("-Channel%1").arg(chn + 1);
        const QString ext = resultfile::extension(OptCsv);
        const QString filter = resultfile::dialogFilter(OptCsv);
        QString path = Module4::ShowFileDialog(this, true, title, filter, name, QString(), QString());
        if (path.isEmpty())
            return;
        path = withEnding(path, ext);
        if (!WriteDataFile(dev, chn, path))
            promptBox(QStringLiteral("Save failed!"), MbCritical);
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrSaveData"), QString::fromUtf8(e.what()));
    }
}

QString frmMain::AutoSaveData(int Index, int chn, const QDateTime &when)
{
    using namespace qx;
    const auto failed = [&](const QString &tag, const QString &description) {
        runRecordFailed(Index, chn, RunRecord::Data, tag, description);
        return QString();
    };
    try {
        const QString folder = homePath(QStringLiteral("Data"));
        if (!QDir().mkpath(folder))
            return failed(QStringLiteral("ErrSaveData"), folder + QStringLiteral(": cannot create the folder"));
        const QString model = gridRun(Index).TextMatrix(chn + 1, resultgrid::Model);
        const QString path = folder + QLatin1Char('/') + resultfile::autoName(when, model, Index, chn, OptCsv);
        // A new file, never one that is there (another instance's result
        // of the same second, model, tab and channel).
        QString failure;
        const QString saved = savefile::createNew(path, fileBytes(*this, Index, chn), &failure);
        if (saved.isEmpty())
            return failed(QStringLiteral("ErrWriteData"), path + QStringLiteral(": ") + failure);
        return saved;
    } catch (const std::exception &e) {
        return failed(QStringLiteral("ErrSaveData"), QString::fromUtf8(e.what()));
    }
}
