// Start-up check for a newer published version.
#include "shell/update_check.h"

#include "base/text.h"

namespace kx {

bool newerVersionPublished(FileSystem& files, std::string_view siteUrl, const std::string& folder,
                           std::int64_t programVersion, const HttpLimits& limits) {
    std::optional<std::string> published = httpFetch(std::string(siteUrl) + "/update.txt", limits);
    // Stored only when it came whole, so a stale or cut-off copy never counts.
    if (!published || !files.replaceFile(folder + "update.txt", *published)) return false;
    auto lines = splitLines(*published);
    return programVersion < (lines.empty() ? 0 : readNumber(lines.front()));
}

}  // namespace kx
