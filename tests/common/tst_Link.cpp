// The command link: frames and length fields byte for byte, status replies, failures against
// the stand-in server, and the connection handling of the command exchange.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>

#include "CommandExchange.h"
#include "Convert.h"
#include "Link.h"
#include "StandInServer.h"
#include "TestSupport.h"
#include "WireBytes.h"

Q_DECLARE_METATYPE(TMisbehaviour)
Q_DECLARE_METATYPE(TExchangeResult)

namespace {

// Not a value any link routine sets, so a failure that leaves errno alone shows.
constexpr int kStaleErrno = EDOM;

int OpenDescriptors() {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

bool DescriptorOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

// A connection of the test's own, closed also when a check fails half way.
struct TOwnSocket {
    int fd;
    ~TOwnSocket() { tcp_close(fd); }
};

// A listener that never accepts, its queue full: a further connect is not answered at all.
class TFullListener {
public:
    TFullListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        // A queue of length 0 holds one connection; the SYN of the next one is dropped.
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::listen(m_fd, 0) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        m_port = ntohs(a.sin_port);
        m_queued = tcp_connect("127.0.0.1", m_port);
    }
    ~TFullListener() {
        tcp_close(m_queued);
        ::close(m_fd);
    }
    int Port() const { return m_port; }
    bool Full() const { return m_queued > 0; }

private:
    int m_fd = -1;
    int m_port = 0;
    int m_queued = -1;
};

}  // namespace

class tst_Link : public QObject {
    Q_OBJECT

    TStandInServer server;
    int nSocket = 0;

    TExchangeResult Exchange(const QString& atcId, int opcode, int index,
                             const TPayloadWriter& payload = {}) {
        return RunCommandExchange(nSocket, atcId, opcode, index, payload);
    }

    // The link pointed at this test's server, with limits short enough to wait out.
    void UseServer(int recvTimeoutMs = 2000) {
        SetLinkSettings({"127.0.0.1", server.Port(), 2000, recvTimeoutMs});
    }

    TOwnSocket Connect() { return TOwnSocket{tcp_connect("127.0.0.1", server.Port())}; }

private slots:
    void initTestCase() {
        QVERIFY2(server.Start("127.0.0.1", 0), server.Error().c_str());
        QVERIFY(server.Port() > 0);
    }

    void init() {
        UseServer();
        server.SetMisbehaviour(TMisbehaviour::None);
        server.ClearStatuses();
        server.ClearFrames();
        nSocket = 0;
    }

    void cleanup() { SetLinkSettings({}); }

    // --- frame builders

    void headerWithIndexZeroKeepsByte3() {
        TRequestFrame frame{};
        frame[kFrameIndex] = 0x55;
        set_frame_header(frame.data(), 12, 1, 3, 0);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(frame.data()), 5), Bytes({1, 3, 12, 0x55, 0}));
        set_frame_header(frame.data(), 15, 1, 3, 6);
        QCOMPARE(frame[kFrameIndex], 6);
    }

    void setFrameBits_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("after");
        QTest::newRow("byte 4 shift 7 width 1 sets the top bit, keeps the rest")
            << 0x35 << 7 << 1 << 1 << 0xB5;
        QTest::newRow("value 0 clears only its bit") << 0xFF << 7 << 1 << 0 << 0x7F;
        QTest::newRow("value bits above the width land above it") << 0x00 << 2 << 1 << 3 << 0x0C;
        QTest::newRow("value bits past bit 7 are lost") << 0x00 << 7 << 1 << 3 << 0x80;
        QTest::newRow("width 8 replaces the byte") << 0xA5 << 0 << 8 << 0x3C << 0x3C;
    }
    void setFrameBits() {
        QFETCH(int, before);
        QFETCH(int, shift);
        QFETCH(int, width);
        QFETCH(int, value);
        QFETCH(int, after);
        TRequestFrame frame{};
        frame[3] = 0x11;
        frame[4] = static_cast<unsigned char>(before);
        frame[5] = 0x22;
        set_frame_bits(frame.data(), 4, shift, width, static_cast<unsigned>(value));
        QCOMPARE(int(frame[4]), after);
        QCOMPARE(int(frame[3]), 0x11);
        QCOMPARE(int(frame[5]), 0x22);
    }

    void frameBitsOutsideTheFrameAreRefused_data() {
        QTest::addColumn<int>("byteIndex");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("width");
        QTest::newRow("byte before the frame") << -1 << 0 << 1;
        QTest::newRow("byte past the frame") << kRequestFrameSize << 0 << 1;
        QTest::newRow("negative shift") << 4 << -1 << 1;
        QTest::newRow("shift 8 is past the byte") << 4 << 8 << 1;
        QTest::newRow("shift 32 is past any word") << 4 << 32 << 1;
        QTest::newRow("negative width") << 4 << 0 << -1;
        QTest::newRow("width 9 is wider than a byte") << 4 << 0 << 9;
        QTest::newRow("width 32") << 4 << 0 << 32;
    }
    void frameBitsOutsideTheFrameAreRefused() {
        QFETCH(int, byteIndex);
        QFETCH(int, shift);
        QFETCH(int, width);
        // Guard bytes around the frame show a write outside it.
        std::array<unsigned char, kRequestFrameSize + 2> buffer{};
        buffer.fill(0x5A);
        unsigned char* frame = buffer.data() + 1;
        errno = 0;
        QCOMPARE(set_frame_bits(frame, byteIndex, shift, width, 0xFFu), -1);
        QCOMPARE(errno, EINVAL);
        for (unsigned char b : buffer) QCOMPARE(int(b), 0x5A);
        errno = 0;
        QCOMPARE(get_frame_bits(frame, byteIndex, shift, width), 0u);
        QCOMPARE(errno, EINVAL);
    }

    void frameBitsAtTheEdgesOfTheFrame() {
        TRequestFrame frame{};
        QCOMPARE(set_frame_bits(frame.data(), kRequestFrameSize - 1, 7, 1, 1), 0);
        QCOMPARE(int(frame[kRequestFrameSize - 1]), 0x80);
        QCOMPARE(get_frame_bits(frame.data(), kRequestFrameSize - 1, 7, 1), 1u);
        // Width 0 clears nothing and still ORs the value in, as the shift places it.
        QCOMPARE(set_frame_bits(frame.data(), 0, 0, 0, 0x11), 0);
        QCOMPARE(int(frame[0]), 0x11);
        QCOMPARE(get_frame_bits(frame.data(), 0, 0, 0), 0u);
    }

    void lengthField_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("digits");
        QTest::newRow("0 is the single digit 0") << 0 << QByteArray("0");
        QTest::newRow("73, the longest request") << 73 << QByteArray("73");
        QTest::newRow("100") << 100 << QByteArray("100");
        QTest::newRow("largest int still fits with its NUL")
            << std::numeric_limits<int>::max() << QByteArray("2147483647");
    }
    void lengthField() {
        QFETCH(int, length);
        QFETCH(QByteArray, digits);
        char field[kLengthFieldSize + 1];
        std::memset(field, 0x5A, sizeof field);
        QCOMPARE(set_length_field(field, length), 0);
        QCOMPARE(QByteArray(field, kLengthFieldSize), LengthField(digits));
        QCOMPARE(int(field[kLengthFieldSize]), 0x5A);  // nothing past the 12 bytes
    }

    void negativeLengthFieldIsRefused() {
        char field[kLengthFieldSize];
        errno = 0;
        QCOMPARE(set_length_field(field, -1), -1);
        QCOMPARE(errno, EINVAL);
        TRequestFrame frame{};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^sorvik: send")));
        QCOMPARE(tcp_send(-1, frame.data(), -5), -1);
    }

    // Each failed send says why, in errno and in the link's log.
    void failedSendSaysWhy_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("reason");
        QTest::newRow("negative length on a connection") << "server" << -5 << EINVAL;
        QTest::newRow("no descriptor") << "none" << 3 << EBADF;
        QTest::newRow("a pipe, not a socket") << "pipe" << 3 << ENOTSOCK;
    }
    void failedSendSaysWhy() {
        QFETCH(QString, target);
        QFETCH(int, length);
        QFETCH(int, reason);
        const TOwnSocket connection = Connect();
        QVERIFY(connection.fd > 0);
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        int sock = -1;
        if (target == QLatin1String("server")) sock = connection.fd;
        if (target == QLatin1String("pipe")) sock = pipeFds[1];
        TRequestFrame frame{};
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("sorvik: send() error socket: [%1] length: "
                                                       "[%2] reason: [%3]")
                                            .arg(sock)
                                            .arg(length)
                                            .arg(QString::fromLocal8Bit(std::strerror(reason)))));
        errno = kStaleErrno;
        const int sent = tcp_send(sock, frame.data(), length);
        const int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        QCOMPARE(sent, -1);
        QCOMPARE(error, reason);
    }

    void getFrameBits() {
        TRequestFrame frame{};
        frame[3] = 0xB6;  // 1011 0110
        QCOMPARE(get_frame_bits(frame.data(), 3, 0, 8), 0xB6u);
        QCOMPARE(get_frame_bits(frame.data(), 3, 7, 1), 1u);
        QCOMPARE(get_frame_bits(frame.data(), 3, 3, 1), 0u);
        QCOMPARE(get_frame_bits(frame.data(), 3, 1, 3), 3u);
    }

    void requestLengthOutsideTheTablesIsRefused() {
        TRequestFrame frame{};
        frame[kFrameIndex] = 15;
        QCOMPARE(request_length(frame.data(), 14), 73);  // the longest the tables allow
        frame[kFrameIndex] = 21;
        QCOMPARE(request_length(frame.data(), 14), -1);
        QCOMPARE(request_length(frame.data(), 15), 4);  // an upload does not read the index
        QCOMPARE(request_length(frame.data(), 22), -1);
        QCOMPARE(request_length(frame.data(), -1), -1);
    }

    // --- what goes on the wire

    // Every opcode a window sends, and every parameter index a download uses.
    void sentRequests_data() {
        QTest::addColumn<int>("opcode");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("lengthDigits");
        QTest::newRow("accumulated traffic request") << 5 << 0 << QByteArray("3");
        QTest::newRow("loop threshold high") << 10 << 1 << QByteArray("4");
        QTest::newRow("loop threshold low") << 10 << 0 << QByteArray("4");
        QTest::newRow("software reset") << 12 << 0 << QByteArray("3");
        QTest::newRow("hardware initialise") << 13 << 0 << QByteArray("3");
        QTest::newRow("time since loss of communication") << 17 << 0 << QByteArray("3");
        QTest::newRow("memory check") << 18 << 0 << QByteArray("3");
        QTest::newRow("echo") << 19 << 0 << QByteArray("13");
        QTest::newRow("controller version") << 21 << 0 << QByteArray("3");
        QTest::newRow("upload index 6") << 15 << 6 << QByteArray("4");
        const QList<QPair<int, const char*>> downloads = {{1, "8"},  {2, "36"}, {3, "5"},
                                                          {4, "6"},  {5, "16"}, {6, "7"},
                                                          {12, "5"}, {13, "5"}, {14, "5"}};
        for (const auto& d : downloads)
            QTest::addRow("download index %d: %s bytes", d.first, d.second)
                << 14 << d.first << QByteArray(d.second);
    }
    void sentRequests() {
        QFETCH(int, opcode);
        QFETCH(int, index);
        QFETCH(QByteArray, lengthDigits);
        QCOMPARE(Exchange(QStringLiteral("0103001"), opcode, index), TExchangeResult::Accepted);
        QVERIFY(server.WaitForFrames(1, 2000));
        const TReceivedFrame got = server.Frames().at(0);
        QCOMPARE(got.lengthField, LengthField(lengthDigits));
        QByteArray expected = Bytes({1, 3, opcode, index});
        expected.resize(lengthDigits.toInt(), '\0');
        QCOMPARE(got.frame, expected);
    }

    void index2DownloadSends36Bytes() {
        const auto payload = [](unsigned char* frame) {
            for (int k = 1; k <= 32; ++k) frame[3 + k] = (k % 3 == 0) ? 1 : 0;
        };
        QCOMPARE(Exchange(QStringLiteral("2207"), 14, 2, payload), TExchangeResult::Accepted);
        QVERIFY(server.WaitForFrames(1, 2000));
        const TReceivedFrame got = server.Frames().at(0);
        QCOMPARE(got.lengthField.left(3), QByteArray("36\0", 3));
        QCOMPARE(got.lengthField, LengthField("36"));
        QCOMPARE(got.frame.size(), 36);
        QCOMPARE(got.frame.left(4), Bytes({22, 7, 14, 2}));
        for (int k = 1; k <= 32; ++k) QCOMPARE(int(got.frame[3 + k]), k % 3 == 0 ? 1 : 0);
    }

    void softwareResetOf0103Sends1_3_12() {
        QCOMPARE(Exchange(QStringLiteral("0103"), 12, 0), TExchangeResult::Accepted);
        QVERIFY(server.WaitForFrames(1, 2000));
        const TReceivedFrame got = server.Frames().at(0);
        QCOMPARE(got.lengthField, QByteArray("3", 1) + QByteArray(11, '\0'));
        QCOMPARE(got.frame, Bytes({1, 3, 12}));
    }

    void lengthFieldOfLengthsOutsideTheTables() {
        for (int length : {0, 100}) {
            server.ClearFrames();
            const TOwnSocket sock = Connect();
            QVERIFY(sock.fd > 0);
            TRequestFrame frame{};
            frame.fill(0x5A);
            QCOMPARE(tcp_send(sock.fd, frame.data(), length), 0);
            QCOMPARE(tcp_recv(sock.fd), 0);
            QVERIFY(server.WaitForFrames(1, 2000));
            const TReceivedFrame got = server.Frames().at(0);
            QCOMPARE(got.lengthField, LengthField(QByteArray::number(length)));
            QCOMPARE(got.frame, QByteArray(length, 0x5A));
        }
    }

    void idBytesComeFromCharacters1To4() {
        QCOMPARE(Exchange(QStringLiteral("9905XYZ"), 13, 0), TExchangeResult::Accepted);
        QCOMPARE(Exchange(QStringLiteral("-1+7"), 13, 0), TExchangeResult::Accepted);
        QVERIFY(server.WaitForFrames(2, 2000));
        QCOMPARE(server.Frames().at(0).frame, Bytes({99, 5, 13}));
        QCOMPARE(server.Frames().at(1).frame, Bytes({0xFF, 7, 13}));  // the low 8 bits
    }

    void strToIntTakesOnlySigned32BitDecimals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("leading zero") << "07" << true << 7;
        QTest::newRow("minus") << "-1" << true << -1;
        QTest::newRow("plus") << "+256" << true << 256;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("one past the largest") << "2147483648" << false << 0;
        QTest::newRow("far too large") << "99999999999999999999" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("leading blank") << " 1" << false << 0;
        QTest::newRow("trailing blank") << "1 " << false << 0;
        QTest::newRow("letter") << "1a" << false << 0;
        QTest::newRow("hexadecimal") << "0x10" << false << 0;
        QTest::newRow("fraction") << "1.5" << false << 0;
        QTest::newRow("full-width digit") << QString::fromUtf8("\xef\xbc\x91") << false << 0;
        QTest::newRow("NUL inside: the message keeps what follows it") << QString::fromUtf8(
                                                                              "1\0"
                                                                              "2x",
                                                                              4)
                                                                       << false << 0;
    }
    void strToIntTakesOnlySigned32BitDecimals() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        try {
            const int got = StrToInt(text);
            QVERIFY2(valid, qPrintable(QStringLiteral("accepted as %1").arg(got)));
            QCOMPARE(got, value);
        } catch (const EConvertError& e) {
            QVERIFY2(!valid, e.what());
            QVERIFY(e.Message().contains(text));
        }
    }

    // --- status replies

    // recv is tcp_recv's result, and reason its errno when it fails.
    void statusReplies_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<TMisbehaviour>("misbehaviour");
        QTest::addColumn<int>("recv");
        QTest::addColumn<int>("reason");
        const auto ok = TMisbehaviour::None;
        const QByteArray zeros("000000000000");
        QTest::newRow("twelve '0' accepted") << zeros << ok << 0 << 0;
        QTest::newRow("leading '1' refused") << QByteArray("100000000000") << ok << -1 << EREMOTEIO;
        QTest::newRow("a '1' as 12th digit refused")
            << QByteArray("000000000001") << ok << -1 << EREMOTEIO;
        QTest::newRow("leading blank accepted") << QByteArray(" 11111111111") << ok << 0 << 0;
        QTest::newRow("leading letter accepted") << QByteArray("E11111111111") << ok << 0 << 0;
        QTest::newRow("zeros ended by NUL accepted") << QByteArray("00") << ok << 0 << 0;
        QTest::newRow("digits end at a non-digit: 2 refused")
            << QByteArray("002x00000000") << ok << -1 << EREMOTEIO;
        QTest::newRow("11 bytes then close fail")
            << zeros << TMisbehaviour::ShortReply << -1 << ECONNRESET;
        QTest::newRow("split 6+6 accepted") << zeros << TMisbehaviour::SplitReply << 0 << 0;
        QTest::newRow("split 6+6: a '1' in the second half refused")
            << QByteArray("000000100000") << TMisbehaviour::SplitReply << -1 << EREMOTEIO;
        QTest::newRow("byte by byte accepted") << zeros << TMisbehaviour::ByteByByteReply << 0 << 0;
        QTest::newRow("byte by byte: a '1' as 12th digit refused")
            << QByteArray("000000000001") << TMisbehaviour::ByteByByteReply << -1 << EREMOTEIO;
        QTest::newRow("byte by byte: a letter first accepted")
            << QByteArray("E11111111111") << TMisbehaviour::ByteByByteReply << 0 << 0;
        QTest::newRow("closed before a reply fails")
            << zeros << TMisbehaviour::CloseBeforeReply << -1 << ECONNRESET;
        QTest::newRow("closed after the length field fails")
            << zeros << TMisbehaviour::CloseEarly << -1 << ECONNRESET;
    }
    void statusReplies() {
        QFETCH(QByteArray, status);
        QFETCH(TMisbehaviour, misbehaviour);
        QFETCH(int, recv);
        QFETCH(int, reason);
        server.SetStatus(21, status);
        server.SetMisbehaviour(misbehaviour);
        {
            const TOwnSocket sock = Connect();
            QVERIFY(sock.fd > 0);
            TRequestFrame frame{};
            set_frame_header(frame.data(), 21, 1, 3, 0);
            tcp_send(sock.fd, frame.data(), 3);  // may meet a server that closed early
            errno = kStaleErrno;
            QCOMPARE(tcp_recv(sock.fd), recv);
            if (recv != 0) QCOMPARE(errno, reason);
        }
        // The exchange turns the same reply into the same verdict.
        const TExchangeResult expected =
            recv == 0 ? TExchangeResult::Accepted : TExchangeResult::Refused;
        QCOMPARE(Exchange(QStringLiteral("0103"), 21, 0), expected);
    }

    void statusIsPerOpcode() {
        server.SetStatus(12, "1");
        QCOMPARE(Exchange(QStringLiteral("0103"), 12, 0), TExchangeResult::Refused);
        QCOMPARE(Exchange(QStringLiteral("0103"), 13, 0), TExchangeResult::Accepted);
    }

    // --- failures

    void refusedConnectionFailsAtOnce() {
        server.SetMisbehaviour(TMisbehaviour::Refuse);
        const int connectionsBefore = server.ConnectionCount();
        QElapsedTimer t;
        t.start();
        QTest::ignoreMessage(
            QtWarningMsg,
            qPrintable(QStringLiteral("sorvik: connect() error ip: [127.0.0.1] port: [%1]")
                           .arg(server.Port())));
        errno = kStaleErrno;
        QCOMPARE(tcp_connect("127.0.0.1", server.Port()), -1);
        QCOMPARE(errno, ECONNREFUSED);
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));

        // The exchange reports it so the window can say "서버연결 실패"; nothing to release.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^sorvik: connect")));
        QCOMPARE(Exchange(QStringLiteral("0103"), 12, 0), TExchangeResult::ConnectFailed);
        QCOMPARE(nSocket, -1);
        QCOMPARE(server.ConnectionCount(), connectionsBefore);
        server.SetMisbehaviour(TMisbehaviour::None);
        QCOMPARE(Exchange(QStringLiteral("0103"), 12, 0), TExchangeResult::Accepted);
    }

    void silentServerFailsWithinTheTimeLimit() {
        UseServer(300);
        server.SetMisbehaviour(TMisbehaviour::Silent);
        QElapsedTimer t;
        t.start();
        QCOMPARE(Exchange(QStringLiteral("0103"), 18, 0), TExchangeResult::Refused);
        const qint64 ms = t.elapsed();
        QVERIFY2(ms >= 250 && ms < 2000, qPrintable(QString::number(ms)));
        QVERIFY(server.WaitForFrames(1, 2000));  // the request did go out
        QCOMPARE(nSocket, -1);
        QTRY_COMPARE(server.OpenConnectionCount(), 0);
    }

    void connectWithoutAnAnswerEndsAtTheTimeLimit() {
        TFullListener listener;
        QVERIFY(listener.Full());
        SetLinkSettings({"127.0.0.1", listener.Port(), 300, 2000});
        const int fdsBefore = OpenDescriptors();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^sorvik: connect")));
        QElapsedTimer t;
        t.start();
        errno = kStaleErrno;
        QCOMPARE(tcp_connect("127.0.0.1", listener.Port()), -1);
        QCOMPARE(errno, ETIMEDOUT);
        const qint64 ms = t.elapsed();
        QVERIFY2(ms >= 250 && ms < 2000, qPrintable(QString::number(ms)));
        QCOMPARE(OpenDescriptors(), fdsBefore);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^sorvik: connect")));
        QCOMPARE(Exchange(QStringLiteral("0103"), 12, 0), TExchangeResult::ConnectFailed);
        QCOMPARE(nSocket, -1);
    }

    // The time limit is for the whole reply, not for each piece of it: every piece comes well
    // within the limit, the twelfth only after it.
    void replyTricklingInPastTheTimeLimitFails() {
        static_assert(11 * TStandInServer::kReplyPieceGapMs > 100, "the twelfth byte comes late");
        UseServer(100);
        server.SetMisbehaviour(TMisbehaviour::ByteByByteReply);
        QElapsedTimer t;
        t.start();
        QCOMPARE(Exchange(QStringLiteral("0103"), 18, 0), TExchangeResult::Refused);
        const qint64 ms = t.elapsed();
        QVERIFY2(ms >= 80 && ms < 2000, qPrintable(QString::number(ms)));
        QCOMPARE(nSocket, -1);
    }

    void sendingToAPeerThatClosedFailsWithoutEndingTheProgram() {
        server.SetMisbehaviour(TMisbehaviour::CloseBeforeReply);
        const TOwnSocket sock = Connect();
        QVERIFY(sock.fd > 0);
        TRequestFrame frame{};
        QCOMPARE(tcp_send(sock.fd, frame.data(), 3), 0);
        QCOMPARE(tcp_recv(sock.fd), -1);  // closed without a reply
        // The peer is gone: a send meets a reset connection, which must come back as a
        // failure rather than a signal that ends the process.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^sorvik: send")));
        int result = 0;
        errno = kStaleErrno;
        for (int i = 0; i < 10 && result == 0; ++i) result = tcp_send(sock.fd, frame.data(), 3);
        QCOMPARE(result, -1);
        QVERIFY2(errno == EPIPE || errno == ECONNRESET, std::strerror(errno));
    }

    void defaultTimeLimitsAreFiveSeconds() {
        SetLinkSettings({});
        const TLinkSettings settings = LinkSettings();
        QCOMPARE(settings.connectTimeoutMs, 5000);
        QCOMPARE(settings.recvTimeoutMs, 5000);
        QCOMPARE(settings.host, std::string(VDS_COMM_SERVER_ADDR));
        QCOMPARE(settings.port, 3500);
    }

    void hostNamesAreLookedUpWhenNotADottedQuad() {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* found = nullptr;
        if (getaddrinfo("localhost", nullptr, &hints, &found) != 0)
            QSKIP("this machine cannot look up localhost (no /etc/hosts)");
        freeaddrinfo(found);
        const TOwnSocket sock{tcp_connect("localhost", server.Port())};
        QVERIFY(sock.fd > 0);
        QTest::ignoreMessage(QtWarningMsg, "sorvik: can not assigned IP address");
        errno = kStaleErrno;
        QCOMPARE(tcp_connect("no-such-host.invalid", server.Port()), -1);
        QCOMPARE(errno, EHOSTUNREACH);
        QTest::ignoreMessage(QtWarningMsg, "sorvik: can not assigned IP address");
        QCOMPARE(tcp_connect(nullptr, server.Port()), -1);
        QCOMPARE(errno, EINVAL);
    }

    // The programs read the settings on the main thread; a test may set them from any.
    void settingsSetFromAnotherThreadAreReadWhole() {
        std::atomic<bool> done{false};
        std::thread setter([&done] {
            for (int i = 0; i < 2000; ++i)
                SetLinkSettings({i % 2 ? "localhost" : "127.0.0.1", i % 2 ? 1 : 2, 10, 10});
            done = true;
        });
        int torn = 0;
        while (!done) {
            const TLinkSettings s = LinkSettings();
            if ((s.host == "localhost") != (s.port == 1)) ++torn;
        }
        setter.join();
        QCOMPARE(torn, 0);
    }

    // --- the exchange's own connection

    void exchangeReleasesItsConnection_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<TMisbehaviour>("misbehaviour");
        QTest::addColumn<TExchangeResult>("result");
        QTest::addColumn<bool>("serverCloses");
        QTest::newRow("accepted") << QByteArray("0") << TMisbehaviour::None
                                  << TExchangeResult::Accepted << false;
        QTest::newRow("refused") << QByteArray("1") << TMisbehaviour::None
                                 << TExchangeResult::Refused << false;
        QTest::newRow("split reply")
            << QByteArray("0") << TMisbehaviour::SplitReply << TExchangeResult::Accepted << false;
        QTest::newRow("short reply, then the server closes")
            << QByteArray("0") << TMisbehaviour::ShortReply << TExchangeResult::Refused << true;
        QTest::newRow("no reply") << QByteArray("0") << TMisbehaviour::Silent
                                  << TExchangeResult::Refused << false;
    }
    void exchangeReleasesItsConnection() {
        QFETCH(QByteArray, status);
        QFETCH(TMisbehaviour, misbehaviour);
        QFETCH(TExchangeResult, result);
        QFETCH(bool, serverCloses);
        UseServer(200);
        server.SetDefaultStatus(status);
        server.SetMisbehaviour(misbehaviour);
        const int closedBefore = server.ClosedByClientCount();
        // The server runs in this process: count descriptors while it holds no connection.
        QTRY_COMPARE(server.OpenConnectionCount(), 0);
        const int fdsBefore = OpenDescriptors();
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(Exchange(QStringLiteral("0103"), 17, 0), result);
            QCOMPARE(nSocket, -1);
        }
        if (!serverCloses) QVERIFY(server.WaitForClosedByClient(closedBefore + 5, 2000));
        QTRY_COMPARE(server.OpenConnectionCount(), 0);
        QCOMPARE(OpenDescriptors(), fdsBefore);
    }

    void closeNeverTouchesDescriptorZeroOrNegatives() {
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const int savedStdin = ::dup(0);  // -1 when the test runs with stdin closed
        QCOMPARE(::dup2(pipeFds[0], 0), 0);
        errno = kStaleErrno;
        QCOMPARE(tcp_close(0), -1);
        const int zeroReason = errno;
        const bool zeroStillOpen = DescriptorOpen(0);
        errno = kStaleErrno;
        QCOMPARE(tcp_close(-1), -1);
        const int negativeReason = errno;
        if (savedStdin >= 0) {
            ::dup2(savedStdin, 0);
            ::close(savedStdin);
        } else {
            ::close(0);
        }
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        QVERIFY(zeroStillOpen);
        QCOMPARE(zeroReason, EBADF);
        QCOMPARE(negativeReason, EBADF);
    }

    void windowCloseAfterAnExchangeClosesNothingElse() {
        // The window's close handler calls tcp_close(nSocket) after the exchange closed its own
        // socket; a descriptor opened since then must survive it.
        QCOMPARE(Exchange(QStringLiteral("0103"), 12, 0), TExchangeResult::Accepted);
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        tcp_close(nSocket);
        const bool survived = DescriptorOpen(pipeFds[0]) && DescriptorOpen(pipeFds[1]);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        QVERIFY(survived);
    }

    void throwingPayloadSendsNothingAndReleases() {
        QTRY_COMPARE(server.OpenConnectionCount(), 0);
        const int fdsBefore = OpenDescriptors();
        const int connectionsBefore = server.ConnectionCount();
        bool thrown = false;
        try {
            Exchange(QStringLiteral("0103"), 14, 3,
                     [](unsigned char* frame) { frame[4] = StrToInt(QStringLiteral("12x")); });
        } catch (const EConvertError&) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(nSocket, -1);
        // Connected first, then nothing sent.
        QTRY_COMPARE(server.ConnectionCount(), connectionsBefore + 1);
        QTRY_COMPARE(server.OpenConnectionCount(), 0);
        QCOMPARE(OpenDescriptors(), fdsBefore);
        QVERIFY(server.Frames().empty());
    }

    void controllerIdThatIsNoNumberThrowsAfterConnecting() {
        const int connectionsBefore = server.ConnectionCount();
        QVERIFY_THROWS_EXCEPTION(EConvertError, Exchange(QStringLiteral("AB03"), 12, 0));
        QCOMPARE(nSocket, -1);
        QTRY_COMPARE(server.ConnectionCount(), connectionsBefore + 1);
        QTRY_COMPARE(server.OpenConnectionCount(), 0);
        QVERIFY(server.Frames().empty());
        QVERIFY_THROWS_EXCEPTION(EConvertError, Exchange(QStringLiteral("1"), 12, 0));
    }
};

VDS_TEST_MAIN(tst_Link)
#include "tst_Link.moc"
