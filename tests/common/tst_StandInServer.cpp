// The stand-in communication server as the tests and the demo rely on it: how it reads a request
// that arrives in pieces or malformed, what it answers, its refusal, and the program form.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

#include "ChildProcessSkip.h"
#include "StandInServer.h"
#include "TestSupport.h"
#include "WireBytes.h"

Q_DECLARE_METATYPE(TMisbehaviour)

namespace {

// A plain client that sends exactly the pieces it is given.
class TRawClient {
public:
    explicit TRawClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~TRawClient() { ::close(m_fd); }
    bool Connected() const { return m_connected; }
    bool Send(const QByteArray& piece) {
        return ::send(m_fd, piece.constData(), static_cast<size_t>(piece.size()), MSG_NOSIGNAL) ==
               piece.size();
    }
    // Each receive's bytes until the server closes or nothing comes for timeoutMs.
    QList<QByteArray> ReadPieces(int timeoutMs, bool* closed) {
        QList<QByteArray> pieces;
        *closed = false;
        for (;;) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) return pieces;
            char buffer[64];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                *closed = true;
                return pieces;
            }
            pieces << QByteArray(buffer, static_cast<int>(n));
        }
    }
    // Everything until the server closes or nothing comes for timeoutMs.
    QByteArray ReadAll(int timeoutMs, bool* closed) { return ReadPieces(timeoutMs, closed).join(); }

private:
    int m_fd = -1;
    bool m_connected = false;
};

// A whole request of controller 0103.
QByteArray Request(int opcode) {
    return LengthField("3") + Bytes({1, 3, opcode});
}

// Starts vds-commsim on a free port: its first line, which names the port, or empty when it
// said nothing within 5 s.
QString StartProgram(QProcess& sim, const QStringList& arguments) {
    sim.start(QStringLiteral(VDS_COMMSIM), QStringList{"--port", "0"} + arguments);
    if (!sim.waitForStarted() || !QTest::qWaitFor([&sim] { return sim.canReadLine(); }, 5000))
        return {};
    return QString::fromUtf8(sim.readLine());
}

int PortOf(const QString& firstLine) {
    const auto m =
        QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)")).match(firstLine);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

}  // namespace

class tst_StandInServer : public QObject {
    Q_OBJECT

    std::unique_ptr<TStandInServer> server;

private slots:
    void init() {
        server = std::make_unique<TStandInServer>();
        QVERIFY2(server->Start(), server->Error().c_str());
    }
    void cleanup() { server.reset(); }

    void requestInPiecesIsPutTogether() {
        std::atomic<int> seen{0};
        server->SetOnFrame([&](const TReceivedFrame& r, bool accepted) {
            if (r.Opcode() == 14 && accepted) ++seen;
        });
        TRawClient client(server->Port());
        QVERIFY(client.Connected());
        const QByteArray field = LengthField("5");
        QVERIFY(client.Send(field.left(1)));
        QVERIFY(client.Send(field.mid(1)));
        QVERIFY(client.Send(QByteArray("\x01\x03", 2)));
        QVERIFY(client.Send(QByteArray("\x0e\x03", 2)));
        QVERIFY(client.Send(QByteArray("\x3c", 1)));
        bool closed = false;
        QCOMPARE(client.ReadAll(300, &closed), TStandInServer::kAccepted);
        QVERIFY(server->WaitForFrames(1, 1000));
        QCOMPARE(server->Frames().at(0).frame, QByteArray("\x01\x03\x0e\x03\x3c", 5));
        QCOMPARE(server->Frames().at(0).lengthField, field);
        QCOMPARE(seen.load(), 1);
    }

    void malformedLengthFieldIsDropped_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("no digits") << LengthField("");
        QTest::newRow("letters") << LengthField("1a");
        QTest::newRow("more than any request") << LengthField("99999");
    }
    void malformedLengthFieldIsDropped() {
        QFETCH(QByteArray, field);
        TRawClient client(server->Port());
        QVERIFY(client.Send(field));
        bool closed = false;
        QCOMPARE(client.ReadAll(2000, &closed), QByteArray());
        QVERIFY(closed);
        QVERIFY(server->Frames().empty());
    }

    void statusesArePaddedAndPerOpcode() {
        server->SetStatus(12, "1");
        server->SetDefaultStatus("E");
        QCOMPARE(server->StatusFor(12), QByteArray("1", 1) + QByteArray(11, '\0'));
        QCOMPARE(server->StatusFor(13), QByteArray("E", 1) + QByteArray(11, '\0'));
        std::atomic<int> refused{0}, accepted{0};
        server->SetOnFrame([&](const TReceivedFrame&, bool ok) { ++(ok ? accepted : refused); });
        for (int opcode : {12, 13}) {
            TRawClient client(server->Port());
            QVERIFY(client.Send(Request(opcode)));
            bool closed = false;
            QCOMPARE(client.ReadAll(300, &closed), server->StatusFor(opcode));
        }
        QCOMPARE(refused.load(), 1);   // "1": refused
        QCOMPARE(accepted.load(), 1);  // "E": a letter first counts as accepted
        server->ClearStatuses();
        QCOMPARE(server->StatusFor(12), TStandInServer::kAccepted);
    }

    // What the old handler uses may go once SetOnFrame returns, also while a request is in it.
    void replacedHandlerHasEndedWhenSetOnFrameReturns() {
        std::atomic<bool> oldEntered{false}, oldEnded{false};
        std::atomic<int> oldCalls{0}, newCalls{0};
        server->SetOnFrame([&](const TReceivedFrame&, bool) {
            ++oldCalls;
            oldEntered = true;
            // Slow, as a database write may be.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            oldEnded = true;
        });
        TRawClient first(server->Port());
        QVERIFY(first.Send(Request(12)));
        QVERIFY(QTest::qWaitFor([&] { return oldEntered.load(); }, 2000));
        server->SetOnFrame([&](const TReceivedFrame&, bool) { ++newCalls; });
        QVERIFY(oldEnded.load());
        TRawClient second(server->Port());
        QVERIFY(second.Send(Request(13)));
        QTRY_COMPARE_WITH_TIMEOUT(newCalls.load(), 1, 2000);
        QCOMPARE(oldCalls.load(), 1);
    }

    void replyInPieces_data() {
        QTest::addColumn<TMisbehaviour>("misbehaviour");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("pieces");  // at least; the network may still join some
        QTest::addColumn<bool>("closes");
        QTest::newRow("split: two halves")
            << TMisbehaviour::SplitReply << TStandInServer::kAccepted << 2 << false;
        QTest::newRow("byte by byte")
            << TMisbehaviour::ByteByByteReply << TStandInServer::kAccepted << 2 << false;
        QTest::newRow("short: 11 bytes, then closed")
            << TMisbehaviour::ShortReply << TStandInServer::kAccepted.left(11) << 1 << true;
    }
    void replyInPieces() {
        QFETCH(TMisbehaviour, misbehaviour);
        QFETCH(QByteArray, reply);
        QFETCH(int, pieces);
        QFETCH(bool, closes);
        server->SetMisbehaviour(misbehaviour);
        TRawClient client(server->Port());
        QVERIFY(client.Send(Request(12)));
        bool closed = false;
        const QList<QByteArray> got = client.ReadPieces(500, &closed);
        QCOMPARE(got.join(), reply);
        QVERIFY2(got.size() >= pieces, qPrintable(QString::number(got.size())));
        QCOMPARE(closed, closes);
    }

    void refuseClosesThePortAndLeavingItOpensTheSamePort() {
        const int port = server->Port();
        server->SetMisbehaviour(TMisbehaviour::Refuse);
        QVERIFY(!TRawClient(port).Connected());
        server->SetMisbehaviour(TMisbehaviour::None);
        QCOMPARE(server->Port(), port);
        TRawClient client(port);
        QVERIFY(client.Connected());
        QVERIFY(client.Send(Request(12)));
        bool closed = false;
        QCOMPARE(client.ReadAll(300, &closed), TStandInServer::kAccepted);
    }

    void stopEndsHeldConnections() {
        server->SetMisbehaviour(TMisbehaviour::Silent);
        TRawClient client(server->Port());
        QVERIFY(client.Send(Request(12)));
        QVERIFY(server->WaitForFrames(1, 1000));
        QCOMPARE(server->OpenConnectionCount(), 1);
        server->Stop();
        QVERIFY(!server->Running());
        bool closed = false;
        QCOMPARE(client.ReadAll(2000, &closed), QByteArray());
        QVERIFY(closed);
    }

    void programLogsRequestsAndEndsOnTerminate() {
        VDS_SKIP_WITHOUT_CHILD_PROCESSES();
        QProcess sim;
        const QString first = StartProgram(sim, {"--status", "12=100000000000"});
        const int port = PortOf(first);
        QVERIFY2(port > 0, qPrintable(first));
        for (int opcode : {12, 13}) {
            TRawClient client(port);
            QVERIFY(client.Connected());
            QVERIFY(client.Send(Request(opcode)));
            bool closed = false;
            QCOMPARE(client.ReadAll(500, &closed).left(1), QByteArray(opcode == 12 ? "1" : "0"));
        }
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += sim.readAll()).contains("opcode 13"), 5000);
        QVERIFY2(log.contains("opcode 12 length 3 refused: 01 03 0c\n"), log.constData());
        QVERIFY2(log.contains("opcode 13 length 3 accepted: 01 03 0d\n"), log.constData());
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void programStartsInDemoModeOnADatabase() {
        VDS_SKIP_WITHOUT_CHILD_PROCESSES();
        TTempDatabase db;
        QProcess sim;
        const QString first = StartProgram(sim, {"--db", db.Path(), "--demo"});
        QVERIFY2(first.endsWith(QStringLiteral(" (demo)\n")), qPrintable(first));
        const int port = PortOf(first);
        QVERIFY2(port > 0, qPrintable(first));
        TRawClient client(port);
        QVERIFY(client.Send(Request(21)));
        bool closed = false;
        QCOMPARE(client.ReadAll(500, &closed), TStandInServer::kAccepted);
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }

    void programRejectsBadOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("demo without a database") << QStringList{"--port", "0", "--demo"};
        QTest::newRow("missing database file")
            << QStringList{"--port", "0", "--db", "/nonexistent/kelnor"};
        QTest::newRow("status too long")
            << QStringList{"--port", "0", "--status", "12=0000000000000"};
        QTest::newRow("status without opcode") << QStringList{"--port", "0", "--status", "=1"};
        QTest::newRow("port out of range") << QStringList{"--port", "70000"};
    }
    void programRejectsBadOptions() {
        QFETCH(QStringList, args);
        VDS_SKIP_WITHOUT_CHILD_PROCESSES();
        QProcess sim;
        sim.start(QStringLiteral(VDS_COMMSIM), args);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(!sim.readAllStandardError().isEmpty());
    }
};

VDS_TEST_MAIN(tst_StandInServer)
#include "tst_StandInServer.moc"
