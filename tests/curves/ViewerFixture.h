#pragma once
// The data viewer under test: a temporary home, the scripted dialog
// services, and answers for the viewer's own dialogs (axis type, colours),
// which the viewer waits for with the event loop running.
#include "common/DialogAnswer.h"
#include "common/FakeUi.h"
#include "common/TempHome.h"
#include "curves/CurveGraph.h"
#include "curves/frmColor.h"
#include "curves/frmData.h"
#include "curves/frmType.h"
#include "services/Module4.h"
#include "services/State.h"
#include "platform/Grid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <gtest/gtest.h>

namespace qx::test {

inline QString viewerFixture(const char *name)
{
    return QStringLiteral(QX_TESTS_DIR "/curves/data/") + QLatin1String(name);
}

class ViewerFixture : public ::testing::Test {
protected:
    ViewerFixture()
    {
        resetState();
        OptCsv = true; // the start-up default
        // File dialogs answer at once in tests: no second showing.
        previousTicks_ = Module4::setTickSource([this] { return ticks_ += 100; });
    }
    ~ViewerFixture() override
    {
        unloadCurveWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Module4::setTickSource(previousTicks_);
        resetState();
    }

    // Opens the viewer, answering its axis-type question.
    frmData &openViewer(bool capacityAxis = false)
    {
        DialogAnswer<frmType> answer(frmTypeForm(), [capacityAxis](frmType &d) {
            if (capacityAxis)
                d.optVC->setChecked(true);
            d.cmdOK->click();
        });
        frmData::showViewer();
        EXPECT_TRUE(answer.answered());
        return frmDataForm().get();
    }

    // Opens a file through the viewer's own command; `colours` acts on the
    // colour dialog (default: OK as it stands). False when no colour dialog
    // came (the file was refused).
    bool open(frmData &v, const QString &path, std::function<void(frmColor &)> colours = {})
    {
        ui.fileAnswers.push_back(path);
        DialogAnswer<frmColor> answer(frmColorForm(), [colours](frmColor &d) {
            if (colours)
                colours(d);
            else
                d.cmdOK->click();
        });
        v.menuOpenData->trigger();
        return answer.answered();
    }

    TempHome home;
    FakeUi ui;
    int64_t ticks_ = 0;
    Module4::TickSource previousTicks_;
};

} // namespace qx::test
