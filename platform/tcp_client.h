// One TCP connection to a network printer, for asking it for its state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error_code.h"

namespace tq::platform {

// A wait that ended: done, out of time, or failed with `call.error`.
struct TcpWait {
    CallResult call;
    bool timedOut = false;
};

struct TcpReceived {
    std::vector<std::uint8_t> bytes;  // empty after a wait that ended without data
    TcpWait wait;
    bool closed = false;  // the other side closed the connection
};

class TcpClient {
public:
    virtual ~TcpClient() = default;

    // Resolves `host` (an IPv4 address or a name) and connects, waiting at
    // most `timeoutMs`. A name that does not resolve fails with the resolver's
    // error (WSAHOST_NOT_FOUND), a refused connection with WSAECONNREFUSED.
    virtual TcpWait Connect(const std::string& host, std::uint16_t port, unsigned timeoutMs) = 0;

    // Sends all of `bytes` on the connection.
    virtual CallResult Send(const std::vector<std::uint8_t>& bytes) = 0;

    // Waits at most `timeoutMs` for data and returns what came (up to `maxBytes`).
    virtual TcpReceived Receive(std::size_t maxBytes, unsigned timeoutMs) = 0;

    // Closes the connection (nothing when there is none).
    virtual void Close() = 0;
};

// The machine's TCP client (Winsock); nullptr where there is none.
std::unique_ptr<TcpClient> SystemTcpClient();

}  // namespace tq::platform
