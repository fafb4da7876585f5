#include "services/Module5.h"
#include "platform/Tray.h"

namespace qx::Module5 {

int TrayAdd(QWidget *window, const QString &tip, const QIcon &icon, int id)
{
    return qx::tray::add(window, id, tip, icon) ? 1 : 0;
}

int TrayDelete(QWidget *window, int id) { return qx::tray::remove(window, id) ? 1 : 0; }

} // namespace Module5
