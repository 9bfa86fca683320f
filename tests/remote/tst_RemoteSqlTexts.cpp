// Every SQL text of the control program gives the same rows on the embedded database and on the
// server, over the same demo data.

#include <QtTest>

#include "ControllerTree.h"
#include "InfoReq.h"
#include "ParamSet.h"
#include "RemoteCtrl.h"
#include "SqlTextComparison.h"
#include "TestSupport.h"

class tst_RemoteSqlTexts : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TDemoOnBothDrivers> demo;

    // One text per value: the builder applied to every value the query lists.
    QStringList ForEach(const char* valuesSql,
                        const std::function<QString(const QString&)>& build) const {
        QStringList texts;
        for (const QString& v : demo->Values(QString::fromLatin1(valuesSql))) texts << build(v);
        return texts;
    }

private slots:
    void initTestCase() { demo = std::make_unique<TDemoOnBothDrivers>(); }
    void cleanupTestCase() { demo.reset(); }

    void sameRowsOnBothDrivers_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("orderedBy");
        const char* const everyController = "SELECT ATC_ID FROM ATC_INFO ORDER BY 1";

        QTest::newRow("axis list") << QStringList{AxisListSql()} << QStringList{"AXLE_NAME"};
        QTest::newRow("controllers of each axis")
            << ForEach("SELECT AXLE_ID FROM AXLE_INFO",
                       [](const QString& id) { return AxisControllersSql("2", id); })
            << QStringList();
        QTest::newRow("survey-point group list")
            << QStringList{ResrListSql()} << QStringList{"RESR_NAME"};
        QTest::newRow("controllers of each survey-point group")
            << ForEach("SELECT DISTINCT RESR_SPOT_ID FROM RESR_SPOT_INFO",
                       [](const QString& id) { return ResrControllersSql("2", id); })
            << QStringList();
        for (int direction : {1, 2})
            QTest::addRow("detectors of direction %d", direction)
                << ForEach(everyController,
                           [direction](const QString& id) { return OvdCountSql(id, direction); })
                << QStringList();
        QTest::newRow("operating detectors")
            << ForEach(everyController, [](const QString& id) { return LoopDetCountSql(id); })
            << QStringList();
        QTest::newRow("axis and controller number")
            << ForEach(everyController, [](const QString& id) { return AxisAndCtlNoSql(id); })
            << QStringList{"AXLE_NAME1", "ATC_NUM1"};
        for (int index : {1, 2, 3, 4, 5, 6, 12, 13, 14})
            QTest::addRow("parameter group %d of every controller", index)
                << ForEach(everyController,
                           [index](const QString& id) { return ParamGroupSql(id, index); })
                << QStringList();
        QTest::newRow("version") << ForEach(everyController, [](const QString& id) {
            return AtcVersionSql(id);
        }) << QStringList();
        QTest::newRow("newest management reply")
            << ForEach(everyController, [](const QString& id) { return CtrlResultSql(id); })
            << QStringList();
        QTest::newRow("accumulated traffic")
            << ForEach(everyController, [](const QString& id) { return AccuTrafSql(id); })
            << QStringList();
        // A value with a quote stays a value on both.
        QTest::newRow("a quote in the values")
            << QStringList{AxisControllersSql("2", "A01' OR '1'='1"),
                           ResrControllersSql("2", "R1' OR '1'='1"),
                           CtrlResultSql("0101' OR '1'='1"), AccuTrafSql("0101' OR '1'='1"),
                           AxisListSql()}
            << QStringList();
    }
    void sameRowsOnBothDrivers() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, orderedBy);
        VerifySameRows(*demo, texts, orderedBy);
    }
};

VDS_TEST_MAIN(tst_RemoteSqlTexts)
#include "tst_RemoteSqlTexts.moc"
