// The scripted loopback HTTP server of the download tests.
#include "tests/platform/loopback_server.h"

#include <chrono>

namespace kx::test {

namespace {

using Clock = std::chrono::steady_clock;

// Longest the server waits for anything, so a broken test cannot hang the suite.
constexpr auto patience = std::chrono::seconds(15);

bool sendAll(net::TcpConnection& c, std::string_view data) {
    const auto deadline = Clock::now() + patience;
    while (!data.empty()) {
        net::Transfer t = c.send(data);
        if (t.status == net::Transfer::ok) data.remove_prefix(t.count);
        else if (t.status != net::Transfer::wouldBlock || Clock::now() > deadline) return false;
        else c.waitWritable(50);
    }
    return true;
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<Step> script) : script_(std::move(script)) {
    listener_.listenLoopback();
    port_ = listener_.port();
    thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    finish();
}

void LoopbackServer::finish() {
    if (thread_.joinable()) thread_.join();
}

std::string LoopbackServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::string LoopbackServer::request() {
    finish();
    return request_;
}

void LoopbackServer::serve() {
    const auto giveUp = Clock::now() + patience;
    net::TcpConnection c;
    while (!c.isOpen() && !stop_ && Clock::now() < giveUp) c = listener_.accept(50);
    if (!c.isOpen()) return;

    // The request: up to its empty line.
    char block[4096];
    while (request_.find("\r\n\r\n") == std::string::npos && Clock::now() < giveUp) {
        if (!c.waitReadable(50)) continue;
        net::Transfer t = c.receive(block, sizeof block);
        if (t.status != net::Transfer::ok) break;
        request_.append(block, t.count);
    }

    for (const Step& step : script_) {
        if (step.kind == Step::pause) {
            std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
        } else if (step.kind == Step::hold) {
            // Until the client hangs up: its end shows as readable with nothing to read.
            while (!stop_ && Clock::now() < giveUp) {
                if (!c.waitReadable(50)) continue;
                net::Transfer t = c.receive(block, sizeof block);
                if (t.status == net::Transfer::closed || t.status == net::Transfer::failed) break;
            }
        } else {
            std::string_view data = step.data;
            std::size_t piece = step.pieceSize ? step.pieceSize : data.size();
            while (!data.empty()) {
                std::string_view part = data.substr(0, piece);
                if (!sendAll(c, part)) return;
                data.remove_prefix(part.size());
                if (step.milliseconds) std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
            }
        }
    }
}

}  // namespace kx::test
