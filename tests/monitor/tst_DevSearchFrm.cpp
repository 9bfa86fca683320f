// The equipment search window: its SQL text, the search on the database, the debug log window it
// shows, and the pick lists its buttons open.

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "AxisInfoFrm.h"
#include "DebugFrm.h"
#include "DevSearchFrm.h"
#include "GridProbe.h"
#include "MonitorFixture.h"
#include "ResrGroupFrm.h"
#include "ResrInfoFrm.h"

namespace {
const char* const kEdits[] = {"edAxisNo",      "edAxisName", "edResrGrpId",
                              "edResrGrpName", "edResrId",   "edResrName"};

const QString kBase = QStringLiteral(
    "SELECT DISTINCT L.ROAD_NUM, A.ATC_NUM, S.SPOT_LOCA, DECODE(M.IOFL_TYPE,'1',M.TRAF) AS ITRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'1',M.SPED),2) AS ISPED, DECODE(M.IOFL_TYPE,'2',M.TRAF) AS OTRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'2',M.SPED),2) AS OSPED FROM ATC_NEW_TRAF_INFO M, "
    "ROAD_LINK_INFO L, SPOT_INFO S, OVD_INFO O, ATC_INFO A, RESR_SPOT_CONF_INFO C, "
    "RESR_SPOT_INFO R, AXLE_INFO X WHERE  C.RESR_GRUP_NUM = R.RESR_GRUP_NUM AND "
    "R.RESR_SPOT_ID = C.RESR_SPOT_ID AND C.SPOT_ID=S.SPOT_ID AND M.ATC_ID=O.ATC_ID AND "
    "O.LINK_ID=L.LINK_ID AND L.IOFL_TYPE=M.IOFL_TYPE AND O.ATC_ID=A.ATC_ID AND "
    "A.SET_SPOT_ID=S.SPOT_ID AND A.EQUP_TYPE = '2' AND A.OPER_STAT = 'Y' AND X.AXLE_ID = "
    "L.AXLE_ID AND L.LINK_ID=O.LINK_ID AND O.ATC_ID=A.ATC_ID ");

// C's newest traffic beside what the shared fixture gives A and B.
const char* kTrafficOfC = R"SQL(
INSERT INTO ATC_NEW_TRAF_INFO VALUES
 ('C','1','2024-05-02 10:15:00',30,91.126,3,'1'),('C','2','2024-05-02 10:15:00',33,88,3,'1');
)SQL";

const QStringList kAIn = {"1", "101", "서울 서초구 양재동", "120", "85.46", "", ""};
const QStringList kAOut = {"1", "101", "서울 서초구 양재동", "", "", "80", "60.12"};
const QStringList kBIn = {"1", "102", "경기 수원시", "50", "40.5", "", ""};
const QStringList kBOut = {"1", "102", "경기 수원시", "", "", "45", "38"};
const QStringList kCIn = {"50", "103", "강원 강릉시", "30", "91.13", "", ""};
const QStringList kCOut = {"50", "103", "강원 강릉시", "", "", "33", "88"};

TfpSpread* GridOf(QWidget& form) {
    return form.findChild<TfpSpread*>("fpDevSearch");
}

QLineEdit* Edit(QWidget& form, const char* name) {
    return form.findChild<QLineEdit*>(name);
}

void Type(QWidget& form, const QStringList& edits) {
    for (int i = 0; i < 6; ++i) Edit(form, kEdits[i])->setText(edits.value(i));
}

// The search's rows, in a fixed order: the query has none of its own.
QList<QStringList> SortedRows(QWidget& form) {
    QList<QStringList> rows = FilledRows(GridOf(form));
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<QStringList> Sorted(QList<QStringList> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

class TSearchDb : public TMonitorDb {
public:
    TSearchDb() {
        db.Load(QString::fromUtf8(kNewestTraffic));
        db.Load(QString::fromUtf8(kTrafficOfC));
    }
};
}  // namespace

class tst_DevSearchFrm : public QObject {
    Q_OBJECT
private slots:
    void createdAsLaidOut() {
        TfrmDevSearch form;
        QCOMPARE(form.objectName(), QStringLiteral("frmDevSearch"));
        QCOMPARE(form.windowTitle(), QStringLiteral("장비검색"));
        QVERIFY(form.isWindow());
        QCOMPARE(form.pos(), QPoint(365, 376));
        const QList<QPair<const char*, QRect>> places = {
            {"Panel1", {-1, -1, 458, 90}},         {"edAxisNo", {56, 8, 41, 21}},
            {"edAxisName", {104, 8, 246, 21}},     {"edResrGrpId", {56, 32, 41, 21}},
            {"edResrGrpName", {104, 32, 246, 21}}, {"edResrId", {56, 56, 41, 21}},
            {"edResrName", {104, 56, 246, 21}},    {"btnAxis", {357, 7, 25, 25}},
            {"btnResrGrp", {357, 31, 25, 25}},     {"btnResr", {357, 55, 25, 25}},
            {"btnSearch", {389, 55, 41, 25}},      {"fpDevSearch", {0, 88, 457, 273}}};
        for (const auto& p : places) {
            QWidget* w = form.findChild<QWidget*>(p.first);
            QVERIFY2(w, p.first);
            QCOMPARE(w->geometry(), p.second);
        }
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("축"));
        QCOMPARE(form.findChild<QLabel*>("Label2")->text(), QStringLiteral("지점군"));
        QCOMPARE(form.findChild<QLabel*>("Label3")->text(), QStringLiteral("지점"));
        for (const char* b : {"btnAxis", "btnResrGrp", "btnResr"})
            QCOMPARE(form.findChild<QPushButton*>(b)->text(), QStringLiteral("..."));
        QCOMPARE(form.findChild<QPushButton*>("btnSearch")->text(), QStringLiteral("검색"));
        for (const char* e : kEdits) QVERIFY(Edit(form, e)->text().isEmpty());
        TfpSpread* grid = GridOf(form);
        QCOMPARE(grid->MaxCols(), 7);
        QCOMPARE(grid->MaxRows(), 500);
        QCOMPARE(Headers(grid), QStringList({"도로번호", "제어기번호", "설치위치", "유입교통량",
                                             "유입속도", "유출교통량", "유출속도"}));

        // Tab goes through the edits, then the buttons, then the grid.
        QStringList order;
        QWidget* w = Edit(form, "edAxisNo");
        do {
            if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != Edit(form, "edAxisNo") && order.size() < 20);
        QCOMPARE(order, QStringList({"edAxisNo", "edAxisName", "edResrGrpId", "edResrGrpName",
                                     "edResrId", "edResrName", "btnAxis", "btnResrGrp", "btnResr",
                                     "btnSearch", "fpDevSearch"}));
    }

    void searchSql_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("conditions");
        QTest::newRow("all edits empty") << QStringList({"", "", "", "", "", ""}) << QString();
        QTest::newRow("axis id") << QStringList({"X1"}) << "AND X.AXLE_ID = 'X1' ";
        QTest::newRow("axis name") << QStringList({"", "경부선"}) << "AND X.AXLE_NAME = '경부선' ";
        QTest::newRow("group number") << QStringList({"", "", "0"}) << "AND R.RESR_GRUP_NUM = '0' ";
        QTest::newRow("group name")
            << QStringList({"", "", "", "전체"}) << "AND R.RESR_GRUP_NAME = '전체' ";
        QTest::newRow("survey point id")
            << QStringList({"", "", "", "", "SA"}) << "AND S.SPOT_ID = 'SA' ";
        QTest::newRow("survey point name")
            << QStringList({"", "", "", "", "", "수원IC"}) << "AND S.SPOT_NAME = '수원IC' ";
        QTest::newRow("id and name of one pair: id first")
            << QStringList({"X1", "경부선"}) << "AND X.AXLE_ID = 'X1' AND X.AXLE_NAME = '경부선' ";
        QTest::newRow("every edit, in their order")
            << QStringList({"X1", "경부선", "0", "전체", "SA", "서울TG"})
            << "AND X.AXLE_ID = 'X1' AND X.AXLE_NAME = '경부선' AND R.RESR_GRUP_NUM = '0' "
               "AND R.RESR_GRUP_NAME = '전체' AND S.SPOT_ID = 'SA' AND S.SPOT_NAME = '서울TG' ";
        QTest::newRow("blanks at both ends are removed, inner ones stay")
            << QStringList({"", " \t경부 선  "}) << "AND X.AXLE_NAME = '경부 선' ";
        QTest::newRow("blanks only: nothing between the quotes")
            << QStringList({"", "", "", "   "}) << "AND R.RESR_GRUP_NAME = '' ";
        QTest::newRow("a quote is doubled")
            << QStringList({"", "O'Neil"}) << "AND X.AXLE_NAME = 'O''Neil' ";
        QTest::newRow("a value that would close its literal")
            << QStringList({"' OR '1'='1"}) << "AND X.AXLE_ID = ''' OR ''1''=''1' ";
    }
    void searchSql() {
        QFETCH(QStringList, edits);
        QFETCH(QString, conditions);
        QCOMPARE(kBase.size(), 708);
        QCOMPARE(SearchSql(edits), kBase + conditions);
        // The window builds the same text from what the edits hold, and shows it.
        TMonitorDb fx;
        TfrmDevSearch form;
        Type(form, edits);
        form.SearchDevices();
        QVERIFY(frmDebug());
        QCOMPARE(frmDebug()->MemoText(), kBase + conditions);
    }

    void search_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QList<QStringList>>("rows");
        const QList<QStringList> none;
        QTest::newRow("all edits empty: every operating VDS controller with figures")
            << QStringList() << QList<QStringList>({kAIn, kAOut, kBIn, kBOut, kCIn, kCOut});
        QTest::newRow("axis by id") << QStringList({"X2"}) << QList<QStringList>({kCIn, kCOut});
        QTest::newRow("axis by name")
            << QStringList({"", "경부선"}) << QList<QStringList>({kAIn, kAOut, kBIn, kBOut});
        QTest::newRow("axis by a padded id")
            << QStringList({"  X2 "}) << QList<QStringList>({kCIn, kCOut});
        QTest::newRow("axis id and a name of another axis")
            << QStringList({"X2", "경부선"}) << none;
        QTest::newRow("group by number and name")
            << QStringList({"", "", "0", "전체"})
            << QList<QStringList>({kAIn, kAOut, kBIn, kBOut, kCIn, kCOut});
        QTest::newRow("a group without survey points") << QStringList({"", "", "1"}) << none;
        QTest::newRow("survey point by id, as its pick list gives it")
            << QStringList({"", "", "", "", "SB"}) << QList<QStringList>({kBIn, kBOut});
        QTest::newRow("survey point by name, as its pick list gives it")
            << QStringList({"", "", "", "", "", "강릉JC"}) << QList<QStringList>({kCIn, kCOut});
        QTest::newRow("a blanks-only edit finds nothing") << QStringList({"", "  "}) << none;
        QTest::newRow("a value that would widen the search finds nothing")
            << QStringList({"' OR '1'='1"}) << none;
    }
    void search() {
        QFETCH(QStringList, edits);
        QFETCH(QList<QStringList>, rows);
        TSearchDb fx;
        TMessageRecorder boxes;
        TfrmDevSearch form;
        Type(form, edits);
        QTest::mouseClick(form.findChild<QPushButton*>("btnSearch"), Qt::LeftButton);
        QCOMPARE(boxes.messages, QStringList());
        QCOMPARE(SortedRows(form), Sorted(rows));
        QCOMPARE(RowsWithText(GridOf(form)), rows.size());
        QCOMPARE(fx.logOns, 1);
        QVERIFY(!fx.dm->vdsConnection.Connected() && !fx.dm->dsQuery.Active());
    }

    void aQuotedValueIsSearchedForAsItStands() {
        TSearchDb fx;
        fx.db.Load("UPDATE AXLE_INFO SET AXLE_NAME = 'O''Neil' WHERE AXLE_ID = 'X2';");
        TMessageRecorder boxes;
        TfrmDevSearch form;
        Type(form, {"", "O'Neil"});
        form.btnSearchClick();
        QCOMPARE(SortedRows(form), Sorted({kCIn, kCOut}));
        QCOMPARE(boxes.messages, QStringList());
    }

    void theFiguresStayInSight() {
        TSearchDb fx;
        fx.db.Load(
            "UPDATE SPOT_INFO SET SPOT_LOCA = '서울특별시 서초구 양재동 경부고속도로 양재IC 진입로 "
            "상행선 방음벽 앞' WHERE SPOT_ID = 'SA';");
        TfrmDevSearch form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SearchDevices();
        TfpSpread* grid = GridOf(form);
        QHeaderView* header = grid->horizontalHeader();
        QVERIFY(header->sectionViewportPosition(6) + header->sectionSize(6) <=
                grid->viewport()->width());
        for (int c : {0, 1, 3, 4, 5, 6})
            QVERIFY2(HoldsItsTexts(grid, c), qPrintable(QString::number(c)));
    }

    void aShorterSearchLeavesNoStaleRows() {
        TSearchDb fx;
        TfrmDevSearch form;
        form.SearchDevices();
        QCOMPARE(FilledRows(GridOf(form)).size(), 6);
        Type(form, {"X2"});
        form.SearchDevices();
        QCOMPARE(SortedRows(form), Sorted({kCIn, kCOut}));
        QCOMPARE(RowsWithText(GridOf(form)), 2);
        // An empty result empties the grid too.
        Type(form, {"X3"});
        form.SearchDevices();
        QCOMPARE(RowsWithText(GridOf(form)), 0);
        QCOMPARE(GridOf(form)->MaxRows(), 500);
    }

    void eachSearchShowsItsSqlInANewDebugWindow() {
        TSearchDb fx;
        TfrmDevSearch form;
        form.SearchDevices();
        QPointer<TfrmDebug> first = frmDebug();
        QVERIFY(first && first->isVisible());
        Type(form, {"X1"});
        form.SearchDevices();
        QPointer<TfrmDebug> second = frmDebug();
        QVERIFY(second && second != first && second->isVisible());
        QCOMPARE(first->MemoText(), kBase);
        QCOMPARE(second->MemoText(), kBase + QStringLiteral("AND X.AXLE_ID = 'X1' "));
        QCOMPARE(second->Memo1()->document()->blockCount(), 1);
    }

    void theDebugWindowHoldsTheSqlWhenTheQueryFails_data() {
        AddQueryFaults(QStringLiteral("RESR_SPOT_INFO"));
    }
    void theDebugWindowHoldsTheSqlWhenTheQueryFails() {
        QFETCH(QString, fault);
        QFETCH(QString, repair);
        QFETCH(QString, message);
        TSearchDb fx;
        TMessageRecorder boxes;
        TfrmDevSearch form;
        form.SearchDevices();
        QCOMPARE(FilledRows(GridOf(form)).size(), 6);
        ApplyStep(fx, fault);
        Type(form, {"X2"});
        QTest::mouseClick(form.findChild<QPushButton*>("btnSearch"), Qt::LeftButton);
        QCOMPARE(boxes.messages.size(), 1);
        QVERIFY2(boxes.messages[0].contains(message), qPrintable(boxes.messages[0]));
        QVERIFY(frmDebug() && frmDebug()->isVisible());
        QCOMPARE(frmDebug()->MemoText(), kBase + QStringLiteral("AND X.AXLE_ID = 'X2' "));
        // No rows of the earlier search stand under the failed one.
        QCOMPARE(RowsWithText(GridOf(form)), 0);
        QVERIFY(!fx.dm->vdsConnection.Connected() && !fx.dm->dsQuery.Active());
        ApplyStep(fx, repair);
        QTest::mouseClick(form.findChild<QPushButton*>("btnSearch"), Qt::LeftButton);
        QCOMPARE(boxes.messages.size(), 1);
        QCOMPARE(SortedRows(form), Sorted({kCIn, kCOut}));
    }

    void moreRowsThanTheGridHolds() {
        TMonitorDb fx;
        fx.db.Load(ManyStations(600).sql);
        TfrmDevSearch form;
        form.SearchDevices();
        QCOMPARE(FilledRows(GridOf(form)).size(), 600);
    }

    void settersFillTheirPairAndSearchNothing_data() {
        QTest::addColumn<int>("pair");
        QTest::newRow("axis") << 0;
        QTest::newRow("survey-point group") << 1;
        QTest::newRow("survey point") << 2;
    }
    void settersFillTheirPairAndSearchNothing() {
        QFETCH(int, pair);
        TMonitorDb fx;
        TfrmDevSearch form;
        Type(form, {"a", "b", "c", "d", "e", "f"});
        const QString id = QStringLiteral("'%1").arg(pair);
        const QString name = QStringLiteral("이름 %1").arg(pair);
        if (pair == 0) form.SetAxis(id, name);
        if (pair == 1) form.SetResrGroup(id, name);
        if (pair == 2) form.SetResr(id, name);
        QStringList expected = {"a", "b", "c", "d", "e", "f"};
        expected[2 * pair] = id;
        expected[2 * pair + 1] = name;
        QStringList shown;
        for (const char* e : kEdits) shown << Edit(form, e)->text();
        QCOMPARE(shown, expected);
        QCOMPARE(fx.logOns, 0);
        QCOMPARE(RowsWithText(GridOf(form)), 0);
    }

    void dotButtonsOpenANewPickListEachPress() {
        TMonitorDb fx;
        TMessageRecorder boxes;
        TfrmDevSearch form;
        auto press = [&](const char* name) {
            QTest::mouseClick(form.findChild<QPushButton*>(name), Qt::LeftButton);
        };
        press("btnAxis");
        QPointer<TfrmAxisInfo> axis = frmAxisInfo;
        press("btnAxis");
        QVERIFY(axis && frmAxisInfo && axis != frmAxisInfo);
        QVERIFY(axis->isVisible() && frmAxisInfo->isVisible() && frmAxisInfo->isWindow());
        press("btnResrGrp");
        QVERIFY(frmResrGroup && frmResrGroup->isVisible());
        press("btnResr");
        QVERIFY(frmResrInfo && frmResrInfo->isVisible());
        QCOMPARE(boxes.messages, QStringList());
        for (QWidget* w : std::initializer_list<QWidget*>{axis, frmAxisInfo.data(),
                                                          frmResrGroup.data(), frmResrInfo.data()})
            w->close();
    }

    void runsOnTheDemoData_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<int>("minimum");
        QTest::newRow("all edits empty") << QStringList() << 20;
        QTest::newRow("an axis") << QStringList({"A01", "경부고속도로"}) << 6;
        QTest::newRow("a survey-point group")
            << QStringList({"", "", "0", "기본 조사지점군"}) << 20;
        QTest::newRow("a survey point") << QStringList({"", "", "", "", "S0101", "한남IC"}) << 2;
        QTest::newRow("every pair")
            << QStringList({"A01", "경부고속도로", "1", "상습정체 조사지점군", "S0102", "반포IC"})
            << 2;
    }
    void runsOnTheDemoData() {
        QFETCH(QStringList, edits);
        QFETCH(int, minimum);
        TMonitorDb fx(DemoData());
        TMessageRecorder boxes;
        TfrmDevSearch form;
        Type(form, edits);
        form.btnSearchClick();
        QCOMPARE(boxes.messages, QStringList());
        const QList<QStringList> rows = FilledRows(GridOf(form));
        QVERIFY2(rows.size() >= minimum, qPrintable(QString::number(rows.size())));
        for (const QStringList& row : rows) {
            // Each row is one direction: inflow or outflow figures, never both.
            QVERIFY(row[3].isEmpty() != row[5].isEmpty());
            QVERIFY(!row[1].isEmpty() && !row[2].isEmpty());
        }
    }
};

VDS_TEST_MAIN(tst_DevSearchFrm)
#include "tst_DevSearchFrm.moc"
