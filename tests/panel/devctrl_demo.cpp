// Shows the device panel for screenshots: three one-channel panels (one per
// page) or three two-channel panels ("two"), filled with sample values,
// beside the floating readout and the floating meter.
#include "panel/DevCtrl.h"
#include "panel/LCDisp.h"
#include "panel/frmDisp.h"
#include "panel/frmMeter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QTimer>

namespace {

void fill(DevCtrl &p, bool two, int page)
{
    p.set_Dev2S(two);
    p.PortAdd("COM3");
    p.PortAdd("COM4");
    p.set_tPort("COM3");
    p.set_Conn(true);
    p.set_LedRecv(true);
    for (const char *m : {"D-CC", "D-CP", "D-CV", "C-Liion"})
        p.ModeAdd(m);
    p.set_tMode("D-CC");
    p.TabClear();
    p.TabAdd(1, "key1");
    p.TabAdd(2, "key2");
    p.TabAdd(3, "key3");
    p.set_RunEnable(false);
    p.set_StopEnable(true);
    p.set_MonitorEnable(true);
    for (int c = 0; c < (two ? 2 : 1); ++c) {
        p.set_tSval(c, c ? "0.50" : "1.00");
        p.set_tSlmt(c, "3.00");
        p.set_tStim(c, "0");
        p.set_tVol(c, c ? "03.98" : "12.34");
        p.set_tCur(c, c ? "00.50" : "01.00");
        p.set_tPwr(c, c ? "2.0" : "12.34");
        p.set_tTime(c, c ? "00:12:34" : "101:23:45");
    }
    for (const char *v : {"0.10", "0.20", "0.50"}) {
        p.AutoC1Add(v);
        p.AutoC2Add(v);
        p.AutoStepAdd(v);
    }
    p.AutoTimeAdd("10");
    p.set_tAutoC1("0.10");
    p.set_tAutoC2("0.50");
    p.set_tAutoStep("0.10");
    p.set_tAutoTime("10");
    p.AutoListClr();
    for (int i = 0; i < 4; ++i) {
        p.set_tAutoList(1, QString::number(0.1 * (i + 1), 'f', 2));
        p.set_tAutoList(2, QString::number(12.0 - 0.1 * i, 'f', 2));
        p.set_tAutoList(3, QString::number(1.2 * (i + 1), 'f', 2));
        p.AutoListAdd();
    }
    const char *steps[][4] = {{"D-CC", "1.00", "3.00", "60"}, {"Wait", "", "", "5"}, {"Cycle", "", "", "3"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            p.set_tStepSet(r + 1, c + 1, steps[r][c]);
    p.set_StepColor(1, 0x00FF00);
    p.StepListClr();
    p.set_tStepList(0, "1");
    p.set_tStepList(1, "D-CC");
    p.set_tStepList(2, "1.234Ah");
    p.set_tStepList(3, "4.56Wh");
    if (page > 1) {
        // Select the page as a user's click would.
        if (auto *bar = p.findChild<QTabBar *>("tabDev"))
            bar->setCurrentIndex(page - 1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool two = argc > 1 && QString(argv[1]) == "two";
    QWidget win;
    win.setWindowTitle(two ? "two-channel panel" : "one-channel panel");
    auto *row = new QHBoxLayout(&win);
    std::vector<DevCtrl *> panels;
    for (int page = 1; page <= 3; ++page) {
        auto *p = new DevCtrl;
        p->set_Index(page - 1);
        p->setFixedSize(p->size());
        fill(*p, two, page);
        row->addWidget(p);
        panels.push_back(p);
    }
    win.move(0, 0);
    win.show();

    frmDisp &d = frmDispForm().get();
    d.lblTitle->setText("QM-07");
    d.lcdVolM->set_Value("12.34");
    d.lcdCurM->set_Value("1.000");
    d.lcdPwrM->set_Value("12.34");
    d.lcdD1M->set_Value("1234.5");
    d.lcdD2M->set_Value("9.876");
    d.move(780, 60);
    d.show();
    frmMeter &m = frmMeterForm().get();
    m.lcdCurM->set_Value("1.2345");
    m.lcdVolM->set_Value("05.123");
    m.lcdPwrM->set_Value("06.324");
    m.lcdD1M->set_Value("0.600");
    m.lcdD2M->set_Value("-.---");
    m.move(780, 220);
    m.show();
    if (argc > 2)
        QTimer::singleShot(QString(argv[2]).toInt(), &app, &QApplication::quit);
    return app.exec();
}
