#pragma once
// Records the SQL text of every statement a connection runs, in order, on either driver, so a
// test can tell which queries ran, how often and in which order.

#include <QStringList>
#include <functional>

#include "Db.h"

class TStatementTrace {
public:
    explicit TStatementTrace(TSQLConnection& connection)
        : m_connection(connection), m_previous(connection.OnStatement) {
        m_connection.OnStatement = [this](const QString& sql) {
            statements << sql;
            if (m_previous) m_previous(sql);
        };
    }
    ~TStatementTrace() { m_connection.OnStatement = m_previous; }
    Q_DISABLE_COPY(TStatementTrace)

    int Count(const QString& sql) const { return static_cast<int>(statements.count(sql)); }

    QStringList statements;

private:
    TSQLConnection& m_connection;
    std::function<void(const QString&)> m_previous;
};
