#include "net/NewsReply.h"

#include "platform/UiServices.h"
#include "platform/Winsock.h"

#include <QUrl>

namespace qx::news {

namespace {

// Leading decimal digits of s (at most its first `width` characters); 0 for none.
int leadingDigits(QStringView s)
{
    int v = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

QString withoutControls(QString s)
{
    for (QChar &c : s)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return s;
}

} // namespace

int ReplyCode(const QString &reply) { return leadingDigits(QStringView(reply).left(3)); }

NewsItem ParseNews(const QString &reply)
{
    NewsItem item;
    if (reply.size() < 6)
        return item;
    const int n = leadingDigits(QStringView(reply).mid(3, 3));
    if (n >= 128 || reply.size() < 6 + n)
        return item;
    item.store = true;
    item.link = n > 0 ? reply.mid(6, n) : QString();
    item.text = withoutControls(reply.mid(6 + n));
    return item;
}

QString ParseBannerLink(const QString &reply) { return reply.size() > 3 ? reply.mid(3) : QString(); }

QString ParseServerAddr(const QString &reply)
{
    const QString a = reply.size() > 3 ? reply.mid(3) : QString();
    return qx::wsa::isDottedAddress(a) ? a : QString();
}

bool IsWebLink(const QString &link)
{
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool OpenWebLink(const QString &link)
{
    if (!IsWebLink(link))
        return false;
    qx::ui().openLink(link);
    return true;
}

} // namespace qx::news
