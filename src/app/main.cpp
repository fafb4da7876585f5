#include "platform/AppHome.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qx::initHome(QApplication::arguments());
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("QX Tester Software"));
    w.resize(1024, 700);
    w.show();
    return app.exec();
}
