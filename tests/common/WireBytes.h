#pragma once
// What the link's and the stand-in server's tests build requests and expected bytes from.

#include <QByteArray>
#include <initializer_list>

inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b.append(static_cast<char>(v));
    return b;
}

// The length field as it must be on the wire: digits, NUL, zeros to 12 bytes.
inline QByteArray LengthField(const QByteArray& digits) {
    QByteArray f = digits;
    f.append(QByteArray(12 - f.size(), '\0'));
    return f;
}
