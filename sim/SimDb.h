#pragma once
// The demo writers' connection (the stand-in server's answers, the live feed) to the database the
// programs read: an SQLite file, or with VDS_DB_DRIVER=QPSQL the server's database of that name,
// logged on as libpq's environment names (PGUSER, PGPASSWORD: a role that may write). One object
// per thread: it opens when made and closes with the object.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class TSimDb {
public:
    TSimDb(const QString& database, int busyTimeoutMs);
    ~TSimDb();
    Q_DISABLE_COPY(TSimDb)

    bool Ok() const { return m_error.isEmpty(); }
    QString Error() const { return m_error; }
    QSqlDatabase Db() const;
    // Starts a transaction that writes; on SQLite it takes the write lock at once, so that two
    // writers wait for each other rather than fail.
    bool BeginWrite();
    bool Commit();
    void Rollback();

private:
    QString m_name;
    QString m_error;
    bool m_server;
};

// Why the demo writers cannot use database (they never create one), or an empty text.
QString MissingDatabase(const QString& database);

// A value as the embedded database stores it: a time stamp as YYYY-MM-DD HH:MI:SS.
QString SimText(const QVariant& value);
