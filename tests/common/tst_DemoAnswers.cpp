// The stand-in server's demo answers: what a controller would send back reaches the database.

#include <QtTest>

#include "Db.h"
#include "DemoAnswers.h"
#include "TestSupport.h"
#include "Text.h"

namespace {
QByteArray Frame(std::initializer_list<int> bytes) {
    QByteArray f;
    for (int b : bytes) f.append(static_cast<char>(b));
    return f;
}
}  // namespace

class tst_DemoAnswers : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTempDatabase> db;

    QStringList Rows(const QString& sql) {
        TSQLConnection c;
        c.SetParam("Database", db->Path());
        c.SetParam("User_Name", TestUser());
        c.SetParam("Password", TestPassword());
        TSQLClientDataSet ds(&c);
        ds.SetCommandText(sql);
        ds.Open();
        QStringList out;
        for (; !ds.Eof(); ds.Next()) out << ds.FieldByName("V").AsString();
        return out;
    }
    QString NewestParam(const char* id, int index) {
        return Rows(QStringLiteral("SELECT PARA%1_VALU V FROM ATC_PARA_HIST_INFO WHERE ATC_ID = "
                                   "'%2' AND PARA_INDX = %3 "
                                   "ORDER BY MAGM_TIME DESC LIMIT 1")
                        .arg(index, 3, 10, QLatin1Char('0'))
                        .arg(QString::fromLatin1(id))
                        .arg(index))
            .value(0);
    }
    QString NewestReply(const char* column, const char* id) {
        return Rows(QStringLiteral("SELECT %1 V FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = '%2' ORDER "
                                   "BY MAGM_RESP_TIME DESC LIMIT 1")
                        .arg(QString::fromLatin1(column), QString::fromLatin1(id)))
            .value(0);
    }

private slots:
    void initTestCase() { UseWriterAccount(); }
    void init() {
        db = std::make_unique<TTempDatabase>();
        db->Load(
            "INSERT INTO ATC_INFO (ATC_ID, EQUP_TYPE, ATC_VER, ATC_CRTE_DATE) VALUES ('0312', '2', "
            "'V1.2', '20040615');"
            "INSERT INTO ATC_INFO (ATC_ID, EQUP_TYPE) VALUES ('0313', '2');"
            "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM) VALUES ('0312', 'L1', 1);"
            "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM) VALUES ('0312', 'L2', 2);"
            // Stamps far ahead of the clock: a new row must still come out newest.
            "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, PARA003_VALU) VALUES "
            "('0312', 3, '2099-01-01 00:00:00', '30');"
            "INSERT INTO OVD_MAGM_HIST_INFO VALUES ('0312', '2099-01-01 00:00:00', 0, 59, 'E', "
            "'old');"
            "INSERT INTO EQUP_STAT_HIST_NEW_INFO (ATC_ID, STAT_TIME, COM_ERR_STAT) VALUES ('0312', "
            "'2000-01-01 00:00:00', '0');");
    }

    void uploadReportsTheStoredValueThenWhatWasDownloaded() {
        WriteDemoAnswers(db->Path(), Frame({3, 12, 15, 3}));
        QCOMPARE(Rows("SELECT COUNT(*) V FROM ATC_PARA_HIST_INFO WHERE PARA_INDX = 3"),
                 QStringList({"2"}));
        QCOMPARE(NewestParam("0312", 3), QStringLiteral("30"));
        WriteDemoAnswers(db->Path(), Frame({3, 12, 14, 3, 60}));
        WriteDemoAnswers(db->Path(), Frame({3, 12, 15, 3}));
        QCOMPARE(NewestParam("0312", 3), QStringLiteral("60"));
        // Nothing stored and nothing downloaded: nothing to report.
        WriteDemoAnswers(db->Path(), Frame({3, 12, 15, 13}));
        QCOMPARE(Rows("SELECT COUNT(*) V FROM ATC_PARA_HIST_INFO WHERE PARA_INDX = 13"),
                 QStringList({"0"}));
    }

    void downloadsComeBackInTheStoredForm_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("stored");
        QTest::newRow("loops 1, 9, 32")
            << Frame({3, 13, 14, 1, 0x80, 0x80, 0, 1}) << 1 << "10000000100000000000000000000001";
        QByteArray spd = Frame({3, 13, 14, 2}) + QByteArray(32, 0);
        spd[4] = 1;
        QTest::newRow("speed loop 1") << spd << 2 << "1" + QString(31, '0');
        QTest::newRow("pulses 3 and 5") << Frame({3, 13, 14, 4, 3, 5}) << 4 << "003005";
        QByteArray cat = Frame({3, 13, 14, 5});
        for (int k = 1; k <= 12; ++k) cat.append(char(10 * k));
        QTest::newRow("speed classes") << cat << 5 << "010020030040050060070080090100110120";
        QTest::newRow("length classes in 10 cm")
            << Frame({3, 13, 14, 6, 55, 90, 160}) << 6 << "055009001600";
        QTest::newRow("speed limit") << Frame({3, 13, 14, 13, 200}) << 13 << "200";
    }
    void downloadsComeBackInTheStoredForm() {
        QFETCH(QByteArray, download);
        QFETCH(int, index);
        QFETCH(QString, stored);
        WriteDemoAnswers(db->Path(), download);
        WriteDemoAnswers(db->Path(), Frame({3, 13, 15, index}));
        QCOMPARE(NewestParam("0313", index), stored);
    }

    void managementReplies() {
        WriteDemoAnswers(db->Path(), Frame({3, 12, 10, 1}));
        QCOMPARE(NewestReply("THRESHOLD", "0312"), QStringLiteral("1"));
        QCOMPARE(NewestReply("ECHO", "0312"),
                 QStringLiteral("old"));  // the other fields carried over
        WriteDemoAnswers(db->Path(), Frame({3, 12, 18}));
        QCOMPARE(NewestReply("MEMORY", "0312"), QStringLiteral("N"));
        WriteDemoAnswers(db->Path(), Frame({3, 12, 17}));
        QVERIFY(NewestReply("ONLINE_STATUS", "0312").toLongLong() > 3600);  // lost since 2000
        QByteArray echo = Frame({3, 12, 19}) + ToCp949(QStringLiteral("점검 중"));
        echo.append(QByteArray(13 - echo.size(), 0));
        WriteDemoAnswers(db->Path(), echo);
        QCOMPARE(NewestReply("ECHO", "0312"), QStringLiteral("점검 중"));
        QCOMPARE(Rows("SELECT COUNT(*) V FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = '0312'"),
                 QStringList({"5"}));
        // A controller without any earlier reply gets one.
        WriteDemoAnswers(db->Path(), Frame({3, 13, 18}));
        QCOMPARE(NewestReply("MEMORY", "0313"), QStringLiteral("N"));
    }

    // NULL is carried over as NULL, not as an empty text or a zero; a NULL stored parameter is
    // nothing to report.
    void storedNullsStayNull() {
        db->Load(
            "INSERT INTO OVD_MAGM_HIST_INFO VALUES ('0313', '2099-01-01 00:00:00', NULL, 7, 'E', "
            "NULL);"
            "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME) VALUES ('0313', 7, "
            "'2099-01-01 00:00:00');");
        WriteDemoAnswers(db->Path(), Frame({3, 13, 18}));
        QCOMPARE(Rows("SELECT COUNT(*) V FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = '0313' AND "
                      "THRESHOLD IS NULL AND ECHO IS NULL AND ONLINE_STATUS = 7"),
                 QStringList({"2"}));
        QCOMPARE(NewestReply("MEMORY", "0313"), QStringLiteral("N"));
        WriteDemoAnswers(db->Path(), Frame({3, 13, 15, 7}));
        QCOMPARE(Rows("SELECT COUNT(*) V FROM ATC_PARA_HIST_INFO WHERE PARA_INDX = 7"),
                 QStringList({"1"}));
    }

    void versionAndAccumulatedTraffic() {
        WriteDemoAnswers(db->Path(), Frame({3, 12, 21}));
        QCOMPARE(
            Rows("SELECT ATC_VER || ' ' || ATC_CRTE_DATE V FROM ATC_INFO WHERE ATC_ID = '0312'"),
            QStringList({"V2.1 20190315"}));
        WriteDemoAnswers(db->Path(), Frame({3, 12, 5}));
        QCOMPARE(
            Rows("SELECT COUNT(*) V FROM ACCU_TRAF_INFO WHERE ATC_ID = '0312' AND USED_STAT = 0"),
            QStringList({"24"}));  // twelve times, two lanes
        WriteDemoAnswers(db->Path(), Frame({3, 12, 5}));
        QVERIFY(
            Rows("SELECT COUNT(*) V FROM ACCU_TRAF_INFO WHERE ATC_ID = '0312'").value(0).toInt() <=
            26);
        // Reset and initialise leave the database alone.
        WriteDemoAnswers(db->Path(), Frame({3, 12, 12}));
        WriteDemoAnswers(db->Path(), Frame({3, 12, 13}));
        QCOMPARE(Rows("SELECT COUNT(*) V FROM ATC_INFO"), QStringList({"2"}));
    }
};

VDS_TEST_MAIN(tst_DemoAnswers)
#include "tst_DemoAnswers.moc"
