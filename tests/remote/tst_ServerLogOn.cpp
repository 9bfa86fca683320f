// The control program against the database server: its account from the arguments, a refused
// log-on, and a server restart between an operator's actions.

#include <QLabel>
#include <QPushButton>

#include "CommandFixture.h"
#include "RemoteCtrl.h"
#include "WorkThread.h"

namespace {
QString Fixture() {
    QString sql = BaseRows();
    for (int i = 1; i <= 3; ++i) sql += ControllerRows(QString::asprintf("01%02d", i), 100 + i);
    sql += QStringLiteral(
        "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('0102', 'L2', 2, 'Y');"
        "INSERT INTO OVD_MAGM_HIST_INFO (ATC_ID, MAGM_RESP_TIME, THRESHOLD, ONLINE_STATUS, MEMORY, "
        "ECHO) VALUES ('0101', '2026-12-08 10:00:00', 1, 0, 'N', 'loop test');");
    return sql;
}

QString LabelText(QWidget& w, const char* name) {
    return w.findChild<QLabel*>(name)->text();
}

// As an operator ticks: a click on the leaf's check box, so a failure goes to the default handler.
void Tick(TControllerTree& tree, const QString& atcId) {
    PVirtualNode leaf = TCommandFixture::Leaf(tree, atcId);
    QVERIFY2(leaf, qPrintable(atcId));
    TVirtualStringTree* t = tree.LeafTree();
    t->scrollToItem(leaf);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->CheckBoxRect(leaf).center());
}

QString CurrentUser() {
    TSQLClientDataSet ds(&dmOracle->vdsConnection);
    ds.SetCommandText(QStringLiteral("SELECT current_user V"));
    ds.Open();
    return ds.FieldByName(QStringLiteral("V")).AsString();
}
}  // namespace

class tst_ServerLogOn : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TCommandFixture> fx;

    void StartWith(const QStringList& args) {
        fx->form = std::make_unique<TMainForm>(args);
        MainForm = fx->form.get();
        fx->dm->vdsConnection.SetConnected(false);
    }

private slots:
    void initTestCase() {
        QVERIFY(OnServer());
        fx = std::make_unique<TCommandFixture>(Fixture());
        AddOperatorAccount(QStringLiteral("operator2"), QStringLiteral("second"));
    }
    void cleanupTestCase() { fx.reset(); }
    void init() { StartWith({TestUser(), TestPassword(), fx->db.Path(), "x", "y"}); }

    void refusedLogOnShowsTheServersMessageOnce_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << QStringList{"u", "wrong", "", "x", "y"}
                                        << "password authentication failed for user \"u\"";
        QTest::newRow("unknown account") << QStringList{"nobody", "p", "", "x", "y"}
                                         << "password authentication failed for user \"nobody\"";
        QTest::newRow("unknown database")
            << QStringList{"u", "p", "nowhere", "x", "y"} << "database \"nowhere\" does not exist";
    }
    void refusedLogOnShowsTheServersMessageOnce() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        if (args[2].isEmpty()) args[2] = fx->db.Path();
        StartWith(args);
        TMessageRecorder boxes;
        TfrmRemoteCtrl w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));  // what showing it set off has been handled
        QCOMPARE(boxes.messages.size(), 1);
        QVERIFY2(boxes.messages[0].contains(message), qPrintable(boxes.messages[0]));
        // The window has its fixed nodes and nothing read.
        QCOMPARE(w.Tree().LeafTree()->ChildCount(w.Tree().pAxisBranch), 0);
        QCOMPARE(w.Tree().LeafTree()->ChildCount(w.Tree().pResrBranch), 0);
        QVERIFY(!dmOracle->vdsConnection.Connected());
    }

    void anotherOperatorsArgumentsLogOnAsThatOperator() {
        StartWith({"operator2", "second", fx->db.Path(), "x", "y"});
        TMessageRecorder boxes;
        TfrmRemoteCtrl w;
        Tick(w.Tree(), "0102");
        QCOMPARE(LabelText(w, "lblLoopDetCnt"), QStringLiteral("2"));
        QCOMPARE(CurrentUser(), QStringLiteral("operator2"));
        QCOMPARE(boxes.messages, QStringList());
    }

    void serverRestartBetweenTreeTicks() {
        TMessageRecorder boxes;
        TfrmRemoteCtrl w;
        Tick(w.Tree(), "0101");
        QCOMPARE(LabelText(w, "lblLoopDetCnt"), QStringLiteral("1"));
        QVERIFY(dmOracle->vdsConnection.Connected());  // kept after a tick's queries
        fx->db.TakeAway();
        fx->db.BringBack();
        Tick(w.Tree(), "0102");
        QCOMPARE(LabelText(w, "lblLoopDetCnt"), QStringLiteral("2"));
        QCOMPARE(boxes.messages, QStringList());
    }

    void serverRestartBeforeACommandsRead() {
        TSleepRecorder waits;
        TMessageRecorder boxes;
        TfrmRemoteCtrl w;
        Tick(w.Tree(), "0101");
        fx->db.TakeAway();
        fx->db.BringBack();
        QTest::mouseClick(w.findChild<QPushButton*>("btnMemChk"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.messages.size(), 1, 5000);
        QCOMPARE(boxes.messages[0], QStringLiteral("메모리 검사 요청 success"));
        QTRY_COMPARE(LabelText(w, "lblMemChkSts"), QStringLiteral("정상"));
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);  // the routine has ended
        QCOMPARE(boxes.messages.size(), 1);
    }

    void serverDownShowsOneBoxAndTheNextTickWorks() {
        TMessageRecorder boxes;
        TfrmRemoteCtrl w;
        Tick(w.Tree(), "0101");
        fx->db.TakeAway();
        Tick(w.Tree(), "0102");
        QCOMPARE(boxes.messages.size(), 1);
        QVERIFY2(boxes.messages[0].contains("connection to server"), qPrintable(boxes.messages[0]));
        QVERIFY(!dmOracle->vdsConnection.Connected());
        fx->db.BringBack();
        Tick(w.Tree(), "0103");
        QCOMPARE(LabelText(w, "lblLoopDetCnt"), QStringLiteral("1"));
        QCOMPARE(boxes.messages.size(), 1);
    }
};

VDS_TEST_MAIN(tst_ServerLogOn)
#include "tst_ServerLogOn.moc"
