#include "platform/KeyedTabBar.h"

#include "platform/QxError.h"

#include <QMouseEvent>

namespace qx {

namespace {
// Runs f with Click() muted, so tab changes made by code stay silent.
template <class F>
void muted(bool &flag, F &&f)
{
    const bool was = flag;
    flag = true;
    try {
        f();
    } catch (...) {
        flag = was;
        throw;
    }
    flag = was;
}
} // namespace

KeyedTabBar::KeyedTabBar(QWidget *parent) : QTabBar(parent)
{
    setExpanding(false);
    setUsesScrollButtons(true);
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (!quiet_ && index >= 0)
            Q_EMIT Click();
    });
}

void KeyedTabBar::checkPos(int pos, int last) const
{
    if (pos < 1 || pos > last)
        qx::raise(ErrSubscript);
}

void KeyedTabBar::Add(int pos, const QString &key, const QString &caption)
{
    checkPos(pos, count() + 1);
    if (!key.isEmpty() && IndexOfKey(key) != 0)
        qx::raise(ErrDuplicateKey, QStringLiteral("Key is not unique in collection"));
    muted(quiet_, [&] {
        const int i = insertTab(pos - 1, caption);
        setTabData(i, key);
    });
}

void KeyedTabBar::Clear()
{
    muted(quiet_, [&] {
        while (count() > 0)
            removeTab(count() - 1);
    });
}

QString KeyedTabBar::Key(int pos) const
{
    checkPos(pos, count());
    return tabData(pos - 1).toString();
}

QString KeyedTabBar::Caption(int pos) const
{
    checkPos(pos, count());
    return tabText(pos - 1);
}

int KeyedTabBar::IndexOfKey(const QString &key) const
{
    for (int i = 0; i < count(); ++i)
        if (tabData(i).toString() == key)
            return i + 1;
    return 0;
}

QString KeyedTabBar::SelectedKey() const
{
    const int i = currentIndex();
    return i < 0 ? QString() : tabData(i).toString();
}

void KeyedTabBar::set_SelectedIndex(int pos)
{
    checkPos(pos, count());
    muted(quiet_, [&] { setCurrentIndex(pos - 1); });
    Q_EMIT Click();
}

void KeyedTabBar::mousePressEvent(QMouseEvent *e)
{
    const int before = currentIndex();
    const int hit = tabAt(e->position().toPoint());
    QTabBar::mousePressEvent(e);
    // A press on the tab already selected changes nothing in the bar, but
    // is a click all the same (a changed selection was reported above).
    if (e->button() == Qt::LeftButton && hit >= 0 && hit == before)
        Q_EMIT Click();
}

} // namespace qx
