// The launcher's portable half: the command line built from program and
// parameters, the file's default program as the last resort, and the system
// launcher that the program is given at start-up.
#include "platform/launcher.h"

#include <cstdio>

#include "base/command_line.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/default_program.h"

namespace kx {

namespace {

bool isAbsolute(std::string_view path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

}  // namespace

StartResult launch(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags,
                   std::shared_ptr<const OutputSink> sink, std::optional<StopSignal> stop) {
    std::string commandLine = buildCommandLine(program, parameters);
    StartResult result =
        runCommandLine(commandLine, workingFolder, flags & (runWait | runHidden), std::move(sink), std::move(stop));
    if (result.state == StartResult::State::started || result.stopped) return result;

    // The start failed: the file's own handler, when there is such a file.
    std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) return result;
    std::string file = args[0];
    if (!isAbsolute(file)) {
        std::string folder = workingFolder.empty() ? fs::currentFolder() : std::string(workingFolder);
        if (folder.back() != '/' && folder.back() != '\\') folder += fs::separator();
        file = folder + file;
    }
    if (!fs::exists(file) || !openWithDefaultProgram(file)) return result;
    return {StartResult::State::started, 0};
}

int runProgram(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags) {
    return launch(program, parameters, workingFolder, flags).state == StartResult::State::started ? 1 : 0;
}

SystemLauncher::SystemLauncher(OutputSink sink)
    : sink_(sink ? std::make_shared<const OutputSink>(std::move(sink)) : nullptr) {}

StartResult SystemLauncher::run(std::string_view program, std::string_view parameters, std::string_view workingFolder,
                                int flags, std::optional<StopSignal> stop) {
    return launch(program, parameters, workingFolder, flags, sink_, std::move(stop));
}

StartResult SystemLauncher::runWatched(std::string_view program, std::string_view parameters,
                                       std::string_view workingFolder, int flags, std::optional<StopSignal> stop,
                                       OutputSink watch) {
    if (!watch) return run(program, parameters, workingFolder, flags, std::move(stop));
    // The output still goes where it goes without watching.
    auto both = std::make_shared<const OutputSink>([own = sink_, watch = std::move(watch)](std::string_view output) {
        watch(output);
        if (own) (*own)(output);
        else std::fwrite(output.data(), 1, output.size(), stderr);
    });
    return launch(program, parameters, workingFolder, flags, both, std::move(stop));
}

}  // namespace kx
