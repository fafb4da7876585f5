#pragma once
// The replies of the news service, read from their decoded text. Every
// position is checked against the text's length: a reply that is shorter
// than its own fields say is taken as malformed, never read past its end.
//
//   103<link>                      banner link
//   104<nnn><link of n chars><news text>
//   105<server address>
//   253, 255 (upload ended), 254 (download ended)
// Any other code is banner data while a download runs.
#include <QString>

namespace qx::news {

// Codes of the replies.
enum Code : int { BannerLink = 103, News = 104, ServerAddr = 105, UploadEnd1 = 253, DownloadEnd = 254, UploadEnd2 = 255 };

// The value of the leading decimal digits of the first three characters;
// 0 when there are none.
int ReplyCode(const QString &reply);

// A news reply (104).
struct NewsItem {
    bool store = false;  // false: length 128 or more, or a reply cut short
    QString link;        // "" when the length field is 0
    QString text;        // control characters replaced by blanks
};
NewsItem ParseNews(const QString &reply);

// The link of a banner-link reply (103): characters 4 to the end.
QString ParseBannerLink(const QString &reply);

// The address of a server-address reply (105): characters 4 to the end,
// when they are a dotted IPv4 address and nothing else; "" otherwise.
QString ParseServerAddr(const QString &reply);

// Whether a link received from the network may be opened: an http or
// https URL with a host.
bool IsWebLink(const QString &link);
// Opens a link through the program's web-link service when IsWebLink
// allows it; returns whether it was opened.
bool OpenWebLink(const QString &link);

} // namespace qx::news
