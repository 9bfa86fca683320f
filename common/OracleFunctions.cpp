#include "OracleFunctions.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QString>
#include <algorithm>

namespace {

bool IsNumeric(sqlite3_value* v) {
    const int t = sqlite3_value_type(v);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

bool TextAsNumber(sqlite3_value* v, double* out) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    if (!p) return false;
    bool ok = false;
    const double d = QString::fromUtf8(p).trimmed().toDouble(&ok);
    if (ok) *out = d;
    return ok;
}

// Oracle compares a number with a text by converting the text; two texts compare exactly.
bool DecodeMatches(sqlite3_value* expr, sqlite3_value* search) {
    if (sqlite3_value_type(expr) == SQLITE_NULL || sqlite3_value_type(search) == SQLITE_NULL)
        return false;
    const bool exprNum = IsNumeric(expr);
    const bool searchNum = IsNumeric(search);
    if (exprNum || searchNum) {
        double a = 0, b = 0;
        if (exprNum)
            a = sqlite3_value_double(expr);
        else if (!TextAsNumber(expr, &a))
            return false;
        if (searchNum)
            b = sqlite3_value_double(search);
        else if (!TextAsNumber(search, &b))
            return false;
        return a == b;
    }
    const int na = sqlite3_value_bytes(expr);
    const int nb = sqlite3_value_bytes(search);
    return na == nb && std::equal(sqlite3_value_text(expr), sqlite3_value_text(expr) + na,
                                  sqlite3_value_text(search));
}

void Decode(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 3) {
        sqlite3_result_error(ctx, "DECODE needs at least 3 arguments", -1);
        return;
    }
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        if (DecodeMatches(argv[0], argv[i])) {
            sqlite3_result_value(ctx, argv[i + 1]);
            return;
        }
    }
    if (i < argc)
        sqlite3_result_value(ctx, argv[i]);  // the default
    else
        sqlite3_result_null(ctx);
}

QDateTime ParseStamp(const QString& text) {
    const QString t = text.trimmed();
    for (const char* fmt : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm",
                            "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(fmt));
        if (dt.isValid()) return dt;
    }
    return {};
}

// Returns an empty text and sets *ok false for a format element it does not know.
QString FormatStamp(const QDateTime& dt, const QString& format, bool* ok) {
    static const struct {
        const char* element;
        const char* qt;
    } kElements[] = {{"YYYY", "yyyy"}, {"HH24", "HH"}, {"MM", "MM"},
                     {"DD", "dd"},     {"MI", "mm"},   {"SS", "ss"}};
    QString out;
    *ok = true;
    for (int i = 0; i < format.size();) {
        bool matched = false;
        for (const auto& e : kElements) {
            const QString el = QString::fromLatin1(e.element);
            if (format.mid(i, el.size()).compare(el, Qt::CaseInsensitive) == 0) {
                out += dt.toString(QString::fromLatin1(e.qt));
                i += el.size();
                matched = true;
                break;
            }
        }
        if (matched) continue;
        const QChar c = format.at(i);
        if (c.isLetterOrNumber()) {
            *ok = false;
            return {};
        }
        out += c;
        ++i;
    }
    return out;
}

void ToChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 1 || argc > 2) {
        sqlite3_result_error(ctx, "TO_CHAR takes 1 or 2 arguments", -1);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QString value = QString::fromUtf8(raw ? raw : "");
    if (argc == 1) {
        sqlite3_result_text(ctx, raw ? raw : "", -1, SQLITE_TRANSIENT);
        return;
    }
    const auto* rawFmt = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const QString format = QString::fromUtf8(rawFmt ? rawFmt : "");
    const QDateTime dt = ParseStamp(value);
    if (!dt.isValid()) {
        sqlite3_result_error(ctx, "TO_CHAR: not a date", -1);
        return;
    }
    bool ok = false;
    const QByteArray out = FormatStamp(dt, format, &ok).toUtf8();
    if (!ok) {
        sqlite3_result_error(ctx, "TO_CHAR: unsupported date format", -1);
        return;
    }
    sqlite3_result_text(ctx, out.constData(), out.size(), SQLITE_TRANSIENT);
}

}  // namespace

bool RegisterOracleFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "DECODE", -1, flags, nullptr, Decode, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "TO_CHAR", -1, flags, nullptr, ToChar, nullptr, nullptr,
                                      nullptr) == SQLITE_OK;
}
