#include "CommandExchange.h"

#include "Check.h"
#include "Convert.h"
#include "Link.h"

namespace {

// Closes the exchange's own connection on every way out of it.
class TConnectionRelease {
public:
    explicit TConnectionRelease(int& sock) : m_sock(sock) {}
    ~TConnectionRelease() {
        tcp_close(m_sock);
        m_sock = -1;
    }
    Q_DISABLE_COPY(TConnectionRelease)

private:
    int& m_sock;
};

}  // namespace

TExchangeResult RunCommandExchange(int& nSocket, const QString& strAtcId, int opcode, int index,
                                   const TPayloadWriter& payload) {
    tcp_open();
    const TLinkSettings settings = LinkSettings();
    nSocket = tcp_connect(settings.host.c_str(), settings.port);
    if (nSocket == -1) return TExchangeResult::ConnectFailed;
    TConnectionRelease release(nSocket);

    const int id0 = StrToInt(strAtcId.mid(0, 2));
    const int id1 = StrToInt(strAtcId.mid(2, 2));

    TRequestFrame frame{};
    set_frame_header(frame.data(), static_cast<unsigned char>(opcode),
                     static_cast<unsigned char>(id0), static_cast<unsigned char>(id1),
                     static_cast<unsigned char>(index));
    if (payload) payload(frame.data());

    const int length = request_length(frame.data(), opcode);
    VDS_CHECK(length >= 0);
    // Left unread: the status read decides, and a failed send is in the link's log.
    tcp_send(nSocket, frame.data(), length);
    return tcp_recv(nSocket) == 0 ? TExchangeResult::Accepted : TExchangeResult::Refused;
}
