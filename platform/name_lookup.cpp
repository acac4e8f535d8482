// The one case-insensitive name lookup of the program: a name as Windows
// reads it, on any file system.
#include "base/text.h"
#include "platform/files.h"

namespace kx::fs {

std::optional<std::string> findAnyCase(const std::string& path) {
    if (exists(path)) return path;
    std::string folder = folderPart(path), name = filePart(path);
    auto entries = listFolder(folder.empty() ? "." : folder);
    if (!entries || name.empty()) return std::nullopt;
    std::optional<std::string> found;
    for (const auto& entry : *entries) {
        if (!equalsNoCase(entry, name)) continue;
        if (found) return std::nullopt;  // several: none is meant more than another
        found = folder + entry;
    }
    return found;
}

}  // namespace kx::fs
