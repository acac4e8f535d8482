// POSIX TCP connections: BSD sockets, poll() for the waits, MSG_DONTWAIT for
// sends and receives, MSG_NOSIGNAL so a vanished peer never raises SIGPIPE.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "base/encoding.h"

namespace kx::net {

namespace {

int fd(std::intptr_t handle) { return int(handle); }

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// poll() on one descriptor, resumed after signals until the time is spent.
bool waitFor(std::intptr_t handle, short events, int milliseconds) {
    if (handle < 0) return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd(handle), events, 0};
        int r = ::poll(&p, 1, left > 0 ? int(left) : 0);
        if (r > 0) return true;  // error and hang-up states count: the next call reports them
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

// The IPv4 address for `host`: dotted form first, then the name service.
bool resolve(const std::string& host, in_addr& address) {
    if (host.empty() || host.find('\0') != std::string::npos) return false;
    std::string name = toUtf8(host);
    if (::inet_pton(AF_INET, name.c_str(), &address) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    bool ok = false;
    for (addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addr) {
            address = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr;
            ok = true;
            break;
        }
    }
    ::freeaddrinfo(found);
    return ok;
}

void closeHandle(std::intptr_t& handle) noexcept {
    if (handle >= 0) ::close(fd(handle));
    handle = -1;
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
    in_addr address{};
    if (port == 0 || !resolve(host, address)) return false;
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr = address;
    int r;
    do r = ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        ::close(s);
        return false;
    }
    handle_ = s;
    return true;
}

Transfer TcpConnection::send(std::string_view data) {
    if (!isOpen()) return {Transfer::failed, 0};
    if (data.empty()) return {Transfer::ok, 0};
    for (;;) {
        ssize_t n = ::send(fd(handle_), data.data(), data.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) return {Transfer::ok, std::size_t(n)};
        if (errno == EINTR) continue;
        if (wouldBlock(errno)) return {Transfer::wouldBlock, 0};
        return {Transfer::failed, 0};
    }
}

Transfer TcpConnection::receive(char* buffer, std::size_t size) {
    if (!isOpen()) return {Transfer::failed, 0};
    if (size == 0) return {Transfer::ok, 0};
    for (;;) {
        ssize_t n = ::recv(fd(handle_), buffer, size, MSG_DONTWAIT);
        if (n > 0) return {Transfer::ok, std::size_t(n)};
        if (n == 0) return {Transfer::closed, 0};
        if (errno == EINTR) continue;
        if (wouldBlock(errno)) return {Transfer::wouldBlock, 0};
        return {Transfer::failed, 0};
    }
}

bool TcpConnection::waitReadable(int milliseconds) { return waitFor(handle_, POLLIN, milliseconds); }

bool TcpConnection::waitWritable(int milliseconds) { return waitFor(handle_, POLLOUT, milliseconds); }

void TcpConnection::shutdownSend() noexcept {
    if (isOpen()) ::shutdown(fd(handle_), SHUT_WR);
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
    // Non-blocking, so an accept after a poll never hangs on a vanished client.
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) return false;
    int yes = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(s, 16) != 0) {
        ::close(s);
        return false;
    }
    handle_ = s;
    return true;
}

std::uint16_t TcpListener::port() const {
    if (!isOpen()) return 0;
    sockaddr_in at{};
    socklen_t size = sizeof at;
    if (::getsockname(fd(handle_), reinterpret_cast<sockaddr*>(&at), &size) != 0) return 0;
    return ntohs(at.sin_port);
}

TcpConnection TcpListener::accept(int milliseconds) {
    if (!waitFor(handle_, POLLIN, milliseconds)) return {};
    int s;
    do s = ::accept4(fd(handle_), nullptr, nullptr, SOCK_CLOEXEC);
    while (s < 0 && errno == EINTR);
    return s < 0 ? TcpConnection() : TcpConnection(s);
}

void TcpListener::close() noexcept { closeHandle(handle_); }

}  // namespace kx::net
