#pragma once
// A tab strip whose tabs carry a key (kept in the tab's data) besides their
// caption. Positions are counted from 1. Click() is raised when the user
// picks a tab (also the one already selected) and when code selects one
// through set_SelectedIndex; adding and removing tabs raises nothing.
#include <QTabBar>

namespace qx {

class KeyedTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit KeyedTabBar(QWidget *parent = nullptr);

    // Inserts a tab at position pos (1 to Count() + 1). A key that another
    // tab already has fails with QxError(ErrDuplicateKey); an empty key is
    // no key. A position outside the range fails with QxError(ErrSubscript).
    void Add(int pos, const QString &key, const QString &caption);
    // Removes every tab.
    void Clear();
    int Count() const { return count(); }
    // Key and caption of the tab at position pos; QxError(ErrSubscript) outside.
    QString Key(int pos) const;
    QString Caption(int pos) const;
    // Position of the tab with this key, 0 when there is none.
    int IndexOfKey(const QString &key) const;

    // Selected tab's position (0 when the strip is empty) and key ("" then).
    int SelectedIndex() const { return currentIndex() + 1; }
    QString SelectedKey() const;
    // Selects a tab from code and raises Click() once, also when it was
    // already selected.
    void set_SelectedIndex(int pos);

    static constexpr int ErrDuplicateKey = 35602;

Q_SIGNALS:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *e) override;

private:
    void checkPos(int pos, int last) const;
    bool quiet_ = false;  // tab changes made by code raise no Click
};

} // namespace qx
