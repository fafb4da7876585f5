// Opens the data viewer and the settings dialogs for screenshots:
//   mainwin_viewer_demo time|cap [FILES]|type|color|curve|curve2|show|sw
// time, cap: the viewer with three result files (or FILES, up to ten)
// overlaid against time or capacity (the axis and colour questions answered
// by the demo); type: the
// axis-type question; color: the colour dialog of a second file; curve,
// show, sw: the main window's coordinate, display and software settings;
// curve2: the viewer's coordinate settings.
#include "curves/ColorSwatch.h"
#include "curves/frmColor.h"
#include "curves/frmCurve.h"
#include "curves/frmData.h"
#include "curves/frmShow.h"
#include "curves/frmSw.h"
#include "curves/frmType.h"
#include "services/State.h"
#include "mainwin/frmMain.h"
#include "platform/AppHome.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <cmath>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(QX_TESTS_DIR "/curves/data/") + QLatin1String(name);
}

// Clicks OK on the dialog of this holder whenever it shows.
template <class D>
QTimer *autoOk(qx::FormHolder<D> &holder, std::function<void(D &)> before = {})
{
    auto *t = new QTimer(qApp);
    t->setInterval(20);
    QObject::connect(t, &QTimer::timeout, [&holder, before] {
        if (holder.isOpen()) {
            if (before)
                before(holder.get());
            holder.get().cmdOK->click();
        }
    });
    t->start();
    return t;
}

frmData &viewer(bool cap, int files)
{
    autoOk<frmType>(frmTypeForm(), [cap](frmType &d) { d.optVC->setChecked(cap); });
    frmData::showViewer();
    frmData &v = frmDataForm().get();
    if (files > 0) {
        // Three cells discharged at 1, 1.5 and 2 A down to 3.0 V.
        const uint32_t colours[][2] = {{0xC00000, 0x0000C0}, {0x008000, 0x0080FF}, {0x800080, 0x008080}};
        int file = 0;
        QTimer *answer = autoOk<frmColor>(frmColorForm(), [&](frmColor &d) {
            qx::curves::setSwatch(d.lblVolColor, colours[file % 3][0]);
            qx::curves::setSwatch(d.lblCurColor, colours[file % 3][1]);
        });
        for (file = 0; file < files; ++file) {
            const double amps = 1.0 + 0.5 * (file % 3), capacity = 2.6 - 0.3 * (file % 3) - 0.05 * file; // Ah
            const int seconds = int(capacity / amps * 3600);
            QString text = QStringLiteral("Device:QM-2%1\r\nMode:D-CC\r\nTitle:Cell %2\r\nTime(S),Cur(A),Vol(V)\r\n")
                               .arg(file)
                               .arg(QChar(char16_t(u'A' + file)));
            for (int t = 0; t <= seconds; t += 10) {
                const double q = double(t) / seconds;
                const double v = 4.15 - 0.1 * file - 0.55 * q - 0.5 * std::pow(q, 12);
                text += QStringLiteral("%1,%2,%3\r\n").arg(t).arg(amps, 0, 'f', 2).arg(v, 0, 'f', 3);
            }
            const QString path = qx::homePath(QStringLiteral("cell%1.csv").arg(file));
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write(text.toUtf8());
            f.close();
            v.OpenFile(path);
        }
        delete answer;
        v.menuLa->trigger();
    }
    return v;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("time");
    QTemporaryDir temp;
    qx::setHomeDir(temp.path());
    frmMain &w = frmMainForm().get();

    if (what == QLatin1String("time") || what == QLatin1String("cap")) {
        viewer(what == QLatin1String("cap"), args.size() > 2 ? std::clamp(args[2].toInt(), 1, 10) : 3);
    } else if (what == QLatin1String("type")) {
        QTimer::singleShot(0, [] { frmData::showViewer(); });
    } else if (what == QLatin1String("color")) {
        QTimer::singleShot(0, [] {
            frmData &v = viewer(false, 1);
            QTimer::singleShot(0, [&v] { v.OpenFile(fixture("two_channel_ch2.csv")); });
        });
    } else if (what == QLatin1String("curve2")) {
        QTimer::singleShot(0, [] {
            frmData &v = viewer(false, 1);
            v.menuXY->trigger();
        });
    } else {
        w.show();
        QTimer::singleShot(0, [&w, what] {
            if (what == QLatin1String("curve"))
                w.menuCurve->trigger();
            else if (what == QLatin1String("show"))
                w.menuShow->trigger();
            else
                w.menuSwSet->trigger();
        });
    }
    const int rc = app.exec();
    unloadCurveWindows();
    frmMainForm().unload();
    return rc;
}
