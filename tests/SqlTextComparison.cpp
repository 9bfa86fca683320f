#include "SqlTextComparison.h"

#include <QFile>
#include <QTest>
#include <algorithm>

#include "Db.h"
#include "TestSupport.h"

namespace {
struct TResult {
    QStringList columns;
    QList<QStringList> rows;
    QString error;
};

QString DemoSql() {
    QFile f(SourcePath(QStringLiteral("db/demo.sql")));
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read db/demo.sql");
    return QString::fromUtf8(f.readAll());
}

// As the monitoring program logs on: its fixed account, which reads and nothing else.
TResult Run(const char* driver, const QString& database, const QString& sql) {
    TDriverScope scope(driver);
    TSQLConnection connection;
    connection.SetParam(QStringLiteral("Database"), database);
    connection.SetParam(QStringLiteral("User_Name"), QStringLiteral("kelnor"));
    connection.SetParam(QStringLiteral("Password"), QStringLiteral("wubrix"));
    TSQLClientDataSet ds(&connection);
    TResult result;
    try {
        ds.SetCommandText(sql);
        ds.Open();
        for (ds.First(); !ds.Eof(); ds.Next()) {
            QStringList row;
            for (const QString& c : ds.FieldNames()) row << ds.FieldByName(c).AsString();
            result.rows << row;
        }
        result.columns = ds.FieldNames();
    } catch (const EDatabaseError& e) {
        result.error = e.Message();
    }
    return result;
}

QList<QStringList> Projected(const TResult& r, const QStringList& columns) {
    QList<int> at;
    for (const QString& c : columns) at << r.columns.indexOf(c.toUpper());
    QList<QStringList> out;
    for (const QStringList& row : r.rows) {
        QStringList p;
        for (int i : at) p << (i >= 0 ? row.value(i) : QStringLiteral("<no column>"));
        out << p;
    }
    return out;
}

QString Shown(const QList<QStringList>& rows) {
    QStringList lines;
    for (const QStringList& r : rows.mid(0, 6))
        lines << QLatin1Char('[') + r.join(QLatin1Char('|')) + QLatin1Char(']');
    if (rows.size() > 6) lines << QStringLiteral("... %1 rows").arg(rows.size());
    return lines.join(QLatin1Char(' '));
}
}  // namespace

TDemoOnBothDrivers::TDemoOnBothDrivers() {
    const QString demo = DemoSql();
    {
        TDriverScope scope("QSQLITE");
        m_embedded = std::make_unique<TTempDatabase>();
    }
    m_embedded->Load(demo);
    {
        TDriverScope scope("QPSQL");
        m_server = std::make_unique<TTempDatabase>();
    }
    m_server->Load(demo);
}

TDemoOnBothDrivers::~TDemoOnBothDrivers() = default;

QStringList TDemoOnBothDrivers::Values(const QString& sql) const {
    const TResult r = Run("QSQLITE", m_embedded->Path(), sql);
    if (!r.error.isEmpty()) qFatal("%s: %s", qPrintable(sql), qPrintable(r.error));
    QStringList values;
    for (const QStringList& row : r.rows) values << row.value(0);
    return values;
}

QString TDemoOnBothDrivers::Compare(const QString& sql, const QStringList& orderedBy,
                                    int* rows) const {
    const TResult embedded = Run("QSQLITE", m_embedded->Path(), sql);
    const TResult server = Run("QPSQL", m_server->Path(), sql);
    *rows = int(embedded.rows.size());
    if (!embedded.error.isEmpty() || !server.error.isEmpty())
        return QStringLiteral("embedded: %1; server: %2").arg(embedded.error, server.error);
    if (embedded.columns != server.columns)
        return QStringLiteral("columns: %1 against %2")
            .arg(embedded.columns.join(QLatin1Char(',')), server.columns.join(QLatin1Char(',')));
    if (!orderedBy.isEmpty() && Projected(embedded, orderedBy) != Projected(server, orderedBy))
        return QStringLiteral("order by %1: %2 against %3")
            .arg(orderedBy.join(QLatin1Char(',')), Shown(Projected(embedded, orderedBy)),
                 Shown(Projected(server, orderedBy)));
    QList<QStringList> a = embedded.rows, b = server.rows;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b) {
        QList<QStringList> onlyA, onlyB;
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
        std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
        return QStringLiteral("rows only embedded: %1; only on the server: %2")
            .arg(Shown(onlyA), Shown(onlyB));
    }
    return {};
}

QString QuotedList(const QStringList& values) {
    QStringList quoted;
    for (const QString& v : values)
        quoted << QLatin1Char('\'') + QString(v).replace(QLatin1Char('\''), QStringLiteral("''")) +
                      QLatin1Char('\'');
    return quoted.join(QLatin1Char(','));
}

void VerifySameRows(const TDemoOnBothDrivers& demo, const QStringList& texts,
                    const QStringList& orderedBy) {
    int total = 0;
    for (const QString& sql : texts) {
        int rows = 0;
        const QString difference = demo.Compare(sql, orderedBy, &rows);
        QVERIFY2(difference.isEmpty(), qPrintable(sql + QStringLiteral("\n") + difference));
        total += rows;
    }
    QVERIFY(total > 0);
}
