// The controller tree and its detail strip, on a fixture database.

#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

#include "Check.h"
#include "CommandFixture.h"
#include "ControllerTree.h"
#include "DebugFrm.h"
#include "OracleDM.h"
#include "StatementTrace.h"
#include "TestSupport.h"
#include "main.h"

namespace {
const char* kFixture = R"SQL(
INSERT INTO AXLE_INFO VALUES ('A1', '경부선 ');
INSERT INTO AXLE_INFO VALUES ('A2', '올림픽대로');
INSERT INTO AXLE_INFO VALUES ('  A3 ', ' 강변북로');
INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L31', 'A3', '2');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES ('0105', 235, '2', 'Y', 'S2');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0105', 'L31', 1, 'Y');
INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L11', 'A1', '1');
INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L12', 'A1', '2');
INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L13', 'A1', '1');
INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L21', 'A2', '1');
INSERT INTO SPOT_INFO VALUES ('S1', '  한남대교 북단 ', '서울 용산구');
INSERT INTO SPOT_INFO VALUES ('S2', '반포대교', '서울 서초구');
INSERT INTO SPOT_INFO VALUES ('S3', '신호 교차로', '서울 중구');
INSERT INTO SPOT_INFO VALUES ('S4', '잠실대교', '서울 송파구');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES ('0101', 231, '2', 'Y', 'S1');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES ('0102', 232, '2', 'N', 'S2');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES ('0103', 233, '1', 'Y', 'S3');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES ('0104', 234, '2', 'Y', 'S4');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L11', 1, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L11', 2, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L11', 3, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L12', 4, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L12', 5, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L13', 6, 'N');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0102', 'L21', 1, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0102', 'L21', 2, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0103', 'L21', 3, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0104', 'L11', 7, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0104', 'L21', 8, 'Y');
INSERT INTO RESR_SPOT_INFO VALUES ('0', '기본', ' R1 ', ' 도심권 ');
INSERT INTO RESR_SPOT_INFO VALUES ('0', '기본', 'R2', '외곽');
INSERT INTO RESR_SPOT_INFO VALUES ('1', '기타', 'R9', '다른 번호');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0', 'R1', 'S1');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0', 'R1', 'S2');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0', 'R2', 'S4');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0', 'R2', 'S1');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('1', 'R9', 'S4');
)SQL";

// A window stand-in holding a tree and the four value labels of the detail strip.
struct THost {
    QWidget window;
    TVirtualStringTree* tree = new TVirtualStringTree;
    QLabel* axis = new QLabel(QStringLiteral("한강북단"));
    QLabel* ctl = new QLabel(QStringLiteral("231"));
    QLabel* dir = new QLabel(QStringLiteral("상(3), 하(4)"));
    QLabel* loops = new QLabel(QStringLiteral("14"));
    TControllerTree ct{tree, TDetailStrip{axis, ctl, dir, loops}};
    THost() {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{tree, axis, ctl, dir, loops})
            layout->addWidget(w);
        window.resize(300, 700);
    }
};

QStringList Texts(TVirtualStringTree* t, PVirtualNode parent) {
    QStringList out;
    for (PVirtualNode n = t->GetFirstChild(parent); n; n = t->GetNextSibling(n)) out << n->text(0);
    return out;
}

PVirtualNode Child(TVirtualStringTree* t, PVirtualNode parent, int index) {
    PVirtualNode n = t->GetFirstChild(parent);
    while (n && index-- > 0) n = t->GetNextSibling(n);
    return n;
}
}  // namespace

class tst_ControllerTree : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TProgramFixture> fx;
    void Tick(THost& h, PVirtualNode leaf) {
        // As an operator: a click on the node's check box.
        h.tree->scrollToItem(leaf);
        QTest::mouseClick(h.tree->viewport(), Qt::LeftButton, {},
                          h.tree->CheckBoxRect(leaf).center());
    }
    // The first leaf of controller atcId under a branch head.
    static PVirtualNode Leaf(THost& h, PVirtualNode branchNode, const QString& atcId) {
        for (PVirtualNode g = h.tree->GetFirstChild(branchNode); g; g = h.tree->GetNextSibling(g))
            for (PVirtualNode n = h.tree->GetFirstChild(g); n; n = h.tree->GetNextSibling(n))
                if (h.tree->GetNodeDataAs<data>(n)->strATC_ID == atcId) return n;
        return nullptr;
    }
    QList<PVirtualNode> Ticked(THost& h) {
        QList<PVirtualNode> out;
        std::function<void(PVirtualNode)> walk = [&](PVirtualNode n) {
            for (PVirtualNode c = h.tree->GetFirstChild(n); c; c = h.tree->GetNextSibling(c)) {
                if (h.tree->CheckState(c) == csCheckedNormal) out << c;
                walk(c);
            }
        };
        walk(nullptr);
        return out;
    }

private slots:
    void initTestCase() { fx = std::make_unique<TProgramFixture>(QString::fromUtf8(kFixture)); }
    void cleanupTestCase() { fx.reset(); }

    void shapeAndCheckBoxes() {
        THost h;
        h.ct.Build();
        auto* t = h.tree;
        QCOMPARE(Texts(t, nullptr), QStringList({"교통량 수집 제어기"}));
        QCOMPARE(Texts(t, h.ct.pRootNode), QStringList({"축별", "조사지점군별"}));
        // Names trimmed, ordered by name; the trimmed id found the axis's links.
        QCOMPARE(Texts(t, h.ct.pAxisBranch), QStringList({"강변북로", "경부선", "올림픽대로"}));
        QCOMPARE(Texts(t, Child(t, h.ct.pAxisBranch, 0)), QStringList({"반포대교"}));
        QCOMPARE(Texts(t, h.ct.pResrBranch), QStringList({"도심권", "외곽"}));
        PVirtualNode gyeongbu = Child(t, h.ct.pAxisBranch, 1);
        // 0101 lies on three links of this axis: one leaf per link; 0104 once; new signal never.
        QStringList leaves = Texts(t, gyeongbu);
        leaves.sort();
        QCOMPARE(leaves,
                 QStringList({"잠실대교", "한남대교 북단", "한남대교 북단", "한남대교 북단"}));
        QStringList olympic = Texts(t, Child(t, h.ct.pAxisBranch, 2));
        olympic.sort();
        QCOMPARE(olympic, QStringList({"반포대교", "잠실대교"}));  // out of operation listed too
        QStringList downtown = Texts(t, Child(t, h.ct.pResrBranch, 0));
        downtown.sort();
        QCOMPARE(downtown, QStringList({"반포대교", "반포대교",
                                        "한남대교 북단"}));  // two controllers at one spot
        // Only leaves can be ticked.
        for (PVirtualNode n : {h.ct.pRootNode, h.ct.pAxisBranch, h.ct.pResrBranch, gyeongbu})
            QVERIFY(!(n->flags() & Qt::ItemIsUserCheckable));
        for (PVirtualNode n = t->GetFirstChild(gyeongbu); n; n = t->GetNextSibling(n)) {
            QCOMPARE(t->CheckType(n), ctCheckBox);
            QVERIFY(n->flags() & Qt::ItemIsUserCheckable);
            QCOMPARE(t->CheckState(n), csUncheckedNormal);
            QCOMPARE(t->GetNodeLevel(n), 3);
        }
        QVERIFY(gyeongbu->isExpanded() && h.ct.pResrBranch->isExpanded());
        // After the build the connection is logged off and the datasets closed.
        QVERIFY(!dmOracle->vdsConnection.Connected());
        for (TSQLClientDataSet* ds :
             {&dmOracle->dsAxis, &dmOracle->dsPoint, &dmOracle->dsQuery, &dmOracle->dsQuery2})
            QVERIFY(!ds->Active());
        QVERIFY(h.ct.pCurSel() == nullptr);
    }

    void leafRecordsAndTrimmedSplicing() {
        THost h;
        h.ct.Build();
        const data* trimmed = h.tree->GetNodeDataAs<data>(Child(h.tree, h.ct.pAxisBranch, 0));
        QCOMPARE(trimmed->strParentID, QStringLiteral("A3"));
        QCOMPARE(trimmed->strName, QStringLiteral("강변북로"));
        PVirtualNode gyeongbu = Child(h.tree, h.ct.pAxisBranch, 1);
        const data* axis = h.tree->GetNodeDataAs<data>(gyeongbu);
        QCOMPARE(axis->strID, QStringLiteral("1"));
        QCOMPARE(axis->strParentID, QStringLiteral("A1"));
        const data* leaf = h.tree->GetNodeDataAs<data>(h.tree->GetFirstChild(gyeongbu));
        QCOMPARE(leaf->strID, QStringLiteral("1"));
        QCOMPARE(leaf->strAXLE_NAME, QStringLiteral("경부선"));
        QCOMPARE(leaf->strParentID, QStringLiteral("A1"));
        QVERIFY(!leaf->strLINK_ID.isEmpty() && !leaf->strATC_ID.isEmpty());
        const data* groupLeaf =
            h.tree->GetNodeDataAs<data>(h.tree->GetFirstChild(Child(h.tree, h.ct.pResrBranch, 0)));
        QCOMPARE(groupLeaf->strID, QStringLiteral("2"));
        QCOMPARE(groupLeaf->strRESR_SPOT_ID, QStringLiteral("R1"));
        QCOMPARE(groupLeaf->strRESR_NAME, QStringLiteral("도심권"));
        QVERIFY(groupLeaf->strLINK_ID.isEmpty());
        QCOMPARE(
            AxisControllersSql("2", "A1"),
            QStringLiteral(
                "SELECT DISTINCT L.LINK_ID LINK_ID, S.SPOT_ID SPOT_ID, S.SPOT_NAME SPOT_NAME, "
                "T.ATC_ID ATC_ID FROM ROAD_LINK_INFO L,   OVD_INFO O,   ATC_INFO T,   SPOT_INFO S "
                "WHERE L.AXLE_ID = 'A1' AND L.LINK_ID=O.LINK_ID AND O.ATC_ID=T.ATC_ID "
                "AND T.EQUP_TYPE = '2' AND T.SET_SPOT_ID=S.SPOT_ID "));
        QCOMPARE(
            ResrControllersSql("2", "R1"),
            QStringLiteral(
                "SELECT DISTINCT S.SPOT_ID SPOT_ID, S.SPOT_NAME SPOT_NAME, A.ATC_ID ATC_ID "
                "FROM RESR_SPOT_CONF_INFO C,   SPOT_INFO S,   ATC_INFO A WHERE C.RESR_GRUP_NUM='0' "
                "AND C.RESR_SPOT_ID='R1' AND C.SPOT_ID=S.SPOT_ID AND S.SPOT_ID=A.SET_SPOT_ID "
                "AND A.EQUP_TYPE = '2' "));
        // Each station query is kept in a hidden debug window.
        bool found = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TfrmDebug*>(w))
                if (d->MemoText() == ResrControllersSql("2", "R1")) found = !d->isVisible();
        QVERIFY(found);
    }

    void quoteInAnIdCannotChangeTheStatement() {
        QCOMPARE(
            AxisControllersSql("2", "A1' OR '1'='1").count(QStringLiteral("'A1'' OR ''1''=''1'")),
            1);
        QVERIFY(OvdCountSql("0101'--", 1).endsWith(QStringLiteral("A.ATC_ID = '0101''--'")));
    }

    void tickingSelectsExactlyOneLeaf() {
        THost h;
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        h.ct.Build();
        int selections = 0;
        h.ct.OnSelected = [&](const data*) { ++selections; };
        PVirtualNode axisLeaf = nullptr;
        for (PVirtualNode n = h.tree->GetFirstChild(Child(h.tree, h.ct.pAxisBranch, 1)); n;
             n = h.tree->GetNextSibling(n))
            if (h.tree->GetNodeDataAs<data>(n)->strATC_ID == "0101") axisLeaf = n;
        PVirtualNode groupLeaf = nullptr;
        for (PVirtualNode n = h.tree->GetFirstChild(Child(h.tree, h.ct.pResrBranch, 1)); n;
             n = h.tree->GetNextSibling(n))
            if (h.tree->GetNodeDataAs<data>(n)->strATC_ID == "0101") groupLeaf = n;
        QVERIFY(axisLeaf && groupLeaf);

        Tick(h, axisLeaf);
        QCOMPARE(Ticked(h), QList<PVirtualNode>({axisLeaf}));
        QCOMPARE(selections, 1);
        QCOMPARE(h.ct.pCurSel()->strATC_ID, QStringLiteral("0101"));
        QVERIFY(h.ct.pCurSel()->strParentID.isEmpty());  // the copy leaves the parent key out
        QCOMPARE(h.ct.pCurSel()->strLINK_ID, h.tree->GetNodeDataAs<data>(axisLeaf)->strLINK_ID);

        // Another leaf of the same controller: only the node just ticked carries a tick.
        Tick(h, groupLeaf);
        QCOMPARE(Ticked(h), QList<PVirtualNode>({groupLeaf}));
        QCOMPARE(h.ct.pCurSel()->strID, QStringLiteral("2"));
        QCOMPARE(selections, 2);

        // The ticked leaf clicked again stays ticked and selects again.
        h.axis->setText(QStringLiteral("stale"));
        Tick(h, groupLeaf);
        QCOMPARE(Ticked(h), QList<PVirtualNode>({groupLeaf}));
        QCOMPARE(selections, 3);
        QCOMPARE(h.axis->text(), QStringLiteral("경부선 "));  // detail values are shown as read

        // Clicking a node's text focuses it and ticks nothing.
        QTest::mouseClick(h.tree->viewport(), Qt::LeftButton, {},
                          h.tree->visualItemRect(Child(h.tree, h.ct.pAxisBranch, 2)).center());
        QTest::mouseClick(h.tree->viewport(), Qt::LeftButton, {},
                          h.tree->visualItemRect(axisLeaf).center());
        QCOMPARE(Ticked(h), QList<PVirtualNode>({groupLeaf}));
        QCOMPARE(selections, 3);
    }

    void detailStrip_data() {
        QTest::addColumn<QString>("atcId");
        QTest::addColumn<int>("branch");
        QTest::addColumn<QString>("axis");
        QTest::addColumn<QString>("ctl");
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("loops");
        QTest::newRow("axis branch: 3 in, 2 out, a stopped detector left out")
            << "0101" << 0 << "경부선"
            << "231"
            << "유입 : 3, 유출 : 2"
            << "5";
        QTest::newRow("group branch: axis and number read from the database, untrimmed")
            << "0101" << 1 << "경부선 "
            << "231"
            << "유입 : 3, 유출 : 2"
            << "5";
        QTest::newRow("out of operation: every count 0") << "0102" << 0 << "올림픽대로"
                                                         << "232"
                                                         << "유입 : 0, 유출 : 0"
                                                         << "0";
        QTest::newRow("detectors on two axes: first axis by name") << "0104" << 1 << "경부선 "
                                                                   << "234"
                                                                   << "유입 : 2, 유출 : 0"
                                                                   << "2";
    }
    void detailStrip() {
        QFETCH(QString, atcId);
        QFETCH(int, branch);
        QFETCH(QString, axis);
        QFETCH(QString, ctl);
        QFETCH(QString, dir);
        QFETCH(QString, loops);
        THost h;
        h.ct.Build();
        PVirtualNode leaf = Leaf(h, branch == 0 ? h.ct.pAxisBranch : h.ct.pResrBranch, atcId);
        QVERIFY(leaf);
        h.ct.LeafTreeChecked(leaf);
        QCOMPARE(h.axis->text(), axis);
        QCOMPARE(h.ctl->text(), ctl);
        QCOMPARE(h.dir->text(), dir);
        QCOMPARE(h.loops->text(), loops);
        QVERIFY(!dmOracle->dsQuery.Active());
    }

    void detailQueriesRunInflowThenOutflow_data() {
        QTest::addColumn<int>("branch");
        QTest::newRow("axis branch") << 0;
        QTest::newRow("group branch") << 1;
    }
    void detailQueriesRunInflowThenOutflow() {
        QFETCH(int, branch);
        THost h;
        h.ct.Build();
        PVirtualNode leaf = Leaf(h, branch == 0 ? h.ct.pAxisBranch : h.ct.pResrBranch, "0101");
        QVERIFY(leaf);
        TStatementTrace trace(dmOracle->vdsConnection);
        h.ct.LeafTreeChecked(leaf);
        QCOMPARE(trace.statements, QStringList({AxisAndCtlNoSql("0101"), OvdCountSql("0101", 1),
                                                OvdCountSql("0101", 2), LoopDetCountSql("0101")}));
    }

    void noSelectionIsAnError() {
        THost h;
        QVERIFY_THROWS_EXCEPTION(TCheckError, h.ct.ShowControllerInfo(nullptr));
        QVERIFY(h.axis->text().isEmpty());
    }

    void emptyAxisTableStillBuildsGroups() {
        TTempDatabase other;
        other.Load(QString::fromUtf8(kFixture) + "DELETE FROM AXLE_INFO;");
        fx->UseDatabase(other.Path());
        THost h;
        h.ct.Build();
        QCOMPARE(h.tree->ChildCount(h.ct.pAxisBranch), 0);
        QCOMPARE(Texts(h.tree, h.ct.pResrBranch), QStringList({"도심권", "외곽"}));
        fx->UseDatabase(fx->db.Path());
    }

    void failedBuildKeepsNodesAndRecovers() {
        TTempDatabase broken;
        broken.Load(QString::fromUtf8(kFixture) + "DROP TABLE RESR_SPOT_CONF_INFO;");
        fx->UseDatabase(broken.Path());
        TMessageRecorder boxes;
        THost h;
        h.ct.Build();
        QCOMPARE(boxes.messages.size(), 1);
        QVERIFY2(boxes.messages[0].contains("RESR_SPOT_CONF_INFO", Qt::CaseInsensitive),
                 qPrintable(boxes.messages[0]));
        QCOMPARE(Texts(h.tree, h.ct.pAxisBranch),
                 QStringList({"강변북로", "경부선", "올림픽대로"}));
        QCOMPARE(h.tree->ChildCount(h.ct.pResrBranch), 1);  // the group added before the failure
        QVERIFY(!h.ct.pRootNode->isExpanded());
        // The next query can run: nothing was left open.
        fx->UseDatabase(fx->db.Path());
        THost again;
        again.ct.Build();
        QCOMPARE(again.tree->ChildCount(again.ct.pResrBranch), 2);
    }

    // ---- damaged stored values -----------------------------------------------------------

    void rowsWithANulAreSkippedAndNamedInOneMessage() {
        if (OnServer())
            QSKIP("the server's text holds neither a NUL byte nor bytes that are not UTF-8");
        TTempDatabase damaged;
        damaged.Load(QString::fromUtf8(kFixture) + QStringLiteral(R"SQL(
INSERT INTO AXLE_INFO VALUES ('A9' || char(0) || 'x', '손상축');
INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, IOFL_TYPE) VALUES ('L91', 'A9' || char(0) || 'x', '1');
INSERT INTO SPOT_INFO VALUES ('S5', '손상지점', '서울');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID)
    VALUES ('0106' || char(0) || 'Z', 236, '2', 'Y', 'S5');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0106' || char(0) || 'Z', 'L11', 9, 'Y');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0101', 'L91', 9, 'Y');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0', 'R1', 'S5');
INSERT INTO RESR_SPOT_INFO VALUES ('0', '기본', 'R3' || char(0), '손상군');
)SQL"));
        fx->UseDatabase(damaged.Path());
        TMessageRecorder boxes;
        THost h;
        h.ct.Build();
        QCOMPARE(boxes.messages,
                 QStringList({QStringLiteral(
                     "저장된 값에 NUL 문자가 있어 다음 행을 트리에 넣지 않았습니다:\n"
                     "LINK_ID='L11', SPOT_ID='S5', SPOT_NAME='손상지점', ATC_ID='0106\\0Z'\n"
                     "AXLE_ID='A9\\0x', AXLE_NAME='손상축'\n"
                     "SPOT_ID='S5', SPOT_NAME='손상지점', ATC_ID='0106\\0Z'\n"
                     "RESR_SPOT_ID='R3\\0', RESR_NAME='손상군'")}));
        // Everything else is there, as without the damaged rows, and the build went to its end.
        auto* t = h.tree;
        QCOMPARE(Texts(t, h.ct.pAxisBranch), QStringList({"강변북로", "경부선", "올림픽대로"}));
        QStringList gyeongbu = Texts(t, Child(t, h.ct.pAxisBranch, 1));
        gyeongbu.sort();
        QCOMPARE(gyeongbu,
                 QStringList({"잠실대교", "한남대교 북단", "한남대교 북단", "한남대교 북단"}));
        QStringList olympic = Texts(t, Child(t, h.ct.pAxisBranch, 2));
        olympic.sort();
        QCOMPARE(olympic, QStringList({"반포대교", "잠실대교"}));
        QCOMPARE(Texts(t, h.ct.pResrBranch), QStringList({"도심권", "외곽"}));
        QStringList downtown = Texts(t, Child(t, h.ct.pResrBranch, 0));
        downtown.sort();
        QCOMPARE(downtown, QStringList({"반포대교", "반포대교", "한남대교 북단"}));
        QVERIFY(h.ct.pRootNode->isExpanded());
        QVERIFY(!dmOracle->vdsConnection.Connected());
        fx->UseDatabase(fx->db.Path());
    }

    void idsThatAreNotUtf8ShowAsReplacementCharacters() {
        if (OnServer())
            QSKIP("the server's text holds neither a NUL byte nor bytes that are not UTF-8");
        TTempDatabase damaged;
        damaged.Load(QString::fromUtf8(kFixture) + QStringLiteral(R"SQL(
INSERT INTO SPOT_INFO VALUES ('S6', '성수' || CAST(X'FF' AS TEXT), '서울');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID)
    VALUES (CAST(X'30313037FF' AS TEXT), 237, '2', 'Y', 'S6');
INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES (CAST(X'30313037FF' AS TEXT), 'L21', 9, 'Y');
)SQL"));
        fx->UseDatabase(damaged.Path());
        TMessageRecorder boxes;
        THost h;
        h.ct.Build();
        QCOMPARE(boxes.messages, QStringList());
        const QString replaced = QStringLiteral("성수") + QChar(QChar::ReplacementCharacter);
        PVirtualNode olympic = Child(h.tree, h.ct.pAxisBranch, 2);
        PVirtualNode leaf = nullptr;
        for (PVirtualNode n = h.tree->GetFirstChild(olympic); n; n = h.tree->GetNextSibling(n))
            if (n->text(0) == replaced) leaf = n;
        QVERIFY(leaf);
        QCOMPARE(h.tree->GetNodeDataAs<data>(leaf)->strATC_ID,
                 QStringLiteral("0107") + QChar(QChar::ReplacementCharacter));
        fx->UseDatabase(fx->db.Path());
    }
};

VDS_TEST_MAIN(tst_ControllerTree)
#include "tst_ControllerTree.moc"
