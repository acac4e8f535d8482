// The immediate run: the current file processed at once, from the run plan
// to the verdict and the cleared window.
#pragma once

#include <optional>

#include "platform/stop_signal.h"
#include "workers/context.h"

namespace kx {

// Runs on the run worker when "Lancer !" is pressed with a file loaded.
// A request of `stop` ("Annuler") ends the running script with all it
// started; the run then removes its temporaries and says it was cancelled.
void runImmediate(AppContext& context, std::optional<StopSignal> stop = std::nullopt);

}  // namespace kx
