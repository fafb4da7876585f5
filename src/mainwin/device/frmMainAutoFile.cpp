// The auto result file: the sweep's result table as ".csv" or ".dat".
#include "mainwin/frmMain.h"

#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "mainwin/ResultColumns.h"
#include "mainwin/ResultFile.h"
#include "panel/DevCtrl.h"
#include "platform/FileEnding.h"
#include "platform/Grid.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"
#include "tools/ToolPanel.h"

#include <QStringList>

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

    // The file is written whole or not at all; a failure is logged and told.
    QString reason;
    try {
        const ::DevCtrl &p = DevCtrl(Index);
        const int chn = qx::tools::panelChannel(&p);
        const Grid &g = gridRun(Index);
        QStringList lines{g.TextMatrix(0, resultgrid::Model) + QLatin1Char(':') + g.TextMatrix(chn + 1, resultgrid::Model),
                          QStringLiteral("Mode:Auto Test"), QStringLiteral("----------QX Auto Test--------------")};
        for (int r = 0; r < p.AutoRunCnt(); ++r) {
            if (p.tAutoRun(r, 1).isEmpty())
                break;
            lines << p.tAutoRun(r, 0) + sep + p.tAutoRun(r, 1) + sep + p.tAutoRun(r, 2);
        }
        QByteArray bytes;
        for (const QString &l : lines)
            bytes += l.toUtf8() + "\r\n";
        if (savefile::replace(name, bytes, &reason))
            return;
    } catch (const std::exception &e) {
        reason = QString::fromUtf8(e.what());
    }
    ErrLog(QStringLiteral("ErrAutoSave"), name + QStringLiteral(": ") + reason);
    promptBox(QStringLiteral("Save failed!"), MbCritical);
}
