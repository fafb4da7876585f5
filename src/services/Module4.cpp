#include "services/Module4.h"
#include "platform/AppHome.h"
#include "platform/UiServices.h"

#include <QFileInfo>

#include <chrono>

namespace qx::Module4 {

namespace {
constexpr qsizetype MaxPath = 260;
constexpr int64_t QuickReturnMs = 20;

QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString startFolder(const QString &initialDir)
{
    if (!initialDir.isEmpty())
        return initialDir;
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir())
        return lastFolder();
    const QString data = homePath(QStringLiteral("Data"));
    return QFileInfo(data).isDir() ? data : homeDir();
}

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
    req.initialDir = startFolder(initialDir);
    try {
        const int64_t shown = ticks();
        QString result = qx::ui().fileDialog(req);
        if (ticks() - shown < QuickReturnMs) {
            req.defaultName.clear();
            result = qx::ui().fileDialog(req);
        }
        if (!result.isEmpty())
            lastFolder() = QFileInfo(result).absolutePath();
        return result;
    } catch (...) {
        return QString();
    }
}

void forgetLastFolder() { lastFolder().clear(); }

int32_t PickColor(int32_t initial)
{
    try {
        const int64_t c = qx::ui().pickColor(initial);
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
