#include "OracleFunctions.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QString>
#include <algorithm>
#include <cstring>

// Both functions run for every row a query looks at, so the stored forms (plain numbers, time
// stamps "YYYY-MM-DD HH:MI:SS" and dates) are read straight from their bytes; anything else
// takes the general route through Qt, which gives the same results at a higher price.

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [begin, end) without leading and trailing ASCII blanks.
void TrimAscii(const char*& begin, const char*& end) {
    while (begin < end && IsAsciiSpace(*begin)) ++begin;
    while (end > begin && IsAsciiSpace(end[-1])) --end;
}

bool IsNumeric(sqlite3_value* v) {
    const int t = sqlite3_value_type(v);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

// A text of up to 15 digits with an optional sign, which a double holds exactly.
bool PlainInteger(const char* p, double* out) {
    const char* end = p + std::strlen(p);
    TrimAscii(p, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p == end || end - p > 15) return false;
    long long n = 0;
    for (; p < end; ++p) {
        if (!IsDigit(*p)) return false;
        n = n * 10 + (*p - '0');
    }
    *out = negative ? -static_cast<double>(n) : static_cast<double>(n);
    return true;
}

bool TextAsNumber(sqlite3_value* v, double* out) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    if (!p) return false;
    if (PlainInteger(p, out)) return true;
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

// ---- TO_CHAR -------------------------------------------------------------------------------

// A calendar time: no time zone, so a stamp in the hour a summer-time change skips is still one.
struct TStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

int Digits(const char* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (!IsDigit(p[i])) return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

bool ValidStamp(const TStamp& s) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (s.year < 1 || s.month < 1 || s.month > 12 || s.day < 1) return false;
    const bool leap = (s.year % 4 == 0 && s.year % 100 != 0) || s.year % 400 == 0;
    const int days = kDays[s.month - 1] + (s.month == 2 && leap ? 1 : 0);
    return s.day <= days && s.hour >= 0 && s.hour <= 23 && s.minute >= 0 && s.minute <= 59 &&
           s.second >= 0 && s.second <= 59;
}

// The forms the database stores: YYYY-MM-DD, then " HH:MI:SS", "THH:MI:SS" or " HH:MI".
bool ParseStoredStamp(const char* p, TStamp* s) {
    const char* end = p + std::strlen(p);
    TrimAscii(p, end);
    const long n = end - p;
    if (n != 10 && n != 16 && n != 19) return false;
    if (p[4] != '-' || p[7] != '-') return false;
    s->year = Digits(p, 4);
    s->month = Digits(p + 5, 2);
    s->day = Digits(p + 8, 2);
    s->hour = s->minute = s->second = 0;
    if (n > 10) {
        if (p[13] != ':' || !(p[10] == ' ' || (p[10] == 'T' && n == 19))) return false;
        s->hour = Digits(p + 11, 2);
        s->minute = Digits(p + 14, 2);
        if (n == 19) {
            if (p[16] != ':') return false;
            s->second = Digits(p + 17, 2);
        }
    }
    return ValidStamp(*s);
}

// The general route, for every other text: what Qt reads in these forms.
bool ParseOtherStamp(const char* p, TStamp* s) {
    const QString t = QString::fromUtf8(p).trimmed();
    for (const char* fmt :
         {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(fmt));
        if (dt.isValid()) {
            *s = {dt.date().year(), dt.date().month(),  dt.date().day(),
                  dt.time().hour(), dt.time().minute(), dt.time().second()};
            return true;
        }
    }
    return false;
}

// Appends value with at least width digits; a negative year keeps its sign in front.
void AppendNumber(QByteArray& out, int value, int width) {
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i) out += '0';
    while (n > 0) out += digits[--n];
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAsciiLetterOrDigit(char c) {
    return IsDigit(c) || (AsciiUpper(c) >= 'A' && AsciiUpper(c) <= 'Z');
}

struct TElement {
    const char* element;
    const char* qt;
    int TStamp::*field;
    int width;
};
const TElement kElements[] = {{"YYYY", "yyyy", &TStamp::year, 4}, {"HH24", "HH", &TStamp::hour, 2},
                              {"MM", "MM", &TStamp::month, 2},    {"DD", "dd", &TStamp::day, 2},
                              {"MI", "mm", &TStamp::minute, 2},   {"SS", "ss", &TStamp::second, 2}};

bool StartsWithElement(const char* p, const char* element) {
    for (; *element; ++p, ++element)
        if (AsciiUpper(*p) != *element) return false;
    return true;
}

// Elements match in any case; other characters are copied, except letters and digits, which
// make the format unsupported. Returns false then.
bool FormatAscii(const TStamp& s, const char* format, QByteArray& out) {
    for (const char* p = format; *p;) {
        const TElement* e =
            std::find_if(std::begin(kElements), std::end(kElements),
                         [p](const TElement& k) { return StartsWithElement(p, k.element); });
        if (e != std::end(kElements)) {
            AppendNumber(out, s.*e->field, e->width);
            p += std::strlen(e->element);
        } else if (IsAsciiLetterOrDigit(*p)) {
            return false;
        } else {
            out += *p++;
        }
    }
    return true;
}

// The general route for a format beyond ASCII, where Unicode's case rules apply.
bool FormatOther(const TStamp& s, const QString& format, QByteArray& out) {
    const QDateTime dt(QDate(s.year, s.month, s.day), QTime(s.hour, s.minute, s.second), Qt::UTC);
    QString text;
    for (int i = 0; i < format.size();) {
        const TElement* e =
            std::find_if(std::begin(kElements), std::end(kElements), [&](const TElement& k) {
                const QLatin1String el(k.element);
                return QStringView(format).mid(i, el.size()).compare(el, Qt::CaseInsensitive) == 0;
            });
        if (e != std::end(kElements)) {
            text += dt.toString(QString::fromLatin1(e->qt));
            i += static_cast<int>(std::strlen(e->element));
            continue;
        }
        const QChar c = format.at(i);
        if (c.isLetterOrNumber()) return false;
        text += c;
        ++i;
    }
    out = text.toUtf8();
    return true;
}

bool FormatStamp(const TStamp& s, const char* format, QByteArray& out) {
    const bool ascii = std::all_of(format, format + std::strlen(format),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? FormatAscii(s, format, out) : FormatOther(s, QString::fromUtf8(format), out);
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
    if (argc == 1) {
        sqlite3_result_text(ctx, raw ? raw : "", -1, SQLITE_TRANSIENT);
        return;
    }
    const auto* rawFmt = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    TStamp stamp;
    if (!raw || !(ParseStoredStamp(raw, &stamp) || ParseOtherStamp(raw, &stamp))) {
        sqlite3_result_error(ctx, "TO_CHAR: not a date", -1);
        return;
    }
    QByteArray out;
    if (!FormatStamp(stamp, rawFmt ? rawFmt : "", out)) {
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
