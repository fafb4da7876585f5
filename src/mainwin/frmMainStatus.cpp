// The status line, line 0 of the selected device's information list: the
// one-second Timer1 writes date, time and firmware version there, or hands
// the line to the news scroller while a news text is pending; a click on an
// information list ends the news and opens its link.
#include "mainwin/frmMain.h"

#include "services/State.h"
#include "net/NewsReply.h"
#include "platform/Guard.h"

#include <QDateTime>
#include <QEvent>
#include <QListWidget>
#include <QLocale>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Calls a function on every mouse-button release over a list.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject *parent, std::function<void()> f) : QObject(parent), f_(std::move(f)) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonRelease)
            f_();
        return false;
    }

private:
    std::function<void()> f_;
};

// The system's time format without a time-zone name (worked out once: the
// status line is written every second).
QString timeText(const QTime &t)
{
    static const QString fmt = [] {
        QString f = QLocale::system().timeFormat(QLocale::LongFormat);
        f.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        return f.trimmed();
    }();
    return QLocale::system().toString(t, fmt);
}

} // namespace

void frmMain::hookInfoList(QListWidget *list, int n)
{
    auto *f = new ClickFilter(list, [this, n] {
        qx::guarded(QStringLiteral("lstInfo_DragDrop"), [this, n] { lstInfo_DragDrop(n); });
    });
    list->viewport()->installEventFilter(f);
}

void frmMain::Timer1_Timer()
{
    if (!NewsText.isEmpty()) {
        if (!Timer4->isActive())
            Timer4->start();
        ScrollText = QString(40, QLatin1Char(' ')) + NewsText;
        return;
    }
    Timer4->stop();
    const QDateTime now = QDateTime::currentDateTime();
    // The date's text is made once a day (and again when the system's
    // locale changes), not with every tick.
    static struct {
        QDate date;
        QLocale locale;
        QString text;
    } day;
    const QLocale locale = QLocale::system();
    if (day.text.isEmpty() || day.date != now.date() || day.locale != locale)
        day = {now.date(), locale, locale.toString(now.date(), QLocale::ShortFormat)};
    set_lstInfoLine(qx::CurDev, 0,
                    QStringLiteral(" ") + day.text + QStringLiteral(" ") + timeText(now.time()) + QStringLiteral("  ") +
                        VerText);
}

void frmMain::lstInfo_DragDrop(int)
{
    try {
        NewsText.clear();
        if (!NewsLink.isEmpty()) {
            qx::news::OpenWebLink(NewsLink);
            NewsLink.clear();
        }
    } catch (const std::exception &) {
    }
}
