#pragma once
// A fresh main window per test: a temporary home folder (with a qx.ini
// written first when the test gives one), clean shared state, and every
// window of the program unloaded afterwards.
#include "common/FakeUi.h"
#include "common/TempHome.h"
#include "curves/frmData.h"
#include "services/ErrLog.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "mainwin/frmMsg.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/Tray.h"
#include "tools/frmAdj.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <gtest/gtest.h>

namespace qx::test {

class MainFixture : public ::testing::Test {
protected:
    MainFixture() { resetState(); }
    ~MainFixture() override
    {
        unloadCurveWindows();
        frmMainForm().unload();
        frmDispForm().unload();
        frmMeterForm().unload();
        frmAdjForm().unload();
        frmMsgForm().unload();
        tray::setAvailableOverride(std::nullopt);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        resetState();
        if (clockFixed_)
            setErrLogClock(previousClock_);
    }
    // From here on the error log's entries are stamped 2024-03-05 09:07:03,
    // so they go to the file errLog() reads.
    void fixErrLogClock()
    {
        previousClock_ = setErrLogClock([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)); });
        clockFixed_ = true;
    }
    QString errLog() const { return QString::fromUtf8(home.read(QStringLiteral("Log/qx-202435.log"))); }
    // Loads the main window, with qx.ini holding `ini` when it is not empty.
    frmMain &load(const QByteArray &ini = {})
    {
        if (!ini.isEmpty())
            home.write(QStringLiteral("qx.ini"), ini);
        return frmMainForm().get();
    }

    TempHome home;
    FakeUi ui;

private:
    bool clockFixed_ = false;
    ErrLogClock previousClock_;
};

} // namespace qx::test
