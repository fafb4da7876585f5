#include "link/Module4.h"
#include "platform/UiServices.h"

#include <chrono>

namespace qx::Module4 {

namespace {
constexpr qsizetype MaxPath = 260;
constexpr int64_t QuickReturnMs = 20;

TickSource &tickSource()
{
    static TickSource s;
    return s;
}

int64_t ticks()
{
    if (tickSource())
        return tickSource()();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

QString DateStamp(const QDateTime &t)
{
    const QDate d = t.date();
    const QTime h = t.time();
    return QStringLiteral("%1-%2-%3-%4-%5-%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(h.hour())
        .arg(h.minute())
        .arg(h.second());
}

QString ShowFileDialog(QWidget *, bool save, const QString &title, const QString &filter,
                       const QString &defaultName, const QString &defaultExt, const QString &initialDir)
{
    if (defaultName.size() > MaxPath)
        return QString();
    qx::FileDialogRequest req;
    req.save = save;
    req.title = title;
    req.filter = filter;
    req.defaultName = defaultName;
    req.defaultExt = defaultExt;
    req.initialDir = initialDir;
    try {
        const int64_t shown = ticks();
        QString result = qx::ui().fileDialog(req);
        if (ticks() - shown < QuickReturnMs) {
            req.defaultName.clear();
            result = qx::ui().fileDialog(req);
        }
        return result;
    } catch (...) {
        return QString();
    }
}

int32_t PickColor()
{
    try {
        const int64_t c = qx::ui().pickColor();
        if (c < 0)
            return -1;
        return int32_t(c & 0xFFFFFF);
    } catch (...) {
        return -1;
    }
}

TickSource setTickSource(TickSource source)
{
    TickSource old = std::move(tickSource());
    tickSource() = std::move(source);
    return old;
}

} // namespace Module4
