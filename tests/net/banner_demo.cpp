// Shows the main window with a news text scrolling through its status line
// and the banner window over it with a picture, faded in, for a look under
// Xvfb. Usage: net_banner_demo [home folder] [news] ("news": no banner, so
// the status line can be seen).
#include "mainwin/frmMain.h"
#include "net/frmBanner.h"
#include "platform/AppHome.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString home = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/qx-banner-demo";
    QDir().mkpath(home);
    qx::setHomeDir(home);

    frmMain &w = frmMainForm().get();
    w.show();
    // A pending news text: the status line scrolls it.
    w.NewsText = QStringLiteral("New firmware for the QM-26 tester is available");
    w.NewsLink = QStringLiteral("https://example.org/news");

    // A banner picture as the service would send it.
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(QColor(20, 90, 160));
    {
        QPainter p(&img);
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setPointSize(18);
        f.setBold(true);
        p.setFont(f);
        p.drawText(img.rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, "QX Tester News");
        f.setPointSize(10);
        f.setBold(false);
        p.setFont(f);
        p.drawText(img.rect().adjusted(0, 120, 0, 0), Qt::AlignCenter, "New firmware available");
        p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    }
    const QString file = qx::homePath("qx.ban");
    img.save(file, "PNG");

    if (argc > 2 && QByteArray(argv[2]) == "news")
        return app.exec();
    QTimer::singleShot(500, [&] {
        frmBanner &b = frmBannerForm().get();
        b.show();
        b.ShowPic(file);
        b.SetUrl("https://example.org/news");
    });
    return app.exec();
}
