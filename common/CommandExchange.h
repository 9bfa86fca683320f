#pragma once
// The command exchange every command routine of the control program runs: connect to the
// communication server, build the request frame for a controller, send it and read the status.
// Main thread only.

#include <QString>
#include <functional>

enum class TExchangeResult {
    Accepted,       // status 0
    Refused,        // any other status, or no whole reply within the time limit
    ConnectFailed,  // no connection; nothing was sent
};

// Writes a command's data into the zeroed 100-byte frame after its header; may throw, and
// then nothing is sent.
using TPayloadWriter = std::function<void(unsigned char* frame)>;

// nSocket: the window's socket variable. It receives the connect result and, because every
// exchange releases its own connection when it ends (also by an exception), holds -1 again
// when this returns or throws; so the window's later tcp_close(nSocket) never hits a
// descriptor that is closed or not ours.
// strAtcId: the controller id; characters 1-2 and 3-4 become frame bytes 0 and 1. They are
// converted after the connection is made, and a non-number raises EConvertError.
TExchangeResult RunCommandExchange(int& nSocket, const QString& strAtcId, int opcode, int index,
                                   const TPayloadWriter& payload = {});
