#include "platform/DialogWait.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>

namespace qx {

void waitForDialog(QDialog *d)
{
    if (!d)
        return;
    QPointer<QDialog> guard(d);
    QEventLoop loop;
    QObject::connect(d, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(d, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (!d->isVisible())
        d->show();
    // The dialog may have finished while it was being shown.
    if (guard && d->isVisible())
        loop.exec();
}

} // namespace qx
