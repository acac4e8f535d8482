// Start-up check for a newer published version: fetches the site's one-line
// version file and compares its number with the program's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

// Downloads siteUrl + "/update.txt" into folder + "update.txt" and, only when
// that succeeded, reads the number on the file's first line. True when it is
// greater than `programVersion`; every failure gives false, silently.
bool newerVersionPublished(std::string_view siteUrl, const std::string& folder, std::int64_t programVersion);

}  // namespace kx
