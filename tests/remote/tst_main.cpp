// The control program's start-up: argument check, entry order, data module account.

#include <QDialogButtonBox>
#include <QFontInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "CommandFixture.h"
#include "DebugFrm.h"
#include "MdiWindows.h"
#include "OracleDM.h"
#include "Startup.h"
#include "TestSupport.h"
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
        QTest::newRow("5 with one only blanks")
            << QStringList({"u", "p", "db", "  ", "y"}) << false;
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
                 refused ? QStringList({QStringLiteral("실행인자가 없거나 부족합니다.")})
                         : QStringList());
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
        auto action = [&](const char* name) {
            return form.findChild<QAction*>(QString::fromLatin1(name));
        };
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
        AddMdiChild(form.MdiArea(), child);
        auto* windowMenu = form.findChild<QMenu*>(QStringLiteral("Window1"));
        emit windowMenu->aboutToShow();
        QStringList items;
        for (QAction* a : windowMenu->actions())
            if (!a->isSeparator()) items << a->text();
        QCOMPARE(items.size(), 6);
        QCOMPARE(items.last(), QStringLiteral("&1 창 하나"));
        QVERIFY(action("FileExit1")->statusTip().size() > 0);
    }

    void designedFontAndQtTextsInKorean() {
        const QFont font = QApplication::font();
        QCOMPARE(font.pixelSize(), 11);
        QCOMPARE(QFontInfo(font).family(),
                 QStringLiteral("NanumGothic"));  // installed, not a stand-in
        QCOMPARE(QFontInfo(font).pixelSize(), 11);
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("확인"));
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("취소"));
    }

    void closeButtonRemovesTheWindowWithItsFrame_data() {
        QTest::addColumn<QString>("menu");
        QTest::newRow("parameter window") << "mnuParamSet";
        QTest::newRow("remote-control window") << "mnuRemoteCtl";
        QTest::newRow("accumulated-traffic window") << "mnuInfoReq";
    }
    void closeButtonRemovesTheWindowWithItsFrame() {
        QFETCH(QString, menu);
        TMessageRecorder boxes;
        TProgramFixture program;
        TMainForm& form = *program.form;
        form.show();
        QAction* open = form.findChild<QAction*>(menu);
        open->trigger();
        QCOMPARE(form.MdiArea()->subWindowList().size(), 1);
        QPointer<QMdiSubWindow> sub = form.MdiArea()->subWindowList().first();
        QPointer<QWidget> window = FormOf(sub);
        QVERIFY(window && sub->isMaximized());
        QTest::mouseClick(window->findChild<QPushButton*>("btnClose"), Qt::LeftButton);
        // At once: no empty frame is left to close.
        QVERIFY(form.MdiArea()->subWindowList().isEmpty());
        QVERIFY(!sub->isVisible());
        QTRY_VERIFY(!sub && !window);
        open->trigger();
        QVERIFY(form.MdiArea()->subWindowList().isEmpty());  // once per run
        QVERIFY(boxes.messages.isEmpty());
    }

    // Each command window once per run, by its menu and, for the parameter window, its action.
    void commandWindowOpensOncePerRun_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("className");
        QTest::newRow("parameter window") << "mnuParamSet"
                                          << "actParamSet"
                                          << "TfrmParamSet";
        QTest::newRow("remote-control window") << "mnuRemoteCtl"
                                               << ""
                                               << "TfrmRemoteCtrl";
        QTest::newRow("accumulated-traffic window") << "mnuInfoReq"
                                                    << ""
                                                    << "TfrmInfoReq";
    }
    void commandWindowOpensOncePerRun() {
        QFETCH(QString, menu);
        QFETCH(QString, action);
        QFETCH(QString, className);
        TProgramFixture program;
        TMainForm& form = *program.form;
        QAction* open = form.findChild<QAction*>(menu);
        open->trigger();
        open->trigger();
        QCOMPARE(form.MdiArea()->subWindowList().size(), 1);
        QPointer<QMdiSubWindow> sub = form.MdiArea()->subWindowList().first();
        QVERIFY(FormOf(sub)->inherits(qPrintable(className)));
        QVERIFY(sub->isMaximized());
        sub->close();
        QTRY_VERIFY(sub.isNull());
        if (!action.isEmpty()) form.findChild<QAction*>(action)->trigger();
        open->trigger();
        QCOMPARE(form.MdiArea()->subWindowList().size(), 0);
    }

    void commandWindowsCascadeAtTheirDesignsAndScrollWhenTiled() {
        TProgramFixture program;
        TMainForm& form = *program.form;
        form.resize(1400, 1000);
        form.show();
        for (const char* menu : {"mnuParamSet", "mnuRemoteCtl", "mnuInfoReq"})
            form.findChild<QAction*>(QString::fromLatin1(menu))->trigger();
        const QList<QMdiSubWindow*> subs = form.MdiArea()->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(subs.size(), 3);
        const QList<QSize> designs = {{1008, 734}, {1008, 693}, {1012, 689}};
        for (int i = 0; i < 3; ++i) QCOMPARE(FormOf(subs[i])->minimumSize(), designs[i]);

        form.findChild<QAction*>("WindowCascade1")->trigger();
        QTest::qWait(0);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!subs[i]->isMaximized());
            QCOMPARE(subs[i]->widget()->size(), designs[i]);
            QCOMPARE(subs[i]->pos(), subs[1]->pos() * i);
        }

        form.findChild<QAction*>("WindowTileHorizontal1")->trigger();
        QTest::qWait(0);
        for (QMdiSubWindow* sub : subs) {
            auto* scroller = qobject_cast<QScrollArea*>(sub->widget());
            QVERIFY(scroller && scroller->verticalScrollBar()->isVisible());
            // The lowest button of each window can be scrolled into view.
            QPushButton* lowest = nullptr;
            for (QPushButton* b : FormOf(sub)->findChildren<QPushButton*>())
                if (!lowest || b->mapTo(FormOf(sub), QPoint(0, b->height())).y() >
                                   lowest->mapTo(FormOf(sub), QPoint(0, lowest->height())).y())
                    lowest = b;
            scroller->ensureWidgetVisible(lowest, 0, 0);
            const QRect shown(lowest->mapTo(scroller->viewport(), QPoint(0, 0)), lowest->size());
            QVERIFY2(scroller->viewport()->rect().contains(shown),
                     qPrintable(lowest->objectName()));
        }
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
