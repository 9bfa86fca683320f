#pragma once
// Text-to-number conversion for controller ids and typed values. Any thread.

#include <QString>
#include <stdexcept>
#include <string>

// The text with each NUL written as \0, so that nothing after it is lost where a NUL ends a text.
QString NulVisible(const QString& text);
// The text an exception's what() carries for message: UTF-8, NulVisible, so that a reader of the
// C string still gets everything after a NUL.
std::string WhatText(const QString& message);

// An error whose message is the program's own text: what() shows a NUL in it as \0 and goes on
// after it; Message() is the whole text, a NUL in it included.
class EMessageError : public std::runtime_error {
public:
    explicit EMessageError(const QString& message)
        : std::runtime_error(WhatText(message)), m_message(message) {}
    QString Message() const { return m_message; }

private:
    QString m_message;
};

// Raised for a text that is not a number; the message names the text.
class EConvertError : public EMessageError {
public:
    using EMessageError::EMessageError;
};

// A signed 32-bit decimal: an optional sign and at least one digit, nothing else (no blanks, no
// hexadecimal). Anything else, or a value outside the 32-bit range, raises EConvertError.
int StrToInt(const QString& text);
