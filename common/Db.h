#pragma once
// The database access the windows use: a connection with named parameters and a before-connect
// callback, client datasets that fetch their whole result when opened, and the one query loop
// every window runs (RunQuery). The layer never shows anything: every failure is thrown as
// EDatabaseError carrying the driver's message. Main thread only.
//
// The driver is Qt's driver name from VDS_DB_DRIVER (default QSQLITE). For SQLite the "Database"
// parameter is a file path; a relative one is resolved against VDS_DB_DIR when set, else the
// working directory. SQLite connections are opened read-only (the programs never write) and get
// the Oracle functions the SQL texts use (DECODE, TO_CHAR of a date); a query waits at most
// 250 ms for a writer's lock, then fails. On a server (QPSQL) the
// "Database" is the database's name and "User_Name" / "Password" the account; which server is
// libpq's own environment (PGHOST, PGPORT); the server has the Oracle functions installed.
//
// A query that fails leaves its connection logged off, so the next one logs on afresh; a query
// that finds its connection lost (the server restarted since) logs on afresh and runs once more.
// A query on a kept SQLite connection whose file was replaced or removed since the log-on (another
// file behind the same name) logs on afresh first, so it reads the file there now or fails.

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "Convert.h"

// A failure of the database or the driver, with its message.
class EDatabaseError : public EMessageError {
public:
    using EMessageError::EMessageError;
};

class TSQLConnection {
public:
    explicit TSQLConnection(QString connectionName = QStringLiteral("OracleConnection"));
    ~TSQLConnection();
    Q_DISABLE_COPY(TSQLConnection)

    QString ConnectionName() const { return m_connectionName; }

    // Parameters by name, in the order first set.
    QString Param(const QString& name) const;
    void SetParam(const QString& name, const QString& value);
    const QList<QPair<QString, QString>>& Params() const { return m_params; }

    // Runs before every log-on, in time to set the parameters.
    std::function<void()> BeforeConnect;
    // Runs with each SQL text just before the server is asked to run it, a retry included; lets
    // tests see which queries ran and in which order, whatever the driver.
    std::function<void(const QString&)> OnStatement;

    bool Connected() const;
    // true logs on with the parameters (BeforeConnect first); false logs off.
    void SetConnected(bool connected);

    // Qt's name of this connection, for the datasets.
    QString QtConnectionName() const { return m_qtName; }

    // Logs off when the connection is on an SQLite file that is no longer the one behind its
    // name, so the next query logs on to what is there now.
    void DropIfFileReplaced();

    // The driver and file a log-on would use now; for messages and tests.
    static QString DriverName();
    static QString ResolveDatabasePath(const QString& database);

private:
    void Open();
    void CloseDb();

    QString m_connectionName;
    QString m_qtName;
    QList<QPair<QString, QString>> m_params;
    bool m_connected = false;
    // The SQLite file logged on to, as its name and the identity of the file it named just
    // before the log-on (none: no file).
    QString m_filePath;
    std::optional<QPair<quint64, quint64>> m_fileId;
};

// One column value of the current row.
class TField {
public:
    TField(QString name, QVariant value) : m_name(std::move(name)), m_value(std::move(value)) {}
    // NULL reads as the empty text; a time stamp as "YYYY-MM-DD HH:MI:SS", as the embedded
    // database stores it.
    QString AsString() const;
    // NULL and the empty text read as 0; a text that is no integer throws.
    int AsInteger() const;
    // The empty text counts as NULL, as in the centre's database.
    bool IsNull() const;

private:
    QString m_name;
    QVariant m_value;
};

class TSQLClientDataSet {
public:
    explicit TSQLClientDataSet(TSQLConnection* connection) : m_connection(connection) {}

    TSQLConnection* Connection() const { return m_connection; }

    QString CommandText() const { return m_commandText; }
    // Refused, with EDatabaseError, while the dataset is open.
    void SetCommandText(const QString& text);

    bool Active() const { return m_active; }
    // true runs the command and fetches the whole result, logging the connection on first when it
    // is not connected; a failure leaves the dataset closed and the connection logged off. false
    // drops the result.
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    void First();
    void Next();
    bool Eof() const;
    int RecordCount() const;
    // The named column of the current row; a name the result lacks throws.
    TField FieldByName(const QString& name) const;
    // The result's column names, upper case, in the order the statement gives them.
    QStringList FieldNames() const {
        RequireActive();
        return m_fieldNames;
    }

private:
    void RequireActive() const;
    void ClearResult();
    // Runs the command on the logged-on connection; false with *error on failure, *lost when the
    // failure was the connection's own.
    bool Fetch(QString* error, bool* lost);
    int FieldIndex(const QString& name) const;

    TSQLConnection* m_connection;
    QString m_commandText;
    bool m_active = false;
    QStringList m_fieldNames;          // upper case
    QHash<QString, int> m_fieldIndex;  // the first column of each name
    mutable std::vector<int> m_lookupOrder;
    mutable size_t m_lookupStep = 0;
    std::vector<QVariant> m_values;  // row after row
    size_t m_rowCount = 0;
    size_t m_pos = 0;
};

// Closes a dataset and logs its connection off (unless asked to keep it) if the scope is left by
// an error, so the next query can set its command text and log on afresh.
class TQueryCleanup {
public:
    explicit TQueryCleanup(TSQLClientDataSet& dataSet, bool disconnect = true)
        : m_dataSet(dataSet), m_disconnect(disconnect), m_exceptions(std::uncaught_exceptions()) {}
    ~TQueryCleanup() {
        if (std::uncaught_exceptions() <= m_exceptions) return;
        m_dataSet.Close();
        if (m_disconnect && m_dataSet.Connection()) m_dataSet.Connection()->SetConnected(false);
    }
    Q_DISABLE_COPY(TQueryCleanup)

private:
    TSQLClientDataSet& m_dataSet;
    bool m_disconnect;
    int m_exceptions;
};

// What a query does with its dataset's connection.
enum class TLogOn {
    // The open logs on where the connection is not, and it stays logged on afterwards.
    Kept,
    // Logs on first where the connection is not, and off again once the query is done.
    ForTheQuery,
};

// The query loop of every window: sql becomes the dataset's command text, the dataset opens and
// eachRow runs for each row of the result from the first; then the dataset closes, afterRows runs
// with the connection still as it was, and with TLogOn::ForTheQuery the connection logs off. A
// failure on the way closes the dataset and logs its connection off before it goes on
// (TQueryCleanup), so the next query sets its text and logs on afresh.
using TRowReader = std::function<void(const TSQLClientDataSet& row)>;
void RunQuery(TSQLClientDataSet& dataset, const QString& sql, TLogOn logOn,
              const TRowReader& eachRow, const std::function<void()>& afterRows = {});
// RunQuery for the one value a count or a newest time gives: the field of the first row, the
// empty text when there is none.
QString FirstRowValue(TSQLClientDataSet& dataset, const QString& sql, TLogOn logOn,
                      const QString& field);
