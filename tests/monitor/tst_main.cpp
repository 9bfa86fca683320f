// The monitoring program's start-up, main window, text windows and data module.

#include <QDir>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "ChildWin.h"
#include "DebugFrm.h"
#include "DevSearchFrm.h"
#include "DevStsMonFrm.h"
#include "GridProbe.h"
#include "MonitorFixture.h"
#include "Startup.h"
#include "TrafMonTextFrm.h"
#include "main.h"

namespace {
const char* const kToolButtons[] = {"BitBtnClose", "BitBtnStart", "BitBtnStop", "BitBtnDevSts",
                                    "BitBtnDevSrch"};

QToolButton* Button(TMainForm& form, const char* name) {
    return form.findChild<QToolButton*>(QString::fromLatin1(name));
}

QAction* Action(TMainForm& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

void ShowActive(TMainForm& form) {
    form.resize(1024, 768);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

QStringList Captions(TMainForm& form) {
    QStringList captions;
    for (QMdiSubWindow* w : form.MdiArea()->subWindowList(QMdiArea::CreationOrder))
        captions << (w->widget() ? w->widget()->windowTitle() : QString());
    return captions;
}

TMDIChild* NewestTextWindow(TMainForm& form) {
    const auto list = form.MdiArea()->subWindowList(QMdiArea::CreationOrder);
    return list.isEmpty() ? nullptr : qobject_cast<TMDIChild*>(list.last()->widget());
}

// Runs in a folder of its own and goes back when done.
class TWorkingDir {
public:
    TWorkingDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(dir.path()); }
    ~TWorkingDir() { QDir::setCurrent(m_previous); }
    QTemporaryDir dir;

private:
    QString m_previous;
};
}  // namespace

class tst_main : public QObject {
    Q_OBJECT
private slots:
    // ---- start-up and data module -------------------------------------------------------

    void startUpTouchesNoDatabase() {
        // No database anywhere: any log-on during start-up would show a box.
        TUnreachableDatabase nowhere;
        TMessageRecorder boxes;
        bool checked = false;
        QTimer::singleShot(0, [&] {
            QVERIFY(MainForm && MainForm->isVisible());
            QCOMPARE(MainForm->windowTitle(), QStringLiteral("Talvero"));
            QVERIFY(dmOracle);
            QVERIFY(!dmOracle->vdsConnection.Connected() && !dmOracle->vdsConnection2.Connected());
            for (const QString& a : MainForm->LaunchArgs) QVERIFY(a.isEmpty());
            QVERIFY(MainForm->pTrafMonText.isNull());
            QVERIFY(MainForm->MdiArea()->subWindowList().isEmpty());
            checked = true;
            MainForm->FileExit1Execute();
        });
        QCOMPARE(RunTalvero(), 0);
        QVERIFY(checked);
        QCOMPARE(boxes.messages, QStringList());
        QVERIFY(MainForm == nullptr && dmOracle == nullptr);
    }

    void fixedAccountOnEveryConnect_data() {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("launchArgs");
        QTest::newRow("stored parameters empty") << ""
                                                 << ""
                                                 << "" << false;
        QTest::newRow("stored parameters changed") << "elsewhere"
                                                   << "nobody"
                                                   << "guess" << false;
        QTest::newRow("launch arguments filled") << ""
                                                 << ""
                                                 << "" << true;
    }
    void fixedAccountOnEveryConnect() {
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, launchArgs);
        TMonitorDb fx;
        TMainForm form;
        MainForm = &form;
        if (launchArgs) form.LaunchArgs = {"scott", "tiger", "elsewhere", "x", "y"};
        TSQLConnection& c = fx.dm->vdsConnection;
        auto count = [&](TSQLClientDataSet& ds) {
            ds.SetCommandText(QStringLiteral("SELECT COUNT(*) N FROM ATC_INFO"));
            ds.Open();
            const QString n = ds.FieldByName(QStringLiteral("N")).AsString();
            ds.Close();
            ds.Connection()->SetConnected(false);
            return n;
        };
        for (int round = 0; round < 2; ++round) {
            c.SetParam("Database", database);
            c.SetParam("User_Name", user);
            c.SetParam("Password", password);
            QCOMPARE(count(fx.dm->dsQuery), QStringLiteral("5"));  // the fixture behind "kelnor"
            QCOMPARE(c.Param("Database"), QStringLiteral("kelnor"));
            QCOMPARE(c.Param("User_Name"), QStringLiteral("kelnor"));
            QCOMPARE(c.Param("Password"), QStringLiteral("wubrix"));
        }
        QCOMPARE(fx.logOns, 2);
        // The second connection logs on with what it stores: the same account.
        TSQLConnection& c2 = fx.dm->vdsConnection2;
        QCOMPARE(c2.Param("Database"), QStringLiteral("kelnor"));
        QCOMPARE(c2.Param("User_Name"), QStringLiteral("kelnor"));
        QCOMPARE(c2.Param("Password"), QStringLiteral("wubrix"));
        QVERIFY(!c2.BeforeConnect);
        QCOMPARE(count(fx.dm->dsQuery2), QStringLiteral("5"));
        MainForm = nullptr;
    }

    // ---- main window --------------------------------------------------------------------

    void menusHintsAndToolbar() {
        TMainForm form;
        QStringList menus, hints;
        for (QAction* a : form.menuBar()->actions()) {
            menus << a->text();
            hints << a->statusTip();
        }
        QCOMPARE(menus, QStringList({"파일(&F)", "모니터링", "창"}));
        QCOMPARE(hints, QStringList({"File related commands", "", "Window related commands"}));
        const QList<QPair<const char*, QStringList>> items = {
            {"FileExit1", {"E&xit", "Exit application"}},
            {"mnuTrafMonTxt", {"교통상황모니터링(Text)", ""}},
            {"WindowCascade1", {"계단식 배열(&C)", "Cascade"}},
            {"WindowTileHorizontal1", {"수평 바둑판식 배열(&H)", "Tile Horizontally"}},
            {"WindowTileVertical1", {"수직 바둑판식 배열(&V)", "Tile Vertically"}},
            {"WindowArrangeAll1", {"아이콘 정렬(&A)", "Arrange All"}}};
        for (const auto& item : items) {
            QAction* a = Action(form, item.first);
            QVERIFY2(a, item.first);
            QCOMPARE(QStringList({a->text(), a->statusTip()}), item.second);
        }
        const QList<QPair<const char*, QKeySequence>> keys = {
            {"FileNew1", QKeySequence("Ctrl+N")},
            {"FileOpen1", QKeySequence("Ctrl+O")},
            {"EditCut1", QKeySequence("Ctrl+X")},
            {"EditCopy1", QKeySequence("Ctrl+C")},
            {"EditPaste1", QKeySequence("Ctrl+V")}};
        for (const auto& k : keys) QCOMPARE(Action(form, k.first)->shortcut(), k.second);

        auto* bar = form.findChild<QToolBar*>(QStringLiteral("ToolBar2"));
        QCOMPARE(bar->height(), 41);
        QStringList order;
        for (QAction* a : bar->actions())
            if (QWidget* w = bar->widgetForAction(a)) order << w->objectName();
        QCOMPARE(order, QStringList({"BitBtnClose", "BitBtnStart", "BitBtnStop", "BitBtnDevSts",
                                     "BitBtnDevSrch"}));
        for (const char* name : kToolButtons) {
            QToolButton* b = Button(form, name);
            QVERIFY(b->text().isEmpty() && !b->icon().isNull());
            QCOMPARE(b->height(), 31);
        }
    }

    void statusBarShowsTheHintUnderTheCursor() {
        TMainForm form;
        ShowActive(form);
        Action(form, "WindowTileVertical1")->showStatusText(&form);
        QCOMPARE(form.statusBar()->currentMessage(), QStringLiteral("Tile Vertically"));
    }

    void toolbarBeforeAnyMonitorWindowOnlySearches() {
        TMonitorDb fx;
        TMessageRecorder boxes;
        TMainForm form;
        ShowActive(form);
        const int topLevels = QApplication::topLevelWidgets().size();
        QPointer<TfrmDevStsMon> status = frmDevStsMon;
        for (const char* name : kToolButtons)
            if (qstrcmp(name, "BitBtnDevSrch") != 0)
                QTest::mouseClick(Button(form, name), Qt::LeftButton);
        QVERIFY(form.MdiArea()->subWindowList().isEmpty());
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QCOMPARE(frmDevStsMon.data(), status.data());

        QTest::mouseClick(Button(form, "BitBtnDevSrch"), Qt::LeftButton);
        QPointer<TfrmDevSearch> search = frmDevSearch;
        QVERIFY(search && search->isVisible() && search->isWindow());
        QTest::mouseClick(Button(form, "BitBtnDevSrch"), Qt::LeftButton);
        QVERIFY(frmDevSearch && frmDevSearch != search && search->isVisible());
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels + 2);
        QVERIFY(form.MdiArea()->subWindowList().isEmpty());
        QCOMPARE(boxes.messages, QStringList());
        QCOMPARE(fx.logOns, 0);
        // Closing hides a search window; the application object frees it at exit.
        search->close();
        QVERIFY(search && !search->isVisible());
        frmDevSearch->close();
    }

    void toolbarStatusButtonOpensAWindowForTheMonitorOpenedLast_data() {
        QTest::addColumn<bool>("running");
        QTest::newRow("monitor's refresh running") << true;
        QTest::newRow("monitor's refresh stopped: the window stays empty") << false;
    }
    void toolbarStatusButtonOpensAWindowForTheMonitorOpenedLast() {
        QFETCH(bool, running);
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        int logOns2 = 0;
        CountLogOns(fx.dm->vdsConnection2, logOns2);
        TMessageRecorder boxes;
        TMainForm form;
        ShowActive(form);
        Action(form, "mnuTrafMonTxt")->trigger();
        QPointer<TfrmTrafMonText> monitor = form.pTrafMonText;
        auto* tree = monitor->findChild<TVirtualStringTree*>("ChkTree");
        tree->SetCheckState(NodesNamed(tree, QStringLiteral("서울TG(0201)")).value(0),
                            csCheckedNormal);
        if (running) QTest::mouseClick(Button(form, "BitBtnStart"), Qt::LeftButton);

        QTest::mouseClick(Button(form, "BitBtnDevSts"), Qt::LeftButton);
        QPointer<TfrmDevStsMon> first = frmDevStsMon;
        QVERIFY(first && first->isVisible() && first->isWindow());
        QCOMPARE(first->MonitorMode(), 2);
        QCOMPARE(first->MonitorList(), QStringLiteral("'A'"));
        QCOMPARE(first->GetMonitorTimer(), running);
        first->tmrMon->setInterval(20);
        if (running) {
            QTRY_COMPARE(FilledRows(first->findChild<TfpSpread*>("fpSpread1")).size(), 1);
        } else {
            QVERIFY(TwoIntervalsPassed(first->tmrMon->interval()));
            QCOMPARE(logOns2, 0);
            QCOMPARE(RowsWithText(first->findChild<TfpSpread*>("fpSpread1")), 0);
        }

        // Every press opens another; neither is fed by the monitor's later ticks.
        QTest::mouseClick(Button(form, "BitBtnDevSts"), Qt::LeftButton);
        QPointer<TfrmDevStsMon> second = frmDevStsMon;
        QVERIFY(second && second != first && first->isVisible());
        QVERIFY(!monitor->OwnDevStsMon());
        tree->SetCheckState(tree->topLevelItem(0), csCheckedNormal);
        monitor->tmrQueryTimer();
        QCOMPARE(first->MonitorList(), QStringLiteral("'A'"));
        QCOMPARE(second->MonitorList(), QStringLiteral("'A'"));
        monitor->btnStopClick();
        first->SetMonitorTimer(false);
        second->SetMonitorTimer(false);
        QCOMPARE(boxes.messages, QStringList());
    }

    void closingTheMainWindowEndsTheProgramWithItsOtherWindowsOpen() {
        TMonitorDb fx;
        TMessageRecorder boxes;
        QPointer<QWidget> status, search, debug;
        bool ended = false;
        QTimer::singleShot(0, [&] {
            MainForm->mnuTrafMonTxtClick();
            MainForm->pTrafMonText->tmrQuery->start();
            MainForm->BitBtnDevStsClick();
            status = frmDevStsMon;
            MainForm->BitBtnDevSrchClick();
            search = frmDevSearch;
            frmDevSearch->SearchDevices();
            debug = frmDebug();
            QVERIFY(status && status->isVisible() && search && search->isVisible() && debug &&
                    debug->isVisible());
            MainForm->FileExit1Execute();
        });
        // Should the loop outlive its main window, end it from here and fail.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&] {
            ended = true;
            Application()->quit();
        });
        watchdog.start(5000);
        QCOMPARE(RunTalvero(), 0);
        QVERIFY(!ended);
        QVERIFY(status.isNull() && search.isNull() && debug.isNull());
        QCOMPARE(boxes.messages, QStringList());
    }

    void toolbarActsOnTheWindowOpenedLast() {
        TMonitorDb fx;
        TMainForm form;
        ShowActive(form);
        Action(form, "mnuTrafMonTxt")->trigger();
        QPointer<TfrmTrafMonText> first = form.pTrafMonText;
        Action(form, "mnuTrafMonTxt")->trigger();
        QPointer<TfrmTrafMonText> second = form.pTrafMonText;
        QVERIFY(first && second && first != second);
        QCOMPARE(Captions(form),
                 QStringList({"교통상황 모니터링(Text)", "교통상황 모니터링(Text)"}));
        QVERIFY(form.MdiArea()->subWindowList().last()->isMaximized());

        form.MdiArea()->setActiveSubWindow(
            form.MdiArea()->subWindowList(QMdiArea::CreationOrder)[0]);
        QCOMPARE(form.MdiArea()->activeSubWindow()->widget(), first.data());
        QTest::mouseClick(Button(form, "BitBtnStart"), Qt::LeftButton);
        QVERIFY(second->tmrQuery->isActive());
        QVERIFY(!first->tmrQuery->isActive());
        first->btnStartClick();
        QTest::mouseClick(Button(form, "BitBtnStop"), Qt::LeftButton);
        QVERIFY(!second->tmrQuery->isActive());
        QVERIFY(first->tmrQuery->isActive());
        QTest::mouseClick(Button(form, "BitBtnClose"), Qt::LeftButton);
        QTRY_VERIFY(second.isNull());
        QVERIFY(first);
        QCOMPARE(form.MdiArea()->subWindowList().size(), 1);
        QVERIFY(form.pTrafMonText.isNull());
        first->btnStopClick();
    }

    void toolbarDoesNothingOnceItsWindowIsClosed_data() {
        QTest::addColumn<QString>("closedBy");
        QTest::newRow("closed by the toolbar") << "toolbar";
        QTest::newRow("closed by its frame") << "frame";
        QTest::newRow("closed by its own close button") << "btnClose";
    }
    void toolbarDoesNothingOnceItsWindowIsClosed() {
        QFETCH(QString, closedBy);
        TMonitorDb fx;
        fx.db.Load(QString::fromUtf8(kNewestTraffic));
        TMessageRecorder boxes;
        TMainForm form;
        ShowActive(form);
        Action(form, "mnuTrafMonTxt")->trigger();
        QPointer<TfrmTrafMonText> older = form.pTrafMonText;
        Action(form, "mnuTrafMonTxt")->trigger();
        QPointer<TfrmTrafMonText> last = form.pTrafMonText;
        // The window closes while its refresh runs for a ticked station.
        auto* tree = last->findChild<TVirtualStringTree*>("ChkTree");
        tree->SetCheckState(tree->topLevelItem(0), csCheckedNormal);
        const int interval = 20;
        last->tmrQuery->setInterval(interval);
        QTest::mouseClick(Button(form, "BitBtnStart"), Qt::LeftButton);
        QTRY_VERIFY(fx.logOns > 4);
        if (closedBy == QLatin1String("frame"))
            form.MdiArea()->subWindowList(QMdiArea::CreationOrder).last()->close();
        else if (closedBy == QLatin1String("btnClose"))
            QTest::mouseClick(last->findChild<QPushButton*>("btnClose"), Qt::LeftButton);
        else
            QTest::mouseClick(Button(form, "BitBtnClose"), Qt::LeftButton);
        QTRY_VERIFY(last.isNull());
        QVERIFY(form.pTrafMonText.isNull());
        const int logOns = fx.logOns;
        QVERIFY(TwoIntervalsPassed(interval));
        QCOMPARE(fx.logOns, logOns);  // the closed window's refresh has stopped

        for (const char* name : kToolButtons) QTest::mouseClick(Button(form, name), Qt::LeftButton);
        QVERIFY(older);
        QVERIFY(!older->tmrQuery->isActive());
        QCOMPARE(form.MdiArea()->subWindowList().size(), 1);
        QCOMPARE(boxes.messages, QStringList());
    }

    void monitorWindowThatCannotBuildItsTreeIsNotOpened_data() {
        QTest::addColumn<bool>("refused");
        QTest::newRow("database gone") << false;
        QTest::newRow("fixed account refused") << true;
    }
    void monitorWindowThatCannotBuildItsTreeIsNotOpened() {
        QFETCH(bool, refused);
        if (refused && !OnServer()) QSKIP("the embedded database has no accounts");
        TMonitorDb fx;
        if (refused)
            fx.db.Load("ALTER ROLE kelnor PASSWORD 'changed';");
        else
            fx.RemoveLink();
        TMessageRecorder boxes;
        TMainForm form;
        ShowActive(form);
        // Queued, so that the failure reaches the application's handler as a menu command's would.
        QMetaObject::invokeMethod(Action(form, "mnuTrafMonTxt"), "trigger", Qt::QueuedConnection);
        QTRY_COMPARE(boxes.messages.size(), 1);
        if (refused)
            QVERIFY2(
                boxes.messages[0].contains("password authentication failed for user \"kelnor\""),
                qPrintable(boxes.messages[0]));
        QVERIFY(form.pTrafMonText.isNull());
        QVERIFY(form.MdiArea()->subWindowList().isEmpty());
        // Once the database is back, the menu command works.
        if (refused)
            fx.db.Load("ALTER ROLE kelnor PASSWORD 'wubrix';");
        else
            fx.RestoreLink();
        Action(form, "mnuTrafMonTxt")->trigger();
        QVERIFY(form.pTrafMonText);
        QCOMPARE(boxes.messages.size(), 1);
    }

    // ---- text windows -------------------------------------------------------------------

    void ctrlNNumbersEveryOpenChild_data() {
        QTest::addColumn<int>("monitorWindows");
        QTest::addColumn<int>("textWindows");
        QTest::addColumn<QString>("caption");
        QTest::newRow("nothing open") << 0 << 0 << "NONAME1";
        QTest::newRow("one monitor window") << 1 << 0 << "NONAME2";
        QTest::newRow("one monitor and one text window") << 1 << 1 << "NONAME3";
        QTest::newRow("two monitor windows") << 2 << 0 << "NONAME3";
    }
    void ctrlNNumbersEveryOpenChild() {
        QFETCH(int, monitorWindows);
        QFETCH(int, textWindows);
        QFETCH(QString, caption);
        TMonitorDb fx;
        TWorkingDir cwd;
        TMainForm form;
        ShowActive(form);
        for (int i = 0; i < monitorWindows; ++i) Action(form, "mnuTrafMonTxt")->trigger();
        for (int i = 0; i < textWindows; ++i) form.OpenChildWindow(QStringLiteral("memo%1").arg(i));
        QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(Captions(form).size(), monitorWindows + textWindows + 1);
        QCOMPARE(Captions(form).last(), caption);
        TMDIChild* child = NewestTextWindow(form);
        QVERIFY(child);
        QCOMPARE(child->Memo1()->toPlainText(), QString());
        QCOMPARE(child->Memo1()->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    // A maximised monitor window and a text window come back to their layouts' sizes, stepped.
    void cascadeGivesEachWindowItsDesignedSize() {
        TMonitorDb fx;
        TWorkingDir cwd;
        TMainForm form;
        form.resize(1400, 1000);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        Action(form, "mnuTrafMonTxt")->trigger();
        form.OpenChildWindow(QStringLiteral("memo"));
        Action(form, "WindowCascade1")->trigger();
        QCoreApplication::processEvents();
        const auto subs = form.MdiArea()->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(subs.size(), 2);
        QVERIFY(!subs[0]->isMaximized());
        QCOMPARE(subs[0]->widget()->size(), QSize(1003, 681));
        QCOMPARE(subs[1]->widget()->size(), QSize(290, 207));
        QVERIFY(subs[1]->x() > subs[0]->x() && subs[1]->y() > subs[0]->y());
    }

    void fileNamedLikeTheNewCaption_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("memo");
        QTest::newRow("a file of that name") << "NONAME1"
                                             << "첫 줄\n  둘째 줄\n";
        QTest::newRow("a file of another name") << "NONAME2"
                                                << "";
    }
    void fileNamedLikeTheNewCaption() {
        QFETCH(QString, fileName);
        QFETCH(QString, memo);
        TWorkingDir cwd;
        QFile file(QDir(cwd.dir.path()).filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("첫 줄\n  둘째 줄\n").toUtf8());
        file.close();
        TMessageRecorder boxes;
        TMainForm form;
        ShowActive(form);
        QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(Captions(form), QStringList({"NONAME1"}));
        QCOMPARE(NewestTextWindow(form)->Memo1()->toPlainText(), memo);
        QCOMPARE(boxes.messages, QStringList());
    }

    void unreadableFileLeavesAnEmptyWindowAndOneBox() {
        TWorkingDir cwd;
        QVERIFY(QDir(cwd.dir.path()).mkdir(QStringLiteral("NONAME1")));
        TMessageRecorder boxes;
        TMainForm form;
        ShowActive(form);
        QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(Captions(form), QStringList({"NONAME1"}));
        QCOMPARE(NewestTextWindow(form)->Memo1()->toPlainText(), QString());
        QCOMPARE(boxes.messages.size(), 1);
        QVERIFY2(boxes.messages[0].contains(QStringLiteral("NONAME1")),
                 qPrintable(boxes.messages[0]));
    }

    void openDialog_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("cancelled") << false;
        QTest::newRow("a file confirmed") << true;
    }
    void openDialog() {
        QFETCH(bool, confirm);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("report.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("line one\nline two");
        file.close();
        TMainForm form;
        ShowActive(form);
        bool dialogShown = false;
        QTimer::singleShot(0, [&] {
            dialogShown = form.OpenDialog->isVisible();
            if (confirm) {
                form.OpenDialog->setDirectory(dir.path());
                form.OpenDialog->selectFile(path);
                static_cast<QDialog*>(form.OpenDialog)->accept();  // as its Open button does
            } else {
                form.OpenDialog->reject();
            }
        });
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(dialogShown);
        if (!confirm) {
            QVERIFY(form.MdiArea()->subWindowList().isEmpty());
            return;
        }
        QCOMPARE(Captions(form), QStringList({path}));
        QCOMPARE(NewestTextWindow(form)->Memo1()->toPlainText(),
                 QStringLiteral("line one\nline two"));
    }

    void editCommandsWorkOnTheFocusedMemo() {
        TWorkingDir cwd;
        TMainForm form;
        ShowActive(form);
        TMDIChild* child = form.OpenChildWindow(QStringLiteral("memo"));
        QPlainTextEdit* memo = child->Memo1();
        memo->setPlainText(QStringLiteral("교통량 120"));
        memo->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), memo);
        memo->selectAll();
        Action(form, "EditCut1")->trigger();
        QCOMPARE(memo->toPlainText(), QString());
        Action(form, "EditPaste1")->trigger();
        Action(form, "EditPaste1")->trigger();
        QCOMPARE(memo->toPlainText(), QStringLiteral("교통량 120교통량 120"));
        memo->selectAll();
        Action(form, "EditCopy1")->trigger();
        memo->clear();
        Action(form, "EditPaste1")->trigger();
        QCOMPARE(memo->toPlainText(), QStringLiteral("교통량 120교통량 120"));
    }
};

VDS_TEST_MAIN(tst_main)
#include "tst_main.moc"
