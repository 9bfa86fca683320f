// The status reply: status_accepted on any 12 bytes against the digit rule written out once more,
// and tcp_recv on a reply that arrives in the pieces the input gives and is then closed.
//
// Input: byte 0 holds the piece length (1-12), the rest is what the server sends.

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "Link.h"

namespace {

// The leading run of ASCII digits, at most all 12 bytes; accepted when it is empty or all '0'.
bool DigitRuleAccepts(const std::uint8_t* reply) {
    for (int i = 0; i < kStatusReplySize; ++i) {
        if (reply[i] < '0' || reply[i] > '9') return true;
        if (reply[i] != '0') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = 1 + data[0] % kStatusReplySize;
    const std::uint8_t* reply = data + 1;
    // More than a socket buffer would hold has nothing new to tell.
    const std::size_t length = std::min<std::size_t>(size - 1, 64);

    if (length >= static_cast<std::size_t>(kStatusReplySize))
        FUZZ_CHECK(status_accepted(reinterpret_cast<const char*>(reply)) ==
                   DigitRuleAccepts(reply));

    int pair[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
    for (std::size_t sent = 0; sent < length; sent += piece) {
        const std::size_t n = std::min(piece, length - sent);
        FUZZ_CHECK(::send(pair[1], reply + sent, n, MSG_NOSIGNAL) == static_cast<ssize_t>(n));
    }
    ::shutdown(pair[1], SHUT_WR);
    SetLinkSettings({kCommServerAddress, kCommServerPort, 1000, 1000});
    const int expected =
        length >= static_cast<std::size_t>(kStatusReplySize) && DigitRuleAccepts(reply) ? 0 : -1;
    FUZZ_CHECK(tcp_recv(pair[0]) == expected);
    ::close(pair[0]);
    ::close(pair[1]);
    return 0;
}
