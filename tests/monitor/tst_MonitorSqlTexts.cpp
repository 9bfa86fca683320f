// Every SQL text of the monitoring program gives the same rows on the embedded database and on
// the server, over the same demo data.

#include <QtTest>

#include "SqlTextComparison.h"
#include "TestSupport.h"
#include "TrafMonTextFrm.h"

namespace {
const char* const kFlags[] = {"HRCL", "HPOS", "HROM", "HRAM", "SUMT", "SLPF",
                              "SSPF", "SDOO", "SFAF", "SCOR", "SACK"};

// The texts of the equipment-status, search and pick-list windows, joined here from their fixed
// pieces until those windows build them; a window's own builder then takes the place of each.
QString StatusSql(int mode, const QString& atcList) {
    QString s = QStringLiteral("SELECT ") +
                QStringLiteral("DISTINCT TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') YMD, ") +
                QStringLiteral("R.ROAD_NUM ROAD_NUM, ") +
                QStringLiteral("S.SPOT_NAME SPOT_NAME, ") + QStringLiteral("A.ATC_NUM ATC_NUM, ") +
                QStringLiteral("B.SYS_CODE_NAME ATC_KIND, ") +
                QStringLiteral("S.SPOT_LOCA SPOT_LOCA, ");
    for (const char* f : kFlags) s += QStringLiteral("E.%1 %1, ").arg(QLatin1String(f));
    s += QStringLiteral("E.COM_ERR_STAT COM_ERR_STAT ") + QStringLiteral("FROM  ") +
         QStringLiteral("ATC_NEW_TRAF_INFO M, ") + QStringLiteral("ROAD_LINK_INFO R, ") +
         QStringLiteral("SPOT_INFO S, ") + QStringLiteral("OVD_INFO O, ") +
         QStringLiteral("ATC_INFO A, ") + QStringLiteral("EQUP_STAT_HIST_NEW_INFO E, ") +
         QStringLiteral("BASE_CODE_INFO B ") + QStringLiteral("WHERE M.ATC_ID=O.ATC_ID ") +
         QStringLiteral("AND O.LINK_ID=R.LINK_ID ") +
         QStringLiteral("AND R.IOFL_TYPE=M.IOFL_TYPE ") + QStringLiteral("AND O.ATC_ID=A.ATC_ID ") +
         QStringLiteral("AND E.ATC_ID = A.ATC_ID ") +
         QStringLiteral("AND A.SET_SPOT_ID=S.SPOT_ID ") +
         QStringLiteral("AND B.CODE_TYPE = 'VD_EK' ") +
         QStringLiteral("AND B.SYS_CODE = A.EQUP_TYPE ") +
         (mode == 1 ? QStringLiteral("AND A.EQUP_TYPE = '1' ")
                    : QStringLiteral("AND A.EQUP_TYPE = '2' ")) +
         QStringLiteral("AND A.ATC_ID IN (") + atcList + QStringLiteral(") ") +
         QStringLiteral("ORDER BY TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') ");
    return s;
}

const char* const kSearchBase =
    "SELECT DISTINCT L.ROAD_NUM, A.ATC_NUM, S.SPOT_LOCA, DECODE(M.IOFL_TYPE,'1',M.TRAF) AS ITRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'1',M.SPED),2) AS ISPED, DECODE(M.IOFL_TYPE,'2',M.TRAF) AS OTRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'2',M.SPED),2) AS OSPED FROM ATC_NEW_TRAF_INFO M, ROAD_LINK_INFO L, "
    "SPOT_INFO S, OVD_INFO O, ATC_INFO A, RESR_SPOT_CONF_INFO C, RESR_SPOT_INFO R, AXLE_INFO X "
    "WHERE  C.RESR_GRUP_NUM = R.RESR_GRUP_NUM AND R.RESR_SPOT_ID = C.RESR_SPOT_ID AND "
    "C.SPOT_ID=S.SPOT_ID AND M.ATC_ID=O.ATC_ID AND O.LINK_ID=L.LINK_ID AND L.IOFL_TYPE=M.IOFL_TYPE "
    "AND O.ATC_ID=A.ATC_ID AND A.SET_SPOT_ID=S.SPOT_ID AND A.EQUP_TYPE = '2' AND A.OPER_STAT = 'Y' "
    "AND X.AXLE_ID = L.AXLE_ID AND L.LINK_ID=O.LINK_ID AND O.ATC_ID=A.ATC_ID ";

// The search with one edit's condition: its prefix, the typed value and "' ".
QString SearchSql(const char* prefix, const QString& typed) {
    return QString::fromLatin1(kSearchBase) + QLatin1String(prefix) + typed.trimmed() +
           QStringLiteral("' ");
}
}  // namespace

class tst_MonitorSqlTexts : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TDemoOnBothDrivers> demo;

    QStringList Ids(int equpType) const {
        return demo->Values(
            QStringLiteral("SELECT ATC_ID FROM ATC_INFO WHERE EQUP_TYPE = '%1' ORDER BY 1")
                .arg(equpType));
    }

private slots:
    void initTestCase() { demo = std::make_unique<TDemoOnBothDrivers>(); }
    void cleanupTestCase() { demo.reset(); }

    void sameRowsOnBothDrivers_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("orderedBy");
        const QStringList vds = Ids(2), signal = Ids(1);
        const QStringList all = vds + signal;
        const QStringList byAxis = {"AXLE_NAME1", "ATC_NUM1"};
        const QStringList byDay = {"YMD"};
        QStringList texts;

        QTest::newRow("axis branch, VDS")
            << QStringList{TfrmTrafMonText::AxisBranchSql(2)} << byAxis;
        QTest::newRow("axis branch, new signal")
            << QStringList{TfrmTrafMonText::AxisBranchSql(1)} << byAxis;
        QTest::newRow("survey-point branch, VDS") << QStringList{TfrmTrafMonText::ResrBranchSql(2)}
                                                  << QStringList{"RESR_NAME1", "ATC_NUM1"};
        QTest::newRow("survey-point branch, new signal")
            << QStringList{TfrmTrafMonText::ResrBranchSql(1)}
            << QStringList{"RESR_NAME1", "ATC_NUM1"};
        for (const QString& id : all)
            texts << TfrmTrafMonText::CountOvdSql(id, 1) << TfrmTrafMonText::CountOvdSql(id, 2);
        QTest::newRow("detector counts of every controller") << texts << QStringList();

        texts = QStringList{TfrmTrafMonText::VdsGridSql(QuotedList(vds))};
        for (const QString& id : vds) texts << TfrmTrafMonText::VdsGridSql(QuotedList({id}));
        QTest::newRow("VDS grid: all stations, then each") << texts << byDay;
        texts = QStringList{TfrmTrafMonText::NewSglGridSql(QuotedList(signal))};
        for (const QString& id : signal) texts << TfrmTrafMonText::NewSglGridSql(QuotedList({id}));
        QTest::newRow("new-signal grid: all stations, then each") << texts << byDay;
        QTest::newRow("collection time of the newest figures")
            << QStringList{TfrmTrafMonText::ColDateSql(2, QuotedList(vds)),
                           TfrmTrafMonText::ColDateSql(1, QuotedList(signal)),
                           TfrmTrafMonText::ColDateSql(2, QuotedList({vds.first()}))}
            << QStringList();

        texts = QStringList{StatusSql(2, QuotedList(vds)), StatusSql(1, QuotedList(signal)),
                            StatusSql(2, QuotedList(all))};
        for (const QString& id : all)
            texts << StatusSql(signal.contains(id) ? 1 : 2, QuotedList({id}));
        QTest::newRow("status window, both modes") << texts << byDay;

        texts = QStringList{QString::fromLatin1(kSearchBase)};
        for (const QString& v : demo->Values("SELECT AXLE_ID FROM AXLE_INFO"))
            texts << SearchSql("AND X.AXLE_ID = '", v);
        for (const QString& v : demo->Values("SELECT AXLE_NAME FROM AXLE_INFO"))
            texts << SearchSql("AND X.AXLE_NAME = '", v);
        for (const QString& v : demo->Values("SELECT DISTINCT RESR_GRUP_NUM FROM RESR_SPOT_INFO"))
            texts << SearchSql("AND R.RESR_GRUP_NUM = '", v);
        for (const QString& v : demo->Values("SELECT DISTINCT RESR_GRUP_NAME FROM RESR_SPOT_INFO"))
            texts << SearchSql("AND R.RESR_GRUP_NAME = '", v);
        for (const QString& v : demo->Values("SELECT RESR_SPOT_ID FROM RESR_SPOT_INFO"))
            texts << SearchSql("AND R.RESR_SPOT_ID = '", v);
        for (const QString& v : demo->Values("SELECT RESR_NAME FROM RESR_SPOT_INFO"))
            texts << SearchSql("AND R.RESR_NAME = '", v);
        texts << SearchSql("AND X.AXLE_NAME = '", QStringLiteral("   "));
        QTest::newRow("search: no condition, then each value of each edit")
            << texts << QStringList();

        QTest::newRow("pick lists") << QStringList{"SELECT AXLE_ID, AXLE_NAME FROM AXLE_INFO ",
                                                   "SELECT DISTINCT RESR_GRUP_NUM, RESR_GRUP_NAME, "
                                                   "RESR_SPOT_ID FROM RESR_SPOT_INFO ",
                                                   "SELECT SPOT_ID, SPOT_NAME FROM SPOT_INFO "}
                                    << QStringList();
    }
    void sameRowsOnBothDrivers() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, orderedBy);
        int total = 0;
        for (const QString& sql : texts) {
            int rows = 0;
            const QString difference = demo->Compare(sql, orderedBy, &rows);
            QVERIFY2(difference.isEmpty(), qPrintable(sql + QStringLiteral("\n") + difference));
            total += rows;
        }
        // A comparison of empty results would prove nothing.
        QVERIFY(total > 0);
    }
};

VDS_TEST_MAIN(tst_MonitorSqlTexts)
#include "tst_MonitorSqlTexts.moc"
