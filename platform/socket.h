// Plain TCP connections over IPv4: a client connection that never blocks on
// send or receive (waits are explicit, with a time-out), and a loopback
// listener for the programs and tests that play the server side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kx::net {

// Outcome of one send or receive that does not wait.
struct Transfer {
    enum Status { ok, wouldBlock, closed, failed };
    Status status = failed;
    std::size_t count = 0;  // bytes moved when `ok`
};

// One TCP connection; closed when the object goes away. Move-only.
// Each platform prepares its socket library itself (a Winsock version starts
// and releases it with each connection or listener).
class TcpConnection {
public:
    TcpConnection() noexcept = default;
    ~TcpConnection();
    TcpConnection(TcpConnection&& other) noexcept;
    TcpConnection& operator=(TcpConnection&& other) noexcept;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Connects to `host`, taken as a dotted IPv4 address when it reads as one,
    // otherwise resolved by name (first IPv4 address). Blocks with the
    // system's own connect time-out. Closes any previous connection first.
    bool connect(const std::string& host, std::uint16_t port);
    bool isOpen() const noexcept { return handle_ != invalid; }

    // As much of `data` as the connection takes now.
    Transfer send(std::string_view data);
    // Up to `size` bytes that have already arrived; `closed` once the peer
    // has ended its side and everything was read.
    Transfer receive(char* buffer, std::size_t size);

    // Wait up to `milliseconds` until a receive would not block (data or
    // the peer's end) / until a send would take data. False on time-out.
    bool waitReadable(int milliseconds);
    bool waitWritable(int milliseconds);

    // Ends the sending side only (the peer then sees the end of the data).
    void shutdownSend() noexcept;
    void close() noexcept;

private:
    friend class TcpListener;
    static constexpr std::intptr_t invalid = -1;
    explicit TcpConnection(std::intptr_t handle) noexcept : handle_(handle) {}
    std::intptr_t handle_ = invalid;
};

// A listening socket on 127.0.0.1. Move-only; closed when it goes away.
class TcpListener {
public:
    TcpListener() noexcept = default;
    ~TcpListener();
    TcpListener(TcpListener&& other) noexcept;
    TcpListener& operator=(TcpListener&& other) noexcept;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Listens on the loopback address; port 0 lets the system choose one.
    bool listenLoopback(std::uint16_t port = 0);
    bool isOpen() const noexcept { return handle_ != TcpConnection::invalid; }
    // The port actually listened on; 0 when not listening.
    std::uint16_t port() const;
    // The next connection, waiting up to `milliseconds`; a closed one on time-out.
    TcpConnection accept(int milliseconds);
    void close() noexcept;

private:
    std::intptr_t handle_ = TcpConnection::invalid;
};

}  // namespace kx::net
