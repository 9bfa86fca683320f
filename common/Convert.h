#pragma once
// Text-to-number conversion for controller ids and typed values. Any thread.

#include <QString>
#include <stdexcept>

// Raised for a text that is not a number; the message names the text.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// A signed 32-bit decimal: an optional sign and at least one digit, nothing else (no blanks, no
// hexadecimal). Anything else, or a value outside the 32-bit range, raises EConvertError.
int StrToInt(const QString& text);
