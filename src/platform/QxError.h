#pragma once
// The one exception type of the program. Where an operation "fails with a
// run-time error", it throws QxError carrying a numeric code and a
// description; the handler that traps it catches it at its boundary.
#include <QString>
#include <stdexcept>

namespace qx {

enum ErrCode : int {
    ErrInvalidCall = 5,      // invalid procedure call or argument
    ErrOverflow = 6,         // a number does not fit its type
    ErrOutOfMemory = 7,
    ErrSubscript = 9,        // an index outside a table
    ErrDivByZero = 11,
    ErrTypeMismatch = 13,    // a text that is not a number
    ErrFileNotFound = 53,
    ErrFileIo = 57,          // device or file input/output error
    ErrPathNotFound = 76,
    ErrInvalidProperty = 380 // a property value out of its range
};

class QxError : public std::runtime_error {
public:
    QxError(int code, const QString &description)
        : std::runtime_error(description.toStdString()), code_(code), description_(description) {}
    int code() const noexcept { return code_; }
    const QString &description() const noexcept { return description_; }

private:
    int code_;
    QString description_;
};

// The standard descriptions for the codes above.
QString errorText(int code);
[[noreturn]] void raise(int code);
[[noreturn]] void raise(int code, const QString &description);

} // namespace qx
