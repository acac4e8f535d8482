// Reading a run's result back before it is called a success: the remux
// tool's identification of the file, compared with what the recipe makes.
#pragma once

#include <optional>
#include <string>

#include "model/run_recipe.h"
#include "platform/stop_signal.h"
#include "workers/context.h"

namespace kx {

// Runs `mkvmerge.exe -J` on `resultPath` from the tools folder, hidden and
// waited for (a stop request ends it), and compares its answer with the
// tracks of `recipe`. What is wrong with the result, as the user is told;
// nothing when it is as it should be or when the stop was requested.
std::optional<std::string> verifyResult(AppContext& context, const RunRecipe& recipe, const std::string& resultPath,
                                        std::optional<StopSignal> stop);

}  // namespace kx
