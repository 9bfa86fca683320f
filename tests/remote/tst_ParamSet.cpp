// The parameter window: its groups, the newest stored values and how they are decoded.

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

#include "CommandFixture.h"
#include "MdiWindows.h"
#include "OracleDM.h"
#include "ParamSet.h"
#include "TestSupport.h"
#include "main.h"

namespace {
QString Ones(std::initializer_list<int> positions, QChar other = QLatin1Char('0')) {
    QString s(32, other);
    for (int p : positions) s[p - 1] = QLatin1Char('1');
    return s;
}

QString Fixture() {
    QString sql = QStringLiteral(
        "INSERT INTO AXLE_INFO VALUES ('A1', '경부선');"
        "INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L1', 'A1', '1');"
        "INSERT INTO SPOT_INFO VALUES ('S1', '한남대교', '서울');");
    for (const char* id : {"0101", "0102", "0103", "0104"}) {
        sql += QStringLiteral(
                   "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) "
                   "VALUES ('%1', 1, '2', 'Y', 'S1');"
                   "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('%1', "
                   "'L1', 1, 'Y');")
                   .arg(QString::fromLatin1(id));
    }
    auto row = [](const char* id, int index, const char* time, const QString& value) {
        return QStringLiteral(
                   "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, PARA%1_VALU) "
                   "VALUES ('%2', %3, '%4', '%5');")
            .arg(index, 3, 10, QLatin1Char('0'))
            .arg(QString::fromLatin1(id))
            .arg(index)
            .arg(QString::fromLatin1(time), value);
    };
    const char* old = "2026-12-01 09:00:00";
    const char* now = "2026-12-08 09:00:00";
    // 0101: every group, each also with an older row that must not show.
    sql += row("0101", 1, old, Ones({2, 3})) + row("0101", 1, now, Ones({1, 32}));
    sql += row("0101", 2, now, QStringLiteral("12") + QString(30, QLatin1Char('0')));
    sql += row("0101", 3, old, "99") + row("0101", 3, now, "30");
    sql += row("0101", 4, now, "005010");
    sql += row("0101", 5, now, "010020030040050060070080090100110120");
    sql += row("0101", 6, now, "030005001000");
    sql += row("0101", 12, now, "250") + row("0101", 13, now, "200") + row("0101", 14, now, "1800");
    sql += row("0101", 16, now, "x");
    // 0102: two rows with the same newest time.
    sql += row("0102", 1, now, Ones({3})) + row("0102", 1, now, Ones({4}));
    sql += row("0102", 3, now, "10") + row("0102", 3, now, "20");
    // 0104: damaged texts beside a good one.
    sql += row("0104", 1, now, Ones({1}).left(31));
    sql += row("0104", 2, now, QStringLiteral("1x") + QString(30, QLatin1Char('0')));
    sql += row("0104", 5, now, "010020");
    sql += row("0104", 3, now, "60");
    return sql;
}
}  // namespace

class tst_ParamSet : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TProgramFixture> fx;

    static PVirtualNode Leaf(TfrmParamSet& w, const QString& atcId) {
        TVirtualStringTree* t = w.Tree().LeafTree();
        for (PVirtualNode g = t->GetFirstChild(w.Tree().pAxisBranch); g; g = t->GetNextSibling(g))
            for (PVirtualNode n = t->GetFirstChild(g); n; n = t->GetNextSibling(n))
                if (t->GetNodeDataAs<data>(n)->strATC_ID == atcId) return n;
        return nullptr;
    }
    static QString Text(QWidget& w, const QString& name) {
        return w.findChild<QLineEdit*>(name)->text();
    }
    static QList<int> Ticked(QWidget& w, const char* pattern) {
        QList<int> out;
        for (int k = 1; k <= 32; ++k)
            if (w.findChild<QCheckBox*>(QString::asprintf(pattern, k))->isChecked()) out << k;
        return out;
    }
    // Every value control of the window, for "nothing changed" checks.
    static QStringList Snapshot(QWidget& w) {
        QStringList s;
        for (QLineEdit* e : w.findChildren<QLineEdit*>()) s << e->objectName() + '=' + e->text();
        for (QCheckBox* c : w.findChildren<QCheckBox*>())
            s << c->objectName() + '=' + (c->isChecked() ? "1" : "0");
        return s;
    }

private slots:
    void initTestCase() { fx = std::make_unique<TProgramFixture>(Fixture()); }
    void cleanupTestCase() { fx.reset(); }

    void layoutAndDesignTexts() {
        TfrmParamSet w;
        QCOMPARE(w.windowTitle(), QStringLiteral("제어기 파라미터 설정"));
        QCOMPARE(w.findChild<QGroupBox*>("grpLoop")->title(), QStringLiteral("루프 검지기 설정"));
        QCOMPARE(w.findChild<QCheckBox*>("chkLoop01")->text(), QStringLiteral(" 1번 루프"));
        QCOMPARE(w.findChild<QCheckBox*>("chkSpd32")->text(), QStringLiteral("32번 루프"));
        QCOMPARE(w.findChild<QLabel*>("lblAxisNo")->text(), QStringLiteral("한강북단"));
        QCOMPARE(w.findChild<QLabel*>("lblDevKind")->text(), QStringLiteral("VDS 제어기"));
        QCOMPARE(w.findChildren<QCheckBox*>().size(), 64);
        QCOMPARE(w.findChildren<QLineEdit*>().size(), 36);
        for (QLineEdit* e : w.findChildren<QLineEdit*>()) QVERIFY(e->text().isEmpty());
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->objectName() != "btnClose") QVERIFY(b->text() == "UP" || b->text() == "DN");
        QVERIFY(w.pCurSel() == nullptr);
    }

    void statementText() {
        QCOMPARE(
            ParamGroupSql("0101", 5),
            QStringLiteral(
                "SELECT MAGM_TIME, PARA_INDX, PARA001_VALU, PARA002_VALU, PARA003_VALU, "
                "PARA004_VALU, PARA005_VALU, PARA006_VALU, PARA012_VALU, PARA013_VALU, "
                "PARA014_VALU, PARA016_VALU, PARA017_VALU, PARA020_VALU  FROM ATC_PARA_HIST_INFO "
                "WHERE MAGM_TIME = (     SELECT     MAX(MAGM_TIME) TM     FROM ATC_PARA_HIST_INFO"
                "     WHERE ATC_ID = '0101'     AND PARA_INDX = 5 ) AND ATC_ID = '0101' "
                "AND PARA_INDX = 5 "));
        QVERIFY(ParamGroupSql("01'01", 1).contains("ATC_ID = '01''01'"));
    }

    void tickFillsEveryGroupFromTheNewestRows() {
        TfrmParamSet w;
        w.Tree().LeafTreeChecked(Leaf(w, "0101"));
        QCOMPARE(Ticked(w, "chkLoop%02d"), QList<int>({1, 32}));
        QCOMPARE(Ticked(w, "chkSpd%02d"), QList<int>({1}));  // a "2" leaves its box unticked
        QCOMPARE(Text(w, "edTraCollTerm"), QStringLiteral("30"));
        QCOMPARE(Text(w, "edCarExist"), QStringLiteral("005"));
        QCOMPARE(Text(w, "edCarNoExist"), QStringLiteral("010"));
        QCOMPARE(Text(w, "edCatF01"), QStringLiteral("0"));
        for (int k = 1; k <= 12; ++k) {
            const QString upper = QString::asprintf("%03d", 10 * k);
            QCOMPARE(Text(w, QString::asprintf("edCatT%02d", k)), upper);
            if (k < 12) QCOMPARE(Text(w, QString::asprintf("edCatF%02d", k + 1)), upper);
        }
        QCOMPARE(Text(w, "edCarCatF01"), QStringLiteral("0"));
        QCOMPARE(Text(w, "edCarCatT01"), QStringLiteral("0300"));
        QCOMPARE(Text(w, "edCarCatF02"), QStringLiteral("0300"));
        QCOMPARE(Text(w, "edCarCatT02"), QStringLiteral("0500"));
        QCOMPARE(Text(w, "edCarCatF03"), QStringLiteral("0500"));
        QCOMPARE(Text(w, "edCarCatT03"), QStringLiteral("1000"));
        QCOMPARE(Text(w, "edTraVolUpLimit"), QStringLiteral("250"));
        QCOMPARE(Text(w, "edVelUpLimit"), QStringLiteral("200"));
        QCOMPARE(Text(w, "edCarLenUpLimit"), QStringLiteral("1800"));
        QVERIFY(!dmOracle->dsQuery.Active());
    }

    void sameNewestTimeDecodesEveryRow() {
        TfrmParamSet w;
        w.Tree().LeafTreeChecked(Leaf(w, "0102"));
        QCOMPARE(Ticked(w, "chkLoop%02d"), QList<int>({3, 4}));
        QCOMPARE(Text(w, "edTraCollTerm"), QStringLiteral("20"));
    }

    void anotherTickEmptiesWhatItDoesNotReload() {
        TMessageRecorder boxes;
        TfrmParamSet w;
        w.Tree().LeafTreeChecked(Leaf(w, "0101"));
        w.findChild<QLineEdit*>("edVelUpLimit")->setText("typed, not sent");
        w.Tree().LeafTreeChecked(Leaf(w, "0103"));  // no stored rows at all
        for (QLineEdit* e : w.findChildren<QLineEdit*>())
            QVERIFY2(e->text().isEmpty(), qPrintable(e->objectName()));
        QVERIFY(Ticked(w, "chkLoop%02d").isEmpty() && Ticked(w, "chkSpd%02d").isEmpty());
        QVERIFY(boxes.messages.isEmpty());
    }

    void damagedTextsAreReportedAndTheRestLoads() {
        TMessageRecorder boxes;
        TfrmParamSet w;
        w.Tree().LeafTreeChecked(Leaf(w, "0104"));
        QCOMPARE(boxes.messages.size(), 3);
        QVERIFY2(boxes.messages[0].contains("0104") && boxes.messages[0].contains("파라미터 1의"),
                 qPrintable(boxes.messages[0]));
        QVERIFY2(boxes.messages[1].contains("파라미터 2의") && boxes.messages[1].contains("'x'"),
                 qPrintable(boxes.messages[1]));
        QVERIFY2(boxes.messages[2].contains("파라미터 5의"), qPrintable(boxes.messages[2]));
        // The damaged groups stay empty rather than half filled; the others are loaded.
        QVERIFY(Ticked(w, "chkLoop%02d").isEmpty());
        QVERIFY(Ticked(w, "chkSpd%02d").isEmpty());
        QVERIFY(Text(w, "edCatF01").isEmpty());
        QCOMPARE(Text(w, "edTraCollTerm"), QStringLiteral("60"));
    }

    void clearOneGroup_data() {
        QTest::addColumn<unsigned>("index");
        QTest::addColumn<QStringList>("emptied");
        QTest::newRow("1 loops") << 1u << QStringList({"chkLoop01", "chkLoop32"});
        QTest::newRow("4 pulses") << 4u << QStringList({"edCarExist", "edCarNoExist"});
        QTest::newRow("5 speed classes") << 5u << QStringList({"edCatF01", "edCatT12"});
        QTest::newRow("6 length classes") << 6u << QStringList({"edCarCatF01", "edCarCatT03"});
        QTest::newRow("14 length limit") << 14u << QStringList({"edCarLenUpLimit"});
        for (unsigned none : {0u, 7u, 8u, 9u, 10u, 11u, 15u, 20u})
            QTest::addRow("%u changes nothing", none) << none << QStringList();
    }
    void clearOneGroup() {
        QFETCH(unsigned, index);
        QFETCH(QStringList, emptied);
        TfrmParamSet w;
        w.Tree().LeafTreeChecked(Leaf(w, "0101"));
        const QStringList before = Snapshot(w);
        w.ClearParamGroup(index);
        const QStringList after = Snapshot(w);
        QStringList changed;
        for (int i = 0; i < before.size(); ++i)
            if (before[i] != after[i]) changed << before[i].section('=', 0, 0);
        for (const QString& name : emptied) QVERIFY2(changed.contains(name), qPrintable(name));
        if (emptied.isEmpty()) QVERIFY(changed.isEmpty());
        // Only the group's own controls change.
        for (const QString& name : changed) {
            QWidget* c = w.findChild<QWidget*>(name);
            const QString group = c->parentWidget()->objectName();
            QVERIFY2(group == w.findChild<QWidget*>(emptied.first())->parentWidget()->objectName(),
                     qPrintable(name));
        }
    }

    // vds-makedb renames a new database over the one the program keeps its connection to.
    void tickAfterTheFileWasReplacedReadsTheFileThere_data() {
        QTest::addColumn<bool>("removed");
        QTest::newRow("a new file renamed over it: its values") << false;
        QTest::newRow("the file removed: its error, once") << true;
    }
    void tickAfterTheFileWasReplacedReadsTheFileThere() {
        QFETCH(bool, removed);
        if (OnServer()) QSKIP("a file of the embedded database");
        TMessageRecorder boxes;
        TTempDatabase kept, replacement;
        kept.Load(Fixture());
        const QString stored = QStringLiteral("'30');");
        QCOMPARE(Fixture().count(stored), 1);
        replacement.Load(Fixture().replace(stored, QStringLiteral("'45');")));
        fx->UseDatabase(kept.Path());
        {
            TfrmParamSet w;
            w.Tree().LeafTreeChecked(Leaf(w, "0101"));
            QCOMPARE(Text(w, "edTraCollTerm"), QStringLiteral("30"));
            QVERIFY(fx->dm->vdsConnection.Connected());
            if (removed)
                QVERIFY(QFile::remove(kept.Path()));
            else
                kept.ReplaceWith(replacement);
            // As the operator ticks it again: through the tree's own toggle and its error route.
            const int lastResort = Application()->LastResortReports();
            Leaf(w, "0101")->setCheckState(0, Qt::Unchecked);
            Leaf(w, "0101")->setCheckState(0, Qt::Checked);
            QCOMPARE(Application()->LastResortReports(), lastResort);
            if (removed) {
                QCOMPARE(boxes.messages.size(), 1);
                QVERIFY2(boxes.messages.first().contains("unable to open"),
                         qPrintable(boxes.messages.first()));
            } else {
                QCOMPARE(Text(w, "edTraCollTerm"), QStringLiteral("45"));
                QVERIFY(boxes.messages.isEmpty());
            }
        }
        fx->UseDatabase(fx->db.Path());
    }
};

VDS_TEST_MAIN(tst_ParamSet)
#include "tst_ParamSet.moc"
