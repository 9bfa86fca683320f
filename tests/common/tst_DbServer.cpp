// The database layer on the PostgreSQL server: accounts, the read-only role, a server restart,
// the Oracle functions the server has, and how its values read.

#include <QtTest>

#include "Db.h"
#include "TestSupport.h"

namespace {
struct TAccount {
    QString user;
    QString password;
};
const TAccount kMonitor = {QStringLiteral("kelnor"), QStringLiteral("wubrix")};

QString One(TSQLConnection& c, const QString& sql) {
    TSQLClientDataSet ds(&c);
    TQueryCleanup cleanup(ds);
    ds.SetCommandText(sql);
    ds.Open();
    const QString v = ds.FieldByName(QStringLiteral("V")).AsString();
    ds.Close();
    return v;
}

// What a statement gives: its first value, or the database's message.
QString Outcome(TSQLConnection& c, const QString& sql) {
    try {
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(sql);
        ds.Open();
        return ds.FieldNames().isEmpty() ? QString()
                                         : ds.FieldByName(ds.FieldNames()[0]).AsString();
    } catch (const EDatabaseError& e) {
        return QStringLiteral("error: ") + e.Message();
    }
}
}  // namespace

class tst_DbServer : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTempDatabase> db;

    void LogOnAs(TSQLConnection& c, const TAccount& account, int* logOns = nullptr) {
        c.BeforeConnect = [&c, account, logOns, this] {
            if (logOns) ++*logOns;
            c.SetParam(QStringLiteral("Database"), db->Path());
            c.SetParam(QStringLiteral("User_Name"), account.user);
            c.SetParam(QStringLiteral("Password"), account.password);
        };
    }

private slots:
    void initTestCase() {
        QVERIFY(OnServer());
        db = std::make_unique<TTempDatabase>();
        db->Load(QStringLiteral(
            "INSERT INTO AXLE_INFO VALUES ('01', '경부선'), ('02', ''), ('03', NULL);"
            "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE) VALUES ('0101', 231, '2');"
            "INSERT INTO ATC_NEW_TRAF_INFO VALUES "
            "('0101', '1', '2004-06-15 10:15:00', 120, 85.456, 12.5, '1');"
            "INSERT INTO OVD_MAGM_HIST_INFO VALUES ('0101', '2004-06-15 10:00:00', NULL, 3725, "
            "'N', '');"
            "CREATE ROLE outsider LOGIN PASSWORD 'x';"));
        AddOperatorAccount(QStringLiteral("operator2"), QStringLiteral("second"));
    }
    void cleanupTestCase() { db.reset(); }

    // ---- accounts -----------------------------------------------------------------------

    void refusedLogOnGivesTheServersMessage_data() {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << ""
                                        << "kelnor"
                                        << "guess"
                                        << "password authentication failed for user \"kelnor\"";
        QTest::newRow("unknown account") << ""
                                         << "nobody"
                                         << "x"
                                         << "password authentication failed for user \"nobody\"";
        QTest::newRow("unknown database") << "elsewhere"
                                          << "kelnor"
                                          << "wubrix"
                                          << "database \"elsewhere\" does not exist";
        QTest::newRow("an account without the reader's role")
            << ""
            << "outsider"
            << "x"
            << "User does not have CONNECT privilege";
    }
    void refusedLogOnGivesTheServersMessage() {
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), database.isEmpty() ? db->Path() : database);
        c.SetParam(QStringLiteral("User_Name"), user);
        c.SetParam(QStringLiteral("Password"), password);
        try {
            c.SetConnected(true);
            QFAIL("the log-on must be refused");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
        }
        QVERIFY(!c.Connected());
        // The right account on the same connection gets in.
        c.SetParam(QStringLiteral("Database"), db->Path());
        c.SetParam(QStringLiteral("User_Name"), kMonitor.user);
        c.SetParam(QStringLiteral("Password"), kMonitor.password);
        QCOMPARE(One(c, QStringLiteral("SELECT current_user V")), QStringLiteral("kelnor"));
    }

    void eachAccountReadsAsItself_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("monitoring program's fixed account") << "kelnor"
                                                            << "wubrix";
        QTest::newRow("the tests' operator") << TestUser() << TestPassword();
        QTest::newRow("another operator") << "operator2"
                                          << "second";
    }
    void eachAccountReadsAsItself() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        TSQLConnection c;
        LogOnAs(c, {user, password});
        QCOMPARE(One(c, QStringLiteral("SELECT current_user V")), user);
        QCOMPARE(One(c, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO")), QStringLiteral("3"));
    }

    // ---- the server keeps the programs to reading ----------------------------------------

    void writesAreRefusedByTheServer_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("statement");
        const QStringList writes = {
            "INSERT INTO AXLE_INFO VALUES ('09', 'x')",
            "UPDATE AXLE_INFO SET AXLE_NAME = 'x'",
            "DELETE FROM AXLE_INFO",
            "TRUNCATE AXLE_INFO",
            "DROP TABLE AXLE_INFO",
            "CREATE TABLE MINE (A integer)",
            "CREATE TEMP TABLE MINE (A integer)",
            "CREATE FUNCTION decode(a date, b date, c integer) RETURNS integer LANGUAGE sql AS "
            "'SELECT 1'"};
        for (const TAccount& a : {kMonitor, TAccount{TestUser(), TestPassword()}})
            for (const QString& w : writes)
                QTest::addRow("%s: %s", qPrintable(a.user), qPrintable(w.section(' ', 0, 2)))
                    << a.user << a.password << w;
    }
    void writesAreRefusedByTheServer() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, statement);
        TSQLConnection c;
        LogOnAs(c, {user, password});
        // The account's read-only default is the first guard; privileges hold without it.
        for (const char* session : {"", "SET SESSION CHARACTERISTICS AS TRANSACTION READ WRITE"}) {
            if (*session) QCOMPARE(Outcome(c, QString::fromLatin1(session)), QString());
            const QString outcome = Outcome(c, statement);
            QVERIFY2(outcome.startsWith(QLatin1String("error: ")), qPrintable(outcome));
            QVERIFY(!c.Connected());
        }
        TSQLConnection owner;
        LogOnAs(owner, kMonitor);
        QCOMPARE(One(owner, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO WHERE AXLE_NAME = 'x' "
                                           "OR AXLE_ID = '09'")),
                 QStringLiteral("0"));
        QCOMPARE(One(owner, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO")),
                 QStringLiteral("3"));
    }

    // ---- connection --------------------------------------------------------------------

    void failedStatementLogsOff() {
        TSQLConnection c;
        int logOns = 0;
        LogOnAs(c, kMonitor, &logOns);
        QCOMPARE(One(c, QStringLiteral("SELECT 1 V")), QStringLiteral("1"));
        QCOMPARE(logOns, 1);
        QVERIFY(Outcome(c, QStringLiteral("SELECT NO_SUCH_COLUMN FROM AXLE_INFO"))
                    .contains(QLatin1String("no_such_column")));
        QVERIFY(!c.Connected());
        QCOMPARE(One(c, QStringLiteral("SELECT 2 V")), QStringLiteral("2"));
        QCOMPARE(logOns, 2);
    }

    void serverRestartBetweenQueries() {
        TSQLConnection c;
        int logOns = 0;
        LogOnAs(c, kMonitor, &logOns);
        QCOMPARE(One(c, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO")), QStringLiteral("3"));
        QVERIFY(c.Connected());
        db->TakeAway();
        db->BringBack();
        // The connection logged on before the restart: its next query logs on afresh and runs.
        QCOMPARE(One(c, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO")), QStringLiteral("3"));
        QCOMPARE(logOns, 2);
        QVERIFY(c.Connected());
    }

    void serverDownFailsAndComesBack() {
        TSQLConnection c;
        int logOns = 0;
        LogOnAs(c, kMonitor, &logOns);
        QCOMPARE(One(c, QStringLiteral("SELECT 1 V")), QStringLiteral("1"));
        db->TakeAway();
        const QString outcome = Outcome(c, QStringLiteral("SELECT 2 V"));
        QVERIFY2(outcome.startsWith(QLatin1String("error: connection to server")),
                 qPrintable(outcome));
        QVERIFY(!c.Connected());
        db->BringBack();
        QCOMPARE(One(c, QStringLiteral("SELECT 3 V")), QStringLiteral("3"));
        QVERIFY(logOns >= 3);
    }

    // ---- values -------------------------------------------------------------------------

    void valuesReadAsTheEmbeddedDatabaseGivesThem_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<bool>("null");
        QTest::newRow("time stamp") << "SELECT TYPE_TIME V FROM ATC_NEW_TRAF_INFO"
                                    << "2004-06-15 10:15:00" << -1 << false;
        QTest::newRow("rounded speed") << "SELECT ROUND(SPED, 2) V FROM ATC_NEW_TRAF_INFO"
                                       << "85.46" << 85 << false;
        QTest::newRow("rate") << "SELECT OCCU_RATE V FROM ATC_NEW_TRAF_INFO"
                              << "12.5" << 13 << false;
        QTest::newRow("count") << "SELECT COUNT(*) V FROM AXLE_INFO"
                               << "3" << 3 << false;
        QTest::newRow("NULL number") << "SELECT THRESHOLD V FROM OVD_MAGM_HIST_INFO"
                                     << "" << 0 << true;
        QTest::newRow("empty text reads like NULL") << "SELECT ECHO V FROM OVD_MAGM_HIST_INFO"
                                                    << "" << 0 << true;
        QTest::newRow("empty text as a number") << "SELECT '' V"
                                                << "" << 0 << true;
        QTest::newRow("a blank is no empty text") << "SELECT ' ' V"
                                                  << " " << -1 << false;
        QTest::newRow("number text") << "SELECT ' 42 ' V"
                                     << " 42 " << 42 << false;
    }
    void valuesReadAsTheEmbeddedDatabaseGivesThem() {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(bool, null);
        TSQLConnection c;
        LogOnAs(c, kMonitor);
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(sql);
        ds.Open();
        const TField f = ds.FieldByName(QStringLiteral("V"));
        QCOMPARE(f.AsString(), text);
        QCOMPARE(f.IsNull(), null);
        if (integer >= 0)
            QCOMPARE(f.AsInteger(), integer);
        else
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, f.AsInteger());
    }

    // ---- the Oracle functions, alike on both --------------------------------------------

    void oracleRulesOnBothDrivers_data() {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<QString>("expected");
        QTest::newRow("3 args, match") << "DECODE('1','1','in')"
                                       << "in";
        QTest::newRow("3 args, no match gives NULL") << "DECODE('2','1','in')"
                                                     << "";
        QTest::newRow("4 args, default") << "DECODE('3','1','in','other')"
                                         << "other";
        QTest::newRow("NULL expression takes the default") << "DECODE(NULL,'1','a','z')"
                                                           << "z";
        QTest::newRow("NULL never matches NULL") << "DECODE(NULL,NULL,'a','z')"
                                                 << "z";
        QTest::newRow("text search against a number") << "DECODE(1,'1','in','out')"
                                                      << "in";
        QTest::newRow("number search against a text") << "DECODE('2',2,'yes','no')"
                                                      << "yes";
        QTest::newRow("numeric text by value") << "DECODE('02',2,'yes','no')"
                                               << "yes";
        QTest::newRow("text that holds no number") << "DECODE('x',2,'yes','no')"
                                                   << "no";
        QTest::newRow("texts compare exactly") << "DECODE('1 ','1','a','z')"
                                               << "z";
        QTest::newRow("number results with a number default") << "ROUND(DECODE('1','1',85.456,0),2)"
                                                              << "85.46";
        QTest::newRow("number default when none match") << "DECODE('2','1',85.456,0)"
                                                        << "0";
        QTest::newRow("TO_CHAR of a time stamp") << "TO_CHAR(TYPE_TIME,'YYYY-MM-DD')"
                                                 << "2004-06-15";
        QTest::newRow("TO_CHAR with time elements") << "TO_CHAR(TYPE_TIME,'YYYY/MM/DD HH24:MI:SS')"
                                                    << "2004/06/15 10:15:00";
        QTest::newRow("text column against a bare number")
            << "CASE WHEN IOFL_TYPE = 1 THEN 'y' ELSE 'n' END"
            << "y";
        QTest::newRow("bare number against a text column")
            << "CASE WHEN 2 = IOFL_TYPE THEN 'y' ELSE 'n' END"
            << "n";
        QTest::newRow("text column against a quoted number")
            << "CASE WHEN IOFL_TYPE = '1' THEN 'y' ELSE 'n' END"
            << "y";
    }
    void oracleRulesOnBothDrivers() {
        QFETCH(QString, expr);
        QFETCH(QString, expected);
        const QString sql = QStringLiteral("SELECT %1 V FROM ATC_NEW_TRAF_INFO").arg(expr);
        TSQLConnection server;
        LogOnAs(server, kMonitor);
        QCOMPARE(One(server, sql), expected);
        TDriverScope embedded("QSQLITE");
        TTempDatabase file;
        file.Load(
            QStringLiteral("INSERT INTO ATC_NEW_TRAF_INFO VALUES "
                           "('0101', '1', '2004-06-15 10:15:00', 120, 85.456, 12.5, '1');"));
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), file.Path());
        QCOMPARE(One(c, sql), expected);
    }
};

VDS_TEST_MAIN(tst_DbServer)
#include "tst_DbServer.moc"
