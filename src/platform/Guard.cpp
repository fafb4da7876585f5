#include "platform/Guard.h"
#include "platform/QxError.h"

#include <QtGlobal>

namespace qx {

namespace {
ErrorSink &sink()
{
    static ErrorSink s;
    return s;
}
} // namespace

ErrorSink setUnhandledSink(ErrorSink s)
{
    ErrorSink old = std::move(sink());
    sink() = std::move(s);
    return old;
}

void reportUnhandled(const QString &tag, const QString &description)
{
    if (sink()) {
        try {
            sink()(tag, description);
            return;
        } catch (...) {
        }
    }
    qWarning("%s: %s", qPrintable(tag), qPrintable(description));
}

} // namespace qx
