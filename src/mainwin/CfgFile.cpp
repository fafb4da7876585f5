#include "mainwin/CfgFile.h"

#include "platform/Numbers.h"
#include "platform/TextLines.h"

#include <QIODevice>

namespace qx::cfgfile {

QByteArray write(const Texts &t)
{
    const QString lines[] = {
        QStringLiteral("---------QX Tester Software--------"),
        QStringLiteral("D:") + t.model,
        QStringLiteral("T:") + t.title,
        QStringLiteral("S:") + t.sval,
        QStringLiteral("L:") + t.slmt,
        QStringLiteral("M:") + t.stim,
        QStringLiteral("----------QX Parameter File----------"),
    };
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += l.toUtf8() + "\r\n";
    return bytes;
}

Loaded read(QIODevice &file, const QString &model)
{
    Loaded out;
    textlines::Lines lines(file);
    QString line;
    bool tooLong = false;
    if (!lines.next(line, tooLong))
        return out;
    while (lines.next(line, tooLong)) {
        if (tooLong || line.size() < 3)
            continue;
        const QStringView tag = QStringView(line).left(2);
        const QString rest = line.mid(2);
        if (!out.found) {
            out.found = tag == u"D:" && rest == model;
            continue;
        }
        if (tag == u"T:")
            out.title = rest;
        else if (!num::isNumeric(rest))
            continue;
        else if (tag == u"S:")
            out.sval = rest;
        else if (tag == u"L:")
            out.slmt = rest;
        else if (tag == u"M:")
            out.stim = rest;
    }
    return out;
}

} // namespace qx::cfgfile
