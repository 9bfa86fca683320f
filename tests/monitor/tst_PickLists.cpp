// The search window's three pick lists: their SQL texts, loading at every activation, the
// survey-point-group list's one row per run of equal numbers, and "확인" delivering to the search
// window opened last.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "AxisInfoFrm.h"
#include "Db.h"
#include "DevSearchFrm.h"
#include "DevStsMonFrm.h"
#include "GridProbe.h"
#include "MonitorFixture.h"
#include "ResrGroupFrm.h"
#include "ResrInfoFrm.h"

namespace {
enum TKind { kAxis, kGroup, kPoint };

std::unique_ptr<TfrmPickList> Make(int kind) {
    if (kind == kAxis) return std::make_unique<TfrmAxisInfo>();
    if (kind == kGroup) return std::make_unique<TfrmResrGroup>();
    return std::make_unique<TfrmResrInfo>();
}

TfpSpread* GridOf(QWidget& form) {
    return form.findChild<TfpSpread*>("fpSpread1");
}

void Activate(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

QList<QStringList> Sorted(QList<QStringList> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The rows a list shows, each once. The group list writes a row per run of equal numbers in the
// order the database returns them; a server that gives the rows of one group apart (hashing
// DISTINCT) lists that group more than once.
QList<QStringList> Listed(TfpSpread* grid, int kind) {
    QList<QStringList> rows = FilledRows(grid);
    if (kind != kGroup) return rows;
    QList<QStringList> once;
    for (const QStringList& r : rows)
        if (!once.contains(r)) once << r;
    return once;
}

// The pair of edits of the search window that a kind of pick list fills.
QStringList Pair(TfrmDevSearch& search, int kind) {
    const char* const names[][2] = {
        {"edAxisNo", "edAxisName"}, {"edResrGrpId", "edResrGrpName"}, {"edResrId", "edResrName"}};
    return {search.findChild<QLineEdit*>(names[kind][0])->text(),
            search.findChild<QLineEdit*>(names[kind][1])->text()};
}

const char* const kDotButtons[] = {"btnAxis", "btnResrGrp", "btnResr"};

QWidget* Newest(int kind) {
    if (kind == kAxis) return frmAxisInfo;
    if (kind == kGroup) return frmResrGroup;
    return frmResrInfo;
}

// What each kind lists of the shared road network, and the table it reads.
const QList<QStringList> kAxes = {{"X1", "경부선"}, {"X2", "영동선"}, {"X3", "국도3호선"}};
const QList<QStringList> kGroups = {{"0", "전체"}};
const QList<QStringList> kPoints = {{"SA", "  서울TG  "},
                                    {"SB", "수원IC"},
                                    {"SC", "강릉JC"},
                                    {"SN", "의정부교차로"},
                                    {"SX", "폐쇄지점"}};
const char* const kTables[] = {"AXLE_INFO", "RESR_SPOT_INFO", "SPOT_INFO"};

// The log-ons of the connection a kind of pick list reads over.
class TPickDb : public TMonitorDb {
public:
    explicit TPickDb(const QString& fixture = QString::fromUtf8(kRoadNetwork))
        : TMonitorDb(fixture) {
        CountLogOns(dm->vdsConnection2, logOns2);
    }
    int LogOnsOf(int kind) const { return kind == kGroup ? logOns2 : logOns; }
    bool Released() const {
        return !dm->vdsConnection.Connected() && !dm->vdsConnection2.Connected() &&
               !dm->dsPoint.Active() && !dm->dsQuery2.Active();
    }
    int logOns2 = 0;
};

void AddKinds() {
    QTest::addColumn<int>("kind");
    QTest::newRow("axis list") << int(kAxis);
    QTest::newRow("survey-point group list") << int(kGroup);
    QTest::newRow("survey point list") << int(kPoint);
}
}  // namespace

class tst_PickLists : public QObject {
    Q_OBJECT
private slots:
    void createdAsLaidOut_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<QRect>("grid");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QRect>("button");
        QTest::newRow("axis list") << int(kAxis) << "frmAxisInfo"
                                   << "축정보" << QPoint(570, 383) << QRect(0, 0, 281, 193)
                                   << QStringList({"축번호", "축명"}) << QRect(224, 200, 57, 33);
        QTest::newRow("survey-point group list")
            << int(kGroup) << "frmResrGroup"
            << "지점군정보" << QPoint(518, 573) << QRect(0, 0, 289, 169)
            << QStringList({"지점군번호", "이름"}) << QRect(232, 176, 57, 33);
        QTest::newRow("survey point list")
            << int(kPoint) << "frmResrInfo"
            << "지점정보" << QPoint(880, 583) << QRect(8, 8, 273, 201)
            << QStringList({"지점번호", "지점명"}) << QRect(216, 216, 65, 33);
    }
    void createdAsLaidOut() {
        QFETCH(int, kind);
        QFETCH(QString, object);
        QFETCH(QString, caption);
        QFETCH(QPoint, place);
        QFETCH(QRect, grid);
        QFETCH(QStringList, headers);
        QFETCH(QRect, button);
        TPickDb fx;
        auto form = Make(kind);
        QCOMPARE(form->objectName(), object);
        QCOMPARE(form->windowTitle(), caption);
        QVERIFY(form->isWindow());
        QCOMPARE(form->pos(), place);
        QCOMPARE(GridOf(*form)->geometry(), grid);
        QCOMPARE(GridOf(*form)->MaxCols(), 2);
        QCOMPARE(GridOf(*form)->MaxRows(), 500);
        QCOMPARE(Headers(GridOf(*form)), headers);
        auto* ok = form->findChild<QPushButton*>("btnOk");
        QCOMPARE(ok->geometry(), button);
        QCOMPARE(ok->text(), QStringLiteral("확인"));
        // Nothing is read before the list is activated.
        QCOMPARE(fx.logOns + fx.logOns2, 0);
        QCOMPARE(RowsWithText(GridOf(*form)), 0);
    }

    void sqlTexts_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("axis list")
            << AxisPickListSql() << "SELECT AXLE_ID, AXLE_NAME FROM AXLE_INFO ";
        QTest::newRow("survey-point group list")
            << ResrGroupPickListSql()
            << "SELECT DISTINCT RESR_GRUP_NUM, RESR_GRUP_NAME, RESR_SPOT_ID FROM RESR_SPOT_INFO ";
        QTest::newRow("survey point list")
            << ResrPickListSql() << "SELECT SPOT_ID, SPOT_NAME FROM SPOT_INFO ";
    }
    void sqlTexts() {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
    }

    void loadsOnEachActivation_data() { AddKinds(); }
    void loadsOnEachActivation() {
        QFETCH(int, kind);
        TPickDb fx;
        TMessageRecorder boxes;
        const QList<QStringList> first[] = {kAxes, kGroups, kPoints};
        auto form = Make(kind);
        form->Show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(Sorted(Listed(GridOf(*form), kind)), Sorted(first[kind]));
        QCOMPARE(fx.LogOnsOf(kind), 1);
        QVERIFY(fx.Released());

        const QString added[] = {
            "INSERT INTO AXLE_INFO VALUES ('X4','서해안선');",
            "INSERT INTO RESR_SPOT_INFO VALUES ('7','새 지점군','R7','새 지점');",
            "INSERT INTO SPOT_INFO VALUES ('SY','새 지점','어딘가');"};
        const QStringList row[] = {{"X4", "서해안선"}, {"7", "새 지점군"}, {"SY", "새 지점"}};
        fx.db.Load(added[kind]);
        QWidget other;
        Activate(other);
        QCOMPARE(fx.LogOnsOf(kind), 1);
        // A message box coming between is no return from another window: nothing is read.
        QDialog box;
        Activate(*form);
        Activate(box);
        box.hide();
        Activate(*form);
        QCOMPARE(fx.LogOnsOf(kind), 2);
        QCOMPARE(Sorted(Listed(GridOf(*form), kind)),
                 Sorted(first[kind] + QList<QStringList>({row[kind]})));
        QCOMPARE(boxes.messages, QStringList());
    }

    void aShrunkTableLeavesNoStaleRows_data() { AddKinds(); }
    void aShrunkTableLeavesNoStaleRows() {
        QFETCH(int, kind);
        TPickDb fx;
        auto form = Make(kind);
        form->FormActivate();
        const int before = RowsWithText(GridOf(*form));
        QVERIFY(before > 0);
        const QString keepOne[] = {"DELETE FROM AXLE_INFO WHERE AXLE_ID <> 'X2';",
                                   "DELETE FROM RESR_SPOT_INFO WHERE RESR_SPOT_ID <> 'R2';",
                                   "DELETE FROM SPOT_INFO WHERE SPOT_ID <> 'SC';"};
        const QStringList kept[] = {{"X2", "영동선"}, {"0", "전체"}, {"SC", "강릉JC"}};
        fx.db.Load(keepOne[kind]);
        form->FormActivate();
        QCOMPARE(FilledRows(GridOf(*form)), QList<QStringList>({kept[kind]}));
        QCOMPARE(RowsWithText(GridOf(*form)), 1);
        fx.db.Load(QStringLiteral("DELETE FROM %1;").arg(QLatin1String(kTables[kind])));
        form->FormActivate();
        QCOMPARE(RowsWithText(GridOf(*form)), 0);
    }

    void okDeliversToTheNewestSearchWindow_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<QStringList>("delivered");
        QTest::newRow("axis list, second row") << int(kAxis) << 2 << QStringList({"X2", "영동선"});
        QTest::newRow("axis list, no row chosen: the first")
            << int(kAxis) << 0 << QStringList({"X1", "경부선"});
        QTest::newRow("axis list, a row without data empties the pair")
            << int(kAxis) << 7 << QStringList({"", ""});
        QTest::newRow("survey-point group list, its row")
            << int(kGroup) << 1 << QStringList({"0", "전체"});
        QTest::newRow("survey point list, fifth row")
            << int(kPoint) << 5 << QStringList({"SX", "폐쇄지점"});
        QTest::newRow("survey point list, a name with blanks as it stands")
            << int(kPoint) << 1 << QStringList({"SA", "  서울TG  "});
    }
    void okDeliversToTheNewestSearchWindow() {
        QFETCH(int, kind);
        QFETCH(int, clickedRow);
        QFETCH(QStringList, delivered);
        TPickDb fx;
        TMessageRecorder boxes;
        // The pick list is opened from an older search window; a newer one opens after it.
        TfrmDevSearch* older = OpenDevSearch();
        QTest::mouseClick(older->findChild<QPushButton*>(kDotButtons[kind]), Qt::LeftButton);
        QPointer<QWidget> list = Newest(kind);
        QVERIFY(list && list->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(list));
        TfrmDevSearch* newer = OpenDevSearch();
        QCOMPARE(frmDevSearch.data(), newer);
        older->SetAxis("x", "y");
        older->SetResrGroup("x", "y");
        older->SetResr("x", "y");
        newer->SetAxis("old", "old");
        newer->SetResrGroup("old", "old");
        newer->SetResr("old", "old");

        TfpSpread* grid = GridOf(*list);
        if (clickedRow > 0) {
            grid->scrollToItem(nullptr);
            const QRect cell = grid->visualRect(grid->model()->index(clickedRow - 1, 1));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(grid->ActiveRow(), clickedRow);
        }
        QTest::mouseClick(list->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        QCOMPARE(Pair(*newer, kind), delivered);
        QCOMPARE(Pair(*older, kind), QStringList({"x", "y"}));
        for (int other = 0; other < 3; ++other)
            if (other != kind) QCOMPARE(Pair(*newer, other), QStringList({"old", "old"}));
        QVERIFY(list && !list->isVisible());
        // Delivering searches nothing.
        QCOMPARE(RowsWithText(newer->findChild<TfpSpread*>("fpDevSearch")), 0);
        QCOMPARE(boxes.messages, QStringList());
        older->close();
        newer->close();
    }

    void groupListWritesOneRowPerRun_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QList<QStringList>>("listed");
        QTest::newRow("equal numbers in a row give one row")
            << "('1','가','R1'),('1','가','R2'),('2','나','R3')"
            << QList<QStringList>({{"1", "가"}, {"2", "나"}});
        QTest::newRow("a number coming back after another starts a row again")
            << "('1','가','R1'),('2','나','R2'),('1','가','R3')"
            << QList<QStringList>({{"1", "가"}, {"2", "나"}, {"1", "가"}});
        QTest::newRow("only the number is compared, the first name stays")
            << "('1','가','R1'),('1','다','R2')" << QList<QStringList>({{"1", "가"}});
        QTest::newRow("empty numbers at the start write nothing")
            << "(NULL,'무명','R0'),(NULL,'무명','R9'),('1','가','R1')"
            << QList<QStringList>({{"1", "가"}});
        QTest::newRow("an empty number after a number writes a row of empty texts")
            << "('1','가','R1'),(NULL,NULL,'R2'),('2','나','R3')"
            << QList<QStringList>({{"1", "가"}, {"", ""}, {"2", "나"}});
    }
    void groupListWritesOneRowPerRun() {
        QFETCH(QString, rows);
        QFETCH(QList<QStringList>, listed);
        TPickDb fx;
        fx.db.Load(QStringLiteral("DELETE FROM RESR_SPOT_INFO; INSERT INTO RESR_SPOT_INFO "
                                  "(RESR_GRUP_NUM, RESR_GRUP_NAME, RESR_SPOT_ID) VALUES ") +
                   rows + QStringLiteral(";"));
        // Runs exist only in the order the result comes in; the cases are written for the order
        // the rows were stored in.
        QStringList stored, returned;
        for (const QString& r : rows.split(QStringLiteral("),(")))
            stored << r.section(QLatin1Char('\''), -2, -2);
        TSQLClientDataSet& ds = fx.dm->dsQuery2;
        ds.SetCommandText(ResrGroupPickListSql());
        ds.Open();
        for (ds.First(); !ds.Eof(); ds.Next())
            returned << ds.FieldByName(QStringLiteral("RESR_SPOT_ID")).AsString();
        ds.Close();
        fx.dm->vdsConnection2.SetConnected(false);
        if (returned != stored) QSKIP("this database returns the rows in another order");

        TfrmResrGroup form;
        form.FormActivate();
        QList<QStringList> shown;
        for (int r = 1; r <= listed.size(); ++r) shown << RowCells(GridOf(form), r);
        QCOMPARE(shown, listed);
        QCOMPARE(RowCells(GridOf(form), listed.size() + 1), QStringList({"", ""}));
        QVERIFY(fx.Released());
    }

    void failedLoadIsReportedAndReleasesTheConnection_data() { AddKinds(); }
    void failedLoadIsReportedAndReleasesTheConnection() {
        QFETCH(int, kind);
        TPickDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        auto form = Make(kind);
        form->FormActivate();
        QVERIFY(RowsWithText(GridOf(*form)) > 0);
        const QString table = QLatin1String(kTables[kind]);
        fx.db.Load(QStringLiteral("ALTER TABLE %1 RENAME TO GONE;").arg(table));
        TMessageRecorder boxes;
        const int lastResort = Application()->LastResortReports();
        Activate(*form);
        QCOMPARE(boxes.messages.size(), 1);
        QCOMPARE(Application()->LastResortReports(), lastResort);
        QVERIFY2(boxes.messages[0].contains(OnDriver("no such table", "does not exist")),
                 qPrintable(boxes.messages[0]));
        QVERIFY(fx.Released());
        QCOMPARE(RowsWithText(GridOf(*form)), 0);
        // The box takes the activation and gives it back when it closes: no second load, so no
        // second box, and the operator is not caught in a round of them.
        const int logOns = fx.LogOnsOf(kind);
        QDialog box;
        Activate(box);
        box.hide();
        Activate(*form);
        QCOMPARE(fx.LogOnsOf(kind), logOns);
        QCOMPARE(boxes.messages.size(), 1);

        // The status window shares the second connection and refreshes right after.
        if (kind == kGroup) {
            TfrmDevStsMon status;
            status.SetMonitorTarget(2, QStringLiteral("'A'"));
            status.tmrMonTimer();
            QCOMPARE(FilledRows(status.findChild<TfpSpread*>("fpSpread1")).size(), 1);
        }

        fx.db.Load(QStringLiteral("ALTER TABLE GONE RENAME TO %1;").arg(table));
        QWidget other;
        Activate(other);
        Activate(*form);
        QVERIFY(RowsWithText(GridOf(*form)) > 0);
        QCOMPARE(boxes.messages.size(), 1);
    }

    void moreRowsThanTheGridHolds_data() { AddKinds(); }
    void moreRowsThanTheGridHolds() {
        QFETCH(int, kind);
        TPickDb fx;
        QStringList rows;
        for (int i = 1; i <= 600; ++i) {
            if (kind == kAxis) rows << QStringLiteral("('Y%1','축 %1')").arg(i);
            if (kind == kGroup) rows << QStringLiteral("('%1','지점군 %1','R%1','지점 %1')").arg(i);
            if (kind == kPoint) rows << QStringLiteral("('T%1','지점 %1','위치')").arg(i);
        }
        fx.db.Load(QStringLiteral("DELETE FROM %1; INSERT INTO %1 VALUES %2;")
                       .arg(QLatin1String(kTables[kind]), rows.join(',')));
        auto form = Make(kind);
        form->FormActivate();
        QCOMPARE(FilledRows(GridOf(*form)).size(), 600);
    }

    void runsOnTheDemoData_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("oneRow");
        QTest::newRow("axis list") << int(kAxis) << 8 << QStringList({"A01", "경부고속도로"});
        QTest::newRow("survey-point group list")
            << int(kGroup) << 2 << QStringList({"1", "상습정체 조사지점군"});
        QTest::newRow("survey point list") << int(kPoint) << 38 << QStringList({"S0101", "한남IC"});
    }
    void runsOnTheDemoData() {
        QFETCH(int, kind);
        QFETCH(int, count);
        QFETCH(QStringList, oneRow);
        TPickDb fx(DemoData());
        TMessageRecorder boxes;
        auto form = Make(kind);
        form->FormActivate();
        const QList<QStringList> rows = Listed(GridOf(*form), kind);
        QCOMPARE(rows.size(), count);
        QVERIFY(rows.contains(oneRow));
        QCOMPARE(boxes.messages, QStringList());
    }
};

VDS_TEST_MAIN(tst_PickLists)
#include "tst_PickLists.moc"
