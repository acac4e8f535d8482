// Where the help window gets its pages: the front ends ask this service for
// the page behind an address, off their windows' thread, and show what comes
// back. The system's service downloads it over HTTP; tests give their own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

class HelpPages {
public:
    virtual ~HelpPages() = default;
    // The page at `url` (cp1252) as the site sent it, or nothing when it
    // cannot be had. May take a while; called from any thread, several at once.
    virtual std::optional<std::string> fetch(std::string_view url) = 0;
};

// The site's pages over HTTP: the body of a "200" or "302" answer (a body
// that ends early is kept as it came), up to `maxBodyBytes`.
class SiteHelpPages : public HelpPages {
public:
    static constexpr std::size_t maxBodyBytes = 16 * 1024 * 1024;
    std::optional<std::string> fetch(std::string_view url) override;
};

}  // namespace kx
