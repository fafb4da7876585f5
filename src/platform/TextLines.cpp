#include "platform/TextLines.h"

#include <QIODevice>

#include <algorithm>

namespace qx::textlines {

Lines::Lines(QIODevice &f) : f_(f)
{
    while (buf_.size() < Block && fill()) {
    }
    // The code page is told by the lines read whole: a block that ends
    // inside a character is no sign of another code page.
    QByteArrayView head(buf_);
    if (!f_.atEnd()) {
        const qsizetype nl = buf_.lastIndexOf('\n');
        if (nl >= 0)
            head = head.first(nl + 1);
    }
    enc_ = text::guess(head);
}

bool Lines::fill()
{
    buf_.remove(0, pos_);
    pos_ = 0;
    // A file's own size, so that a small one costs no more than its bytes.
    const qint64 want = f_.isSequential() ? MaxLine : std::clamp(f_.size() - f_.pos(), qint64(4096), Block);
    const qsizetype had = buf_.size();
    buf_.resize(had + qsizetype(want));
    const qint64 got = f_.read(buf_.data() + had, want);
    buf_.resize(had + qsizetype(std::max<qint64>(got, 0)));
    return got > 0;
}

bool Lines::next(QString &line, bool &tooLong)
{
    tooLong = false;
    qsizetype from = pos_; // where the search for the line end goes on
    qsizetype nl;
    while ((nl = buf_.indexOf('\n', from)) < 0) {
        // Longer than any line kept (its CR aside): only its end is looked for.
        if (buf_.size() - pos_ > MaxLine + 1) {
            tooLong = true;
            pos_ = buf_.size();
        }
        const qsizetype kept = buf_.size() - pos_;
        if (!fill())
            break;
        from = kept;
    }
    if (nl < 0 && pos_ >= buf_.size() && !tooLong)
        return false;
    const qsizetype end = nl < 0 ? buf_.size() : nl;
    qsizetype contentEnd = end;
    if (contentEnd > pos_ && buf_[contentEnd - 1] == '\r')
        --contentEnd;
    if (contentEnd - pos_ > MaxLine)
        tooLong = true;
    line = tooLong ? QString() : text::decode(QByteArrayView(buf_).sliced(pos_, contentEnd - pos_), enc_);
    pos_ = nl < 0 ? buf_.size() : nl + 1;
    return true;
}

} // namespace qx::textlines
