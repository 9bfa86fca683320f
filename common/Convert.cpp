#include "Convert.h"

#include <cstdint>
#include <limits>

QString NulVisible(const QString& text) {
    QString visible = text;
    visible.replace(QChar(0), QLatin1String("\\0"));
    return visible;
}

std::string WhatText(const QString& message) {
    return NulVisible(message).toStdString();
}

int StrToInt(const QString& text) {
    const auto fail = [&text]() -> EConvertError {
        return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    };
    int pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-'))) {
        negative = text[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos == text.size()) throw fail();
    // Accumulated as a magnitude in 64 bits so that -2147483648 is reachable.
    const std::int64_t limit = negative
                                   ? -static_cast<std::int64_t>(std::numeric_limits<int>::min())
                                   : std::numeric_limits<int>::max();
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        // isDigit() would also take other scripts' digits; the value must be ASCII decimal.
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) throw fail();
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > limit) throw fail();
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}
