// Windows TCP connections: Winsock 2, started with each connection or
// listener and released when it closes; sockets switched to non-blocking
// once connected, select() for the waits.
#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <utility>

namespace kx::net {

namespace {

// The handle of no socket (TcpConnection::invalid).
constexpr std::intptr_t noSocket = -1;

SOCKET sock(std::intptr_t handle) { return SOCKET(handle); }

// One reference to the socket library; every WSAStartup is paired with a
// WSACleanup by closeHandle().
bool startLibrary() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void closeHandle(std::intptr_t& handle) noexcept {
    if (handle == noSocket) return;
    closesocket(sock(handle));
    WSACleanup();
    handle = noSocket;
}

// select() on one socket until it is ready or the time is spent.
bool waitFor(std::intptr_t handle, bool write, int milliseconds) {
    if (handle == noSocket) return false;
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(sock(handle), &ready);
    FD_SET(sock(handle), &failed);
    timeval wait{milliseconds < 0 ? 0 : milliseconds / 1000, milliseconds < 0 ? 0 : (milliseconds % 1000) * 1000};
    int r = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
    return r > 0;  // an error state counts: the next call reports it
}

// The IPv4 address for `host`: dotted form first, then the name service.
// Names are plain ASCII here; anything else is refused.
bool resolve(const std::string& host, in_addr& address) {
    if (host.empty()) return false;
    for (char c : host)
        if ((unsigned char)c < 0x21 || (unsigned char)c > 0x7E) return false;
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    bool ok = false;
    for (addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addr) {
            address = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr;
            ok = true;
            break;
        }
    }
    freeaddrinfo(found);
    return ok;
}

bool makeNonBlocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

}  // namespace

TcpConnection::~TcpConnection() { close(); }

TcpConnection::TcpConnection(TcpConnection&& other) noexcept : handle_(std::exchange(other.handle_, invalid)) {}

TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, invalid);
    }
    return *this;
}

bool TcpConnection::connect(const std::string& host, std::uint16_t port) {
    close();
    if (port == 0 || !startLibrary()) return false;
    std::intptr_t opened = invalid;
    in_addr address{};
    SOCKET s = resolve(host, address) ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
    if (s != INVALID_SOCKET) {
        opened = std::intptr_t(s);  // from here closeHandle() releases the library
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr = address;
        if (::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 && makeNonBlocking(s)) {
            handle_ = opened;
            return true;
        }
        closeHandle(opened);
        return false;
    }
    WSACleanup();
    return false;
}

Transfer TcpConnection::send(std::string_view data) {
    if (!isOpen()) return {Transfer::failed, 0};
    if (data.empty()) return {Transfer::ok, 0};
    int size = data.size() > 0x40000000 ? 0x40000000 : int(data.size());
    int n = ::send(sock(handle_), data.data(), size, 0);
    if (n >= 0) return {Transfer::ok, std::size_t(n)};
    return {WSAGetLastError() == WSAEWOULDBLOCK ? Transfer::wouldBlock : Transfer::failed, 0};
}

Transfer TcpConnection::receive(char* buffer, std::size_t size) {
    if (!isOpen()) return {Transfer::failed, 0};
    if (size == 0) return {Transfer::ok, 0};
    int n = ::recv(sock(handle_), buffer, size > 0x40000000 ? 0x40000000 : int(size), 0);
    if (n > 0) return {Transfer::ok, std::size_t(n)};
    if (n == 0) return {Transfer::closed, 0};
    return {WSAGetLastError() == WSAEWOULDBLOCK ? Transfer::wouldBlock : Transfer::failed, 0};
}

bool TcpConnection::waitReadable(int milliseconds) { return waitFor(handle_, false, milliseconds); }

bool TcpConnection::waitWritable(int milliseconds) { return waitFor(handle_, true, milliseconds); }

void TcpConnection::shutdownSend() noexcept {
    if (isOpen()) shutdown(sock(handle_), SD_SEND);
}

void TcpConnection::close() noexcept { closeHandle(handle_); }

TcpListener::~TcpListener() { close(); }

TcpListener::TcpListener(TcpListener&& other) noexcept
    : handle_(std::exchange(other.handle_, TcpConnection::invalid)) {}

TcpListener& TcpListener::operator=(TcpListener&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, TcpConnection::invalid);
    }
    return *this;
}

bool TcpListener::listenLoopback(std::uint16_t port) {
    close();
    if (!startLibrary()) return false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        WSACleanup();
        return false;
    }
    std::intptr_t opened = std::intptr_t(s);
    // Nobody else may take the same port while this listener has it.
    BOOL yes = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Non-blocking, so an accept after a wait never hangs on a vanished client.
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(s, 16) != 0 || !makeNonBlocking(s)) {
        closeHandle(opened);
        return false;
    }
    handle_ = opened;
    return true;
}

std::uint16_t TcpListener::port() const {
    if (!isOpen()) return 0;
    sockaddr_in at{};
    int size = sizeof at;
    if (getsockname(sock(handle_), reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
    return ntohs(at.sin_port);
}

TcpConnection TcpListener::accept(int milliseconds) {
    if (!waitFor(handle_, false, milliseconds)) return {};
    SOCKET s = ::accept(sock(handle_), nullptr, nullptr);
    if (s == INVALID_SOCKET) return {};
    // The accepted socket inherits non-blocking mode; the connection holds
    // its own reference to the library, released when it closes.
    if (!startLibrary()) {
        closesocket(s);
        return {};
    }
    return TcpConnection(std::intptr_t(s));
}

void TcpListener::close() noexcept { closeHandle(handle_); }

}  // namespace kx::net
