#pragma once
// No exception ever leaves a Qt slot or event handler. A handler that has no
// trap of its own is run through guarded(): a failure is handed to the
// unhandled-error sink (the main window points it at its error log) and the
// program goes on.
#include <QString>
#include <functional>
#include <utility>

namespace qx {

using ErrorSink = std::function<void(const QString &tag, const QString &description)>;

// Installs the sink for failures caught by guarded(); returns the previous one.
ErrorSink setUnhandledSink(ErrorSink sink);
// Reports one caught failure to the sink (or to the Qt warning log when none is set).
void reportUnhandled(const QString &tag, const QString &description);

// Runs f; any exception is reported with tag and swallowed. Returns false
// when f failed.
template <class F>
bool guarded(const QString &tag, F &&f) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception &e) {
        reportUnhandled(tag, QString::fromStdString(e.what()));
    } catch (...) {
        reportUnhandled(tag, QStringLiteral("unknown error"));
    }
    return false;
}

} // namespace qx
