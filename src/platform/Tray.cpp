#include "platform/Tray.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWidget>
#include <map>

namespace qx::tray {

namespace {

std::optional<bool> &availableOverride()
{
    static std::optional<bool> o;
    return o;
}

using Key = std::pair<QWidget *, int>;

std::map<Key, QPointer<QSystemTrayIcon>> &icons()
{
    static std::map<Key, QPointer<QSystemTrayIcon>> m;
    return m;
}

int codeOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger: return CodeLeftDown;
    case QSystemTrayIcon::DoubleClick: return CodeLeftDouble;
    case QSystemTrayIcon::Context: return CodeRightDown;
    case QSystemTrayIcon::MiddleClick: return CodeMiddleDown;
    default: return 0;
    }
}

} // namespace

bool available()
{
    if (availableOverride())
        return *availableOverride();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void setAvailableOverride(std::optional<bool> a) { availableOverride() = a; }

bool add(QWidget *window, int id, const QString &tip, const QIcon &icon)
{
    if (!window || !available())
        return false;
    remove(window, id);
    // Owned by the window, so it goes with it.
    // An icon that cannot be seen could never bring the window back.
    QIcon shown = icon;
    if (shown.isNull())
        shown = QApplication::windowIcon();
    if (shown.isNull())
        shown = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    auto *ti = new QSystemTrayIcon(shown, window);
    ti->setToolTip(tip.left(MaxTip));
    QPointer<QWidget> target(window);
    QObject::connect(ti, &QSystemTrayIcon::activated, ti, [target](QSystemTrayIcon::ActivationReason r) {
        const int code = codeOf(r);
        if (!code || !target)
            return;
        if (auto *client = dynamic_cast<TrayClient *>(target.data()))
            guarded(QStringLiteral("ErrTrayMouse"), [&] { client->trayMouseDown(code); });
    });
    const Key key{window, id};
    QObject::connect(window, &QObject::destroyed, ti, [key] { icons().erase(key); });
    icons()[key] = ti;
    ti->show();
    return true;
}

bool remove(QWidget *window, int id)
{
    auto it = icons().find({window, id});
    if (it == icons().end())
        return false;
    QPointer<QSystemTrayIcon> ti = it->second;
    icons().erase(it);
    if (!ti)
        return false;
    ti->hide();
    ti->deleteLater();
    return true;
}

QSystemTrayIcon *iconOf(QWidget *window, int id)
{
    auto it = icons().find({window, id});
    return it == icons().end() ? nullptr : it->second.data();
}

} // namespace qx::tray
