#pragma once
// What the tests share: a main that creates the programs' application object, a fresh database
// per test group on the driver under test, and recorders for message boxes and waits.
//
// The driver under test is the programs' own: VDS_DB_DRIVER. With QSQLITE a test database is a
// file; with QPSQL it is a database on a throwaway PostgreSQL cluster of the test process
// (scripts/pg-cluster.sh), whose socket the process's PGHOST and PGPORT name, so the programs
// reach it as they reach a site's server. A process that cannot have its cluster fails.

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>
#include <functional>

#include "Application.h"
#include "UiHooks.h"

// Stops this process's cluster, if it started one.
void StopTestServer();

#define VDS_TEST_MAIN(TestClass)                 \
    int main(int argc, char** argv) {            \
        TApplication app(argc, argv);            \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        int rc = 0;                              \
        {                                        \
            TestClass tc;                        \
            QTEST_SET_MAIN_SOURCE_PATH           \
            rc = QTest::qExec(&tc, argc, argv);  \
            app.FreeOwned();                     \
        }                                        \
        StopTestServer();                        \
        return rc;                               \
    }

// Whether the tests run on the database server rather than the embedded file.
bool OnServer();
// What differs between the two: the embedded database's text or the server's.
QString OnDriver(const QString& embedded, const QString& server);

// While it lives, the programs (and new test databases) use this driver.
class TDriverScope {
public:
    explicit TDriverScope(const char* driver);
    ~TDriverScope();
    Q_DISABLE_COPY(TDriverScope)

private:
    QByteArray m_previous;
};

// The account the tests start the control program with ("u", "p"); on the server an operator's
// read-only account of that name.
QString TestUser();
QString TestPassword();
// Makes another operator account on the server (nothing on the embedded database).
void AddOperatorAccount(const QString& user, const QString& password);
// The demo's writers (the stand-in server's answers, the live feed) log on as libpq's environment
// names: on the server this makes it the superuser's, for this process and what it starts.
void UseWriterAccount();

// A fresh database made from the schema, gone with the object. Path() is what the programs put
// into "Database": the file's path, or the database's name on the server.
class TTempDatabase {
public:
    TTempDatabase();
    // A database of this name: the file's name in a folder of its own, or the server's database
    // of that name, made afresh.
    explicit TTempDatabase(const QString& name);
    ~TTempDatabase();
    Q_DISABLE_COPY(TTempDatabase)

    QString Path() const { return m_path; }
    // Runs statements as the database's owner (any thread); an empty text on success, else the
    // database's message.
    QString Exec(const QString& sql) const;
    // Runs statements and asserts they succeeded.
    void Load(const QString& sql) const;
    // Everything after the schema: drop every row of every table.
    void Empty() const;

    // The database goes away for the programs, as a server that stops or a file that is moved
    // away, and comes back with what it held.
    void TakeAway();
    void BringBack();
    // Embedded only: other's file takes this one's name, renamed over it with the journals of
    // the old one removed first, as vds-makedb replaces a database; other is left without one.
    void ReplaceWith(TTempDatabase& other);

private:
    void Create(const QString& name);

    QTemporaryDir m_dir;
    QString m_path;
    bool m_onServer;
};

// While it lives, no database can be reached: the embedded one's folder is empty, the server's
// socket folder holds no server.
class TUnreachableDatabase {
public:
    TUnreachableDatabase();
    ~TUnreachableDatabase();

private:
    QTemporaryDir m_nowhere;
    const char* m_variable;
    QByteArray m_previous;
};

QString SourcePath(const QString& relative);

// Records every message box instead of showing it; each one counts as dismissed at once.
class TMessageRecorder {
public:
    TMessageRecorder();
    ~TMessageRecorder();
    QStringList messages;
    // Runs while a box is "open", before it counts as dismissed.
    std::function<void(const QString&)> whileOpen;

private:
    TMessageHook m_previous;
};

// Shortens the command buttons' work-thread interval to a tenth, so a routine still runs after
// its click, not within it; notes each interval asked for.
class TShortIntervals {
public:
    TShortIntervals();
    ~TShortIntervals();
    QVector<int> asked;

private:
    TIntervalHook m_previous;
};

// Records every wait instead of waiting.
class TSleepRecorder {
public:
    TSleepRecorder();
    ~TSleepRecorder();
    QVector<int> waits;

private:
    TSleepHook m_previous;
};
