// The waits of the commands: how long they last, that the windows stay painted under a busy
// cursor, that operator input given meanwhile is dropped, and that no other work routine runs
// inside a wait or inside another routine.

#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "Application.h"
#include "TestSupport.h"
#include "UiHooks.h"
#include "WorkThread.h"

namespace {

// A wait shows the busy cursor for exactly its length.
bool InsideAWait() {
    return QGuiApplication::overrideCursor() &&
           QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Returns once a call queued now has run, so everything queued before it has run too.
bool QueuedCallRan() {
    bool ran = false;
    QObject context;
    QMetaObject::invokeMethod(
        &context, [&ran] { ran = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&ran] { return ran; }, 5000);
}

// A connected pair of sockets, closed with the object: the one a wait is on, and its peer.
struct TSocketPair {
    int fds[2] = {-1, -1};
    TSocketPair() { ::socketpair(AF_UNIX, SOCK_STREAM, 0, fds); }
    ~TSocketPair() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
    Q_DISABLE_COPY(TSocketPair)
    bool Open() const { return fds[0] >= 0; }
    int Waited() const { return fds[0]; }
    int Peer() const { return fds[1]; }
};

// CPU time this thread has used: a wait that spins uses its whole length.
qint64 ThreadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

class TCountingWindow : public QWidget {
public:
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent* e) override {
        ++closeEvents;
        QWidget::closeEvent(e);
    }
};

struct TWindow {
    TCountingWindow window;
    QPushButton* button = new QPushButton(QStringLiteral("제어"));
    QLineEdit* edit = new QLineEdit(QStringLiteral("loop test"));
    TWindow() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        layout->addWidget(edit);
        window.show();
    }
};

}  // namespace

class tst_UiHooks : public QObject {
    Q_OBJECT
private slots:
    void waitLastsAtLeastItsLength_data() {
        QTest::addColumn<int>("ms");
        QTest::newRow("0 returns at once") << 0;
        QTest::newRow("negative returns at once") << -5;
        QTest::newRow("150 ms") << 150;
    }
    void waitLastsAtLeastItsLength() {
        QFETCH(int, ms);
        QElapsedTimer clock;
        clock.start();
        BusyWait(ms);
        QVERIFY2(clock.elapsed() >= std::max(ms, 0), qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!InsideAWait());
    }

    void windowsArePaintedUnderABusyCursor() {
        TWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        TPaintCounter counter(w.button);
        bool busyInside = false;
        QTimer::singleShot(20, &w.window, [&] { w.button->update(); });
        QTimer::singleShot(60, &w.window, [&] { busyInside = InsideAWait(); });
        BusyWait(200);
        QVERIFY(counter.paints > 0);
        QVERIFY(busyInside);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void inputDuringTheWaitIsDroppedNotDeferred_data() {
        QTest::addColumn<QString>("input");
        QTest::newRow("a click on a button") << "click";
        QTest::newRow("keys into an edit") << "keys";
        QTest::newRow("the window manager's close") << "close";
    }
    void inputDuringTheWaitIsDroppedNotDeferred() {
        QFETCH(QString, input);
        TWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QSignalSpy clicks(w.button, &QPushButton::clicked);
        QTimer::singleShot(30, &w.window, [&] {
            if (input == "click") {
                QTest::mouseClick(w.button, Qt::LeftButton);
            } else if (input == "keys") {
                w.edit->setFocus();
                QTest::keyClicks(w.edit, QStringLiteral("xyz"));
                QTest::keyClick(w.edit, Qt::Key_Backspace);
            } else {
                QCloseEvent close;
                // Delivered as the window manager's is (sendEvent would clear the flag).
                QSpontaneKeyEvent::setSpontaneous(&close);
                qApp->notify(&w.window, &close);
            }
        });
        BusyWait(150);
        QVERIFY(QueuedCallRan());  // input held back for after the wait would have acted first
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(w.edit->text(), QStringLiteral("loop test"));
        QCOMPARE(w.window.closeEvents, 0);
        QVERIFY(w.window.isVisible());
        // After the wait the same input acts again.
        QTest::mouseClick(w.button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
    }

    // The wait on a socket ends when the socket is ready, from the start or later, or at its limit.
    void waitOnASocketEndsWhenItIsReady_data() {
        QTest::addColumn<int>("writeAfterMs");  // -1: nothing is ever written
        QTest::addColumn<int>("result");
        QTest::newRow("ready from the start") << 0 << 1;
        QTest::newRow("ready inside the wait") << 60 << 1;
        QTest::newRow("never ready: the limit") << -1 << 0;
    }
    void waitOnASocketEndsWhenItIsReady() {
        QFETCH(int, writeAfterMs);
        QFETCH(int, result);
        TSocketPair pair;
        QVERIFY(pair.Open());
        if (writeAfterMs == 0) QCOMPARE(::write(pair.Peer(), "x", 1), ssize_t(1));
        QObject context;
        bool busyInside = false;
        if (writeAfterMs > 0)
            QTimer::singleShot(writeAfterMs, &context, [&] {
                busyInside = InsideAWait();
                QCOMPARE(::write(pair.Peer(), "x", 1), ssize_t(1));
            });
        QElapsedTimer clock;
        clock.start();
        errno = 0;
        const int r = BusyPoll(pair.Waited(), POLLIN, 400);
        const qint64 took = clock.elapsed();
        const int error = errno;
        QCOMPARE(r, result);
        if (result == 0) {
            QVERIFY2(took >= 400, qPrintable(QString::number(took)));
            QCOMPARE(error, ETIMEDOUT);
        } else {
            QVERIFY2(took < 400, qPrintable(QString::number(took)));
        }
        if (writeAfterMs > 0) QVERIFY(busyInside);
        QVERIFY(!InsideAWait());
    }

    // A failure shown from a queued call inside a wait opens a real box: the operator closes it as
    // any box, the wait goes on to its end, and input to everything else stays dropped.
    void boxOpenedInsideAWaitTakesItsInput_data() {
        QTest::addColumn<QString>("input");
        QTest::newRow("Return") << "Return";
        QTest::newRow("Space") << "Space";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("a click on OK") << "click";
    }
    void boxOpenedInsideAWaitTakesItsInput() {
        QFETCH(QString, input);
        TWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QObject context;
        QMetaObject::invokeMethod(&context,
                                  Guarded([] { throw std::runtime_error("status read failed"); }),
                                  Qt::QueuedConnection);
        QString shown;
        bool arrowOverTheBox = false, boxClosed = false, forced = false;
        int tries = 0;
        QTimer operatorHand;
        QObject::connect(&operatorHand, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                // Once the box has gone, the wait still drops what is typed elsewhere.
                if (!shown.isEmpty() && !boxClosed) {
                    boxClosed = true;
                    w.edit->setFocus();
                    QTest::keyClicks(w.edit, QStringLiteral("xyz"));
                }
                return;
            }
            if (!box->isVisible() || QApplication::activeWindow() != box) return;
            if (shown.isEmpty()) {
                shown = box->text();
                arrowOverTheBox = QGuiApplication::overrideCursor() &&
                                  QGuiApplication::overrideCursor()->shape() == Qt::ArrowCursor;
            }
            if (++tries > 10) {
                // It takes no input: closed from here, so that the test ends.
                forced = true;
                box->done(QMessageBox::Ok);
                return;
            }
            if (input == "click")
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            else
                QTest::keyClick(box->windowHandle(), input == "Return"  ? Qt::Key_Return
                                                     : input == "Space" ? Qt::Key_Space
                                                                        : Qt::Key_Escape);
        });
        operatorHand.start(20);
        QElapsedTimer clock;
        clock.start();
        BusyWait(600);
        const qint64 took = clock.elapsed();
        operatorHand.stop();
        QCOMPARE(shown, QStringLiteral("status read failed"));
        QVERIFY2(!forced, "the box took none of the operator's input");
        QCOMPARE(tries, 1);
        QVERIFY(arrowOverTheBox);
        QVERIFY(boxClosed);
        QVERIFY2(took >= 600, qPrintable(QString::number(took)));
        QCOMPARE(w.edit->text(), QStringLiteral("loop test"));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    // A session ending while a command waits on a silent server: the wait ends at once as a
    // time-out, without spinning. Inside the application's own loop, as in the programs.
    void waitEndsOnceTheApplicationQuits_data() {
        QTest::addColumn<bool>("onSocket");
        QTest::addColumn<bool>("quitFirst");  // the quit came just before the wait began
        QTest::newRow("silent socket, quit inside the wait") << true << false;
        QTest::newRow("silent socket, quit before it") << true << true;
        QTest::newRow("plain wait, quit inside it") << false << false;
        QTest::newRow("plain wait, quit before it") << false << true;
    }
    void waitEndsOnceTheApplicationQuits() {
        QFETCH(bool, onSocket);
        QFETCH(bool, quitFirst);
        TSocketPair pair;
        QVERIFY(pair.Open());
        // A wait that cannot end on the quit is ended by the peer's word after 3 s, late.
        std::mutex mutex;
        std::condition_variable changed;
        bool testDone = false;
        std::thread peer([&] {
            std::unique_lock<std::mutex> lock(mutex);
            if (!changed.wait_for(lock, std::chrono::seconds(3), [&] { return testDone; }))
                (void)!::write(pair.Peer(), "x", 1);
        });
        int r = -2, error = 0;
        qint64 afterQuitMs = -1, cpuMs = -1;
        QElapsedTimer sinceQuit;
        const auto quit = [&] {
            sinceQuit.start();
            QCoreApplication::quit();
        };
        QTimer::singleShot(0, [&] {
            if (quitFirst)
                quit();
            else
                QTimer::singleShot(100, quit);
            const qint64 cpuBefore = ThreadCpuMs();
            errno = 0;
            if (onSocket) {
                r = BusyPoll(pair.Waited(), POLLIN, 10000);
            } else {
                BusyWait(10000);
                r = 0;
            }
            error = errno;
            afterQuitMs = sinceQuit.isValid() ? sinceQuit.elapsed() : -1;
            cpuMs = ThreadCpuMs() - cpuBefore;
        });
        QCoreApplication::exec();
        {
            std::lock_guard<std::mutex> lock(mutex);
            testDone = true;
        }
        changed.notify_all();
        peer.join();
        QCOMPARE(r, 0);
        if (onSocket) QCOMPARE(error, ETIMEDOUT);
        QVERIFY2(afterQuitMs >= 0 && afterQuitMs < 1000, qPrintable(QString::number(afterQuitMs)));
        QVERIFY2(cpuMs < 500, qPrintable(QString::number(cpuMs)));
        QVERIFY(!InsideAWait());
    }

    void programClosingAWindowInTheWaitStillCloses() {
        TWindow w;
        QTimer::singleShot(20, &w.window, [&] { w.window.close(); });
        BusyWait(100);
        QVERIFY(!w.window.isVisible());
    }

    void workWhoseWaitEndsInsideACommandRunsAfterIt() {
        QObject owner;
        QStringList order;
        bool ranInsideTheWait = false;
        StartWork(&owner, 20, [&] {
            ranInsideTheWait = InsideAWait();
            order << "second";
        });
        {
            TCommandSection section;
            order << "first";
            BusyWait(250);
            order << "first read";
        }
        QCOMPARE(order, QStringList({"first", "first read"}));
        QTRY_COMPARE(order, QStringList({"first", "first read", "second"}));
        QVERIFY(!ranInsideTheWait);
    }

    void workArrivingInAnotherWorksMessageBoxRunsAfterIt() {
        QObject owner;
        QStringList order;
        // A box that stays open 200 ms, processing events as a modal box does.
        const TMessageHook previous = SetMessageHook([&](const QString& text) {
            order << text;
            QEventLoop box;
            QTimer::singleShot(200, &box, &QEventLoop::quit);
            box.exec();
            order << text + " closed";
        });
        StartWork(&owner, 0, [&] {
            ShowMessage(QStringLiteral("A"));
            BusyWait(50);
            order << "A read";
        });
        StartWork(&owner, 50, [&] { order << "B"; });
        QTRY_COMPARE(order.size(), 4);
        SetMessageHook(previous);
        QCOMPARE(order, QStringList({"A", "A closed", "A read", "B"}));
    }

    void worksHeldBackKeepTheirOrder() {
        QObject owner;
        QList<int> order;
        for (int i = 1; i <= 3; ++i) StartWork(&owner, 10 * i, [&order, i] { order << i; });
        {
            TCommandSection section;
            BusyWait(200);
            QVERIFY(order.isEmpty());
        }
        QTRY_COMPARE(order, QList<int>({1, 2, 3}));
    }
};

VDS_TEST_MAIN(tst_UiHooks)
#include "tst_UiHooks.moc"
