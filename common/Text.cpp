#include "Text.h"

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
