// Waiting threads, their collection, and the work thread of the command buttons: when the work
// runs, where, how often, what ends it, and that nothing hangs or leaks.

#include <sched.h>

#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "ChildProcessSkip.h"
#include "Convert.h"
#include "TestSupport.h"
#include "WaitThread.h"
#include "WorkThread.h"

using namespace nswaitthread;

namespace {

int RunningThreads() {
    return QDir(QStringLiteral("/proc/self/task"))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
        .size();
}

struct TItemLog {
    std::atomic<int> processed{0};
    std::atomic<int> terminatedWhenProcessed{0};
    std::atomic<int> destroyed{0};
};

class TProbeItem : public TWaitThreadCollectionItem {
public:
    TProbeItem(TWaitThreadCollection* c, int interval, TItemLog* log)
        : TWaitThreadCollectionItem(c), m_log(log) {
        Interval = interval;
    }
    ~TProbeItem() override { ++m_log->destroyed; }

protected:
    void AfterProcess() override {
        ++m_log->processed;
        if (Terminated()) ++m_log->terminatedWhenProcessed;
        TWaitThreadCollectionItem::AfterProcess();
    }

private:
    TItemLog* m_log;
};

// Keeps this thread, and the threads it starts meanwhile, on the CPU it runs on: a thread that
// wakes another is then often preempted at once, which opens the narrow windows between a
// wake-up and the waker's last step.
class TOneCpu {
public:
    TOneCpu() {
        m_saved = sched_getaffinity(0, sizeof m_previous, &m_previous) == 0;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(sched_getcpu(), &one);
        sched_setaffinity(0, sizeof one, &one);
    }
    ~TOneCpu() {
        if (m_saved) sched_setaffinity(0, sizeof m_previous, &m_previous);
    }
    Q_DISABLE_COPY(TOneCpu)

private:
    cpu_set_t m_previous;
    bool m_saved = false;
};

class TRefusingWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

// Starts a work thread with interval 0 and returns once its work is handed to the main thread:
// it arrives inside a command section, which holds it back and queues it again as it ends.
// Nothing is processed after that, so the hand-off stays queued and its worker waits.
bool StartWithWorkQueued(const std::function<void()>& start) {
    TCommandSection section;
    start();
    return QTest::qWaitFor([] { return TWorkThread::HandedOffCount() > 0; }, 5000);
}

// Run as a child process: the application ends while one work thread still waits and another
// has queued its work for a main thread that will not run it again.
int RunExitProbe(int argc, char** argv) {
    {
        TApplication app(argc, argv);
        QWidget window;
        window.show();
        StartWork(&window, 60000, [] { std::puts("work ran"); });
        QTimer::singleShot(0, [&window] {
            if (StartWithWorkQueued(
                    [&window] { StartWork(&window, 0, [] { std::puts("work ran"); }); }))
                std::puts("work queued");
            Application()->Terminate();
        });
        Application()->Run();
    }
    std::puts("ended");
    std::fflush(stdout);
    return 0;
}

}  // namespace

class tst_WaitThread : public QObject {
    Q_OBJECT

    int baseline = 0;

    // A thread with the button pattern's set-up; the test may use it until onTerminate.
    TWorkThread* Start(int interval, std::function<void()> work, bool* terminated = nullptr) {
        auto* t = new TWorkThread();
        t->Interval = interval;
        t->OnWork = [work](TWorkThread*) { work(); };
        if (terminated) t->OnTerminate = [terminated](TThread*) { *terminated = true; };
        t->Resume();
        return t;
    }

private slots:
    // The process's first hand-off to the main thread pays for what starts only then (under
    // ThreadSanitizer some 150 ms); that belongs to no test's time bound.
    void initTestCase() {
        bool ran = false;
        Start(0, [&] { ran = true; });
        QTRY_VERIFY_WITH_TIMEOUT(ran, 5000);
        QTRY_COMPARE(TWorkThread::LiveCount(), 0);
    }
    void init() { baseline = TWorkThread::LiveCount(); }

    // --- when the work runs

    void workRunsAfterTheInterval_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("atLeast");
        QTest::addColumn<int>("below");
        QTest::newRow("interval 0 runs the work at once") << 0 << 0 << 150;
        QTest::newRow("interval 300 waits it out") << 300 << 280 << 2000;
    }
    void workRunsAfterTheInterval() {
        QFETCH(int, interval);
        QFETCH(int, atLeast);
        QFETCH(int, below);
        QElapsedTimer clock;
        qint64 ranAt = -1;
        clock.start();
        Start(interval, [&] { ranAt = clock.elapsed(); });
        QTRY_VERIFY_WITH_TIMEOUT(ranAt >= 0, 3000);
        QVERIFY2(ranAt >= atLeast && ranAt < below, qPrintable(QString::number(ranAt)));
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
    }

    void finishDuringTheWaitRunsTheWorkAtOnce() {
        QElapsedTimer clock;
        clock.start();
        int runs = 0;
        TWorkThread* t = Start(60000, [&] { ++runs; });
        t->Finish();
        QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 2000);
        QVERIFY(clock.elapsed() < 2000);
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
        QCOMPARE(runs, 1);  // never twice
    }

    void terminateDuringTheWaitEndsWithoutTheWork() {
        int runs = 0;
        bool terminated = false;
        TWorkThread* t = Start(
            60000, [&] { ++runs; }, &terminated);
        t->Terminate();
        QTRY_VERIFY_WITH_TIMEOUT(terminated, 2000);
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
        QCOMPARE(runs, 0);
    }

    void workRunsOnTheMainThreadWhileTheWorkerWaits() {
        bool ran = false, onMain = false, workerAlive = false;
        bool resumedWithItself = false;
        auto* t = new TWorkThread();
        t->OnResume = [&](TWaitThread* sender) { resumedWithItself = sender == t; };
        t->OnWork = [&](TWorkThread* sender) {
            ran = true;
            onMain = QThread::currentThread() == QCoreApplication::instance()->thread();
            workerAlive = !sender->Finished();
        };
        t->Resume();
        QVERIFY(resumedWithItself);
        QTRY_VERIFY_WITH_TIMEOUT(ran, 2000);
        QVERIFY(onMain);
        QVERIFY(workerAlive);
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
    }

    void twoStartsWithinTheIntervalRunTwiceInOrder_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QVector<int>>("order");
        QTest::newRow("same interval: in order of the starts") << 200 << 200 << QVector<int>{1, 2};
        QTest::newRow("shorter second wait: in order of the waits' ends")
            << 400 << 50 << QVector<int>{2, 1};
    }
    void twoStartsWithinTheIntervalRunTwiceInOrder() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QVector<int>, order);
        QWidget window;
        window.show();
        QVector<int> runs;
        StartWork(&window, first, [&] { runs.append(1); });
        StartWork(&window, second, [&] { runs.append(2); });
        QTRY_COMPARE_WITH_TIMEOUT(runs.size(), 2, 3000);
        QCOMPARE(runs, order);
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
    }

    void errorInTheWorkEndsTheThreadSilently_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("conversion error") << 0;
        QTest::newRow("runtime error") << 1;
        QTest::newRow("anything thrown") << 2;
    }
    void errorInTheWorkEndsTheThreadSilently() {
        QFETCH(int, kind);
        TMessageRecorder boxes;
        bool terminated = false;
        bool after = false;
        Start(
            0,
            [&] {
                if (kind == 0) StrToInt(QStringLiteral("x1"));
                if (kind == 1) throw std::runtime_error("failed");
                if (kind == 2) throw 42;
                after = true;
            },
            &terminated);
        QTRY_VERIFY_WITH_TIMEOUT(terminated, 2000);
        QVERIFY(!after);
        QCOMPARE(boxes.messages, QStringList());
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
    }

    // --- release

    void finishedThreadsAreReleased() {
        const int threadsBefore = RunningThreads();
        int runs = 0, terminated = 0;
        for (int i = 0; i < 20; ++i) {
            auto* t = new TWorkThread();
            t->OnWork = [&](TWorkThread*) { ++runs; };
            t->OnTerminate = [&](TThread*) { ++terminated; };
            t->Resume();
        }
        QVERIFY(TWorkThread::LiveCount() >= baseline + 1);
        QTRY_COMPARE_WITH_TIMEOUT(terminated, 20, 3000);
        QCOMPARE(runs, 20);
        QTRY_COMPARE(TWorkThread::LiveCount(), baseline);
        QTRY_COMPARE(RunningThreads(), threadsBefore);
    }

    void threadNeverResumedCanBeFreedByItsCreator() {
        auto* t = new TWorkThread();
        QCOMPARE(TWorkThread::LiveCount(), baseline + 1);
        delete t;
        QCOMPARE(TWorkThread::LiveCount(), baseline);
    }

    // --- the window's guard

    void workOfAClosedWindowDoesNotRun_data() {
        QTest::addColumn<QString>("fate");
        QTest::addColumn<bool>("runs");
        QTest::newRow("window stays open: runs") << "open" << true;
        QTest::newRow("window freed during the wait") << "freed" << false;
        QTest::newRow("window closed during the wait") << "closed" << false;
        QTest::newRow("window refused to close: runs") << "refused" << true;
        QTest::newRow("closed, then shown again: runs") << "reshown" << true;
    }
    void workOfAClosedWindowDoesNotRun() {
        QFETCH(QString, fate);
        QFETCH(bool, runs);
        auto* window = fate == QLatin1String("refused") ? new TRefusingWindow : new QWidget;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        bool ran = false;
        StartWork(window, 300, [&] { ran = true; });
        if (fate == QLatin1String("freed")) {
            delete window;
            window = nullptr;
        } else if (fate != QLatin1String("open")) {
            window->close();
            if (fate == QLatin1String("reshown")) window->show();
        }
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), baseline, 3000);
        QCOMPARE(ran, runs);
        delete window;
    }

    void workWithoutAWidgetIsGuardedByTheObject() {
        auto* owner = new QObject;
        bool ran = false;
        StartWork(owner, 100, [&] { ran = true; });
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), baseline, 3000);
        QVERIFY(ran);
        StartWork(owner, 100, [&] { ran = false; });
        delete owner;
        QTRY_COMPARE_WITH_TIMEOUT(TWorkThread::LiveCount(), baseline, 3000);
        QVERIFY(ran);
    }

    // --- ending everything

    void terminateAllEndsWaitingAndQueuedWorkWithoutRunningIt() {
        bool ran = false;
        Start(60000, [&] { ran = true; });
        QVERIFY(StartWithWorkQueued([&] { Start(0, [&] { ran = true; }); }));
        QElapsedTimer clock;
        clock.start();
        TWorkThread::TerminateAll();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(TWorkThread::LiveCount(), 0);
        // The stale hand-off still in the queue finds its thread gone.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QVERIFY(!ran);
    }

    void terminateAllFromInsideAWorkLeavesThatWork() {
        bool otherRan = false, afterTerminateAll = false;
        Start(60000, [&] { otherRan = true; });
        Start(0, [&] {
            TWorkThread::TerminateAll();
            afterTerminateAll = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(afterTerminateAll, 2000);
        QTRY_COMPARE(TWorkThread::LiveCount(), 0);
        QVERIFY(!otherRan);
    }

    void applicationEndWithThreadsWaitingDoesNotHang() {
        VDS_SKIP_WITHOUT_CHILD_PROCESSES();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--exit-probe"), QStringLiteral("-platform"),
                     QStringLiteral("offscreen")});
        QVERIFY(child.waitForStarted());
        const bool ended = child.waitForFinished(10000);
        if (!ended) child.kill();
        QVERIFY2(ended, "the program hung at its end");
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        const QByteArray out = child.readAllStandardOutput();
        QVERIFY2(out.contains("work queued"), out.constData());
        QVERIFY2(out.contains("ended"), out.constData());
        QVERIFY2(!out.contains("work ran"), out.constData());
    }

    // --- the collection

    void emptyCollectionDestroyedEndsNothing() {
        TItemLog otherLog, usedLog;
        auto other = std::make_unique<TWaitThreadCollection>();
        (new TProbeItem(other.get(), 60000, &otherLog))->Resume();
        {
            TWaitThreadCollection empty;
            (new TProbeItem(&empty, 0, &usedLog))->Resume();
            QTRY_COMPARE_WITH_TIMEOUT(empty.GetCount(), 0, 2000);
        }
        QCOMPARE(usedLog.processed.load(), 1);
        QCOMPARE(otherLog.processed.load(), 0);
        QCOMPARE(other->GetCount(), 1);
        other.reset();  // finishes the one still waiting
        QCOMPARE(otherLog.processed.load(), 1);
        QCOMPARE(otherLog.terminatedWhenProcessed.load(), 0);
        QTRY_COMPARE(otherLog.destroyed.load(), 1);
        QTRY_COMPARE(usedLog.destroyed.load(), 1);
    }

    void collectionWithWaitingItemsEndsThemOnDestruction_data() {
        QTest::addColumn<bool>("finishOnDestroy");
        QTest::newRow("finishes them by default") << true;
        QTest::newRow("terminates them when told") << false;
    }
    void collectionWithWaitingItemsEndsThemOnDestruction() {
        QFETCH(bool, finishOnDestroy);
        TItemLog log;
        QElapsedTimer clock;
        {
            TWaitThreadCollection c;
            QVERIFY(c.FinishOnDestroy());
            c.SetFinishOnDestroy(finishOnDestroy);
            for (int i = 0; i < 3; ++i) (new TProbeItem(&c, 60000, &log))->Resume();
            QCOMPARE(c.GetCount(), 3);
            clock.start();
        }
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(log.processed.load(), 3);
        QCOMPARE(log.terminatedWhenProcessed.load(), finishOnDestroy ? 0 : 3);
        QTRY_COMPARE(log.destroyed.load(), 3);
    }

    void killAndFinishLeaveTheCollectionUsable() {
        TItemLog log;
        TWaitThreadCollection c;
        (new TProbeItem(&c, 60000, &log))->Resume();
        (new TProbeItem(&c, 60000, &log))->Resume();
        c.KillAllThreads();
        QCOMPARE(c.GetCount(), 0);
        QCOMPARE(log.terminatedWhenProcessed.load(), 2);
        (new TProbeItem(&c, 60000, &log))->Resume();
        QCOMPARE(c.GetCount(), 1);
        c.FinishAllThreads();
        QCOMPARE(c.GetCount(), 0);
        QCOMPARE(log.processed.load(), 3);
        QCOMPARE(log.terminatedWhenProcessed.load(), 2);
        QTRY_COMPARE(log.destroyed.load(), 3);
    }

    // A thread that frees itself may end before Resume has called OnResume; the sender handed to
    // OnResume must still be there for the handler's whole run.
    void selfFreeingThreadOutlivesItsOnResume() {
        for (int round = 0; round < 3; ++round) {
            TItemLog log;
            auto* item = new TProbeItem(nullptr, 0, &log);
            bool aliveThroughout = false;
            int senderInterval = -1;
            item->OnResume = [&](TWaitThread* sender) {
                // Time enough for the thread to run to its end, were it allowed to.
                QElapsedTimer clock;
                clock.start();
                while (log.destroyed.load() == 0 && clock.elapsed() < 50)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                aliveThroughout = log.destroyed.load() == 0;
                senderInterval = sender->Interval;
            };
            item->Resume();
            QVERIFY(aliveThroughout);
            QCOMPARE(senderInterval, 0);
            QTRY_COMPARE(log.destroyed.load(), 1);
            QCOMPARE(log.processed.load(), 1);
        }
    }

    void resumingSelfFreeingThreadsManyTimes() {
        TOneCpu oneCpu;
        constexpr int kRounds = 2000;
        TItemLog log;
        std::atomic<int> resumed{0};
        for (int round = 0; round < kRounds; ++round) {
            auto* item = new TProbeItem(nullptr, 0, &log);
            item->OnResume = [&resumed](TWaitThread*) { ++resumed; };
            item->Resume();
        }
        QCOMPARE(resumed.load(), kRounds);
        QTRY_COMPARE_WITH_TIMEOUT(log.destroyed.load(), kRounds, 20000);
    }

    // The last item may still be leaving the collection (inside RemoveThread, its lock not yet
    // released) when the collection sees itself empty; destruction must wait for it.
    void collectionDestroyedWhileItsLastItemLeaves() {
        TOneCpu oneCpu;
        constexpr int kRounds = 3000;
        TItemLog log;
        for (int round = 0; round < kRounds; ++round) {
            auto* c = new TWaitThreadCollection;
            for (int i = 0; i < 2; ++i) (new TProbeItem(c, 0, &log))->Resume();
            if (round % 2) std::this_thread::yield();
            delete c;
        }
        QTRY_COMPARE_WITH_TIMEOUT(log.destroyed.load(), 2 * kRounds, 20000);
        QCOMPARE(log.processed.load(), 2 * kRounds);
    }

    void eventWaitsAndResets() {
        TEvent manual(true, false);
        QCOMPARE(manual.WaitFor(0), TEvent::TWaitResult::Timeout);
        manual.Set();
        QCOMPARE(manual.WaitFor(0), TEvent::TWaitResult::Signaled);
        QCOMPARE(manual.WaitFor(0), TEvent::TWaitResult::Signaled);  // stays set
        manual.Reset();
        QCOMPARE(manual.WaitFor(10), TEvent::TWaitResult::Timeout);
        TEvent automatic(false, true);
        QCOMPARE(automatic.WaitFor(0), TEvent::TWaitResult::Signaled);
        QCOMPARE(automatic.WaitFor(0), TEvent::TWaitResult::Timeout);  // let one through
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--exit-probe") == 0) return RunExitProbe(argc, argv);
    TApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_WaitThread tc;
    QTEST_SET_MAIN_SOURCE_PATH
    const int rc = QTest::qExec(&tc, argc, argv);
    app.FreeOwned();
    return rc;
}

#include "tst_WaitThread.moc"
