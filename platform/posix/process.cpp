// The launcher on POSIX: command lines split as Windows programs read them,
// programs found in the working folder or on PATH, batch scripts handed to
// klarbrix-cmd, and the desktop's default handler as the last resort.
#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "base/text.h"
#include "base/command_line.h"
#include "base/encoding.h"
#include "platform/files.h"
#include "platform/posix/spawn.h"

namespace kx {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isBatchName(std::string_view name) {
    std::string lower = toLower(name);
    return endsWith(lower, ".bat") || endsWith(lower, ".cmd");
}

// Where a program named `name` (native) lives, seen from `folder`.
std::optional<std::string> findProgram(const std::string& name, const std::string& folder, bool batch) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        std::string path = posix::inFolder(folder, name);
        return isRegularFile(path) ? std::optional(path) : std::nullopt;
    }
    std::string here = posix::inFolder(folder.empty() ? "." : folder, name);
    if (isRegularFile(here) && (batch || ::access(here.c_str(), X_OK) == 0)) return here;
    return posix::findOnPath(name, folder, !batch);  // scripts need no execute permission
}

// A descriptor above the standard three (they may be closed in a program
// started from the desktop, and a pipe would then take their numbers).
int aboveStandard(int fd) {
    if (fd > 2) return fd;
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

// Hands what arrives on `fd` to the sink until its end (or until told to
// finish), then closes it.
class OutputReader {
public:
    OutputReader(int fd, std::shared_ptr<const OutputSink> sink) : state_(std::make_shared<State>()) {
        if (::pipe2(state_->finish, O_CLOEXEC) != 0) state_->finish[0] = state_->finish[1] = -1;
        auto read = [fd, sink = std::move(sink), state = state_] {
            char buffer[4096];
            for (;;) {
                pollfd ends[2] = {{fd, POLLIN, 0}, {state->finish[0], POLLIN, 0}};
                if (::poll(ends, 2, -1) < 0) {
                    if (errno == EINTR) continue;
                    break;
                }
                if (ends[1].revents) break;
                ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                if (n <= 0) break;
                (*sink)(std::string_view(buffer, std::size_t(n)));
            }
            ::close(fd);
            std::lock_guard lock(state->mutex);
            state->done = true;
            state->changed.notify_all();
        };
        try {
            std::thread(read).detach();
        } catch (...) {
            // No thread to spare: the output is lost, the program still runs.
            ::close(fd);
            state_->done = true;
        }
    }
    // Waits until everything has been read, or for `limit` when the pipe stays open.
    void settle(std::chrono::milliseconds limit) {
        std::unique_lock lock(state_->mutex);
        state_->changed.wait_for(lock, limit, [this] { return state_->done; });
    }
    // Ends the reading even while something still holds the pipe open.
    void finish() {
        if (state_->finish[1] >= 0) (void)!::write(state_->finish[1], "", 1);
    }

private:
    struct State {
        ~State() {
            for (int fd : finish)
                if (fd >= 0) ::close(fd);
        }
        int finish[2] = {-1, -1};  // written once to end the reading
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
    };
    std::shared_ptr<State> state_;
};

}  // namespace

StartResult runCommandLine(std::string_view commandLine, std::string_view workingFolder, int flags,
                           std::shared_ptr<const OutputSink> sink, std::optional<StopSignal> stop) {
    StartResult result;
    if (!(flags & runWait)) stop.reset();
    if (stop && stop->requested()) return {StartResult::State::started, stoppedExitCode, true};
    std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty()) return result;

    // Paths are joined to the folder before the child changes into it: make it absolute.
    std::string folder(workingFolder);
    if (!folder.empty() && folder.front() != '/') folder = fs::currentFolder() + folder;
    folder = toUtf8(folder);
    bool batch = isBatchName(args[0]);
    std::vector<std::string> argv;
    for (const auto& a : args) argv.push_back(toUtf8(a));
    auto found = findProgram(argv[0], folder, batch);
    if (!found) return result;

    std::string path = *found;
    if (batch) {
        // As Windows hands a batch file to its command interpreter.
        path = toUtf8(fs::programFolder() + "klarbrix-cmd");
        argv[0] = *found;
        argv.insert(argv.begin(), path);
    }
    posix::Output output = (flags & runHidden)          ? posix::Output::nullDevice
                           : (flags & runInheritOutput) ? posix::Output::inherit
                                                        : posix::Output::toStandardError;
    int pipeEnds[2] = {-1, -1};
    if (output == posix::Output::toStandardError && sink && *sink && ::pipe2(pipeEnds, O_CLOEXEC) == 0) {
        pipeEnds[0] = aboveStandard(pipeEnds[0]);
        pipeEnds[1] = aboveStandard(pipeEnds[1]);
        if (pipeEnds[0] >= 0 && pipeEnds[1] >= 0) output = posix::Output::toDescriptor;
    }
    int pid = posix::spawn(path, argv, folder, output, false, pipeEnds[1], stop.has_value());
    if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
    std::optional<OutputReader> reader;
    if (pid > 0 && output == posix::Output::toDescriptor) reader.emplace(pipeEnds[0], sink);
    else if (pipeEnds[0] >= 0) ::close(pipeEnds[0]);
    if (pid <= 0) {
        result.state = StartResult::State::notStartable;
        return result;
    }
    result.state = StartResult::State::started;
    if (flags & runWait) {
        std::optional<int> exitCode =
            stop ? posix::waitForExitOrStop(pid, *stop, std::chrono::seconds(2)) : posix::waitForExit(pid);
        // The last lines first, before whatever the caller starts next.
        if (reader) reader->settle(std::chrono::seconds(2));
        if (!exitCode) {
            if (reader) reader->finish();
            result.stopped = true;
        }
        result.exitCode = exitCode.value_or(stoppedExitCode);
    } else {
        posix::reapWhenDone(pid);
    }
    return result;
}

}  // namespace kx
