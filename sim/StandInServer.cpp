#include "StandInServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

const QByteArray TStandInServer::kAccepted("000000000000");

namespace {

using Clock = std::chrono::steady_clock;

// Longer than any request a client may send; a bigger announcement is not a request.
constexpr int kMaxFrameSize = 4096;

QByteArray FitStatus(const QByteArray& status) {
    QByteArray s = status.left(TStandInServer::kStatusSize);
    s.append(QByteArray(TStandInServer::kStatusSize - s.size(), '\0'));
    return s;
}

bool Accepted(const QByteArray& status) {
    for (char c : status) {
        if (c < '0' || c > '9') return true;
        if (c != '0') return false;
    }
    return true;
}

// The digits before the NUL; -1 when there are none or something else stands there.
int ParseLengthField(const QByteArray& field) {
    int value = 0;
    int digits = 0;
    for (char c : field) {
        if (c == '\0') break;
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
        if (value > kMaxFrameSize) return -1;
        ++digits;
    }
    return digits > 0 ? value : -1;
}

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

struct TStandInServer::TConnection {
    enum class TPhase { Length, Frame, Answered, Holding };
    int fd = -1;
    TMisbehaviour mode = TMisbehaviour::None;
    TPhase phase = TPhase::Length;
    QByteArray lengthField;
    QByteArray frame;
    int expected = 0;
    // The reply, or what is left of it, sent piece by piece.
    QByteArray pending;
    int pieceSize = TStandInServer::kStatusSize;
    bool closeAfterReply = false;
    Clock::time_point nextPieceAt;
};

TStandInServer::TStandInServer() : m_defaultStatus(kAccepted) {}

TStandInServer::~TStandInServer() {
    Stop();
}

bool TStandInServer::Start(const std::string& address, int port) {
    Stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_address = address;
    m_port = port;
    m_error.clear();
    m_stopping = false;
    m_listenerWanted = m_misbehaviour != TMisbehaviour::Refuse;
    if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_error = ErrnoText("pipe");
        return false;
    }
    std::string error;
    if (!OpenListener(&error)) {
        m_error = error;
        ::close(m_wakePipe[0]);
        ::close(m_wakePipe[1]);
        m_wakePipe[0] = m_wakePipe[1] = -1;
        return false;
    }
    if (!m_listenerWanted) CloseListener();
    m_running = true;
    m_thread = std::thread(&TStandInServer::Run, this);
    return true;
}

void TStandInServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running) return;
        m_stopping = true;
    }
    Wake();
    m_thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseListener();
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
    m_wakePipe[0] = m_wakePipe[1] = -1;
    m_running = false;
    m_changed.notify_all();
}

bool TStandInServer::Running() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

std::string TStandInServer::Error() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

void TStandInServer::SetStatus(int opcode, const QByteArray& status) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_statuses.insert(opcode, FitStatus(status));
}

void TStandInServer::SetDefaultStatus(const QByteArray& status) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_defaultStatus = FitStatus(status);
}

void TStandInServer::ClearStatuses() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_statuses.clear();
    m_defaultStatus = kAccepted;
}

QByteArray TStandInServer::StatusFor(int opcode) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_statuses.value(opcode, m_defaultStatus);
}

void TStandInServer::SetMisbehaviour(TMisbehaviour m) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_misbehaviour = m;
    m_listenerWanted = m != TMisbehaviour::Refuse;
    if (!m_running) return;
    lock.unlock();
    Wake();
    lock.lock();
    m_changed.wait(lock, [this] {
        return !m_running || m_listenerOpen == m_listenerWanted || !m_error.empty();
    });
}

void TStandInServer::SetOnFrame(TFrameHandler handler) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_inHandler; });
    m_onFrame = std::move(handler);
}

std::vector<TReceivedFrame> TStandInServer::Frames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

void TStandInServer::ClearFrames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames.clear();
}

bool TStandInServer::WaitForFrames(int n, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return static_cast<int>(m_frames.size()) >= n; });
}

int TStandInServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}

int TStandInServer::OpenConnectionCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_openConnections;
}

int TStandInServer::ClosedByClientCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closedByClient;
}

bool TStandInServer::WaitForClosedByClient(int n, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_closedByClient >= n; });
}

// Called with m_mutex held, or before the thread runs.
bool TStandInServer::OpenListener(std::string* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = ErrnoText("socket");
        return false;
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(m_port));
    if (::inet_pton(AF_INET, m_address.c_str(), &a.sin_addr) != 1) {
        *error = "not an IPv4 address: " + m_address;
        ::close(fd);
        return false;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
        *error = ErrnoText("bind/listen");
        ::close(fd);
        return false;
    }
    socklen_t size = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    m_port = ntohs(a.sin_port);
    m_listenFd = fd;
    m_listenerOpen = true;
    return true;
}

void TStandInServer::CloseListener() {
    if (m_listenFd >= 0) ::close(m_listenFd);
    m_listenFd = -1;
    m_listenerOpen = false;
}

void TStandInServer::Wake() {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakePipe[1], &c, 1);
}

void TStandInServer::Run() {
    std::vector<TConnection> connections;
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({m_wakePipe[0], POLLIN, 0});
        int listenFd;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            listenFd = m_listenFd;
        }
        if (listenFd >= 0) fds.push_back({listenFd, POLLIN, 0});
        const size_t firstConnection = fds.size();
        const size_t polledConnections = connections.size();
        for (const TConnection& c : connections) fds.push_back({c.fd, POLLIN, 0});
        // Wake for the next piece of a reply that is being sent in pieces.
        int timeoutMs = -1;
        for (const TConnection& c : connections) {
            if (c.pending.isEmpty()) continue;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(c.nextPieceAt - Clock::now());
            const int ms = std::max(0, static_cast<int>(left.count()) + 1);
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        }

        if (::poll(fds.data(), fds.size(), timeoutMs) < 0) {
            if (errno == EINTR) continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_error = ErrnoText("poll");
            break;
        }

        if (fds[0].revents) {
            char drain[64];
            while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping) break;
            if (m_listenerWanted && !m_listenerOpen) {
                std::string error;
                if (!OpenListener(&error)) m_error = error;
            } else if (!m_listenerWanted && m_listenerOpen) {
                CloseListener();
            }
            m_changed.notify_all();
            continue;  // the poll set may be stale
        }

        if (listenFd >= 0 && fds[1].revents) {
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                // Each piece of a split reply goes out as its own segment.
                const int yes = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                TConnection c;
                c.fd = fd;
                std::lock_guard<std::mutex> lock(m_mutex);
                c.mode = m_misbehaviour;
                ++m_connections;
                connections.push_back(c);
                m_changed.notify_all();
            }
        }

        std::vector<TConnection> kept;
        for (size_t i = 0; i < connections.size(); ++i) {
            TConnection& c = connections[i];
            // One accepted in this round was not polled yet.
            const bool ready = i < polledConnections && fds[firstConnection + i].revents != 0;
            if ((!ready || Serve(c)) && SendDue(c))
                kept.push_back(c);
            else
                ::close(c.fd);
        }
        connections.swap(kept);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openConnections = static_cast<int>(connections.size());
    }
    for (const TConnection& c : connections) ::close(c.fd);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openConnections = 0;
}

bool TStandInServer::Serve(TConnection& c) {
    using P = TConnection::TPhase;
    char buffer[512];
    int want = sizeof buffer;
    if (c.phase == P::Length) want = kStatusSize - c.lengthField.size();
    if (c.phase == P::Frame) want = c.expected - c.frame.size();
    const ssize_t n = ::recv(c.fd, buffer, static_cast<size_t>(want), 0);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) {
        if (c.phase == P::Answered || c.phase == P::Holding) {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_closedByClient;
            m_changed.notify_all();
        }
        return false;
    }

    switch (c.phase) {
        case P::Answered:
        case P::Holding:
            return true;  // anything after the request means nothing
        case P::Length:
            c.lengthField.append(buffer, static_cast<int>(n));
            if (c.lengthField.size() < kStatusSize) return true;
            c.expected = ParseLengthField(c.lengthField);
            if (c.expected < 0 || c.mode == TMisbehaviour::CloseEarly) return false;
            c.phase = P::Frame;
            if (c.expected > 0) return true;
            break;
        case P::Frame:
            c.frame.append(buffer, static_cast<int>(n));
            if (c.frame.size() < c.expected) return true;
            break;
    }

    TReceivedFrame request{c.lengthField, c.frame};
    const QByteArray status = StatusFor(request.Opcode());
    TFrameHandler onFrame;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(request);
        onFrame = m_onFrame;
        m_inHandler = static_cast<bool>(onFrame);
        m_changed.notify_all();
    }
    if (onFrame) {
        // Called outside the lock: the handler may ask the server for its frames.
        onFrame(request, Accepted(status));
        onFrame = nullptr;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_inHandler = false;
        m_changed.notify_all();
    }

    switch (c.mode) {
        case TMisbehaviour::Silent:
            c.phase = P::Holding;
            return true;
        case TMisbehaviour::CloseBeforeReply:
            return false;
        default:
            break;
    }
    c.pending = c.mode == TMisbehaviour::ShortReply ? status.left(kStatusSize - 1) : status;
    c.closeAfterReply = c.mode == TMisbehaviour::ShortReply;
    if (c.mode == TMisbehaviour::SplitReply) c.pieceSize = kStatusSize / 2;
    if (c.mode == TMisbehaviour::ByteByByteReply) c.pieceSize = 1;
    c.nextPieceAt = Clock::now();
    c.phase = P::Answered;
    return true;
}

bool TStandInServer::SendDue(TConnection& c) {
    if (c.pending.isEmpty() || Clock::now() < c.nextPieceAt) return true;
    const int n = std::min(c.pieceSize, static_cast<int>(c.pending.size()));
    ::send(c.fd, c.pending.constData(), static_cast<size_t>(n), MSG_NOSIGNAL);
    c.pending.remove(0, n);
    c.nextPieceAt = Clock::now() + std::chrono::milliseconds(kReplyPieceGapMs);
    return !(c.pending.isEmpty() && c.closeAfterReply);
}
