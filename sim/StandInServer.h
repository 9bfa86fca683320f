#pragma once
// A stand-in for the centre's communication server. Each connection carries a 12-byte length
// field (decimal digits up to a NUL), that many frame bytes, and gets a 12-byte status back.
// The server runs on a thread of its own with plain sockets, so a client that blocks the main
// thread can talk to it. Any thread may call its operations; a frame handler may not replace
// itself.

#include <QByteArray>
#include <QHash>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Wire.h"

struct TReceivedFrame {
    QByteArray lengthField;  // the 12 bytes as received
    QByteArray frame;        // the frame bytes the length field announced
    int Opcode() const { return frame.size() > 2 ? static_cast<unsigned char>(frame[2]) : -1; }
};

enum class TMisbehaviour {
    None,              // answer the status
    Refuse,            // nothing listens on the port: connections are refused
    Silent,            // read the request and never answer (the connection stays open)
    ShortReply,        // answer only the first 11 bytes of the status, then close
    CloseEarly,        // read the length field, then close without reading the frame
    CloseBeforeReply,  // read the request, then close without answering
    SplitReply,        // answer the status in two halves, kReplyPieceGapMs apart
    ByteByByteReply    // answer the status one byte at a time, kReplyPieceGapMs apart
};

class TStandInServer {
public:
    static constexpr int kStatusSize = kStatusReplySize;
    // Between the pieces of a split reply: long enough for each to arrive as a segment of its own.
    static constexpr int kReplyPieceGapMs = 20;
    static const QByteArray kAccepted;  // "000000000000"

    TStandInServer();
    ~TStandInServer();
    Q_DISABLE_COPY(TStandInServer)

    // Listens on address:port (port 0: the system picks a free one) before it returns, so a
    // client may connect at once. false with the reason in Error() when that fails.
    bool Start(const std::string& address = "127.0.0.1", int port = 0);
    void Stop();
    bool Running() const;
    int Port() const { return m_port; }
    std::string Error() const;

    // The 12-byte status answered for an opcode; other opcodes get the default. A shorter text
    // is filled up with NUL bytes, a longer one is cut.
    void SetStatus(int opcode, const QByteArray& status);
    void SetDefaultStatus(const QByteArray& status);
    void ClearStatuses();
    QByteArray StatusFor(int opcode) const;

    // Takes effect for connections accepted from now on; Refuse has closed the listening socket
    // when this returns, and leaving it listens again on the same port.
    void SetMisbehaviour(TMisbehaviour m);

    // Runs on the server thread for each whole request, before the reply; accepted tells
    // whether the status about to be sent counts as accepted.
    using TFrameHandler = std::function<void(const TReceivedFrame& request, bool accepted)>;
    // Replaces the handler (null for none). Returns once no call of the one it replaces is
    // running, so what that one uses may go; not from inside a handler.
    void SetOnFrame(TFrameHandler handler);

    std::vector<TReceivedFrame> Frames() const;
    void ClearFrames();
    // Waits until at least n requests have been received, at most timeoutMs.
    bool WaitForFrames(int n, int timeoutMs) const;
    // Connections accepted, and connections that the client closed after its whole request
    // (answered or not).
    int ConnectionCount() const;
    // Connections the server holds open now.
    int OpenConnectionCount() const;
    int ClosedByClientCount() const;
    bool WaitForClosedByClient(int n, int timeoutMs) const;

private:
    struct TConnection;
    void Run();
    bool OpenListener(std::string* error);
    void CloseListener();
    void Wake();
    // true while the connection stays open.
    bool Serve(TConnection& c);
    // Sends the next piece of a reply that is due; true while the connection stays open.
    bool SendDue(TConnection& c);

    std::string m_address;
    int m_port = 0;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    bool m_running = false;
    std::string m_error;
    TMisbehaviour m_misbehaviour = TMisbehaviour::None;
    bool m_listenerWanted = true;
    bool m_listenerOpen = false;
    QHash<int, QByteArray> m_statuses;
    QByteArray m_defaultStatus;
    std::vector<TReceivedFrame> m_frames;
    TFrameHandler m_onFrame;
    bool m_inHandler = false;
    int m_connections = 0;
    int m_openConnections = 0;
    int m_closedByClient = 0;
};
