// The equipment-status window: its query, the faulty-row filter, its timer and activation, and
// how the traffic monitor window feeds it.

#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

#include "Db.h"
#include "DevStsMonFrm.h"
#include "GridProbe.h"
#include "MonitorFixture.h"
#include "OracleDM.h"
#include "TrafMonTextFrm.h"

namespace {
// Newest traffic of C, A and B on three days in this order, so the query's order is not the ids'
// order; the new-signal N also has rows in the table the status query reads. Every flag normal.
const char* kStatusTraffic = R"SQL(
INSERT INTO ATC_NEW_TRAF_INFO VALUES
 ('A','1','2024-05-02 10:15:00',120,85.4,12.5,'1'),('A','2','2024-05-02 10:14:00',80,60.1,8.25,'2'),
 ('B','1','2024-05-03 10:14:30',50,40.5,30,'3'),('B','2','2024-05-03 10:16:30',45,38,28,'3'),
 ('C','1','2024-05-01 09:00:00',10,90,2,'1'),('C','2','2024-05-01 09:00:30',12,91,2,'1'),
 ('N','1','2024-05-02 10:15:00',35,30,5,'1'),('N','2','2024-05-02 10:15:00',28,25,5,'1');
INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES
 ('A','2024-05-02 10:15:00','1','1','1','1','1','1','1','1','1','1','1','1'),
 ('B','2024-05-03 10:15:00','1','1','1','1','1','1','1','1','1','1','1','1'),
 ('C','2024-05-01 09:00:00','1','1','1','1','1','1','1','1','1','1','1','1'),
 ('N','2024-05-02 10:15:00','1','1','1','1','1','1','1','1','1','1','1','1');
)SQL";

const QString kAllNormal = QStringLiteral("11111111111");
const QStringList kRowA = {"1", "  서울TG  ", "101", "서울 서초구 양재동", kAllNormal, "1"};
const QStringList kRowB = {"1", "수원IC", "102", "경기 수원시", kAllNormal, "1"};
const QStringList kRowC = {"50", "강릉JC", "103", "강원 강릉시", kAllNormal, "1"};

TfpSpread* GridOf(QWidget& form) {
    return form.findChild<TfpSpread*>("fpSpread1");
}

// The controller numbers (column 3) of the filled rows.
QStringList Numbers(QWidget& form) {
    QStringList numbers;
    for (const QStringList& row : FilledRows(GridOf(form))) numbers << row[2];
    return numbers;
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

// The ids of the demo's controllers of one equipment type, as an IN-list.
QString DemoIds(TMonitorDb& fx, const QString& equpType) {
    TSQLClientDataSet& ds = fx.dm->dsQuery;
    ds.SetCommandText(QStringLiteral("SELECT ATC_ID FROM ATC_INFO WHERE EQUP_TYPE = '%1' "
                                     "ORDER BY ATC_ID")
                          .arg(equpType));
    ds.Open();
    QStringList ids;
    for (ds.First(); !ds.Eof(); ds.Next())
        ids << QLatin1Char('\'') + ds.FieldByName(QStringLiteral("ATC_ID")).AsString() +
                   QLatin1Char('\'');
    ds.Close();
    ds.Connection()->SetConnected(false);
    return ids.join(QLatin1Char(','));
}

class TStatusDb : public TMonitorDb {
public:
    TStatusDb() {
        db.Load(QString::fromUtf8(kStatusTraffic));
        CountLogOns(dm->vdsConnection2, logOns2);
    }
    int logOns2 = 0;
};
}  // namespace

class tst_DevStsMonFrm : public QObject {
    Q_OBJECT
private slots:
    void createdAsLaidOut() {
        TStatusDb fx;
        TfrmDevStsMon form;
        QCOMPARE(form.objectName(), QStringLiteral("frmDevStsMon"));
        QCOMPARE(form.windowTitle(), QStringLiteral("장비 상태 모니터링"));
        QVERIFY(form.isWindow());
        QCOMPARE(form.pos(), QPoint(478, 263));
        QVERIFY(form.findChild<QRadioButton*>("rdoAllDev")->isChecked());
        QVERIFY(!form.findChild<QRadioButton*>("rdoErrDev")->isChecked());
        TfpSpread* grid = GridOf(form);
        QCOMPARE(grid->geometry(), QRect(0, 40, 561, 361));
        QCOMPARE(grid->MaxCols(), 6);
        QCOMPARE(grid->MaxRows(), 500);
        QCOMPARE(Headers(grid), QStringList({"도로번호", "도로명", "제어기번호", "설치위치",
                                             "제어기상태", "통신상태"}));
        QVERIFY(!form.GetMonitorTimer());
        QCOMPARE(form.tmrMon->interval(), 1000);
        QCOMPARE(form.MonitorMode(), 0);
        QCOMPARE(form.MonitorList(), QString());
        QCOMPARE(fx.logOns2, 0);
    }

    void statusSql_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("type");
        QTest::newRow("VDS, two stations") << 2 << "'A','B'"
                                           << "AND A.EQUP_TYPE = '2' ";
        QTest::newRow("new signal, one station") << 1 << "'N'"
                                                 << "AND A.EQUP_TYPE = '1' ";
    }
    void statusSql() {
        QFETCH(int, mode);
        QFETCH(QString, list);
        QFETCH(QString, type);
        const QString expected =
            QStringLiteral(
                "SELECT DISTINCT TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') YMD, R.ROAD_NUM ROAD_NUM, "
                "S.SPOT_NAME SPOT_NAME, A.ATC_NUM ATC_NUM, B.SYS_CODE_NAME ATC_KIND, "
                "S.SPOT_LOCA SPOT_LOCA, E.HRCL HRCL, E.HPOS HPOS, E.HROM HROM, E.HRAM HRAM, "
                "E.SUMT SUMT, E.SLPF SLPF, E.SSPF SSPF, E.SDOO SDOO, E.SFAF SFAF, E.SCOR SCOR, "
                "E.SACK SACK, E.COM_ERR_STAT COM_ERR_STAT FROM  ATC_NEW_TRAF_INFO M, "
                "ROAD_LINK_INFO R, SPOT_INFO S, OVD_INFO O, ATC_INFO A, "
                "EQUP_STAT_HIST_NEW_INFO E, BASE_CODE_INFO B WHERE M.ATC_ID=O.ATC_ID "
                "AND O.LINK_ID=R.LINK_ID AND R.IOFL_TYPE=M.IOFL_TYPE AND O.ATC_ID=A.ATC_ID "
                "AND E.ATC_ID = A.ATC_ID AND A.SET_SPOT_ID=S.SPOT_ID "
                "AND B.CODE_TYPE = 'VD_EK' AND B.SYS_CODE = A.EQUP_TYPE ") +
            type + QStringLiteral("AND A.ATC_ID IN (") + list +
            QStringLiteral(") ORDER BY TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') ");
        QCOMPARE(StatusGridSql(mode, list), expected);
    }

    void emptyListSendsNoQueryAndEmptiesTheGrid() {
        TStatusDb fx;
        TfrmDevStsMon form;
        form.SetMonitorTarget(2, QStringLiteral("'A','B'"));
        form.tmrMonTimer();
        QCOMPARE(FilledRows(GridOf(form)), QList<QStringList>({kRowA, kRowB}));
        QCOMPARE(fx.logOns2, 1);
        QVERIFY(!fx.dm->vdsConnection2.Connected() && !fx.dm->dsQuery2.Active());

        form.SetMonitorTarget(2, QString());
        form.tmrMonTimer();
        QCOMPARE(RowsWithText(GridOf(form)), 0);
        QCOMPARE(fx.logOns2, 1);
        QCOMPARE(GridOf(form)->MaxRows(), 500);
    }

    void shownRows_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("faultyOnly");
        QTest::addColumn<QList<QStringList>>("rows");
        const QList<QStringList> all = {kRowC, kRowA, kRowB};
        auto with = [](QStringList row, const QString& status, const QString& com = "1") {
            row[4] = status;
            row[5] = com;
            return row;
        };
        QTest::newRow("every row, in the query's order") << QString() << false << all;
        QTest::newRow("faulty only, all flags normal") << QString() << true << QList<QStringList>();
        QTest::newRow("faulty only, one flag NULL")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET SCOR = NULL WHERE ATC_ID = 'A';" << true
            << QList<QStringList>({with(kRowA, "1111111111")});
        QTest::newRow("faulty only, only the door open")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET SDOO = '0' WHERE ATC_ID = 'B';" << true
            << QList<QStringList>();
        QTest::newRow("every row, the door open shows in the status")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET SDOO = '0' WHERE ATC_ID = 'B';" << false
            << QList<QStringList>({kRowC, kRowA, with(kRowB, "11111110111")});
        QTest::newRow("faulty only, the door and the last flag")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET SDOO = '0', SACK = '0' WHERE ATC_ID = 'B';"
            << true << QList<QStringList>({with(kRowB, "11111110110")});
        QTest::newRow("faulty only, communication lost")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET COM_ERR_STAT = '0' WHERE ATC_ID = 'C';" << true
            << QList<QStringList>({with(kRowC, kAllNormal, "0")});
        QTest::newRow("faulty only, communication status NULL")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET COM_ERR_STAT = NULL WHERE ATC_ID = 'C';" << true
            << QList<QStringList>({with(kRowC, kAllNormal, "")});
        QTest::newRow("faulty only, a value other than 0")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET HPOS = '2' WHERE ATC_ID = 'A';" << true
            << QList<QStringList>({with(kRowA, "12111111111")});
        QTest::newRow("faulty only, a row after a skipped one takes row 1")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET HRCL = '0' WHERE ATC_ID = 'B';" << true
            << QList<QStringList>({with(kRowB, "01111111111")});
        QTest::newRow("faulty only, three faulty rows without gaps")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET HRCL = '0' WHERE ATC_ID = 'A';"
               "UPDATE EQUP_STAT_HIST_NEW_INFO SET COM_ERR_STAT = '0' WHERE ATC_ID = 'B';"
               "UPDATE EQUP_STAT_HIST_NEW_INFO SET SLPF = '0' WHERE ATC_ID = 'C';"
            << true
            << QList<QStringList>({with(kRowC, "11111011111"), with(kRowA, "01111111111"),
                                   with(kRowB, kAllNormal, "0")});
        // Each station shows its own flags, not every combination the status table holds.
        QTest::newRow("every row, each station its own flags")
            << "UPDATE EQUP_STAT_HIST_NEW_INFO SET HROM = '0' WHERE ATC_ID = 'B';" << false
            << QList<QStringList>({kRowC, kRowA, with(kRowB, "11011111111")});
        QTest::newRow("every row, a station without a status row is left out")
            << "DELETE FROM EQUP_STAT_HIST_NEW_INFO WHERE ATC_ID = 'A';" << false
            << QList<QStringList>({kRowC, kRowB});
    }
    void shownRows() {
        QFETCH(QString, change);
        QFETCH(bool, faultyOnly);
        QFETCH(QList<QStringList>, rows);
        TStatusDb fx;
        if (!change.isEmpty()) fx.db.Load(change);
        TfrmDevStsMon form;
        form.show();
        if (faultyOnly) ClickRadio(form, "rdoErrDev");
        QCOMPARE(form.findChild<QRadioButton*>("rdoErrDev")->isChecked(), faultyOnly);
        form.SetMonitorTarget(2, QStringLiteral("'A','B','C'"));
        form.tmrMonTimer();
        QCOMPARE(FilledRows(GridOf(form)), rows);
        QCOMPARE(RowsWithText(GridOf(form)), rows.size());
    }

    void newSignalModeShowsNewSignalStationsOnly() {
        TStatusDb fx;
        fx.db.Load("UPDATE EQUP_STAT_HIST_NEW_INFO SET SFAF = '0' WHERE ATC_ID = 'N';");
        TfrmDevStsMon form;
        form.SetMonitorTarget(1, QStringLiteral("'A','N'"));
        form.tmrMonTimer();
        QCOMPARE(FilledRows(GridOf(form)),
                 QList<QStringList>(
                     {{"3", "의정부교차로", "201", "경기 의정부시", "11111111011", "1"}}));
        // The mode alone changes what the same list shows.
        form.SetMonitorMode(2);
        form.tmrMonTimer();
        QCOMPARE(FilledRows(GridOf(form)), QList<QStringList>({kRowA}));
    }

    void radioChangeShowsAtTheNextTick() {
        TStatusDb fx;
        fx.db.Load("UPDATE EQUP_STAT_HIST_NEW_INFO SET HRAM = '0' WHERE ATC_ID = 'A';");
        TfrmDevStsMon form;
        form.show();
        form.SetMonitorTarget(2, QStringLiteral("'A','B','C'"));
        form.tmrMonTimer();
        QCOMPARE(Numbers(form), QStringList({"103", "101", "102"}));
        ClickRadio(form, "rdoErrDev");
        QCOMPARE(Numbers(form), QStringList({"103", "101", "102"}));
        form.tmrMonTimer();
        QCOMPARE(Numbers(form), QStringList({"101"}));
        QCOMPARE(RowsWithText(GridOf(form)), 1);
        ClickRadio(form, "rdoAllDev");
        form.tmrMonTimer();
        QCOMPARE(Numbers(form), QStringList({"103", "101", "102"}));
    }

    void timerRefreshesOncePerTick() {
        TStatusDb fx;
        TfrmDevStsMon form;
        form.SetMonitorTarget(2, QStringLiteral("'A'"));
        form.tmrMon->setInterval(20);
        form.SetMonitorTimer(true);
        QVERIFY(form.GetMonitorTimer());
        QTRY_COMPARE(FilledRows(GridOf(form)), QList<QStringList>({kRowA}));
        fx.db.Load("UPDATE EQUP_STAT_HIST_NEW_INFO SET SUMT = '0' WHERE ATC_ID = 'A';");
        QTRY_COMPARE(FilledRows(GridOf(form)).value(0).value(4), QStringLiteral("11110111111"));
        form.SetMonitorTimer(false);
        QVERIFY(!form.GetMonitorTimer());
        const int logOns = fx.logOns2;
        QVERIFY(TwoIntervalsPassed(form.tmrMon->interval()));
        QCOMPARE(fx.logOns2, logOns);
        QVERIFY(!fx.dm->vdsConnection2.Connected() && !fx.dm->dsQuery2.Active());
    }

    void activation_data() {
        QTest::addColumn<bool>("toADialog");
        QTest::newRow("another window of the program takes the activation") << false;
        QTest::newRow("a message box takes the activation") << true;
    }
    void activation() {
        QFETCH(bool, toADialog);
        TStatusDb fx;
        TfrmDevStsMon form;
        form.SetMonitorTarget(2, QStringLiteral("'A'"));
        form.tmrMon->setInterval(20);
        form.Show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.SetMonitorTimer(true);
        QTRY_COMPARE(FilledRows(GridOf(form)).size(), 1);

        QDialog box;
        QWidget other;
        QWidget& taker = toADialog ? static_cast<QWidget&>(box) : other;
        taker.show();
        taker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&taker));
        // Only another window of the program stops the refresh, and with it the grid.
        QCOMPARE(form.GetMonitorTimer(), toADialog);
        if (!toADialog) {
            const int logOns = fx.logOns2;
            fx.db.Load("UPDATE EQUP_STAT_HIST_NEW_INFO SET SUMT = '0' WHERE ATC_ID = 'A';");
            QVERIFY(TwoIntervalsPassed(form.tmrMon->interval()));
            QCOMPARE(fx.logOns2, logOns);
            QCOMPARE(FilledRows(GridOf(form)), QList<QStringList>({kRowA}));
        }
        // Back in the window, the refresh that deactivation stopped runs again.
        taker.hide();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.GetMonitorTimer());
        if (!toADialog)
            QTRY_COMPARE(FilledRows(GridOf(form)).value(0).value(4), QStringLiteral("11110111111"));
        form.SetMonitorTimer(false);
    }

    void activationLeavesAStoppedTimerStopped() {
        TStatusDb fx;
        TfrmDevStsMon form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(!form.GetMonitorTimer());
        // Switched off by its opener while another window was active: activation must not resume.
        form.SetMonitorTimer(true);
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!form.GetMonitorTimer());
        form.SetMonitorTimer(false);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(!form.GetMonitorTimer());
        // Switched on while hidden, it refreshes as a shown one does.
        form.hide();
        form.SetMonitorTarget(2, QStringLiteral("'B'"));
        form.tmrMon->setInterval(20);
        form.SetMonitorTimer(true);
        QTRY_COMPARE(FilledRows(GridOf(form)), QList<QStringList>({kRowB}));
        form.SetMonitorTimer(false);
    }

    void failedRefreshShowsOneBoxAndTheNextTickRecovers_data() {
        AddQueryFaults(QStringLiteral("EQUP_STAT_HIST_NEW_INFO"));
    }
    void failedRefreshShowsOneBoxAndTheNextTickRecovers() {
        QFETCH(QString, fault);
        QFETCH(QString, repair);
        QFETCH(QString, message);
        TStatusDb fx;
        // Two status windows refresh side by side; both fail while the fault lasts.
        TfrmDevStsMon first, second;
        for (TfrmDevStsMon* form : {&first, &second}) {
            form->SetMonitorTarget(2, QStringLiteral("'A'"));
            form->tmrMonTimer();
            QCOMPARE(FilledRows(GridOf(*form)).size(), 1);
            form->tmrMon->setInterval(30);
        }
        CheckFailingRefresh<TfrmDevStsMon>(
            fx, fault, repair, message, first, second,
            {fx.dm->vdsConnection2, fx.dm->dsQuery2,
             [](TfrmDevStsMon& w, bool on) { w.SetMonitorTimer(on); },
             [](TfrmDevStsMon& w) { return w.GetMonitorTimer(); },
             [](TfrmDevStsMon& w) {
                 return FilledRows(GridOf(w)) == QList<QStringList>({kRowA});
             }});
    }

    void destroyingTheWindowReleasesTheSecondConnection() {
        TStatusDb fx;
        auto* form = new TfrmDevStsMon();
        fx.dm->dsQuery2.SetCommandText(QStringLiteral("SELECT ATC_ID FROM ATC_INFO"));
        fx.dm->dsQuery2.Open();
        QVERIFY(fx.dm->vdsConnection2.Connected());
        delete form;
        QVERIFY(!fx.dm->vdsConnection2.Connected());
        QVERIFY(!fx.dm->dsQuery2.Active());
    }

    void longLocationsLeaveTheStatusInSight() {
        TStatusDb fx;
        const QString location = QStringLiteral(
            "서울특별시 서초구 양재동 경부고속도로 양재IC 진입로 상행선 방음벽 앞 가로등 12번 "
            "기둥");
        fx.db.Load(QStringLiteral("UPDATE SPOT_INFO SET SPOT_LOCA = '%1' WHERE SPOT_ID = 'SA';")
                       .arg(location));
        TfrmDevStsMon form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SetMonitorTarget(2, QStringLiteral("'A'"));
        form.tmrMonTimer();
        TfpSpread* grid = GridOf(form);
        QCOMPARE(FilledRows(grid).value(0).value(3), location);  // the whole text is in the cell
        // Every column but the location holds its text and all of them fit the grid's width.
        QHeaderView* header = grid->horizontalHeader();
        QVERIFY2(header->sectionViewportPosition(5) + header->sectionSize(5) <=
                     grid->viewport()->width(),
                 qPrintable(QString::number(header->sectionViewportPosition(5))));
        for (int c : {0, 1, 2, 4, 5})
            QVERIFY2(HoldsItsTexts(grid, c), qPrintable(QString::number(c)));
        // Where the pointer rests on the cut location, its whole text shows as a tip; a text
        // that fits needs none.
        auto restOn = [grid](int column) {
            const QRect cell = grid->visualItemRect(grid->item(0, column));
            QHelpEvent tip(QEvent::ToolTip, cell.center(),
                           grid->viewport()->mapToGlobal(cell.center()));
            QCoreApplication::sendEvent(grid->viewport(), &tip);
        };
        restOn(3);
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), location);
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        restOn(2);
        QVERIFY(!QToolTip::isVisible());
        // A location column the operator dragged wider stays so at the next tick.
        grid->setColumnWidth(3, 600);
        form.tmrMonTimer();
        QCOMPARE(header->sectionSize(3), 600);
    }

    void moreRowsThanTheGridHolds() {
        TMonitorDb fx;
        const TManyStations many = ManyStations(600);
        fx.db.Load(many.sql);
        TfrmDevStsMon form;
        form.SetMonitorTarget(2, many.idList);
        form.tmrMonTimer();
        QCOMPARE(FilledRows(GridOf(form)).size(), 600);
        form.tmrMonTimer();  // a second refresh empties the grown grid first
        QCOMPARE(FilledRows(GridOf(form)).size(), 600);
        form.show();
        ClickRadio(form, "rdoErrDev");
        form.tmrMonTimer();
        QCOMPARE(FilledRows(GridOf(form)).size(), 300);
        QCOMPARE(RowsWithText(GridOf(form)), 300);
    }

    void runsOnTheDemoData_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("equpType");
        QTest::addColumn<QStringList>("faulty");
        // Out-of-operation controllers have no newest traffic, so no row; a door open alone is
        // normal; a flag not reported is a fault.
        QTest::newRow("VDS") << 2 << "2" << QStringList({"103", "302", "402", "502"});
        QTest::newRow("new signal") << 1 << "1" << QStringList({"702"});
    }
    void runsOnTheDemoData() {
        QFETCH(int, mode);
        QFETCH(QString, equpType);
        QFETCH(QStringList, faulty);
        TMonitorDb fx(DemoData());
        TfrmDevStsMon form;
        form.show();
        form.SetMonitorTarget(mode, DemoIds(fx, equpType));
        form.tmrMonTimer();
        const QList<QStringList> all = FilledRows(GridOf(form));
        QVERIFY(all.size() > faulty.size());
        for (const QStringList& row : all) QVERIFY(!row[1].isEmpty() && !row[3].isEmpty());
        ClickRadio(form, "rdoErrDev");
        form.tmrMonTimer();
        QStringList shown = Numbers(form);
        shown.sort();
        QCOMPARE(shown, faulty);
    }

    // ---- fed by the traffic monitor window ----------------------------------------------

    void trafficMonitorOpensAndFeedsItsStatusWindow() {
        TStatusDb fx;
        TMessageRecorder boxes;
        TfrmTrafMonText monitor;
        TVirtualStringTree* tree = monitor.findChild<TVirtualStringTree*>("ChkTree");
        tree->SetCheckState(NodesNamed(tree, "서울TG(0201)").value(0), csCheckedNormal);
        QTest::mouseClick(monitor.findChild<QPushButton*>("btnDevSts"), Qt::LeftButton);
        QPointer<TfrmDevStsMon> status = monitor.OwnDevStsMon();
        QVERIFY(status);
        QCOMPARE(frmDevStsMon.data(), status.data());
        QVERIFY(status->isVisible() && status->isWindow());
        QCOMPARE(status->MonitorMode(), 2);
        QCOMPARE(status->MonitorList(), QStringLiteral("'A'"));
        QVERIFY(!status->GetMonitorTimer());  // the monitor's timer is off

        // Each tick with ticked stations hands over the list, the mode and the timer state.
        tree->SetCheckState(NodesNamed(tree, "수원IC(0101)").value(0), csCheckedNormal);
        monitor.tmrQuery->setInterval(40);
        monitor.btnStartClick();
        QTRY_VERIFY(status->GetMonitorTimer());
        QCOMPARE(status->MonitorList(), QStringLiteral("'A','B'"));
        // Ticking at its opener's pace, the status window still refreshes.
        status->tmrMon->setInterval(40);
        QTRY_COMPARE(FilledRows(GridOf(*status)), QList<QStringList>({kRowA, kRowB}));

        // A tick that finds nothing ticked hands over nothing.
        tree->SetCheckState(tree->topLevelItem(0), csUncheckedNormal);
        QSignalSpy ticks(monitor.tmrQuery, &QTimer::timeout);
        QVERIFY(ticks.wait());
        QCOMPARE(status->MonitorList(), QStringLiteral("'A','B'"));
        monitor.btnStopClick();

        // A mode change reaches it at once.
        ClickRadio(monitor, "rdoNewSgl");
        QCOMPARE(status->MonitorMode(), 1);
        ClickRadio(monitor, "rdoVDS");
        QCOMPARE(status->MonitorMode(), 2);
        QCOMPARE(boxes.messages, QStringList());
        status->SetMonitorTimer(false);
    }

    void aSecondStatusWindowIsFedInstead() {
        TStatusDb fx;
        TfrmTrafMonText monitor;
        TVirtualStringTree* tree = monitor.findChild<TVirtualStringTree*>("ChkTree");
        tree->SetCheckState(NodesNamed(tree, "서울TG(0201)").value(0), csCheckedNormal);
        monitor.btnDevStsClick();
        QPointer<TfrmDevStsMon> first = monitor.OwnDevStsMon();
        monitor.btnDevStsClick();
        QPointer<TfrmDevStsMon> second = monitor.OwnDevStsMon();
        QVERIFY(first && second && first != second);
        QVERIFY(first->isVisible());
        QCOMPARE(frmDevStsMon.data(), second.data());
        tree->SetCheckState(NodesNamed(tree, "수원IC(0101)").value(0), csCheckedNormal);
        monitor.tmrQueryTimer();
        QCOMPARE(second->MonitorList(), QStringLiteral("'A','B'"));
        QCOMPARE(first->MonitorList(), QStringLiteral("'A'"));
        ClickRadio(monitor, "rdoNewSgl");
        QCOMPARE(second->MonitorMode(), 1);
        QCOMPARE(first->MonitorMode(), 2);
    }

    void keepsRefreshingOnceItsMonitorWindowHasClosed() {
        TStatusDb fx;
        QPointer<TfrmTrafMonText> monitor = new TfrmTrafMonText();
        TVirtualStringTree* tree = monitor->findChild<TVirtualStringTree*>("ChkTree");
        tree->SetCheckState(NodesNamed(tree, "강릉JC(0301)").value(0), csCheckedNormal);
        monitor->btnStartClick();
        monitor->btnDevStsClick();
        QPointer<TfrmDevStsMon> status = monitor->OwnDevStsMon();
        QVERIFY(status->GetMonitorTimer());
        status->tmrMon->setInterval(20);
        QTRY_COMPARE(FilledRows(GridOf(*status)), QList<QStringList>({kRowC}));
        monitor->Close();
        QTRY_VERIFY(monitor.isNull());
        QVERIFY(status && status->isVisible());
        fx.db.Load("UPDATE EQUP_STAT_HIST_NEW_INFO SET SCOR = '0' WHERE ATC_ID = 'C';");
        QTRY_COMPARE(FilledRows(GridOf(*status)).value(0).value(4), QStringLiteral("11111111101"));
        QCOMPARE(status->MonitorList(), QStringLiteral("'C'"));
        status->SetMonitorTimer(false);
    }
};

VDS_TEST_MAIN(tst_DevStsMonFrm)
#include "tst_DevStsMonFrm.moc"
