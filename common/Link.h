#pragma once
// The controller command link: the wire format to the communication server and the socket
// routines that carry one command over a new TCP connection. Main thread only (the settings and
// the wait may be read and set from any thread).
//
// On the wire: a 12-byte length field (the request length as decimal digits and a NUL), the
// first request-length bytes of the 100-byte request frame, then a 12-byte status from the
// server. The routines return 0 on success and a negative value on failure (tcp_connect: the
// socket or -1), with the reason in errno; their diagnostics go to the "vds.link" logging
// category, never to a window.

#include <array>
#include <cstdint>
#include <string>

#include "Wire.h"

using TRequestFrame = std::array<unsigned char, kRequestFrameSize>;

struct TMsgLen {
    std::int32_t opcode;
    std::int32_t requestLength;
};

constexpr int kOpcodeCount = 22;
constexpr int kParamIndexCount = 21;
extern const TMsgLen MsgLenTable[kOpcodeCount];
// Data bytes after byte 3 in a parameter download, by parameter index.
extern const std::int32_t ParamLenTable[kParamIndexCount];

// The communication server. Only a build moves it (VDS_COMM_SERVER_ADDR).
constexpr const char* kCommServerAddress = VDS_COMM_SERVER_ADDR;
constexpr int kCommServerPort = 3500;

// Time limits of connect and of the status read, in milliseconds.
constexpr int kDefaultConnectTimeoutMs = 5000;
constexpr int kDefaultRecvTimeoutMs = 5000;

// Where the command exchange connects, and the link's time limits. The programs keep the
// defaults; tests point the link at a server of their own and shorten the limits.
struct TLinkSettings {
    std::string host = kCommServerAddress;
    int port = kCommServerPort;
    int connectTimeoutMs = kDefaultConnectTimeoutMs;
    int recvTimeoutMs = kDefaultRecvTimeoutMs;
};
TLinkSettings LinkSettings();
void SetLinkSettings(const TLinkSettings& settings);

// How the link waits for its socket to be ready: poll()'s answer for one descriptor within
// milliseconds (1 ready, 0 time out, -1 error with errno). The programs set BusyPoll (UiHooks.h),
// so the windows stay painted while the server is slow; null, the default, is a plain poll().
// Kept beside the settings: a test that sets its own keeps the program's wait.
using TLinkWait = int (*)(int fd, short events, int milliseconds);
void SetLinkWait(TLinkWait wait);
// The plain wait: poll() on fd for events within milliseconds, resumed with the time left after
// a signal. 1 ready, 0 time out (errno ETIMEDOUT), -1 error (errno). Any thread.
int link_poll(int fd, short events, int milliseconds);

// Frame builders on a caller's buffer of kRequestFrameSize bytes.
// Byte 3 is written only for a non-zero index.
void set_frame_header(unsigned char* frame, unsigned char opcode, unsigned char id0,
                      unsigned char id1, unsigned char index);
// Clears width bits at shift, then ORs in value << shift unmasked: value bits above width land
// in the higher bits of the byte, bits past bit 7 are lost. 0; -1 (errno EINVAL), the frame
// untouched, for a byte outside the frame, a shift outside 0-7 or a width outside 0-8.
int set_frame_bits(unsigned char* frame, int byteIndex, int shift, int width, unsigned value);
// The width bits at shift; 0 (errno EINVAL) for arguments set_frame_bits refuses.
unsigned get_frame_bits(const unsigned char* frame, int byteIndex, int shift, int width);
// The 12-byte length field for length: its decimal digits, a NUL, zeros. 0; -1 (errno EINVAL)
// for a negative length.
int set_length_field(char* field, int length);

// The opcode's request length, plus the parameter's data bytes (index = frame byte 3) for a
// download. -1 for an opcode or a download index outside the tables.
int request_length(const unsigned char* frame, int opcode);

// Nothing to start with POSIX sockets; always 0.
int tcp_open();
// host: dotted quad, or a name looked up only when it is not one. Connects within the settings'
// connectTimeoutMs. The socket, or -1 with nothing left open and errno EINVAL (no host),
// EHOSTUNREACH (a name that cannot be looked up), ETIMEDOUT, or connect()'s own reason.
int tcp_connect(const char* host, int port);
// Length field, then the first length bytes of frame. 0 when all went out; -1 when the length
// field did not; minus the frame bytes already sent when the frame stopped part way. A failure
// has errno EINVAL (negative length), EIO (the socket took less and said nothing), or send()'s
// own reason, and is written to the debug log.
int tcp_send(int sock, const unsigned char* frame, int length);
// Reads the 12-byte status, in as many pieces as it comes, within the settings' recvTimeoutMs for
// all of it: 0 when accepted; -1 when refused (errno EREMOTEIO), or when the peer closed
// (ECONNRESET), the time ran out (ETIMEDOUT) or the socket failed (its own reason) before the
// twelfth byte.
int tcp_recv(int sock);
// Shuts down and closes sock; -1 with shutdown()'s or close()'s reason when either fails. 0 and
// negative values are no socket of ours: -1 (errno EBADF), nothing closed.
int tcp_close(int sock);

// The status that a 12-byte reply stands for: true when its leading run of digits is empty or
// all '0'.
bool status_accepted(const char* reply);
