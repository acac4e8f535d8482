// Start-up check for a newer published version: fetches the site's one-line
// version file and compares its number with the program's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/http.h"

namespace kx {

// Bounds of the check: a few seconds in all, and a version file of at most
// 4 KiB (it holds a number); anything beyond counts as no answer.
inline constexpr HttpLimits updateCheckLimits{{}, 5, 4096};

// Fetches siteUrl + "/update.txt" and, only when the whole file arrived
// within `limits`, stores it as folder + "update.txt" and reads the number
// on its first line. True when it is greater than `programVersion`; every
// failure gives false, silently, and leaves any earlier update.txt as it was.
bool newerVersionPublished(FileSystem& files, std::string_view siteUrl, const std::string& folder,
                           std::int64_t programVersion, const HttpLimits& limits = updateCheckLimits);

}  // namespace kx
