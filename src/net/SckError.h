#pragma once
// Errors of the socket layer: a Windows Sockets or control error number,
// its text and the source ("CSocketMaster." and the operation).
#include "platform/QxError.h"

namespace qx::net {

// Numbers and texts of the socket layer's own checks.
enum SckErrNo : int {
    sckOutOfMemory = 7,
    sckBadState = 40006,
    sckInvalidArg = 40014,
    sckUnsupported = 40018,
    sckInvalidOp = 40020
};
inline const QString kBadStateText = QStringLiteral("Wrong protocol or connection state for the requested transaction or request");
inline const QString kRangeText =
    QStringLiteral("The argument passed to a function was not in the correct format or in the specified range.");
inline const QString kInvalidArgText = QStringLiteral("Invalid argument");
inline const QString kUnsupportedText = QStringLiteral("Unsupported variant type.");
inline const QString kInvalidOpText = QStringLiteral("Invalid operation at current state");
inline const QString kOutOfMemoryText = QStringLiteral("Out of memory");

class SckError : public qx::QxError {
public:
    SckError(int number, const QString &description, const QString &source)
        : QxError(number, description), source_(source) {}
    const QString &source() const noexcept { return source_; }

private:
    QString source_;
};

[[noreturn]] inline void raiseSck(int number, const QString &description, const QString &source)
{
    throw SckError(number, description, source);
}

} // namespace qx::net
