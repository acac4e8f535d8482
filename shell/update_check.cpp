// Start-up check for a newer published version.
#include "shell/update_check.h"

#include "base/text.h"
#include "platform/files.h"
#include "platform/http.h"

namespace kx {

bool newerVersionPublished(std::string_view siteUrl, const std::string& folder, std::int64_t programVersion) {
    const std::string localFile = folder + "update.txt";
    if (httpGet(std::string(siteUrl) + "/update.txt", localFile) == 0) return false;
    // Read only after a successful download, so a stale copy never counts.
    auto contents = fs::readFile(localFile);
    if (!contents) return false;
    auto lines = splitLines(*contents);
    std::int64_t published = lines.empty() ? 0 : readNumber(lines.front());
    return programVersion < published;
}

}  // namespace kx
