// The database layer on a real SQLite file, and the Oracle functions it adds.

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <ctime>
#include <functional>
#include <utility>

#include "Db.h"
#include "TestSupport.h"

namespace {
// Another process's write transaction on the file, as the live feed holds one every few seconds.
class TWriter {
public:
    explicit TWriter(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        sqlite3_busy_timeout(m_db, 2000);
    }
    ~TWriter() { sqlite3_close(m_db); }
    Q_DISABLE_COPY(TWriter)
    QString Exec(const char* sql) {
        char* error = nullptr;
        const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
        const QString message = rc == SQLITE_OK ? QString() : QString::fromUtf8(error);
        sqlite3_free(error);
        return message;
    }

private:
    sqlite3* m_db = nullptr;
};

// While it lives, SQLite's default file system is SQLite's own with the test's acts at two
// moments another process may pick: just after a log-on has opened its main database file, and
// when a query first waits for another's lock. Each act runs once. A connection opened through
// it keeps using it: declare it before the connections.
class TFileSystemMoments {
public:
    TFileSystemMoments() {
        s_current = this;
        m_base = sqlite3_vfs_find(nullptr);
        m_vfs = *m_base;
        m_vfs.zName = "vds-test-moments";
        m_vfs.xOpen = &Open;
        m_vfs.xSleep = &Sleep;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~TFileSystemMoments() {
        sqlite3_vfs_unregister(&m_vfs);
        s_current = nullptr;
    }
    Q_DISABLE_COPY(TFileSystemMoments)

    std::function<void()> afterOpen;
    std::function<void()> inFirstWait;

private:
    static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                    int* outFlags) {
        sqlite3_vfs* base = s_current->m_base;
        const int rc = base->xOpen(base, name, file, flags, outFlags);
        if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && s_current->afterOpen)
            std::exchange(s_current->afterOpen, {})();
        return rc;
    }
    // SQLite's busy wait sleeps between its tries for a lock.
    static int Sleep(sqlite3_vfs*, int microseconds) {
        if (s_current->inFirstWait) std::exchange(s_current->inFirstWait, {})();
        return s_current->m_base->xSleep(s_current->m_base, microseconds);
    }

    static inline TFileSystemMoments* s_current = nullptr;
    sqlite3_vfs* m_base;
    sqlite3_vfs m_vfs;
};
}  // namespace

class tst_Db : public QObject {
    Q_OBJECT
private:
    TTempDatabase* db = nullptr;

    QString One(TSQLConnection& c, const QString& sql) {
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(sql);
        ds.Open();
        return ds.FieldByName(QStringLiteral("V")).AsString();
    }

private slots:
    void initTestCase() {
        db = new TTempDatabase;
        db->Load(QStringLiteral(
            "INSERT INTO AXLE_INFO VALUES ('01', '경부선');"
            "INSERT INTO AXLE_INFO VALUES ('02', '올림픽대로');"
            "INSERT INTO AXLE_INFO VALUES ('03', NULL);"
            "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE) VALUES ('0101', 231, '2');"
            "INSERT INTO ACCU_TRAF_INFO VALUES ('0101', 1, '2004-06-15 10:00:00', 60, 10, 5, 0);"
            "INSERT INTO ACCU_TRAF_INFO VALUES ('0101', 2, '2004-06-15 10:00:00', 80, 12, 6, 0);"
            "INSERT INTO ACCU_TRAF_INFO VALUES ('0101', 3, '2004-06-15 10:00:00', 50, 20, 7, 0);"
            "INSERT INTO ACCU_TRAF_INFO VALUES ('0101', 4, '2004-06-15 10:00:00', 40, 22, 8, 0);"
            "INSERT INTO ROAD_LINK_INFO (LINK_ID, IOFL_TYPE) VALUES ('L1', '1');"
            "INSERT INTO ROAD_LINK_INFO (LINK_ID, IOFL_TYPE) VALUES ('L2', '2');"
            "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM) VALUES ('0101', 'L1', 1);"
            "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM) VALUES ('0101', 'L1', 2);"
            "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM) VALUES ('0101', 'L2', 3);"
            "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM) VALUES ('0101', 'L2', 4);"));
    }
    void cleanupTestCase() { delete db; }

    void connectRunsBeforeConnectEveryTime() {
        TSQLConnection c;
        QStringList seen;
        c.BeforeConnect = [&] {
            seen << c.Param(QStringLiteral("Database"));
            c.SetParam(QStringLiteral("Database"), db->Path());
        };
        QVERIFY(!c.Connected());
        c.SetConnected(true);
        QVERIFY(c.Connected());
        c.SetConnected(false);
        QVERIFY(!c.Connected());
        c.SetParam(QStringLiteral("Database"), QStringLiteral("changed"));
        c.SetConnected(true);
        QCOMPARE(seen, QStringList({QString(), QStringLiteral("changed")}));
        QCOMPARE(c.Param(QStringLiteral("Database")), db->Path());
    }

    void failedLogOnThrowsAndStaysDisconnected() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), QStringLiteral("/nonexistent/dir/none.db"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.SetConnected(true));
        QVERIFY(!c.Connected());
        // The programs never create a database by opening a wrong name.
        QVERIFY(!QFile::exists(QStringLiteral("/nonexistent/dir/none.db")));
        c.SetParam(QStringLiteral("Database"), db->Path());
        c.SetConnected(true);
        QVERIFY(c.Connected());
    }

    void relativeNameResolvesAgainstDbDir() {
        qputenv("VDS_DB_DIR", "/srv/traffic");
        QCOMPARE(TSQLConnection::ResolveDatabasePath(QStringLiteral("kelnor")),
                 QStringLiteral("/srv/traffic/kelnor"));
        QCOMPARE(TSQLConnection::ResolveDatabasePath(QStringLiteral("/abs/kelnor")),
                 QStringLiteral("/abs/kelnor"));
        qunsetenv("VDS_DB_DIR");
        QCOMPARE(TSQLConnection::ResolveDatabasePath(QStringLiteral("kelnor")),
                 QDir::current().filePath(QStringLiteral("kelnor")));
    }

    void openingConnectsAndWalksRows() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(
            QStringLiteral("SELECT AXLE_ID, AXLE_NAME FROM AXLE_INFO ORDER BY AXLE_ID "));
        QVERIFY(!c.Connected());
        ds.SetActive(true);
        QVERIFY(c.Connected());
        QVERIFY(ds.Active());
        QCOMPARE(ds.RecordCount(), 3);
        QStringList ids, names;
        for (ds.First(); !ds.Eof(); ds.Next()) {
            ids << ds.FieldByName(QStringLiteral("AXLE_ID")).AsString();
            names << ds.FieldByName(QStringLiteral("axle_name")).AsString();
        }
        QCOMPARE(ids, QStringList({"01", "02", "03"}));
        QCOMPARE(names, QStringList({"경부선", "올림픽대로", ""}));  // NULL reads as empty text
        QVERIFY(ds.FieldByName(QStringLiteral("AXLE_NAME")).AsString().isEmpty());
        ds.First();
        QCOMPARE(ds.FieldByName(QStringLiteral("AXLE_ID")).AsInteger(), 1);
        ds.SetActive(false);
        QVERIFY(!ds.Active());
        QVERIFY(c.Connected());  // closing a dataset leaves the connection alone
    }

    void commandTextRefusedWhileOpen() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(QStringLiteral("SELECT 1 V"));
        ds.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.SetCommandText(QStringLiteral("SELECT 2 V")));
        QCOMPARE(ds.CommandText(), QStringLiteral("SELECT 1 V"));
        ds.Close();
        ds.SetCommandText(QStringLiteral("SELECT 2 V"));
        ds.Open();
        QCOMPARE(ds.FieldByName(QStringLiteral("V")).AsInteger(), 2);
    }

    void failuresLeaveTheDatasetClosed() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(QStringLiteral("SELECT NO_SUCH_COLUMN FROM AXLE_INFO"));
        try {
            ds.Open();
            QFAIL("an SQL error must throw");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(QStringLiteral("NO_SUCH_COLUMN")),
                     qPrintable(e.Message()));
        }
        QVERIFY(!ds.Active());
        QVERIFY(!c.Connected());  // the next query logs on afresh
        ds.SetCommandText(
            QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO"));  // the next query can run
        ds.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.FieldByName(QStringLiteral("AXLE_NAME")));
        ds.Close();
        // The programs only read.
        ds.SetCommandText(QStringLiteral("DELETE FROM AXLE_INFO"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.Open());
        QVERIFY(!ds.Active());
    }

    void errorInAQueryScopeReleasesTheConnection() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        TSQLClientDataSet ds(&c);
        try {
            TQueryCleanup cleanup(ds);
            ds.SetCommandText(QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO"));
            ds.Open();
            ds.FieldByName(QStringLiteral("NO_SUCH_FIELD"));
            QFAIL("a missing field must throw");
        } catch (const EDatabaseError&) {
        }
        QVERIFY(!ds.Active());
        QVERIFY(!c.Connected());
    }

    // vds-makedb renames a new file over the old one; an operator's program reads what is there
    // now.
    void keptConnectionReadsTheFileThatIsThereNow_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("logOns");
        QTest::newRow("a new file renamed over it: logs on afresh") << "replace"
                                                                    << "new" << 2;
        QTest::newRow("changed in place: the same log-on") << "update"
                                                           << "changed" << 1;
        QTest::newRow("removed: the error, then the file put back") << "remove"
                                                                    << "new" << 3;
        // Between the log-on's look at the file and its open: the log-on holds the old file.
        QTest::newRow("renamed over it during the log-on: the next query logs on afresh")
            << "rename in the log-on"
            << "new" << 2;
    }
    void keptConnectionReadsTheFileThatIsThereNow() {
        QFETCH(QString, change);
        QFETCH(QString, after);
        QFETCH(int, logOns);
        TTempDatabase kept, replacement;
        kept.Load(QStringLiteral("INSERT INTO AXLE_INFO VALUES ('01', 'old');"));
        replacement.Load(QStringLiteral("INSERT INTO AXLE_INFO VALUES ('01', 'new');"));
        TFileSystemMoments moments;
        if (change == "rename in the log-on")
            moments.afterOpen = [&] { kept.ReplaceWith(replacement); };
        TSQLConnection c;
        int seen = 0;
        c.BeforeConnect = [&] {
            ++seen;
            c.SetParam(QStringLiteral("Database"), kept.Path());
        };
        const QString sql = QStringLiteral("SELECT AXLE_NAME V FROM AXLE_INFO");
        QCOMPARE(One(c, sql), QStringLiteral("old"));
        QVERIFY(!moments.afterOpen);
        QVERIFY(c.Connected());
        if (change == "replace") {
            kept.ReplaceWith(replacement);
        } else if (change == "update") {
            TWriter(kept.Path()).Exec("UPDATE AXLE_INFO SET AXLE_NAME = 'changed'");
        } else if (change == "remove") {
            QVERIFY(QFile::remove(kept.Path()));
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, One(c, sql));
            QVERIFY(!c.Connected());
            kept.ReplaceWith(replacement);
        }
        QCOMPARE(One(c, sql), after);
        QCOMPARE(seen, logOns);
    }

    // A reader may ask for a row's columns in any order, some twice, some not at all; each name
    // finds its own column whatever was asked for on the rows before.
    void fieldsReadInAnyOrder() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(QStringLiteral(
            "SELECT 'a1' A, 'b1' B, 'c1' C, 'x1' A UNION ALL SELECT 'a2', 'b2', 'c2', 'x2' "
            "UNION ALL SELECT 'a3', 'b3', 'c3', 'x3' UNION ALL SELECT 'a4', 'b4', 'c4', 'x4'"));
        ds.Open();
        const QList<QStringList> asked = {
            {"A", "B", "C"}, {"C", "a", "B", "A", "c"}, {"B"}, {"B", "A", "NONE", "C"}};
        QStringList seen;
        int row = 0;
        for (ds.First(); !ds.Eof(); ds.Next(), ++row) {
            for (const QString& name : asked[row]) {
                try {
                    seen << ds.FieldByName(name).AsString();
                } catch (const EDatabaseError&) {
                    seen << QStringLiteral("missing");
                }
            }
        }
        // Of two columns of one name, the first answers.
        QCOMPARE(seen, QStringList({"a1", "b1", "c1", "c2", "a2", "b2", "a2", "c2", "b3", "b4",
                                    "a4", "missing", "c4"}));
    }

    void emptyResultAndConversions() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO WHERE AXLE_ID = 'none'"));
        ds.Open();
        QVERIFY(ds.Eof());
        QCOMPARE(ds.RecordCount(), 0);
        QCOMPARE(ds.FieldByName(QStringLiteral("AXLE_ID")).AsString(), QString());
        ds.Close();
        ds.SetCommandText(QStringLiteral("SELECT 'abc' V, NULL N, 35.0 F, -7 I, '' E, ' ' B"));
        ds.Open();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.FieldByName(QStringLiteral("V")).AsInteger());
        QCOMPARE(ds.FieldByName(QStringLiteral("N")).AsInteger(), 0);
        // An empty text reads like NULL, as the centre's database stores it; a blank does not.
        QCOMPARE(ds.FieldByName(QStringLiteral("E")).AsInteger(), 0);
        QVERIFY(ds.FieldByName(QStringLiteral("E")).IsNull());
        QVERIFY(ds.FieldByName(QStringLiteral("N")).IsNull());
        QVERIFY(!ds.FieldByName(QStringLiteral("B")).IsNull());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ds.FieldByName(QStringLiteral("B")).AsInteger());
        QCOMPARE(ds.FieldByName(QStringLiteral("F")).AsString(), QStringLiteral("35"));
        QCOMPARE(ds.FieldByName(QStringLiteral("I")).AsInteger(), -7);
    }

    void decode_data() {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<QString>("expected");
        QTest::newRow("3 args, match") << "DECODE('1','1','in')"
                                       << "in";
        QTest::newRow("3 args, no match gives NULL") << "DECODE('2','1','in')"
                                                     << "";
        QTest::newRow("4 args, default") << "DECODE('3','1','in','other')"
                                         << "other";
        QTest::newRow("first of several matches") << "DECODE('2','1','a','2','b','2','c','z')"
                                                  << "b";
        QTest::newRow("NULL expression takes the default") << "DECODE(NULL,'1','a','z')"
                                                           << "z";
        QTest::newRow("NULL never matches NULL") << "DECODE(NULL,NULL,'a','z')"
                                                 << "z";
        QTest::newRow("text search against a number") << "DECODE(1,'1','in','out')"
                                                      << "in";
        QTest::newRow("number search against a text") << "DECODE('2',2,'yes','no')"
                                                      << "yes";
        QTest::newRow("texts compare exactly") << "DECODE('1 ','1','a','z')"
                                               << "z";
        QTest::newRow("TO_CHAR of a time stamp") << "TO_CHAR('2004-06-15 13:45:10','YYYY-MM-DD')"
                                                 << "2004-06-15";
        QTest::newRow("TO_CHAR of a date") << "TO_CHAR('2004-06-15','YYYY-MM-DD')"
                                           << "2004-06-15";
        QTest::newRow("TO_CHAR with time elements") << "TO_CHAR('2004-06-15 13:45:10','HH24:MI:SS')"
                                                    << "13:45:10";
        QTest::newRow("TO_CHAR of NULL") << "TO_CHAR(NULL,'YYYY-MM-DD')"
                                         << "";
        QTest::newRow("decimal text against a number") << "DECODE(2.5,'2.5','y','n')"
                                                       << "y";
        QTest::newRow("padded text against a number") << "DECODE(1,' 1 ','y','n')"
                                                      << "y";
        QTest::newRow("signed text against a number") << "DECODE(-3,'-3','y','+3','z','n')"
                                                      << "y";
        QTest::newRow("exponent text against a number") << "DECODE(1000,'1e3','y','n')"
                                                        << "y";
        QTest::newRow("16 digits against a number")
            << "DECODE(1234567890123457,'1234567890123457','y','n')"
            << "y";
        QTest::newRow("word against a number") << "DECODE(1,'one','y','n')"
                                               << "n";
        QTest::newRow("empty text against zero") << "DECODE(0,'','y','n')"
                                                 << "n";
        QTest::newRow("TO_CHAR of a date has midnight") << "TO_CHAR('2004-06-15','HH24:MI:SS')"
                                                        << "00:00:00";
        QTest::newRow("TO_CHAR of a stamp without seconds")
            << "TO_CHAR('2004-06-15 13:45','YYYY/MM/DD HH24:MI:SS')"
            << "2004/06/15 13:45:00";
        QTest::newRow("TO_CHAR of a stamp with T")
            << "TO_CHAR('2004-06-15T13:45:10','YYYYMMDDHH24MISS')"
            << "20040615134510";
        QTest::newRow("TO_CHAR of a text with blanks around it")
            << "TO_CHAR('  2004-06-15 13:45:10 ','DD.MM.YYYY')"
            << "15.06.2004";
        QTest::newRow("TO_CHAR in lower case: mm is the month")
            << "TO_CHAR('2004-06-15 13:45:10','yyyy-mm-dd hh24:mi:ss')"
            << "2004-06-15 13:45:10";
        QTest::newRow("TO_CHAR of a leap day") << "TO_CHAR('2004-02-29','YYYY-MM-DD')"
                                               << "2004-02-29";
        QTest::newRow("TO_CHAR of a small year")
            << "TO_CHAR('0999-12-31 23:59:59','YYYY HH24:MI:SS')"
            << "0999 23:59:59";
        QTest::newRow("TO_CHAR with a format beyond ASCII") << "TO_CHAR('2004-06-15','YYYY·MM·DD')"
                                                            << "2004·06·15";
        QTest::newRow("TO_CHAR of a text column")
            << "(SELECT TO_CHAR(DETC_TIME,'HH24:MI') FROM ACCU_TRAF_INFO WHERE LANE_NUM = 1)"
            << "10:00";
        QTest::newRow("TO_CHAR of a NULL column")
            << "(SELECT TO_CHAR(AXLE_NAME,'YYYY') FROM AXLE_INFO WHERE AXLE_ID = '03')"
            << "";
        QTest::newRow("TO_CHAR of a text alone") << "TO_CHAR('abc')"
                                                 << "abc";
    }
    void decode() {
        QFETCH(QString, expr);
        QFETCH(QString, expected);
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        QCOMPARE(One(c, QStringLiteral("SELECT %1 V").arg(expr)), expected);
    }

    void functionErrors_data() {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<QString>("message");
        QTest::newRow("DECODE with too few arguments") << "DECODE('1','1')"
                                                       << "DECODE needs";
        QTest::newRow("TO_CHAR of a word") << "TO_CHAR('x','YYYY')"
                                           << "not a date";
        QTest::newRow("TO_CHAR of a day the month lacks") << "TO_CHAR('2003-02-29','YYYY')"
                                                          << "not a date";
        QTest::newRow("TO_CHAR of hour 24") << "TO_CHAR('2004-06-15 24:00:00','YYYY')"
                                            << "not a date";
        QTest::newRow("TO_CHAR of a month without its zero") << "TO_CHAR('2004-6-15','YYYY')"
                                                             << "not a date";
        QTest::newRow("TO_CHAR of fractions of a second")
            << "TO_CHAR('2004-06-15 13:45:10.5','YYYY')"
            << "not a date";
        QTest::newRow("TO_CHAR of a number") << "TO_CHAR(20040615,'YYYY')"
                                             << "not a date";
        QTest::newRow("TO_CHAR with an unknown element") << "TO_CHAR('2004-06-15','YYYY-Q')"
                                                         << "unsupported";
        QTest::newRow("TO_CHAR with HH alone") << "TO_CHAR('2004-06-15','HH')"
                                               << "unsupported";
        QTest::newRow("TO_CHAR with three arguments") << "TO_CHAR('2004-06-15','YYYY','x')"
                                                      << "1 or 2";
    }
    void functionErrors() {
        QFETCH(QString, expr);
        QFETCH(QString, message);
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        try {
            One(c, QStringLiteral("SELECT %1 V").arg(expr));
            QFAIL("the query must fail");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
        }
    }

    // A stored stamp is a calendar time: the hour that a change to summer time skips is still
    // there, whatever zone the machine runs in.
    void toCharIgnoresTheMachinesTimeZone() {
        const QByteArray previous = qgetenv("TZ");
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        const QString shown =
            One(c, QStringLiteral("SELECT TO_CHAR('2026-03-29 02:30:00','YYYY-MM-DD HH24:MI') V"));
        previous.isNull() ? qunsetenv("TZ") : qputenv("TZ", previous);
        tzset();
        QCOMPARE(shown, QStringLiteral("2026-03-29 02:30"));
    }

    void decodeOnNumericColumnsAndAverages() {
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), db->Path());
        // Two inflow rows (60, 80) and two outflow rows: the inflow average counts the others as 0.
        const QString sql = QStringLiteral(
            "SELECT ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.SPED,0)),2) AS V "
            "FROM ACCU_TRAF_INFO M, OVD_INFO O, ROAD_LINK_INFO R "
            "WHERE M.ATC_ID = O.ATC_ID AND M.LANE_NUM = O.LANE_NUM AND O.LINK_ID = R.LINK_ID "
            "GROUP BY M.DETC_TIME ");
        QCOMPARE(One(c, sql), QStringLiteral("35"));
        // LANE_NUM is an integer column: a text search still matches it.
        QCOMPARE(
            One(c, QStringLiteral("SELECT DECODE(LANE_NUM,'2','two','other') V FROM ACCU_TRAF_INFO "
                                  "WHERE LANE_NUM = 2")),
            QStringLiteral("two"));
        // A bare number against a text column is taken as text.
        QCOMPARE(One(c, QStringLiteral("SELECT COUNT(*) V FROM ATC_INFO WHERE EQUP_TYPE = 2")),
                 QStringLiteral("1"));
    }

    // ---- error texts ----------------------------------------------------------------------

    void errorTextKeepsWhatFollowsANul() {
        const QString message =
            QStringLiteral("no such column: 01") + QChar(0) + QStringLiteral("9X");
        const EDatabaseError e(message);
        QCOMPARE(e.Message(), message);
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("no such column: 01\\09X"));
        // What the operator reads in the default handler's box.
        TMessageRecorder boxes;
        ReportException(e);
        QCOMPARE(boxes.messages, QStringList({QStringLiteral("no such column: 01\\09X")}));
    }

    // ---- a writer's lock ------------------------------------------------------------------

    void newDatabaseRunsInWalAndReadsReadOnly() {
        TTempDatabase fresh;
        fresh.Load(QStringLiteral("INSERT INTO AXLE_INFO VALUES ('01', 'A');"));
        // The scripts' writer has closed: only the database file is left.
        QVERIFY(!QFile::exists(fresh.Path() + QStringLiteral("-wal")));
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), fresh.Path());
        QCOMPARE(One(c, QStringLiteral("SELECT journal_mode V FROM pragma_journal_mode")).toLower(),
                 QStringLiteral("wal"));
        QCOMPARE(One(c, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO")), QStringLiteral("1"));
        // A write committed while the read-only connection stays open is seen by its next read.
        TWriter writer(fresh.Path());
        QCOMPARE(writer.Exec("INSERT INTO AXLE_INFO VALUES ('02', 'B')"), QString());
        QCOMPARE(One(c, QStringLiteral("SELECT COUNT(*) V FROM AXLE_INFO")), QStringLiteral("2"));
        QVERIFY_THROWS_EXCEPTION(
            EDatabaseError, One(c, QStringLiteral("INSERT INTO AXLE_INFO VALUES ('03', 'C')")));
    }

    void writerHoldingTheLockHoldsUpATickOnlyBriefly_data() {
        QTest::addColumn<bool>("wal");
        QTest::addColumn<bool>("released");  // in the tick's wait for the lock, else after it
        QTest::addColumn<bool>("fails");
        QTest::newRow("rollback journal, lock kept: one box within the tick")
            << false << false << true;
        QTest::newRow("rollback journal, lock released within the wait: the tick succeeds")
            << false << true << false;
        QTest::newRow("WAL, lock kept: the tick reads at once") << true << false << false;
    }
    void writerHoldingTheLockHoldsUpATickOnlyBriefly() {
        QFETCH(bool, wal);
        QFETCH(bool, released);
        QFETCH(bool, fails);
        TTempDatabase file;
        file.Load(QStringLiteral("INSERT INTO AXLE_INFO VALUES ('01', 'A');"));
        TWriter writer(file.Path());
        if (!wal) QCOMPARE(writer.Exec("PRAGMA journal_mode=DELETE"), QString());
        QCOMPARE(writer.Exec("BEGIN EXCLUSIVE; INSERT INTO AXLE_INFO VALUES ('02', 'B');"),
                 QString());
        TFileSystemMoments moments;
        QString commitError = QStringLiteral("not committed");
        if (released) moments.inFirstWait = [&] { commitError = writer.Exec("COMMIT"); };

        // A refresh tick as the monitor runs it: log on, read, close, log off; what it throws
        // goes to the application's default handler.
        TSQLConnection c;
        c.SetParam(QStringLiteral("Database"), file.Path());
        TSQLClientDataSet ds(&c);
        QString count;
        bool ticked = false;
        QElapsedTimer clock;
        const auto tick = [&] {
            count.clear();
            ticked = false;
            clock.start();
            QTimer::singleShot(0, [&] {
                ticked = true;
                TQueryCleanup cleanup(ds, true);
                ds.SetCommandText(QStringLiteral("SELECT COUNT(*) N FROM AXLE_INFO"));
                ds.Open();
                count = ds.FieldByName(QStringLiteral("N")).AsString();
                ds.Close();
                c.SetConnected(false);
            });
            QTRY_VERIFY(ticked);
        };
        TMessageRecorder boxes;
        qint64 boxAfterMs = -1;
        boxes.whileOpen = [&](const QString&) { boxAfterMs = clock.elapsed(); };
        tick();
        const qint64 tickMs = clock.elapsed();
        if (released) QCOMPARE(commitError, QString());
        if (fails) {
            QCOMPARE(boxes.messages.size(), 1);
            QVERIFY2(boxes.messages[0].contains(QStringLiteral("database is locked")),
                     qPrintable(boxes.messages[0]));
            QVERIFY2(boxAfterMs >= 0 && boxAfterMs < 1000, qPrintable(QString::number(boxAfterMs)));
            QVERIFY(count.isEmpty());
        } else {
            QCOMPARE(boxes.messages, QStringList());
            QVERIFY2(tickMs < 1000, qPrintable(QString::number(tickMs)));
            // WAL readers see the last commit, not the writer's open transaction.
            QCOMPARE(count, released ? QStringLiteral("2") : QStringLiteral("1"));
        }
        QVERIFY(!c.Connected());
        QVERIFY(!ds.Active());

        // Once the writer has committed, the next tick reads its row.
        if (!released) QCOMPARE(writer.Exec("COMMIT"), QString());
        tick();
        QCOMPARE(count, QStringLiteral("2"));
        QCOMPARE(boxes.messages.size(), fails ? 1 : 0);
    }
};

VDS_TEST_MAIN(tst_Db)
#include "tst_Db.moc"
