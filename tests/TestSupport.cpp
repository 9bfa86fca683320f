#include "TestSupport.h"

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <utility>

#include "Db.h"
#include "SqlScript.h"

QString SourcePath(const QString& relative) {
    return QStringLiteral(VDS_SOURCE_DIR) + QLatin1Char('/') + relative;
}

bool OnServer() {
    const QString driver = TSQLConnection::DriverName();
    if (driver == QLatin1String("QSQLITE")) return false;
    if (driver != QLatin1String("QPSQL"))
        qFatal("no test database for the driver %s", qPrintable(driver));
    return true;
}

QString OnDriver(const QString& embedded, const QString& server) {
    return OnServer() ? server : embedded;
}

TDriverScope::TDriverScope(const char* driver) : m_previous(qgetenv("VDS_DB_DRIVER")) {
    qputenv("VDS_DB_DRIVER", driver);
}

TDriverScope::~TDriverScope() {
    qputenv("VDS_DB_DRIVER", m_previous);
}

QString TestUser() {
    return QStringLiteral("u");
}
QString TestPassword() {
    return QStringLiteral("p");
}

// ---- the test process's server -------------------------------------------------------------

namespace {
const QString kTemplate = QStringLiteral("vds_template");

QString Quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// A cluster of this process alone, so that a test may stop and start its server.
class TTestServer {
public:
    static TTestServer& Get() {
        static TTestServer* server = new TTestServer;
        s_started = server;
        return *server;
    }
    static TTestServer* IfStarted() { return s_started; }

    // Runs statements as the superuser, over a connection to database kept for the next call:
    // starting psql for each fixture cost more than the tests. The statements stop at the first
    // that fails (Qt's driver would report only the first of several). An empty text on success,
    // else the server's message.
    QString Exec(const QString& database, const QString& sql) {
        std::lock_guard<std::mutex> lock(m_mutex);
        PGconn* c = Connection(database);
        if (PQstatus(c) != CONNECTION_OK) return QString::fromUtf8(PQerrorMessage(c)).trimmed();
        PGresult* r = PQexec(c, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(r);
        QString error;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK &&
            status != PGRES_EMPTY_QUERY) {
            error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
            if (error.isEmpty()) error = QStringLiteral("the statements failed");
        }
        PQclear(r);
        return error;
    }

    // Drops the kept connection to database, before the database itself goes.
    void Forget(const QString& database) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (PGconn* c = m_connections.take(database)) PQfinish(c);
    }

    // Runs a program with the superuser's libpq environment; fails the process when it fails.
    void Run(const QString& program, const QStringList& arguments) const {
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.start(program, arguments);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0)
            qFatal("%s %s failed: %s%s", qPrintable(program), qPrintable(arguments.join(' ')),
                   p.readAllStandardOutput().constData(), p.readAllStandardError().constData());
    }

    void Halt() {
        if (m_halted) return;
        ForgetAll();
        Script(QStringLiteral("halt"));
        m_halted = true;
    }
    void Resume() {
        if (!m_halted) return;
        Script(QStringLiteral("resume"));
        m_halted = false;
    }
    void Stop() {
        ForgetAll();
        Script(QStringLiteral("stop"));
    }

    void ExportSuperuser() const {
        qputenv("PGUSER", m_user.toUtf8());
        qputenv("PGPASSWORD", m_password.toUtf8());
    }

    void AddOperator(const QString& user, const QString& password) {
        if (m_operators.contains(user)) return;
        Run(QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"),
             QStringLiteral("postgres"), QStringLiteral("-v"), QStringLiteral("name=") + user,
             QStringLiteral("-v"), QStringLiteral("password=") + password, QStringLiteral("-f"),
             SourcePath(QStringLiteral("db/postgres/add-operator.sql"))});
        m_operators.insert(user);
    }

private:
    PGconn* Connection(const QString& database) {
        PGconn*& c = m_connections[database];
        if (c && PQstatus(c) == CONNECTION_OK) return c;
        if (c) PQfinish(c);
        const QByteArray host = qgetenv("PGHOST"), port = qgetenv("PGPORT"), user = m_user.toUtf8(),
                         password = m_password.toUtf8(), name = database.toUtf8();
        const char* keys[] = {"host", "port", "user", "password", "dbname", "options", nullptr};
        const char* values[] = {host.constData(), port.constData(),
                                user.constData(), password.constData(),
                                name.constData(), "-c client_min_messages=warning",
                                nullptr};
        c = PQconnectdbParams(keys, values, 0);
        return c;
    }
    void ForgetAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (PGconn* c : std::as_const(m_connections)) PQfinish(c);
        m_connections.clear();
    }

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGUSER"), m_user);
        env.insert(QStringLiteral("PGPASSWORD"), m_password);
        env.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c client_min_messages=warning"));
        return env;
    }

    TTestServer() {
        QString root = qEnvironmentVariable("VDS_PG_ROOT");
        if (root.isEmpty()) root = QDir::tempPath() + QStringLiteral("/vds-pg-adhoc");
        m_dir = QStringLiteral("%1/%2-%3")
                    .arg(root, QCoreApplication::applicationName())
                    .arg(QCoreApplication::applicationPid());
        Script(QStringLiteral("start"));
        QFile env(m_dir + QStringLiteral("/env"));
        if (!env.open(QIODevice::ReadOnly)) qFatal("no %s", qPrintable(env.fileName()));
        for (const QByteArray& line : env.readAll().split('\n')) {
            const int eq = line.indexOf('=');
            if (eq < 0) continue;
            const QByteArray key = line.left(eq), value = line.mid(eq + 1);
            // The server as a site names it to the programs; the superuser stays with the tests.
            if (key == "PGHOST" || key == "PGPORT") qputenv(key.constData(), value);
            if (key == "PGUSER") m_user = QString::fromUtf8(value);
            if (key == "PGPASSWORD") m_password = QString::fromUtf8(value);
        }
        Run(SourcePath(QStringLiteral("db/postgres/setup.sh")), {kTemplate});
        AddOperator(TestUser(), TestPassword());
    }

    void Script(const QString& command) const {
        QProcess p;
        p.start(QStringLiteral("bash"),
                {SourcePath(QStringLiteral("scripts/pg-cluster.sh")), command, m_dir});
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0)
            qFatal("the test's PostgreSQL cluster (%s %s): %s", qPrintable(command),
                   qPrintable(m_dir), p.readAllStandardError().constData());
    }

    static inline TTestServer* s_started = nullptr;
    QString m_dir;
    QString m_user;
    QString m_password;
    QSet<QString> m_operators;
    bool m_halted = false;
    std::mutex m_mutex;
    QHash<QString, PGconn*> m_connections;
};

QString ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(f.readAll());
}
}  // namespace

void StopTestServer() {
    if (TTestServer* server = TTestServer::IfStarted()) server->Stop();
}

void AddOperatorAccount(const QString& user, const QString& password) {
    if (OnServer()) TTestServer::Get().AddOperator(user, password);
}

void UseWriterAccount() {
    if (OnServer()) TTestServer::Get().ExportSuperuser();
}

// ---- test databases ------------------------------------------------------------------------

namespace {
std::atomic<int> g_databases{0};
}  // namespace

TTempDatabase::TTempDatabase() : m_onServer(OnServer()) {
    Create(m_onServer ? QStringLiteral("vds_test_%1").arg(++g_databases)
                      : QStringLiteral("test.db"));
}

TTempDatabase::TTempDatabase(const QString& name) : m_onServer(OnServer()) {
    Create(name);
}

void TTempDatabase::Create(const QString& name) {
    if (!m_onServer) {
        m_path = m_dir.filePath(name);
        const QString error = RunSqlFile(m_path, SourcePath(QStringLiteral("db/schema.sql")));
        if (!error.isEmpty()) qFatal("schema: %s", qPrintable(error));
        return;
    }
    TTestServer& server = TTestServer::Get();
    server.Resume();
    m_path = name;
    // The template holds the tables and functions; grants on the database itself are not copied.
    server.Forget(name);
    QString error =
        server.Exec(QStringLiteral("postgres"),
                    QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(Quoted(name)));
    if (error.isEmpty())
        error = server.Exec(
            QStringLiteral("postgres"),
            QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(Quoted(name), kTemplate));
    if (error.isEmpty())
        error = server.Exec(name, ReadFile(SourcePath(QStringLiteral("db/postgres/grants.sql"))));
    if (!error.isEmpty()) qFatal("database %s: %s", qPrintable(name), qPrintable(error));
}

TTempDatabase::~TTempDatabase() {
    BringBack();
    if (!m_onServer) return;
    TTestServer::Get().Forget(m_path);
    TTestServer::Get().Exec(
        QStringLiteral("postgres"),
        QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(Quoted(m_path)));
}

QString TTempDatabase::Exec(const QString& sql) const {
    return m_onServer ? TTestServer::Get().Exec(m_path, sql) : RunSqlScript(m_path, sql);
}

void TTempDatabase::Load(const QString& sql) const {
    const QString error = Exec(sql);
    if (!error.isEmpty()) qFatal("fixture: %s", qPrintable(error));
}

void TTempDatabase::Empty() const {
    Load(
        QStringLiteral("DELETE FROM AXLE_INFO; DELETE FROM ROAD_LINK_INFO; DELETE FROM SPOT_INFO;"
                       "DELETE FROM ATC_INFO; DELETE FROM OVD_INFO; DELETE FROM RESR_SPOT_INFO;"
                       "DELETE FROM RESR_SPOT_CONF_INFO; DELETE FROM BASE_CODE_INFO; DELETE FROM "
                       "ATC_NEW_TRAF_INFO;"
                       "DELETE FROM COSM_NEW_TRAF_INFO; DELETE FROM EQUP_STAT_HIST_NEW_INFO;"
                       "DELETE FROM ATC_PARA_HIST_INFO; DELETE FROM OVD_MAGM_HIST_INFO; DELETE "
                       "FROM ACCU_TRAF_INFO;"));
}

void TTempDatabase::TakeAway() {
    if (m_onServer)
        TTestServer::Get().Halt();
    else if (QFile::exists(m_path))
        QFile::rename(m_path, m_path + QStringLiteral(".away"));
}

void TTempDatabase::BringBack() {
    if (m_onServer)
        TTestServer::Get().Resume();
    else if (QFile::exists(m_path + QStringLiteral(".away")))
        QFile::rename(m_path + QStringLiteral(".away"), m_path);
}

void TTempDatabase::ReplaceWith(TTempDatabase& other) {
    QVERIFY(!m_onServer);
    for (const char* journal : {"-journal", "-wal", "-shm"}) QFile::remove(m_path + journal);
    QCOMPARE(::rename(QFile::encodeName(other.m_path).constData(),
                      QFile::encodeName(m_path).constData()),
             0);
}

TUnreachableDatabase::TUnreachableDatabase()
    : m_variable(OnServer() ? "PGHOST" : "VDS_DB_DIR"), m_previous(qgetenv(m_variable)) {
    qputenv(m_variable, m_nowhere.path().toUtf8());
}

TUnreachableDatabase::~TUnreachableDatabase() {
    qputenv(m_variable, m_previous);
}

// ---- recorders -----------------------------------------------------------------------------

TMessageRecorder::TMessageRecorder() {
    m_previous = SetMessageHook([this](const QString& text) {
        messages.append(text);
        if (whileOpen) whileOpen(text);
    });
}

TMessageRecorder::~TMessageRecorder() {
    SetMessageHook(m_previous);
}

TShortIntervals::TShortIntervals() {
    m_previous = SetWorkIntervalHook([this](int ms) {
        asked.append(ms);
        return ms / 10;
    });
}

TShortIntervals::~TShortIntervals() {
    SetWorkIntervalHook(m_previous);
}

TSleepRecorder::TSleepRecorder() {
    m_previous = SetSleepHook([this](int ms) { waits.append(ms); });
}

TSleepRecorder::~TSleepRecorder() {
    SetSleepHook(m_previous);
}
