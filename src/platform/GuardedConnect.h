#pragma once
// A signal connected to a window's handler that runs through guarded(): a
// failure in the handler is reported with the tag and the program goes on.
#include "platform/Guard.h"

#include <QObject>

namespace qx {

// Connects signal of sender to receiver's handler, which takes no arguments
// (those of the signal are dropped); tag names it in failure reports.
template <class Sender, class Signal, class Receiver>
QMetaObject::Connection onSignal(Sender *sender, Signal signal, Receiver *receiver, const char *tag,
                                 void (Receiver::*handler)())
{
    return QObject::connect(sender, signal, receiver, [receiver, tag, handler] {
        guarded(QLatin1String(tag), [&] { (receiver->*handler)(); });
    });
}

} // namespace qx
