#include "Link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

Q_LOGGING_CATEGORY(lcLink, "vds.link")

const TMsgLen MsgLenTable[kOpcodeCount] = {
    {0, 0},  {1, 12}, {2, 0},  {3, 0},   {4, 3},  {5, 3},  {6, 3},  {7, 4},
    {8, 4},  {9, 3},  {10, 4}, {11, 3},  {12, 3}, {13, 3}, {14, 4}, {15, 4},
    {16, 0}, {17, 3}, {18, 3}, {19, 13}, {20, 5}, {21, 3},
};

const std::int32_t ParamLenTable[kParamIndexCount] = {0, 4, 32, 1, 2,  12, 3, 0, 0, 0, 0,
                                                      0, 1, 1,  1, 69, 6,  1, 0, 0, 1};

namespace {

std::mutex g_settingsMutex;
TLinkSettings g_settings;
std::atomic<TLinkWait> g_wait{nullptr};

// Leaves errno as it found it: a failing routine logs before it returns its reason.
void link_debug(const char* format, ...) {
    const int saved = errno;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // The logger ends the line itself.
    const size_t n = std::strlen(text);
    if (n > 0 && text[n - 1] == '\n') text[n - 1] = '\0';
    qCWarning(lcLink, "%s", text);
    errno = saved;
}

using Clock = std::chrono::steady_clock;

// poll() until one of events, the deadline or an error; EINTR resumes with the time left.
// 1 when ready, 0 on time-out (errno ETIMEDOUT), -1 on error.
int poll_until(int sock, short events, Clock::time_point deadline) {
    const TLinkWait set = g_wait.load();
    const TLinkWait wait = set ? set : &link_poll;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int r = wait(sock, events, left > 0 ? static_cast<int>(left) : 0);
    if (r == 0) errno = ETIMEDOUT;
    return r > 0 ? 1 : r;
}

Clock::time_point deadline_in(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

bool set_blocking(int sock, bool blocking) {
    const int flags = ::fcntl(sock, F_GETFL, 0);
    if (flags < 0) return false;
    return ::fcntl(sock, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

// false with errno set when host is missing or cannot be looked up.
bool resolve_ipv4(const char* host, in_addr* out) {
    if (!host) {
        errno = EINVAL;
        return false;
    }
    const in_addr_t quad = ::inet_addr(host);
    if (quad != INADDR_NONE) {
        out->s_addr = quad;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    const int found = ::getaddrinfo(host, nullptr, &hints, &answer);
    if (found != 0 || !answer) {
        // The resolver's own codes are no errno; only a failed system call left one.
        if (found != EAI_SYSTEM || errno == 0) errno = EHOSTUNREACH;
        return false;
    }
    *out = reinterpret_cast<sockaddr_in*>(answer->ai_addr)->sin_addr;
    ::freeaddrinfo(answer);
    return true;
}

void close_keeping_errno(int sock) {
    const int saved = errno;
    ::close(sock);
    errno = saved;
}

}  // namespace

TLinkSettings LinkSettings() {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    return g_settings;
}

void SetLinkSettings(const TLinkSettings& settings) {
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_settings = settings;
}

int link_poll(int fd, short events, int milliseconds) {
    const auto deadline = deadline_in(std::max(milliseconds, 0));
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (r == 0) errno = ETIMEDOUT;
        if (r >= 0 || errno != EINTR) return r;
    }
}

void SetLinkWait(TLinkWait wait) {
    g_wait = wait;
}

void set_frame_header(unsigned char* frame, unsigned char opcode, unsigned char id0,
                      unsigned char id1, unsigned char index) {
    frame[kFrameIdByte0] = id0;
    frame[kFrameIdByte1] = id1;
    frame[kFrameOpcode] = opcode;
    if (index != 0) frame[kFrameIndex] = index;
}

namespace {
// A byte of the frame, a start bit within it and a width of at most its 8 bits.
bool frame_bits_valid(int byteIndex, int shift, int width) {
    return byteIndex >= 0 && byteIndex < kRequestFrameSize && shift >= 0 && shift < 8 &&
           width >= 0 && width <= 8;
}
}  // namespace

int set_frame_bits(unsigned char* frame, int byteIndex, int shift, int width, unsigned value) {
    if (!frame_bits_valid(byteIndex, shift, width)) {
        errno = EINVAL;
        return -1;
    }
    const unsigned mask = ((1u << width) - 1u) << shift;
    frame[byteIndex] = static_cast<unsigned char>((frame[byteIndex] & ~mask) | (value << shift));
    return 0;
}

unsigned get_frame_bits(const unsigned char* frame, int byteIndex, int shift, int width) {
    if (!frame_bits_valid(byteIndex, shift, width)) {
        errno = EINVAL;
        return 0;
    }
    return (static_cast<unsigned>(frame[byteIndex]) >> shift) & ((1u << width) - 1u);
}

int set_length_field(char* field, int length) {
    if (length < 0) {
        errno = EINVAL;
        return -1;
    }
    std::memset(field, 0, kLengthFieldSize);
    // Digits least significant first, then turned round; the NUL stays behind them.
    int digits = 0;
    int number = length;
    do {
        field[digits++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    field[digits] = '\0';
    for (int i = 0, j = digits - 1; i < j; ++i, --j) std::swap(field[i], field[j]);
    return 0;
}

int request_length(const unsigned char* frame, int opcode) {
    if (opcode < 0 || opcode >= kOpcodeCount) return -1;
    int length = MsgLenTable[opcode].requestLength;
    if (opcode == opDownload) {
        const unsigned index = get_frame_bits(frame, kFrameIndex, 0, 8);
        // The table stops at 20; a larger index has no known length to send.
        if (index >= static_cast<unsigned>(kParamIndexCount)) return -1;
        length += ParamLenTable[index];
    }
    return length;
}

int tcp_open() {
    return 0;
}

int tcp_connect(const char* host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (!resolve_ipv4(host, &address.sin_addr)) {
        link_debug("sorvik: can not assigned IP address\n");
        return -1;
    }

    int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0) {
        link_debug("sorvik: can't open stream socket\n");
        return -1;
    }
    // A window's socket variable starts at 0 and 0 is never closed; keep clear of 0-2 so a
    // program started with its standard streams closed still gets a closable socket.
    if (sock <= 2) {
        const int moved = ::fcntl(sock, F_DUPFD_CLOEXEC, 3);
        close_keeping_errno(sock);
        if (moved < 0) {
            link_debug("sorvik: can't open stream socket\n");
            return -1;
        }
        sock = moved;
    }

    bool connected = false;
    if (set_blocking(sock, false)) {
        if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            const int timeoutMs = LinkSettings().connectTimeoutMs;
            if (poll_until(sock, POLLOUT, deadline_in(timeoutMs)) == 1) {
                int error = 0;
                socklen_t size = sizeof error;
                if (::getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
                    connected = true;
                else if (error != 0)
                    errno = error;
            }
        }
    }
    if (!connected || !set_blocking(sock, true)) {
        link_debug("sorvik: connect() error ip: [%s] port: [%d]\n", host, port);
        close_keeping_errno(sock);
        return -1;
    }
    return sock;
}

namespace {

// send() until all of data went out or it fails: what went out, and errno set when less.
int send_all(int sock, const void* data, int size) {
    const char* bytes = static_cast<const char*>(data);
    int sent = 0;
    while (sent < size) {
        const ssize_t n =
            ::send(sock, bytes + sent, static_cast<size_t>(size - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) break;
        sent += static_cast<int>(n);
    }
    return sent;
}

// tcp_send without its log line.
int send_request(int sock, const unsigned char* frame, int length) {
    char field[kLengthFieldSize];
    if (set_length_field(field, length) != 0) return -1;
    ssize_t n;
    do {
        n = ::send(sock, field, kLengthFieldSize, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n >= 0 && n != kLengthFieldSize) errno = EIO;
    if (n != kLengthFieldSize) return -1;
    const int sent = send_all(sock, frame, length);
    if (sent == length) return 0;
    return sent > 0 ? -sent : -1;
}

}  // namespace

int tcp_send(int sock, const unsigned char* frame, int length) {
    const int result = send_request(sock, frame, length);
    if (result != 0)
        link_debug("sorvik: send() error socket: [%d] length: [%d] reason: [%s]\n", sock, length,
                   std::strerror(errno));
    return result;
}

bool status_accepted(const char* reply) {
    for (int i = 0; i < kStatusReplySize; ++i) {
        const char c = reply[i];
        if (c < '0' || c > '9') return true;
        if (c != '0') return false;
    }
    return true;
}

int tcp_recv(int sock) {
    // TCP may hand the reply over in pieces; the time limit is for the whole of it.
    const auto deadline = deadline_in(LinkSettings().recvTimeoutMs);
    char reply[kStatusReplySize];
    int got = 0;
    while (got < kStatusReplySize) {
        if (poll_until(sock, POLLIN, deadline) != 1) return -1;
        const ssize_t n = ::recv(sock, reply + got, static_cast<size_t>(kStatusReplySize - got), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ECONNRESET;  // closed before the whole reply
        if (n <= 0) return -1;
        got += static_cast<int>(n);
    }
    if (status_accepted(reply)) return 0;
    errno = EREMOTEIO;
    return -1;
}

int tcp_close(int sock) {
    if (sock <= 0) {
        errno = EBADF;
        return -1;
    }
    const int shut = ::shutdown(sock, SHUT_RDWR);
    const int closed = ::close(sock);
    return shut == 0 && closed == 0 ? 0 : -1;
}
