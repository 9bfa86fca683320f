#include "SimDb.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace {
bool OnServer() {
    return qEnvironmentVariable("VDS_DB_DRIVER") == QLatin1String("QPSQL");
}
}  // namespace

TSimDb::TSimDb(const QString& database, int busyTimeoutMs) : m_server(OnServer()) {
    static std::atomic<int> counter{0};
    m_name = QStringLiteral("vds-sim-%1").arg(++counter);
    if (!m_server && !QFileInfo(database).isFile()) {
        m_error = QStringLiteral("no database file at %1").arg(database);
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(
        m_server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(database);
    if (!m_server)
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open()) m_error = db.lastError().text();
}

TSimDb::~TSimDb() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase TSimDb::Db() const {
    return QSqlDatabase::database(m_name, false);
}

bool TSimDb::BeginWrite() {
    if (m_server) return Db().transaction();
    QSqlQuery q(Db());
    return q.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool TSimDb::Commit() {
    if (m_server) return Db().commit();
    QSqlQuery q(Db());
    return q.exec(QStringLiteral("COMMIT"));
}

void TSimDb::Rollback() {
    if (m_server) {
        Db().rollback();
        return;
    }
    QSqlQuery q(Db());
    q.exec(QStringLiteral("ROLLBACK"));
}

QString MissingDatabase(const QString& database) {
    if (OnServer() || QFileInfo(database).isFile()) return {};
    return QStringLiteral("no database file: %1").arg(database);
}

QString SimText(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return value.toString();
}
