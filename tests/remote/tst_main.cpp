// The control program's start-up: argument check, entry order, data module account.

#include <QMdiArea>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "DebugFrm.h"
#include "OracleDM.h"
#include "TestSupport.h"
#include "Startup.h"
#include "about.h"
#include "main.h"

class tst_main : public QObject {
    Q_OBJECT
private slots:
    void argumentCheck_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("refused");
        QTest::newRow("no arguments") << QStringList() << true;
        QTest::newRow("4 arguments") << QStringList({"u", "p", "db", "x"}) << true;
        QTest::newRow("6 arguments") << QStringList({"u", "p", "db", "x", "y", "z"}) << true;
        QTest::newRow("5 with the 4th empty") << QStringList({"u", "p", "db", "", "y"}) << true;
        QTest::newRow("5 with the 1st empty") << QStringList({"", "p", "db", "x", "y"}) << true;
        QTest::newRow("5 with the 3rd empty") << QStringList({"u", "p", "", "x", "y"}) << true;
        QTest::newRow("5 with one only blanks") << QStringList({"u", "p", "db", "  ", "y"}) << false;
        QTest::newRow("5 arguments") << QStringList({"u", "p", "db", "x", "y"}) << false;
    }
    void argumentCheck() {
        QFETCH(QStringList, args);
        QFETCH(bool, refused);
        TMessageRecorder boxes;
        Application()->ClearTerminated();
        TMainForm form(args);
        QCOMPARE(Application()->Terminated(), refused);
        QCOMPARE(boxes.messages,
                 refused ? QStringList({QStringLiteral("실행인자가 없거나 부족합니다.")}) : QStringList());
        for (int i = 0; i < 5; ++i) QCOMPARE(form.LaunchArgs[i], args.value(i));
        Application()->ClearTerminated();
    }

    void refusedStartEndsWithoutTheLoop() {
        TMessageRecorder boxes;
        Application()->ClearTerminated();
        QCOMPARE(RunMorsenda({"u", "p", "db", "x"}), 0);
        QCOMPARE(boxes.messages.size(), 1);
        QVERIFY(MainForm == nullptr);
        Application()->ClearTerminated();
    }

    void startUpCreatesEverythingThenRunsTheLoop() {
        TMessageRecorder boxes;
        bool checked = false;
        QTimer::singleShot(0, [&] {
            QVERIFY(MainForm && MainForm->isVisible());
            QCOMPARE(MainForm->windowTitle(), QStringLiteral("Morsenda"));
            QVERIFY(AboutBox && !AboutBox->isVisible());
            QVERIFY(dmOracle && !dmOracle->vdsConnection.Connected());
            QVERIFY(frmDebug() && !frmDebug()->isVisible());
            checked = true;
            MainForm->FileExit1Execute();
        });
        QCOMPARE(RunMorsenda({"u", "p", "db", "x", "y"}), 0);
        QVERIFY(checked);
        QVERIFY(boxes.messages.isEmpty());
        QVERIFY(MainForm == nullptr && dmOracle == nullptr);
    }

    void menusToolbarAndHints() {
        TMainForm form({"u", "p", "db", "x", "y"});
        auto action = [&](const char* name) { return form.findChild<QAction*>(QString::fromLatin1(name)); };
        QStringList menus;
        for (QAction* a : form.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, QStringList({"파일(&F)", "제어기제어(&C)", "창(&W)", "도움말(&H)"}));
        QCOMPARE(action("mnuParamSet")->text(), QStringLiteral("제어기 파라미터 설정(&S)"));
        QCOMPARE(action("mnuRemoteCtl")->text(), QStringLiteral("제어기 원격제어(&R)"));
        QCOMPARE(action("mnuInfoReq")->text(), QStringLiteral("축적 교통 정보 요청(&Q)"));
        QCOMPARE(action("FileExit1")->statusTip(), QStringLiteral("Exit application"));
        QCOMPARE(form.findChild<QToolBar*>(QStringLiteral("ToolBar1"))->actions(),
                 QList<QAction*>({action("WindowCascade1"), action("WindowTileHorizontal1"),
                                  action("WindowTileVertical1")}));
        // The window menu lists the open children below its commands.
        auto* child = new QWidget;
        child->setWindowTitle(QStringLiteral("창 하나"));
        form.AddMdiChild(child);
        auto* windowMenu = form.findChild<QMenu*>(QStringLiteral("Window1"));
        emit windowMenu->aboutToShow();
        QStringList items;
        for (QAction* a : windowMenu->actions())
            if (!a->isSeparator()) items << a->text();
        QCOMPARE(items.size(), 6);
        QCOMPARE(items.last(), QStringLiteral("&1 창 하나"));
        QVERIFY(action("FileExit1")->statusTip().size() > 0);
    }

    void beforeConnectTakesArgumentsOneToThree() {
        TTempDatabase db;
        TMainForm form({TestUser(), TestPassword(), db.Path(), "x", "y"});
        MainForm = &form;
        TdmOracle dm;
        auto query = [&] {
            dm.dsQuery.SetCommandText(QStringLiteral("SELECT COUNT(*) N FROM ATC_INFO"));
            dm.dsQuery.Open();
            const QString n = dm.dsQuery.FieldByName(QStringLiteral("N")).AsString();
            dm.dsQuery.Close();
            return n;
        };
        QCOMPARE(query(), QStringLiteral("0"));
        QCOMPARE(dm.vdsConnection.Param("User_Name"), TestUser());
        QCOMPARE(dm.vdsConnection.Param("Password"), TestPassword());
        QCOMPARE(dm.vdsConnection.Param("Database"), db.Path());
        // After a disconnect the next query sets the three again before it logs on.
        dm.vdsConnection.SetConnected(false);
        dm.vdsConnection.SetParam("Database", QStringLiteral("elsewhere"));
        dm.vdsConnection.SetParam("User_Name", QStringLiteral("nobody"));
        QCOMPARE(query(), QStringLiteral("0"));
        QCOMPARE(dm.vdsConnection.Param("Database"), db.Path());
        QCOMPARE(dm.vdsConnection.Param("User_Name"), TestUser());
        MainForm = nullptr;
    }
};

VDS_TEST_MAIN(tst_main)
#include "tst_main.moc"
