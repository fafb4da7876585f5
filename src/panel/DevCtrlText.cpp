#include "panel/DevCtrlText.h"

namespace qx::panel {

QString tabCaption(int val, const QString &key)
{
    if (val == 1)
        return QStringLiteral("Single Test");
    if (val == 2 && key == QLatin1String("key2"))
        return QStringLiteral("Auto Test");
    return QStringLiteral("Cycle Test");
}

int pageOfKey(const QString &key)
{
    if (key == QLatin1String("key1"))
        return 1;
    if (key == QLatin1String("key2"))
        return 2;
    return 3;
}

QString timeToReadout(const QString &text)
{
    const int n = int(text.size());
    // "h...:mm:ss": everything before the seconds goes to the main digits,
    // so no hour digit is lost at 100 hours and more.
    if (n >= 3 && text[n - 3] == QLatin1Char(':'))
        return text.left(n - 3) + QStringLiteral("E+") + text.right(2);
    return text.left(5) + QStringLiteral("E+") + text.right(2);
}

QString readoutToTime(const QString &value)
{
    const int e = int(value.indexOf(QLatin1String("E+")));
    const QString main = e >= 0 ? value.left(e) : value.left(5);
    return main + QLatin1Char(':') + value.right(2);
}

} // namespace panel
