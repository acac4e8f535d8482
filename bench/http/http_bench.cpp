// Download throughput over loopback: a local server sends a large body with a
// content length, in chunked coding, and until it closes; each is fetched
// with httpGet and, when it is installed, with curl.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/files.h"
#include "platform/http.h"
#include "platform/socket.h"

namespace {

using Clock = std::chrono::steady_clock;

bool sendAll(kx::net::TcpConnection& c, std::string_view data) {
    while (!data.empty()) {
        kx::net::Transfer t = c.send(data);
        if (t.status == kx::net::Transfer::ok) data.remove_prefix(t.count);
        else if (t.status == kx::net::Transfer::wouldBlock) c.waitWritable(1000);
        else return false;
    }
    return true;
}

// Serves every connection in turn; the request path picks the body's framing.
class BenchServer {
public:
    explicit BenchServer(std::int64_t bodySize) : bodySize_(bodySize) {
        listener_.listenLoopback();
        block_.resize(64 * 1024);
        for (std::size_t i = 0; i < block_.size(); ++i) block_[i] = char('a' + i % 26);
        thread_ = std::thread([this] { run(); });
    }
    ~BenchServer() {
        stop_ = true;
        thread_.join();
    }
    std::string url(const char* path) const {
        return "http://127.0.0.1:" + std::to_string(listener_.port()) + path;
    }

private:
    void run() {
        while (!stop_) {
            kx::net::TcpConnection c = listener_.accept(100);
            if (c.isOpen()) serve(c);
        }
    }

    void serve(kx::net::TcpConnection& c) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            if (!c.waitReadable(5000)) return;
            kx::net::Transfer t = c.receive(buffer, sizeof buffer);
            if (t.status != kx::net::Transfer::ok) return;
            request.append(buffer, t.count);
        }
        const bool chunked = request.find(" /chunked ") != std::string::npos;
        const bool untilClose = request.find(" /close ") != std::string::npos;
        std::string head = "HTTP/1.1 200 OK\r\n";
        if (chunked) head += "Transfer-Encoding: chunked\r\n";
        else if (!untilClose) head += "Content-Length: " + std::to_string(bodySize_) + "\r\n";
        if (!sendAll(c, head + "\r\n")) return;

        char sizeLine[32];
        for (std::int64_t left = bodySize_; left > 0;) {
            std::size_t n = std::size_t(std::min<std::int64_t>(left, std::int64_t(block_.size())));
            if (chunked) {
                std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", n);
                if (!sendAll(c, sizeLine)) return;
            }
            if (!sendAll(c, std::string_view(block_).substr(0, n))) return;
            if (chunked && !sendAll(c, "\r\n")) return;
            left -= std::int64_t(n);
        }
        if (chunked) sendAll(c, "0\r\n\r\n");
        c.shutdownSend();
        // Let the client read to the end before the connection goes.
        while (c.waitReadable(5000) && c.receive(buffer, sizeof buffer).status == kx::net::Transfer::ok) {
        }
    }

    std::int64_t bodySize_;
    kx::net::TcpListener listener_;
    std::string block_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// MB/s of one download, or a negative value when the file came out wrong.
template <typename Fetch>
double measure(Fetch fetch, const std::string& file, std::int64_t expected) {
    kx::fs::removeFile(file);
    auto start = Clock::now();
    fetch();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::int64_t size = kx::fs::fileSize(file);
    kx::fs::removeFile(file);
    if (size != expected) return -1;
    return double(expected) / (1024.0 * 1024.0) / seconds;
}

std::string show(double rate) {
    if (rate < 0) return "wrong size";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB/s", rate);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::int64_t megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    if (megabytes <= 0) megabytes = 100;
    const std::int64_t size = megabytes * 1024 * 1024;
    const std::string file = kx::fs::programFolder() + "http_bench.out";
    const bool haveCurl = std::system("curl --version > /dev/null 2>&1") == 0;

    BenchServer server(size);
    std::printf("%lld MB over loopback\n%-16s %14s %14s\n", (long long)megabytes, "body", "httpGet", "curl");
    struct Kind {
        const char* name;
        const char* path;
    };
    for (Kind kind : {Kind{"content-length", "/length"}, Kind{"chunked", "/chunked"}, Kind{"until-close", "/close"}}) {
        const std::string url = server.url(kind.path);
        double ours = measure([&] { kx::httpGet(url, file); }, file, size);
        std::string theirs = "(no curl)";
        if (haveCurl) {
            std::string command = "curl -s -o '" + file + "' '" + url + "'";
            theirs = show(measure([&] { (void)std::system(command.c_str()); }, file, size));
        }
        std::printf("%-16s %14s %14s\n", kind.name, show(ours).c_str(), theirs.c_str());
    }
    return 0;
}
