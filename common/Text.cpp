#include "Text.h"

#include <iconv.h>

QString Trim(const QString& text) {
    int first = 0;
    int last = static_cast<int>(text.size()) - 1;
    while (first <= last && text.at(first).unicode() <= 0x20) ++first;
    while (last >= first && text.at(last).unicode() <= 0x20) --last;
    return text.mid(first, last - first + 1);
}

QString SqlQuoted(const QString& value) {
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QByteArray ToCp949(const QString& text) {
    iconv_t cd = iconv_open("CP949", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return text.toLatin1();
    QByteArray out;
    // One character at a time, so a character the code page lacks costs only itself.
    for (int i = 0; i < text.size();) {
        const int n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QByteArray in = text.mid(i, n).toUtf8();
        char buf[16];
        char* inPtr = in.data();
        size_t inLeft = static_cast<size_t>(in.size());
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            out.append('?');
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else {
            out.append(buf, static_cast<int>(sizeof buf - outLeft));
        }
        i += n;
    }
    iconv_close(cd);
    return out;
}

QString SqlLiteral(const QString& value) {
    return QLatin1Char('\'') + SqlQuoted(value) + QLatin1Char('\'');
}
