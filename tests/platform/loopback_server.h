// A one-connection HTTP server on 127.0.0.1 for the download tests: it reads
// the request, then plays a scripted answer (writes, pieces, pauses, stalls,
// early ends) on its own thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace kx::test {

struct Step {
    enum Kind { send, pause, hold };
    Kind kind = send;
    std::string data;          // send: the bytes
    std::size_t pieceSize = 0; // send: bytes per write, 0 for one write
    int milliseconds = 0;      // send: pause after each piece; pause: its length
};

// Sends `data`, in writes of `pieceSize` bytes with `gapMs` between them.
inline Step sendText(std::string data, std::size_t pieceSize = 0, int gapMs = 0) {
    return {Step::send, std::move(data), pieceSize, gapMs};
}
inline Step pauseFor(int milliseconds) { return {Step::pause, {}, 0, milliseconds}; }
// Keeps the connection open, sending nothing, until the client hangs up.
inline Step holdOpen() { return {Step::hold, {}, 0, 0}; }

class LoopbackServer {
public:
    // Listens at once; the connection is closed when the script has been played.
    explicit LoopbackServer(std::vector<Step> script);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string url(std::string_view path = "/") const;
    // The request as received; waits until the answer has been played.
    std::string request();

private:
    void serve();
    void finish();

    net::TcpListener listener_;
    std::uint16_t port_ = 0;
    std::vector<Step> script_;
    std::string request_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace kx::test
