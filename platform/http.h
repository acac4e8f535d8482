// A small HTTP/1.1 client: one GET over plain TCP, the answer's body streamed
// into a local file. Used for the update check at start-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

// Waits of the download, in whole seconds.
struct HttpTimeouts {
    int sendSeconds = 10;        // to send the whole request
    int receiveSeconds = 10;     // for each block received
    int untilCloseSeconds = 1;   // for each block when the body runs until the peer stops
};

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

}  // namespace kx
