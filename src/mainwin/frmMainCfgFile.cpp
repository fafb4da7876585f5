// The parameter file: "Save Parameter" and "Open Parameter" (format: CfgFile.h).
#include "mainwin/frmMain.h"

#include "curves/CurveGraph.h"
#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "mainwin/CfgFile.h"
#include "mainwin/ResultColumns.h"
#include "panel/DevCtrl.h"
#include "platform/FileEnding.h"
#include "platform/Grid.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"
#include "tools/ToolPanel.h"

#include <QDateTime>
#include <QFile>

void frmMain::menuSaveCfg_Click()
{
    using namespace qx;
    try {
        const int dev = CurDev;
        const ::DevCtrl &p = DevCtrl(dev);
        const int chn = qx::tools::panelChannel(&p);
        if (Running[dev][chn])
            return;
        const QString path =
            askSavePath(QStringLiteral("Save Parameter"), QStringLiteral("config file(*.cfg)|*.cfg"), QStringLiteral("cfg"));
        if (path.isEmpty())
            return;

        cfgfile::Texts t;
        t.model = gridRun(dev).TextMatrix(1, resultgrid::Model);
        t.title = CurveGraph(dev).TitleText();
        t.sval = p.tSval(chn);
        t.slmt = p.tSlmt(chn);
        t.stim = p.tStim(chn);
        // A failed save keeps the earlier file and is told, so nobody
        // takes it for saved.
        QString reason;
        if (!savefile::replace(path, cfgfile::write(t), &reason)) {
            ErrLog(QStringLiteral("ErrSaveCfg"), path + QStringLiteral(": ") + reason);
            promptBox(QStringLiteral("Save failed!"), MbCritical);
        }
    } catch (const std::exception &e) {
        ErrLog(QStringLiteral("ErrSaveCfg"), QString::fromUtf8(e.what()));
    }
}

void frmMain::menuOpenCfg_Click()
{
    using namespace qx;
    // Any failure ends the load without a message.
    try {
        const QString path = Module4::ShowFileDialog(this, false, Module3::LangText(QStringLiteral("Open Parameter")),
                                                     QStringLiteral("config file(*.cfg)|*.cfg"), QString(), QString(),
                                                     QString());
        if (path.isEmpty() || !endsIn(path, u"cfg"))
            return;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return;
        const int dev = CurDev;
        const cfgfile::Loaded l = cfgfile::read(f, gridRun(dev).TextMatrix(1, resultgrid::Model));
        ::DevCtrl &p = DevCtrl(dev);
        const int chn = qx::tools::panelChannel(&p);
        if (l.title)
            CurveGraph(dev).set_TitleText(*l.title);
        if (l.sval)
            p.set_tSval(chn, *l.sval);
        if (l.slmt)
            p.set_tSlmt(chn, *l.slmt);
        if (l.stim)
            p.set_tStim(chn, *l.stim);
    } catch (const std::exception &) {
    }
}
