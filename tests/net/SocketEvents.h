#pragma once
// Records the events of a socket object (or control) as text lines:
// "Connect", "CloseSck", "ConnectionRequest", "DataArrival 10",
// "Error 10061 Connection refused. CSocketMaster.PostSocket",
// "SendProgress 5 0", "SendComplete".
#include "net/CSocketMaster.h"
#include "net/SckError.h"

#include <QStringList>
#include <functional>

namespace qx::test {

template <class S>
struct SocketEvents {
    explicit SocketEvents(S &s)
    {
        QObject::connect(&s, &S::CloseSckEvent, [this] { log << "CloseSck"; });
        QObject::connect(&s, &S::ConnectEvent, [this] { log << "Connect"; });
        QObject::connect(&s, &S::ConnectionRequest, [this](int32_t id) {
            log << "ConnectionRequest";
            if (onRequest)
                onRequest(id);
        });
        QObject::connect(&s, &S::DataArrival, [this](int32_t n) {
            log << QStringLiteral("DataArrival %1").arg(n);
            if (onData)
                onData(n);
        });
        QObject::connect(&s, &S::Error,
                         [this](int n, QString &d, int32_t, const QString &src, const QString &, int32_t, bool &cancel) {
                             log << QStringLiteral("Error %1 %2 %3").arg(n).arg(d, src);
                             if (onError)
                                 onError(d, cancel);
                         });
        QObject::connect(&s, &S::SendComplete, [this] {
            log << "SendComplete";
            if (onComplete)
                onComplete();
        });
        QObject::connect(&s, &S::SendProgress,
                         [this](int32_t sent, int32_t left) { log << QStringLiteral("SendProgress %1 %2").arg(sent).arg(left); });
    }
    bool has(const QString &line) const { return log.contains(line); }
    bool hasPrefix(const QString &prefix) const
    {
        for (const QString &l : log)
            if (l.startsWith(prefix))
                return true;
        return false;
    }

    QStringList log;
    std::function<void(int32_t)> onRequest;
    std::function<void(int32_t)> onData;
    std::function<void(QString &, bool &)> onError;
    std::function<void()> onComplete;
};

// The number, text and source of the socket error an action raises
// (number 0 when it raises none).
struct Raised {
    int number = 0;
    QString text, source;
};
inline Raised raised(const std::function<void()> &f)
{
    try {
        f();
    } catch (const qx::net::SckError &e) {
        return {e.code(), e.description(), e.source()};
    }
    return {};
}

} // namespace qx::test
