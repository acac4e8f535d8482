// The launcher the program is given at start-up and passes down to its
// workers: starting programs and scripts. Tests and each front end may give
// their own in place of the system's.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/process.h"

namespace kx {

// Starts a program or script with a working folder, waited for or not,
// with its console shown or not (the runWait / runHidden flags).
class Launcher {
public:
    virtual ~Launcher() = default;
    // `program` and `parameters` as for launch(); `state` says whether
    // something was started and, when waited for, `exitCode` how it ended.
    // With runWait and `stop`, a stop request ends the program with all it
    // started, and the result says `stopped`.
    virtual StartResult run(std::string_view program, std::string_view parameters, std::string_view workingFolder,
                            int flags, std::optional<StopSignal> stop = std::nullopt) = 0;
    // As run, and what the program prints is also handed to `watch` (on a
    // thread of the launcher's) where the launcher can read it; a launcher
    // that cannot just runs it.
    virtual StartResult runWatched(std::string_view program, std::string_view parameters,
                                   std::string_view workingFolder, int flags, std::optional<StopSignal> stop,
                                   OutputSink watch) {
        (void)watch;
        return run(program, parameters, workingFolder, flags, std::move(stop));
    }
};

class SystemLauncher : public Launcher {
public:
    SystemLauncher() = default;
    // The output of the programs it starts with their console shown goes to
    // `sink` (see OutputSink) instead of this program's standard error.
    explicit SystemLauncher(OutputSink sink);
    StartResult run(std::string_view program, std::string_view parameters, std::string_view workingFolder,
                    int flags, std::optional<StopSignal> stop = std::nullopt) override;
    StartResult runWatched(std::string_view program, std::string_view parameters, std::string_view workingFolder,
                           int flags, std::optional<StopSignal> stop, OutputSink watch) override;

private:
    std::shared_ptr<const OutputSink> sink_;
};

}  // namespace kx
