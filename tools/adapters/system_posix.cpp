// POSIX side of the tool adapters: posix_spawnp with pipes, mmap, flock,
// staging folders. The list of files the adapters made, "made-files.txt"
// (device, inode, size, time and path), lies beside the adapters, or, when
// their folder is not the user's (an installed program), in the user's
// working folder of the program.
#include "tools/adapters/system.h"
#include "tools/adapters/system_os.h"

#include "platform/user_folders.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace kx::adapt::sys {

using kx::UserFolders;
using kx::chooseUserFolders;

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace os {

ErrorCode lastError() { return ErrorCode(errno); }

std::string errorText(ErrorCode code) { return std::strerror(int(code)); }

bool alreadyExists(ErrorCode code) { return code == EEXIST; }

const char* const stagingKind = "folder";

}  // namespace os

namespace {

using os::errorText;

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

class MappedView : public FileView {
public:
    MappedView(void* address, std::size_t size) : address_(address), size_(size) {}
    ~MappedView() override {
        if (address_ && size_) munmap(address_, size_);
    }
    Bytes bytes() const override { return Bytes(static_cast<const unsigned char*>(address_), size_); }

private:
    void* address_;
    std::size_t size_;
};

// Renames without ever replacing an existing file.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without that flag: a hard link fails when the name exists.
    if (link(from.c_str(), to.c_str()) != 0) return errno;
    unlink(from.c_str());
    return 0;
}

// The program `name` as found in PATH, passing over this very executable so
// that a stand-in installed under a tool's own name cannot call itself.
std::optional<std::string> findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= folders.size()) {
        std::size_t colon = folders.find(':', from);
        if (colon == std::string::npos) colon = folders.size();
        std::string folder = folders.substr(from, colon - from);
        from = colon + 1;
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && !isFolder(candidate) && !sameFile(candidate, "/proc/self/exe"))
            return candidate;
    }
    return std::nullopt;
}

}  // namespace

RunResult run(const std::vector<std::string>& argv, int capture,
              const std::function<void(std::string_view)>& onOutput) {
    RunResult result;
    int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    if (((capture & captureOut) && pipe2(outPipe, O_CLOEXEC) != 0) ||
        ((capture & captureErr) && pipe2(errPipe, O_CLOEXEC) != 0)) {
        result.error = "cannot make a pipe: " + errorText(errno);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            if (fd >= 0) ::close(fd);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (capture & captureOut) posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    if (capture & captureErr) posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    std::vector<char*> environment;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "KLARBRIX_ADAPTER_CHILD=", 23) != 0) environment.push_back(*e);
    char marker[] = "KLARBRIX_ADAPTER_CHILD=1";
    environment.push_back(marker);
    environment.push_back(nullptr);
    std::optional<std::string> program = findProgram(argv[0]);
    int rc = program ? posix_spawn(&pid, program->c_str(), &actions, nullptr, args.data(), environment.data())
                     : ENOENT;
    posix_spawn_file_actions_destroy(&actions);
    if (outPipe[1] >= 0) ::close(outPipe[1]);
    if (errPipe[1] >= 0) ::close(errPipe[1]);
    if (rc != 0) {
        result.error = "cannot start " + argv[0] + ": " + errorText(rc);
        if (outPipe[0] >= 0) ::close(outPipe[0]);
        if (errPipe[0] >= 0) ::close(errPipe[0]);
        return result;
    }
    result.started = true;

    // Read both streams together so that neither pipe fills up and blocks.
    struct pollfd fds[2];
    std::string* sinks[2];
    nfds_t count = 0;
    if (outPipe[0] >= 0) fds[count] = {outPipe[0], POLLIN, 0}, sinks[count++] = &result.out;
    if (errPipe[0] >= 0) fds[count] = {errPipe[0], POLLIN, 0}, sinks[count++] = &result.err;
    nfds_t open = count;
    char buffer[65536];
    while (open > 0) {
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (nfds_t k = 0; k < count; ++k) {
            if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[k]->append(buffer, std::size_t(n));
                if (sinks[k] == &result.out && onOutput) onOutput(std::string_view(buffer, std::size_t(n)));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[k].fd);
                fds[k].fd = -1;
                --open;
            }
        }
    }
    for (nfds_t k = 0; k < count; ++k)
        if (fds[k].fd >= 0) ::close(fds[k].fd);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return result;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::optional<std::string> readFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string data;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        data.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return data;
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return path;
    std::string folder = buffer;
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + path;
}

std::unique_ptr<FileView> FileView::open(const std::string& path, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + errorText(errno);
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + " is not a file";
        ::close(fd);
        return nullptr;
    }
    std::size_t size = std::size_t(st.st_size);
    void* address = nullptr;
    if (size > 0) {
        address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (address == MAP_FAILED) {
            error = "cannot read " + path + ": " + errorText(errno);
            ::close(fd);
            return nullptr;
        }
    }
    ::close(fd);
    return std::make_unique<MappedView>(address, size);
}

bool removeFile(const std::string& path, std::string& error) {
    if (unlink(path.c_str()) == 0) return true;
    error = errorText(errno);
    return false;
}

namespace os {

std::string ledgerPath() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string folder = folderOf(std::string(buffer, std::size_t(n)));
    bool writable = ::access(folder.c_str(), W_OK) == 0;
    std::optional<UserFolders> folders =
        chooseUserFolders(folder, writable, {variable("XDG_CONFIG_HOME"), variable("XDG_DATA_HOME"), variable("HOME")});
    return folders ? folders->workFolder + "made-files.txt" : std::string();
}

// One ledger line for a file as it is now: "dev ino size sec nsec\tpath".
std::optional<std::string> ledgerLine(const std::string& absolutePath) {
    struct stat st;
    if (stat(absolutePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    char head[160];
    std::snprintf(head, sizeof head, "%llu %llu %lld %lld %ld\t", (unsigned long long)st.st_dev,
                  (unsigned long long)st.st_ino, (long long)st.st_size, (long long)st.st_mtim.tv_sec,
                  (long)st.st_mtim.tv_nsec);
    return head + absolutePath;
}

class FdLedger : public LockedFile {
public:
    explicit FdLedger(int fd) : fd_(fd) {}
    ~FdLedger() override {
        flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    std::string read() override {
        std::string text;
        char buffer[65536];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) text.append(buffer, std::size_t(n));
        return text;
    }
    void replace(const std::string& text) override {
        if (lseek(fd_, 0, SEEK_SET) == 0 && ftruncate(fd_, 0) == 0) writeAll(fd_, text.data(), text.size());
    }

private:
    int fd_;
};

std::unique_ptr<LockedFile> LockedFile::open(const std::string& path, bool write) {
    int fd = write ? ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    flock(fd, write ? LOCK_EX : LOCK_SH);
    return std::make_unique<FdLedger>(fd);
}

class FdOutput : public RawOutput {
public:
    explicit FdOutput(int fd) : fd_(fd) {}
    ~FdOutput() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool writeAll(const unsigned char* data, std::size_t size) override {
        return sys::writeAll(fd_, reinterpret_cast<const char*>(data), size);
    }
    bool close() override {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::unique_ptr<RawOutput> RawOutput::open(const std::string& path, ErrorCode& code) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        code = lastError();
        return nullptr;
    }
    return std::make_unique<FdOutput>(fd);
}

std::optional<Staging> makeStaging(const std::string& folder, const std::string& name, std::size_t serial,
                                   ErrorCode& code) {
    // A staging folder of our own next to the target ("NAME.part-PID-N"),
    // in which the tool makes the file under the target's own name. The tool
    // creates it: a file made beforehand and opened again with truncation
    // would have the file system write the whole output out as it is closed,
    // and deleting it later wait for that.
    std::string staging = folder + name + ".part-" + std::to_string(getpid()) + "-" + std::to_string(serial);
    if (::mkdir(staging.c_str(), 0700) == 0) return Staging{staging + "/" + name, staging};
    code = lastError();
    return std::nullopt;
}

ErrorCode moveNoReplace(const std::string& from, const std::string& to) { return ErrorCode(renameNoReplace(from, to)); }

void removeQuietly(const std::string& file) { unlink(file.c_str()); }

void removeEmptyFolder(const std::string& folder) { rmdir(folder.c_str()); }

}  // namespace os

}  // namespace kx::adapt::sys
