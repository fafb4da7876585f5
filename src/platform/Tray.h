#pragma once
// Icons in the desktop's notification area, one per (window, id). A mouse
// action on an icon reaches the window's TrayClient::trayMouseDown with the
// code of the mouse event: 513 left button down (a click), 515 double click,
// 516 right button down (context), 519 middle button down.
#include <QIcon>
#include <QString>
#include <functional>
#include <optional>

class QSystemTrayIcon;
class QWidget;

namespace qx {

// Implemented by a window that wants its icon's mouse events.
class TrayClient {
public:
    virtual ~TrayClient() = default;
    virtual void trayMouseDown(int code) = 0;
};

namespace tray {

constexpr int CodeLeftDown = 513;
constexpr int CodeLeftDouble = 515;
constexpr int CodeRightDown = 516;
constexpr int CodeMiddleDown = 519;
constexpr int MaxTip = 63; // characters of the tip that are shown

// Whether icons can be shown (the desktop has a notification area).
bool available();
// Overrides available() (tests); std::nullopt restores the desktop's answer.
void setAvailableOverride(std::optional<bool> available);

// Shows the icon for (window, id) with the tip (cut to 63 characters),
// replacing one already shown for that pair. Its mouse events go to the
// window's TrayClient (when it is one), each run through qx::guarded. The
// icon goes when the window is destroyed. False when icons cannot be shown
// or window is null.
bool add(QWidget *window, int id, const QString &tip, const QIcon &icon);
// Removes the icon of (window, id); false when there is none.
bool remove(QWidget *window, int id);

// The icon shown for (window, id), or null.
QSystemTrayIcon *iconOf(QWidget *window, int id);

} // namespace tray
} // namespace qx
