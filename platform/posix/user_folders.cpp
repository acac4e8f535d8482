// The user's folders on POSIX: XDG variables and HOME (or the account's home
// folder), the program folder's rights, the folders made on first start.
#include "platform/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/encoding.h"
#include "base/text.h"
#include "platform/files.h"

namespace kx {

namespace {

// An environment variable as cp1252 text; empty when unset or not representable.
std::string variable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return {};
    return fromUtf8(value).value_or(std::string());
}

std::string homeFolder() {
    std::string home = variable("HOME");
    if (!home.empty()) return home;
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
        return fromUtf8(account->pw_dir).value_or(std::string());
    return {};
}

// Makes `folder` and the folders above it that are missing (user-only rights).
bool makeFolders(const std::string& folder) {
    std::string native = toUtf8(folder);
    for (std::size_t i = 1; i <= native.size(); ++i) {
        if (i < native.size() && native[i] != '/') continue;
        std::string part = native.substr(0, i);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The working folder's "Applications" leads to the program's tools. A link
// this program made is brought up to date; anything else of that name is
// the user's and stays.
void linkTools(const std::string& workFolder, const std::string& programFolder) {
    std::string link = toUtf8(workFolder + "Applications");
    std::string target = toUtf8(programFolder + "Applications");
    struct stat st;
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return;
        char buffer[4096];
        ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
        if (n >= 0 && std::string(buffer, std::size_t(n)) == target) return;
        ::unlink(link.c_str());
    }
    (void)::symlink(target.c_str(), link.c_str());
}

}  // namespace

bool makeUserFolders(const UserFolders& folders, const std::string& programFolder) {
    if (!makeFolders(folderPart(folders.settingsFile)) || !makeFolders(folders.workFolder)) return false;
    // The delivered settings, once: the user's own are never replaced.
    if (!fs::exists(folders.settingsFile))
        if (std::optional<std::string> delivered = fs::readFile(programFolder + "options.txt"))
            fs::writeFile(folders.settingsFile, *delivered);
    linkTools(folders.workFolder, programFolder);
    return true;
}

std::optional<UserFolders> prepareUserFolders(const std::string& programFolder) {
    bool writable = ::access(toUtf8(programFolder).c_str(), W_OK) == 0;
    FolderEnvironment environment{variable("XDG_CONFIG_HOME"), variable("XDG_DATA_HOME"), homeFolder()};
    std::optional<UserFolders> folders = chooseUserFolders(programFolder, writable, environment);
    if (folders && folders->ofTheUser && !makeUserFolders(*folders, programFolder)) return std::nullopt;
    return folders;
}

}  // namespace kx
