// The accumulated-traffic request window: its request, the wait and the averaged rows.

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "CommandFixture.h"
#include "Grid.h"
#include "InfoReq.h"
#include "MdiWindows.h"
#include "RemoteCtrl.h"

namespace {
QString AccuRow(const char* id, int lane, const QString& time, double sped, int traf, double occu,
                int used = 0) {
    return QStringLiteral("INSERT INTO ACCU_TRAF_INFO VALUES ('%1', %2, '%3', %4, %5, %6, %7);")
        .arg(QString::fromLatin1(id))
        .arg(lane)
        .arg(time)
        .arg(sped)
        .arg(traf)
        .arg(occu)
        .arg(used);
}

QString Fixture() {
    QString sql = BaseRows();
    // 0102: two inflow lanes on L1 and two outflow lanes on L2.
    sql += ControllerRows("0102", 231);
    sql += QStringLiteral(
        "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0102', 'L1', 2, 'Y');"
        "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0102', 'L2', 3, 'Y');"
        "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0102', 'L2', 4, "
        "'Y');");
    sql += AccuRow("0102", 1, "2026-12-08 07:00:00", 60, 10, 5) +
           AccuRow("0102", 2, "2026-12-08 07:00:00", 80, 12, 7) +
           AccuRow("0102", 3, "2026-12-08 07:00:00", 50, 8, 4) +
           AccuRow("0102", 4, "2026-12-08 07:00:00", 40, 6, 2);
    sql += AccuRow("0102", 1, "2026-12-08 06:00:00", 99, 99, 99, 1);  // already used: left out
    // 0103: ten detection times on one lane.
    sql += ControllerRows("0103", 232);
    for (int i = 0; i < 10; ++i)
        sql += AccuRow("0103", 1,
                       QStringLiteral("2026-12-08 08:%1:00").arg(i * 5, 2, 10, QLatin1Char('0')),
                       50 + i, i, 1);
    // 0104: more rows than the grid was made for.
    sql += ControllerRows("0104", 233);
    for (int i = 0; i < 520; ++i)
        sql += AccuRow("0104", 1,
                       QStringLiteral("2026-12-%1 %2:%3:00")
                           .arg(1 + i / 96, 2, 10, QLatin1Char('0'))
                           .arg((i / 4) % 24, 2, 10, QLatin1Char('0'))
                           .arg((i % 4) * 15, 2, 10, QLatin1Char('0')),
                       60, 1, 1);
    return sql;
}

QString Cell(TfpSpread* g, int row, int col) {
    g->SetRow(row);
    g->SetCol(col);
    return g->Text();
}
}  // namespace

class tst_InfoReq : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TCommandFixture> fx;

private slots:
    void initTestCase() { fx = std::make_unique<TCommandFixture>(Fixture()); }
    void cleanupTestCase() { fx.reset(); }
    void init() {
        fx->server.ClearFrames();
        fx->server.SetDefaultStatus(TStandInServer::kAccepted);
        fx->server.SetMisbehaviour(TMisbehaviour::None);
    }

    void gridLayout() {
        TfrmInfoReq w;
        TfpSpread* g = w.Grid();
        QCOMPARE(g->MaxCols(), 10);
        QCOMPARE(g->MaxRows(), 500);
        QStringList headers;
        for (int c = 1; c <= 10; ++c) headers << Cell(g, 0, c);
        QCOMPARE(headers, QStringList({"도로번호", "제어기번호", "설치 위치", "검지 시각",
                                       "유입 속도", "유입 교통량", "유입 점유율", "유출속도",
                                       "유출 교통량", "유출 점유율"}));
        QCOMPARE(w.windowTitle(), QStringLiteral("축적 교통 정보 요청"));
    }

    void statementText() {
        QCOMPARE(
            AccuTrafSql("0102"),
            QStringLiteral(
                "SELECT R.ROAD_NUM ROAD_NUM, A.ATC_NUM ATC_NUM, S.SPOT_LOCA SPOT_LOCA, M.DETC_TIME "
                "DETC_TIME, "
                "ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.SPED,0)),2) AS ISPED, "
                "ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.TRAF,0)),2) AS ITRAF, "
                "ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.OCCU_RATE,0)),2) AS IOCCURATE, "
                "ROUND(AVG(DECODE(R.IOFL_TYPE,'2',M.SPED,0)),2) AS OSPED, "
                "ROUND(AVG(DECODE(R.IOFL_TYPE,'2',M.TRAF,0)),2) AS OTRAF, "
                "ROUND(AVG(DECODE(R.IOFL_TYPE,'2',M.OCCU_RATE,0)),2) AS OOCCURATE "
                "FROM ACCU_TRAF_INFO M, \tOVD_INFO O, \tROAD_LINK_INFO R,      \tATC_INFO A,      "
                "\tSPOT_INFO S "
                "WHERE M.ATC_ID = A.ATC_ID   AND A.SET_SPOT_ID = S.SPOT_ID   AND M.ATC_ID = "
                "O.ATC_ID "
                "  AND M.LANE_NUM = O.LANE_NUM   AND O.LINK_ID = R.LINK_ID   AND M.USED_STAT = 0 "
                "  AND M.ATC_ID = '0102'  GROUP BY R.ROAD_NUM, A.ATC_NUM, S.SPOT_LOCA, "
                "M.DETC_TIME "));
    }

    void acceptedRequestWaitsThenShowsAverages() {
        TMessageRecorder boxes;
        TSleepRecorder waits;
        TfrmInfoReq w;
        TCommandFixture::Select(w.Tree(), "0102");
        QTest::mouseClick(w.findChild<QPushButton*>("btnInfoReq"), Qt::LeftButton);
        QCOMPARE(boxes.messages, QStringList({"축적 데이터 요청 success"}));
        QCOMPARE(waits.waits, QVector<int>({5000}));
        QCOMPARE(fx->server.Frames().size(), size_t(1));
        QCOMPARE(fx->server.Frames()[0].frame, TCommandFixture::Bytes({1, 2, 5}));
        QCOMPARE(fx->server.Frames()[0].lengthField, TCommandFixture::LengthField(3));
        TfpSpread* g = w.Grid();
        QCOMPARE(Cell(g, 1, 1), QStringLiteral("1"));
        QCOMPARE(Cell(g, 1, 2), QStringLiteral("231"));
        QCOMPARE(Cell(g, 1, 3), QStringLiteral("서울 용산구 한남동"));
        QCOMPARE(Cell(g, 1, 4), QStringLiteral("2026-12-08 07:00:00"));
        QCOMPARE(Cell(g, 1, 5), QStringLiteral("35"));  // (60 + 80 + 0 + 0) / 4
        QCOMPARE(Cell(g, 1, 6), QStringLiteral("5.5"));
        QCOMPARE(Cell(g, 1, 8), QStringLiteral("22.5"));  // (0 + 0 + 50 + 40) / 4
        QCOMPARE(Cell(g, 1, 10), QStringLiteral("1.5"));
        QVERIFY(Cell(g, 2, 1).isEmpty());  // the used row is left out
        QVERIFY(g->ReDraw());
        QVERIFY(!dmOracle->dsQuery.Active());
    }

    void tenRowsFillRowsOneToTen() {
        TMessageRecorder boxes;
        TSleepRecorder waits;
        TfrmInfoReq w;
        TCommandFixture::Select(w.Tree(), "0103");
        w.btnInfoReqClick();
        for (int r = 1; r <= 10; ++r) {
            QCOMPARE(
                Cell(w.Grid(), r, 4),
                QStringLiteral("2026-12-08 08:%1:00").arg((r - 1) * 5, 2, 10, QLatin1Char('0')));
            QCOMPARE(Cell(w.Grid(), r, 5), QString::number(50 + r - 1));
        }
        QVERIFY(Cell(w.Grid(), 11, 1).isEmpty());
    }

    void moreRowsThanTheGridGrowsIt() {
        TMessageRecorder boxes;
        TSleepRecorder waits;
        TfrmInfoReq w;
        TCommandFixture::Select(w.Tree(), "0104");
        w.btnInfoReqClick();
        QCOMPARE(w.Grid()->MaxRows(), 520);
        QVERIFY(!Cell(w.Grid(), 520, 4).isEmpty());
    }

    void noSelectionStillEmptiesTheGrid() {
        TMessageRecorder boxes;
        TSleepRecorder waits;
        TfrmInfoReq w;
        w.Grid()->SetRow(1);
        w.Grid()->SetCol(1);
        w.Grid()->SetText("old");
        w.btnInfoReqClick();
        QCOMPARE(boxes.messages, QStringList({"제어기를 선택하세요"}));
        QVERIFY(Cell(w.Grid(), 1, 1).isEmpty());
        QVERIFY(waits.waits.isEmpty());
        QCOMPARE(fx->server.Frames().size(), size_t(0));
    }

    void refusedOrUnreachableEmptiesAndQueriesNothing() {
        TTempDatabase broken;
        broken.Load(Fixture() + "DROP TABLE ACCU_TRAF_INFO;");  // a query would fail loudly
        TSleepRecorder waits;
        TfrmInfoReq w;
        TCommandFixture::Select(w.Tree(), "0103");
        fx->UseDatabase(broken.Path());
        w.Grid()->SetRow(1);
        w.Grid()->SetCol(1);
        w.Grid()->SetText("old");
        fx->server.SetDefaultStatus("200000000000");
        {
            TMessageRecorder boxes;
            w.btnInfoReqClick();
            QCOMPARE(boxes.messages, QStringList({"축적 데이터 요청  fail "}));
        }
        QVERIFY(Cell(w.Grid(), 1, 1).isEmpty());
        fx->server.SetMisbehaviour(TMisbehaviour::Refuse);
        {
            TMessageRecorder boxes;
            w.btnInfoReqClick();
            QCOMPARE(boxes.messages, QStringList({"서버연결 실패"}));
        }
        fx->server.SetMisbehaviour(TMisbehaviour::ShortReply);
        {
            TMessageRecorder boxes;
            w.btnInfoReqClick();
            QCOMPARE(boxes.messages, QStringList({"축적 데이터 요청  fail "}));
        }
        QVERIFY(waits.waits.isEmpty());
        fx->UseDatabase(fx->db.Path());
    }

    void secondPressKeepsTheFirstResultUntilItsMessageIsDismissed() {
        TSleepRecorder waits;
        TfrmInfoReq w;
        TCommandFixture::Select(w.Tree(), "0103");
        TMessageRecorder boxes;
        w.btnInfoReqClick();
        QString duringSecondBox;
        boxes.whileOpen = [&](const QString&) { duringSecondBox = Cell(w.Grid(), 1, 5); };
        fx->server.SetDefaultStatus("100000000000");
        w.btnInfoReqClick();
        QCOMPARE(duringSecondBox, QStringLiteral("50"));
        QVERIFY(Cell(w.Grid(), 1, 5).isEmpty());
    }

    void remoteCommandStartedBeforeTheRequestRunsAfterItsWaitAndRead() {
        TMessageRecorder boxes;
        TShortWaits waits;
        TfrmInfoReq w;
        TfrmRemoteCtrl remote;
        TCommandFixture::Select(w.Tree(), "0102");
        TCommandFixture::Select(remote.Tree(), "0102");
        QStringList gridAtBox;
        QList<bool> inWaitAtBox;
        boxes.whileOpen = [&](const QString&) {
            gridAtBox << Cell(w.Grid(), 1, 5);
            inWaitAtBox << waits.inside;
        };
        // Its routine is due 200 ms later, inside the request's 1 s (short) wait.
        QTest::mouseClick(remote.findChild<QPushButton*>("btnSWReset"), Qt::LeftButton);
        QTest::mouseClick(w.findChild<QPushButton*>("btnInfoReq"), Qt::LeftButton);
        QCOMPARE(boxes.messages, QStringList({"축적 데이터 요청 success"}));
        QCOMPARE(waits.waits, QVector<int>({5000}));
        QCOMPARE(Cell(w.Grid(), 1, 5), QStringLiteral("35"));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.messages.size(), 2, 5000);
        QCOMPARE(boxes.messages.last(), QStringLiteral("S/W RESET success"));
        QCOMPARE(inWaitAtBox, QList<bool>({false, false}));
        QCOMPARE(gridAtBox, QStringList({"", "35"}));
    }

    void failedQueryLeavesNothingOpen() {
        TTempDatabase broken;
        broken.Load(Fixture() + "DROP TABLE SPOT_INFO;");
        TSleepRecorder waits;
        TfrmInfoReq w;
        TCommandFixture::Select(w.Tree(), "0103");
        fx->UseDatabase(broken.Path());
        TMessageRecorder boxes;
        QTest::mouseClick(w.findChild<QPushButton*>("btnInfoReq"), Qt::LeftButton);
        QCOMPARE(boxes.messages.size(), 2);  // the success, then the database's own message
        QVERIFY2(boxes.messages[1].contains("SPOT_INFO"), qPrintable(boxes.messages[1]));
        QVERIFY(w.Grid()->ReDraw());
        QVERIFY(!dmOracle->dsQuery.Active());
        fx->UseDatabase(fx->db.Path());
    }
};

VDS_TEST_MAIN(tst_InfoReq)
#include "tst_InfoReq.moc"
