// A small HTTP/1.1 client: one GET over plain TCP, the answer's body streamed
// into a local file or kept in memory within bounds (help pages, the update
// check at start-up).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http_answer.h"

namespace kx {

// The parts of "scheme://[user-info@]host[:port][/path]" that are used.
struct HttpUrl {
    std::string host;
    std::uint16_t port = 80;
    std::string path;  // after the first "/" following "://", query and fragment included
};

// Nothing when the URL has no "://" or no host, when a port is given that is
// not a number from 1 to 65535, or when it holds a CR, LF or zero byte.
// The scheme is not looked at; user-info is skipped.
std::optional<HttpUrl> parseHttpUrl(std::string_view url);

// The exact request sent for `url` (GET, Accept, Host, Connection: close).
std::string httpRequestText(const HttpUrl& url);

// Fetches `url` and stores the body of a "200" or "302" answer in `localFile`
// (a 302 is not followed). 1 when the answer was accepted and its body
// written, 0 otherwise. The file is created or replaced only once the status
// line and headers have been accepted; a body that ends early still gives 1.
int httpGet(const std::string& url, const std::string& localFile, const HttpTimeouts& timeouts = {});

// The body httpGet would store, kept in memory instead; nothing when httpGet
// would give 0, or when the body is longer than `maxBodyBytes`.
std::optional<std::string> httpGetBody(const std::string& url, std::size_t maxBodyBytes,
                                       const HttpTimeouts& timeouts = {});

// Bounds of a fetch into memory.
struct HttpLimits {
    HttpTimeouts timeouts;
    // The whole download from its start; only the connect itself keeps the
    // system's own time-out, the time it takes counts against this one.
    int totalSeconds = 5;
    std::size_t maxBodyBytes = 4096;  // a longer body counts as no answer
};

// The body of a "200" or "302" answer to a GET of `url`, only when it arrived
// whole (all of its content length, the chunk of size 0, or everything until
// the peer stopped) within `limits`; nothing otherwise. Nothing is written.
std::optional<std::string> httpFetch(const std::string& url, const HttpLimits& limits = {});

}  // namespace kx
