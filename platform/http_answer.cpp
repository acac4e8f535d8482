// Reading an HTTP/1.1 answer: the status line and headers, then the body by
// content length, chunked coding or until the peer stops, handed on in
// bounded blocks as it arrives.
#include "platform/http_answer.h"

#include <algorithm>
#include <limits>
#include <string>

#include "base/text.h"

namespace kx::http {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t blockSize = 1024;             // one receive
constexpr std::size_t headLimit = 64 * 1024;        // status line and headers
constexpr std::size_t chunkLineLimit = 8 * 1024;    // one chunk-size line
constexpr std::int64_t untilCloseBound = 1'000'000'000;
constexpr std::size_t contentLengthDigits = 31;

// The source with the waits applied: each receive waits at most its own time
// and never past the deadline; once the deadline has passed nothing more is read.
class Receiver {
public:
    Receiver(Source& source, Deadline deadline) : source_(source), deadline_(deadline) {}

    std::size_t receive(char* buffer, std::size_t size, int seconds) {
        long long wait = std::max(seconds, 0) * 1000LL;
        bool cut = false;  // the deadline, not the block's own wait, bounds this one
        if (deadline_) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - Clock::now()).count();
            if (left <= 0) {
                late_ = true;
                return 0;
            }
            cut = left < wait;
            wait = std::min<long long>(wait, left);
        }
        std::size_t n = source_.receive(buffer, size, int(std::min<long long>(wait, std::numeric_limits<int>::max())));
        // Nothing came and the wait ran to the deadline (give or take the
        // rounding of the waits to whole milliseconds).
        if (n == 0 && cut && Clock::now() + std::chrono::milliseconds(5) >= *deadline_) late_ = true;
        return n;
    }
    // Whether the deadline ended a wait.
    bool late() const { return late_; }

private:
    Source& source_;
    Deadline deadline_;
    bool late_ = false;
};

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

// Whether a status line says 200 or 302: "HTTP/" and a version, a blank,
// then exactly those three digits, ended by a blank or the line's end (so
// "2000" or "1200" is no 200).
bool acceptedStatus(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") return false;
    std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return false;
    std::string_view code = line.substr(blank + 1, 3), after = line.substr(std::min(line.size(), blank + 4));
    return (code == "200" || code == "302") && (after.empty() || after.front() == ' ');
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
            if (!acceptedStatus(line)) {
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
// size 0 (trailers are not read), at the first malformed line, or when the
// sink stops taking data.
class ChunkDecoder {
public:
    explicit ChunkDecoder(Sink& sink) : sink_(sink) {}
    bool finished() const { return state_ == done; }
    // The chunk of size 0 was reached.
    bool complete() const { return complete_; }

    void feed(std::string_view in) {
        while (!in.empty() && state_ != done) {
            if (state_ == data) {
                std::size_t take = std::size_t(std::min<std::int64_t>(remaining_, std::int64_t(in.size())));
                if (!sink_.write(in.substr(0, take))) {
                    state_ = done;
                    return;
                }
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
                if (!size || *size == 0) {
                    state_ = done;
                    complete_ = size.has_value();
                } else {
                    remaining_ = *size, state_ = data;
                }
            }
            line_.clear();
        }
    }

private:
    enum State { sizeLine, data, dataEnd, done };
    Sink& sink_;
    State state_ = sizeLine;
    std::string line_;
    std::int64_t remaining_ = 0;
    bool complete_ = false;
};

}  // namespace

Answer readAnswer(Source& source, Sink& sink, const HttpTimeouts& timeouts, Deadline deadline) {
    Receiver receiver(source, deadline);
    Answer answer;

    // Status line and headers, block by block until the empty line.
    char block[blockSize];
    std::string received;
    Head head;
    for (;;) {
        std::size_t n = receiver.receive(block, blockSize, timeouts.receiveSeconds);
        received.append(block, n);
        if (received.empty()) return answer;
        head = readHead(received, n == 0);
        if (head.state == Head::refused) return answer;
        if (head.state == Head::accepted) break;
        if (received.size() >= headLimit) return answer;
    }

    // Accepted: only now may the sink create anything.
    if (!sink.begin()) return answer;
    answer.accepted = true;
    std::string_view first = std::string_view(received).substr(head.bodyStart);
    bool whole = false;

    if (head.contentLength >= 0) {
        std::int64_t missing = head.contentLength;
        std::size_t take = std::size_t(std::min<std::int64_t>(missing, std::int64_t(first.size())));
        bool taking = sink.write(first.substr(0, take));
        missing -= std::int64_t(take);
        while (taking && missing > 0) {
            std::size_t want = std::size_t(std::min<std::int64_t>(missing, std::int64_t(blockSize)));
            std::size_t n = receiver.receive(block, want, timeouts.receiveSeconds);
            if (n == 0) break;
            taking = sink.write({block, n});
            missing -= std::int64_t(n);
        }
        whole = taking && missing == 0;
    } else if (head.chunked) {
        ChunkDecoder decoder(sink);
        decoder.feed(first);
        while (!decoder.finished()) {
            std::size_t n = receiver.receive(block, blockSize, timeouts.receiveSeconds);
            if (n == 0) break;
            decoder.feed({block, n});
        }
        whole = decoder.complete();
    } else {
        std::int64_t total = std::min<std::int64_t>(std::int64_t(first.size()), untilCloseBound);
        bool taking = sink.write(first.substr(0, std::size_t(total)));
        while (taking && total < untilCloseBound) {
            std::size_t want = std::size_t(std::min<std::int64_t>(untilCloseBound - total, std::int64_t(blockSize)));
            std::size_t n = receiver.receive(block, want, timeouts.untilCloseSeconds);
            if (n == 0) break;
            taking = sink.write({block, n});
            total += std::int64_t(n);
        }
        // Up to the bound, the peer's end (or its silence) ends the body.
        whole = taking && total < untilCloseBound && !receiver.late();
    }
    answer.stored = sink.finish();
    answer.whole = whole && answer.stored;
    return answer;
}

}  // namespace kx::http
