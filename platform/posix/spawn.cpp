// posix_spawn with descriptors closed, signals reset and a working folder;
// waiting and reaping of the started processes.
#include "platform/posix/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

extern char** environ;

namespace kx::posix {

std::string inFolder(const std::string& folder, const std::string& path) {
    if (folder.empty() || (!path.empty() && path.front() == '/')) return path;
    return folder.back() == '/' ? folder + path : folder + '/' + path;
}

std::optional<std::string> findOnPath(const std::string& name, const std::string& folder, bool executable) {
    const char* variable = std::getenv("PATH");
    std::string list = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = list.find(':', start);
        std::string dir = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        // An empty entry stands for the current folder, which is `folder` here.
        std::string candidate = inFolder(folder, inFolder(dir.empty() ? "." : dir, name));
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            (!executable || ::access(candidate.c_str(), X_OK) == 0))
            return candidate;
        if (colon == std::string::npos) return std::nullopt;
        start = colon + 1;
    }
}

int spawn(const std::string& path, const std::vector<std::string>& argv, const std::string& folder, Output output,
          bool newSession, int descriptor, bool ownGroup) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (::posix_spawn_file_actions_init(&actions) != 0) return -ENOMEM;
    if (::posix_spawnattr_init(&attributes) != 0) {
        ::posix_spawn_file_actions_destroy(&actions);
        return -ENOMEM;
    }

    int rc = 0;
    auto step = [&rc](int result) {
        if (rc == 0) rc = result;
    };
    // Standard error may be closed (a desktop start); its share then goes nowhere.
    if (output == Output::toStandardError && ::fcntl(2, F_GETFD) < 0) output = Output::nullDevice;
    if (output != Output::inherit) step(::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0));
    if (output == Output::nullDevice) {
        step(::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0));
        step(::posix_spawn_file_actions_adddup2(&actions, 1, 2));
    } else if (output == Output::toStandardError) {
        step(::posix_spawn_file_actions_adddup2(&actions, 2, 1));
    } else if (output == Output::toDescriptor) {
        step(::posix_spawn_file_actions_adddup2(&actions, descriptor, 1));
        step(::posix_spawn_file_actions_adddup2(&actions, 1, 2));
    }
    if (!folder.empty()) step(::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str()));
    // Descriptors other threads opened without close-on-exec stay here.
    step(::posix_spawn_file_actions_addclosefrom_np(&actions, 3));

    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    step(::posix_spawnattr_setsigmask(&attributes, &none));
    step(::posix_spawnattr_setsigdefault(&attributes, &all));
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (newSession) flags |= POSIX_SPAWN_SETSID;
    else if (ownGroup) flags |= POSIX_SPAWN_SETPGROUP;  // group id: its own process id (the default 0)
    step(::posix_spawnattr_setflags(&attributes, flags));

    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    if (rc == 0) rc = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, args.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? int(pid) : -rc;
}

int waitForExit(int pid) {
    int status = 0;
    for (;;) {
        pid_t r = ::waitpid(pid_t(pid), &status, 0);
        if (r == pid_t(pid)) break;
        if (r < 0 && errno == EINTR) continue;
        return 0;  // already collected elsewhere: nothing more to learn
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 0;
}

namespace {

// What the waiting thread and the stop's watch tell the caller.
struct Waiting {
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    bool stop = false;
};

// Whether anything of the group is still there. Only asked once its leader
// has been collected or while it is still uncollected, so the group id
// cannot have been given to another process in between.
bool groupLives(int group) { return ::kill(-pid_t(group), 0) == 0; }

}  // namespace

std::optional<int> waitForExitOrStop(int pid, const StopSignal& stop, std::chrono::milliseconds grace) {
    auto waiting = std::make_shared<Waiting>();
    std::thread ending;
    try {
        // Learns of the end without collecting it: the group id stays the
        // leader's own until it is collected below.
        ending = std::thread([pid, waiting] {
            siginfo_t info;
            while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
            }
            std::lock_guard lock(waiting->mutex);
            waiting->ended = true;
            waiting->changed.notify_all();
        });
    } catch (...) {
        return waitForExit(pid);  // no thread to spare: waited for without a stop
    }
    bool stopped;
    {
        StopSignal::Watch watch = stop.watch([waiting] {
            std::lock_guard lock(waiting->mutex);
            waiting->stop = true;
            waiting->changed.notify_all();
        });
        std::unique_lock lock(waiting->mutex);
        waiting->changed.wait(lock, [&] { return waiting->ended || waiting->stop; });
        stopped = !waiting->ended;
    }
    if (!stopped) {
        ending.join();
        return waitForExit(pid);
    }

    // Politely first (SIGCONT for the stopped ones, so they see it), and what
    // has not ended within the grace is killed.
    auto deadline = std::chrono::steady_clock::now() + grace;
    ::kill(-pid_t(pid), SIGTERM);
    ::kill(-pid_t(pid), SIGCONT);
    bool leaderEnded;
    {
        std::unique_lock lock(waiting->mutex);
        leaderEnded = waiting->changed.wait_until(lock, deadline, [&] { return waiting->ended; });
    }
    if (leaderEnded) {
        ending.join();
        waitForExit(pid);
        // Its tools may still be ending; their end cannot be waited for, it is looked for.
        while (groupLives(pid) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (groupLives(pid)) ::kill(-pid_t(pid), SIGKILL);
    } else {
        ::kill(-pid_t(pid), SIGKILL);
        ending.join();
        waitForExit(pid);
    }
    return std::nullopt;
}

void reapWhenDone(int pid) {
    try {
        std::thread([pid] { waitForExit(pid); }).detach();
    } catch (...) {
        // No thread to spare: the process stays unreaped until this one ends.
    }
}

}  // namespace kx::posix
