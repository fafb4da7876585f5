// The auto result file: the sweep's result table as ".csv" or ".dat".
#include "mainwin/frmMain.h"

#include "link/Module3.h"
#include "link/Module4.h"
#include "link/State.h"
#include "mainwin/ResultFile.h"
#include "panel/DevCtrl.h"
#include "platform/FileEnding.h"
#include "platform/Grid.h"
#include "tools/ToolPanel.h"

#include <QFile>

using namespace qx;

void frmMain::DevCtrl_AutoSaveClick(int Index)
{
    const QString ext = resultfile::extension(OptCsv);
    const QString filter = resultfile::dialogFilter(OptCsv);
    const QString sep = resultfile::separator(OptCsv, OptCsvT);
    QString name = Module4::ShowFileDialog(this, true, Module3::LangText(QStringLiteral("Save Result")), filter,
                                           QString(), QString(), QString());
    if (name.isEmpty())
        return;
    name = withEnding(name, ext);

    // A failure while writing ends silently; the lines written stay.
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const auto line = [&f](const QString &text) {
        const QByteArray b = text.toUtf8() + "\r\n";
        return f.write(b) == b.size();
    };
    try {
        const ::DevCtrl &p = DevCtrl(Index);
        const int chn = qx::tools::panelChannel(&p);
        const Grid &g = gridRun(Index);
        if (!line(g.TextMatrix(0, 0) + QLatin1Char(':') + g.TextMatrix(chn + 1, 0)))
            return;
        if (!line(QStringLiteral("Mode:Auto Test")))
            return;
        if (!line(QStringLiteral("----------QX Auto Test--------------")))
            return;
        for (int r = 0; r < p.AutoRunCnt(); ++r) {
            if (p.tAutoRun(r, 1).isEmpty())
                break;
            if (!line(p.tAutoRun(r, 0) + sep + p.tAutoRun(r, 1) + sep + p.tAutoRun(r, 2)))
                return;
        }
    } catch (const std::exception &) {
        // ends silently, as any write failure
    }
}
