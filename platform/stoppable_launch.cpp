// The launcher's stoppable entry: the run handed a stop signal, and the
// plain launch (with its fallback to the desktop's handler) when nothing was
// started.
#include "base/command_line.h"
#include "platform/process.h"

namespace kx {

StartResult launch(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags,
                   std::shared_ptr<const OutputSink> sink, std::optional<StopSignal> stop) {
    if (!stop) return launch(program, parameters, workingFolder, flags, std::move(sink));
    StartResult result = runCommandLine(buildCommandLine(program, parameters), workingFolder,
                                        flags & (runWait | runHidden), sink, std::move(stop));
    if (result.state == StartResult::State::started) return result;
    return launch(program, parameters, workingFolder, flags, std::move(sink));
}

}  // namespace kx
