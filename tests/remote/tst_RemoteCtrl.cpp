// The remote-control window: its seven commands against the stand-in server and the answers it
// reads back.

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

#include "CommandFixture.h"
#include "MdiWindows.h"
#include "RemoteCtrl.h"
#include "StatementTrace.h"
#include "Text.h"
#include "WorkThread.h"

namespace {
QString Fixture() {
    QString sql = BaseRows();
    for (int i = 1; i <= 20; ++i) sql += ControllerRows(QString::asprintf("01%02d", i), 100 + i);
    sql += ControllerRows("0312", 312);
    sql += QStringLiteral("UPDATE ATC_INFO SET ATC_CRTE_DATE = '2004' WHERE ATC_ID = '0102';");
    sql += QStringLiteral(
        "UPDATE ATC_INFO SET ATC_VER = NULL, ATC_CRTE_DATE = NULL WHERE ATC_ID = '0103';");
    // One management reply per controller 0101..0115, the fields a case needs.
    const char* rows[] = {
        "'0101', 1, 3725, 'N', ' loop test '", "'0102', 0, 59, 'n', 'loop'",
        "'0103', 2, 3600, 'N ', 'x'",          "'0104', NULL, 0, '', 'y'",
        "'0105', 1, -5, NULL, NULL",           "'0106', 0, 86399, 'N', '점검중'",
    };
    for (const char* r : rows)
        sql +=
            QStringLiteral(
                "INSERT INTO OVD_MAGM_HIST_INFO (ATC_ID, THRESHOLD, ONLINE_STATUS, MEMORY, ECHO, "
                "MAGM_RESP_TIME) VALUES (%1, '2026-12-08 10:00:00');")
                .arg(QString::fromUtf8(r));
    // An empty THRESHOLD text (the server's number column holds none: NULL there).
    sql += QStringLiteral(
               "INSERT INTO OVD_MAGM_HIST_INFO (ATC_ID, THRESHOLD, MAGM_RESP_TIME) VALUES "
               "('0107', %1, '2026-12-08 10:00:00');")
               .arg(OnDriver("''", "NULL"));
    // An older reply must not show.
    sql += QStringLiteral(
        "INSERT INTO OVD_MAGM_HIST_INFO VALUES ('0101', '2026-12-01 10:00:00', 0, 1, 'E', 'old');");
    return sql;
}
}  // namespace

class tst_RemoteCtrl : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TCommandFixture> fx;

    static QLabel* Label(QWidget& w, const char* name) { return w.findChild<QLabel*>(name); }
    static QRadioButton* Radio(QWidget& w, const char* name) {
        return w.findChild<QRadioButton*>(name);
    }
    static QLineEdit* Echo(QWidget& w) { return w.findChild<QLineEdit*>("edEchoMsg"); }
    static data Record(const QString& atcId) {
        data d;
        d.strATC_ID = atcId;
        return d;
    }
private slots:
    void initTestCase() { fx = std::make_unique<TCommandFixture>(Fixture()); }
    void cleanupTestCase() { fx.reset(); }
    void init() {
        fx->server.ClearFrames();
        fx->server.ClearStatuses();
        fx->server.SetMisbehaviour(TMisbehaviour::None);
    }

    void designTexts() {
        TfrmRemoteCtrl w;
        QCOMPARE(w.windowTitle(), QStringLiteral("제어기 원격 제어"));
        QVERIFY(Radio(w, "rdoLow")->isChecked());
        QCOMPARE(Echo(w)->text(), QStringLiteral("loop test"));
        QCOMPARE(Label(w, "lblDisconTime")->text(), QStringLiteral("0 시간 0분 00초"));
        QCOMPARE(Label(w, "Label49")->text(), QStringLiteral("VDS 제어기"));
        for (const char* b : {"btnSWReset", "btnHWInit", "btnThreshold", "btnVer", "btnLeapTime",
                              "btnMemChk", "btnEchoReq"})
            QCOMPARE(Button(w, b)->text(), QStringLiteral("제어"));
        QCOMPARE(CtrlResultSql("0101"),
                 QStringLiteral(
                     "SELECT THRESHOLD, ONLINE_STATUS, MEMORY, ECHO FROM OVD_MAGM_HIST_INFO WHERE "
                     "ATC_ID = '0101'AND MAGM_RESP_TIME = (  \tSELECT MAX(MAGM_RESP_TIME) \tFROM "
                     "OVD_MAGM_HIST_INFO  \tWHERE ATC_ID = '0101') "));
        QCOMPARE(AtcVersionSql("0101"),
                 QStringLiteral("SELECT ATC_VER, ATC_CRTE_DATE FROM ATC_INFO WHERE "
                                "EQUP_TYPE = '2' AND ATC_ID = '0101'"));
    }

    void frames_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("echo");
        QTest::addColumn<bool>("high");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("success");
        const auto B = TCommandFixture::Bytes;
        QTest::newRow("software reset: 3 bytes")
            << "btnSWReset"
            << "" << false << B({3, 12, 12}) << "S/W RESET success";
        QTest::newRow("hardware init: 3 bytes")
            << "btnHWInit"
            << "" << false << B({3, 12, 13}) << "H/W INIT success";
        QTest::newRow("threshold, low")
            << "btnThreshold"
            << "" << false << B({3, 12, 10, 0}) << "루프검지기 Threshold 설정 success";
        QTest::newRow("threshold, high")
            << "btnThreshold"
            << "" << true << B({3, 12, 10, 1}) << "루프검지기 Threshold 설정 success";
        QTest::newRow("version") << "btnVer"
                                 << "" << false << B({3, 12, 21}) << "제어기 버전 요청 success";
        QTest::newRow("communication loss")
            << "btnLeapTime"
            << "" << false << B({3, 12, 17}) << "통신단절 경과시간 요청 success";
        QTest::newRow("memory") << "btnMemChk"
                                << "" << false << B({3, 12, 18}) << "메모리 검사 요청 success";
        QByteArray loopTest = B({3, 12, 19}) + QByteArray("loop test") + B({0});
        QTest::newRow("echo 'loop test': 13 bytes, byte 12 zero")
            << "btnEchoReq"
            << "loop test" << false << loopTest << "Echo 메시지 요청 success";
        QTest::newRow("empty echo: bytes 3-12 zero")
            << "btnEchoReq"
            << "" << false << (B({3, 12, 19}) + QByteArray(10, 0)) << "Echo 메시지 요청 success";
        QTest::newRow("twelve characters cut to ten")
            << "btnEchoReq"
            << "abcdefghijkl" << false << (B({3, 12, 19}) + QByteArray("abcdefghij"))
            << "Echo 메시지 요청 success";
        // 점검 in code page 949 is C1 A1 B0 CB; the sixth character is cut in its middle.
        QTest::newRow("Korean echo as code page 949")
            << "btnEchoReq"
            << "점검 중입니다" << false
            << (B({3, 12, 19}) + ToCp949(QStringLiteral("점검 중입니다")).left(10))
            << "Echo 메시지 요청 success";
    }
    void frames() {
        QFETCH(QString, button);
        QFETCH(QString, echo);
        QFETCH(bool, high);
        QFETCH(QByteArray, frame);
        QFETCH(QString, success);
        TMessageRecorder boxes;
        TSleepRecorder waits;
        TfrmRemoteCtrl w;
        TCommandFixture::Select(w.Tree(), "0312");
        Echo(w)->setText(echo);
        Radio(w, high ? "rdoHigh" : "rdoLow")->setChecked(true);
        PressAndWait(w, qPrintable(button), boxes);
        QCOMPARE(boxes.messages.first(), success);
        QCOMPARE(fx->server.Frames().size(), size_t(1));
        QCOMPARE(fx->server.Frames()[0].frame, frame);
        QCOMPARE(fx->server.Frames()[0].lengthField, TCommandFixture::LengthField(frame.size()));
        const bool readsBack = button != "btnSWReset" && button != "btnHWInit";
        QCOMPARE(waits.waits, readsBack ? QVector<int>({1000}) : QVector<int>());
        // The connection is released once the status is read.
        QVERIFY(fx->server.WaitForClosedByClient(1, 2000));
        QCOMPARE(w.nSocket, -1);
    }

    void cp949Bytes() {
        QCOMPARE(ToCp949(QStringLiteral("점검")), TCommandFixture::Bytes({0xC1, 0xA1, 0xB0, 0xCB}));
        QCOMPARE(ToCp949(QStringLiteral("a😀b")), QByteArray("a?b"));
    }

    void refusedAndFailed_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("failure");
        QTest::newRow("reset") << "btnSWReset"
                               << "S/W RESET fail ";
        QTest::newRow("init") << "btnHWInit"
                              << "H/W INIT fail ";
        QTest::newRow("threshold") << "btnThreshold"
                                   << "루프검지기 Threshold 설정 fail ";
        QTest::newRow("version") << "btnVer"
                                 << "제어기 버전 요청 fail ";
        QTest::newRow("communication loss") << "btnLeapTime"
                                            << "통신단절 경과시간 요청 fail ";
        QTest::newRow("memory") << "btnMemChk"
                                << "메모리 검사 요청 fail ";
        QTest::newRow("echo") << "btnEchoReq"
                              << "Echo 메시지 요청 fail ";
    }
    void refusedAndFailed() {
        QFETCH(QString, button);
        QFETCH(QString, failure);
        TSleepRecorder waits;
        TfrmRemoteCtrl w;
        // Before any tick.
        {
            TMessageRecorder boxes;
            PressAndWait(w, qPrintable(button), boxes);
            QCOMPARE(boxes.messages.first(), QStringLiteral("제어기를 선택하세요"));
            QVERIFY(Button(w, qPrintable(button))->isEnabled());
        }
        TCommandFixture::Select(w.Tree(), "0101");
        Radio(w, "rdoHigh")->setChecked(true);
        const QString echoBefore = Echo(w)->text();
        const QString verBefore = Label(w, "lblVer")->text();
        fx->server.SetDefaultStatus("100000000000");
        {
            TMessageRecorder boxes;
            PressAndWait(w, qPrintable(button), boxes);
            QCOMPARE(boxes.messages.first(), failure);
        }
        fx->server.SetDefaultStatus(TStandInServer::kAccepted);
        // A refused command reads nothing back: the controls stay as they were.
        QVERIFY(Radio(w, "rdoHigh")->isChecked());
        QCOMPARE(Echo(w)->text(), echoBefore);
        QCOMPARE(Label(w, "lblVer")->text(), verBefore);
        QVERIFY(waits.waits.isEmpty());
        fx->server.SetMisbehaviour(TMisbehaviour::Refuse);
        {
            TMessageRecorder boxes;
            PressAndWait(w, qPrintable(button), boxes);
            QCOMPARE(boxes.messages.first(), QStringLiteral("서버연결 실패"));
            QVERIFY(Button(w, qPrintable(button))->isEnabled());
        }
    }

    void buttonsDisabledOnlyDuringTheirWork() {
        TSleepRecorder waits;
        TfrmRemoteCtrl w;
        TCommandFixture::Select(w.Tree(), "0101");
        for (const char* name : {"btnSWReset", "btnHWInit", "btnThreshold", "btnVer", "btnLeapTime",
                                 "btnMemChk", "btnEchoReq"}) {
            TMessageRecorder boxes;
            bool enabledWhileShown = true;
            boxes.whileOpen = [&](const QString&) {
                enabledWhileShown = Button(w, name)->isEnabled();
            };
            QTest::mouseClick(Button(w, name), Qt::LeftButton);
            QVERIFY(Button(w, name)->isEnabled());  // not at the click
            QTRY_COMPARE_WITH_TIMEOUT(boxes.messages.size(), 1, 5000);
            QCOMPARE(enabledWhileShown, QByteArray(name) == "btnEchoReq");
            QVERIFY(Button(w, name)->isEnabled());
        }
    }

    void databaseErrorInTheWorkReenablesTheButton() {
        TTempDatabase broken;
        broken.Load(Fixture() + "DROP TABLE OVD_MAGM_HIST_INFO;");
        TSleepRecorder waits;
        TfrmRemoteCtrl w;
        TCommandFixture::Select(w.Tree(), "0101");
        fx->UseDatabase(broken.Path());
        TMessageRecorder boxes;
        PressAndWait(w, "btnMemChk", boxes);
        QCOMPARE(boxes.messages.first(), QStringLiteral("메모리 검사 요청 success"));
        QTRY_VERIFY(Button(w, "btnMemChk")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        QCOMPARE(boxes.messages.size(), 1);  // the work ends without a message of its own
        QVERIFY(!dmOracle->dsQuery.Active());
        QVERIFY(!dmOracle->vdsConnection.Connected());
        fx->UseDatabase(fx->db.Path());
    }

    void communicationLoss_data() {
        QTest::addColumn<QString>("atcId");
        QTest::addColumn<QString>("shown");
        QTest::newRow("3725 s") << "0101"
                                << "1시간 02분 05초";
        QTest::newRow("59 s") << "0102"
                              << "0시간 00분 59초";
        QTest::newRow("3600 s") << "0103"
                                << "1시간 00분 00초";
        QTest::newRow("0 s") << "0104"
                             << "0시간 00분 00초";
        QTest::newRow("negative") << "0105"
                                  << "0시간 00분 00초";
        QTest::newRow("a day less a second") << "0106"
                                             << "23시간 59분 59초";
    }
    void communicationLoss() {
        QFETCH(QString, atcId);
        QFETCH(QString, shown);
        TfrmRemoteCtrl w;
        const data d = Record(atcId);
        w.ClearCtrlResult(17);
        w.LoadCtrlResult(&d, 17);
        QCOMPARE(Label(w, "lblDisconTime")->text(), shown);
    }

    void memory_data() {
        QTest::addColumn<QString>("atcId");
        QTest::addColumn<QString>("shown");
        QTest::newRow("N") << "0101"
                           << "정상";
        QTest::newRow("n") << "0102"
                           << "비정상";
        QTest::newRow("N with a blank") << "0103"
                                        << "비정상";
        QTest::newRow("empty") << "0104"
                               << "비정상";
        QTest::newRow("NULL") << "0105"
                              << "비정상";
    }
    void memory() {
        QFETCH(QString, atcId);
        QFETCH(QString, shown);
        TfrmRemoteCtrl w;
        const data d = Record(atcId);
        w.LoadCtrlResult(&d, 18);
        QCOMPARE(Label(w, "lblMemChkSts")->text(), shown);
    }

    void threshold_data() {
        QTest::addColumn<QString>("atcId");
        QTest::addColumn<bool>("high");
        QTest::newRow("1 high") << "0101" << true;
        QTest::newRow("0 low") << "0102" << false;
        QTest::newRow("2 low") << "0103" << false;
        QTest::newRow("NULL low") << "0104" << false;
        QTest::newRow("empty text low") << "0107" << false;
    }
    void threshold() {
        QFETCH(QString, atcId);
        QFETCH(bool, high);
        TfrmRemoteCtrl w;
        w.ClearCtrlResult(10);
        QVERIFY(!Radio(w, "rdoLow")->isChecked() && !Radio(w, "rdoHigh")->isChecked());
        const data d = Record(atcId);
        w.LoadCtrlResult(&d, 10);
        QCOMPARE(Radio(w, "rdoHigh")->isChecked(), high);
        QCOMPARE(Radio(w, "rdoLow")->isChecked(), !high);
    }

    void version_data() {
        QTest::addColumn<QString>("atcId");
        QTest::addColumn<QString>("ver");
        QTest::addColumn<QString>("date");
        QTest::newRow("20040615") << "0101"
                                  << "Version : V1.2"
                                  << "제조일자 : 2004/06/15";
        QTest::newRow("2004") << "0102"
                              << "Version : V1.2"
                              << "제조일자 : 2004//";
        QTest::newRow("NULL values") << "0103"
                                     << "Version : "
                                     << "제조일자 : //";
        QTest::newRow("no such controller: empty values") << "0999"
                                                          << "Version : "
                                                          << "제조일자 : //";
    }
    void version() {
        QFETCH(QString, atcId);
        QFETCH(QString, ver);
        QFETCH(QString, date);
        TfrmRemoteCtrl w;
        const data d = Record(atcId);
        w.ClearCtrlResult(21);
        w.LoadAtcVersion(&d, 21);
        QCOMPARE(Label(w, "lblVer")->text(), ver);
        QCOMPARE(Label(w, "lblManuDate")->text(), date);
    }

    void echoVerdictEndToEnd() {
        TSleepRecorder waits;
        TfrmRemoteCtrl w;
        TCommandFixture::Select(w.Tree(), "0101");  // its reply reads " loop test "
        {
            TMessageRecorder boxes;
            PressAndWait(w, "btnEchoReq", boxes);
        }
        QCOMPARE(Label(w, "lblLoopbackResult")->text(), QStringLiteral("정상"));
        QCOMPARE(Echo(w)->text(), QStringLiteral(" loop test "));  // untrimmed
        TCommandFixture::Select(w.Tree(), "0102");                 // its reply reads "loop"
        Echo(w)->setText("loop test");
        {
            TMessageRecorder boxes;
            PressAndWait(w, "btnEchoReq", boxes);
        }
        QCOMPARE(Label(w, "lblLoopbackResult")->text(), QStringLiteral("비정상"));
        QCOMPARE(Echo(w)->text(), QStringLiteral("loop"));
    }

    void otherButtonsRoutineRunsAfterTheWaitAndItsOneRead() {
        TMessageRecorder boxes;
        TShortWaits waits;
        TfrmRemoteCtrl w;
        TCommandFixture::Select(w.Tree(), "0101");
        TStatementTrace trace(dmOracle->vdsConnection);
        QList<TBoxMoment> seen;
        NoteEachBox(boxes, seen, waits, trace, AtcVersionSql("0101"),
                    [&] { return Label(w, "lblVer")->text(); });
        QTest::mouseClick(Button(w, "btnVer"), Qt::LeftButton);
        QTest::mouseClick(Button(w, "btnMemChk"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(waits.ended, 2, 5000);
        QCOMPARE(boxes.messages,
                 QStringList({"제어기 버전 요청 success", "메모리 검사 요청 success"}));
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].shown,
                 QStringLiteral("Version"));  // the box before the wait and the read
        QVERIFY(!seen[1].inWait);
        QCOMPARE(seen[1].waitsEnded, 1);
        QCOMPARE(seen[1].reads, 1);
        QCOMPARE(seen[1].shown, QStringLiteral("Version : V1.2"));
        QCOMPARE(trace.Count(AtcVersionSql("0101")), 1);
        QCOMPARE(trace.Count(CtrlResultSql("0101")), 1);
        QCOMPARE(Label(w, "lblMemChkSts")->text(), QStringLiteral("정상"));
    }

    void noReplyRowLeavesTheEmptiedControlsEmpty() {
        TSleepRecorder waits;
        TfrmRemoteCtrl w;
        TCommandFixture::Select(w.Tree(), "0110");
        for (const char* b : {"btnThreshold", "btnLeapTime", "btnMemChk", "btnEchoReq"}) {
            TMessageRecorder boxes;
            PressAndWait(w, b, boxes);
        }
        QVERIFY(!Radio(w, "rdoLow")->isChecked() && !Radio(w, "rdoHigh")->isChecked());
        QVERIFY(Label(w, "lblDisconTime")->text().isEmpty());
        QVERIFY(Label(w, "lblMemChkSts")->text().isEmpty());
        QVERIFY(Echo(w)->text().isEmpty());
        QVERIFY(Label(w, "lblLoopbackResult")->text().isEmpty());
    }

    void closingWithinTheWaitRunsNothing() {
        TMessageRecorder boxes;
        auto* w = new TfrmRemoteCtrl;
        TCommandFixture::Select(w->Tree(), "0101");
        QTest::mouseClick(Button(*w, "btnSWReset"), Qt::LeftButton);
        w->close();  // frees the window, whose last socket is the initial 0: nothing to close
        // The work thread goes once its wait has ended and the routine has been dropped.
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        QVERIFY(boxes.messages.isEmpty());
        QCOMPARE(fx->server.Frames().size(), size_t(0));
    }
};

VDS_TEST_MAIN(tst_RemoteCtrl)
#include "tst_RemoteCtrl.moc"
