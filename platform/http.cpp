// The HTTP/1.1 download: URL parts, the request, the connection; the answer
// is read by http_answer.cpp into a file (streamed in bounded blocks) or into
// memory (bounded).
#include "platform/http.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "platform/files.h"
#include "platform/socket.h"

namespace kx {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t writeBlock = 64 * 1024;  // gathered before each file write

// Milliseconds left until `deadline`, never negative.
int millisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(std::min<long long>(left, std::numeric_limits<int>::max())) : 0;
}

Clock::time_point after(int seconds) { return Clock::now() + std::chrono::seconds(std::max(seconds, 0)); }

bool sendAll(net::TcpConnection& connection, std::string_view data, int seconds) {
    const auto deadline = after(seconds);
    while (!data.empty()) {
        net::Transfer t = connection.send(data);
        if (t.status == net::Transfer::ok) {
            data.remove_prefix(t.count);
            continue;
        }
        if (t.status != net::Transfer::wouldBlock) return false;
        int left = millisecondsLeft(deadline);
        if (left == 0) return false;
        connection.waitWritable(std::min(left, 50));
    }
    return true;
}

// Reads the answer from the connection: one block of at most `size` bytes,
// waiting up to `milliseconds` for it to begin; 0 when nothing arrived
// (time-out, the peer's end, or an error).
class ConnectionSource : public http::Source {
public:
    explicit ConnectionSource(net::TcpConnection& connection) : connection_(connection) {}
    std::size_t receive(char* buffer, std::size_t size, int milliseconds) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
        for (;;) {
            net::Transfer t = connection_.receive(buffer, size);
            if (t.status == net::Transfer::ok && t.count > 0) return t.count;
            if (t.status != net::Transfer::wouldBlock) return 0;
            int left = millisecondsLeft(deadline);
            if (left == 0 || !connection_.waitReadable(left)) return 0;
        }
    }

private:
    net::TcpConnection& connection_;
};

// Creates or replaces the file once the answer is accepted, then appends the
// body to it in blocks of `writeBlock`.
class FileSink : public http::Sink {
public:
    explicit FileSink(const std::string& path) : path_(path) { pending_.reserve(writeBlock); }
    bool begin() override { return fs::writeFile(path_, {}); }
    bool write(std::string_view data) override {
        pending_.append(data);
        if (pending_.size() >= writeBlock) flush();
        return true;
    }
    bool finish() override { return flush(); }

private:
    // False once any write has failed.
    bool flush() {
        if (!pending_.empty()) {
            ok_ = fs::appendFile(path_, pending_) && ok_;
            pending_.clear();
        }
        return ok_;
    }

    const std::string& path_;
    std::string pending_;
    bool ok_ = true;
};

// Keeps the body in memory, up to a limit; a longer body is refused.
class MemorySink : public http::Sink {
public:
    explicit MemorySink(std::size_t limit) : limit_(limit) {}
    bool begin() override { return true; }
    bool write(std::string_view data) override {
        if (data.size() > limit_ - body_.size()) {
            tooLong_ = true;
            return false;
        }
        body_.append(data);
        return true;
    }
    bool finish() override { return !tooLong_; }
    std::string& body() { return body_; }

private:
    std::size_t limit_;
    std::string body_;
    bool tooLong_ = false;
};

// Connects, sends the request and reads the answer into `sink`; nothing
// accepted when the URL is unusable or the connection fails.
http::Answer download(const std::string& url, http::Sink& sink, const HttpTimeouts& timeouts,
                      http::Deadline deadline = {}) {
    auto parts = parseHttpUrl(url);
    if (!parts) return {};
    net::TcpConnection connection;
    if (!connection.connect(parts->host, parts->port)) return {};
    int sendSeconds = timeouts.sendSeconds;
    if (deadline) sendSeconds = std::min(sendSeconds, (millisecondsLeft(*deadline) + 999) / 1000);
    if (!sendAll(connection, httpRequestText(*parts), sendSeconds)) return {};
    ConnectionSource source(connection);
    return http::readAnswer(source, sink, timeouts, deadline);
}

}  // namespace

std::optional<HttpUrl> parseHttpUrl(std::string_view url) {
    if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return std::nullopt;
    std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return std::nullopt;
    std::size_t start = scheme + 3;
    std::size_t slash = url.find('/', start);
    std::size_t at = url.find('@', start);
    std::size_t hostStart = (at != std::string_view::npos && at < slash) ? at + 1 : start;
    std::size_t hostEnd = std::min(url.find_first_of(":/", hostStart), url.size());

    HttpUrl parts;
    parts.host = std::string(url.substr(hostStart, hostEnd - hostStart));
    if (parts.host.empty()) return std::nullopt;
    if (hostEnd < url.size() && url[hostEnd] == ':') {
        std::size_t portEnd = std::min(url.find('/', hostEnd + 1), url.size());
        std::string_view text = url.substr(hostEnd + 1, portEnd - hostEnd - 1);
        unsigned value = 0;
        for (char c : text) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + unsigned(c - '0');
            if (value > 65535) return std::nullopt;
        }
        if (value == 0) return std::nullopt;
        parts.port = std::uint16_t(value);
    }
    if (slash != std::string_view::npos) parts.path = std::string(url.substr(slash + 1));
    return parts;
}

std::string httpRequestText(const HttpUrl& url) {
    std::string host = url.host;
    if (url.port != 80) host += ":" + std::to_string(url.port);
    return "GET /" + url.path + " HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Host: " + host + "\r\n"
           "Connection: close\r\n"
           "\r\n";
}

int httpGet(const std::string& url, const std::string& localFile, const HttpTimeouts& timeouts) {
    FileSink sink(localFile);
    http::Answer answer = download(url, sink, timeouts);
    return answer.accepted && answer.stored ? 1 : 0;
}

std::optional<std::string> httpGetBody(const std::string& url, std::size_t maxBodyBytes, const HttpTimeouts& timeouts) {
    MemorySink sink(maxBodyBytes);
    http::Answer answer = download(url, sink, timeouts);
    if (!answer.accepted || !answer.stored) return std::nullopt;
    return std::move(sink.body());
}

std::optional<std::string> httpFetch(const std::string& url, const HttpLimits& limits) {
    MemorySink sink(limits.maxBodyBytes);
    auto deadline = Clock::now() + std::chrono::seconds(std::max(limits.totalSeconds, 0));
    http::Answer answer = download(url, sink, limits.timeouts, deadline);
    if (!answer.whole) return std::nullopt;
    return std::move(sink.body());
}

}  // namespace kx
