#include "platform/TextLines.h"

#include <QByteArray>
#include <QIODevice>

namespace qx::textlines {

bool nextLine(QIODevice &f, QString &line, bool &tooLong)
{
    if (f.atEnd())
        return false;
    QByteArray bytes = f.readLine(MaxLine);
    tooLong = false;
    while (!bytes.endsWith('\n') && !f.atEnd()) {
        const QByteArray more = f.readLine(MaxLine);
        if (more.isEmpty())
            break;
        tooLong = true;
        bytes = more;  // only the end of the line matters now
    }
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    line = QString::fromUtf8(bytes);
    return true;
}

} // namespace qx::textlines
