// The command windows at an operator's keyboard: where the focus is while a command routine runs
// and after it, that keys typed meanwhile change no value and start no command, and that an
// exchange with a silent server keeps the windows painted while input is dropped.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidgetItemIterator>

#include "CommandFixture.h"
#include "InfoReq.h"
#include "MdiWindows.h"
#include "ParamSet.h"
#include "RemoteCtrl.h"
#include "WorkThread.h"

namespace {
enum TPress { Mouse, Space, Enter };
enum TOutcome { Accepted, Refused, Unreachable, NoController, NotANumber };

QString Fixture() {
    QString sql = BaseRows() + ControllerRows("0312", 312);
    for (const auto& [index, value] :
         {std::pair<int, const char*>{3, "30"}, {4, "005010"}, {12, "250"}})
        sql += QStringLiteral(
                   "INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, PARA%1_VALU) "
                   "VALUES ('0312', %2, '2026-12-01 00:00:00', '%3');")
                   .arg(index, 3, 10, QLatin1Char('0'))
                   .arg(index)
                   .arg(QString::fromLatin1(value));
    return sql;
}

// Everything an operator's key could change in a window: edits, boxes, radio buttons, ticks.
QStringList Values(QWidget* form) {
    QStringList values;
    for (QLineEdit* e : form->findChildren<QLineEdit*>())
        values << e->objectName() + '=' + e->text();
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
        if (b->isCheckable()) values << b->objectName() + (b->isChecked() ? "=1" : "=0");
    for (QTreeWidget* tree : form->findChildren<QTreeWidget*>())
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->checkState(0) != Qt::Unchecked) values << "ticked " + (*it)->text(0);
    return values;
}

QString Name(const QObject* o) {
    return o ? QString::fromLatin1(o->metaObject()->className()) + ' ' + o->objectName()
             : QStringLiteral("nothing");
}

bool TakesKeys(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QTreeWidget*>(w);
}

const std::pair<Qt::Key, const char*> kPressKeys[] = {
    {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "Enter"}, {Qt::Key_Space, "Space"}};

struct TButtonCase {
    const char* window;
    const char* button;
    const char* badEdit;  // an edit its routine converts: a text there that is no number
};
const TButtonCase kButtons[] = {
    {"param", "btnLoopUp", nullptr},
    {"param", "btnLoopDn", nullptr},
    {"param", "btnSpdUp", nullptr},
    {"param", "btnSpdDn", nullptr},
    {"param", "btnTraVolColTermUp", nullptr},
    {"param", "btnTraVolColTermDn", "edTraCollTerm"},
    {"param", "btnCarRespTimeDefUp", nullptr},
    {"param", "btnCarRespTimeDefDn", "edCarNoExist"},
    {"param", "btnSpdCatUp", nullptr},
    {"param", "btnSpdCatDn", "edCatT07"},
    {"param", "btnCarLenUp", nullptr},
    {"param", "btnCarLenDn", "edCarCatT02"},
    {"param", "btnTraVolUpLimitUp", nullptr},
    {"param", "btnTraVolUpLimitDn", "edTraVolUpLimit"},
    {"param", "btnCarSpdUpLimitUp", nullptr},
    {"param", "btnCarSpdUpLimitDn", "edVelUpLimit"},
    {"param", "btnCarLenUpLimitUp", nullptr},
    {"param", "btnCarLenUpLimitDn", "edCarLenUpLimit"},
    {"remote", "btnSWReset", nullptr},
    {"remote", "btnHWInit", nullptr},
    {"remote", "btnThreshold", nullptr},
    {"remote", "btnVer", nullptr},
    {"remote", "btnLeapTime", nullptr},
    {"remote", "btnMemChk", nullptr},
    {"remote", "btnEchoReq", nullptr},
    {"accu", "btnInfoReq", nullptr},
};
}  // namespace

class tst_CommandForm : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TCommandFixture> fx;

    QWindow* Window() const { return fx->form->windowHandle(); }

    // A fresh window of the kind, as the active child of the main window.
    TCommandForm* Open(const QString& kind) {
        TCommandForm* form = kind == "param"    ? static_cast<TCommandForm*>(new TfrmParamSet())
                             : kind == "remote" ? static_cast<TCommandForm*>(new TfrmRemoteCtrl())
                                                : static_cast<TCommandForm*>(new TfrmInfoReq());
        AddMdiChild(fx->form->MdiArea(), form)->showMaximized();
        return form;
    }
    void Close(QPointer<TCommandForm> form) {
        CloseFormWindow(form);
        QVERIFY(QTest::qWaitFor([&form] { return form.isNull(); }, 5000));
    }
    static bool WorkThreadsReleased() {
        return QTest::qWaitFor([] { return TWorkThread::LiveCount() == 0; }, 5000);
    }
    // A fresh window of the kind with the fixture's controller ticked, and one command sent from
    // button by key: its routine has shown its box and ended, and the focus is back on the button.
    void SendOneByKey(const QString& window, const QString& button, int key,
                      const TMessageRecorder& boxes, QPointer<TCommandForm>& form) {
        form = Open(window);
        TCommandFixture::Select(form->Tree(), "0312");
        if (window == "param") FillEveryGroup(*form);
        auto* pressed = form->findChild<QPushButton*>(button);
        pressed->setFocus();
        QTest::keyClick(Window(), Qt::Key(key));
        ExpectCommands(1, boxes);
        QCOMPARE(QApplication::focusWidget(), pressed);
    }

    // Once every work thread is released: the commands the server received, each with its box.
    void ExpectCommands(int n, const TMessageRecorder& boxes) {
        QVERIFY(WorkThreadsReleased());
        QCOMPARE(int(fx->server.Frames().size()), n);
        QCOMPARE(boxes.messages.size(), n);
    }

    // Key events as the window system delivers them, stamped with times of their own: a human
    // never releases and presses a key within one millisecond, the keyboard's repeat does.
    ulong m_stamp = 1ul << 30;  // apart from the times the test's other keys carry
    void SendKey(QObject* to, QEvent::Type type, int key, bool flagged = false) {
        QKeyEvent e(type, key, Qt::NoModifier, QString(), flagged);
        e.setTimestamp(m_stamp);
        QCoreApplication::sendEvent(to, &e);
    }
    // A press and a release apart, as an operator's finger makes them.
    void ClickKey(int key) {
        m_stamp += 150;
        SendKey(Window(), QEvent::KeyPress, key);
        m_stamp += 80;
        SendKey(Window(), QEvent::KeyRelease, key);
    }
    // A key held down after its press went to another window (the box): release-and-press pairs
    // of one time stamp, some flagged as repeats by the platform, some not, the first release
    // going to the other window, and at last the key's release.
    void HoldAfterItsPressWentElsewhere(int key) {
        QWidget elsewhere;
        elsewhere.winId();  // a window of its own, not shown: the activation stays
        for (int i = 0; i < 6; ++i) {
            m_stamp += 40;
            const bool flagged = i % 2 == 1;
            SendKey(i == 0 ? elsewhere.windowHandle() : Window(), QEvent::KeyRelease, key, flagged);
            SendKey(Window(), QEvent::KeyPress, key, flagged);
        }
        m_stamp += 300;
        SendKey(Window(), QEvent::KeyRelease, key);
    }

    // The keys that act if they reach a control: focus moves, a press, a digit, and a menu of
    // the main window by its mnemonic.
    void TypeEveryActingKey() {
        QTest::keyClick(Window(), Qt::Key_Tab);
        QTest::keyClick(Window(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(Window(), Qt::Key_Return);
        QTest::keyClick(Window(), Qt::Key_Space);
        QTest::keyClick(Window(), Qt::Key_7);
        QTest::keyClick(Window(), Qt::Key_C, Qt::AltModifier);
    }
    void Press(QPushButton* button, int press) {
        if (press == Mouse) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
        button->setFocus();
        QVERIFY(button->hasFocus());
        QTest::keyClick(Window(), press == Space ? Qt::Key_Space : Qt::Key_Return);
    }

private slots:
    void initTestCase() {
        fx = std::make_unique<TCommandFixture>(Fixture());
        // The keys typed between a click and its routine need the whole interval, also under a
        // sanitizer's slow event loop.
        SetWorkIntervalHook({});
        fx->form->show();
        QVERIFY(QTest::qWaitForWindowActive(fx->form.get()));
    }
    void cleanupTestCase() { fx.reset(); }
    void init() {
        fx->server.ClearFrames();
        fx->server.SetDefaultStatus(TStandInServer::kAccepted);
        fx->server.SetMisbehaviour(TMisbehaviour::None);
    }

    void focusAroundACommand_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("badEdit");
        const char* presses[] = {"mouse", "Space", "Enter"};
        const char* outcomes[] = {"accepted", "refused", "server unreachable",
                                  "no controller ticked"};
        // Every button once; the presses and outcomes turn over so that each pair of them occurs.
        int i = 0;
        for (const TButtonCase& c : kButtons) {
            const int press = i % 3, outcome = i % 4;
            QTest::addRow("%s by %s, %s", c.button, presses[press], outcomes[outcome])
                << c.window << c.button << press << outcome << QString();
            ++i;
        }
        for (const TButtonCase& c : kButtons) {
            if (!c.badEdit) continue;
            const int press = i++ % 3;
            QTest::addRow("%s by %s, '1x' in %s", c.button, presses[press], c.badEdit)
                << c.window << c.button << press << int(NotANumber)
                << QString::fromLatin1(c.badEdit);
        }
    }
    void focusAroundACommand() {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(int, press);
        QFETCH(int, outcome);
        QFETCH(QString, badEdit);
        QPointer<TCommandForm> form = Open(window);
        QCOMPARE(FormOf(fx->form->MdiArea()->activeSubWindow()), form.data());
        if (outcome != NoController) TCommandFixture::Select(form->Tree(), "0312");
        if (window == "param") FillEveryGroup(*form);
        if (outcome == Refused) fx->server.SetDefaultStatus("100000000000");
        if (outcome == Unreachable) fx->server.SetMisbehaviour(TMisbehaviour::Refuse);
        if (outcome == NotANumber) form->findChild<QLineEdit*>(badEdit)->setText("1x");
        auto* pressed = form->findChild<QPushButton*>(button);

        // At each moment of the routine: where the focus is, and what keys typed then do.
        QStringList problems;
        const auto typeNow = [&](const QString& moment) {
            // Once keys have done harm, more would only start more commands.
            if (!form || !problems.isEmpty()) return;
            QWidget* focus = QApplication::focusWidget();
            if (focus && form->isAncestorOf(focus) && TakesKeys(focus))
                problems << moment + ": the focus is on " + focus->objectName();
            const QStringList before = Values(form);
            {
                // The key clicks process events: no routine starts between them, so what
                // happens is the keys' doing, also on a slow machine.
                TCommandSection typing;
                TypeEveryActingKey();
            }
            if (QWidget* menu = QApplication::activePopupWidget()) {
                problems << moment + ": a key opened " + menu->metaObject()->className();
                menu->close();
            }
            if (QApplication::focusWidget() != focus)
                problems << moment + ": a key moved the focus to " +
                                Name(QApplication::focusWidget());
            if (Values(form) != before) problems << moment + ": typed keys changed a value";
        };
        TMessageRecorder boxes;
        boxes.whileOpen = [&](const QString& text) { typeNow("box " + text); };
        const TSleepHook previousSleep =
            SetSleepHook([&](int ms) { typeNow(QStringLiteral("%1 ms wait").arg(ms)); });
        const bool runsLater = window != "accu";
        Press(pressed, press);
        if (runsLater) typeNow("before the routine runs");
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        SetSleepHook(previousSleep);

        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        // The routine ran once: its bytes, its box; nothing else started.
        const bool sent = outcome == Accepted || outcome == Refused;
        QCOMPARE(int(fx->server.Frames().size()), sent ? 1 : 0);
        QCOMPARE(boxes.messages.size(), outcome == NotANumber ? 0 : 1);
        QTRY_COMPARE(QApplication::focusWidget(), pressed);
        const QStringList after = Values(form);
        QTest::keyClick(Window(), Qt::Key_7);
        QCOMPARE(Values(form), after);
        Close(form);
    }

    // An operator closes the box with a key and holds it: its repeats and its release reach the
    // button the focus went back to. Only the deliberate press sends.
    void heldKeyAfterTheBoxSendsNothingMore_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        for (const TButtonCase& c : kButtons)
            for (const auto& [key, name] : kPressKeys)
                QTest::addRow("%s, %s held on its box", c.button, name)
                    << c.window << c.button << int(key);
    }
    void heldKeyAfterTheBoxSendsNothingMore() {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(int, key);
        TShortIntervals fast;
        TSleepRecorder waits;
        TMessageRecorder boxes;
        QPointer<TCommandForm> form;
        SendOneByKey(window, button, key, boxes, form);
        if (QTest::currentTestFailed()) return;

        HoldAfterItsPressWentElsewhere(key);
        ExpectCommands(1, boxes);
        Close(form);
    }

    // Pressed twice fast to make sure the box has closed: the second press belongs to the box. A
    // press after the double-click time is the operator's next command.
    void secondFastPressAfterTheBoxSendsNothing_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        for (const auto& [window, button] :
             {std::pair<const char*, const char*>{"param", "btnLoopDn"},
              {"remote", "btnSWReset"},
              {"accu", "btnInfoReq"}})
            for (const auto& [key, name] : kPressKeys)
                QTest::addRow("%s, %s twice", button, name)
                    << QString(window) << QString(button) << int(key);
    }
    void secondFastPressAfterTheBoxSendsNothing() {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(int, key);
        TShortIntervals fast;
        TSleepRecorder waits;
        TMessageRecorder boxes;
        const auto restore = qScopeGuard([interval = QApplication::doubleClickInterval()] {
            QApplication::setDoubleClickInterval(interval);
        });
        // However slow the machine, the second press comes within it.
        QApplication::setDoubleClickInterval(60000);
        QPointer<TCommandForm> form;
        SendOneByKey(window, button, key, boxes, form);
        if (QTest::currentTestFailed()) return;
        ClickKey(key);
        ExpectCommands(1, boxes);

        QApplication::setDoubleClickInterval(0);
        ClickKey(key);
        ExpectCommands(2, boxes);
        Close(form);
    }

    // The close button: a held key closes the window only by a press there, never by its
    // repeats or by a release alone.
    void closeButtonTakesOnlyADeliberatePress_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("key");
        for (const char* window : {"param", "remote", "accu"})
            for (const auto& [key, name] : kPressKeys)
                QTest::addRow("%s, %s", window, name) << QString(window) << int(key);
    }
    void closeButtonTakesOnlyADeliberatePress() {
        QFETCH(QString, window);
        QFETCH(int, key);
        QPointer<TCommandForm> form = Open(window);
        form->findChild<QPushButton*>("btnClose")->setFocus();
        HoldAfterItsPressWentElsewhere(key);
        QCoreApplication::processEvents();
        QVERIFY(form && form->isVisible());
        QTest::keyClick(Window(), Qt::Key(key));
        QTRY_VERIFY(form.isNull());
    }

    // A real box takes the activation and gives it back when Enter closes it; the focus follows.
    void realMessageBoxHandsTheFocusBack() {
        TSleepRecorder waits;
        QPointer<TCommandForm> form = Open("remote");
        TCommandFixture::Select(form->Tree(), "0312");
        auto* pressed = form->findChild<QPushButton*>("btnHWInit");
        QStringList shown;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || QApplication::activeWindow() != box) return;
            shown << box->text();
            QTest::keyClick(box->windowHandle(), Qt::Key_Return);
        });
        closer.start(20);
        Press(pressed, Space);
        QTRY_COMPARE_WITH_TIMEOUT(shown, QStringList({"H/W INIT success"}), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        // What the window manager does once the box has gone; the offscreen platform has none.
        fx->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx->form.get()));
        QCOMPARE(QApplication::focusWidget(), pressed);
        Close(form);
    }

    // The operator went to another window while the routine ran: the focus stays where they put it.
    void focusStaysWhereTheOperatorPutItMeanwhile() {
        TMessageRecorder boxes;
        TSleepRecorder waits;
        QPointer<TCommandForm> remote = Open("remote");
        TCommandFixture::Select(remote->Tree(), "0312");
        auto* edit = remote->findChild<QLineEdit*>("edEchoMsg");
        QPointer<TCommandForm> other = Open("param");
        QMdiSubWindow* remoteSub = nullptr;
        for (QMdiSubWindow* sub : fx->form->MdiArea()->subWindowList())
            if (FormOf(sub) == remote) remoteSub = sub;
        fx->form->MdiArea()->setActiveSubWindow(remoteSub);
        QTest::mouseClick(remote->findChild<QPushButton*>("btnVer"), Qt::LeftButton);
        // Inside the same window, by mouse.
        QTest::mouseClick(edit, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        QCOMPARE(boxes.messages.size(), 1);
        QCOMPARE(QApplication::focusWidget(), edit);
        // Another child window.
        QTest::mouseClick(remote->findChild<QPushButton*>("btnVer"), Qt::LeftButton);
        fx->form->MdiArea()->activateNextSubWindow();
        QWidget* elsewhere = QApplication::focusWidget();
        QVERIFY(elsewhere && !remote->isAncestorOf(elsewhere));
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        QCOMPARE(boxes.messages.size(), 2);
        QCOMPARE(FormOf(fx->form->MdiArea()->activeSubWindow()), other.data());
        QCOMPARE(QApplication::focusWidget(), elsewhere);
        Close(remote);
        Close(other);
    }

    // A silent server holds the exchange for its whole time limit: the windows are painted under
    // a busy cursor, and a click or keys given meanwhile act neither then nor afterwards.
    void silentServerKeepsTheWindowPaintedAndDropsInput() {
        SetLinkSettings({"127.0.0.1", fx->server.Port(), 2000, 400});
        fx->server.SetMisbehaviour(TMisbehaviour::Silent);
        TMessageRecorder boxes;
        TSleepRecorder waits;
        QPointer<TCommandForm> form = Open("remote");
        TCommandFixture::Select(form->Tree(), "0312");
        auto* edit = form->findChild<QLineEdit*>("edEchoMsg");
        const QString echo = edit->text();
        int paints = 0, paintsInWait = -1;
        bool busy = false, inputGiven = false;
        struct TPaints : QObject {
            int& count;
            explicit TPaints(int& c) : count(c) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++count;
                return false;
            }
        } counter(paints);
        form->installEventFilter(&counter);
        // Once the request is in, the server keeps still and the exchange waits on its status:
        // a repaint is asked for and input given; a later tick inside the wait counts the paints.
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (fx->server.Frames().empty() || paintsInWait >= 0) return;
            if (!inputGiven) {
                inputGiven = true;
                paints = 0;
                form->update();
                QTest::mouseClick(form->findChild<QPushButton*>("btnHWInit"), Qt::LeftButton);
                edit->setFocus();
                QTest::keyClicks(edit, "xyz");
                return;
            }
            busy = QGuiApplication::overrideCursor() &&
                   QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            paintsInWait = paints;
        });
        probe.start(50);
        QTest::mouseClick(form->findChild<QPushButton*>("btnSWReset"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.messages, QStringList({"S/W RESET fail "}), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), 0, 5000);
        probe.stop();
        QVERIFY(inputGiven);
        QVERIFY(busy);
        QVERIFY2(paintsInWait > 0, qPrintable(QString::number(paintsInWait)));
        QVERIFY(boxes.messages.size() == 1);
        QCOMPARE(edit->text(), echo);
        QCOMPARE(int(fx->server.Frames().size()), 1);  // no H/W INIT
        form->removeEventFilter(&counter);
        Close(form);
        SetLinkSettings({"127.0.0.1", fx->server.Port(), 2000, 2000});
    }
};

VDS_TEST_MAIN(tst_CommandForm)
#include "tst_CommandForm.moc"
