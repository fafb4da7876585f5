#pragma once
// A fresh main window per test: a temporary home folder (with a qx.ini
// written first when the test gives one), clean shared state, and every
// window of the program unloaded afterwards.
#include "common/FakeUi.h"
#include "common/TempHome.h"
#include "curves/frmData.h"
#include "link/State.h"
#include "mainwin/frmMain.h"
#include "mainwin/frmMsg.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"
#include "platform/Tray.h"
#include "tools/frmAdj.h"

#include <QCoreApplication>
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
    }
    // Loads the main window, with qx.ini holding `ini` when it is not empty.
    frmMain &load(const QByteArray &ini = {})
    {
        if (!ini.isEmpty())
            home.write(QStringLiteral("qx.ini"), ini);
        return frmMainForm().get();
    }

    TempHome home;
    FakeUi ui;
};

} // namespace qx::test
