// The default handler, the checks, and the seams for boxes and waits.

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "Check.h"
#include "Db.h"
#include "TestSupport.h"

namespace {
// While it lives, the program's warnings are noted here instead of printed.
class TLogCapture {
public:
    TLogCapture() {
        s_current = this;
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString& text) {
                s_current->lines << QString::fromLatin1(context.category) + ": " + text;
            });
    }
    ~TLogCapture() {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    Q_DISABLE_COPY(TLogCapture)
    QStringList lines;

private:
    static inline TLogCapture* s_current = nullptr;
    QtMessageHandler m_previous;
};
}  // namespace

class tst_Application : public QObject {
    Q_OBJECT
private slots:
    void checkRaisesWithConditionFileAndLine() {
        const QString none;
        int line = 0;
        try {
            line = __LINE__ + 1;
            VDS_CHECK(!none.isEmpty());
            QFAIL("a failed check must throw");
        } catch (const TCheckError& e) {
            const QString m = QString::fromUtf8(e.what());
            QVERIFY2(m.contains(QStringLiteral("!none.isEmpty()")), qPrintable(m));
            QVERIFY2(m.contains(QStringLiteral("tst_Application.cpp")), qPrintable(m));
            QVERIFY2(m.contains(QStringLiteral("line %1").arg(line)), qPrintable(m));
        }
        VDS_CHECK(none.isEmpty());  // a holding check does nothing
    }

    void clickHandlerErrorShowsOneBox() {
        TMessageRecorder boxes;
        QPushButton button(QStringLiteral("x"));
        int after = 0;
        // Wired as the windows wire their buttons: the widget library is not unwound.
        connect(&button, &QPushButton::clicked, Guarded([&] {
            throw EDatabaseError(QStringLiteral("ORA-12541: TNS:no listener"));
            ++after;
        }));
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(boxes.messages, QStringList({QStringLiteral("ORA-12541: TNS:no listener")}));
        QCOMPARE(after, 0);
        // The program goes on: the next click is handled again.
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(boxes.messages.size(), 2);
    }

    void failingTimersShowOneBoxAtATime() {
        TMessageRecorder boxes;
        // Two refresh timers (two windows) fail on every tick; while one box is open the other
        // timer keeps ticking in the box's loop.
        QTimer first, second;
        int ticks = 0;
        for (QTimer* t : {&first, &second}) {
            t->setInterval(10);
            connect(t, &QTimer::timeout, Guarded([&] {
                        ++ticks;
                        throw std::runtime_error("refresh failed");
                    }));
        }
        const int lastResort = Application()->LastResortReports();
        int open = 0, maxOpen = 0;
        boxes.whileOpen = [&](const QString&) {
            maxOpen = qMax(maxOpen, ++open);
            // Open until the other timer has failed beside it, where a second box would show.
            const int suppressedAtOpen = Application()->SuppressedReports();
            QTRY_VERIFY(Application()->SuppressedReports() > suppressedAtOpen);
            --open;
        };
        const int suppressedBefore = Application()->SuppressedReports();
        TLogCapture log;
        first.start();
        second.start();
        QTRY_VERIFY(ticks >= 10);
        first.stop();
        second.stop();
        QCOMPARE(maxOpen, 1);
        QVERIFY2(ticks > boxes.messages.size(), qPrintable(QString::number(ticks)));
        const int suppressed = Application()->SuppressedReports() - suppressedBefore;
        QVERIFY(suppressed > 0);
        // Each failure not shown is written down with its text.
        QCOMPARE(
            log.lines,
            QStringList(suppressed, "vds.app: not shown, a box is already open: refresh failed"));
        QCOMPARE(boxes.messages.first(), QStringLiteral("refresh failed"));
        QCOMPARE(Application()->LastResortReports(), lastResort);
    }

    // A handler someone forgot to guard: the last resort still shows it, and says so.
    void unguardedHandlerReachesTheLastResort_data() {
        QTest::addColumn<bool>("standard");
        QTest::newRow("a standard exception: its message") << true;
        QTest::newRow("anything else: unknown error") << false;
    }
    void unguardedHandlerReachesTheLastResort() {
        QFETCH(bool, standard);
        TMessageRecorder boxes;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, [standard] {
            if (standard) throw std::runtime_error("tick failed");
            throw 7;
        });
        const QString shown =
            standard ? QStringLiteral("tick failed") : QStringLiteral("Unknown error");
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable("an unguarded handler of QTimer threw: " + shown));
        const int lastResort = Application()->LastResortReports();
        timer.start(0);
        QTRY_COMPARE(Application()->LastResortReports(), lastResort + 1);
        QCOMPARE(boxes.messages, QStringList({shown}));
    }

    void waitsGoThroughTheSeam() {
        TSleepRecorder waits;
        QElapsedTimer t;
        t.start();
        Sleep(5000);
        QVERIFY(t.elapsed() < 1000);
        QCOMPARE(waits.waits, QVector<int>({5000}));
    }

    void terminateBeforeTheLoopKeepsItFromRunning() {
        QVERIFY(!Application()->Terminated());
        QTimer::singleShot(0, [] { Application()->Terminate(); });
        QCOMPARE(Application()->Run(), 0);  // ended by the posted Terminate
        QVERIFY(Application()->Terminated());
        QCOMPARE(Application()->Run(), 0);  // returns at once now
    }
};

VDS_TEST_MAIN(tst_Application)
#include "tst_Application.moc"
