// Every SQL text of the monitoring program gives the same rows on the embedded database and on
// the server, over the same demo data.

#include <QtTest>

#include "AxisInfoFrm.h"
#include "DevSearchFrm.h"
#include "DevStsMonFrm.h"
#include "ResrGroupFrm.h"
#include "ResrInfoFrm.h"
#include "SqlTextComparison.h"
#include "StationSql.h"
#include "TestSupport.h"
#include "TrafMonTextFrm.h"

namespace {
// The search with one edit filled, in the edits' order: axis id and name, group number and name,
// survey point id and name.
QString SearchSql(int edit, const QString& typed) {
    QStringList edits(6);
    edits[edit] = typed;
    return SearchSql(edits);
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

        QTest::newRow("axis branch, VDS") << QStringList{AxisBranchSql(2)} << byAxis;
        QTest::newRow("axis branch, new signal") << QStringList{AxisBranchSql(1)} << byAxis;
        QTest::newRow("survey-point branch, VDS")
            << QStringList{ResrBranchSql(2)} << QStringList{"RESR_NAME1", "ATC_NUM1"};
        QTest::newRow("survey-point branch, new signal")
            << QStringList{ResrBranchSql(1)} << QStringList{"RESR_NAME1", "ATC_NUM1"};
        for (const QString& id : all) texts << OvdCountSql(id, 1) << OvdCountSql(id, 2);
        QTest::newRow("detector counts of every controller") << texts << QStringList();

        texts = QStringList{VdsGridSql(QuotedList(vds))};
        for (const QString& id : vds) texts << VdsGridSql(QuotedList({id}));
        QTest::newRow("VDS grid: all stations, then each") << texts << byDay;
        texts = QStringList{NewSglGridSql(QuotedList(signal))};
        for (const QString& id : signal) texts << NewSglGridSql(QuotedList({id}));
        QTest::newRow("new-signal grid: all stations, then each") << texts << byDay;
        QTest::newRow("collection time of the newest figures")
            << QStringList{ColDateSql(2, QuotedList(vds)), ColDateSql(1, QuotedList(signal)),
                           ColDateSql(2, QuotedList({vds.first()}))}
            << QStringList();

        texts = QStringList{StatusGridSql(2, QuotedList(vds)), StatusGridSql(1, QuotedList(signal)),
                            StatusGridSql(2, QuotedList(all))};
        for (const QString& id : all)
            texts << StatusGridSql(signal.contains(id) ? 1 : 2, QuotedList({id}));
        QTest::newRow("status window, both modes") << texts << byDay;

        texts = QStringList{SearchSql(QStringList(6))};
        const char* const editValues[] = {"SELECT AXLE_ID FROM AXLE_INFO",
                                          "SELECT AXLE_NAME FROM AXLE_INFO",
                                          "SELECT DISTINCT RESR_GRUP_NUM FROM RESR_SPOT_INFO",
                                          "SELECT DISTINCT RESR_GRUP_NAME FROM RESR_SPOT_INFO",
                                          "SELECT SPOT_ID FROM SPOT_INFO",
                                          "SELECT SPOT_NAME FROM SPOT_INFO"};
        for (int edit = 0; edit < 6; ++edit)
            for (const QString& v : demo->Values(QString::fromLatin1(editValues[edit])))
                texts << SearchSql(edit, v);
        texts << SearchSql(1, QStringLiteral("   "));
        QTest::newRow("search: no condition, then each value of each edit")
            << texts << QStringList();

        QTest::newRow("pick lists")
            << QStringList{AxisPickListSql(), ResrGroupPickListSql(), ResrPickListSql()}
            << QStringList();
    }
    void sameRowsOnBothDrivers() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, orderedBy);
        VerifySameRows(*demo, texts, orderedBy);
    }
};

VDS_TEST_MAIN(tst_MonitorSqlTexts)
#include "tst_MonitorSqlTexts.moc"
