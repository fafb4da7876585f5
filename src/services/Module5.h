#pragma once
// The main window's icon in the notification area. A mouse action on the
// icon reaches the window's qx::TrayClient::trayMouseDown (platform/Tray.h)
// with the event code as the x coordinate of its mouse-down handler: a left
// click arrives as 513.
#include <QIcon>
#include <QString>

class QWidget;

namespace qx::Module5 {

// Adds the icon for (window, id) with the tip (63 characters shown).
// Non-zero on success; 0 when the desktop has no notification area.
int TrayAdd(QWidget *window, const QString &tip, const QIcon &icon, int id);
// Removes it; non-zero when there was one.
int TrayDelete(QWidget *window, int id);

} // namespace Module5
