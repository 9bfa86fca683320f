// The traffic monitor window: its station tree, the ticked-station list and the refresh.

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>

#include "Db.h"
#include "Grid.h"
#include "GridProbe.h"
#include "MonitorFixture.h"
#include "StationSql.h"
#include "Text.h"
#include "TrafMonTextFrm.h"

namespace {
TVirtualStringTree* TreeOf(QWidget& form) {
    return form.findChild<TVirtualStringTree*>("ChkTree");
}
TfpSpread* GridOf(QWidget& form, const char* name) {
    return form.findChild<TfpSpread*>(name);
}
QString LabelOf(QWidget& form, const char* name) {
    return form.findChild<QLabel*>(name)->text();
}

// "text#n": the n-th node (from 0, in tree order) showing text.
PVirtualNode NodeAt(TVirtualStringTree* tree, const QString& spec) {
    const int hash = spec.lastIndexOf(QLatin1Char('#'));
    const QString text = hash < 0 ? spec : spec.left(hash);
    const int n = hash < 0 ? 0 : spec.mid(hash + 1).toInt();
    const QList<PVirtualNode> nodes = NodesNamed(tree, text);
    return n < nodes.size() ? nodes[n] : nullptr;
}

// Ticks or unticks a node as an operator does: a click on its check box.
void ClickCheckBox(TVirtualStringTree* tree, PVirtualNode node) {
    QVERIFY(node);
    tree->scrollToItem(node);
    const QRect box = tree->CheckBoxRect(node);
    QVERIFY(!box.isEmpty());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, box.center());
}

// On the round mark, where an operator clicks.
void ClickRadio(QWidget& form, const char* name) {
    auto* radio = form.findChild<QRadioButton*>(name);
    QStyleOptionButton option;
    option.initFrom(radio);
    const QRect mark =
        radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
    QTest::mouseClick(radio, Qt::LeftButton, {}, mark.center());
}

void ShowAndWait(QWidget& form) {
    form.resize(1003, 681);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

const QString kNoDate = QStringLiteral("0000/00/00 00:00:00");
}  // namespace

class tst_TrafMonTextFrm : public QObject {
    Q_OBJECT
private slots:
    // ---- the window as created ----------------------------------------------------------

    void createdInVdsModeWithTimerOff() {
        TMonitorDb fx;
        TfrmTrafMonText form;
        QCOMPARE(form.windowTitle(), QStringLiteral("교통상황 모니터링(Text)"));
        QCOMPARE(form.GetMonitorMode(), 2);
        QVERIFY(form.findChild<QRadioButton*>("rdoVDS")->isChecked());
        QVERIFY(!GridOf(form, "SprVDS")->isHidden());
        QVERIFY(GridOf(form, "SprNewSgl")->isHidden());
        QVERIFY(!form.tmrQuery->isActive());
        QCOMPARE(form.tmrQuery->interval(), 1000);
        QCOMPARE(GridOf(form, "SprVDS")->MaxCols(), 15);
        QCOMPARE(GridOf(form, "SprNewSgl")->MaxCols(), 12);
        QCOMPARE(GridOf(form, "SprVDS")->MaxRows(), 500);
        QCOMPARE(Cell(GridOf(form, "SprVDS"), 0, 8), QStringLiteral("유입속도"));
        QCOMPARE(Cell(GridOf(form, "SprVDS"), 0, 15), QStringLiteral("유출교통량상황"));
        QCOMPARE(Cell(GridOf(form, "SprNewSgl"), 0, 12), QStringLiteral("우회전교통량"));
        QCOMPARE(LabelOf(form, "lblCurDate"), kNoDate);
        // The tree build logged on for each branch and off again.
        QCOMPARE(fx.logOns, 2);
        QVERIFY(!fx.dm->vdsConnection.Connected());
        QVERIFY(!fx.dm->dsAxis.Active() && !fx.dm->dsPoint.Active() && !fx.dm->dsQuery.Active());

        ShowAndWait(form);
        QTest::mouseClick(form.findChild<QPushButton*>("btnStart"), Qt::LeftButton);
        QVERIFY(form.tmrQuery->isActive());
        QTest::mouseClick(form.findChild<QPushButton*>("btnStop"), Qt::LeftButton);
        QVERIFY(!form.tmrQuery->isActive());
    }

    // ---- station tree -------------------------------------------------------------------

    void treeListsOperatingStationsByAxisAndSurveyPoint() {
        TMonitorDb fx;
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        QCOMPARE(tree->topLevelItemCount(), 1);
        PVirtualNode root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("교통량 수집 지점"));
        QCOMPARE(ChildTexts(root), QStringList({"축별", "조사지점군별"}));
        PVirtualNode axis = root->child(0);
        PVirtualNode resr = root->child(1);
        // Consecutive rows of one axis share its node; a station on two links shows twice; the
        // station out of operation (X) is absent; names are trimmed and carry their counts.
        QCOMPARE(ChildTexts(axis), QStringList({"경부선", "영동선"}));
        QCOMPARE(ChildTexts(axis->child(0)),
                 QStringList({"서울TG(0201)", "서울TG(0201)", "수원IC(0101)", "수원IC(0101)"}));
        QCOMPARE(ChildTexts(axis->child(1)), QStringList({"강릉JC(0301)", "강릉JC(0301)"}));
        QCOMPARE(ChildTexts(resr), QStringList({"강원권", "수도권"}));
        QCOMPARE(ChildTexts(resr->child(1)), QStringList({"서울TG(0201)", "수원IC(0101)"}));

        int nodes = 0;
        for (QTreeWidgetItemIterator it(tree); *it; ++it, ++nodes) {
            QCOMPARE(tree->CheckType(*it), ctTriStateCheckBox);
            QVERIFY2((*it)->isExpanded() || (*it)->childCount() == 0, qPrintable((*it)->text(0)));
        }
        QCOMPARE(nodes, 3 + 2 + 6 + 2 + 3);

        // A group's record comes from the row that opened it; a station's from its own row.
        const auto* group = tree->GetNodeDataAs<data>(axis->child(0));
        QCOMPARE(group->strName, QStringLiteral("경부선"));
        QCOMPARE(group->strID, QStringLiteral("1"));
        QCOMPARE(group->strATC_ID, QStringLiteral("A"));
        QCOMPARE(group->strSPOT_NAME, QStringLiteral("  서울TG  "));
        const auto* station = tree->GetNodeDataAs<data>(resr->child(0)->child(0));
        QCOMPARE(station->strID, QStringLiteral("2"));
        QCOMPARE(station->strRESR_SPOT_ID, QStringLiteral("R2"));
        QCOMPARE(station->strRESR_NAME, QStringLiteral("강원권"));
        QCOMPARE(station->strAXLE_NAME, QString());
        QCOMPARE(station->strATC_ID, QStringLiteral("C"));
        QCOMPARE(station->strATC_NUM, QStringLiteral("103"));
        QCOMPARE(station->strOVD_CNT, QStringLiteral("(0301)"));
        QCOMPARE(station->strName, QStringLiteral("강릉JC(0301)"));
    }

    void newSignalModeShowsZeroCounts() {
        TMonitorDb fx;
        TfrmTrafMonText form;
        ShowAndWait(form);
        ClickRadio(form, "rdoNewSgl");
        QCOMPARE(form.GetMonitorMode(), 1);
        QVERIFY(GridOf(form, "SprVDS")->isHidden());
        QVERIFY(!GridOf(form, "SprNewSgl")->isHidden());
        TVirtualStringTree* tree = TreeOf(form);
        PVirtualNode root = tree->topLevelItem(0);
        // N has one detector on each approach; the counts look at VDS controllers only.
        QCOMPARE(ChildTexts(root->child(0)), QStringList({"국도3호선"}));
        QCOMPARE(ChildTexts(root->child(0)->child(0)),
                 QStringList({"의정부교차로(0000)", "의정부교차로(0000)"}));
        QCOMPARE(ChildTexts(root->child(1)), QStringList({"수도권"}));
        QCOMPARE(ChildTexts(root->child(1)->child(0)), QStringList({"의정부교차로(0000)"}));
    }

    void groupNodes_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QList<int>>("stations");
        QTest::newRow("each new name opens a group")
            << QString() << QStringList({"경부선", "영동선"}) << QList<int>({4, 2});
        QTest::newRow("two axes of one name share a group")
            << "UPDATE AXLE_INFO SET AXLE_NAME='경부선' WHERE AXLE_ID='X2';"
            << QStringList({"경부선"}) << QList<int>({6});
        // SQLite sorts NULL first where the centre's database sorts it last; an empty blob sorts
        // after every text and reads as an empty name, as NULL does there. On the server NULL
        // sorts last and the empty text, which reads like NULL, first.
        QTest::newRow("empty name after a named one")
            << OnDriver("UPDATE AXLE_INFO SET AXLE_NAME=X'' WHERE AXLE_ID='X2';",
                        "UPDATE AXLE_INFO SET AXLE_NAME=NULL WHERE AXLE_ID='X2';")
            << QStringList({"경부선", ""}) << QList<int>({4, 2});
        QTest::newRow("empty name on the first row")
            << OnDriver("UPDATE AXLE_INFO SET AXLE_NAME=NULL WHERE AXLE_ID='X1';",
                        "UPDATE AXLE_INFO SET AXLE_NAME='' WHERE AXLE_ID='X1';")
            << QStringList({"", "영동선"}) << QList<int>({4, 2});
        QTest::newRow("every name empty")
            << "UPDATE AXLE_INFO SET AXLE_NAME=NULL;" << QStringList({""}) << QList<int>({6});
    }
    void groupNodes() {
        QFETCH(QString, change);
        QFETCH(QStringList, groups);
        QFETCH(QList<int>, stations);
        TMonitorDb fx;
        if (!change.isEmpty()) fx.db.Load(change);
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        PVirtualNode axis = tree->topLevelItem(0)->child(0);
        QCOMPARE(ChildTexts(axis), groups);
        for (int g = 0; g < groups.size(); ++g) QCOMPARE(axis->child(g)->childCount(), stations[g]);
        // Every station lies at level 3, whatever its group's name, so ticking the branch lists it.
        tree->SetCheckState(axis, csCheckedNormal);
        QCOMPARE(form.GetCheckedAtcList(), QStringLiteral("'A','A','B','B','C','C'"));
    }

    void checkedList_data() {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QString>("list");
        QTest::newRow("nothing ticked") << QStringList() << QString();
        QTest::newRow("one station") << QStringList({"서울TG(0201)#0"}) << "'A'";
        QTest::newRow("three stations")
            << QStringList({"서울TG(0201)#0", "수원IC(0101)#0", "강릉JC(0301)#0"}) << "'A','B','C'";
        QTest::newRow("one controller on two links")
            << QStringList({"서울TG(0201)#0", "서울TG(0201)#1"}) << "'A','A'";
        QTest::newRow("ticked then unticked")
            << QStringList({"서울TG(0201)#0", "서울TG(0201)#0"}) << QString();
        QTest::newRow("a group node") << QStringList({"영동선"}) << "'C','C'";
        QTest::newRow("axis branch root") << QStringList({"축별"}) << "'A','A','B','B','C','C'";
        QTest::newRow("survey-point branch root") << QStringList({"조사지점군별"}) << "'C','A','B'";
        QTest::newRow("the root: axis branch first")
            << QStringList({"교통량 수집 지점"}) << "'A','A','B','B','C','C','C','A','B'";
        QTest::newRow("survey point ticked before an axis station")
            << QStringList({"서울TG(0201)#2", "수원IC(0101)#0"}) << "'B','A'";
    }
    void checkedList() {
        QFETCH(QStringList, ticks);
        QFETCH(QString, list);
        TMonitorDb fx;
        TfrmTrafMonText form;
        ShowAndWait(form);
        TVirtualStringTree* tree = TreeOf(form);
        for (const QString& t : ticks) ClickCheckBox(tree, NodeAt(tree, t));
        QCOMPARE(form.GetCheckedAtcList(), list);
        // Asking again gives the same list: nothing is kept from the previous call.
        QCOMPARE(form.GetCheckedAtcList(), list);
    }

    void quotesInIdsStayInsideTheirLiteral_data() {
        QTest::addColumn<QString>("id");
        QTest::newRow("a quote inside") << QStringLiteral("O'NEIL");
        QTest::newRow("an id that closes the list") << QStringLiteral("Q') OR A.ATC_ID IN ('B");
        QTest::newRow("an id that widens the count") << QStringLiteral("Q' OR A.ATC_ID = 'C");
    }
    void quotesInIdsStayInsideTheirLiteral() {
        QFETCH(QString, id);
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        const QString q = SqlLiteral(id);
        fx.db.Load(
            QStringLiteral(
                "INSERT INTO SPOT_INFO VALUES ('SQ','인용지점','어딘가');"
                "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES "
                "(%1,105,'2','Y','SQ');"
                "INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES "
                "(50,%1,'L1',1,'Y');"
                "INSERT INTO ATC_NEW_TRAF_INFO VALUES (%1,'1','2024-05-02 10:20:00',7,70,1,'1');"
                "INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES "
                "(%1,'2024-05-02 10:20:00','1','1','1','1','1','1','1','1','1','1','1','1');")
                .arg(q));
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        // Its own detector count: one inflow, none outflow.
        PVirtualNode node = NodeAt(tree, QStringLiteral("인용지점(0100)"));
        QVERIFY(node);
        tree->SetCheckState(node, csCheckedNormal);
        QCOMPARE(form.GetCheckedAtcList(), q);
        form.tmrQueryTimer();
        const QList<QStringList> rows = FilledRows(GridOf(form, "SprVDS"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][2], QStringLiteral("105"));
        QCOMPARE(rows[0][8], QStringLiteral("7"));
    }

    void failedBuildLeavesTheDatabaseReady_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("repair");
        QTest::newRow("branch query fails") << "ALTER TABLE AXLE_INFO RENAME TO AXLE_GONE;"
                                            << "ALTER TABLE AXLE_GONE RENAME TO AXLE_INFO;";
        // Reading the detectors' operating state fails, which only the counts do, mid-branch.
        QTest::newRow("count query fails mid-branch")
            << QStringLiteral(
                   "ALTER TABLE OVD_INFO RENAME TO OVD_T;"
                   "CREATE VIEW OVD_INFO AS SELECT OVD_ID, ATC_ID, LINK_ID, LANE_NUM,"
                   " CASE WHEN ATC_ID='C' THEN %1 ELSE OPER_STAT END OPER_STAT"
                   " FROM OVD_T;")
                   .arg(OnDriver("abs(-9223372036854775807 - 1)",
                                 "CAST(1 / (LANE_NUM - LANE_NUM) AS TEXT)"))
            << "DROP VIEW OVD_INFO; ALTER TABLE OVD_T RENAME TO OVD_INFO;";
    }
    void failedBuildLeavesTheDatabaseReady() {
        QFETCH(QString, fault);
        QFETCH(QString, repair);
        TMonitorDb fx;
        fx.db.Load(fault);
        bool failed = false;
        try {
            TfrmTrafMonText form;
        } catch (const EDatabaseError&) {
            failed = true;
        }
        QVERIFY(failed);
        QVERIFY(!fx.dm->vdsConnection.Connected());
        QVERIFY(!fx.dm->dsAxis.Active() && !fx.dm->dsPoint.Active() && !fx.dm->dsQuery.Active());
        fx.db.Load(repair);
        TfrmTrafMonText form;
        QCOMPARE(NodesNamed(TreeOf(form), QStringLiteral("강릉JC(0301)")).size(), 3);
    }

    // ---- refresh ------------------------------------------------------------------------

    void vdsStationGivesInflowAndOutflowRows_data() {
        QTest::addColumn<QStringList>("ticks");
        QTest::newRow("ticked once") << QStringList({"서울TG(0201)#0"});
        QTest::newRow("ticked on both links") << QStringList({"서울TG(0201)#0", "서울TG(0201)#1"});
        QTest::newRow("ticked in both branches")
            << QStringList({"서울TG(0201)#0", "서울TG(0201)#2"});
    }
    void vdsStationGivesInflowAndOutflowRows() {
        QFETCH(QStringList, ticks);
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        for (const QString& t : ticks) tree->SetCheckState(NodeAt(tree, t), csCheckedNormal);
        const int logOnsBefore = fx.logOns;
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        form.tmrQueryTimer();
        QCOMPARE(fx.logOns, logOnsBefore + 1);
        QVERIFY(!fx.dm->vdsConnection.Connected());
        QVERIFY(!fx.dm->dsQuery.Active());

        QList<QStringList> rows = FilledRows(GridOf(form, "SprVDS"));
        QCOMPARE(rows.size(), 2);
        std::sort(rows.begin(), rows.end(), [](const QStringList& a, const QStringList& b) {
            return a[7].isEmpty() < b[7].isEmpty();  // the inflow row first
        });
        const QStringList common = {"1",           "  서울TG  ", "101", "VDS", "서울 서초구 양재동",
                                    "11111111111", "1"};
        QCOMPARE(rows[0].mid(0, 7), common);
        QCOMPARE(rows[1].mid(0, 7), common);
        QCOMPARE(rows[0].mid(7), QStringList({"85.46", "120", "12.5", "1", "", "", "", ""}));
        QCOMPARE(rows[1].mid(7), QStringList({"", "", "", "", "60.12", "80", "8.25", "2"}));

        const QDateTime shown = QDateTime::fromString(LabelOf(form, "lblCurDate"),
                                                      QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        QVERIFY2(shown.isValid() && shown >= before && shown <= QDateTime::currentDateTime(),
                 qPrintable(LabelOf(form, "lblCurDate")));
        QCOMPARE(LabelOf(form, "lblColDate"), QStringLiteral("2024/05/02 10:15:00"));
    }

    void eachStationShowsItsOwnStatus() {
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        tree->SetCheckState(NodeAt(tree, "서울TG(0201)#0"), csCheckedNormal);
        tree->SetCheckState(NodeAt(tree, "수원IC(0101)#0"), csCheckedNormal);
        form.tmrQueryTimer();
        const QList<QStringList> rows = FilledRows(GridOf(form, "SprVDS"));
        QCOMPARE(rows.size(), 4);  // two directions each, one status row each
        for (const QStringList& r : rows) {
            const bool a = r[2] == QLatin1String("101");
            QCOMPARE(r[5], a ? QStringLiteral("11111111111") : QStringLiteral("01111111110"));
            QCOMPARE(r[6], a ? QStringLiteral("1") : QStringLiteral("0"));
        }
        QCOMPARE(LabelOf(form, "lblColDate"), QStringLiteral("2024/05/02 10:16:30"));
    }

    void newSignalStationFillsItsGrid() {
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        // A second intersection, faultless, on the same approaches.
        fx.db.Load(QStringLiteral(
            "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES "
            "('M',202,'1','Y','SN');"
            "INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES "
            "(60,'M','N1',1,'Y');"
            "INSERT INTO COSM_NEW_TRAF_INFO VALUES ('M','1','2024-05-02 09:00:00',50,1,2,3);"
            "INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES "
            "('M','2024-05-02 09:00:00','1','1','1','1','1','1','1','1','1','1','1','1');"));
        TfrmTrafMonText form;
        form.rdoNewSglClick();
        TVirtualStringTree* tree = TreeOf(form);
        tree->SetCheckState(tree->topLevelItem(0)->child(0), csCheckedNormal);
        form.tmrQueryTimer();
        QList<QStringList> rows = FilledRows(GridOf(form, "SprNewSgl"));
        QCOMPARE(rows.size(), 3);
        std::sort(rows.begin(), rows.end(), [](const QStringList& a, const QStringList& b) {
            return a[2] + a[7] < b[2] + b[7];
        });
        const QStringList n = {"3", "의정부교차로", "201", "신신호", "경기 의정부시", "11111110111",
                               "1"};
        QCOMPARE(rows[0], n + QStringList({"1", "35.5", "10", "50", "12"}));
        QCOMPARE(rows[1], n + QStringList({"2", "28", "8", "40", "9"}));
        QCOMPARE(rows[2].mid(2, 6),
                 QStringList({"202", "신신호", "경기 의정부시", "11111111111", "1", "1"}));
        QVERIFY(FilledRows(GridOf(form, "SprVDS")).isEmpty());
        QCOMPARE(LabelOf(form, "lblColDate"), QStringLiteral("2024/05/02 10:17:00"));
    }

    void refreshReplacesEarlierRows() {
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        tree->SetCheckState(NodeAt(tree, "서울TG(0201)#0"), csCheckedNormal);
        tree->SetCheckState(NodeAt(tree, "수원IC(0101)#0"), csCheckedNormal);
        form.tmrQueryTimer();
        QCOMPARE(FilledRows(GridOf(form, "SprVDS")).size(), 4);
        tree->SetCheckState(NodeAt(tree, "수원IC(0101)#0"), csUncheckedNormal);
        fx.db.Load("UPDATE ATC_NEW_TRAF_INFO SET TRAF=121 WHERE ATC_ID='A' AND IOFL_TYPE='1';");
        form.tmrQueryTimer();
        const QList<QStringList> rows = FilledRows(GridOf(form, "SprVDS"));
        QCOMPARE(rows.size(), 2);
        QVERIFY(rows[0][8] == QLatin1String("121") || rows[1][8] == QLatin1String("121"));
    }

    void moreRowsThanTheGridHolds() {
        TMonitorDb fx;
        // 300 stations on the axis 경부선, each with inflow and outflow figures: 600 rows.
        fx.db.Load(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 300)"
            " INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID)"
            " SELECT 'S'||i, 1000+i, '2', 'Y', 'SA' FROM n;"
            "INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, OPER_STAT)"
            " SELECT 1000+ATC_NUM, ATC_ID, 'L1', 1, 'Y' FROM ATC_INFO WHERE ATC_ID LIKE 'S%';"
            "INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, OPER_STAT)"
            " SELECT 2000+ATC_NUM, ATC_ID, 'L2', 1, 'Y' FROM ATC_INFO WHERE ATC_ID LIKE 'S%';"
            "INSERT INTO ATC_NEW_TRAF_INFO SELECT ATC_ID, '1', '2024-05-02 10:00:00', 1, 50, 1, '1'"
            " FROM ATC_INFO WHERE ATC_ID LIKE 'S%';"
            "INSERT INTO ATC_NEW_TRAF_INFO SELECT ATC_ID, '2', '2024-05-02 10:00:00', 2, 50, 1, '1'"
            " FROM ATC_INFO WHERE ATC_ID LIKE 'S%';"
            "INSERT INTO EQUP_STAT_HIST_NEW_INFO (ATC_ID, HRCL) SELECT ATC_ID, '1' FROM ATC_INFO"
            " WHERE ATC_ID LIKE 'S%';"
            "DELETE FROM OVD_INFO WHERE ATC_ID IN ('A','B');"));
        TfrmTrafMonText form;
        TVirtualStringTree* tree = TreeOf(form);
        tree->SetCheckState(NodeAt(tree, QStringLiteral("경부선")), csCheckedNormal);
        form.tmrQueryTimer();
        TfpSpread* grid = GridOf(form, "SprVDS");
        QCOMPARE(FilledRows(grid).size(), 600);
        form.tmrQueryTimer();  // a second refresh empties the grown grid first
        QCOMPARE(FilledRows(grid).size(), 600);
    }

    void nothingTickedLeavesTheGridAsItWas() {
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TfrmTrafMonText form;
        ShowAndWait(form);
        TVirtualStringTree* tree = TreeOf(form);
        ClickCheckBox(tree, NodeAt(tree, "서울TG(0201)#0"));
        form.tmrQueryTimer();
        const QList<QStringList> shown = FilledRows(GridOf(form, "SprVDS"));
        QCOMPARE(shown.size(), 2);
        const QString shownAt = LabelOf(form, "lblCurDate");
        ClickCheckBox(tree, NodeAt(tree, "서울TG(0201)#0"));
        fx.db.Load("DELETE FROM ATC_NEW_TRAF_INFO;");
        const int logOnsBefore = fx.logOns;
        form.tmrQueryTimer();
        QCOMPARE(fx.logOns, logOnsBefore);
        QCOMPARE(FilledRows(GridOf(form, "SprVDS")), shown);
        QCOMPARE(LabelOf(form, "lblCurDate"), shownAt);
    }

    void modeSwitchDropsTheTicks() {
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TfrmTrafMonText form;
        ShowAndWait(form);
        TVirtualStringTree* tree = TreeOf(form);
        ClickCheckBox(tree, NodeAt(tree, "축별"));
        // Choosing the mode already shown keeps the ticks.
        ClickRadio(form, "rdoVDS");
        QCOMPARE(form.GetCheckedAtcList(), QStringLiteral("'A','A','B','B','C','C'"));
        form.tmrQueryTimer();
        QCOMPARE(FilledRows(GridOf(form, "SprVDS")).size(), 4);

        ClickRadio(form, "rdoNewSgl");
        QCOMPARE(form.GetCheckedAtcList(), QString());
        const int logOnsBefore = fx.logOns;
        form.tmrQueryTimer();
        QCOMPARE(fx.logOns, logOnsBefore);
        QVERIFY(FilledRows(GridOf(form, "SprNewSgl")).isEmpty());

        // Back in VDS mode the grid shows what it showed, and still nothing is ticked.
        ClickRadio(form, "rdoVDS");
        QCOMPARE(form.GetMonitorMode(), 2);
        QCOMPARE(form.GetCheckedAtcList(), QString());
        QCOMPARE(FilledRows(GridOf(form, "SprVDS")).size(), 4);
    }

    void failedTickShowsOneBoxAndTheNextTickRecovers_data() {
        AddQueryFaults(QStringLiteral("EQUP_STAT_HIST_NEW_INFO"));
    }
    void failedTickShowsOneBoxAndTheNextTickRecovers() {
        QFETCH(QString, fault);
        QFETCH(QString, repair);
        QFETCH(QString, message);
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        // Two monitor windows refresh side by side; both fail while the fault lasts.
        TfrmTrafMonText first, second;
        for (TfrmTrafMonText* form : {&first, &second}) {
            TVirtualStringTree* tree = TreeOf(*form);
            tree->SetCheckState(NodeAt(tree, "서울TG(0201)#0"), csCheckedNormal);
            form->tmrQueryTimer();
            QCOMPARE(FilledRows(GridOf(*form, "SprVDS")).size(), 2);
            form->tmrQuery->setInterval(50);
        }

        // Each grid is emptied for a failed tick and filled again by a later one.
        CheckFailingRefresh<TfrmTrafMonText>(
            fx, fault, repair, message, first, second,
            {fx.dm->vdsConnection, fx.dm->dsQuery,
             [](TfrmTrafMonText& w, bool on) { on ? w.btnStartClick() : w.btnStopClick(); },
             [](TfrmTrafMonText& w) { return w.tmrQuery->isActive(); },
             [](TfrmTrafMonText& w) { return FilledRows(GridOf(w, "SprVDS")).size() == 2; }});
    }

    // ---- the SQL texts ------------------------------------------------------------------

    void sqlTexts_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("axis branch, VDS")
            << AxisBranchSql(2)
            << QStringLiteral(
                   "SELECT DISTINCT A.AXLE_NAME AXLE_NAME1, L.LINK_ID LINK_ID1, S.SPOT_ID "
                   "SPOT_ID1, "
                   "S.SPOT_NAME SPOT_NAME1, O.ATC_ID ATC_ID1, T.ATC_NUM ATC_NUM1 FROM "
                   "ROAD_LINK_INFO L,   "
                   "OVD_INFO O,   ATC_INFO T,   SPOT_INFO S,   AXLE_INFO A  WHERE "
                   "L.LINK_ID=O.LINK_ID "
                   "AND O.ATC_ID=T.ATC_ID AND T.SET_SPOT_ID=S.SPOT_ID AND A.AXLE_ID = L.AXLE_ID "
                   "AND T.EQUP_TYPE = 2 AND T.OPER_STAT = 'Y' ORDER BY AXLE_NAME1, ATC_NUM1 ");
        QTest::newRow("survey-point branch, new signal")
            << ResrBranchSql(1)
            << QStringLiteral(
                   "SELECT DISTINCT R.RESR_SPOT_ID RESR_SPOT_ID1, R.RESR_NAME RESR_NAME1, "
                   "S.SPOT_ID SPOT_ID1, "
                   "S.SPOT_NAME SPOT_NAME1, A.ATC_ID ATC_ID1, A.ATC_NUM ATC_NUM1 FROM "
                   "RESR_SPOT_CONF_INFO C, "
                   "          SPOT_INFO S,           ATC_INFO A,           RESR_SPOT_INFO R "
                   "WHERE C.RESR_GRUP_NUM = '0' AND R.RESR_SPOT_ID = C.RESR_SPOT_ID AND "
                   "C.SPOT_ID=S.SPOT_ID "
                   "AND S.SPOT_ID=A.SET_SPOT_ID AND A.EQUP_TYPE = 1 AND A.OPER_STAT = 'Y' "
                   "ORDER BY RESR_NAME1, ATC_NUM1 ");
        const QString count = QStringLiteral(
            "SELECT COUNT(A.ATC_ID) OVD_CNT FROM ATC_INFO A, OVD_INFO O, ROAD_LINK_INFO R "
            "WHERE A.ATC_ID = O.ATC_ID AND R.LINK_ID = O.LINK_ID AND A.EQUP_TYPE = 2 "
            "AND A.OPER_STAT = 'Y' AND O.OPER_STAT = 'Y' AND R.IOFL_TYPE = %1 AND A.ATC_ID = "
            "'V0123'");
        QTest::newRow("inflow count") << OvdCountSql("V0123", 1) << count.arg(1);
        QTest::newRow("outflow count") << OvdCountSql("V0123", 2) << count.arg(2);
        const QString status = QStringLiteral(
            "E.HRCL HRCL, E.HPOS HPOS, E.HROM HROM, E.HRAM HRAM, E.SUMT SUMT, E.SLPF SLPF, "
            "E.SSPF SSPF, E.SDOO SDOO, E.SFAF SFAF, E.SCOR SCOR, E.SACK SACK, "
            "E.COM_ERR_STAT COM_ERR_STAT, ");
        QTest::newRow("VDS grid")
            << VdsGridSql("'A','B'")
            << QStringLiteral(
                   "SELECT DISTINCT TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') YMD, R.ROAD_NUM ROAD_NUM, "
                   "S.SPOT_NAME SPOT_NAME, A.ATC_NUM ATC_NUM, B.SYS_CODE_NAME ATC_KIND, "
                   "S.SPOT_LOCA SPOT_LOCA, ") +
                   status +
                   QStringLiteral(
                       "DECODE(M.IOFL_TYPE,'1',M.TRAF) AS ITRAF, "
                       "ROUND(DECODE(M.IOFL_TYPE,'1',M.SPED),2) AS ISPED, "
                       "DECODE(M.IOFL_TYPE,'1',M.OCCU_RATE) AS IRATE, "
                       "DECODE(M.IOFL_TYPE,'1',M.TRAF_STAT) AS ISTAT, "
                       "DECODE(M.IOFL_TYPE,'2',M.TRAF) AS OTRAF, "
                       "ROUND(DECODE(M.IOFL_TYPE,'2',M.SPED),2) AS OSPED, "
                       "DECODE(M.IOFL_TYPE,'2',M.OCCU_RATE) AS ORATE, "
                       "DECODE(M.IOFL_TYPE,'2',M.TRAF_STAT) AS OSTAT "
                       "FROM  ATC_NEW_TRAF_INFO M, ROAD_LINK_INFO R, SPOT_INFO S, OVD_INFO O, "
                       "ATC_INFO A, "
                       "EQUP_STAT_HIST_NEW_INFO E, BASE_CODE_INFO B WHERE M.ATC_ID=O.ATC_ID AND "
                       "O.LINK_ID=R.LINK_ID "
                       "AND R.IOFL_TYPE=M.IOFL_TYPE AND O.ATC_ID=A.ATC_ID AND E.ATC_ID = A.ATC_ID "
                       "AND A.SET_SPOT_ID=S.SPOT_ID AND B.CODE_TYPE = 'VD_EK' AND B.SYS_CODE = "
                       "A.EQUP_TYPE "
                       "AND A.EQUP_TYPE = '2' AND A.ATC_ID IN ('A','B')ORDER BY "
                       "TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') ");
        QTest::newRow("new-signal grid")
            << NewSglGridSql("'N'")
            << QStringLiteral(
                   "SELECT DISTINCT TO_CHAR(C.TYPE_TIME, 'YYYY-MM-DD') YMD, R.ROAD_NUM ROAD_NUM, "
                   "S.SPOT_NAME SPOT_NAME, A.ATC_NUM ATC_NUM, B.SYS_CODE_NAME ATC_KIND, "
                   "S.SPOT_LOCA SPOT_LOCA, ") +
                   status +
                   QStringLiteral(
                       "R.CROS_DIR_TYPE CROS_DIR_TYPE, C.SPED SPED, C.LEFT_TRAF LTRAF, C.STGH_TRAF "
                       "STRAF, "
                       "C.RIGH_TRAF RTRAF FROM COSM_NEW_TRAF_INFO C, ROAD_LINK_INFO R, SPOT_INFO "
                       "S, OVD_INFO O, "
                       "ATC_INFO A, EQUP_STAT_HIST_NEW_INFO E, BASE_CODE_INFO B WHERE "
                       "O.LINK_ID=R.LINK_ID "
                       "AND O.ATC_ID=A.ATC_ID AND E.ATC_ID = A.ATC_ID AND A.SET_SPOT_ID=S.SPOT_ID "
                       "AND B.CODE_TYPE = 'VD_EK' AND B.SYS_CODE = A.EQUP_TYPE AND A.EQUP_TYPE = "
                       "'1' "
                       "AND C.ATC_ID = O.ATC_ID AND C.CROS_DIR_TYPE = R.CROS_DIR_TYPE "
                       "AND A.ATC_ID IN ('N')ORDER BY TO_CHAR(C.TYPE_TIME, 'YYYY-MM-DD') ");
    }
    void sqlTexts() {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
    }

    // ---- damaged stored values ------------------------------------------------------------

    void rowsWithANulAreSkippedAndTheWindowOpens() {
        if (OnServer())
            QSKIP("the server's text holds neither a NUL byte nor bytes that are not UTF-8");
        TMonitorDb fx(QString::fromUtf8(kRoadNetwork) + QStringLiteral(R"SQL(
INSERT INTO SPOT_INFO VALUES ('SD','손상지점','없음'),('SU','원주' || CAST(X'FF' AS TEXT),'강원');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES
 ('D' || char(0) || '1',105,'2','Y','SD'),(CAST(X'55FF' AS TEXT),106,'2','Y','SU');
INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES
 (14,'D' || char(0) || '1','L1',1,'Y'),(15,CAST(X'55FF' AS TEXT),'L3',1,'Y');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0','R1','SD');
)SQL"));
        TMessageRecorder boxes;
        TfrmTrafMonText form;
        // Both branches' rows in one box, once the rebuild is over.
        QTRY_COMPARE(boxes.messages.size(), 1);
        QCOMPARE(boxes.messages[0],
                 QStringLiteral("저장된 값에 NUL 문자가 있어 다음 행을 트리에 넣지 않았습니다:\n"
                                "AXLE_NAME1='경부선', LINK_ID1='L1', SPOT_ID1='SD', "
                                "SPOT_NAME1='손상지점', ATC_ID1='D\\01', ATC_NUM1='105'\n"
                                "RESR_SPOT_ID1='R1', RESR_NAME1='수도권', SPOT_ID1='SD', "
                                "SPOT_NAME1='손상지점', ATC_ID1='D\\01', ATC_NUM1='105'"));
        PVirtualNode root = TreeOf(form)->topLevelItem(0);
        PVirtualNode axis = root->child(0);
        PVirtualNode resr = root->child(1);
        QCOMPARE(ChildTexts(axis), QStringList({"경부선", "영동선"}));
        QCOMPARE(ChildTexts(axis->child(0)),
                 QStringList({"서울TG(0201)", "서울TG(0201)", "수원IC(0101)", "수원IC(0101)"}));
        // The id that is not UTF-8 shows its replacement character; its station is listed.
        const QStringList yeongdong = ChildTexts(axis->child(1));
        QCOMPARE(yeongdong.size(), 3);
        QVERIFY2(
            yeongdong[2].startsWith(QStringLiteral("원주") + QChar(QChar::ReplacementCharacter)),
            qPrintable(yeongdong.join(',')));
        QCOMPARE(TreeOf(form)->GetNodeDataAs<data>(axis->child(1)->child(2))->strATC_ID,
                 QStringLiteral("U") + QChar(QChar::ReplacementCharacter));
        QCOMPARE(ChildTexts(resr), QStringList({"강원권", "수도권"}));
        QCOMPARE(ChildTexts(resr->child(1)), QStringList({"서울TG(0201)", "수원IC(0101)"}));
        QVERIFY(!fx.dm->vdsConnection.Connected());
        QVERIFY(!fx.dm->dsAxis.Active() && !fx.dm->dsPoint.Active() && !fx.dm->dsQuery.Active());
        QCoreApplication::processEvents();  // nothing more was posted
        QCOMPARE(boxes.messages.size(), 1);
    }
};

VDS_TEST_MAIN(tst_TrafMonTextFrm)
#include "tst_TrafMonTextFrm.moc"
