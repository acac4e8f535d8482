// The choice of the user's folders from the program's folder and the
// environment; the system's side (rights, making the folders) is per platform.
#include "platform/user_folders.h"

#include "base/text.h"
#include "platform/files.h"

namespace kx {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isAbsolute(const std::string& path) {
    return (!path.empty() && isSeparator(path.front())) || (path.size() > 2 && path[1] == ':' && isSeparator(path[2]));
}

std::string asFolder(std::string path) {
    if (!isSeparator(path.back())) path += fs::separator();
    return path;
}

// An XDG variable when it holds an absolute path, otherwise home + fallback.
std::string baseFolder(const std::string& variable, const std::string& home, std::string_view fallback) {
    if (isAbsolute(variable)) return asFolder(variable);
    if (!isAbsolute(home)) return {};
    std::string folder = asFolder(home);
    for (char c : fallback) folder += c == '/' ? fs::separator() : c;
    return asFolder(folder);
}

}  // namespace

std::optional<UserFolders> chooseUserFolders(const std::string& programFolder, bool programFolderWritable,
                                             const FolderEnvironment& environment) {
    bool systemFolder = startsWith(programFolder, "/usr/");
    if (programFolderWritable && !systemFolder) return UserFolders{programFolder + "options.txt", programFolder, false};

    std::string config = baseFolder(environment.configHome, environment.home, ".config");
    std::string data = baseFolder(environment.dataHome, environment.home, ".local/share");
    if (config.empty() || data.empty()) return std::nullopt;
    std::string own = std::string("klarbrix") + fs::separator();
    return UserFolders{config + own + "options.txt", data + own, true};
}

}  // namespace kx
