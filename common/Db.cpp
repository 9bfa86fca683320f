#include "Db.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>
#include <optional>

#include "Convert.h"
#include "OracleFunctions.h"

namespace {
QString NextQtName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vds-connection-%1").arg(++counter);
}

QString ErrorText(const QSqlError& e) {
    const QString text = e.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

bool IsSqlite(const QString& driver) {
    return driver == QLatin1String("QSQLITE");
}
bool IsPostgres(const QString& driver) {
    return driver == QLatin1String("QPSQL");
}

// A log-on to an unreachable server gives up instead of holding the window; the site's own
// PGCONNECT_TIMEOUT, where set, is libpq's to apply.
constexpr int kServerConnectTimeoutS = 5;

// Whether a statement failed because the connection went (a server restart, a dropped link)
// rather than in the database; such a statement is worth one more try on a fresh log-on.
bool ConnectionLost(const QSqlDatabase& db, const QSqlError& error) {
    if (!db.isOpen()) return true;
    if (!IsPostgres(db.driverName())) return false;
    const QString state = error.nativeErrorCode();
    // SQLSTATE class 08 (connection exception), 57P01-57P03 (server shut down or starting).
    return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
           state == QLatin1String("57P02") || state == QLatin1String("57P03");
}

// Oracle keeps no empty text: what it stores as '' reads back as NULL.
bool ReadsAsNull(const QVariant& value) {
    if (value.isNull()) return true;
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString().isEmpty();
        case QMetaType::QByteArray:
            return value.toByteArray().isEmpty();
        default:
            return false;
    }
}

// The file a path names now, by device and inode; none when there is none.
std::optional<QPair<quint64, quint64>> FileIdentity(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return QPair<quint64, quint64>(st.st_dev, st.st_ino);
}

// How long a query waits for a writer's lock before it fails: a fraction of the monitor's
// 1000 ms tick, so a locked file never freezes a program for longer.
constexpr int kSqliteBusyTimeoutMs = 250;
}  // namespace

// ---- connection ----------------------------------------------------------------------------

TSQLConnection::TSQLConnection(QString connectionName)
    : m_connectionName(std::move(connectionName)), m_qtName(NextQtName()) {}

TSQLConnection::~TSQLConnection() {
    CloseDb();
    if (QSqlDatabase::contains(m_qtName)) QSqlDatabase::removeDatabase(m_qtName);
}

QString TSQLConnection::Param(const QString& name) const {
    for (const auto& p : m_params)
        if (p.first == name) return p.second;
    return {};
}

void TSQLConnection::SetParam(const QString& name, const QString& value) {
    for (auto& p : m_params) {
        if (p.first == name) {
            p.second = value;
            return;
        }
    }
    m_params.append({name, value});
}

bool TSQLConnection::Connected() const {
    return m_connected;
}

void TSQLConnection::SetConnected(bool connected) {
    if (connected == m_connected) return;
    if (connected)
        Open();
    else
        CloseDb();
}

QString TSQLConnection::DriverName() {
    const QString env = qEnvironmentVariable("VDS_DB_DRIVER").trimmed();
    return env.isEmpty() ? QStringLiteral("QSQLITE") : env;
}

QString TSQLConnection::ResolveDatabasePath(const QString& database) {
    if (database.isEmpty() || QDir::isAbsolutePath(database)) return database;
    const QString dir = qEnvironmentVariable("VDS_DB_DIR");
    return QDir(dir.isEmpty() ? QDir::currentPath() : dir).filePath(database);
}

void TSQLConnection::Open() {
    if (BeforeConnect) BeforeConnect();

    const QString driver = DriverName();
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw EDatabaseError(QStringLiteral("Database driver not available: %1").arg(driver));
    QSqlDatabase db = QSqlDatabase::contains(m_qtName)
                          ? QSqlDatabase::database(m_qtName, false)
                          : QSqlDatabase::addDatabase(driver, m_qtName);
    const QString database = Param(QStringLiteral("Database"));
    if (IsSqlite(driver)) {
        if (database.isEmpty()) throw EDatabaseError(QStringLiteral("No database name given"));
        m_filePath = ResolveDatabasePath(database);
        // Before the open: a file renamed over the name in between is then seen as a replaced
        // one at the next query, never taken for the file this log-on opened.
        m_fileId = FileIdentity(m_filePath);
        db.setDatabaseName(m_filePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1")
                                 .arg(kSqliteBusyTimeoutMs));
    } else {
        db.setDatabaseName(database);
        if (IsPostgres(driver) && qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT"))
            db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kServerConnectTimeoutS));
    }
    db.setUserName(Param(QStringLiteral("User_Name")));
    db.setPassword(Param(QStringLiteral("Password")));
    if (!db.open()) {
        const QString message = ErrorText(db.lastError());
        db.close();
        throw EDatabaseError(message);
    }
    if (IsSqlite(driver)) {
        const QVariant handle = db.driver()->handle();
        sqlite3* h = nullptr;
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            h = *static_cast<sqlite3* const*>(handle.data());
        if (!h || !RegisterOracleFunctions(h)) {
            db.close();
            throw EDatabaseError(
                QStringLiteral("Cannot register the SQL functions DECODE and TO_CHAR"));
        }
    } else {
        m_filePath.clear();
    }
    m_connected = true;
}

void TSQLConnection::DropIfFileReplaced() {
    if (!m_connected || m_filePath.isEmpty()) return;
    if (FileIdentity(m_filePath) != m_fileId) CloseDb();
}

void TSQLConnection::CloseDb() {
    if (QSqlDatabase::contains(m_qtName)) {
        QSqlDatabase db = QSqlDatabase::database(m_qtName, false);
        db.close();
    }
    m_connected = false;
}

// ---- field ---------------------------------------------------------------------------------

QString TField::AsString() const {
    if (m_value.isNull()) return {};
    // Texts, the most read, without a conversion.
    if (m_value.metaType() == QMetaType::fromType<QString>())
        return *static_cast<const QString*>(m_value.constData());
    switch (m_value.typeId()) {
        case QMetaType::QByteArray:
            return QString::fromUtf8(m_value.toByteArray());
        case QMetaType::QDateTime:
            return m_value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case QMetaType::QDate:
            return m_value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        case QMetaType::QTime:
            return m_value.toTime().toString(QStringLiteral("HH:mm:ss"));
        default:
            return m_value.toString();
    }
}

bool TField::IsNull() const {
    return ReadsAsNull(m_value);
}

int TField::AsInteger() const {
    if (ReadsAsNull(m_value)) return 0;
    switch (m_value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return static_cast<int>(m_value.toLongLong());
        case QMetaType::Double:
            return qRound(m_value.toDouble());
        default:
            break;
    }
    bool ok = false;
    const int v = AsString().trimmed().toInt(&ok);
    if (!ok)
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value for field '%2'")
                                 .arg(AsString(), m_name));
    return v;
}

// ---- dataset -------------------------------------------------------------------------------

void TSQLClientDataSet::SetCommandText(const QString& text) {
    if (m_active)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_commandText = text;
}

void TSQLClientDataSet::ClearResult() {
    m_values.clear();
    m_rowCount = 0;
    m_fieldNames.clear();
    m_fieldIndex.clear();
    m_lookupOrder.clear();
    m_pos = 0;
}

void TSQLClientDataSet::SetActive(bool active) {
    if (active == m_active) return;
    ClearResult();
    if (!active) {
        m_active = false;
        return;
    }
    if (!m_connection) throw EDatabaseError(QStringLiteral("Dataset has no connection"));
    if (m_commandText.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("No SQL statement available"));
    m_connection->DropIfFileReplaced();
    if (!m_connection->Connected()) m_connection->SetConnected(true);

    QString error;
    bool lost = false;
    bool ok = Fetch(&error, &lost);
    if (!ok && lost) {
        // A read may run again: the server went away since this connection logged on.
        m_connection->SetConnected(false);
        m_connection->SetConnected(true);
        ok = Fetch(&error, &lost);
    }
    if (!ok) {
        m_connection->SetConnected(false);
        throw EDatabaseError(error);
    }
    m_active = true;
}

bool TSQLClientDataSet::Fetch(QString* error, bool* lost) {
    ClearResult();
    const QSqlDatabase db = QSqlDatabase::database(m_connection->QtConnectionName(), false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (m_connection->OnStatement) m_connection->OnStatement(m_commandText);
    if (!query.exec(m_commandText)) {
        *error = ErrorText(query.lastError());
        *lost = ConnectionLost(db, query.lastError());
        return false;
    }
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        m_fieldNames.append(record.fieldName(i).toUpper());
        m_fieldIndex.insert(m_fieldNames.last(), m_fieldIndex.value(m_fieldNames.last(), i));
    }
    const int columns = record.count();
    while (query.next()) {
        for (int i = 0; i < columns; ++i) m_values.push_back(query.value(i));
        ++m_rowCount;
    }
    if (query.lastError().isValid()) {
        *error = ErrorText(query.lastError());
        *lost = ConnectionLost(db, query.lastError());
        ClearResult();
        return false;
    }
    return true;
}

void TSQLClientDataSet::RequireActive() const {
    if (!m_active)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TSQLClientDataSet::First() {
    RequireActive();
    m_pos = 0;
    m_lookupStep = 0;
}

void TSQLClientDataSet::Next() {
    RequireActive();
    if (m_pos < m_rowCount) ++m_pos;
    m_lookupStep = 0;
}

// A reader of many rows asks for the same names in the same order on every row: the n-th name
// asked for on this row is tried first where the n-th one was found on the row before.
int TSQLClientDataSet::FieldIndex(const QString& name) const {
    const size_t step = m_lookupStep++;
    if (step < m_lookupOrder.size() && m_fieldNames[m_lookupOrder[step]] == name)
        return m_lookupOrder[step];
    // Names mostly come in upper case already.
    int index = m_fieldIndex.value(name, -1);
    if (index < 0) index = m_fieldIndex.value(name.toUpper(), -1);
    if (index < 0) throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    if (step < m_lookupOrder.size())
        m_lookupOrder[step] = index;
    else if (step == m_lookupOrder.size())
        m_lookupOrder.push_back(index);
    return index;
}

bool TSQLClientDataSet::Eof() const {
    RequireActive();
    return m_pos >= m_rowCount;
}

int TSQLClientDataSet::RecordCount() const {
    RequireActive();
    return static_cast<int>(m_rowCount);
}

TField TSQLClientDataSet::FieldByName(const QString& name) const {
    RequireActive();
    const int index = FieldIndex(name);
    // Past the last row the last row stays current; an empty result reads as NULL.
    if (m_rowCount == 0) return TField(name, QVariant());
    const size_t pos = m_pos < m_rowCount ? m_pos : m_rowCount - 1;
    return TField(name, m_values[pos * m_fieldNames.size() + index]);
}

void RunQuery(TSQLClientDataSet& dataset, const QString& sql, TLogOn logOn,
              const TRowReader& eachRow, const std::function<void()>& afterRows) {
    TSQLConnection* connection = dataset.Connection();
    TQueryCleanup cleanup(dataset);
    dataset.SetCommandText(sql);
    if (logOn == TLogOn::ForTheQuery && connection && !connection->Connected())
        connection->SetConnected(true);
    if (!dataset.Active()) dataset.Open();
    for (dataset.First(); !dataset.Eof(); dataset.Next()) eachRow(dataset);
    dataset.Close();
    if (afterRows) afterRows();
    if (logOn == TLogOn::ForTheQuery && connection) connection->SetConnected(false);
}

QString FirstRowValue(TSQLClientDataSet& dataset, const QString& sql, TLogOn logOn,
                      const QString& field) {
    QString value;
    bool first = true;
    RunQuery(dataset, sql, logOn, [&](const TSQLClientDataSet& row) {
        if (first) value = row.FieldByName(field).AsString();
        first = false;
    });
    return value;
}
