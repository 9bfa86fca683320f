#include "BenchCore.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "OracleFunctions.h"
#include "UiHooks.h"

namespace {

double TimeMs(const TWork& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// ---- capture -------------------------------------------------------------------------------

// Only one capture runs at a time; connections opened outside it are not traced.
TSqlCapture* g_capture = nullptr;
QHash<sqlite3*, int>* g_connections = nullptr;

int ConnectionId(sqlite3* db) {
    auto it = g_connections->find(db);
    if (it == g_connections->end()) it = g_connections->insert(db, g_connections->size() + 1);
    return it.value();
}

int Trace(unsigned type, void*, void* p, void* x) {
    if (!g_capture) return 0;
    if (type == SQLITE_TRACE_STMT) {
        const char* sql = static_cast<const char*>(x);
        // Trigger programs announce themselves as comments; they are part of their statement.
        if (!sql || qstrncmp(sql, "--", 2) == 0) return 0;
        auto* stmt = static_cast<sqlite3_stmt*>(p);
        g_capture->push_back(
            {TSqlEvent::Statement, ConnectionId(sqlite3_db_handle(stmt)), QByteArray(sql)});
    } else if (type == SQLITE_TRACE_CLOSE) {
        auto* db = static_cast<sqlite3*>(p);
        g_capture->push_back({TSqlEvent::Close, ConnectionId(db), {}});
        g_connections->remove(db);
    }
    return 0;
}

// Runs for every connection the process opens, Qt's driver included (it uses the same library).
int OnOpen(sqlite3* db, const char**, const sqlite3_api_routines*) {
    if (!g_capture) return SQLITE_OK;
    g_connections->remove(db);
    g_capture->push_back({TSqlEvent::Open, ConnectionId(db),
                          QByteArray(sqlite3_db_filename(db, "main")),
                          sqlite3_db_readonly(db, "main") == 1});
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT | SQLITE_TRACE_CLOSE, Trace, nullptr);
    return SQLITE_OK;
}

void InstallOpenHook() {
    static const bool installed = [] {
        return sqlite3_auto_extension(reinterpret_cast<void (*)()>(OnOpen)) == SQLITE_OK;
    }();
    if (!installed) throw std::runtime_error("cannot hook SQLite's connections");
}

// ---- replay --------------------------------------------------------------------------------

[[noreturn]] void Fail(sqlite3* db, const QByteArray& what) {
    throw std::runtime_error(
        (what + ": " + (db ? sqlite3_errmsg(db) : "no connection")).toStdString());
}

class TReplay {
public:
    explicit TReplay(TSqlCapture capture) : m_capture(std::move(capture)) {}
    ~TReplay() {
        for (sqlite3* db : m_open) sqlite3_close(db);
    }

    void Run() {
        for (const TSqlEvent& e : m_capture) {
            switch (e.kind) {
                case TSqlEvent::Open:
                    Open(e);
                    break;
                case TSqlEvent::Statement:
                    Statement(Db(e.connection), e.text);
                    break;
                case TSqlEvent::Close:
                    sqlite3_close(Db(e.connection));
                    m_open.remove(e.connection);
                    break;
            }
        }
    }
    // Keeps the reads from being left out.
    size_t checksum = 0;

private:
    void Open(const TSqlEvent& e) {
        sqlite3* db = nullptr;
        const int flags = e.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (sqlite3_open_v2(e.text.constData(), &db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            Fail(nullptr, "open " + e.text);
        }
        sqlite3_busy_timeout(db, 3000);
        if (!RegisterOracleFunctions(db)) Fail(db, "register functions");
        m_open.insert(e.connection, db);
    }

    sqlite3* Db(int connection) {
        sqlite3* db = m_open.value(connection);
        if (!db) throw std::runtime_error("statement on a connection not open");
        return db;
    }

    void Statement(sqlite3* db, const QByteArray& sql) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), sql.size(), &stmt, nullptr) != SQLITE_OK)
            Fail(db, sql);
        int rc;
        const int columns = sqlite3_column_count(stmt);
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            for (int c = 0; c < columns; ++c) {
                sqlite3_column_text(stmt, c);
                checksum += sqlite3_column_bytes(stmt, c);
            }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) Fail(db, sql);
    }

    TSqlCapture m_capture;
    QHash<int, sqlite3*> m_open;
};

}  // namespace

TBenchResult RunPaired(const QString& work, int runs, const TWork& program, const TWork& bare,
                       const TWork& between) {
    program();
    if (between) between();
    bare();
    std::vector<double> p, b, ratios;
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            p.push_back(TimeMs(program));
            if (between) between();
            b.push_back(TimeMs(bare));
        } else {
            b.push_back(TimeMs(bare));
            p.push_back(TimeMs(program));
            if (between) between();
        }
        ratios.push_back(b.back() > 0 ? p.back() / b.back() : 0);
    }
    return {work, runs, Median(p), Median(b), Median(ratios)};
}

TSqlCapture CaptureSql(const TWork& work) {
    InstallOpenHook();
    TSqlCapture capture;
    QHash<sqlite3*, int> connections;
    g_capture = &capture;
    g_connections = &connections;
    try {
        work();
    } catch (...) {
        g_capture = nullptr;
        g_connections = nullptr;
        throw;
    }
    g_capture = nullptr;
    g_connections = nullptr;
    return capture;
}

TWork BareEngine(TSqlCapture capture) {
    auto replay = std::make_shared<TReplay>(std::move(capture));
    return [replay] { replay->Run(); };
}

void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void StopAtMessageBox(const char* tool) {
    SetMessageHook([tool](const QString& text) {
        std::fprintf(stderr, "%s: %s\n", tool, qPrintable(text));
        std::exit(1);
    });
}

long ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

QString FormatMs(double ms) {
    if (ms >= 1000) return QString::number(ms / 1000, 'f', 2) + QStringLiteral(" s");
    if (ms >= 100) return QString::number(ms, 'f', 0) + QStringLiteral(" ms");
    if (ms >= 10) return QString::number(ms, 'f', 1) + QStringLiteral(" ms");
    return QString::number(ms, 'f', 2) + QStringLiteral(" ms");
}

QString TableRow(const TBenchResult& r) {
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
        .arg(r.work, FormatMs(r.programMs), FormatMs(r.bareMs), QString::number(r.ratio, 'f', 2))
        .arg(r.runs);
}

QString GrowthLine(const QString& work, const TBenchResult& smaller, const TBenchResult& larger) {
    return QStringLiteral(
               "growth of the %1 from the first size to the second: program x%2, bare "
               "engine x%3")
        .arg(work)
        .arg(larger.programMs / smaller.programMs, 0, 'f', 2)
        .arg(larger.bareMs / smaller.bareMs, 0, 'f', 2);
}

QString Count(long n) {
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(n));
}

void PrintLine(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

std::vector<TTreeDb> ParseTreeDbs(const QStringList& specs) {
    std::vector<TTreeDb> dbs;
    for (const QString& spec : specs) {
        const int eq = spec.indexOf(QLatin1Char('='));
        bool ok = false;
        const int stations = spec.left(eq).toInt(&ok);
        if (eq < 0 || !ok) throw std::runtime_error("a tree database is given as stations=file");
        dbs.push_back({stations, spec.mid(eq + 1)});
    }
    return dbs;
}
