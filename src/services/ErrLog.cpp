#include "services/ErrLog.h"
#include "platform/AppHome.h"
#include "platform/Guard.h"
#include "platform/AppVersion.h"
#include "platform/SaveFile.h"

#include <QFileInfo>
#include <mutex>

namespace qx {

namespace {
std::mutex &logMutex()
{
    static std::mutex m;
    return m;
}

ErrLogClock &clock()
{
    static ErrLogClock c;
    return c;
}

ErrLogTap &tap()
{
    static ErrLogTap t;
    return t;
}

QString oneLine(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

} // namespace

QString errLogFileName(const QDate &day)
{
    return QStringLiteral("qx-%1%2%3.log").arg(day.year()).arg(day.month()).arg(day.day());
}

bool ErrLog(const QString &tag, const QString &description) noexcept
{
    try {
        std::lock_guard lock(logMutex());
        if (tap()) {
            tap()(tag, description);
            return true;
        }
        const QString folder = homePath(QStringLiteral("Log"));
        if (!QFileInfo(folder).isDir())
            return false;
        const QDateTime now = clock() ? clock()() : QDateTime::currentDateTime();
        const QString line = now.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
            + now.time().toString(QStringLiteral("HH:mm:ss")) + QLatin1String(" V") + qx::app::versionNumbers() + QLatin1String(":[") + oneLine(tag)
            + QLatin1Char(']') + oneLine(description) + QLatin1String("\r\n");
        return savefile::append(folder + QLatin1Char('/') + errLogFileName(now.date()), line.toUtf8());
    } catch (...) {
        return false;
    }
}

void installErrLogSink()
{
    setUnhandledSink([](const QString &tag, const QString &description) { ErrLog(tag, description); });
}

ErrLogClock setErrLogClock(ErrLogClock c)
{
    std::lock_guard lock(logMutex());
    ErrLogClock old = std::move(clock());
    clock() = std::move(c);
    return old;
}

ErrLogTap setErrLogTap(ErrLogTap t)
{
    std::lock_guard lock(logMutex());
    ErrLogTap old = std::move(tap());
    tap() = std::move(t);
    return old;
}

} // namespace qx
