#pragma once
// Records the SQL text of every statement a logged-on SQLite connection runs, as SQLite itself
// sees it, so a test can tell which queries ran, how often and in which order.

#include <sqlite3.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QStringList>

#include "Db.h"

class TStatementTrace {
public:
    explicit TStatementTrace(TSQLConnection& connection) : m_connection(connection) {
        m_db = Handle();
        if (m_db) sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &TStatementTrace::Record, this);
    }
    ~TStatementTrace() {
        // A connection that logged off and on again has another handle; the old one is gone.
        if (m_db && Handle() == m_db) sqlite3_trace_v2(m_db, 0, nullptr, nullptr);
    }
    TStatementTrace(const TStatementTrace&) = delete;
    TStatementTrace& operator=(const TStatementTrace&) = delete;

    bool Tracing() const { return m_db != nullptr; }
    int Count(const QString& sql) const { return static_cast<int>(statements.count(sql)); }

    QStringList statements;

private:
    sqlite3* Handle() const {
        if (!m_connection.Connected()) return nullptr;
        const QVariant handle =
            QSqlDatabase::database(m_connection.QtConnectionName(), false).driver()->handle();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
        return *static_cast<sqlite3* const*>(handle.data());
    }
    static int Record(unsigned, void* self, void*, void* sql) {
        static_cast<TStatementTrace*>(self)->statements
            << QString::fromUtf8(static_cast<const char*>(sql));
        return 0;
    }

    TSQLConnection& m_connection;
    sqlite3* m_db = nullptr;
};
