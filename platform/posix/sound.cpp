// Sound on Linux: the WAV file is played by the first of pw-play, paplay and
// aplay found on the PATH, started detached with its output thrown away.
#include "platform/sound.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "base/encoding.h"
#include "platform/files.h"

extern char** environ;

namespace kx {

namespace {

std::string findPlayer() {
    const char* path = std::getenv("PATH");
    std::string folders = path && *path ? path : "/usr/bin:/bin";
    for (const char* name : {"pw-play", "paplay", "aplay"}) {
        std::size_t start = 0;
        while (start <= folders.size()) {
            std::size_t end = folders.find(':', start);
            if (end == std::string::npos) end = folders.size();
            std::string folder = folders.substr(start, end - start);
            if (!folder.empty()) {
                std::string candidate = folder + "/" + name;
                if (::access(candidate.c_str(), X_OK) == 0) return candidate;
            }
            start = end + 1;
        }
    }
    return {};
}


}  // namespace

bool Sound::load(const std::string& path) {
    std::optional<std::string> data = fs::readFile(path);
    std::lock_guard lock(mutex_);
    file_.clear();
    player_.clear();
    if (!data || !isWaveData(*data)) return false;
    file_ = toUtf8(path);
    player_ = findPlayer();
    return !player_.empty();
}

bool Sound::loaded() {
    std::lock_guard lock(mutex_);
    return !file_.empty() && !player_.empty();
}

void Sound::play() {
    std::string player, file;
    {
        std::lock_guard lock(mutex_);
        player = player_;
        file = file_;
    }
    if (player.empty() || file.empty()) return;

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {player.data(), file.data(), nullptr};
    pid_t pid = 0;
    int failed = posix_spawn(&pid, player.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return;
    // Reap the player when it ends, so that it leaves no zombie behind.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace kx
