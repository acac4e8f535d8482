// POSIX files and folders: cp1252 names are converted to UTF-8 here.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "base/encoding.h"

namespace kx::fs {

namespace {

std::string native(const std::string& path) { return toUtf8(path); }

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

bool writeWith(const std::string& path, std::string_view data, int flags) {
    int fd = ::open(native(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data);
    return ::close(fd) == 0 && ok;
}

// The name to act on: the exact one (a dangling link included), or with
// `anyCase` the one findAnyCase gives.
std::optional<std::string> resolveName(const std::string& path, bool anyCase) {
    struct stat st;
    if (::lstat(native(path).c_str(), &st) == 0) return path;
    return anyCase ? findAnyCase(path) : std::nullopt;
}

bool removeTreeNative(const std::string& p) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) return ::unlink(p.c_str()) == 0;
    DIR* dir = ::opendir(p.c_str());
    if (!dir) return false;
    bool ok = true;
    while (dirent* e = ::readdir(dir)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
        ok = removeTreeNative(p + "/" + e->d_name) && ok;
    }
    ::closedir(dir);
    return ::rmdir(p.c_str()) == 0 && ok;
}

}  // namespace

char separator() { return '/'; }

bool renamesAccentedSources() { return false; }

bool transcoderReadsOggAudio() { return true; }

std::optional<std::string> readFile(const std::string& path) {
    int fd = ::open(native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    char block[65536];
    for (;;) {
        ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data.append(block, std::size_t(n));
    }
    ::close(fd);
    return data;
}

bool writeFile(const std::string& path, std::string_view data) { return writeWith(path, data, O_TRUNC); }

bool replaceFile(const std::string& path, std::string_view data) {
    std::string target = native(path);
    // A link is written through: the file it leads to is replaced, the link stays.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string to(std::size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = ::readlink(target.c_str(), to.data(), to.size());
        if (n <= 0 || std::size_t(n) >= to.size()) return false;
        to.resize(std::size_t(n));
        std::size_t slash = target.rfind('/');
        target = to.front() == '/' || slash == std::string::npos ? to : target.substr(0, slash + 1) + to;
    }
    std::string temporary = target + "." + std::to_string(::getpid()) + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

bool appendFile(const std::string& path, std::string_view data) { return writeWith(path, data, O_APPEND); }

std::int64_t fileSize(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(native(path).c_str(), &st) != 0) return -1;
    return S_ISDIR(st.st_mode) ? -2 : std::int64_t(st.st_size);
}

std::int64_t modifiedTime(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(native(path).c_str(), &st) != 0) return -1;
    return std::int64_t(st.st_mtim.tv_sec) * 10000000 + st.st_mtim.tv_nsec / 100;
}

bool exists(const std::string& path) { return fileSize(path) != -1; }

bool isFolder(const std::string& path) { return fileSize(path) == -2; }

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (::stat(native(a).c_str(), &sa) != 0 || ::stat(native(b).c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::optional<std::vector<std::string>> listFolder(const std::string& path) {
    DIR* dir = ::opendir(native(path.empty() ? "." : path).c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
        names.push_back(fromUtf8Lossy(e->d_name));
    }
    ::closedir(dir);
    return names;
}

bool removeFile(const std::string& path, bool anyCase) {
    auto name = resolveName(path, anyCase);
    if (!name) return false;
    struct stat st;
    std::string p = native(*name);
    if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(p.c_str()) == 0;
}

bool removeTree(const std::string& path, bool anyCase) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
    auto name = resolveName(trimmed, anyCase);
    return name && removeTreeNative(native(*name));
}

bool makeFolder(const std::string& path) { return ::mkdir(native(path).c_str(), 0755) == 0 || isFolder(path); }

MoveResult moveNoReplace(const std::string& from, const std::string& to) {
    std::string a = native(from), b = native(to);
    while (a.size() > 1 && a.back() == '/') a.pop_back();
    while (b.size() > 1 && b.back() == '/') b.pop_back();
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), 1u /* RENAME_NOREPLACE */) == 0)
        return MoveResult::moved;
    if (errno == EEXIST) return MoveResult::targetExists;
    if (errno != EINVAL && errno != ENOSYS) return MoveResult::failed;
#endif
    // File systems without renameat2: a hard link never replaces; folders are
    // checked first, which leaves a narrow window but never replaces knowingly.
    struct stat st;
    if (::lstat(a.c_str(), &st) != 0) return MoveResult::failed;
    if (!S_ISDIR(st.st_mode)) {
        if (::link(a.c_str(), b.c_str()) != 0) return errno == EEXIST ? MoveResult::targetExists : MoveResult::failed;
        ::unlink(a.c_str());
        return MoveResult::moved;
    }
    if (::lstat(b.c_str(), &st) == 0) return MoveResult::targetExists;
    return ::rename(a.c_str(), b.c_str()) == 0 ? MoveResult::moved : MoveResult::failed;
}

std::int64_t freeSpace(const std::string& folder) {
    struct statvfs sv;
    if (folder.empty() || ::statvfs(native(folder).c_str(), &sv) != 0) return 0;
    return std::int64_t(sv.f_bavail) * std::int64_t(sv.f_frsize);
}

std::string currentFolder() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return "./";
    std::string folder = fromUtf8Lossy(buffer);
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string programFolder() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return currentFolder();
    return folderPart(fromUtf8Lossy(std::string_view(buffer, std::size_t(n))));
}

}  // namespace kx::fs
