// The result's identification through the remux tool, and its comparison.
#include "workers/verify_result.h"

#include <atomic>

#include "model/result_check.h"
#include "ui/texts.h"

namespace kx {

std::optional<std::string> verifyResult(AppContext& context, const RunRecipe& recipe, const std::string& resultPath,
                                        std::optional<StopSignal> stop) {
    auto [home, tools] = context.state.with([](AppState& s) { return std::pair(s.homeFolder, s.toolsFolder); });
    // The tool writes its answer to a file of its own (no console to read):
    // one name for each check, as a run and a queue may check at once.
    static std::atomic<int> checks{0};
    const std::string answer = home + "identification" + std::to_string(++checks) + ".json";
    FileSystem& files = context.files;
    files.removeFile(answer);
    const std::string command = "\"" + tools + "mkvmerge.exe\" -r \"" + answer + "\" -J \"" + resultPath + "\"";
    StartResult started = context.launcher.run(command, "", tools, runWait | runHidden, std::move(stop));
    std::optional<std::string> read = files.readFile(answer);
    files.removeFile(answer);
    if (started.stopped) return std::nullopt;
    if (!read) return std::string(resultNotRead);
    return resultProblem(*read, expectedTracks(recipe));
}

}  // namespace kx
