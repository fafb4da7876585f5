// The quick-charge windows over the main window, driving a simulated USB
// tester on COM3, for screenshots:
//   tools_quickcharge_demo usb|qc|qcend [--home DIR]
// usb: the trigger window, which asks the source for 9 V after a second;
// qc: the QC2.0 load test, run at 5 V with every current (one step every
// 500 ms instead of 2 s); qcend: the load test at 9 V while the source
// still gives 5 V, which the device ends soon after the start.
#include "DevSim.h"
#include "SimReadings.h"
#include "link/COMM.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "common/DemoHome.h"
#include "platform/SerialPort.h"
#include "tools/frmQC.h"
#include "tools/frmUSB.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("usb");
    const qx::test::DemoHome home(args);
    qx::SerialPort::setSystemPorts(false);

    qx::sim::DevSim sim({.home = home.path(), .com = 3, .type = 26, .firmware = 320, .rate = 4});
    if (!sim.start()) {
        qWarning("simulated device: %s", qPrintable(sim.error()));
        return 1;
    }
    frmMain &w = frmMainForm().get();
    w.show();
    qx::PortHandle[0] = qx::COMM::OpenComm(3);
    qx::DevType[0] = 26;
    qx::DevVer[0] = 320;
    qx::CurScale[0] = 1000;
    qx::VolScale[0] = 100;
    w.menuUsb->setVisible(true);
    w.SendConnect(0);
    qx::test::SimReadings readings(w, 0);

    if (what == QLatin1String("qc") || what == QLatin1String("qcend")) {
        w.menuQc_Click();
        frmQC &f = frmQCForm().get();
        f.Timer1->setInterval(500);
        QTimer::singleShot(1000, &f, [&f] { f.cmdTest->click(); });
        if (what == QLatin1String("qcend")) {
            f.opt9V->click();
            // The device's cut-off (8 V) ends the test after the start.
            QTimer::singleShot(1700, &f, [&sim] {
                sim.withDevice([](qx::sim::SimDevice &d) { d.channel(0).running = false; });
            });
        }
    } else {
        w.menuUsb_Click();
        frmUSB &f = frmUSBForm().get();
        QTimer::singleShot(1000, &f, [&f] { f.opt9V->click(); });
    }
    const int rc = QApplication::exec();
    frmQCForm().unload();
    frmUSBForm().unload();
    qx::COMM::CloseComm(qx::PortHandle[0]);
    frmMainForm().unload();
    return rc;
}
