#include "platform/QxError.h"

namespace qx {

QString errorText(int code)
{
    switch (code) {
    case ErrInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow: return QStringLiteral("Overflow");
    case ErrOutOfMemory: return QStringLiteral("Out of memory");
    case ErrSubscript: return QStringLiteral("Subscript out of range");
    case ErrDivByZero: return QStringLiteral("Division by zero");
    case ErrTypeMismatch: return QStringLiteral("Type mismatch");
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrFileIo: return QStringLiteral("Device I/O error");
    case ErrPathNotFound: return QStringLiteral("Path not found");
    case ErrInvalidProperty: return QStringLiteral("Invalid property value");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

void raise(int code) { throw QxError(code, errorText(code)); }
void raise(int code, const QString &description) { throw QxError(code, description); }

} // namespace qx
