// The demo's live feed: what one round writes, and that the monitor window shows it.

#include <QLabel>
#include <QtTest>

#include "Db.h"
#include "Grid.h"
#include "LiveFeed.h"
#include "MonitorFixture.h"
#include "TrafMonTextFrm.h"

namespace {
// Reads one column of a query on the test database as texts, as the programs read.
QStringList Column(const QString& database, const QString& sql) {
    QStringList values;
    TSQLConnection c;
    c.SetParam(QStringLiteral("Database"), database);
    c.SetParam(QStringLiteral("User_Name"), TestUser());
    c.SetParam(QStringLiteral("Password"), TestPassword());
    TSQLClientDataSet ds(&c);
    try {
        ds.SetCommandText(sql);
        ds.Open();
        for (; !ds.Eof(); ds.Next()) values << ds.FieldByName(ds.FieldNames().value(0)).AsString();
    } catch (const EDatabaseError& e) {
        values << QStringLiteral("SQL error: ") + e.Message();
    }
    return values;
}

const QDateTime kFirst(QDate(2030, 1, 1), QTime(12, 0, 0));
const QDateTime kSecond(QDate(2030, 1, 1), QTime(12, 0, 3));
}  // namespace

class tst_LiveFeed : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseWriterAccount(); }

    void roundAddsRowsWhereNoneAre() {
        TTempDatabase db;
        db.Load(QString::fromUtf8(kRoadNetwork));
        QRandomGenerator random(7);
        TFeedRound round;
        QCOMPARE(FeedOnce(db.Path(), random, kFirst, &round), QString());
        // A, B and C in two directions; N on two approaches; every operating controller's status.
        QCOMPARE(round.trafficRows, 6);
        QCOMPARE(round.crossRows, 2);
        QCOMPARE(round.statusRows, 4);
        QCOMPARE(Column(db.Path(), "SELECT ATC_ID || IOFL_TYPE FROM ATC_NEW_TRAF_INFO ORDER BY 1"),
                 QStringList({"A1", "A2", "B1", "B2", "C1", "C2"}));
        QCOMPARE(Column(db.Path(), "SELECT DISTINCT TYPE_TIME FROM ATC_NEW_TRAF_INFO"),
                 QStringList({"2030-01-01 12:00:00"}));
        QCOMPARE(
            Column(db.Path(), "SELECT ATC_ID || CROS_DIR_TYPE FROM COSM_NEW_TRAF_INFO ORDER BY 1"),
            QStringList({"N1", "N2"}));
        QCOMPARE(Column(db.Path(), "SELECT ATC_ID FROM EQUP_STAT_HIST_NEW_INFO ORDER BY 1"),
                 QStringList({"A", "B", "C", "N"}));
    }

    void laterRoundsUpdateInPlace() {
        TTempDatabase db;
        db.Load(QString::fromUtf8(kRoadNetwork));
        db.Load(QString::fromUtf8(kNewestTraffic));
        QRandomGenerator random(11);
        QCOMPARE(FeedOnce(db.Path(), random, kFirst), QString());
        const QStringList traffic =
            Column(db.Path(), "SELECT TRAF FROM ATC_NEW_TRAF_INFO ORDER BY ATC_ID, IOFL_TYPE");
        QCOMPARE(FeedOnce(db.Path(), random, kSecond), QString());
        // One newest row per key, all of the second round, each figure a step from the last.
        QCOMPARE(Column(db.Path(), "SELECT COUNT(*) FROM ATC_NEW_TRAF_INFO"), QStringList({"6"}));
        QCOMPARE(Column(db.Path(), "SELECT COUNT(*) FROM COSM_NEW_TRAF_INFO"), QStringList({"2"}));
        QCOMPARE(Column(db.Path(), "SELECT COUNT(*) FROM EQUP_STAT_HIST_NEW_INFO"),
                 QStringList({"4"}));
        QCOMPARE(Column(db.Path(), "SELECT DISTINCT TYPE_TIME FROM COSM_NEW_TRAF_INFO"),
                 QStringList({"2030-01-01 12:00:03"}));
        const QStringList now =
            Column(db.Path(), "SELECT TRAF FROM ATC_NEW_TRAF_INFO ORDER BY ATC_ID, IOFL_TYPE");
        QCOMPARE(now.size(), traffic.size());
        for (int i = 0; i < now.size(); ++i)
            QVERIFY2(qAbs(now[i].toInt() - traffic[i].toInt()) <= 15,
                     qPrintable(now[i] + " " + traffic[i]));
    }

    void faultsComeAndGo() {
        TTempDatabase db;
        db.Load(QString::fromUtf8(kRoadNetwork));
        QRandomGenerator random(3);
        int changed = 0, roundsWithFault = 0, roundsWithoutFault = 0;
        for (int i = 0; i < 150; ++i) {
            TFeedRound round;
            QCOMPARE(FeedOnce(db.Path(), random, kFirst.addSecs(3 * i), &round), QString());
            changed += round.flagsChanged;
            const QStringList faults =
                Column(db.Path(),
                       "SELECT COUNT(*) FROM EQUP_STAT_HIST_NEW_INFO WHERE "
                       "HRCL||HPOS||HROM||HRAM||SUMT||SLPF"
                       "||SSPF||SDOO||SFAF||SCOR||SACK||COM_ERR_STAT <> '111111111111'");
            (faults.value(0) == QLatin1String("0") ? roundsWithoutFault : roundsWithFault)++;
        }
        QVERIFY2(changed > 0, "no flag ever changed");
        QVERIFY(roundsWithFault > 0 && roundsWithoutFault > 0);
        QCOMPARE(Column(db.Path(),
                        "SELECT COUNT(*) FROM EQUP_STAT_HIST_NEW_INFO WHERE HRCL NOT IN ('0','1')"),
                 QStringList({"0"}));
    }

    void absentDatabaseIsNotCreated() {
        QTemporaryDir dir;
        const QString path = OnDriver(QDir(dir.path()).filePath(QStringLiteral("kelnor")),
                                      QStringLiteral("no_such_database"));
        QRandomGenerator random(1);
        QVERIFY(!FeedOnce(path, random, kFirst).isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void monitorShowsTheFedFigures() {
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TfrmTrafMonText form;
        auto* tree = form.findChild<TVirtualStringTree*>("ChkTree");
        tree->SetCheckState(tree->topLevelItem(0), csCheckedNormal);
        form.tmrQueryTimer();
        auto* label = form.findChild<QLabel*>("lblColDate");
        QCOMPARE(label->text(), QStringLiteral("2024/05/02 10:16:30"));
        QRandomGenerator random(5);
        QCOMPARE(FeedOnce(fx.db.Path(), random, kSecond), QString());
        form.tmrQueryTimer();
        QCOMPARE(label->text(), QStringLiteral("2030/01/01 12:00:03"));
        // C had no figures before; now its rows are there too.
        auto* grid = form.findChild<TfpSpread*>("SprVDS");
        QStringList numbers;
        for (int r = 1; r <= 6; ++r) {
            grid->SetRow(r);
            grid->SetCol(3);
            numbers << grid->Text();
        }
        numbers.sort();
        QCOMPARE(numbers, QStringList({"101", "101", "102", "102", "103", "103"}));
    }
};

VDS_TEST_MAIN(tst_LiveFeed)
#include "tst_LiveFeed.moc"
