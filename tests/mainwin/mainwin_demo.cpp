// Opens the main window's windows in a given state for screenshots:
//   mainwin_mainwin_demo splash|main|three|dual|about|curves|msg|popup|mini|small [--home DIR]
//   mainwin_mainwin_demo ident TYPE [CHN ...] [--home DIR]
// main: the window as it starts; three: three tabs, the second selected and
// identified as a one-channel charger; dual: a two-channel device; about:
// the About box over the main window; curves: a discharge's curves and
// result row with the About box over the chart (for "Save Picture"); msg:
// the STOP pop-up; mini: the main
// window minimised with the floating readout; small: ten tabs, the window
// asked for 640 x 480 (it keeps its minimum size); ident: device 0
// identified by data frames of the type code on the channels given
// (default 0).
// popup [held]: the STOP pop-up driven by lines on standard input (the
// pop-up test runs it on its own X server), its fade timers stopped from the
// start when "held": it prints "window <id>" once shown, then answers each
// command with one line:
//   hold        stops the fade timers                        -> "ok"
//   in N        N ticks of the fade-in timer                  -> "alpha A"
//   click       a mouse press on the pop-up's text            -> "ok"
//   out N       N ticks of the fade-out timer                 -> "alpha A" or "closed"
//   quit        ends the program
#include "curves/CurveGraph.h"
#include "services/Module3.h"
#include "services/State.h"
#include "mainwin/frmAbout.h"
#include "mainwin/frmLogo.h"
#include "mainwin/frmMain.h"
#include "mainwin/frmMsg.h"
#include "panel/DevCtrl.h"
#include "common/DemoHome.h"
#include "platform/Grid.h"
#include "platform/KeyedTabBar.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void identify(frmMain &w, int i, int type, bool two, const QStringList &modes)
{
    qx::DevType[i] = type;
    qx::CurScale[i] = 100;
    qx::VolScale[i] = 100;
    qx::PwrScale[i] = 1;
    qx::LastDisMode[i] = 0;
    qx::LastChgMode[i] = int(modes.size()) - 1;
    DevCtrl &p = w.DevCtrl(i);
    p.set_Dev2S(two);
    p.set_Conn(true);
    p.ModeClr();
    for (const QString &m : modes)
        p.ModeAdd(qx::Module3::LangText(m));
    if (two)
        w.InitDual(i);
    for (int c = 0; c < (two ? 2 : 1); ++c) {
        qx::ChannelState &ch = qx::chan(i, c);
        ch.Mode = c;
        ch.SetVal = 150 + 50 * c;
        ch.SetLmt = 300;
        ch.SetTim = 60;
        w.ShowModeFields(i, c);
    }
}

void reply(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// The "popup" mode: commands from standard input, one per line.
void drivePopup(QApplication &app, bool held)
{
    qx::OptMsg = true;
    frmMsg::Show(QStringLiteral("STOP"));
    if (held)
        frmMsgForm()->Timer1->stop();
    reply(QStringLiteral("window %1").arg(frmMsgForm()->winId()));
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(input, &QSocketNotifier::activated, &app, [input] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf - 1);
        if (n <= 0) {
            input->setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        for (const QString &line : QString::fromLatin1(buf, int(n)).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList cmd = line.simplified().split(QLatin1Char(' '));
            const int count = cmd.size() > 1 ? cmd[1].toInt() : 1;
            const bool loaded = frmMsgForm().isLoaded();
            if (cmd[0] == QLatin1String("quit")) {
                QCoreApplication::exit(0);  // at once, without the pop-up's fade-out
            } else if (!loaded) {
                reply(QStringLiteral("closed"));
            } else if (cmd[0] == QLatin1String("hold")) {
                frmMsgForm()->Timer1->stop();
                frmMsgForm()->Timer2->stop();
                reply(QStringLiteral("ok"));
            } else if (cmd[0] == QLatin1String("click")) {
                QLabel *label = frmMsgForm()->lblMsg;
                const QPointF at(label->width() / 2.0, label->height() / 2.0);
                QMouseEvent press(QEvent::MouseButtonPress, at, label->mapToGlobal(at), Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(label, &press);
                frmMsgForm()->Timer2->stop();  // the ticks come from "out"
                reply(QStringLiteral("ok"));
            } else if (cmd[0] == QLatin1String("in") || cmd[0] == QLatin1String("out")) {
                const bool in = cmd[0] == QLatin1String("in");
                for (int i = 0; i < count && frmMsgForm().isLoaded(); ++i)
                    in ? frmMsgForm()->Timer1_Timer() : frmMsgForm()->Timer2_Timer();
                // The window closes on the event loop's next turn.
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                reply(frmMsgForm().isLoaded() && !frmMsgForm()->Closing()
                          ? QStringLiteral("alpha %1").arg(frmMsgForm()->Alpha())
                          : QStringLiteral("closed"));
            } else {
                reply(QStringLiteral("unknown"));
            }
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("main");
    const qx::test::DemoHome home(args);

    if (what == QLatin1String("splash")) {
        (new frmLogo([] {}))->show();
        return app.exec();
    }
    if (what == QLatin1String("msg")) {
        qx::OptMsg = true;
        frmMsg::Show(QStringLiteral("STOP"));
        return app.exec();
    }
    if (what == QLatin1String("popup")) {
        drivePopup(app, args.size() > 2 && args[2] == QLatin1String("held"));
        const int rc = app.exec();
        frmMsgForm().unload();
        return rc;
    }

    frmMain &w = frmMainForm().get();
    w.show();
    if (what == QLatin1String("three")) {
        w.menuAddDev_Click();
        w.menuAddDev_Click();
        identify(w, 1, 2, false, {"D-CC", "C-NiMh", "C-NiCD", "C-Liion", "C-LiFe", "C-VRLA", "C-CV"});
        w.tabDev->set_SelectedIndex(2);
    } else if (what == QLatin1String("ident")) {
        const int type = args.value(2).toInt();
        QList<int> channels;
        for (int a = 3; a < args.size() && args[a] != QLatin1String("--home"); ++a)
            channels << args[a].toInt();
        if (channels.isEmpty())
            channels << 0;
        w.IdentifyStart(0);
        w.tmrConn(0).start();
        w.DevCtrl(0).set_Conn(true);
        for (int c : channels) {
            const qx::Frames::DevFrame f = qx::Frames::deviceFrame(0, {0, 4000, 0, 0, 150, 300, 60}, type + 100 * c);
            qx::Frames::DevBytes b{};
            std::copy(f.begin() + 1, f.end() - 1, b.begin());
            w.IdentifyModel(0, c, b);
        }
    } else if (what == QLatin1String("dual")) {
        identify(w, 0, 17, true, {"D-CC", "D-CP"});
    } else if (what == QLatin1String("about")) {
        frmAboutForm()->show();
    } else if (what == QLatin1String("curves")) {
        CurveGraph &g = w.CurveGraph(0);
        g.set_TitleText(QStringLiteral("Cell 7 discharge"));
        for (int t = 0; t <= 100; ++t) {
            g.AddXY(0, float(t), 4.15f - 0.009f * float(t) - (t > 90 ? 0.08f * float(t - 90) : 0.0f));
            g.AddXY(1, float(t), t < 95 ? 1.0f : 0.0f);
        }
        g.DrawCurve();
        const char *cells[] = {"QM-01", "D-CC", "4.150V", "2.500V", "26mAh", "0.09Wh", "3.690V"};
        for (int c = 0; c < 7; ++c)
            w.gridRun(0).set_TextMatrix(1, c, QLatin1String(cells[c]));
        frmAboutForm()->show();
    } else if (what == QLatin1String("small")) {
        for (int i = 1; i < 10; ++i)
            w.menuAddDev_Click();
        w.move(0, 0);
        w.resize(640, 480);
    } else if (what == QLatin1String("mini")) {
        qx::OptDisp = true;
        w.DevCtrl(0).set_Conn(true);
        QTimer::singleShot(300, &w, [&w] { w.showMinimized(); });
    }
    const int rc = app.exec();
    frmMainForm().unload();
    return rc;
}
