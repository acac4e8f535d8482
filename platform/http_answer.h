// The answer side of the HTTP download, apart from the connection: the status
// line and headers, then the body by content length, chunked coding or until
// the peer stops, read from any source of bytes (a connection, or bytes held
// in memory for tests) and handed to a sink block by block.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kx {

// Waits of the download, in whole seconds.
struct HttpTimeouts {
    int sendSeconds = 10;        // to send the whole request
    int receiveSeconds = 10;     // for each block received
    int untilCloseSeconds = 1;   // for each block when the body runs until the peer stops
};

namespace http {

// Where the answer's bytes come from.
class Source {
public:
    virtual ~Source() = default;
    // At most `size` bytes, waiting up to `milliseconds` for the first of
    // them; 0 when nothing came (time-out, the peer's end, an error).
    virtual std::size_t receive(char* buffer, std::size_t size, int milliseconds) = 0;
};

// Where an accepted answer's body goes.
class Sink {
public:
    virtual ~Sink() = default;
    // The status line and headers were accepted; false when the body cannot
    // be stored (nothing more is read then).
    virtual bool begin() = 0;
    // The next body bytes; false to stop reading (the body is then not whole).
    virtual bool write(std::string_view data) = 0;
    // The body has ended; false when it could not all be stored.
    virtual bool finish() = 0;
};

struct Answer {
    bool accepted = false;  // status "200" or "302", headers read, the sink began
    bool stored = false;    // and the sink took the body and finished well
    // The body arrived whole: all of its content length, the chunk of size 0,
    // or everything until the peer stopped, before the deadline and without
    // the sink stopping it.
    bool whole = false;
};

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

// Reads one answer from `source` into `sink`. Every wait is bounded by
// `timeouts` and, when there is one, by `deadline` for the whole answer.
Answer readAnswer(Source& source, Sink& sink, const HttpTimeouts& timeouts, Deadline deadline = {});

}  // namespace http
}  // namespace kx
