// The HTTP/1.1 download: URL parts, the request, the status line and headers,
// then the body by content length, chunked coding or until the peer stops,
// written to the file in bounded blocks as it arrives.
#include "platform/http.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "base/text.h"
#include "platform/files.h"
#include "platform/socket.h"

namespace kx {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t blockSize = 1024;             // one receive
constexpr std::size_t headLimit = 64 * 1024;        // status line and headers
constexpr std::size_t chunkLineLimit = 8 * 1024;    // one chunk-size line
constexpr std::size_t writeBlock = 64 * 1024;       // gathered before each file write
constexpr std::int64_t untilCloseBound = 1'000'000'000;
constexpr std::size_t contentLengthDigits = 31;

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

// One block of at most `size` bytes, waiting up to `seconds` for it to begin.
// 0 when nothing arrived: time-out, the peer's end, or an error.
std::size_t receiveBlock(net::TcpConnection& connection, char* buffer, std::size_t size, int seconds) {
    const auto deadline = after(seconds);
    for (;;) {
        net::Transfer t = connection.receive(buffer, size);
        if (t.status == net::Transfer::ok && t.count > 0) return t.count;
        if (t.status != net::Transfer::wouldBlock) return 0;
        int left = millisecondsLeft(deadline);
        if (left == 0 || !connection.waitReadable(left)) return 0;
    }
}

// ---- status line and headers ----

struct Head {
    enum State { incomplete, accepted, refused };
    State state = incomplete;
    std::size_t bodyStart = 0;
    std::int64_t contentLength = -1;
    bool chunked = false;
};

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A plain decimal count of at most 31 characters that fits 64 bits.
std::optional<std::int64_t> contentLengthValue(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty() || text.size() > contentLengthDigits) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Reads the status line and headers from what has arrived so far. Lines end
// at CR LF, a lone CR or a lone LF. `ended`: nothing more will arrive, so a
// CR at the very end is a whole line end and an unfinished head is refused.
Head readHead(std::string_view data, bool ended) {
    Head head;
    bool statusLine = true;
    std::size_t pos = 0;
    for (;;) {
        std::size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            if (ended) head.state = Head::refused;  // the head never finished
            return head;
        }
        std::size_t next = end + 1;
        if (data[end] == '\r') {
            if (next == data.size() && !ended) return head;  // an LF may follow
            if (next < data.size() && data[next] == '\n') ++next;
        }
        std::string_view line = data.substr(pos, end - pos);
        pos = next;
        if (statusLine) {
            if (line.find("200") == std::string_view::npos && line.find("302") == std::string_view::npos) {
                head.state = Head::refused;
                return head;
            }
            statusLine = false;
            continue;
        }
        if (line.empty()) {
            head.state = Head::accepted;
            head.bodyStart = pos;
            return head;
        }
        constexpr std::string_view lengthName = "content-length:", codingName = "transfer-encoding:";
        if (line.size() >= lengthName.size() && equalsNoCase(line.substr(0, lengthName.size()), lengthName)) {
            auto value = contentLengthValue(line.substr(lengthName.size()));
            if (!value) {
                head.state = Head::refused;
                return head;
            }
            head.contentLength = *value;
        } else if (line.size() >= codingName.size() && equalsNoCase(line.substr(0, codingName.size()), codingName)) {
            if (findNoCase(line.substr(codingName.size()), "chunked") != std::string_view::npos) head.chunked = true;
        }
    }
}

// ---- body ----

// Gathers body bytes and appends them to the file in blocks of `writeBlock`.
class FileSink {
public:
    explicit FileSink(const std::string& path) : path_(path) { pending_.reserve(writeBlock); }
    void write(std::string_view data) {
        pending_.append(data);
        if (pending_.size() >= writeBlock) flush();
    }
    // False once any write has failed.
    bool flush() {
        if (!pending_.empty()) {
            ok_ = fs::appendFile(path_, pending_) && ok_;
            pending_.clear();
        }
        return ok_;
    }

private:
    const std::string& path_;
    std::string pending_;
    bool ok_ = true;
};

// The hexadecimal size at the start of a chunk line (blanks skipped, anything
// after the digits ignored); nothing when there are no digits or it overflows.
std::optional<std::int64_t> chunkSize(std::string_view line) {
    line = trimBlanks(line);
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (char c : line) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else break;
        if (value > (std::numeric_limits<std::int64_t>::max() - d) / 16) return std::nullopt;
        value = value * 16 + d;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

// Decodes the chunked transfer coding as bytes arrive. Ends at the chunk of
// size 0 (trailers are not read) or at the first malformed line.
class ChunkDecoder {
public:
    explicit ChunkDecoder(FileSink& sink) : sink_(sink) {}
    bool finished() const { return state_ == done; }

    void feed(std::string_view in) {
        while (!in.empty() && state_ != done) {
            if (state_ == data) {
                std::size_t take = std::size_t(std::min<std::int64_t>(remaining_, std::int64_t(in.size())));
                sink_.write(in.substr(0, take));
                in.remove_prefix(take);
                remaining_ -= std::int64_t(take);
                if (remaining_ == 0) state_ = dataEnd;
                continue;
            }
            std::size_t lf = in.find('\n');
            std::string_view piece = in.substr(0, lf);
            if (line_.size() + piece.size() > chunkLineLimit) {
                state_ = done;
                return;
            }
            line_.append(piece);
            if (lf == std::string_view::npos) return;
            in.remove_prefix(lf + 1);
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            if (state_ == dataEnd) {
                // The line end after a chunk's data: nothing else may stand there.
                state_ = line_.empty() ? sizeLine : done;
            } else {
                auto size = chunkSize(line_);
                if (!size || *size == 0) state_ = done;
                else remaining_ = *size, state_ = data;
            }
            line_.clear();
        }
    }

private:
    enum State { sizeLine, data, dataEnd, done };
    FileSink& sink_;
    State state_ = sizeLine;
    std::string line_;
    std::int64_t remaining_ = 0;
};

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
    auto parts = parseHttpUrl(url);
    if (!parts) return 0;
    net::TcpConnection connection;
    if (!connection.connect(parts->host, parts->port)) return 0;
    if (!sendAll(connection, httpRequestText(*parts), timeouts.sendSeconds)) return 0;

    // Status line and headers, block by block until the empty line.
    char block[blockSize];
    std::string received;
    Head head;
    for (;;) {
        std::size_t n = receiveBlock(connection, block, blockSize, timeouts.receiveSeconds);
        received.append(block, n);
        if (received.empty()) return 0;
        head = readHead(received, n == 0);
        if (head.state == Head::refused) return 0;
        if (head.state == Head::accepted) break;
        if (received.size() >= headLimit) return 0;
    }

    // Accepted: only now is the file created or replaced.
    if (!fs::writeFile(localFile, {})) return 0;
    FileSink sink(localFile);
    std::string_view first = std::string_view(received).substr(head.bodyStart);

    if (head.contentLength >= 0) {
        std::int64_t missing = head.contentLength;
        std::size_t take = std::size_t(std::min<std::int64_t>(missing, std::int64_t(first.size())));
        sink.write(first.substr(0, take));
        missing -= std::int64_t(take);
        while (missing > 0) {
            std::size_t want = std::size_t(std::min<std::int64_t>(missing, std::int64_t(blockSize)));
            std::size_t n = receiveBlock(connection, block, want, timeouts.receiveSeconds);
            if (n == 0) break;
            sink.write({block, n});
            missing -= std::int64_t(n);
        }
    } else if (head.chunked) {
        ChunkDecoder decoder(sink);
        decoder.feed(first);
        while (!decoder.finished()) {
            std::size_t n = receiveBlock(connection, block, blockSize, timeouts.receiveSeconds);
            if (n == 0) break;
            decoder.feed({block, n});
        }
    } else {
        std::int64_t total = std::min<std::int64_t>(std::int64_t(first.size()), untilCloseBound);
        sink.write(first.substr(0, std::size_t(total)));
        while (total < untilCloseBound) {
            std::size_t want = std::size_t(std::min<std::int64_t>(untilCloseBound - total, std::int64_t(blockSize)));
            std::size_t n = receiveBlock(connection, block, want, timeouts.untilCloseSeconds);
            if (n == 0) break;
            sink.write({block, n});
            total += std::int64_t(n);
        }
    }
    return sink.flush() ? 1 : 0;
}

}  // namespace kx
