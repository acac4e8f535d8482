// The launcher on POSIX: command lines split as Windows programs read them,
// programs found in the working folder or on PATH, batch scripts handed to
// klarbrix-cmd, and the desktop's default handler as the last resort.
#include "platform/process.h"

#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

StartResult runCommandLine(std::string_view commandLine, std::string_view workingFolder, int flags) {
    StartResult result;
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
    int pid = posix::spawn(path, argv, folder, output, false);
    if (pid <= 0) {
        result.state = StartResult::State::notStartable;
        return result;
    }
    result.state = StartResult::State::started;
    if (flags & runWait) result.exitCode = posix::waitForExit(pid);
    else posix::reapWhenDone(pid);
    return result;
}

}  // namespace kx
