// qx-tester-bench: the program as qx-tester builds it (the same main
// window, home folder and error log), with a driver that plays the user's
// part for bench/program_bench. The driver reads one command a line on its
// standard input and acts only through what a user has: the "Add Device"
// menu entry, the tab strip, each panel's port list, Connect button, mode
// list, setting boxes, channel choice and Start button. Between commands it
// does nothing at all (a socket notifier on standard input, no timer), so the
// process's CPU time is the program's.
//
//   tabs N      "Add Device" until N tabs exist          -> "tabs N"
//   connect     every tab i picks port COM(3 + i) and clicks Connect; waits
//               until every device has identified itself  -> "connected"
//   run [A]     every tab: mode "D-CC", A amperes (default 1.00), 2.50 V,
//               no time limit, "All Channel", Start; waits until both
//               channels of every tab run                 -> "running"
//   select K    clicks tab K (1 = the first)              -> "selected K"
//   paints S [names]  counts the paint events of S seconds by widget class
//               and by device frame ("shown" or "other tabs"), with "names"
//               also by object name (or the parent's); a diagnostic, not
//               used while CPU time is measured            -> lines, then "painted"
//   quit        ends the program
// A wait that does not end in 60 s answers "timeout".
#include "services/ErrLog.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "panel/DevCtrl.h"
#include "platform/AppHome.h"
#include "platform/AppVersion.h"
#include "platform/KeyedTabBar.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>

namespace {

class Driver : public QObject {
public:
    explicit Driver(frmMain &w) : w_(w), in_(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&in_, &QSocketNotifier::activated, this, [this] { readInput(); });
        poll_.setInterval(100);
        connect(&poll_, &QTimer::timeout, this, [this] { checkWait(); });
    }

private:
    template <class W>
    W *child(int tab, const char *name) const
    {
        return w_.DevCtrl(tab).findChild<W *>(QLatin1String(name));
    }
    static void say(const std::string &s)
    {
        std::printf("%s\n", s.c_str());
        std::fflush(stdout);
    }
    // A pick in a drop-down list, as a click gives it.
    static void choose(QComboBox *c, const QString &text)
    {
        const int i = c ? c->findText(text) : -1;
        if (i < 0)
            return;
        c->setCurrentIndex(i);
        Q_EMIT c->activated(i);
    }
    // Typing into a box and leaving it with the Tab key.
    static void type(QLineEdit *e, const QString &text)
    {
        if (!e)
            return;
        e->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(e, &out);
    }
    void click(int tab, const char *name) const
    {
        if (auto *b = child<QAbstractButton>(tab, name))
            b->click();
    }

    void readInput()
    {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            in_.setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        pending_.append(buf, size_t(n));
        size_t eol;
        while ((eol = pending_.find('\n')) != std::string::npos) {
            const QString line = QString::fromStdString(pending_.substr(0, eol)).trimmed();
            pending_.erase(0, eol + 1);
            command(line);
        }
    }

    void command(const QString &line)
    {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            return;
        const QString &what = words[0];
        const int arg = words.size() > 1 ? words[1].toInt() : 0;
        const QString text = words.value(1);
        if (what == QLatin1String("tabs")) {
            while (w_.viewCount() < arg && w_.menuAddDev->isEnabled())
                w_.menuAddDev->trigger();
            say("tabs " + std::to_string(w_.viewCount()));
        } else if (what == QLatin1String("connect")) {
            for (int i = 0; i < w_.viewCount(); ++i) {
                choose(child<QComboBox>(i, "cmbPort"), QStringLiteral("COM%1").arg(3 + i));
                click(i, "cmdConn");
            }
            waitFor("connected", [this] {
                for (int i = 0; i < w_.viewCount(); ++i)
                    if (!w_.DevCtrl(i).Conn() || w_.tmrConn(i).isActive())
                        return false;
                return true;
            });
        } else if (what == QLatin1String("run")) {
            const QString amps = text.isEmpty() ? QStringLiteral("1.00") : text;
            for (int i = 0; i < w_.viewCount(); ++i)
                start(i, amps);
            waitFor("running", [this] {
                for (int i = 0; i < w_.viewCount(); ++i)
                    for (int c = 0; c < (w_.DevCtrl(i).Dev2S() ? 2 : 1); ++c)
                        if (!qx::Running[i][c])
                            return false;
                return true;
            });
        } else if (what == QLatin1String("select")) {
            w_.tabDev->set_SelectedIndex(arg);
            say("selected " + std::to_string(arg));
        } else if (what == QLatin1String("paints")) {
            verbosePaints_ = words.value(2) == QLatin1String("names");
            countPaints(arg);
        } else if (what == QLatin1String("quit")) {
            QCoreApplication::exit(0);
        } else {
            say("unknown command");
        }
    }

    // A test on every channel of tab i, set up as the user does it.
    void start(int i, const QString &amps)
    {
        w_.tabDev->set_SelectedIndex(i + 1);
        if (!w_.DevCtrl(i).Dev2S()) {
            choose(child<QComboBox>(i, "cmbMode"), QStringLiteral("D-CC"));
            type(child<QLineEdit>(i, "txtSval"), amps);
            type(child<QLineEdit>(i, "txtSlmt"), QStringLiteral("2.50"));
            type(child<QLineEdit>(i, "txtStim"), QStringLiteral("0"));
            click(i, "cmdRun");
            return;
        }
        choose(child<QComboBox>(i, "cmbMode2S"), QStringLiteral("D-CC"));
        for (int c = 0; c < 2; ++c) {
            const QByteArray n = QByteArray::number(c);
            type(child<QLineEdit>(i, ("txtSval2S_" + n).constData()), amps);
            type(child<QLineEdit>(i, ("txtSlmt2S_" + n).constData()), QStringLiteral("2.50"));
            type(child<QLineEdit>(i, ("txtStim2S_" + n).constData()), QStringLiteral("0"));
        }
        click(i, "optChn2");
        click(i, "cmdRun2S");
    }

    // The device frame a widget lies in: its index, or -1 outside them.
    int frameOf(const QWidget *wd) const
    {
        for (; wd; wd = wd->parentWidget())
            for (int i = 0; i < w_.viewCount(); ++i)
                if (wd == &w_.frmDev(i))
                    return i;
        return -1;
    }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && o->isWidgetType()) {
            const auto *wd = static_cast<QWidget *>(o);
            const int f = frameOf(wd);
            const char *where = f < 0 ? "window" : f == qx::CurDev ? "shown" : "other tabs";
            QString key = QString::fromLatin1(where) + QLatin1Char(' ') + QLatin1String(wd->metaObject()->className());
            if (verbosePaints_) {
                // The object's name, else its parent's, and a label's text.
                QString name = wd->objectName();
                if (name.isEmpty() && wd->parentWidget())
                    name = QStringLiteral("in ") + wd->parentWidget()->objectName();
                if (const auto *l = qobject_cast<const QLabel *>(wd))
                    name += QStringLiteral(" \"") + l->text().left(20) + QLatin1Char('"');
                key += QLatin1Char(' ') + name;
            }
            ++paints_[key.toStdString()];
        }
        return false;
    }
    void countPaints(int seconds)
    {
        paints_.clear();
        qApp->installEventFilter(this);
        QTimer::singleShot(seconds * 1000, this, [this, seconds] {
            qApp->removeEventFilter(this);
            for (const auto &[what, n] : paints_)
                say(what + ": " + std::to_string(double(n) / seconds) + "/s");
            say("painted");
        });
    }

    void waitFor(const char *reply, std::function<bool()> done)
    {
        reply_ = reply;
        done_ = std::move(done);
        waited_ = 0;
        poll_.start();
    }
    void checkWait()
    {
        if (done_()) {
            poll_.stop();
            say(reply_);
        } else if (++waited_ > 600) {
            poll_.stop();
            say("timeout");
        }
    }

    frmMain &w_;
    QSocketNotifier in_;
    QTimer poll_;
    std::string pending_, reply_;
    std::function<bool()> done_;
    int waited_ = 0;
    std::map<std::string, int> paints_;
    bool verbosePaints_ = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(qx::app::programTitle());
    QApplication::setQuitOnLastWindowClosed(false);
    // The runner gives the home folder as "--home DIR", as to the program.
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--home"));
    qx::initHome(at >= 0 && at + 1 < args.size() ? args[at + 1] : QString());
    qx::installErrLogSink();

    frmMain &w = frmMainForm().get();
    w.show();
    Driver driver(w);
    std::printf("ready\n");
    std::fflush(stdout);
    const int rc = app.exec();
    frmMainForm().unload();
    return rc;
}
