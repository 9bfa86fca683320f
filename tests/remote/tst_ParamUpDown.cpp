// The parameter window's 18 UP and DN routines against the stand-in server.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "CommandFixture.h"
#include "ParamSet.h"
#include "StatementTrace.h"
#include "WorkThread.h"

namespace {
struct TGroupCase {
    int index;
    const char* up;
    const char* dn;
    const char* text;
    bool dnDisabled;
};
const TGroupCase kGroups[] = {
    {1, "btnLoopUp", "btnLoopDn", "루프검지기 설정", false},
    {2, "btnSpdUp", "btnSpdDn", "속도루프 설정", false},
    {3, "btnTraVolColTermUp", "btnTraVolColTermDn", "교통량 수집 주기", true},
    {4, "btnCarRespTimeDefUp", "btnCarRespTimeDefDn", "차량 감응시간 정의", true},
    {5, "btnSpdCatUp", "btnSpdCatDn", "속도 카테고리 분류", false},
    {6, "btnCarLenUp", "btnCarLenDn", "차량길이 카테고리 분류", true},
    {12, "btnTraVolUpLimitUp", "btnTraVolUpLimitDn", "교통량 상한치 설정", true},
    {13, "btnCarSpdUpLimitUp", "btnCarSpdUpLimitDn", "차량속도 상한치 설정", true},
    {14, "btnCarLenUpLimitUp", "btnCarLenUpLimitDn", "차량길이 상한치 설정", true},
};

QString Fixture() {
    QString sql = BaseRows() + ControllerRows("0312", 312) + ControllerRows("0101", 101);
    sql += QStringLiteral(
        "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, PARA003_VALU) VALUES "
        "('0312', 3, '2026-12-01 00:00:00', '30');"
        "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, PARA012_VALU) VALUES "
        "('0312', 12, '2026-12-01 00:00:00', '250');");
    return sql;
}
}  // namespace

class tst_ParamUpDown : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TCommandFixture> fx;

    static void Set(QWidget& w, const char* edit, const QString& text) {
        w.findChild<QLineEdit*>(edit)->setText(text);
    }
    QByteArray OnlyFrame() {
        const auto frames = fx->server.Frames();
        return frames.size() == 1 ? frames[0].frame
                                  : QByteArray("count " + QByteArray::number(int(frames.size())));
    }

private slots:
    void initTestCase() { fx = std::make_unique<TCommandFixture>(Fixture()); }
    void cleanupTestCase() { fx.reset(); }
    void init() {
        fx->server.ClearFrames();
        fx->server.ClearStatuses();
        fx->server.SetDefaultStatus(TStandInServer::kAccepted);
        fx->server.SetMisbehaviour(TMisbehaviour::None);
        fx->server.SetOnFrame(nullptr);
    }

    void uploadOfIndex12() {
        TMessageRecorder boxes;
        TSleepRecorder waits;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        PressAndWait(w, "btnTraVolUpLimitUp", boxes);
        QCOMPARE(OnlyFrame(), TCommandFixture::Bytes({0x03, 0x0C, 0x0F, 0x0C}));
        QCOMPARE(fx->server.Frames()[0].lengthField, TCommandFixture::LengthField(4));
    }

    void downloadFrames_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("ticks");  // check boxes to tick
        QTest::addColumn<QStringList>("edits");  // name=text pairs
        QTest::addColumn<QByteArray>("frame");
        const auto B = TCommandFixture::Bytes;
        QTest::newRow("index 1, loops 1, 9, 32")
            << "btnLoopDn" << QStringList({"chkLoop01", "chkLoop09", "chkLoop32"}) << QStringList()
            << B({3, 12, 14, 1, 0x80, 0x80, 0x00, 0x01});
        QTest::newRow("index 1, no loop")
            << "btnLoopDn" << QStringList() << QStringList() << B({3, 12, 14, 1, 0, 0, 0, 0});
        QByteArray spd = B({3, 12, 14, 2}) + QByteArray(32, 0);
        spd[4] = 1;
        spd[35] = 1;
        QTest::newRow("index 2, loops 1 and 32: 36 bytes")
            << "btnSpdDn" << QStringList({"chkSpd01", "chkSpd32"}) << QStringList() << spd;
        QByteArray cat = B({3, 12, 14, 5}) + QByteArray(12, 0);
        for (int k = 1; k <= 12; ++k) cat[3 + k] = char(k);
        cat[4] = 0x0A;
        cat[15] = 0x2C;
        QStringList catEdits;
        for (int k = 1; k <= 12; ++k)
            catEdits << QString::asprintf("edCatT%02d=%d", k, k == 1 ? 10 : k == 12 ? 300 : k);
        catEdits << "edCatF03="
                 << "edCatF05=abc";  // lower bounds are not sent
        QTest::newRow("index 5, 10 and 300") << "btnSpdCatDn" << QStringList() << catEdits << cat;
        QTest::newRow("index 4, 3 and 5")
            << "btnCarRespTimeDefDn" << QStringList()
            << QStringList({"edCarExist=3", "edCarNoExist=5"}) << B({3, 12, 14, 4, 3, 5});
        QTest::newRow("index 3") << "btnTraVolColTermDn" << QStringList()
                                 << QStringList({"edTraCollTerm=30"}) << B({3, 12, 14, 3, 30});
        QTest::newRow("index 12") << "btnTraVolUpLimitDn" << QStringList()
                                  << QStringList({"edTraVolUpLimit=250"})
                                  << B({3, 12, 14, 12, 250});
        QTest::newRow("index 13, 255")
            << "btnCarSpdUpLimitDn" << QStringList() << QStringList({"edVelUpLimit=255"})
            << B({3, 12, 14, 13, 0xFF});
        QTest::newRow("index 13, 256 keeps the low byte")
            << "btnCarSpdUpLimitDn" << QStringList() << QStringList({"edVelUpLimit=256"})
            << B({3, 12, 14, 13, 0x00});
        QTest::newRow("index 13, -1")
            << "btnCarSpdUpLimitDn" << QStringList() << QStringList({"edVelUpLimit=-1"})
            << B({3, 12, 14, 13, 0xFF});
        QTest::newRow("index 14") << "btnCarLenUpLimitDn" << QStringList()
                                  << QStringList({"edCarLenUpLimit=180"})
                                  << B({3, 12, 14, 14, 180});
        QTest::newRow("index 6, upper bounds in 10 cm steps")
            << "btnCarLenDn" << QStringList()
            << QStringList(
                   {"edCarCatT01=550", "edCarCatT02=900", "edCarCatT03=2550", "edCarCatF01=x"})
            << B({3, 12, 14, 6, 55, 90, 255});
    }
    void downloadFrames() {
        QFETCH(QString, button);
        QFETCH(QStringList, ticks);
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, frame);
        TMessageRecorder boxes;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        for (const QString& t : ticks) w.findChild<QCheckBox*>(t)->setChecked(true);
        for (const QString& e : edits) Set(w, qPrintable(e.section('=', 0, 0)), e.section('=', 1));
        PressAndWait(w, qPrintable(button), boxes);
        QCOMPARE(OnlyFrame(), frame);
        QCOMPARE(fx->server.Frames()[0].lengthField, TCommandFixture::LengthField(frame.size()));
        QVERIFY(boxes.messages.first().endsWith(" DOWNLOAD success"));
        QVERIFY(fx->server.WaitForClosedByClient(1, 2000));  // released after the status
        QCOMPARE(w.nSocket, -1);
    }

    void everyRoutineAcceptedAndRefused() {
        TSleepRecorder waits;
        fx->intervals.asked.clear();
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        for (const TGroupCase& g : kGroups) {
            for (bool up : {true, false}) {
                const char* button = up ? g.up : g.dn;
                const QString kind = up ? " UPLOAD" : " DOWNLOAD";
                FillEveryGroup(w);
                fx->server.SetDefaultStatus(TStandInServer::kAccepted);
                {
                    TMessageRecorder boxes;
                    PressAndWait(w, button, boxes);
                    QCOMPARE(boxes.messages.first(), QString::fromUtf8(g.text) + kind + " success");
                }
                FillEveryGroup(w);
                fx->server.SetDefaultStatus("1");
                {
                    TMessageRecorder boxes;
                    PressAndWait(w, button, boxes);
                    const QString fail = (g.index == 5 && !up)
                                             ? QStringLiteral("속도 카테고리 분류  DOWNLOAD fail ")
                                             : QString::fromUtf8(g.text) + kind + " fail ";
                    QCOMPARE(boxes.messages.first(), fail);
                }
                QVERIFY(Button(w, button)->isEnabled());
            }
        }
        // Every button asked for the 200 ms its work thread waits (the tests shorten it).
        QCOMPARE(fx->intervals.asked, QVector<int>(36, 200));
        QCOMPARE(waits.waits.size(), 9);  // one wait per accepted upload
        QVERIFY(
            std::all_of(waits.waits.begin(), waits.waits.end(), [](int ms) { return ms == 1000; }));
    }

    void buttonsHeldOnlyWhereTheTableSays() {
        TSleepRecorder waits;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        for (const TGroupCase& g : kGroups) {
            for (bool up : {true, false}) {
                const char* button = up ? g.up : g.dn;
                FillEveryGroup(w);
                TMessageRecorder boxes;
                bool enabledWhileShown = false;
                boxes.whileOpen = [&](const QString&) {
                    enabledWhileShown = Button(w, button)->isEnabled();
                };
                PressAndWait(w, button, boxes);
                QCOMPARE(enabledWhileShown, !up && !g.dnDisabled);
                QVERIFY(Button(w, button)->isEnabled());
            }
        }
    }

    void noControllerTicked() {
        const int connections = fx->server.ConnectionCount();
        TfrmParamSet w;
        for (const TGroupCase& g : kGroups) {
            for (const char* button : {g.up, g.dn}) {
                TMessageRecorder boxes;
                PressAndWait(w, button, boxes);
                QCOMPARE(boxes.messages.first(), QStringLiteral("제어기를 선택하세요"));
                QVERIFY(Button(w, button)->isEnabled());
            }
        }
        QCOMPARE(fx->server.ConnectionCount(), connections);
    }

    void serverDown() {
        fx->server.SetMisbehaviour(TMisbehaviour::Refuse);
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        FillEveryGroup(w);
        for (const char* button : {"btnLoopUp", "btnCarLenUpLimitDn", "btnSpdDn"}) {
            TMessageRecorder boxes;
            PressAndWait(w, button, boxes);
            QCOMPARE(boxes.messages.first(), QStringLiteral("서버연결 실패"));
            QVERIFY(Button(w, button)->isEnabled());
        }
    }

    void editsThatAreNoNumberSendNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::newRow("index 3 empty") << "btnTraVolColTermDn"
                                       << "edTraCollTerm"
                                       << "";
        QTest::newRow("index 4 letters") << "btnCarRespTimeDefDn"
                                         << "edCarNoExist"
                                         << "5a";
        QTest::newRow("index 5 one empty upper bound") << "btnSpdCatDn"
                                                       << "edCatT07"
                                                       << "";
        QTest::newRow("index 12 outside 32 bits") << "btnTraVolUpLimitDn"
                                                  << "edTraVolUpLimit"
                                                  << "4294967296";
        QTest::newRow("index 13 blank") << "btnCarSpdUpLimitDn"
                                        << "edVelUpLimit"
                                        << " ";
        QTest::newRow("index 6 empty") << "btnCarLenDn"
                                       << "edCarCatT02"
                                       << "";
    }
    void editsThatAreNoNumberSendNothing() {
        QFETCH(QString, button);
        QFETCH(QString, edit);
        QFETCH(QString, text);
        TMessageRecorder boxes;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        FillEveryGroup(w);
        Set(w, qPrintable(edit), text);
        QTest::mouseClick(Button(w, qPrintable(button)), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);  // the routine has ended
        QVERIFY(boxes.messages.isEmpty());
        QCOMPARE(fx->server.Frames().size(), size_t(0));
        QVERIFY(Button(w, qPrintable(button))->isEnabled());
        QCOMPARE(w.findChild<QLineEdit*>(edit)->text(), text);
        QVERIFY(fx->server.WaitForClosedByClient(1, 2000));  // the connection made is released
    }

    void lengthBoundsTheControllerCannotTake_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("not in 10 cm steps") << "555";
        QTest::newRow("above 2550 cm") << "2560";
        QTest::newRow("negative") << "-10";
    }
    void lengthBoundsTheControllerCannotTake() {
        QFETCH(QString, value);
        TMessageRecorder boxes;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        FillEveryGroup(w);
        Set(w, "edCarCatT02", value);
        PressAndWait(w, "btnCarLenDn", boxes);
        QVERIFY2(boxes.messages.first().contains("차종 분류 #2") &&
                     boxes.messages.first().contains(value),
                 qPrintable(boxes.messages.first()));
        QCOMPARE(fx->server.Frames().size(), size_t(0));
        QVERIFY(Button(w, "btnCarLenDn")->isEnabled());
    }

    void acceptedUploadReloadsItsGroupAfterTheWait() {
        TSleepRecorder waits;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        QCOMPARE(w.findChild<QLineEdit*>("edTraCollTerm")->text(), QStringLiteral("30"));
        Set(w, "edTraVolUpLimit", "typed");  // another group's unsent edit survives
        // The controller's answer arrives in the database while the window waits.
        const TTempDatabase& db = fx->db;
        fx->server.SetOnFrame([&db](const TReceivedFrame&, bool) {
            db.Exec(
                "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, PARA003_VALU) "
                "VALUES ('0312', 3, '2026-12-09 00:00:00', '60');");
        });
        TMessageRecorder boxes;
        QString duringBox;
        boxes.whileOpen = [&](const QString&) {
            duringBox = w.findChild<QLineEdit*>("edTraCollTerm")->text();
        };
        PressAndWait(w, "btnTraVolColTermUp", boxes);
        QCOMPARE(duringBox, QStringLiteral("30"));  // the box comes first
        QCOMPARE(waits.waits, QVector<int>({1000}));
        QCOMPARE(w.findChild<QLineEdit*>("edTraCollTerm")->text(), QStringLiteral("60"));
        QCOMPARE(w.findChild<QLineEdit*>("edTraVolUpLimit")->text(), QStringLiteral("typed"));
    }

    void secondPressRunsAfterTheFirstWaitAndItsOneRead() {
        TMessageRecorder boxes;
        TShortWaits waits;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        TStatementTrace trace(dmOracle->vdsConnection);
        const QString read = ParamGroupSql("0312", 12);
        QList<TBoxMoment> seen;
        NoteEachBox(boxes, seen, waits, trace, read,
                    [&] { return w.findChild<QLineEdit*>("edTraVolUpLimit")->text(); });
        Set(w, "edTraVolUpLimit", "999");  // typed, not sent
        QTest::mouseClick(Button(w, "btnTraVolUpLimitUp"), Qt::LeftButton);
        QTest::mouseClick(Button(w, "btnTraVolUpLimitUp"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(waits.ended, 2, 5000);
        QCOMPARE(boxes.messages,
                 QStringList(2, QStringLiteral("교통량 상한치 설정 UPLOAD success")));
        QCOMPARE(waits.waits, QVector<int>({1000, 1000}));
        QCOMPARE(seen.size(), 2);
        // The first box before its wait, nothing read yet.
        QVERIFY(!seen[0].inWait);
        QCOMPARE(seen[0].waitsEnded, 0);
        QCOMPARE(seen[0].reads, 0);
        QCOMPARE(seen[0].shown, QStringLiteral("999"));
        // The second routine only once the first has waited and read, once.
        QVERIFY(!seen[1].inWait);
        QCOMPARE(seen[1].waitsEnded, 1);
        QCOMPARE(seen[1].reads, 1);
        QCOMPARE(seen[1].shown, QStringLiteral("250"));
        QCOMPARE(trace.Count(read), 2);
        QCOMPARE(fx->server.Frames().size(), size_t(2));
    }

    void inputDuringTheWaitIsDropped() {
        TMessageRecorder boxes;
        TShortWaits waits;
        TfrmParamSet w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TCommandFixture::Select(w.Tree(), "0312");
        Set(w, "edVelUpLimit", "120");
        waits.duringWait = [&] {
            QTest::mouseClick(Button(w, "btnLoopDn"), Qt::LeftButton);
            w.findChild<QLineEdit*>("edVelUpLimit")->setFocus();
            QTest::keyClicks(w.findChild<QLineEdit*>("edVelUpLimit"), "77");
        };
        PressAndWait(w, "btnTraVolUpLimitUp", boxes);
        QTRY_COMPARE_WITH_TIMEOUT(waits.ended, 1, 5000);
        // A click held back would have started a routine before the last thread goes.
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        QCOMPARE(w.findChild<QLineEdit*>("edVelUpLimit")->text(), QStringLiteral("120"));
        QCOMPARE(w.findChild<QLineEdit*>("edTraVolUpLimit")->text(), QStringLiteral("250"));
        QCOMPARE(boxes.messages.size(), 1);
        QCOMPARE(fx->server.Frames().size(), size_t(1));
    }

    void refusedUploadLeavesTheGroup() {
        TSleepRecorder waits;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        Set(w, "edTraVolUpLimit", "typed");
        fx->server.SetDefaultStatus("9");
        TMessageRecorder boxes;
        PressAndWait(w, "btnTraVolUpLimitUp", boxes);
        QCOMPARE(w.findChild<QLineEdit*>("edTraVolUpLimit")->text(), QStringLiteral("typed"));
        QVERIFY(waits.waits.isEmpty());
    }

    void tickBetweenClickAndRunSendsToTheNewController() {
        TMessageRecorder boxes;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        QTest::mouseClick(Button(w, "btnLoopDn"), Qt::LeftButton);
        TCommandFixture::Select(w.Tree(), "0101");
        QTRY_COMPARE_WITH_TIMEOUT(boxes.messages.size(), 1, 5000);
        QCOMPARE(OnlyFrame().left(2), TCommandFixture::Bytes({1, 1}));
    }

    void twoPressesRunTwice() {
        TMessageRecorder boxes;
        TfrmParamSet w;
        TCommandFixture::Select(w.Tree(), "0312");
        QTest::mouseClick(Button(w, "btnLoopDn"), Qt::LeftButton);
        QTest::mouseClick(Button(w, "btnLoopDn"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.messages.size(), 2, 5000);
        QCOMPARE(fx->server.Frames().size(), size_t(2));
    }

    void closingWithinTheWaitRunsNothing() {
        TMessageRecorder boxes;
        const int connections = fx->server.ConnectionCount();
        auto* w = new TfrmParamSet;
        TCommandFixture::Select(w->Tree(), "0312");
        QTest::mouseClick(Button(*w, "btnLoopUp"), Qt::LeftButton);
        QTest::mouseClick(Button(*w, "btnLoopDn"), Qt::LeftButton);
        w->close();
        // Both threads go once their waits have ended and their routines have been dropped.
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        QVERIFY(boxes.messages.isEmpty());
        QCOMPARE(fx->server.ConnectionCount(), connections);
    }
};

VDS_TEST_MAIN(tst_ParamUpDown)
#include "tst_ParamUpDown.moc"
