// The step page's Save, Open and Set: the program table to and from a step
// file, and the step editor.
#include "mainwin/frmMain.h"

#include "services/Module3.h"
#include "services/Module4.h"
#include "services/Prompt.h"
#include "services/State.h"
#include "services/StepFile.h"
#include "panel/DevCtrl.h"
#include "platform/DialogWait.h"
#include "platform/FileEnding.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"
#include "tools/StepEditRules.h"
#include "tools/frmSet.h"

#include <QFile>

namespace {

const QString StepFilter = QStringLiteral("step file(*.stp)|*.stp");

qx::stepfile::ModeList modeList(const ::DevCtrl &p)
{
    qx::stepfile::ModeList m;
    for (int i = 0; i < p.ModeCnt(); ++i)
        m.modes << p.ModeTxt(i);
    m.wait = qx::Module3::LangText(QStringLiteral("Wait"));
    m.cycle = qx::Module3::LangText(QStringLiteral("Cycle"));
    return m;
}

} // namespace

void frmMain::DevCtrl_StepSaveClick(int Index)
{
    QString name = qx::Module4::ShowFileDialog(this, true, qx::Module3::LangText(QStringLiteral("Save Step")),
                                               StepFilter, QString(), QString(), QString());
    if (name.isEmpty())
        return;
    name = qx::withEnding(name, u"stp");
    const ::DevCtrl &p = DevCtrl(Index);
    qx::stepfile::Program table;
    for (int r = 1; r <= qx::stepfile::MaxRows; ++r)
        for (int c = 1; c <= qx::stepfile::MaxCols; ++c)
            table.at(r, c) = p.tStepSet(r, c);
    // The file is replaced only once it is written whole; a save that
    // fails is logged and told, so nobody takes it for saved.
    QString reason;
    if (!qx::savefile::replace(name, qx::stepfile::write(table, qx::DevType[Index], modeList(p)), &reason)) {
        ErrLog(QStringLiteral("ErrSaveStep"), name + QStringLiteral(": ") + reason);
        qx::promptBox(QStringLiteral("Save failed!"), qx::MbCritical);
    }
}

void frmMain::DevCtrl_StepOpenClick(int Index)
{
    const QString name = qx::Module4::ShowFileDialog(this, false, qx::Module3::LangText(QStringLiteral("Open Step")),
                                                     StepFilter, QString(), QString(), QString());
    if (name.isEmpty() || !qx::endsIn(name, u"stp"))
        return;
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return;  // an unreadable file leaves the table as it is
    ::DevCtrl &p = DevCtrl(Index);
    p.StepSetClr();
    const qx::stepfile::ModeList m = modeList(p);
    for (const qx::stepfile::Cell &c : qx::stepfile::read(f, qx::DevType[Index], m))
        p.set_tStepSet(c.row, c.col, c.text);
    QStringList modes;
    for (int r = 1; r <= qx::stepfile::MaxRows; ++r)
        modes << p.tStepSet(r, 1);
    qx::stepedit::tellRowsAfterCycle(modes, m.cycle);
}

void frmMain::DevCtrl_StepSetClick(int Index)
{
    // A second click while the editor is open only brings it forward.
    if (frmSetForm().isLoaded()) {
        frmSetForm().get().raise();
        frmSetForm().get().activateWindow();
        return;
    }
    qx::DlgDone = false;
    qx::waitForDialog(&frmSetForm().get());
}
