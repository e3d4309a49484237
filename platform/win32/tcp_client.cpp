// The TCP client through Winsock (ws2_32.dll), loaded from the system
// directory at run time like the spooler, so that the exe imports nothing but
// the DLLs every Windows loads from there.
#include "platform/tcp_client.h"

#include <winsock2.h>

#include "platform/win32/system_library.h"

namespace tq::platform {
namespace {

struct Winsock {
    HMODULE module = nullptr;
    DWORD loadError = ERROR_SUCCESS;
    decltype(&::WSAStartup) startup = nullptr;
    decltype(&::WSAGetLastError) lastError = nullptr;
    decltype(&::socket) socket = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::recv) recv = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    decltype(&::ioctlsocket) ioctlsocket = nullptr;
    decltype(&::getsockopt) getsockopt = nullptr;
    decltype(&::gethostbyname) gethostbyname = nullptr;
    decltype(&::inet_addr) inet_addr = nullptr;
    int startError = 0;  // WSAStartup's answer
};

template <class Fn>
void Find(HMODULE module, const char* name, Fn& fn, bool& complete) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!fn) complete = false;
}

const Winsock& LoadWinsock() {
    static const Winsock loaded = [] {
        Winsock w;
        w.module = win32::LoadSystemLibrary(L"ws2_32.dll");
        if (!w.module) {
            w.loadError = GetLastError();
            return w;
        }
        bool complete = true;
        Find(w.module, "WSAStartup", w.startup, complete);
        Find(w.module, "WSAGetLastError", w.lastError, complete);
        Find(w.module, "socket", w.socket, complete);
        Find(w.module, "connect", w.connect, complete);
        Find(w.module, "select", w.select, complete);
        Find(w.module, "send", w.send, complete);
        Find(w.module, "recv", w.recv, complete);
        Find(w.module, "closesocket", w.closesocket, complete);
        Find(w.module, "ioctlsocket", w.ioctlsocket, complete);
        Find(w.module, "getsockopt", w.getsockopt, complete);
        Find(w.module, "gethostbyname", w.gethostbyname, complete);
        Find(w.module, "inet_addr", w.inet_addr, complete);
        if (!complete) {
            w.loadError = ERROR_PROC_NOT_FOUND;
            w.module = nullptr;
            return w;
        }
        WSADATA data;
        w.startError = w.startup(MAKEWORD(2, 2), &data);
        return w;
    }();
    return loaded;
}

timeval Timeval(unsigned ms) {
    timeval tv;
    tv.tv_sec = static_cast<long>(ms / 1000);
    tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return tv;
}

class WinsockClient final : public TcpClient {
public:
    ~WinsockClient() override { Close(); }

    TcpWait Connect(const std::string& host, std::uint16_t port, unsigned timeoutMs) override {
        Close();
        const Winsock& w = LoadWinsock();
        if (!w.module) return {CallResult::Failure(w.loadError ? w.loadError : ERROR_MOD_NOT_FOUND), false};
        if (w.startError) return {CallResult::Failure(static_cast<ErrorCode>(w.startError)), false};

        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = static_cast<u_short>(((port & 0xFF) << 8) | (port >> 8));  // network byte order
        unsigned long ip = w.inet_addr(host.c_str());
        if (ip == INADDR_NONE) {
            const hostent* found = w.gethostbyname(host.c_str());
            if (!found || found->h_addrtype != AF_INET || !found->h_addr_list || !found->h_addr_list[0]) {
                return {Failure(), false};
            }
            CopyMemory(&ip, found->h_addr_list[0], sizeof ip);
        }
        address.sin_addr.s_addr = ip;

        socket_ = w.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET) return {Failure(), false};
        u_long nonBlocking = 1;
        if (w.ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0) return {Failure(), false};
        if (w.connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return {CallResult::Success(), false};
        }
        const int error = w.lastError();
        if (error != WSAEWOULDBLOCK) return {CallResult::Failure(static_cast<ErrorCode>(error)), false};

        // Connected when the socket turns writable; refused when it turns up
        // in the exception set.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_, &writable);
        FD_SET(socket_, &failed);
        timeval tv = Timeval(timeoutMs);
        const int ready = w.select(0, nullptr, &writable, &failed, &tv);
        if (ready == SOCKET_ERROR) return {Failure(), false};
        if (ready == 0) return {CallResult::Failure(WSAETIMEDOUT), true};
        int socketError = 0;
        int size = sizeof socketError;
        if (w.getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&socketError), &size) != 0) {
            return {Failure(), false};
        }
        if (socketError != 0 || failed.fd_count > 0) {
            return {CallResult::Failure(static_cast<ErrorCode>(socketError ? socketError : WSAECONNREFUSED)), false};
        }
        return {CallResult::Success(), false};
    }

    CallResult Send(const std::vector<std::uint8_t>& bytes) override {
        const Winsock& w = LoadWinsock();
        if (socket_ == INVALID_SOCKET) return CallResult::Failure(WSAENOTCONN);
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = w.send(socket_, reinterpret_cast<const char*>(bytes.data() + sent),
                                 static_cast<int>(bytes.size() - sent), 0);
            if (n == SOCKET_ERROR) {
                const int error = w.lastError();
                if (error != WSAEWOULDBLOCK) return CallResult::Failure(static_cast<ErrorCode>(error));
                fd_set writable;
                FD_ZERO(&writable);
                FD_SET(socket_, &writable);
                timeval tv = Timeval(1000);
                if (w.select(0, nullptr, &writable, nullptr, &tv) == SOCKET_ERROR) return Failure();
                continue;
            }
            sent += static_cast<std::size_t>(n);
        }
        return CallResult::Success();
    }

    TcpReceived Receive(std::size_t maxBytes, unsigned timeoutMs) override {
        const Winsock& w = LoadWinsock();
        TcpReceived received;
        if (socket_ == INVALID_SOCKET) {
            received.wait.call = CallResult::Failure(WSAENOTCONN);
            return received;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval tv = Timeval(timeoutMs);
        const int ready = w.select(0, &readable, nullptr, nullptr, &tv);
        if (ready == SOCKET_ERROR) {
            received.wait.call = Failure();
            return received;
        }
        if (ready == 0) {
            received.wait = {CallResult::Failure(WSAETIMEDOUT), true};
            return received;
        }
        received.bytes.assign(maxBytes ? maxBytes : 1, 0);
        const int n = w.recv(socket_, reinterpret_cast<char*>(received.bytes.data()),
                             static_cast<int>(received.bytes.size()), 0);
        if (n == SOCKET_ERROR) {
            received.bytes.clear();
            received.wait.call = Failure();
            return received;
        }
        received.bytes.resize(static_cast<std::size_t>(n));
        received.closed = n == 0;
        return received;
    }

    void Close() override {
        if (socket_ == INVALID_SOCKET) return;
        LoadWinsock().closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    static CallResult Failure() { return CallResult::Failure(static_cast<ErrorCode>(LoadWinsock().lastError())); }

    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<TcpClient> SystemTcpClient() { return std::make_unique<WinsockClient>(); }

}  // namespace tq::platform
